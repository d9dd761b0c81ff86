#pragma once
#include "framework/core/Point.h"
#include "framework/core/Rect.h"

#include <cstdint>
#include <string>

namespace Quib {

class IniData;

// The game settings: res\game.ini in one process-wide document, lower-cased
// as it is read, so section and key names match in any letter case. Empty
// until loaded; main thread only.
IniData& GetGameSettings();
// Empties the game settings and reads the file into them (a missing file
// leaves them empty: every read gives its default).
void LoadGameSettings(const std::string& path = "res\\game.ini");

// Typed reads. A non-empty section name selects that section; an empty one
// keeps the section read before, and an empty key keeps reading the key
// read before, value after value. Selecting a key starts at its first value.
// A missing section, key or value gives the default.

// The value at a position of the key's list (-1: the next one, which is the
// first when a key is named), as a decimal number.
int GetGameIniInt(const std::string& key, const std::string& section, int position = -1, int def = 0);
float GetGameIniFloat(const std::string& key, const std::string& section, float def = 0.0f);
// The next four values as x, y, width, height; the whole default when fewer remain.
Rect GetGameIniRect(const std::string& key, const std::string& section, const Rect& def);
// The next two values as x, y; the whole default when fewer remain.
Point GetGameIniPoint(const std::string& key, const std::string& section, const Point& def);
// The next value read as a hexadecimal number (colours).
int32_t GetGameIniValue(const std::string& key, const std::string& section, int32_t def = 0);
// The key's whole value as text (its values joined by ","; lower case, as
// the whole file is).
std::string GetGameIniString(const std::string& key, const std::string& section, const std::string& def = "");

// Merges data/common.ini (section [common]: requested name = name opened in
// its place) into the path aliases of the published pak layer.
void LoadCommonIni(const std::string& path = "data/common.ini");
// Writes the path aliases to data/common.ini (CR LF, replacing the file
// whole); false when it could not be written.
bool WriteCommonIni(const std::string& path = "data/common.ini");

} // namespace Quib
