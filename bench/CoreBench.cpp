// Codec, map format, palette swapper and sprite library, each beside a reference.

#include "bench/BenchSupport.h"
#include "maps/MapLoader.h"
#include "palettes/PalSwapper.h"
#include "sprites/CompDecompUnit.h"
#include "sprites/SpriteEditor.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstring>
#include <random>

using namespace velkora;

namespace {

constexpr int Tiles = 4096;

// A sprite that looks like game graphics: runs of a few colours, a dominant background.
TMyArray SpriteWords(int TileCount) {
    std::mt19937 Rng(1);
    TMyArray w(size_t(TileCount) * 16);
    uint16_t Pixel = 0;
    for (uint16_t& v : w) {
        for (int k = 0; k < 4; ++k) {
            if (Rng() % 5 == 0)
                Pixel = uint16_t(Rng() % 3 == 0 ? 0 : Rng() % 16);
            v = uint16_t(v << 4 | Pixel);
        }
    }
    return w;
}

TMyByteArray MapCells(int Side) {
    std::mt19937 Rng(2);
    TMyByteArray c(size_t(Side) * Side);
    size_t i = 0;
    while (i < c.size()) {
        const size_t Run = 1 + Rng() % 12;
        const uint8_t v = uint8_t(Rng() % 50);
        for (size_t k = 0; k < Run && i < c.size(); ++k)
            c[i++] = v;
    }
    return c;
}

void Decode(benchmark::State& State) {
    const TMyByteArray File = Compress(SpriteWords(Tiles));
    TMyArray Out;
    for (auto _ : State) {
        DeCompress(File, Out);
        benchmark::DoNotOptimize(Out.data());
    }
    State.SetBytesProcessed(int64_t(State.iterations()) * Tiles * 32);
}
BENCHMARK(Decode)->Name("Decode");

void DecodeRef(benchmark::State& State) {
    const TMyArray Words = SpriteWords(Tiles);
    TMyArray Out(Words.size());
    for (auto _ : State) {
        std::memcpy(Out.data(), Words.data(), Words.size() * 2);
        benchmark::DoNotOptimize(Out.data());
        benchmark::ClobberMemory();
    }
    State.SetBytesProcessed(int64_t(State.iterations()) * Tiles * 32);
}
BENCHMARK(DecodeRef)->Name("Decode/ref:memcpy");

void Encode(benchmark::State& State) {
    const TMyArray Words = SpriteWords(Tiles);
    for (auto _ : State) {
        TMyByteArray File = Compress(Words);
        benchmark::DoNotOptimize(File.data());
    }
    State.SetBytesProcessed(int64_t(State.iterations()) * Tiles * 32);
}
BENCHMARK(Encode)->Name("Encode");
BENCHMARK(DecodeRef)->Name("Encode/ref:memcpy");

void MapRead(benchmark::State& State) {
    const TMyByteArray File = EncodeMap(MapCells(4096), 4096, 4096);
    for (auto _ : State) {
        int32_t p, w, h;
        TMyByteArray Cells = DecodeMap(File.data(), File.size(), p, w, h, QString());
        benchmark::DoNotOptimize(Cells.data());
    }
    State.SetBytesProcessed(int64_t(State.iterations()) * 4096 * 4096);
}
BENCHMARK(MapRead)->Name("MapRead")->Unit(benchmark::kMillisecond);

void MapWrite(benchmark::State& State) {
    const TMyByteArray Cells = MapCells(4096);
    for (auto _ : State) {
        TMyByteArray File = EncodeMap(Cells, 4096, 4096);
        benchmark::DoNotOptimize(File.data());
    }
    State.SetBytesProcessed(int64_t(State.iterations()) * 4096 * 4096);
}
BENCHMARK(MapWrite)->Name("MapWrite")->Unit(benchmark::kMillisecond);

void MapRef(benchmark::State& State) {
    const TMyByteArray Cells = MapCells(4096);
    TMyByteArray Out(Cells.size());
    for (auto _ : State) {
        std::memcpy(Out.data(), Cells.data(), Cells.size());
        benchmark::DoNotOptimize(Out.data());
        benchmark::ClobberMemory();
    }
    State.SetBytesProcessed(int64_t(State.iterations()) * 4096 * 4096);
}
BENCHMARK(MapRef)->Name("MapRead/ref:memcpy")->Unit(benchmark::kMillisecond);
BENCHMARK(MapRef)->Name("MapWrite/ref:memcpy")->Unit(benchmark::kMillisecond);

// One changed colour, alternating so that every iteration rewrites that colour's cells.
void Swap(benchmark::State& State) {
    TPalletteSwapper Swapper;
    Swapper.Init(SpriteWords(Tiles));
    TPalletteArray Pal = IdentityPallette();
    int Flip = 0;
    for (auto _ : State) {
        Pal[3] = (++Flip & 1) ? 7 : 3;
        TMyArray Out = Swapper.GetCalculate(Pal);
        benchmark::DoNotOptimize(Out.data());
    }
}
BENCHMARK(Swap)->Name("SwapOneColour")->Unit(benchmark::kMicrosecond);

// The simple version: recolour every pixel of the original words through the whole mapping.
void SwapRef(benchmark::State& State) {
    const TMyArray Words = SpriteWords(Tiles);
    TPalletteArray Pal = IdentityPallette();
    int Flip = 0;
    for (auto _ : State) {
        Pal[3] = (++Flip & 1) ? 7 : 3;
        TMyArray Out(Words.size());
        for (size_t i = 0; i < Words.size(); ++i) {
            const uint16_t w = Words[i];
            Out[i] = uint16_t(Pal[w >> 12] << 12 | Pal[(w >> 8) & 15] << 8 |
                              Pal[(w >> 4) & 15] << 4 | Pal[w & 15]);
        }
        benchmark::DoNotOptimize(Out.data());
    }
}
BENCHMARK(SwapRef)->Name("SwapOneColour/ref:remap-every-pixel")->Unit(benchmark::kMicrosecond);

// Listing and sorting a folder of 20,000 sprite names.
struct NameFolder {
    QTemporaryDir Dir;
    QStringList Names;
    NameFolder() {
        QDir().mkpath(Dir.path() + "/Sprites");
        std::mt19937 Rng(3);
        const char* Firsts = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz_";
        for (int i = 0; i < 20000; ++i) {
            const QString Name = QStringLiteral("%1%2x%3.spr")
                                     .arg(QChar(Firsts[Rng() % 53]))
                                     .arg(Rng() % 1000)
                                     .arg(Rng() % 100);
            QFile(Dir.path() + "/Sprites/" + Name).open(QIODevice::WriteOnly);
            Names << Name;
        }
    }
};

void Library(benchmark::State& State) {
    static NameFolder Folder;
    for (auto _ : State) {
        TSpriteContainer c(Folder.Dir.path());
        benchmark::DoNotOptimize(c.SpriteNames().size());
    }
}
BENCHMARK(Library)->Name("LibraryList20000")->Unit(benchmark::kMillisecond);

// The reference: listing the folder alone, and an alphabetical sort.
void LibraryRef(benchmark::State& State) {
    static NameFolder Folder;
    for (auto _ : State) {
        QStringList l = QDir(Folder.Dir.path() + "/Sprites").entryList(QDir::Files);
        l.sort();
        benchmark::DoNotOptimize(l.size());
    }
}
BENCHMARK(LibraryRef)
    ->Name("LibraryList20000/ref:QDir-list-and-sort")
    ->Unit(benchmark::kMillisecond);

} // namespace

VELKORA_BENCH_MAIN()
