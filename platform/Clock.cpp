#include "platform/Clock.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace Quib {

namespace {
std::atomic<Clock*> gClock{nullptr};

uint64_t SteadyNanoseconds()
{
    using namespace std::chrono;
    return static_cast<uint64_t>(duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count());
}
} // namespace

uint32_t SystemClock::Milliseconds()
{
    return static_cast<uint32_t>(SteadyNanoseconds() / 1000000u);
}

uint64_t SystemClock::PerformanceCounter() { return SteadyNanoseconds(); }

uint64_t SystemClock::PerformanceFrequency() { return 1000000000u; }

void SystemClock::Sleep(uint32_t ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

Clock& GetClock()
{
    static SystemClock systemClock;
    Clock* clock = gClock.load(std::memory_order_acquire);
    return clock ? *clock : systemClock;
}

void SetClock(Clock* clock) { gClock.store(clock, std::memory_order_release); }

} // namespace Quib
