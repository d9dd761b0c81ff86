#pragma once
#include <mutex>

namespace Quib {

class NoCopy {
protected:
    NoCopy() = default;
    ~NoCopy() = default;

public:
    NoCopy(const NoCopy&) = delete;
    NoCopy& operator=(const NoCopy&) = delete;
};

// Every singleton joins one process-wide list at construction; at exit the
// list deletes them, the newest first.
class SingletoneBase : private NoCopy {
public:
    SingletoneBase();
    // Leaves the list (when still in it).
    virtual ~SingletoneBase();

    // Deletes every listed singleton, newest first (runs at exit).
    static void DestroyAll();
};

// The one object of `T`, created on first use by the owner of `T`.
template <class T>
class Singletone : public SingletoneBase {
protected:
    static T* Instance() { return sInstance; }
    static void SetInstance(T* instance) { sInstance = instance; }
    static std::mutex& InstanceMutex()
    {
        static std::mutex mutex;
        return mutex;
    }

private:
    static inline T* sInstance = nullptr;
};

} // namespace Quib
