#include "platform/Clock.h"

#include "platform/ServiceSlot.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace Quib {

namespace {
constinit ServiceSlot<Clock, SystemClock> gClock;
std::atomic<uint32_t> gPeriodsBegun{0};
std::atomic<uint32_t> gPeriodsEnded{0};
std::atomic<uint32_t> gLastPeriod{0};

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

uint64_t SystemClock::PerformanceCounter()
{
    return SteadyNanoseconds();
}

uint64_t SystemClock::PerformanceFrequency()
{
    return 1000000000u;
}

void SystemClock::Sleep(uint32_t ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

Clock& GetClock()
{
    return gClock.Get();
}

void SetClock(Clock* clock)
{
    gClock.Set(clock);
}

uint32_t TimeBeginPeriod(uint32_t ms)
{
    gLastPeriod = ms;
    ++gPeriodsBegun;
    return 0;
}

uint32_t TimeEndPeriod(uint32_t ms)
{
    gLastPeriod = ms;
    ++gPeriodsEnded;
    return 0;
}

TimerPeriodCalls GetTimerPeriodCalls()
{
    TimerPeriodCalls calls;
    calls.begun = gPeriodsBegun.load();
    calls.ended = gPeriodsEnded.load();
    calls.lastPeriodMs = gLastPeriod.load();
    return calls;
}

void ResetTimerPeriodCalls()
{
    gPeriodsBegun = 0;
    gPeriodsEnded = 0;
    gLastPeriod = 0;
}

} // namespace Quib
