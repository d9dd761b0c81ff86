#include "src/game/minigames/PointerWarp.h"

#include "framework/app/QuibAppBase.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/Cursors.h"
#include "platform/Window.h"
#include "platform/WindowSystem.h"

#include <cstdint>

namespace Quib {

namespace {

bool gWarpAllowed = true;

int ToWindow(int v, int widgetOrigin, int widgetSize, int windowOrigin, int windowSize)
{
    if (widgetSize == 0 || windowSize == 0)
        return v;
    return int(int64_t(v - widgetOrigin) * windowSize / widgetSize + windowOrigin);
}

} // namespace

void SetPointerWarpAllowed(bool allowed) { gWarpAllowed = allowed; }

bool IsPointerWarpAllowed() { return gWarpAllowed; }

bool WarpMousePointerBy(int dx, int dy)
{
    QuibAppBase* app = gQuibAppBase;
    if (!gWarpAllowed || !app || !app->mainWindow || !app->widgetManager || !app->hasFocus || !app->mouseInside)
        return false;
    WidgetManager& wm = *app->widgetManager;
    const int mx = wm.mouseX + dx;
    const int my = wm.mouseY + dy;
    const int wx = ToWindow(mx, wm.widgetSpaceRect.x, wm.widgetSpaceRect.width, wm.windowRect.x, wm.windowRect.width);
    const int wy =
        ToWindow(my, wm.widgetSpaceRect.y, wm.widgetSpaceRect.height, wm.windowRect.y, wm.windowRect.height);
    Window& window = *app->mainWindow;
    window.System().Cursors().WarpCursor(window, wx, wy);
    return true;
}

} // namespace Quib
