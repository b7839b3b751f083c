// SPDX-License-Identifier: MIT
// Codec, map format, palette swapper and sprite library, each beside a reference.

#include "bench/BenchSupport.h"
#include "maps/MapLoader.h"
#include "maps/TmxFile.h"
#include "palettes/PalSwapper.h"
#include "sprites/CodecAvx2.h"
#include "sprites/CodecAvx512.h"
#include "sprites/CompDecompUnit.h"
#include "sprites/SpriteEditor.h"
#include "tests/support/ReferenceCodec.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstring>
#include <random>

#include <zlib.h>

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

void Decode(benchmark::State& State) {
    const TMyArray Words = SpriteWords(Tiles);
    const TMyByteArray File = CompDecompUnit::Compress(Words);
    TMyArray Out;
    CompDecompUnit::DeCompress(File, Out);
    if (Out != Words) {
        State.SkipWithError("the decoder does not return the encoded words");
        return;
    }
    for (auto _ : State) {
        CompDecompUnit::DeCompress(File, Out);
        benchmark::DoNotOptimize(Out.data());
    }
    State.SetBytesProcessed(int64_t(State.iterations()) * Tiles * 32);
}
BENCHMARK(Decode)->Name("Decode");

// The codec's portable code, which processors without the wide inner loops run.
template <void (*Run)(benchmark::State&)> void Portable(benchmark::State& State) {
    codec_avx512::SetEnabled(false);
    codec_avx2::SetEnabled(false);
    Run(State);
    codec_avx2::SetEnabled(true);
    codec_avx512::SetEnabled(true);
}
BENCHMARK(Portable<Decode>)->Name("Decode/ref:portable-path");

// The AVX2 inner loops, which processors with AVX2 but without the AVX-512 extensions run.
template <void (*Run)(benchmark::State&)> void Avx2(benchmark::State& State) {
    if (!codec_avx2::Available()) {
        State.SkipWithError("this processor has no AVX2");
        return;
    }
    codec_avx512::SetEnabled(false);
    Run(State);
    codec_avx512::SetEnabled(true);
}
BENCHMARK(Avx2<Decode>)->Name("Decode/ref:avx2-path");

// memcpy of the decoded words' bytes.
void MemcpyWords(benchmark::State& State) {
    const TMyArray Words = SpriteWords(Tiles);
    TMyArray Out(Words.size());
    for (auto _ : State) {
        std::memcpy(Out.data(), Words.data(), Words.size() * 2);
        benchmark::DoNotOptimize(Out.data());
        benchmark::ClobberMemory();
    }
    State.SetBytesProcessed(int64_t(State.iterations()) * Tiles * 32);
}
BENCHMARK(MemcpyWords)->Name("Decode/ref:memcpy");

// The plain bit-by-bit decoder the tests hold the decoder to.
void DecodeSimple(benchmark::State& State) {
    const TMyByteArray File = CompDecompUnit::Compress(SpriteWords(Tiles));
    for (auto _ : State) {
        TMyArray Out = reference::DeCompress(File);
        benchmark::DoNotOptimize(Out.data());
    }
    State.SetBytesProcessed(int64_t(State.iterations()) * Tiles * 32);
}
BENCHMARK(DecodeSimple)->Name("Decode/ref:bit-by-bit")->Unit(benchmark::kMicrosecond);

void Encode(benchmark::State& State) {
    const TMyArray Words = SpriteWords(Tiles);
    if (CompDecompUnit::Compress(Words) != reference::Compress(Words)) {
        State.SkipWithError("the encoder's output differs from the plain encoder's");
        return;
    }
    for (auto _ : State) {
        TMyByteArray File = CompDecompUnit::Compress(Words);
        benchmark::DoNotOptimize(File.data());
    }
    State.SetBytesProcessed(int64_t(State.iterations()) * Tiles * 32);
}
BENCHMARK(Encode)->Name("Encode");
BENCHMARK(Portable<Encode>)->Name("Encode/ref:portable-path");
BENCHMARK(Avx2<Encode>)->Name("Encode/ref:avx2-path");
BENCHMARK(MemcpyWords)->Name("Encode/ref:memcpy");

void EncodeSimple(benchmark::State& State) {
    const TMyArray Words = SpriteWords(Tiles);
    for (auto _ : State) {
        TMyByteArray File = reference::Compress(Words);
        benchmark::DoNotOptimize(File.data());
    }
    State.SetBytesProcessed(int64_t(State.iterations()) * Tiles * 32);
}
BENCHMARK(EncodeSimple)->Name("Encode/ref:bit-by-bit")->Unit(benchmark::kMicrosecond);

