#pragma once
#include "platform/Clock.h"

#include <atomic>

namespace Quib {

// A clock for tests: time moves only when told to, or by the amount slept.
class FakeClock : public Clock {
public:
    explicit FakeClock(uint32_t startMs = 0) : mNowUs(uint64_t(startMs) * 1000) {}

    uint32_t Milliseconds() override { return static_cast<uint32_t>(mNowUs.load() / 1000); }
    uint64_t PerformanceCounter() override { return mNowUs.load(); }
    uint64_t PerformanceFrequency() override { return 1000000; }
    void Sleep(uint32_t ms) override { Advance(ms); }

    void Advance(uint32_t ms) { mNowUs += uint64_t(ms) * 1000; }
    void AdvanceMicroseconds(uint64_t us) { mNowUs += us; }
    void SetMilliseconds(uint32_t ms) { mNowUs = uint64_t(ms) * 1000; }

private:
    std::atomic<uint64_t> mNowUs;
};

// Installs a fake clock for the life of a scope.
class ScopedFakeClock : public FakeClock {
public:
    explicit ScopedFakeClock(uint32_t startMs = 0) : FakeClock(startMs) { SetClock(this); }
    ~ScopedFakeClock() override { SetClock(nullptr); }
    ScopedFakeClock(const ScopedFakeClock&) = delete;
    ScopedFakeClock& operator=(const ScopedFakeClock&) = delete;
};

} // namespace Quib
