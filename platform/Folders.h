#pragma once
#include <string>

namespace Quib {

// The user's folders, from the XDG variables. None ends with a '/'.
std::string AppDataFolder();   // $XDG_DATA_HOME, else ~/.local/share
std::string DocumentsFolder(); // $HOME
std::string ConfigFolder();    // $XDG_CONFIG_HOME, else ~/.config
std::string RuntimeFolder();   // $XDG_RUNTIME_DIR, else /tmp
// Absolute path of the running program; empty when it cannot be told.
std::string ExecutablePath();

} // namespace Quib
