// SPDX-License-Identifier: MIT
// Whole-map pictures: `velkora-tool map render` beside the peer our users also use, the general
// map editor's `tmxrasterizer` (Debian's `tiled`), on the same cells with the same item
// pictures: wall time and peak memory of each process, and the size of each PNG. Then the
// settings of the PNG writer on map content, in-process: time and bytes.

#include "bench/BenchSupport.h"
#include "maps/MapImageItems.h"
#include "maps/MapLoader.h"
#include "maps/MapPicture.h"
#include "palettes/BmpMaker.h"
#include "palettes/PngFile.h"
#include "sprites/SpriteEditor.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <random>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace velkora;

namespace {

const char* const Peer = "/usr/bin/tmxrasterizer";
// The textures and palettes of every picture: demo sprites 0 and 1, palettes 0 and 1.
const QStringList Textures = {"--tex1", "0", "--tex2", "1", "--pal1", "0", "--pal2", "1"};

// A TMX map of the cells on one tileset: tiles.png, the 51 pictures of the cell values 0 to 49
// and of the unknown item, in a row (global tile id = value + 1; every value from 50 up is the
// unknown item's tile).
QByteArray TmxOf(const TMyByteArray& Cells, int Side) {
    QByteArray x;
    x.reserve(int(Cells.size() * 3 + 1024));
    x += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<map version=\"1.8\" orientation=\"orthogonal\" renderorder=\"right-down\" width=\"" +
         QByteArray::number(Side) + "\" height=\"" + QByteArray::number(Side) +
         "\" tilewidth=\"24\" tileheight=\"24\" infinite=\"0\" nextlayerid=\"2\" "
         "nextobjectid=\"1\">\n"
         " <tileset firstgid=\"1\" name=\"items\" tilewidth=\"24\" tileheight=\"24\" "
         "tilecount=\"51\" columns=\"51\">\n"
         "  <image source=\"tiles.png\" width=\"1224\" height=\"24\"/>\n"
         " </tileset>\n"
         " <layer id=\"1\" name=\"cells\" width=\"" +
         QByteArray::number(Side) + "\" height=\"" + QByteArray::number(Side) +
         "\">\n  <data encoding=\"csv\">\n";
    for (size_t i = 0; i < Cells.size(); ++i) {
        x += QByteArray::number(std::min<int>(Cells[i], 50) + 1);
        if (i + 1 < Cells.size())
            x += (i + 1) % size_t(Side) == 0 ? ",\n" : ",";
    }
    x += "\n  </data>\n </layer>\n</map>\n";
    return x;
}

struct TRun {
    double Seconds = 0;
    double PeakMB = 0; // ru_maxrss of the process, 10^6 bytes
    bool Ok = false;
};

// Runs a program to its end (no shell, output discarded, QT_QPA_PLATFORM=offscreen): wall time
// from fork to the end of wait4, and the peak resident memory wait4 reports.
TRun RunProgram(const QString& Program, const QStringList& Args, const QString& WorkDir) {
    std::vector<QByteArray> Argv{QFile::encodeName(Program)};
    for (const QString& a : Args)
        Argv.push_back(QFile::encodeName(a));
    std::vector<char*> Ptrs;
    for (QByteArray& a : Argv)
        Ptrs.push_back(a.data());
    Ptrs.push_back(nullptr);
    const QByteArray Dir = QFile::encodeName(WorkDir);

    TRun r;
    const auto Start = std::chrono::steady_clock::now();
    const pid_t Pid = ::fork();
    if (Pid < 0)
        return r;
    if (Pid == 0) {
        const int Null = ::open("/dev/null", O_WRONLY);
        ::dup2(Null, 1);
        ::dup2(Null, 2);
        if (::chdir(Dir.constData()) != 0)
            ::_exit(126);
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        ::execv(Ptrs[0], Ptrs.data());
        ::_exit(127);
    }
    int Status = 0;
    struct rusage Usage {};
    if (::wait4(Pid, &Status, 0, &Usage) != Pid)
        return r;
    r.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
    r.PeakMB = double(Usage.ru_maxrss) * 1024.0 / 1e6;
    r.Ok = WIFEXITED(Status) && WEXITSTATUS(Status) == 0;
    return r;
}

// The data root, the maps and the peer's TMX files and tileset, made once outside all timing.
struct TFixture {
    QTemporaryDir Dir;
    QString Root;
    QString Error;
    std::map<int, TMyByteArray> Cells;

