#include "platform/UrlOpener.h"
#include "platform/headless/CapturingSink.h"
#include "platform/headless/FakeClock.h"
#include "platform/headless/HeadlessUrlOpener.h"
#include "tests/support/TempDir.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

namespace Quib {
namespace {

class UrlOpenerTest : public ::testing::Test {
protected:
    // A stand-in opener program: writes its arguments beside itself, then
    // does what the body says.
    std::string Program(const char* name, const char* body)
    {
        const std::string path = dir.WriteFile(
            name, std::string("#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$(dirname \"$0\")/args\"\n") + body + "\n");
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
        return path;
    }

    // Polls until the opening has ended (the clock stands still, so no timeout).
    static UrlOpenState Finish(UrlOpener& opener)
    {
        for (int i = 0; i < 500; ++i) {
            const UrlOpenState state = opener.Poll();
            if (state != UrlOpenState::Running)
                return state;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return UrlOpenState::Running;
    }

    // Waits until the stand-in program has written its arguments.
    bool ProgramStarted() const
    {
        for (int i = 0; i < 500 && !std::filesystem::exists(dir / "args"); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return std::filesystem::exists(dir / "args");
    }

    Testing::TempDir dir;
    ScopedFakeClock clock{1000};
    CapturingSink sink;
};

TEST_F(UrlOpenerTest, TheAddressIsTheOnlyArgumentAndNoShellSeesIt)
{
    ProgramUrlOpener opener(Program("open", "exit 0"));
    EXPECT_EQ(opener.Poll(), UrlOpenState::Idle);
    const std::string url = "https://example.org/a b?q=$(touch pwned)&r=`id`;x|y";
    ASSERT_TRUE(opener.Open(url));
    EXPECT_EQ(Finish(opener), UrlOpenState::Opened);
    EXPECT_EQ(Testing::TempDir::ReadFile(dir / "args"), url + "\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "pwned"));
    EXPECT_FALSE(std::filesystem::exists("pwned"));
}

TEST_F(UrlOpenerTest, AFailingOpenerIsAFailure)
{
    ProgramUrlOpener opener(Program("open", "exit 3"));
    ASSERT_TRUE(opener.Open("https://example.org/"));
    EXPECT_EQ(Finish(opener), UrlOpenState::Failed);
}

TEST_F(UrlOpenerTest, AMissingOpenerFailsAtOnce)
{
    ProgramUrlOpener opener(dir / "no-such-opener");
    EXPECT_FALSE(opener.Open("https://example.org/"));
    EXPECT_EQ(opener.Poll(), UrlOpenState::Failed);
    ProgramUrlOpener onPath("quib-no-such-opener-anywhere");
    EXPECT_FALSE(onPath.Open("https://example.org/"));
}

TEST_F(UrlOpenerTest, AnOpenerStillRunningAfterTheTimeoutCountsAsOpened)
{
    ProgramUrlOpener opener(Program("open", "sleep 1"), 8000);
    ASSERT_TRUE(opener.Open("https://example.org/"));
    ASSERT_TRUE(ProgramStarted());
    EXPECT_EQ(opener.Poll(), UrlOpenState::Running);
    clock.Advance(7999);
    EXPECT_EQ(opener.Poll(), UrlOpenState::Running);
    clock.Advance(1);
    EXPECT_EQ(opener.Poll(), UrlOpenState::Opened);
}

TEST_F(UrlOpenerTest, AddressesAnOpenerCouldMisreadAreRefused)
{
    ProgramUrlOpener opener(Program("open", "exit 0"));
    for (const char* address : {"", "--help", "-x", "https://a\nb", "https://a\x7F"}) {
        EXPECT_FALSE(opener.Open(address)) << address;
        EXPECT_EQ(opener.Poll(), UrlOpenState::Failed);
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "args"));
    EXPECT_TRUE(IsOpenableAddress("file:///home/player/read me.txt"));
    EXPECT_TRUE(IsOpenableAddress("https://example.org/-x"));
}

TEST_F(UrlOpenerTest, ANewOpeningReplacesTheOldOne)
{
    ProgramUrlOpener opener(Program("open", "case \"$1\" in *slow*) sleep 1 ;; esac; exit 0"));
    ASSERT_TRUE(opener.Open("https://example.org/slow"));
    ASSERT_TRUE(opener.Open("https://example.org/fast"));
    EXPECT_EQ(Finish(opener), UrlOpenState::Opened);
}

TEST(HeadlessUrlOpener, RecordsAddressesAndEndsAsScripted)
{
    HeadlessUrlOpener opener;
    EXPECT_EQ(&GetUrlOpener(), &opener);
    opener.outcomes.push_back(UrlOpenState::Failed);
    opener.pollsUntilDone = 2;
    EXPECT_TRUE(GetUrlOpener().Open("https://example.org/update"));
    EXPECT_EQ(GetUrlOpener().Poll(), UrlOpenState::Running);
    EXPECT_EQ(GetUrlOpener().Poll(), UrlOpenState::Failed);
    EXPECT_TRUE(GetUrlOpener().Open("https://example.org/again"));
    EXPECT_EQ(GetUrlOpener().Poll(), UrlOpenState::Running);
    EXPECT_EQ(GetUrlOpener().Poll(), UrlOpenState::Opened);
    opener.startable = false;
    EXPECT_FALSE(GetUrlOpener().Open("https://example.org/never"));
    EXPECT_EQ(opener.opened, std::vector<std::string>({"https://example.org/update", "https://example.org/again",
                                                       "https://example.org/never"}));
}

} // namespace
} // namespace Quib
