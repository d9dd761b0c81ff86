#include "framework/files/PerfTimer.h"

#include "framework/files/PrintfFormat.h"
#include "platform/Clock.h"

#include <algorithm>
#include <atomic>
#include <map>
#include <thread>
#include <vector>

namespace Quib {

namespace {

struct Sample {
    const char* name;
    uint64_t tick;
    bool start;
};

// Orders names with A-Z and a-z alike.
struct CaseLess {
    using is_transparent = void;
    static int Lower(unsigned char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; }
    bool operator()(std::string_view a, std::string_view b) const
    {
        const size_t n = std::min(a.size(), b.size());
        for (size_t i = 0; i < n; ++i) {
            const int ca = Lower(static_cast<unsigned char>(a[i]));
            const int cb = Lower(static_cast<unsigned char>(b[i]));
            if (ca != cb)
                return ca < cb;
        }
        return a.size() < b.size();
    }
};

// Samples queued while one outer section stays open for a long time are
// applied once this many are waiting, so the queue cannot grow without end.
constexpr size_t kMaxPendingSamples = size_t(1) << 20;

struct State {
    std::atomic<bool> active{false};
    std::thread::id thread;
    int32_t depth = 0;
    std::vector<Sample> pending; // reused between flushes
    uint64_t overhead = 0;
    uint64_t startTick = 0;
    double totalTime = 0.0;
    uint64_t ticksPerSecond = 1;
    std::map<std::string, PerfTimer::Section, CaseLess> sections;
};

State& TheState()
{
    static State state;
    return state;
}

uint64_t Now()
{
    return GetClock().PerformanceCounter();
}

bool OnTimingThread(const State& s)
{
    return s.active.load(std::memory_order_relaxed) && std::this_thread::get_id() == s.thread;
}

void Apply(State& s, const Sample& sample)
{
    if (sample.start) {
        auto it = s.sections.find(std::string_view(sample.name));
        if (it == s.sections.end())
            it = s.sections.emplace(sample.name, PerfTimer::Section{}).first;
        PerfTimer::Section& section = it->second;
        ++section.calls;
        if (section.openDepth++ == 0)
            section.startTick = sample.tick;
        return;
    }
    auto it = s.sections.find(std::string_view(sample.name));
    if (it == s.sections.end() || it->second.openDepth <= 0)
        return; // an end without its start
    PerfTimer::Section& section = it->second;
    if (--section.openDepth == 0) {
        const uint64_t d = sample.tick - section.startTick;
        section.totalTicks += d;
        if (double(d) > section.longest)
            section.longest = double(d);
    }
}

} // namespace

void PerfTimer::StartTiming()
{
    State& s = TheState();
    s.sections.clear();
    s.pending.clear();
    s.depth = 0;
    s.overhead = 0;
    s.totalTime = 0.0;
    const uint64_t frequency = GetClock().PerformanceFrequency();
    s.ticksPerSecond = frequency > 0 ? frequency : 1;
    s.thread = std::this_thread::get_id();
    s.startTick = Now();
    s.active.store(true, std::memory_order_relaxed);
}

void PerfTimer::StopTiming()
{
    State& s = TheState();
    if (!OnTimingThread(s))
        return;
    const uint64_t endTick = Now();
    FlushPending();
    s.active.store(false, std::memory_order_relaxed);
    const double perSecond = double(s.ticksPerSecond);
    const uint64_t elapsed = endTick - s.startTick;
    const uint64_t timed = elapsed > s.overhead ? elapsed - s.overhead : 0;
    s.totalTime = double(timed) * 1000.0 / perSecond;
    for (auto& [name, section] : s.sections) {
        section.totalTime = double(section.totalTicks) * 1000.0 / perSecond;
        section.longest = section.longest * 1000.0 / perSecond;
    }
}

bool PerfTimer::IsTiming()
{
    return TheState().active.load(std::memory_order_relaxed);
}

void PerfTimer::BeginSection(const char* name)
{
    State& s = TheState();
    if (!name || !OnTimingThread(s))
        return;
    ++s.depth;
    s.pending.push_back({name, Now(), true});
    if (s.pending.size() >= kMaxPendingSamples)
        FlushPending();
}

void PerfTimer::EndSection(const char* name)
{
    State& s = TheState();
    if (!name || !OnTimingThread(s))
        return;
    s.pending.push_back({name, Now(), false});
    if (s.depth > 0)
        --s.depth;
    if (s.depth == 0 || s.pending.size() >= kMaxPendingSamples)
        FlushPending();
}

uint64_t PerfTimer::FlushPending()
{
    State& s = TheState();
    const uint64_t begin = Now();
    for (const Sample& sample : s.pending)
        Apply(s, sample);
    s.pending.clear();
    const uint64_t end = Now();
    const uint64_t spent = end > begin ? end - begin : 0;
    s.overhead += spent;
    return spent;
}

std::string PerfTimer::BuildPerfReport()
{
    const State& s = TheState();
    std::string report = StrFormat("Total Time: %.2f\n", s.totalTime);
    for (const auto& [name, section] : s.sections) {
        // A run of no measurable length has no shares to give.
        const double share = s.totalTime > 0.0 ? section.totalTime / s.totalTime * 100.0 : 0.0;
        const double average = section.calls > 0 ? section.totalTime / section.calls : 0.0;
        report += StrFormat("%s (%d calls, %%%.2f time): %.2f (%.2f avg, %.2f longest)\n", name, section.calls,
                            share, section.totalTime, average, section.longest);
    }
    return report;
}

double PerfTimer::GetTotalTime()
{
    return TheState().totalTime;
}

const PerfTimer::Section* PerfTimer::FindSection(std::string_view name)
{
    const State& s = TheState();
    const auto it = s.sections.find(name);
    return it == s.sections.end() ? nullptr : &it->second;
}

uint64_t PerfTimer::TicksPerSecond()
{
    return TheState().ticksPerSecond;
}

} // namespace Quib
