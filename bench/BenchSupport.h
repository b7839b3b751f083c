// SPDX-License-Identifier: MIT
#pragma once
// Benchmarks run each measured operation beside a reference (memcpy of the same bytes, or the
// simple version of the same algorithm) in the same run, because these machines are noisy: the
// ratio of the two is what stays comparable. A benchmark named "X/ref:Y" is the reference of
// "X"; after the run a table of ratios X / reference is printed.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace velkora::bench {

// A Side x Side map of random runs (1 to 12 cells) of the item values 0 to 49, as a map painted
// by hand looks to a compressor; the same cells for the same seed.
std::vector<uint8_t> RandomRuns(int Side, unsigned Seed);

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
