#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace Quib {

// The section profiler: named sections timed on the platform clock's
// performance counter (steady-clock nanoseconds on the system clock).
// Process-wide; only the thread that started timing is timed, sections
// opened on other threads are ignored. While timing is off every call
// returns at once.
//
// Opening and closing a section only queues a sample; the samples are
// applied when the outermost open section closes, and the time spent
// applying them is left out of the total.
class PerfTimer {
public:
    struct Section {
        int32_t openDepth = 0;
        int32_t calls = 0;
        uint64_t startTick = 0;
        uint64_t totalTicks = 0;
        double totalTime = 0.0; // ms, set by StopTiming
        double longest = 0.0;   // ticks while timing, ms after StopTiming
    };

    // Clears the sections, the queue, the depth and the overhead and starts
    // timing on the calling thread.
    static void StartTiming();
    // Applies what is queued, stops timing and converts the times to ms.
    static void StopTiming();
    static bool IsTiming();

    static void BeginSection(const char* name);
    static void EndSection(const char* name);
    // Applies every queued sample in order; returns the ticks it took,
    // which are also added to the overhead.
    static uint64_t FlushPending();

    // "Total Time: %.2f\n", then one line per section in name order.
    static std::string BuildPerfReport();

    // The total of the last finished run, ms.
    static double GetTotalTime();
    // The section of that name (letter case ignored); null when none.
    static const Section* FindSection(std::string_view name);
    // Performance-counter ticks per second of the current (or last) run;
    // at least 1.
    static uint64_t TicksPerSecond();
};

} // namespace Quib
