// Shared by the benchmark programs: run Google Benchmark with its table on
// standard error, then print the figures as "NAME VALUE UNIT" lines.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <iostream>
#include <map>
#include <string>
#include <vector>

namespace vro::bench {

// Collects the real time per iteration (seconds) of every benchmark run.
class TCollector : public benchmark::ConsoleReporter {
public:
    TCollector()
    {
        SetOutputStream(&std::cerr);
        SetErrorStream(&std::cerr);
    }
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const auto& r : runs) {
            // With repetitions the median of the repetitions stands for the
            // benchmark (it comes after the repetitions themselves).
            if (!r.error_occurred && r.run_type == Run::RT_Aggregate && r.aggregate_name == "median") {
                seconds[r.run_name.str()] = r.GetAdjustedRealTime() / 1e9 * TimeUnitFactor(r.time_unit);
                cpuSeconds[r.run_name.str()] = r.GetAdjustedCPUTime() / 1e9 * TimeUnitFactor(r.time_unit);
            }
            if (!r.error_occurred && r.run_type == Run::RT_Iteration) {
                seconds[r.benchmark_name()] = r.GetAdjustedRealTime() / 1e9 * TimeUnitFactor(r.time_unit);
                cpuSeconds[r.benchmark_name()] = r.GetAdjustedCPUTime() / 1e9 * TimeUnitFactor(r.time_unit);
                counters[r.benchmark_name()] = r.counters;
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> seconds;
    std::map<std::string, double> cpuSeconds;
    std::map<std::string, benchmark::UserCounters> counters;

private:
    static double TimeUnitFactor(benchmark::TimeUnit u)
    {
        switch (u) {
        case benchmark::kNanosecond: return 1.0;
        case benchmark::kMicrosecond: return 1e3;
        case benchmark::kMillisecond: return 1e6;
        case benchmark::kSecond: return 1e9;
        }
        return 1.0;
    }
};

inline void Figure(const std::string& name, double value, const std::string& unit)
{
    std::printf("%s %.4g %s\n", name.c_str(), value, unit.c_str());
    std::fflush(stdout);
}

// Runs all registered benchmarks and returns the collector with their times.
inline TCollector RunAll(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    TCollector c;
    benchmark::RunSpecifiedBenchmarks(&c);
    benchmark::Shutdown();
    return c;
}

} // namespace vro::bench