    TFixture() {
        Root = Dir.path() + "/root";
        QProcess Tool;
        Tool.start(QStringLiteral(VELKORA_TOOL), {"make-demo", Root});
        if (!Tool.waitForFinished(120000) || Tool.exitCode() != 0) {
            Error = "velkora-tool make-demo failed";
            return;
        }
        for (int Side : {64, 256, 512, 1024}) {
            Cells[Side] = bench::RandomRuns(Side, unsigned(Side));
            MapLoader::SaveMap(MapFile(Side), Cells[Side], Side, Side);
            const QByteArray Tmx = TmxOf(Cells[Side], Side);
            QFile f(TmxFile(Side));
            if (!f.open(QIODevice::WriteOnly) || f.write(Tmx) != Tmx.size()) {
                Error = "cannot write " + TmxFile(Side);
                return;
            }
        }
        // The tileset: the tool's own pictures of the values 0 to 50, one row of cells.
        TMyByteArray Values(51);
        for (int v = 0; v <= 50; ++v)
            Values[size_t(v)] = uint8_t(v);
        MapLoader::SaveMap(Dir.path() + "/tiles.Map", Values, 51, 1);
        if (!RunProgram(VELKORA_TOOL,
                        QStringList{"map", "render", "tiles.Map", "tiles.png", "--root", Root} +
                            Textures,
                        Dir.path())
                 .Ok)
            Error = "the tileset could not be drawn";
    }
    QString MapFile(int Side) const {
        return QStringLiteral("%1/R%2.Map").arg(Dir.path()).arg(Side);
    }
    QString TmxFile(int Side) const {
        return QStringLiteral("%1/R%2.tmx").arg(Dir.path()).arg(Side);
    }
    QStringList OursArgs(int Side, const QString& Out, bool Fast) const {
        QStringList a = QStringList{"map", "render", MapFile(Side), Out, "--root", Root} + Textures;
        if (Fast)
            a << "--fast";
        return a;
    }
};

const TFixture& Fixture() {
    static const TFixture f;
    return f;
}

TPngPicture Decoded(const QString& File) {
    return PngFile::ReadPngFile(File, false);
}

// The peer draws the same picture as we do: compared pixel for pixel on the 64 x 64 map.
QString CheckSamePictures() {
    const TFixture& f = Fixture();
    if (!f.Error.isEmpty())
        return f.Error;
    const QString Ours = f.Dir.path() + "/check-ours.png";
    const QString Theirs = f.Dir.path() + "/check-peer.png";
    if (!RunProgram(VELKORA_TOOL, f.OursArgs(64, Ours, false), f.Dir.path()).Ok)
        return "velkora-tool map render failed";
    if (!RunProgram(Peer, {f.TmxFile(64), Theirs}, f.Dir.path()).Ok)
        return "tmxrasterizer failed (is Debian's tiled installed?)";
    try {
        const TPngPicture a = Decoded(Ours);
        const TPngPicture b = Decoded(Theirs);
        if (a.Width != 64 * 24 || a.Height != 64 * 24 || a.Width != b.Width || a.Height != b.Height)
            return "the two pictures differ in size";
        for (size_t i = 0; i < a.Pixels.size(); i += 4)
            if (std::memcmp(&a.Pixels[i], &b.Pixels[i], 3) != 0)
                return QStringLiteral("the pictures differ at pixel %1").arg(i / 4);
    } catch (const Exception& e) {
        return e.Message();
    }
    return QString();
}

void Render(benchmark::State& State, int Side, bool UsePeer, bool Fast) {
    static const QString Check = CheckSamePictures();
    if (!Check.isEmpty()) {
        State.SkipWithError(Check.toStdString().c_str());
        return;
    }
    const TFixture& f = Fixture();
    const QString Out =
        QStringLiteral("%1/out-%2-%3-%4.png").arg(f.Dir.path()).arg(Side).arg(UsePeer).arg(Fast);
    double Peak = 0;
    for (auto _ : State) {
        QFile::remove(Out);
        const TRun r = UsePeer
                           ? RunProgram(Peer, {f.TmxFile(Side), Out}, f.Dir.path())
                           : RunProgram(VELKORA_TOOL, f.OursArgs(Side, Out, Fast), f.Dir.path());
        if (!r.Ok) {
            State.SkipWithError("the renderer failed");
            return;
        }
        State.SetIterationTime(r.Seconds);
        Peak = std::max(Peak, r.PeakMB);
    }
    State.counters["peak_MB"] = Peak;
    State.counters["png_MB"] = double(QFileInfo(Out).size()) / 1e6;
}

// One process run is one iteration; wall time from fork to wait4.
#define RENDER(Label, Side, UsePeer, Fast)                                                         \
    BENCHMARK_CAPTURE(Render, _, Side, UsePeer, Fast)                                              \
        ->Name(Label)                                                                              \
        ->Iterations(1)                                                                            \
        ->UseManualTime()                                                                          \
        ->Unit(benchmark::kMillisecond)
RENDER("MapRender/512", 512, false, false);
RENDER("MapRender/512/ref:fast", 512, false, true);
RENDER("MapRender/512/ref:tmxrasterizer", 512, true, false);
RENDER("MapRender/1024", 1024, false, false);
RENDER("MapRender/1024/ref:fast", 1024, false, true);
// The peer needs about a minute and 5 GB for this map: one run is enough to compare.
RENDER("MapRender/1024/ref:tmxrasterizer", 1024, true, false)->Repetitions(1);

// ---- The PNG writer's settings on map content ----------------------------------------------

struct TCountingSink : TByteSink {
    size_t Bytes = 0;
    void Write(const uint8_t*, size_t n) override { Bytes += n; }
};

const TMapCellPictures& Pictures() {
    static const TMapCellPictures p = [] {
        TMapCellPictures Pictures;
        const TFixture& f = Fixture();
        TXMLDocument Doc;
        Doc.FileName = f.Root + "/XMLParams.xml";
        const TPalletteList Palettes = BmpMaker::ReadPalettes(Doc);
        const TSpriteContainer Library(f.Root);
        TMapImageItems Items1, Items2;
        Items1.SetPalette(0, BmpMaker::ColorTable(Palettes, 0));
        Items1.SetSpriteInfo(Library.SpriteInfo(0));
        Items2.SetPalette(1, BmpMaker::ColorTable(Palettes, 1));
        Items2.SetSpriteInfo(Library.SpriteInfo(1));
        Pictures.Rebuild(Items1, Items2);
        return Pictures;
    }();
    return p;
}

void Settings(benchmark::State& State, TPngCompression c) {
    const TFixture& f = Fixture();
    if (!f.Error.isEmpty()) {
        State.SkipWithError(f.Error.toStdString().c_str());
        return;
    }
    constexpr int Side = 256;
    const TMyByteArray& Cells = f.Cells.at(Side);
    size_t Bytes = 0;
    for (auto _ : State) {
        TCountingSink Sink;
        MapPicture::WriteMapPng(Sink, Cells, Side, Side, Pictures(), c);
        Bytes = Sink.Bytes;
    }
    State.counters["png_MB"] = double(Bytes) / 1e6;
    State.SetBytesProcessed(int64_t(State.iterations()) * Side * Side * 24 * 24);
}

} // namespace

