#pragma once
#include <string>
#include <string_view>

namespace Quib {

// One running copy per product key: a lock file (flock) in the runtime
// folder ($XDG_RUNTIME_DIR, else /tmp with the user id in the name), named
// from the key, and a datagram socket beside it through which a second
// copy asks the first to come forward. The lock goes with the process, so
// a crashed copy never blocks the next one.
class SingleInstance {
public:
    // Takes the lock when it is free. A lock that cannot be made at all (no
    // writable runtime folder) lets this copy run as the first, after a log
    // line.
    explicit SingleInstance(std::string_view productKey);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // Another copy holds the lock.
    bool AlreadyRunning() const { return mAlreadyRunning; }

    // Second copy: asks the first to come forward; true when the request
    // was delivered (it retries briefly while the first is starting).
    bool NotifyFirst();

    // First copy: how many requests came since the last call (never
    // waits). Zero for a second copy.
    int TakeNotifications();

    // The files for a product key: the key's bytes outside [A-Za-z0-9._-]
    // are written %XX, so different keys never share a file; a key too long
    // for a socket name is shortened and given a hash of itself.
    static std::string LockPath(std::string_view productKey);
    static std::string SocketPath(std::string_view productKey);

private:
    bool OpenListener();

    std::string mLockPath;
    std::string mSocketPath;
    int mLockFd = -1;
    int mSocketFd = -1;
    bool mAlreadyRunning = false;
};

} // namespace Quib
