#pragma once

namespace Quib {

// What the system reports about its version, as the Windows checks ask it.
// This platform is newer than Windows XP and not of the Windows 9x family.
bool IsWindowsAboveXP();
bool IsWindows9x();

} // namespace Quib
