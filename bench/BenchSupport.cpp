// SPDX-License-Identifier: MIT
#include "bench/BenchSupport.h"

#include <cstdio>
#include <random>

namespace velkora::bench {

namespace {
// The name a benchmark was registered with and its arguments, without what the run adds
// ("/repeats:5", "/manual_time", "/iterations:1", "_median"): "Decode/ref:memcpy".
std::string BaseName(const benchmark::BenchmarkReporter::Run& r) {
    std::string n = r.run_name.function_name;
    if (!r.run_name.args.empty())
        n += "/" + r.run_name.args;
    return n;
}
} // namespace

std::vector<uint8_t> RandomRuns(int Side, unsigned Seed) {
    std::mt19937 Rng(Seed);
    std::vector<uint8_t> c(size_t(Side) * size_t(Side));
    size_t i = 0;
    while (i < c.size()) {
        const size_t Run = 1 + Rng() % 12;
        const uint8_t v = uint8_t(Rng() % 50);
        for (size_t k = 0; k < Run && i < c.size(); ++k)
            c[i++] = v;
    }
    return c;
}

void RatioReporter::ReportRuns(const std::vector<Run>& Runs) {
    ConsoleReporter::ReportRuns(Runs);
    for (const Run& r : Runs) {
        if (r.error_occurred)
            continue;
        const bool IsAggregate = r.run_type == Run::RT_Aggregate;
        if (IsAggregate && r.aggregate_name != "median")
            continue;
        const std::string Name = BaseName(r);
        const double Ns = r.GetAdjustedRealTime() * (r.time_unit == benchmark::kMillisecond   ? 1e6
                                                     : r.time_unit == benchmark::kMicrosecond ? 1e3
                                                     : r.time_unit == benchmark::kSecond      ? 1e9
                                                                                         : 1.0);
        if (!fTimes.count(Name))
            fOrder.push_back(Name);
        // A median, when there is one, replaces the single runs.
        if (IsAggregate || !fTimes.count(Name))
            fTimes[Name] = Ns;
    }
}

void RatioReporter::Finalize() {
    ConsoleReporter::Finalize();
    bool Header = false;
    for (const std::string& Name : fOrder) {
        const size_t p = Name.find("/ref:");
        if (p == std::string::npos)
            continue;
        const std::string Measured = Name.substr(0, p);
        if (!fTimes.count(Measured))
            continue;
        if (!Header) {
            std::printf("\n%-40s %14s %14s %9s\n", "measured / reference", "measured ns",
                        "reference ns", "ratio");
            Header = true;
        }
        // Three significant digits: a ratio far below 1 (a plain version as the reference) still
        // reads as a number.
        std::printf("%-40s %14.0f %14.0f %8.3gx\n", (Measured + " / " + Name.substr(p + 5)).c_str(),
                    fTimes[Measured], fTimes[Name], fTimes[Measured] / fTimes[Name]);
    }
}

} // namespace velkora::bench
