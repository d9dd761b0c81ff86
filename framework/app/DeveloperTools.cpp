#include "framework/app/DeveloperTools.h"

#include "framework/app/DDInterface.h"
#include "framework/app/DeveloperReports.h"
#include "framework/app/QuibAppBase.h"
#include "framework/files/ModVal.h"
#include "framework/files/PerfTimer.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/MessageSink.h"
#include "platform/WindowMessages.h"

#include <cstring>

namespace Quib {

void DeveloperHost::ShowMessageBoxA(const std::string& text, const std::string& caption)
{
    ShowMessageBox(text, caption, MB_OK);
}

bool DeveloperTools::DebugKey(QuibAppBase& app, int virtualKey)
{
    WidgetManager* manager = app.widgetManager.get();
    const bool shift = manager && manager->IsKeyDown(VK_SHIFT);
    const bool ctrl = manager && manager->IsKeyDown(VK_CONTROL);
    const bool alt = manager && manager->IsKeyDown(VK_MENU);
    DeveloperHost& h = Host();

    switch (virtualKey) {
    case 'R':
        if (alt) {
            if (ModVal::Reload())
                h.PlaySoundFileAsync(kReloadSound);
            else if (manager)
                std::memset(manager->keyTable, 0, sizeof manager->keyTable);
        }
        return false;
    case VK_F2:
        if (!PerfTimer::IsTiming()) {
            h.ResetUpdateTimer();
            PerfTimer::StartTiming();
        } else {
            PerfTimer::StopTiming();
            h.ShowMessageBoxA(PerfTimer::BuildPerfReport(), "Perf Results");
            h.ResetUpdateTimer();
        }
        return false;
    case VK_F3:
        if (shift) {
            overlays.kind = (overlays.kind + 1) % DebugOverlays::KIND_COUNT;
            overlays.on = true;
        } else {
            overlays.on = !overlays.on;
        }
        if (manager)
            manager->InvalidateAll();
        if (overlays.on)
            overlays.RestartFps();
        return false;
    case VK_F8:
        if (shift) {
            const bool want3D = !(app.display && app.display->is3D);
            h.ChangeDisplay(want3D);
            const bool now3D = app.display ? app.display->is3D : want3D;
            h.ShowMessageBoxA(std::string("3D-Mode: ") + (now3D ? "ON" : "OFF"), "Mode Switch");
        } else {
            BuildVideoStatsText(app, h);
        }
        return true;
    case VK_F10:
        if (ctrl) {
            h.SetUpdateSpeed(h.GetUpdateSpeed() == 0.25 ? 1.0 : 0.25);
        } else if (shift) {
            h.SetStepMode(0);
            h.ResetUpdateTimer();
        } else {
            h.SetStepMode(1);
        }
        return true;
    case VK_F11:
        if (shift)
            DumpLoadedImages(app, h);
        else
            h.TakeScreenshot();
        return true;
    default: return false;
    }
}

void DeveloperTools::UpdateOverlays(QuibAppBase& app)
{
    if (overlays.on)
        overlays.Update(app.display.get(), app.widgetManager.get(), Host());
}

void DeveloperTools::DrawOverlays(QuibAppBase& app, Image* target)
{
    if (overlays.on)
        overlays.Draw(target, app.appWidth, app.appHeight);
}

} // namespace Quib
