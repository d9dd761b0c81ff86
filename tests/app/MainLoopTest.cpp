// The main loop on a fake clock: update pacing, catching up, speed, draws,
// smooth mode, deferred deletes and exit requests.
#include "tests/support/AppTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

namespace Quib {
namespace {

using namespace Testing;

class MainLoop : public ::testing::Test {
protected:
    void SetUp() override
    {
        app.Initialize();
        ASSERT_TRUE(env.fatalExits.empty());
        ASSERT_TRUE(app.mainWindow);
        app.inMainLoop = true;
    }

    // Runs application steps until the clock has moved on by ms.
    void RunFor(uint32_t ms)
    {
        const uint32_t end = env.clock.Milliseconds() + ms;
        int steps = 0;
        while (int32_t(env.clock.Milliseconds() - end) < 0 && ++steps < 1000000)
            app.AppStep(nullptr);
        ASSERT_LT(steps, 1000000) << "the loop stopped moving the clock";
    }

    // Runs steps while no time passes; returns the update frames run.
    int RunWhileTimeStands()
    {
        const uint32_t now = env.clock.Milliseconds();
        const int before = app.updateCount;
        for (int steps = 0; env.clock.Milliseconds() == now && steps < 100000; ++steps)
            app.AppStep(nullptr);
        return app.updateCount - before;
    }

    RecordingWidget* AddWidget(bool animate)
    {
        auto* widget = app.Adopt(new RecordingWidget);
        widget->SetBounds(10, 10, 100, 50);
        widget->animate = animate;
        return widget;
    }

    HeadlessAppEnvironment env;
    TestApp app;
};

TEST_F(MainLoop, UpdatesFollowTheClockAndPresentsFollowChanges)
{
    struct Case {
        bool animate;
        int minPresents, maxPresents;
    };
    // Idle: one present a second; changing every update: one per update.
    for (const Case c : {Case{false, 1, 2}, Case{true, 99, 101}}) {
        SCOPED_TRACE(c.animate);
        RecordingWidget* widget = AddWidget(c.animate);
        RunFor(1000);
        const int updates = app.updateCount;
        const int presents = app.drawCount;
        RunFor(1000);
        EXPECT_NEAR(app.updateCount - updates, 100, 1);
        EXPECT_GE(app.drawCount - presents, c.minPresents);
        EXPECT_LE(app.drawCount - presents, c.maxPresents);
        EXPECT_LE(app.drawCount - presents, app.updateCount - updates);
        widget->SetVisible(false);
        app.widgetManager->DetachChild(widget);
    }
}

TEST_F(MainLoop, AStallCatchesUpTwoHundredMillisecondsAtMost)
{
    for (const bool loadingDone : {false, true}) {
        SCOPED_TRACE(loadingDone);
        app.loadingAcknowledged = loadingDone;
        RunFor(500);
        env.clock.Advance(5000);
        EXPECT_EQ(RunWhileTimeStands(), 20);
        const int after = app.updateCount;
        RunFor(1000);
        EXPECT_NEAR(app.updateCount - after, 100, 1);
    }
}

TEST_F(MainLoop, SpeedScalesTheUpdateRateAndNeverStopsIt)
{
    struct Case {
        double speed;
        int perSecond;
    };
    // At or below 0.1 the updates still run (at their own rate); 0 runs
    // none.
    // 0.3 owes fractions of a millisecond between updates: the waits are
    // rounded up rather than spun.
    const Case cases[] = {{1.0, 100}, {0.25, 25}, {0.3, 30}, {0.1, 10}, {0.05, 5}, {0.0, 0}};
    app.loadingAcknowledged = true;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.speed);
        app.updateSpeed = c.speed;
        RunFor(1000);
        const int before = app.updateCount;
        RunFor(2000);
        EXPECT_NEAR(app.updateCount - before, 2 * c.perSecond, 1);
    }
}

TEST_F(MainLoop, SpeedZeroStillTakesInput)
{
    RecordingWidget* widget = AddWidget(false);
    app.widgetManager->SetFocusWidget(widget);
    app.updateSpeed = 0;
    RunFor(100);
    const int updates = app.updateCount;
    env.windows.MainWindow()->KeyDown('Q');
    RunFor(100);
    EXPECT_EQ(app.updateCount, updates);
    EXPECT_NE(std::find(widget->log.begin(), widget->log.end(), "key 81"), widget->log.end());
}

