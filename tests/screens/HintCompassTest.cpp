// The hint compass: the recharge timer, its ready call, the compass clicks
// and the clock wipe.
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "src/game/quest/PsdPicture.h"
#include "src/game/quest/PsdPictureLayer.h"
#include "src/screens/HintTimer.h"
#include "src/screens/HintWidget.h"
#include "tests/screens/ScreensTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <string>

namespace Quib::HintCompassTests {
namespace {

using namespace Testing;

// An image of one colour.
MemoryImage* Solid(int w, int h, Color c)
{
    auto* image = new MemoryImage(nullptr);
    image->Resize(w, h);
    Graphics g(image);
    g.color = c;
    g.FillRectangle(0, 0, w, h);
    return image;
}

// A layout with the named compass layers (each a square of the size).
std::unique_ptr<PsdPicture> CompassLayout(const std::vector<std::string>& names, int size = 40)
{
    auto layout = std::make_unique<PsdPicture>();
    for (const std::string& name : names) {
        auto* layer = new PsdPictureLayer();
        layer->name = name;
        layer->loadPending = false;
        layer->x = 100;
        layer->y = 200;
        layer->image = Solid(size, size, Color(200, 100, 50, 255));
        layout->layers.push_back(layer);
    }
    return layout;
}

const std::vector<std::string> kAllLayers = {"compass/back",  "compass/back2", "compass/innercircle",
                                             "compass/outercircle", "compass/arrow", "compass/dot",
                                             "compass/_glass"};

class Counter {
public:
    void Fire() { ++count; }
    int count = 0;
};

TEST(HintTimer, RechargeTimeComesFromTheSettingsAndTheReadyCallFiresOncePerRecharge)
{
    ScopedGameIni ini("[Game]\nHintTime=30\n");
    HintTimer timer;
    EXPECT_FLOAT_EQ(timer.rechargeTime, 30.0f);
    Counter ready;
    timer.SetReadyDelegate(Delegate(&ready, &Counter::Fire), &ready);
    for (int i = 0; i < 299; ++i)
        timer.Update(0.1f, true);
    EXPECT_FALSE(timer.IsCharged());
    EXPECT_EQ(ready.count, 0);
    for (int i = 0; i < 20; ++i)
        timer.Update(0.1f, true);
    EXPECT_TRUE(timer.IsCharged());
    EXPECT_EQ(ready.count, 1); // not again while it stays charged
    timer.Use();
    EXPECT_FALSE(timer.IsCharged());
    EXPECT_FLOAT_EQ(timer.usedFlash, 1.0f);
    for (const SpinWobble& w : timer.wobbles) {
        EXPECT_FLOAT_EQ(w.targetVelocity, 5.0f);
        EXPECT_FLOAT_EQ(w.rate, 3.0f);
    }
    for (int i = 0; i < 310; ++i)
        timer.Update(0.1f, true);
    EXPECT_EQ(ready.count, 2);
}

TEST(HintTimer, AZeroOrNegativeHintTimeIsAlwaysChargedWithoutNaN)
{
    for (const char* value : {"0", "-5"}) {
        ScopedGameIni ini(std::string("[Game]\nHintTime=") + value + "\n");
        HintTimer timer;
        EXPECT_EQ(timer.rechargeTime, 0.0f) << value;
        for (int i = 0; i < 50; ++i)
            timer.Update(0.02f, true);
        EXPECT_TRUE(timer.IsCharged()) << value;
        EXPECT_EQ(timer.ChargedFraction(), 1.0f) << value;
        timer.Use();
        timer.Update(0.02f, true);
        for (const SpinWobble& w : timer.wobbles) {
            EXPECT_TRUE(std::isfinite(w.angle)) << value;
            EXPECT_GE(w.angle, 0.0f);
            EXPECT_LT(w.angle, 2.0f * std::numbers::pi_v<float>);
        }
        EXPECT_TRUE(std::isfinite(timer.readyGlow));
    }
}

TEST(HintWidget, ClicksGiveAHintOnlyWhenChargedAndAcceptedByTheOwner)
{
    ScopedGameIni ini("[Game]\nHintTime=1\n");
    HintTimer timer;
    auto layout = CompassLayout(kAllLayers);
    bool answer = false;
    int asked = 0;
    HintWidget compass(&timer, [&] { ++asked; return answer; }, nullptr, *layout, "none");
    EXPECT_EQ(compass.x, 100);
    EXPECT_EQ(compass.width, 40);

    compass.OnMouseDownButton(5, 5, 0, 1); // recharging: the owner is not even asked
    EXPECT_EQ(asked, 0);
    for (int i = 0; i < 60; ++i)
        compass.Update(0.02f);
    ASSERT_TRUE(timer.IsCharged());
    compass.OnMouseDownButton(5, 5, 0, 1); // refused: nothing changes
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(timer.IsCharged());
    answer = true;
    compass.OnMouseDownButton(5, 5, 0, 1);
    EXPECT_EQ(asked, 2);
    EXPECT_FALSE(timer.IsCharged());
    EXPECT_FLOAT_EQ(timer.usedFlash, 1.0f);
}

TEST(HintWidget, MissingLayersAreSkippedNotDereferenced)
{
    ScopedGameIni ini("[Game]\nHintTime=0\n");
    const std::vector<std::vector<std::string>> layouts = {
        {},                                            // nothing at all
        {"compass/back2", "compass/arrow"},            // no back
        {"compass/back", "compass/dot"},               // no rings, no arrow, no glass
    };
    for (const auto& names : layouts) {
        HintTimer timer;
        auto layout = CompassLayout(names);
        HintWidget compass(&timer, nullptr, nullptr, *layout, "none");
        std::unique_ptr<MemoryImage> screen(NewScreen(300, 300));
        Graphics g(screen.get());
        for (int i = 0; i < 5; ++i) {
            compass.Update(0.1f);
            compass.Draw(g);
            compass.DrawOverChildren(g);
        }
        compass.OnMouseDownButton(1, 1, 0, 1);
        EXPECT_EQ(compass.AcceptsPoint(1, 1), compass.back != nullptr) << names.size();
    }
}

TEST(HintWidget, TheTimerNeverCallsADestroyedCompass)
{
    ScopedGameIni ini("[Game]\nHintTime=1\n");
    HintTimer timer;
    auto layout = CompassLayout(kAllLayers);
    auto first = std::make_unique<HintWidget>(&timer, nullptr, nullptr, *layout, "none");
    first.reset(); // the board went; the timer must not keep its call
    EXPECT_FALSE(static_cast<bool>(timer.OnReady));
    for (int i = 0; i < 60; ++i)
        timer.Update(0.02f, true); // would call into freed memory
    EXPECT_TRUE(timer.IsCharged());

    // A later compass installs itself; an older one going leaves it alone.
    timer.Use();
    auto older = std::make_unique<HintWidget>(&timer, nullptr, nullptr, *layout, "none");
    auto newer = std::make_unique<HintWidget>(&timer, nullptr, nullptr, *layout, "none");
    older.reset();
    EXPECT_TRUE(static_cast<bool>(timer.OnReady));
    EXPECT_EQ(timer.readyOwner, newer.get());
}

// The wipe covers the part of the face from 12 o'clock counter-clockwise.
TEST(DrawImagePie, AHalfWipeCoversTheLeftHalfAndAFullOneTheWhole)
{
    struct Case {
        double end;
        bool leftCovered;
        bool rightCovered;
    };
    const Case cases[] = {{std::numbers::pi, true, false}, {2.0 * std::numbers::pi, true, true},
                          {0.0, false, false}, {std::numbers::pi / 2.0, true, false}};
    std::unique_ptr<MemoryImage> white(Solid(40, 40, Color::White));
    for (const Case& c : cases) {
        std::unique_ptr<MemoryImage> screen(NewScreen(40, 40));
        Graphics g(screen.get());
        DrawImagePie(g, white.get(), Rect(0, 0, 40, 40), Rect(0, 0, 40, 40), 0.0, c.end, 0.0);
        const bool left = Near(screen->GetPixel(8, 12), 0xFFFFFFFF);
        const bool right = Near(screen->GetPixel(31, 12), 0xFFFFFFFF);
        EXPECT_EQ(left, c.leftCovered) << c.end;
        EXPECT_EQ(right, c.rightCovered) << c.end;
    }
}

TEST(DrawImagePie, OctantPointsWalkTheSquareCounterClockwiseFromTheTop)
{
    struct Case {
        int octant;
        double a;
        double x, y;
    };
    const Case cases[] = {
        {0, 0.0, 0, -1}, {0, std::numbers::pi / 4, -1, -1}, {1, 0.0, -1, -1}, {1, std::numbers::pi / 4, -1, 0},
        {2, 0.0, -1, 0}, {4, 0.0, 0, 1},  {6, 0.0, 1, 0},   {7, std::numbers::pi / 4, 0, -1},
    };
    for (const Case& c : cases) {
        double x = 0, y = 0;
        PieOctantPoint(c.octant, c.a, x, y);
        EXPECT_NEAR(x, c.x, 1e-9) << c.octant << " " << c.a;
        EXPECT_NEAR(y, c.y, 1e-9) << c.octant << " " << c.a;
    }
}

} // namespace
} // namespace Quib::HintCompassTests
