#pragma once
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace Quib {

// Console output as usual, plus the real time of every run by name, so
// that a program can print the ratio of two of them.
class RecordingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
            times[run.benchmark_name()] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    // Prints "ratio NAME = ours / peer" when both ran.
    void PrintRatio(const std::string& name, const std::string& ours, const std::string& peer)
    {
        const double a = times[ours], b = times[peer];
        if (a > 0 && b > 0)
            std::printf("ratio %s = %.3f\n", name.c_str(), a / b);
    }
    std::map<std::string, double> times;
};

} // namespace Quib