// The longest run of update frames without a draw attempt or a sleep.
int LongestUpdateRun(const std::string& events)
{
    int longest = 0, run = 0;
    for (char e : events) {
        run = e == 'U' ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return longest;
}

TEST_F(MainLoop, AfterLoadingAtMostNineUpdatesRunBackToBack)
{
    struct Case {
        bool loadingAcknowledged;
        int longestRun;
    };
    for (const Case c : {Case{false, 20}, Case{true, 9}}) {
        SCOPED_TRACE(c.loadingAcknowledged);
        app.loadingAcknowledged = c.loadingAcknowledged;
        RunFor(500);
        env.clock.Advance(5000);
        app.events.clear();
        EXPECT_EQ(RunWhileTimeStands(), 20);
        EXPECT_EQ(LongestUpdateRun(app.events), c.longestRun);
    }
}

// A display whose presents take one refresh of a 60 Hz screen.
class PacedDisplay : public DDInterface {
public:
    PacedDisplay(QuibAppBase* owner, FakeClock& clock) : DDInterface(owner), mClock(clock) {}
    int Init(Window* target, bool inWindow) override
    {
        const int result = DDInterface::Init(target, inWindow);
        refreshRate = 60;
        msPerRefresh = 16;
        return result;
    }
    bool Redraw(const Rect* clip) override
    {
        mClock.AdvanceMicroseconds(16667);
        return DDInterface::Redraw(clip);
    }

private:
    FakeClock& mClock;
};

TEST(MainLoopSmooth, RefreshPacedUpdatesRunFiveForThreePresentsAt60Hz)
{
    HeadlessAppEnvironment env;
    TestApp app;
    app.smoothUpdates = true;
    app.windowedWanted = false; // refresh pacing is for full screen
    app.displayFactory = [&](QuibAppBase& owner) { return std::make_unique<PacedDisplay>(&owner, env.clock); };
    app.Initialize();
    ASSERT_FALSE(app.windowed);
    ASSERT_EQ(app.refreshRate, 60);
    auto* widget = app.Adopt(new RecordingWidget);
    widget->animate = true;
    widget->SetBounds(0, 0, 50, 50);

    for (int i = 0; i < 2000 && app.drawCount < 30; ++i)
        app.AppStep(nullptr);
    const int updates = app.updateCount;
    const int presents = app.drawCount;
    app.fractions.clear();
    for (int i = 0; i < 100000 && app.drawCount < presents + 300; ++i)
        app.AppStep(nullptr);
    ASSERT_EQ(app.drawCount, presents + 300);
    EXPECT_NEAR(double(app.updateCount - updates) / 300, 5.0 / 3.0, 0.02);
    ASSERT_FALSE(app.fractions.empty());
    for (float f : app.fractions)
        EXPECT_FLOAT_EQ(f, float(1000.0 / 600.0));
    EXPECT_FALSE(app.vsyncBroken);
}

// Counts its own destruction.
struct NestedDeleteWidget : Widget {
    explicit NestedDeleteWidget(int* deletions) : counter(deletions) {}
    ~NestedDeleteWidget() override { ++*counter; }
    int* counter;
};

TEST_F(MainLoop, WidgetsQueuedByAnOuterStepOutliveNestedSteps)
{
    int outerDeleted = 0, innerDeleted = 0;
    int outerAfterNested = -1, innerAfterNested = -1;
    bool nesting = false, done = false;
    app.onUpdate = [&](int) {
        if (done)
            return;
        if (!nesting) {
            // An update at depth 1 queues a widget, then waits modally.
            nesting = true;
            app.QueueDeferredDelete(new NestedDeleteWidget(&outerDeleted));
            const int until = app.updateCount + 3;
            while (app.updateCount < until)
                app.AppStep(nullptr);
            outerAfterNested = outerDeleted;
            innerAfterNested = innerDeleted;
            done = true;
        } else if (innerDeleted == 0 && app.deferredDeletes.Size() == 1) {
            EXPECT_EQ(app.stepDepth, 2);
            app.QueueDeferredDelete(new NestedDeleteWidget(&innerDeleted));
        }
    };
    RunFor(200);
    EXPECT_TRUE(done);
    EXPECT_EQ(outerAfterNested, 0); // still queued while the nested steps ran
    EXPECT_EQ(innerAfterNested, 1); // deleted by the nested steps themselves
    EXPECT_EQ(outerDeleted, 1);     // deleted once the outer step went on
    EXPECT_TRUE(app.deferredDeletes.Empty());
}

TEST_F(MainLoop, ExitRunsOnceAndAbortsTheSteps)
{
    RunFor(100);
    app.RequestExit();
    app.RequestExit();
    EXPECT_EQ(app.exitHooks, 1);
    EXPECT_TRUE(app.exiting);
    EXPECT_FALSE(app.AppStepUntilUpdate());
    EXPECT_FALSE(app.AppStep(nullptr));
}

TEST_F(MainLoop, ExitAskedOnAnotherThreadHappensOnTheNextTimedStep)
{
    RunFor(100);
    std::thread other([&] { app.RequestExit(); });
    other.join();
    EXPECT_FALSE(app.exiting);
    EXPECT_TRUE(app.exitRequestedByThread);
    EXPECT_EQ(app.exitHooks, 0);
    app.RunMainLoop(); // ends with the exit the next timed step performs
    EXPECT_TRUE(app.exiting);
    EXPECT_EQ(app.exitHooks, 1);
}

TEST_F(MainLoop, ResetUpdateTimerDropsOwedTime)
{
    RunFor(100);
    env.clock.Advance(150);
    app.ResetUpdateTimer();
    EXPECT_EQ(RunWhileTimeStands(), 0);
}

} // namespace
} // namespace Quib
