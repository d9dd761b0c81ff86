#include "platform/Folders.h"
#include "platform/headless/CapturingSink.h"
#include "platform/headless/FakeClock.h"
#include "tests/support/ScopedEnv.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace Quib {
namespace {

TEST(Clock, FakeClockMovesOnSleepAndWrapsAt32Bits)
{
    ScopedFakeClock clock(0xFFFFFFF0u);
    EXPECT_EQ(TimeGetTime(), 0xFFFFFFF0u);
    GetClock().Sleep(0x20);
    EXPECT_EQ(TimeGetTime(), 0x10u); // wrapped like timeGetTime
    EXPECT_EQ(GetClock().PerformanceFrequency(), 1000000u);
}

TEST(Clock, SystemClockIsBackAfterTheFakeOne)
{
    {
        ScopedFakeClock clock(5);
        EXPECT_EQ(TimeGetTime(), 5u);
    }
    EXPECT_NE(dynamic_cast<SystemClock*>(&GetClock()), nullptr);
}

TEST(Clock, TickCountAndSleepUseTheInstalledClock)
{
    ScopedFakeClock clock(1000);
    EXPECT_EQ(GetTickCount(), 1000u);
    Sleep(250);
    EXPECT_EQ(GetTickCount(), 1250u);
    EXPECT_EQ(TimeGetTime(), GetTickCount());
}

TEST(Clock, TimerPeriodRequestsAreCountedInPairs)
{
    ResetTimerPeriodCalls();
    EXPECT_EQ(TimeBeginPeriod(1), 0u);
    EXPECT_EQ(GetTimerPeriodCalls().begun, 1u);
    EXPECT_EQ(GetTimerPeriodCalls().ended, 0u);
    EXPECT_EQ(TimeEndPeriod(1), 0u);
    const TimerPeriodCalls calls = GetTimerPeriodCalls();
    EXPECT_EQ(calls.begun, 1u);
    EXPECT_EQ(calls.ended, 1u);
    EXPECT_EQ(calls.lastPeriodMs, 1u);
}

TEST(MessageSink, WideBoxesReachNarrowSinksInWindows1252)
{
    CapturingSink sink;
    EXPECT_EQ(ShowMessageBoxW(u"Caf\u00e9 \u20ac \u65e5", u"T\u00eftle", MB_OKCANCEL), IDOK);
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(sink.boxes[0].text, "Caf\xE9 \x80 ?");
    EXPECT_EQ(sink.boxes[0].caption, "T\xEFtle");
    EXPECT_EQ(sink.boxes[0].style, unsigned(MB_OKCANCEL));
}

TEST(MessageSink, CapturesBoxesAndAnswersFromTheScript)
{
    CapturingSink sink;
    OutputDebugString("hello");
    sink.answers.push_back(IDNO);
    EXPECT_EQ(ShowMessageBox("Quit?", "Game", MB_YESNO), IDNO);
    EXPECT_EQ(ShowMessageBox("Again?", "Game", MB_YESNO), IDYES);
    EXPECT_EQ(ShowMessageBox("Done", "Game"), IDOK);
    ASSERT_EQ(sink.debugLines.size(), 1u);
    EXPECT_EQ(sink.debugLines[0], "hello");
    ASSERT_EQ(sink.boxes.size(), 3u);
    EXPECT_EQ(sink.boxes[0].caption, "Game");
}

using Testing::ScopedEnv;

TEST(Folders, FollowTheXdgVariables)
{
    ScopedEnv home("HOME", "/home/player/");
    {
        ScopedEnv data("XDG_DATA_HOME", nullptr);
        ScopedEnv config("XDG_CONFIG_HOME", "relative/not/used");
        EXPECT_EQ(DocumentsFolder(), "/home/player");
        EXPECT_EQ(AppDataFolder(), "/home/player/.local/share");
        EXPECT_EQ(ConfigFolder(), "/home/player/.config");
    }
    ScopedEnv data("XDG_DATA_HOME", "/data/here");
    EXPECT_EQ(AppDataFolder(), "/data/here");
}

} // namespace
} // namespace Quib
