#include "platform/UrlOpener.h"

#include "platform/Clock.h"
#include "platform/MessageSink.h"
#include "platform/ServiceSlot.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace Quib {

namespace {
constinit ServiceSlot<UrlOpener, ProgramUrlOpener> gOpener;
} // namespace

UrlOpener& GetUrlOpener()
{
    return gOpener.Get();
}

void SetUrlOpener(UrlOpener* opener)
{
    gOpener.Set(opener);
}

bool IsOpenableAddress(std::string_view address)
{
    if (address.empty() || address.front() == '-')
        return false;
    for (unsigned char c : address)
        if (c < 0x20 || c == 0x7F)
            return false;
    return true;
}

ProgramUrlOpener::ProgramUrlOpener(std::string program, uint32_t timeoutMs)
    : mProgram(std::move(program)), mTimeoutMs(timeoutMs)
{
}

ProgramUrlOpener::~ProgramUrlOpener()
{
    // Openers still running are left to finish on their own; those that
    // ended are reaped.
    if (mCurrent > 0)
        mLeftOver.push_back(mCurrent);
    Reap();
}

bool ProgramUrlOpener::Open(std::string_view address)
{
    if (!IsOpenableAddress(address)) {
        OutputDebugString("OpenUrl: refused address \"" + std::string(address.substr(0, 200)) + "\"\n");
        mState = UrlOpenState::Failed;
        return false;
    }
    if (mCurrent > 0)
        mLeftOver.push_back(mCurrent);
    mCurrent = -1;
    Reap();

    const std::string url(address);
    char* argv[] = {mProgram.data(), const_cast<char*>(url.c_str()), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    pid_t pid = -1;
    const int error = posix_spawnp(&pid, mProgram.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) {
        OutputDebugString("OpenUrl: " + mProgram + " could not be started: " + std::strerror(error) + "\n");
        mState = UrlOpenState::Failed;
        return false;
    }
    mCurrent = pid;
    mStartMs = GetTickCount();
    mState = UrlOpenState::Running;
    return true;
}

UrlOpenState ProgramUrlOpener::Poll()
{
    Reap();
    if (mState != UrlOpenState::Running || mCurrent <= 0)
        return mState;
    int status = 0;
    const pid_t done = waitpid(mCurrent, &status, WNOHANG);
    if (done == mCurrent) {
        mCurrent = -1;
        const bool ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
        if (!ok)
            OutputDebugString("OpenUrl: " + mProgram + " reported a failure\n");
        mState = ok ? UrlOpenState::Opened : UrlOpenState::Failed;
    } else if (done < 0 && errno != EINTR) {
        // Someone else reaped it: its outcome is unknown, the address went out.
        mCurrent = -1;
        mState = UrlOpenState::Opened;
    } else if (GetTickCount() - mStartMs >= mTimeoutMs) {
        mLeftOver.push_back(mCurrent);
        mCurrent = -1;
        mState = UrlOpenState::Opened;
    }
    return mState;
}

void ProgramUrlOpener::Reap()
{
    std::erase_if(mLeftOver, [](pid_t pid) {
        int status = 0;
        const pid_t done = waitpid(pid, &status, WNOHANG);
        return done == pid || (done < 0 && errno == ECHILD);
    });
}

} // namespace Quib
