#pragma once
#include "framework/files/IniDocument.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace Quib {

class SoundInstance;

// Sound names of res\sounds.ini [sounds] (name = file, file, ...; each file
// under data\sound\ without its extension), loaded through the
// application's sound manager on first use; a play picks one file of the
// name at random.
class Sounds {
public:
    static Sounds& Instance();

    Sounds() = default;
    Sounds(const Sounds&) = delete;
    Sounds& operator=(const Sounds&) = delete;

    // Reads res\sounds.ini into the definitions.
    void LoadIni();
    // Loads every file of the name (empty names in the list skipped); one
    // of its ids at random, or -1.
    int Load(const std::string& name);
    // Load unless the name is loaded already.
    void Preload(const std::string& name);
    // Plays one file of the name; volume -1 keeps the sound's own volume,
    // pan -1 (left) .. 1 (right). A volume of exactly 0 plays nothing
    // unless forced. Without auto-release the caller owns the instance.
    SoundInstance* Play(const std::string& name, bool autoRelease, bool looping, bool force, double volume,
                        double pan);
    // Releases every loaded sound and forgets the names; the definitions stay.
    void UnloadAll();

    bool IsLoaded(const std::string& name) const { return mLoaded.count(name) != 0; }
    const std::vector<int32_t>* LoadedIds(const std::string& name) const;

private:
    IniDocument mDefinitions;
    std::map<std::string, std::vector<int32_t>> mLoaded;
};

// Plays the name once, centred, at the application's sound-effect volume.
void PlaySoundEffect(const std::string& name);

// The interface sounds: 0 and 4 "buttonPress", 1 "buttonEnter", 2 and 3
// "pause", 7 "KeyPick", 8 "KeyPlaceRight", 9 "KeyPlace", 10 "SpyMove";
// any other type plays nothing.
void PlayUiSound(int type);

} // namespace Quib
