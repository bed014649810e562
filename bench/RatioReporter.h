#pragma once
// A console reporter that also keeps every run's times, so that a benchmark program can print
// its ratios against the baseline measured in the same run.

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

class RatioReporter : public benchmark::ConsoleReporter {
public:
    RatioReporter() : ConsoleReporter(OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const auto& run : runs) {
            if (run.run_type != Run::RT_Iteration)
                continue;
            realTimes[run.benchmark_name()] = run.GetAdjustedRealTime();
            cpuTimes[run.benchmark_name()] = run.GetAdjustedCPUTime();
            counters[run.benchmark_name()] = run.counters;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    // In each benchmark's own time unit.
    std::map<std::string, double> realTimes;
    std::map<std::string, double> cpuTimes;
    std::map<std::string, benchmark::UserCounters> counters;
};
