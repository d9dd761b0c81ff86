#pragma once
#include <atomic>

namespace Quib {

// A process-wide service that a test or a backend may put in place; while
// none is, a Fallback made on first use serves.
template <class Service, class Fallback>
class ServiceSlot {
public:
    Service& Get()
    {
        static Fallback fallback;
        Service* current = mCurrent.load(std::memory_order_acquire);
        return current ? *current : fallback;
    }
    // nullptr goes back to the fallback.
    void Set(Service* service) { mCurrent.store(service, std::memory_order_release); }

private:
    std::atomic<Service*> mCurrent{nullptr};
};

} // namespace Quib