BENCHMARK_CAPTURE(Settings, chosen, MapPicture::MapPngCompression())
    ->Name("MapPng/chosen")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Settings, fast, MapPicture::MapPngFastCompression())
    ->Name("MapPng/chosen/ref:fast")
    ->Unit(benchmark::kMillisecond);
#define SETTING(Label, Filter, Level, Strategy)                                                    \
    BENCHMARK_CAPTURE(Settings, _,                                                                 \
                      TPngCompression{TPngFilter::Filter, Level, TPngStrategy::Strategy})          \
        ->Name("MapPng/chosen/ref:" Label)                                                         \
        ->Unit(benchmark::kMillisecond)
SETTING("none-0", None, 0, Default);
SETTING("none-1", None, 1, Default);
SETTING("none-2", None, 2, Default);
SETTING("none-3", None, 3, Default);
SETTING("none-4", None, 4, Default);
SETTING("none-5", None, 5, Default);
SETTING("none-6", None, 6, Default);
SETTING("none-7", None, 7, Default);
SETTING("none-9", None, 9, Default);
SETTING("none-1-rle", None, 1, Rle);
SETTING("none-6-rle", None, 6, Rle);
SETTING("none-6-filtered", None, 6, Filtered);
SETTING("sub-6", Sub, 6, Default);
SETTING("up-1", Up, 1, Default);
SETTING("up-6", Up, 6, Default);
SETTING("paeth-6", Paeth, 6, Default);
SETTING("adaptive-1", Adaptive, 1, Default);
SETTING("adaptive-6", Adaptive, 6, Default);

int main(int argc, char** argv) {
    QCoreApplication App(argc, argv);
    benchmark::Initialize(&argc, argv);
    velkora::bench::RatioReporter Reporter;
    benchmark::RunSpecifiedBenchmarks(&Reporter);
    benchmark::Shutdown();
    return 0;
}
