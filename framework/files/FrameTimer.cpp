#include "framework/files/FrameTimer.h"

#include "platform/Clock.h"

#include <cstddef>

namespace Quib {

FrameTimer& FrameTimer::GetInstance()
{
    static FrameTimer instance;
    return instance;
}

void FrameTimer::Reset()
{
    Clock& clock = GetClock();
    frequency = clock.PerformanceFrequency();
    lastCounter = clock.PerformanceCounter();
    defaultFrameTime = 0.03f;
    limit = 20;
    samples.assign(size_t(limit), defaultFrameTime);
    average = defaultFrameTime;
}

float FrameTimer::Step()
{
    const uint64_t now = GetClock().PerformanceCounter();
    float sample = defaultFrameTime; // without a counter nothing can be measured
    if (frequency > 0) {
        const uint64_t ticks = now > lastCounter ? now - lastCounter : 0;
        const double seconds = double(ticks) / double(frequency) * double(scale);
        sample = seconds > kMaxSample ? kMaxSample : float(seconds);
    }
    samples.push_back(sample);
    while (samples.size() > size_t(limit > 0 ? limit : 1))
        samples.pop_front();
    double sum = 0.0;
    for (float s : samples)
        sum += s;
    average = float(sum / double(samples.size()));
    lastCounter = now;
    return average;
}

} // namespace Quib
