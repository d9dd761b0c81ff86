#pragma once
#include <cstdint>
#include <deque>

namespace Quib {

// The shared frame time of the boards: the average of the last frame
// times measured on the platform clock's performance counter. Boards reset
// it when they start and step it once per update.
class FrameTimer {
public:
    // The one instance, made on first use.
    static FrameTimer& GetInstance();

    // Re-reads the counter and its frequency; the window (limit 20) is
    // filled with 20 samples of the default frame time, 0.03 s.
    void Reset();
    // Appends the time since the last step (x scale, at most 30 s), drops
    // the oldest samples beyond the limit and returns the window's average,
    // which also becomes the current frame time.
    float Step();

    float scale = 1.0f;
    uint64_t frequency = 0;
    uint64_t lastCounter = 0;
    std::deque<float> samples;
    int32_t limit = 20;
    float defaultFrameTime = 0.03f;
    float average = 0.03f;

    static constexpr float kMaxSample = 30.0f;
};

} // namespace Quib
