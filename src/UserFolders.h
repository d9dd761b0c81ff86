#pragma once
#include <string>
#include <string_view>

namespace Quib {

// The player's folders, set once at start-up: the user data folder (profiles,
// settings.ini, log.html) and the profiles folder in it. Both are kept with
// backslashes; the profiles folder ends in one.
const std::u16string& UserDataFolder();
const std::u16string& ProfilesFolder();
// Sets the user data folder, and the profiles folder to folder\profiles\.
// Creates neither.
void SetUserDataFolder(std::u16string_view folder);

// A file in a folder as the file layer takes it (UTF-8, the separator added
// when the folder has none at its end).
std::string FileInFolder(std::u16string_view folder, std::string_view name);

} // namespace Quib
