#include "platform/SingleInstance.h"
#include "platform/headless/CapturingSink.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/un.h>
#include <unistd.h>

namespace Quib {
namespace {

class SingleInstanceTest : public ::testing::Test {
protected:
    Testing::TempDir dir;
    Testing::ScopedEnv runtime{"XDG_RUNTIME_DIR", dir.Path().c_str()};
};

TEST_F(SingleInstanceTest, TheSecondHolderFindsTheFirstAndAsksItForward)
{
    SingleInstance first("Pelleranthe");
    EXPECT_FALSE(first.AlreadyRunning());
    EXPECT_EQ(first.TakeNotifications(), 0);
    EXPECT_FALSE(first.NotifyFirst()); // the first has no one to ask
    {
        SingleInstance second("Pelleranthe");
        EXPECT_TRUE(second.AlreadyRunning());
        EXPECT_TRUE(second.NotifyFirst());
        EXPECT_TRUE(second.NotifyFirst());
        EXPECT_EQ(second.TakeNotifications(), 0);
    }
    EXPECT_EQ(first.TakeNotifications(), 2);
    EXPECT_EQ(first.TakeNotifications(), 0);
    // Another product runs beside it.
    SingleInstance other("OtherProduct");
    EXPECT_FALSE(other.AlreadyRunning());
}

TEST_F(SingleInstanceTest, TheLockIsFreeOnceTheFirstHasGone)
{
    {
        SingleInstance first("Pelleranthe");
        EXPECT_FALSE(first.AlreadyRunning());
    }
    SingleInstance next("Pelleranthe");
    EXPECT_FALSE(next.AlreadyRunning());
    SingleInstance second("Pelleranthe");
    EXPECT_TRUE(second.NotifyFirst());
    EXPECT_EQ(next.TakeNotifications(), 1);
}

TEST_F(SingleInstanceTest, AStaleSocketIsReplaced)
{
    const std::string socketPath = SingleInstance::SocketPath("Pelleranthe");
    dir.WriteFile(std::filesystem::path(socketPath).filename().string(), "left over");
    SingleInstance first("Pelleranthe");
    ASSERT_FALSE(first.AlreadyRunning());
    SingleInstance second("Pelleranthe");
    EXPECT_TRUE(second.NotifyFirst());
    EXPECT_EQ(first.TakeNotifications(), 1);
}

TEST_F(SingleInstanceTest, ANotifyWithoutAListenerGivesUp)
{
    CapturingSink sink;
    // Someone holds the lock but never listens.
    const std::string lockPath = SingleInstance::LockPath("Quiet");
    const int fd = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(flock(fd, LOCK_EX | LOCK_NB), 0);
    SingleInstance second("Quiet");
    EXPECT_TRUE(second.AlreadyRunning());
    EXPECT_FALSE(second.NotifyFirst());
    EXPECT_FALSE(sink.debugLines.empty());
    close(fd);
}

TEST_F(SingleInstanceTest, NamesComeFromTheKeyAndStayInTheFolder)
{
    EXPECT_EQ(SingleInstance::LockPath("Pelleranthe"), dir.Path() + "/Pelleranthe.lock");
    EXPECT_EQ(SingleInstance::SocketPath("Pelleranthe"), dir.Path() + "/Pelleranthe.sock");
    EXPECT_EQ(SingleInstance::LockPath("../a b%"), dir.Path() + "/..%2Fa%20b%25.lock");
    // Different keys never share a file.
    EXPECT_NE(SingleInstance::LockPath("a/b"), SingleInstance::LockPath("a_b"));
    // Long keys are shortened to fit a socket name, and still differ.
    const std::string longA(300, 'a'), longB = std::string(299, 'a') + "b";
    const std::string socketA = SingleInstance::SocketPath(longA), socketB = SingleInstance::SocketPath(longB);
    EXPECT_LT(socketA.size(), sizeof(sockaddr_un::sun_path));
    EXPECT_NE(socketA, socketB);
    SingleInstance first(longA);
    SingleInstance second(longA);
    EXPECT_TRUE(second.AlreadyRunning());
    EXPECT_TRUE(second.NotifyFirst());
    EXPECT_EQ(first.TakeNotifications(), 1);
}

TEST_F(SingleInstanceTest, WithoutARuntimeFolderTmpIsUsedWithTheUserInTheName)
{
    Testing::ScopedEnv none("XDG_RUNTIME_DIR", nullptr);
    EXPECT_EQ(SingleInstance::LockPath("P"), "/tmp/quib-" + std::to_string(getuid()) + "-P.lock");
}

TEST_F(SingleInstanceTest, AnUnusableFolderLetsTheCopyRun)
{
    Testing::ScopedEnv missing("XDG_RUNTIME_DIR", (dir.Path() + "/missing").c_str());
    CapturingSink sink;
    SingleInstance first("Pelleranthe");
    EXPECT_FALSE(first.AlreadyRunning());
    EXPECT_EQ(first.TakeNotifications(), 0);
    EXPECT_FALSE(sink.debugLines.empty());
}

} // namespace
} // namespace Quib