void MapRead(benchmark::State& State) {
    const TMyByteArray Cells = bench::RandomRuns(4096, 2);
    const TMyByteArray File = MapLoader::EncodeMap(Cells, 4096, 4096);
    {
        int32_t p, w, h;
        if (MapLoader::DecodeMap(File.data(), File.size(), p, w, h, QString()) != Cells) {
            State.SkipWithError("the map reader does not return the written cells");
            return;
        }
    }
    for (auto _ : State) {
        int32_t p, w, h;
        TMyByteArray Cells = MapLoader::DecodeMap(File.data(), File.size(), p, w, h, QString());
        benchmark::DoNotOptimize(Cells.data());
    }
    State.SetBytesProcessed(int64_t(State.iterations()) * 4096 * 4096);
}
BENCHMARK(MapRead)->Name("MapRead")->Unit(benchmark::kMillisecond);

void MapWrite(benchmark::State& State) {
    const TMyByteArray Cells = bench::RandomRuns(4096, 2);
    for (auto _ : State) {
        TMyByteArray File = MapLoader::EncodeMap(Cells, 4096, 4096);
        benchmark::DoNotOptimize(File.data());
    }
    State.SetBytesProcessed(int64_t(State.iterations()) * 4096 * 4096);
}
BENCHMARK(MapWrite)->Name("MapWrite")->Unit(benchmark::kMillisecond);

