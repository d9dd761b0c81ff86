#include "platform/SingleInstance.h"

#include "platform/Folders.h"
#include "platform/MessageSink.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <time.h>
#include <unistd.h>

namespace Quib {

namespace {

constexpr char kRequest[] = "raise";

bool IsPlain(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '_' ||
           c == '-';
}

uint64_t Fnv1a(std::string_view text)
{
    uint64_t hash = 1469598103934665603ull;
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    return hash;
}

// The path for a key with the given ending, short enough for a socket name.
std::string PathFor(std::string_view productKey, const char* suffix)
{
    std::string folder = RuntimeFolder();
    std::string prefix = folder + "/";
    if (folder == "/tmp")
        prefix += "quib-" + std::to_string(getuid()) + "-"; // a folder other users share
    std::string name;
    static const char kHex[] = "0123456789ABCDEF";
    for (unsigned char c : productKey) {
        if (IsPlain(c)) {
            name += char(c);
        } else {
            name += '%';
            name += kHex[c >> 4];
            name += kHex[c & 15];
        }
    }
    constexpr size_t kMostPath = sizeof(sockaddr_un::sun_path) - 1;
    const size_t longestSuffix = 5; // ".sock"
    if (prefix.size() + name.size() + longestSuffix > kMostPath) {
        char hash[17];
        std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(Fnv1a(productKey)));
        const size_t room = kMostPath > prefix.size() + longestSuffix + 17
                                ? kMostPath - prefix.size() - longestSuffix - 17
                                : 0;
        name = name.substr(0, room) + "~" + hash;
    }
    return prefix + name + suffix;
}

void SleepBriefly()
{
    timespec delay{0, 20 * 1000 * 1000};
    nanosleep(&delay, nullptr);
}

} // namespace

std::string SingleInstance::LockPath(std::string_view productKey)
{
    return PathFor(productKey, ".lock");
}

std::string SingleInstance::SocketPath(std::string_view productKey)
{
    return PathFor(productKey, ".sock");
}

SingleInstance::SingleInstance(std::string_view productKey)
    : mLockPath(LockPath(productKey)), mSocketPath(SocketPath(productKey))
{
    mLockFd = open(mLockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (mLockFd < 0) {
        OutputDebugString("SingleInstance: no lock file " + mLockPath + ": " + std::strerror(errno) +
                          "; running without one\n");
        return;
    }
    while (flock(mLockFd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR)
            continue;
        if (errno == EWOULDBLOCK) {
            mAlreadyRunning = true;
        } else {
            OutputDebugString("SingleInstance: cannot lock " + mLockPath + ": " + std::strerror(errno) + "\n");
        }
        close(mLockFd);
        mLockFd = -1;
        return;
    }
    OpenListener();
}

SingleInstance::~SingleInstance()
{
    if (mSocketFd >= 0) {
        close(mSocketFd);
        unlink(mSocketPath.c_str());
    }
    // The lock file stays: removing it would let a third copy lock a new
    // file while a second still waits on the old one.
    if (mLockFd >= 0)
        close(mLockFd);
}

bool SingleInstance::OpenListener()
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (mSocketPath.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, mSocketPath.c_str(), mSocketPath.size() + 1);
    mSocketFd = socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (mSocketFd < 0) {
        OutputDebugString("SingleInstance: no socket: " + std::string(std::strerror(errno)) + "\n");
        return false;
    }
    // A socket left by a copy that crashed: the lock is ours, so is its name.
    unlink(mSocketPath.c_str());
    if (bind(mSocketFd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        OutputDebugString("SingleInstance: cannot listen on " + mSocketPath + ": " + std::strerror(errno) + "\n");
        close(mSocketFd);
        mSocketFd = -1;
        return false;
    }
    chmod(mSocketPath.c_str(), 0600);
    return true;
}

bool SingleInstance::NotifyFirst()
{
    if (!mAlreadyRunning)
        return false;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (mSocketPath.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, mSocketPath.c_str(), mSocketPath.size() + 1);
    const int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    bool sent = false;
    // The first copy may hold the lock a moment before it listens.
    for (int attempt = 0; attempt < 25 && !sent; ++attempt) {
        if (sendto(fd, kRequest, sizeof kRequest - 1, MSG_DONTWAIT | MSG_NOSIGNAL,
                   reinterpret_cast<const sockaddr*>(&address), sizeof address) >= 0)
            sent = true;
        else if (errno == ENOENT || errno == ECONNREFUSED || errno == EAGAIN || errno == EINTR)
            SleepBriefly();
        else
            break;
    }
    close(fd);
    if (!sent)
        OutputDebugString("SingleInstance: the running copy did not take the request to come forward\n");
    return sent;
}

int SingleInstance::TakeNotifications()
{
    if (mSocketFd < 0)
        return 0;
    int count = 0;
    char buffer[64];
    for (;;) {
        const ssize_t got = recv(mSocketFd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (size_t(got) == sizeof kRequest - 1 && std::memcmp(buffer, kRequest, size_t(got)) == 0)
            ++count;
    }
    return count;
}

} // namespace Quib
