#pragma once
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace Quib {

// Console output without colour codes, plus the real time of every run by
// name, so that a program can print the ratio of two of them.
class RecordingReporter : public benchmark::ConsoleReporter {
public:
    RecordingReporter() : ConsoleReporter(OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
            times[run.benchmark_name()] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    // The median of a benchmark's repetitions (the least disturbed by other
    // load) when it repeated, else the time of its one run; 0 when it did
    // not run.
    double Time(const std::string& benchmark) const
    {
        for (const auto& [key, time] : times)
            if (key.size() > benchmark.size() + 7 && key.compare(0, benchmark.size(), benchmark) == 0 &&
                (key[benchmark.size()] == '/' || key[benchmark.size()] == '_') &&
                key.compare(key.size() - 7, 7, "_median") == 0)
                return time;
        const auto it = times.find(benchmark);
        return it == times.end() ? 0.0 : it->second;
    }
    // Prints "ratio NAME = ours / peer" when both ran.
    void PrintRatio(const std::string& name, const std::string& ours, const std::string& peer) const
    {
        const double a = Time(ours), b = Time(peer);
        if (a > 0 && b > 0)
            std::printf("ratio %s = %.3f\n", name.c_str(), a / b);
    }
    std::map<std::string, double> times;
};

} // namespace Quib