void MapRef(benchmark::State& State) {
    const TMyByteArray Cells = bench::RandomRuns(4096, 2);
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

// TMX maps: the layer data is zlib, so the references are zlib alone on the same gids.
QByteArray TmxText(const TMyByteArray& Cells) {
    TTmxTileset Tileset;
    Tileset.ImageSource = QStringLiteral("bench-tiles.png");
    return TmxFile::EncodeTmx(Cells, 4096, 4096, Tileset, {});
}

QByteArray LittleEndianGids(const TMyByteArray& Cells) {
    QByteArray Gids(qsizetype(Cells.size() * 4), '\0');
    for (size_t i = 0; i < Cells.size(); ++i)
        Gids[qsizetype(4 * i)] = char(Cells[i] + 1);
    return Gids;
}

void TmxRead(benchmark::State& State) {
    const TMyByteArray Cells = bench::RandomRuns(4096, 2);
    const QByteArray Text = TmxText(Cells);
    auto Read = [&] {
        int32_t w, h;
        return TmxFile::DecodeTmx(reinterpret_cast<const uint8_t*>(Text.constData()),
                                  size_t(Text.size()), w, h, QString());
    };
    if (Read() != Cells) {
        State.SkipWithError("the TMX reader does not return the written cells");
        return;
    }
    for (auto _ : State) {
        TMyByteArray Back = Read();
        benchmark::DoNotOptimize(Back.data());
    }
    State.SetBytesProcessed(int64_t(State.iterations()) * 4096 * 4096);
}
BENCHMARK(TmxRead)->Name("TmxRead")->Unit(benchmark::kMillisecond);

void TmxReadRef(benchmark::State& State) {
    const QByteArray Gids = LittleEndianGids(bench::RandomRuns(4096, 2));
    uLongf Size = compressBound(uLong(Gids.size()));
    QByteArray Packed(qsizetype(Size), '\0');
    compress2(reinterpret_cast<Bytef*>(Packed.data()), &Size,
              reinterpret_cast<const Bytef*>(Gids.constData()), uLong(Gids.size()),
              Z_DEFAULT_COMPRESSION);
    QByteArray Out(Gids.size(), '\0');
    for (auto _ : State) {
        uLongf OutSize = uLongf(Out.size());
        uncompress(reinterpret_cast<Bytef*>(Out.data()), &OutSize,
                   reinterpret_cast<const Bytef*>(Packed.constData()), Size);
        benchmark::DoNotOptimize(Out.data());
    }
    State.SetBytesProcessed(int64_t(State.iterations()) * 4096 * 4096);
}
BENCHMARK(TmxReadRef)->Name("TmxRead/ref:zlib-inflate")->Unit(benchmark::kMillisecond);

void TmxWrite(benchmark::State& State) {
    const TMyByteArray Cells = bench::RandomRuns(4096, 2);
    for (auto _ : State) {
        QByteArray Text = TmxText(Cells);
        benchmark::DoNotOptimize(Text.data());
    }
    State.SetBytesProcessed(int64_t(State.iterations()) * 4096 * 4096);
}
BENCHMARK(TmxWrite)->Name("TmxWrite")->Unit(benchmark::kMillisecond);

void TmxWriteRef(benchmark::State& State) {
    const QByteArray Gids = LittleEndianGids(bench::RandomRuns(4096, 2));
    QByteArray Packed(qsizetype(compressBound(uLong(Gids.size()))), '\0');
    for (auto _ : State) {
        uLongf Size = uLongf(Packed.size());
        compress2(reinterpret_cast<Bytef*>(Packed.data()), &Size,
                  reinterpret_cast<const Bytef*>(Gids.constData()), uLong(Gids.size()),
                  Z_DEFAULT_COMPRESSION);
        benchmark::DoNotOptimize(Packed.data());
    }
    State.SetBytesProcessed(int64_t(State.iterations()) * 4096 * 4096);
}
BENCHMARK(TmxWriteRef)->Name("TmxWrite/ref:zlib-deflate")->Unit(benchmark::kMillisecond);

// One changed colour, alternating so that every iteration rewrites that colour's cells.
// Every pixel of Words recoloured through Pal.
TMyArray Remapped(const TMyArray& Words, const TPalletteArray& Pal) {
    TMyArray Out(Words.size());
    for (size_t i = 0; i < Words.size(); ++i) {
        const uint16_t w = Words[i];
        Out[i] = uint16_t(Pal[w >> 12] << 12 | Pal[(w >> 8) & 15] << 8 | Pal[(w >> 4) & 15] << 4 |
                          Pal[w & 15]);
    }
    return Out;
}

void Swap(benchmark::State& State) {
    const TMyArray Words = SpriteWords(Tiles);
    TPalletteSwapper Swapper;
    Swapper.Init(Words);
    TPalletteArray Pal = MyTypes::IdentityPallette();
    Pal[3] = 7;
    if (Swapper.GetCalculate(Pal) != Remapped(Words, Pal)) {
        State.SkipWithError("the swapper's words differ from the recoloured sprite");
        return;
    }
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
    TPalletteArray Pal = MyTypes::IdentityPallette();
    int Flip = 0;
    for (auto _ : State) {
        Pal[3] = (++Flip & 1) ? 7 : 3;
        TMyArray Out = Remapped(Words, Pal);
        benchmark::DoNotOptimize(Out.data());
    }
}
BENCHMARK(SwapRef)->Name("SwapOneColour/ref:remap-every-pixel")->Unit(benchmark::kMicrosecond);

// A folder of 20,000 sprite files with distinct names of the library's kind: a letter, digits.
struct NameFolder {
    static constexpr int Count = 20000;
    QTemporaryDir Dir;
    QString Error;
    NameFolder() {
        QDir().mkpath(Dir.path() + "/Sprites");
        std::mt19937 Rng(3);
        const char* Firsts = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz_";
        for (int i = 0; i < Count; ++i) {
            // i in the name keeps the names distinct; the letter and the other digits mix them.
            const QString Name = QStringLiteral("%1%2x%3.spr")
                                     .arg(QChar(Firsts[Rng() % 53]))
                                     .arg(Rng() % 1000)
                                     .arg(i);
            QFile f(Dir.path() + "/Sprites/" + Name);
            if (!f.open(QIODevice::WriteOnly))
                Error = "cannot create " + f.fileName();
        }
    }
};

NameFolder& Names() {
    static NameFolder Folder;
    return Folder;
}

void Library(benchmark::State& State) {
    const NameFolder& Folder = Names();
    if (!Folder.Error.isEmpty() ||
        TSpriteContainer(Folder.Dir.path()).SpriteNames().size() != NameFolder::Count) {
        State.SkipWithError("the library does not list the 20,000 sprites");
        return;
    }
    for (auto _ : State) {
        TSpriteContainer c(Folder.Dir.path());
        benchmark::DoNotOptimize(c.SpriteNames().size());
    }
}
BENCHMARK(Library)->Name("LibraryList20000")->Unit(benchmark::kMillisecond);

// The reference: listing the folder alone, unsorted, and an alphabetical sort.
void LibraryRef(benchmark::State& State) {
    const NameFolder& Folder = Names();
    for (auto _ : State) {
        QStringList l = QDir(Folder.Dir.path() + "/Sprites").entryList(QDir::Files, QDir::Unsorted);
        l.sort();
        benchmark::DoNotOptimize(l.size());
    }
}
BENCHMARK(LibraryRef)
    ->Name("LibraryList20000/ref:QDir-list-and-sort")
    ->Unit(benchmark::kMillisecond);

} // namespace

VELKORA_BENCH_MAIN()
