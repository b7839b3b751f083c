#pragma once
// Benchmarks run each measured operation beside a reference (memcpy of the same bytes, or the
// simple version of the same algorithm) in the same run, because these machines are noisy: the
// ratio of the two is what stays comparable. A benchmark named "X/ref:Y" is the reference of
// "X"; after the run a table of ratios X / reference is printed.

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

namespace velkora::bench {

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& Runs) override;
    void Finalize() override;

private:
    std::map<std::string, double> fTimes; // median (or only) real time in ns per iteration
    std::vector<std::string> fOrder;
};

} // namespace velkora::bench

// main() for a benchmark binary with the ratio table.
#define VELKORA_BENCH_MAIN()                                                                       \
    int main(int argc, char** argv) {                                                              \
        benchmark::Initialize(&argc, argv);                                                        \
        velkora::bench::RatioReporter Reporter;                                                    \
        benchmark::RunSpecifiedBenchmarks(&Reporter);                                              \
        benchmark::Shutdown();                                                                     \
        return 0;                                                                                  \
    }
