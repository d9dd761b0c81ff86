#include "src/screens/LoadingScreen.h"

#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "platform/Clock.h"
#include "src/GameApp.h"
#include "src/game/quest/PsdPicture.h"
#include "src/game/quest/PsdPictureLayer.h"

namespace Quib {

LoadingScreen::LoadingScreen(Image* picture)
{
    (void)picture;
    frequency = GetClock().PerformanceFrequency();
    startCounter = GetClock().PerformanceCounter();
    layout = std::make_unique<PsdPicture>("data/gui/loading/", true);
    lamp = layout->FindLayer("lamp");
    if (lamp)
        lamp->drawn = false;
    if (PsdPictureLayer* line = layout->FindLayer("line")) {
        lineX = line->x;
        lineY = line->y;
        if (line->image) {
            lineWidth = line->image->width;
            lineHeight = line->image->height;
        }
    }
}

LoadingScreen::~LoadingScreen() = default;

int LoadingScreen::LampsFor(int done, int total)
{
    if (done <= 0 || total <= 0)
        return 0;
    const double progress = std::min(1.0, double(done) / double(total));
    return int(progress * kLampCount);
}

void LoadingScreen::Update()
{
    // The lamps follow the loading thread's count.
    Invalidate();
    if (done || !finished)
        return;
    const uint64_t now = GetClock().PerformanceCounter();
    const double elapsed = frequency ? double(now - startCounter) / double(frequency) : minimumSeconds + 1;
    if (elapsed > minimumSeconds) {
        done = true;
        Finish();
    }
}

void LoadingScreen::Draw(Graphics& g)
{
    layout->DrawAll(g);
    if (!lamp || !lamp->image)
        return;
    GameApp* app = GetGameApp();
    const int lamps = app ? LampsFor(app->LoadingTasksDone(), app->LoadingTasksTotal()) : 0;
    for (int i = 0; i < lamps; ++i)
        g.DrawImageAt(lamp->image, lineX + i * lamp->image->width, lineY);
}

void LoadingScreen::Finish()
{
    if (GameApp* app = GetGameApp(); app && app->GetLoadingScreen() == this)
        app->FinishLoadingScreen();
}

} // namespace Quib
