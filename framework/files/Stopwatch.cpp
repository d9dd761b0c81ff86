#include "framework/files/Stopwatch.h"

#include "platform/Clock.h"

#include <cstdint>

namespace Quib {

namespace {

struct StopwatchState {
    uint64_t start = 0;
    bool running = false;
    double elapsedMs = 0.0;
};

StopwatchState gStopwatch;

void TakeElapsed()
{
    Clock& clock = GetClock();
    const uint64_t frequency = clock.PerformanceFrequency();
    const uint64_t now = clock.PerformanceCounter();
    const uint64_t ticks = now > gStopwatch.start ? now - gStopwatch.start : 0;
    gStopwatch.elapsedMs = frequency > 0 ? double(ticks) * 1000.0 / double(frequency) : 0.0;
}

} // namespace

void StartStopwatch()
{
    gStopwatch.start = GetClock().PerformanceCounter();
    gStopwatch.running = true;
}

double GetStopwatchMs()
{
    if (gStopwatch.running)
        TakeElapsed();
    return gStopwatch.elapsedMs;
}

void StopStopwatch()
{
    if (!gStopwatch.running)
        return;
    TakeElapsed();
    gStopwatch.running = false;
}

bool IsStopwatchRunning()
{
    return gStopwatch.running;
}

} // namespace Quib
