#pragma once

namespace Quib {

// Moves the system mouse pointer by (dx, dy) widget pixels through the
// window layer. False, moving nothing, where the pointer may not be moved:
// no main window, the application without focus, the mouse outside the
// window, or pointer moves turned off (SetPointerWarpAllowed).
bool WarpMousePointerBy(int dx, int dy);
void SetPointerWarpAllowed(bool allowed);
bool IsPointerWarpAllowed();

} // namespace Quib
