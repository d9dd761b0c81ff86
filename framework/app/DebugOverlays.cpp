#include "framework/app/DebugOverlays.h"

#include "framework/app/DeveloperHost.h"
#include "framework/files/PrintfFormat.h"
#include "framework/files/Stopwatch.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/SysFont.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/Clock.h"

#include <algorithm>
#include <cmath>

namespace Quib {

DebugOverlays::DebugOverlays() = default;
DebugOverlays::~DebugOverlays() = default;

void DebugOverlays::RestartFps()
{
    StartStopwatch();
    frames = 0;
    fps = 0;
    resetFps = true;
}

Font& DebugOverlays::TheFont()
{
    if (!font)
        font = std::make_unique<SysFont>("Tahoma", 8, 0);
    return *font;
}

void DebugOverlays::Paint(std::unique_ptr<DDImage>& target, ImageDisplay* display, int w,
                          const std::u16string& line)
{
    Font& f = TheFont();
    const int h = f.Height() + 4;
    if (!target || target->width != w || target->height != h) {
        target = std::make_unique<DDImage>(display);
        target->Resize(w, h);
        target->keepOnSurface = true; // lives on a surface; the bits stay
        target->ForceTransparencyFlags(false, false);
        target->FlagVolatile(true);
    }
    Graphics g(target.get());
    g.color = Color(0, 0, 0);
    g.FillRectangle(0, 0, w, h);
    g.color = Color(255, 255, 255);
    g.font = &f;
    g.DrawText(line, 2, f.Ascent());
}

void DebugOverlays::Update(ImageDisplay* display, const WidgetManager* widgetManager, DeveloperHost& host)
{
    if (!display)
        return;
    if (kind == KIND_MOUSE) {
        const int mx = widgetManager ? widgetManager->mouseX : 0;
        const int my = widgetManager ? widgetManager->mouseY : 0;
        text = WStrFormat(u"%d,%d", mx, my);
        Paint(image, display, 50, text);
    } else {
        ++frames;
        const double elapsed = GetStopwatchMs();
        if (elapsed >= 1000.0 || resetFps || !image) {
            StopStopwatch();
            if (resetFps) {
                fps = 0;
                resetFps = false;
            } else if (elapsed > 0.0) {
                fps = int32_t(std::trunc(double(frames) * 1000.0 / elapsed + 0.5));
            }
            StartStopwatch();
            frames = 0;
            text = WStrFormat(u"FPS: %d", fps);
            Paint(image, display, 50, text);
        }
    }

    DemoClock clock;
    clockShown = host.GetDemoClock(clock);
    if (!clockShown)
        return;
    const double speed = host.GetUpdateSpeed();
    const uint32_t interval = speed > 0.0 ? uint32_t(std::min(1000.0 / speed, 1e9)) : 1000u;
    const uint32_t now = GetTickCount();
    if (clockImage && now - lastClockTick < interval)
        return;
    lastClockTick = now;
    const int64_t left = clock.demoLength > clock.updateCount ? clock.demoLength - clock.updateCount : 0;
    const int64_t seconds = left * clock.framePeriodMs / 1000;
    clockText = WStrFormat(u"%02d:%02d:%02d", int(seconds / 3600), int(seconds / 60 % 60), int(seconds % 60));
    Paint(clockImage, display, TheFont().WidthOfText(std::u16string_view(u"00:00:00"), 1.0f, 1.0f, 0.0f) + 4,
          clockText);
}

void DebugOverlays::ReleaseImages()
{
    image.reset();
    clockImage.reset();
}

void DebugOverlays::Draw(Image* target, int width, int height)
{
    if (!target || !image)
        return;
    Graphics g(target);
    g.DrawImageAt(image.get(), width - image->width - 10, height - image->height - 10);
    if (clockShown && clockImage)
        g.DrawImageAt(clockImage.get(), width - clockImage->width - 10,
                      height - image->height - clockImage->height - 15);
}

} // namespace Quib
