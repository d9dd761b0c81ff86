#include "platform/Folders.h"
#include "platform/headless/CapturingSink.h"
#include "platform/headless/FakeClock.h"

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

class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : mName(name)
    {
        if (const char* old = std::getenv(name))
            mOld = old, mHad = true;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv()
    {
        if (mHad)
            setenv(mName, mOld.c_str(), 1);
        else
            unsetenv(mName);
    }

private:
    const char* mName;
    std::string mOld;
    bool mHad = false;
};

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
