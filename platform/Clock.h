#pragma once
#include <cstdint>

namespace Quib {

// Time source standing in for timeGetTime, the performance counter and Sleep.
class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds since an arbitrary start; wraps at 2^32 like timeGetTime.
    virtual uint32_t Milliseconds() = 0;
    virtual uint64_t PerformanceCounter() = 0;
    virtual uint64_t PerformanceFrequency() = 0;
    virtual void Sleep(uint32_t ms) = 0;
};

// The steady system clock.
class SystemClock : public Clock {
public:
    uint32_t Milliseconds() override;
    uint64_t PerformanceCounter() override;
    uint64_t PerformanceFrequency() override;
    void Sleep(uint32_t ms) override;
};

// The process-wide clock; the system clock unless a test installed another.
Clock& GetClock();
// Installs a clock (not owned); null goes back to the system clock.
void SetClock(Clock* clock);

inline uint32_t TimeGetTime()
{
    return GetClock().Milliseconds();
}
// The same clock: both count milliseconds from the same start here.
inline uint32_t GetTickCount()
{
    return GetClock().Milliseconds();
}
inline void Sleep(uint32_t ms)
{
    GetClock().Sleep(ms);
}

// Timer resolution requests. Sleeps here are already as fine as the system
// allows, so they change nothing; they are counted so that a caller's
// pairing can be checked. Both return 0 (no error).
uint32_t TimeBeginPeriod(uint32_t ms);
uint32_t TimeEndPeriod(uint32_t ms);
struct TimerPeriodCalls {
    uint32_t begun = 0;
    uint32_t ended = 0;
    uint32_t lastPeriodMs = 0; // the period of the latest request, 0 before any
};
TimerPeriodCalls GetTimerPeriodCalls();
void ResetTimerPeriodCalls();

} // namespace Quib
