#include "framework/files/FrameTimer.h"
#include "framework/files/PerfScope.h"
#include "framework/files/PerfTimer.h"
#include "framework/files/Stopwatch.h"
#include "platform/headless/FakeClock.h"

#include <gtest/gtest.h>

#include <cmath>
#include <thread>

namespace Quib {
namespace {

// The fake clock counts microseconds: 1000 ticks are one millisecond.
class PerfTimerTest : public ::testing::Test {
protected:
    void SetUp() override { PerfTimer::StartTiming(); }
    void TearDown() override
    {
        if (PerfTimer::IsTiming())
            PerfTimer::StopTiming();
    }
    void Ms(uint32_t ms) { clock.Advance(ms); }

    ScopedFakeClock clock{1000};
};

TEST_F(PerfTimerTest, ARunWithoutSectionsReportsItsTotalOnly)
{
    clock.AdvanceMicroseconds(1500);
    PerfTimer::StopTiming();
    EXPECT_FALSE(PerfTimer::IsTiming());
    EXPECT_EQ(PerfTimer::TicksPerSecond(), 1000000u);
    EXPECT_EQ(PerfTimer::BuildPerfReport(), "Total Time: 1.50\n");
}

// Samples are applied only when the outermost section closes.
TEST_F(PerfTimerTest, InnerSectionsAreRecordedWhenTheOuterOneCloses)
{
    PerfTimer::BeginSection("Outer");
    Ms(1);
    for (int i = 0; i < 2; ++i) {
        PerfTimer::BeginSection("Inner");
        Ms(2 + i);
        PerfTimer::EndSection("Inner");
    }
    EXPECT_EQ(PerfTimer::FindSection("Inner"), nullptr);
    EXPECT_EQ(PerfTimer::FindSection("Outer"), nullptr);
    Ms(4);
    PerfTimer::EndSection("Outer");
    const PerfTimer::Section* inner = PerfTimer::FindSection("inner");
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(inner->calls, 2);
    EXPECT_EQ(inner->totalTicks, 5000u);
    EXPECT_DOUBLE_EQ(inner->longest, 3000.0); // ticks while timing
    EXPECT_EQ(PerfTimer::FindSection("Outer")->totalTicks, 10000u);

    Ms(10);
    PerfTimer::StopTiming();
    EXPECT_DOUBLE_EQ(PerfTimer::GetTotalTime(), 20.0);
    EXPECT_DOUBLE_EQ(PerfTimer::FindSection("Inner")->totalTime, 5.0);
    EXPECT_DOUBLE_EQ(PerfTimer::FindSection("Inner")->longest, 3.0); // ms after stopping
    EXPECT_EQ(PerfTimer::BuildPerfReport(), "Total Time: 20.00\n"
                                            "Inner (2 calls, %25.00 time): 5.00 (2.50 avg, 3.00 longest)\n"
                                            "Outer (1 calls, %50.00 time): 10.00 (10.00 avg, 10.00 longest)\n");
}

TEST_F(PerfTimerTest, RecursiveSectionsCountEveryCallButTimeTheOutermost)
{
    PerfTimer::BeginSection("Draw");
    Ms(1);
    PerfTimer::BeginSection("DRAW");
    Ms(2);
    PerfTimer::EndSection("draw");
    Ms(3);
    PerfTimer::EndSection("Draw");
    const PerfTimer::Section* draw = PerfTimer::FindSection("Draw");
    ASSERT_NE(draw, nullptr);
    EXPECT_EQ(draw->calls, 2);
    EXPECT_EQ(draw->openDepth, 0);
    EXPECT_EQ(draw->totalTicks, 6000u);
}

TEST_F(PerfTimerTest, SectionsAreReportedInNameOrderWithoutRegardToCase)
{
    for (const char* name : {"b", "A", "c"}) {
        PerfTimer::BeginSection(name);
        Ms(1);
        PerfTimer::EndSection(name);
    }
    PerfTimer::StopTiming();
    const std::string report = PerfTimer::BuildPerfReport();
    EXPECT_LT(report.find("\nA ("), report.find("\nb ("));
    EXPECT_LT(report.find("\nb ("), report.find("\nc ("));
}

TEST_F(PerfTimerTest, NothingIsRecordedWhileTimingIsOffOrOnAnotherThread)
{
    std::thread([] {
        PerfScope scope("Elsewhere");
        PerfTimer::BeginSection("Other");
        PerfTimer::EndSection("Other");
    }).join();
    PerfTimer::StopTiming();
    PerfTimer::BeginSection("Late");
    EXPECT_FALSE(PerfTimer::IsTiming());
    PerfScope scope("Late");
    EXPECT_FALSE(scope.active);
    EXPECT_EQ(PerfTimer::FindSection("Other"), nullptr);
    EXPECT_EQ(PerfTimer::FindSection("Elsewhere"), nullptr);
    EXPECT_EQ(PerfTimer::FindSection("Late"), nullptr);
    // The next run starts from nothing.
    PerfTimer::StartTiming();
    EXPECT_EQ(PerfTimer::FindSection("Late"), nullptr);
}

TEST_F(PerfTimerTest, AScopeEndsItsSectionOnce)
{
    {
        PerfScope scope("Scope");
        EXPECT_TRUE(scope.active);
        Ms(2);
        scope.End();
        EXPECT_FALSE(scope.active);
        Ms(5);
    }
    const PerfTimer::Section* section = PerfTimer::FindSection("Scope");
    ASSERT_NE(section, nullptr);
    EXPECT_EQ(section->calls, 1);
    EXPECT_EQ(section->totalTicks, 2000u);
}

TEST_F(PerfTimerTest, AnEndWithoutItsStartChangesNothing)
{
    PerfTimer::EndSection("Stray");
    PerfTimer::BeginSection("Real");
    Ms(1);
    PerfTimer::EndSection("Real");
    PerfTimer::EndSection("Real");
    EXPECT_EQ(PerfTimer::FindSection("Stray"), nullptr);
    EXPECT_EQ(PerfTimer::FindSection("Real")->totalTicks, 1000u);
    EXPECT_EQ(PerfTimer::FindSection("Real")->openDepth, 0);
}

// A run of no measurable length gives no shares rather than NaN.
TEST_F(PerfTimerTest, AnEmptyRunHasNoShares)
{
    PerfTimer::BeginSection("Instant");
    PerfTimer::EndSection("Instant");
    PerfTimer::StopTiming();
    EXPECT_EQ(PerfTimer::BuildPerfReport(),
              "Total Time: 0.00\nInstant (1 calls, %0.00 time): 0.00 (0.00 avg, 0.00 longest)\n");
}

TEST(Stopwatch, MeasuresUntilStopped)
{
    ScopedFakeClock clock(5);
    StartStopwatch();
    clock.Advance(250);
    EXPECT_DOUBLE_EQ(GetStopwatchMs(), 250.0);
    clock.AdvanceMicroseconds(500);
    StopStopwatch();
    EXPECT_FALSE(IsStopwatchRunning());
    clock.Advance(1000);
    EXPECT_DOUBLE_EQ(GetStopwatchMs(), 250.5);
    StartStopwatch();
    EXPECT_DOUBLE_EQ(GetStopwatchMs(), 0.0);
}

TEST(FrameTimer, AveragesTheLastTwentyFrames)
{
    ScopedFakeClock clock(100);
    FrameTimer& timer = FrameTimer::GetInstance();
    EXPECT_EQ(&timer, &FrameTimer::GetInstance());
    timer.Reset();
    EXPECT_EQ(timer.samples.size(), 20u);
    EXPECT_EQ(timer.limit, 20);

    clock.Advance(50);
    EXPECT_NEAR(timer.Step(), (19 * 0.03 + 0.05) / 20, 1e-6);
    EXPECT_EQ(timer.samples.size(), 20u);
    for (int i = 0; i < 19; ++i) {
        clock.Advance(10);
        timer.Step();
    }
    // Only the 20 latest samples count: 0.05 and nineteen of 0.01.
    EXPECT_NEAR(timer.average, (0.05 + 19 * 0.01) / 20, 1e-6);

    // A stall counts as 30 s at most; the scale applies.
    clock.Advance(100000);
    timer.Step();
    EXPECT_FLOAT_EQ(timer.samples.back(), 30.0f);
    timer.scale = 0.5f;
    clock.Advance(20);
    timer.Step();
    EXPECT_NEAR(timer.samples.back(), 0.01, 1e-6);
    timer.scale = 1.0f;
}

} // namespace
} // namespace Quib
