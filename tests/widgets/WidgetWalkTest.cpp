// The elapsed-time walk, system-change propagation, whole-tree
// invalidation and the state a screen pass draws with.
#include "framework/app/DDInterface.h"
#include "framework/app/QuibAppBase.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/Graphics.h"
#include "framework/widgets/Widget.h"
#include "framework/widgets/WidgetManager.h"
#include "tests/support/TestDisplays.h"
#include "tests/support/TestWidgetApp.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Quib {
namespace {

using namespace Testing;

// Records walks and the drawing state it is given.
struct WalkProbe : Widget {
    WalkProbe(std::string probeName, std::vector<std::string>* walkLog) : name(std::move(probeName)), log(walkLog)
    {
        width = 10;
        height = 10;
    }
    void UpdateElapsed(float elapsed) override { log->push_back(name + " elapsed " + std::to_string(elapsed)); }
    void OnSystemChange() override { log->push_back(name + " system"); }
    void Draw(Graphics& g) override
    {
        is3DTarget = g.is3DTarget;
        smooth = g.smooth;
        fastStretch = g.fastStretch;
        ++draws;
    }
    std::string name;
    std::vector<std::string>* log;
    bool is3DTarget = false;
    bool smooth = false;
    bool fastStretch = false;
    int draws = 0;
};

TEST(WidgetWalks, ElapsedWalkRunsOnAttachedWidgetsThatUpdate)
{
    TestWidgetApp app;
    std::vector<std::string> log;
    WalkProbe a("a", &log);
    WalkProbe a1("a1", &log);
    WalkProbe still("still", &log);
    WalkProbe loose("loose", &log);
    still.flagsMod = WidgetFlagsMod(0, WIDGETFLAGS_UPDATE);
    a.AttachChild(&a1);
    app.manager->AttachChild(&a);
    app.manager->AttachChild(&still);
    TreeWalkFlags flags;
    app.manager->InitTreeWalkFlags(flags);
    app.manager->UpdateTreeElapsed(flags, 0.25f);
    loose.UpdateTreeElapsed(flags, 0.5f);
    EXPECT_EQ(log, (std::vector<std::string>{"a elapsed 0.250000", "a1 elapsed 0.250000"}));
    EXPECT_EQ(flags.upperFlags, WIDGETFLAGS_DEFAULT); // restored after the walk
    app.manager->DetachAllChildren(false, false);
    a.DetachAllChildren(false, false);
}

TEST(WidgetWalks, SystemChangeReachesEveryWidgetParentFirst)
{
    std::vector<std::string> log;
    WalkProbe a("a", &log);
    WalkProbe a1("a1", &log);
    WalkProbe b("b", &log);
    a.AttachChild(&a1);
    a.AttachChild(&b);
    a.PropagateSystemChange();
    EXPECT_EQ(log, (std::vector<std::string>{"a system", "a1 system", "b system"}));
    a.DetachAllChildren(false, false);
}

TEST(WidgetWalks, InvalidateAllDirtiesTheWholeTree)
{
    TestWidgetApp app;
    std::vector<std::string> log;
    WalkProbe a("a", &log);
    WalkProbe a1("a1", &log);
    a.AttachChild(&a1);
    app.manager->AttachChild(&a);
    app.manager->DrawScreen();
    ASSERT_FALSE(a1.dirty);
    app.manager->InvalidateAll();
    EXPECT_TRUE(app.manager->dirty);
    EXPECT_TRUE(a.dirty);
    EXPECT_TRUE(a1.dirty);
    app.manager->DetachAllChildren(false, false);
    a.DetachAllChildren(false, false);
}

TEST(WidgetWalks, ScreenPassMarksTheRenderTargetAndItsFiltering)
{
    QuibAppBase app;
    DDInterface& display = MakeTestDisplay(app, kDisplayLayouts[0]);
    WidgetManager& wm = *app.GetWidgetManager();
    DDImage screen(&display);
    screen.Resize(32, 32);
    ASSERT_TRUE(screen.CreateSurface());
    wm.screenImage = &screen;
    std::vector<std::string> log;
    WalkProbe probe("p", &log);
    wm.AttachChild(&probe);

    wm.DrawScreen();
    ASSERT_EQ(probe.draws, 1);
    EXPECT_FALSE(probe.is3DTarget);
    EXPECT_TRUE(probe.fastStretch);
    EXPECT_FALSE(probe.smooth);

    display.is3D = true;
    display.drawSurface = screen.surface;
    ASSERT_TRUE(screen.IsRenderTarget());
    probe.Invalidate();
    wm.DrawScreen();
    ASSERT_EQ(probe.draws, 2);
    EXPECT_TRUE(probe.is3DTarget);
    EXPECT_FALSE(probe.fastStretch);
    EXPECT_TRUE(probe.smooth);
    EXPECT_EQ(screen.lockCount, 0);
    display.drawSurface = nullptr;
    wm.DetachChild(&probe);
}

} // namespace
} // namespace Quib
