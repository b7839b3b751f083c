// SPDX-License-Identifier: MIT
// The overview's picture of a 4096 x 4096 map: built whole (shown, a new map, a texture or palette
// changed) and redrawn over one edited cell, each beside a plain pass over the same cells.

#include "bench/BenchSupport.h"
#include "maps/MapOverview.h"

#include <cstring>

using namespace velkora;

namespace {

constexpr int Side = 4096;

const TMyByteArray& Cells() {
    static const TMyByteArray c = [] {
        const std::vector<uint8_t> r = bench::RandomRuns(Side, 7);
        return TMyByteArray(r.begin(), r.end());
    }();
    return c;
}

TMeanColours Colours() {
    TMeanColours c{};
    for (int v = 0; v < 256; ++v)
        c[size_t(v)] = qRgb(v, 255 - v, (v * 7) % 256);
    return c;
}

// Whether every pixel of the picture's first row is the mean of its 16 x 16 cells.
bool FirstRowRight(const TMapOverview& o, const TMeanColours& Table) {
    const TMyByteArray& c = Cells();
    for (int px = 0; px < o.Picture().width(); ++px) {
        int r = 0, g = 0, b = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const QRgb v = Table[c[size_t(y) * Side + size_t(px * 16 + x)]];
                r += qRed(v);
                g += qGreen(v);
                b += qBlue(v);
            }
        if ((o.Picture().pixel(px, 0) & 0xFFFFFFu) !=
            (qRgb((r + 128) / 256, (g + 128) / 256, (b + 128) / 256) & 0xFFFFFFu))
            return false;
    }
    return true;
}

void OverviewRebuild(benchmark::State& State) {
    const TMyByteArray& c = Cells();
    const TMeanColours Table = Colours();
    TMapOverview o;
    o.Rebuild(c, Side, Side, Table);
    if (o.Block() != 16 || o.Picture().size() != QSize(256, 256) || !FirstRowRight(o, Table)) {
        State.SkipWithError("the overview is not the mean of each 16 x 16 block");
        return;
    }
    for (auto _ : State) {
        o.Rebuild(c, Side, Side, Table);
        benchmark::DoNotOptimize(o.Picture().constBits());
    }
    State.counters["pixels"] = double(o.Picture().width()) * o.Picture().height();
}
BENCHMARK(OverviewRebuild)->Name("OverviewRebuild")->Unit(benchmark::kMillisecond);

// Every cell once through the colour table, summed: the least a picture of all cells costs.
void ColourEveryCell(benchmark::State& State) {
    const TMyByteArray& c = Cells();
    const TMeanColours Table = Colours();
    for (auto _ : State) {
        uint64_t Sum = 0;
        for (const uint8_t v : c)
            Sum += Table[v] & 0xFF00FFu;
        benchmark::DoNotOptimize(Sum);
    }
}
BENCHMARK(ColourEveryCell)
    ->Name("OverviewRebuild/ref:colour-every-cell")
    ->Unit(benchmark::kMillisecond);

void CellsMemcpy(benchmark::State& State) {
    const TMyByteArray& From = Cells();
    TMyByteArray To(From.size());
    for (auto _ : State) {
        std::memcpy(To.data(), From.data(), To.size());
        benchmark::DoNotOptimize(To.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(CellsMemcpy)->Name("OverviewRebuild/ref:memcpy-cells")->Unit(benchmark::kMillisecond);

// A brush stroke's cell: the one pixel over it (a block of 16 x 16 cells) is redrawn.
void OverviewUpdateCell(benchmark::State& State) {
    const TMyByteArray& c = Cells();
    TMapOverview o;
    o.Rebuild(c, Side, Side, Colours());
    int i = 0;
    for (auto _ : State) {
        i = (i + 977) % Side;
        o.Update(c, QRect(i, (i * 7) % Side, 1, 1));
        benchmark::DoNotOptimize(o.Picture().constBits());
    }
}
BENCHMARK(OverviewUpdateCell)->Name("OverviewUpdateCell")->Unit(benchmark::kMicrosecond);

// Copying the same 16 x 16 cells out of the map, row by row.
void CopyBlock(benchmark::State& State) {
    const TMyByteArray& c = Cells();
    uint8_t Block[16 * 16];
    int i = 0;
    for (auto _ : State) {
        i = (i + 977) % (Side - 16);
        for (int r = 0; r < 16; ++r)
            std::memcpy(Block + 16 * r, c.data() + size_t(i + r) * Side + size_t(i), 16);
        benchmark::DoNotOptimize(Block);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(CopyBlock)->Name("OverviewUpdateCell/ref:copy-the-block")->Unit(benchmark::kMicrosecond);

} // namespace

VELKORA_BENCH_MAIN()
