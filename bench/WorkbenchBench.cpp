// SPDX-License-Identifier: MIT
// The sprite workbench as a user feels it: the whole editor, workbench shown, with a sprite of
// 4096 tiles first in the library: choosing the sprite (read, decoded, drawn), a palette set
// chosen in the palette-set frame (recoloured and drawn), a step of the second palette (drawn), a
// change of the tile-group size, a scroll step of the picture at 1x and at 8x (the visible
// picture drawn anew), and a zoom step.

#include "bench/GuiBenchSupport.h"
#include "palettes/ChangePalletteFrm.h"
#include "palettes/PalSwapper.h"
#include "shell/ParamsFile.h"
#include "shell/Session.h"
#include "shell/VelkoraProjectEditor.h"
#include "sprites/CompDecompUnit.h"
#include "sprites/SpriteEditor.h"
#include "workbench/SpritesFrm.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QScrollBar>
#include <QUndoStack>

#include <memory>
#include <random>

using namespace velkora;
using namespace velkora::bench;

namespace {

constexpr int Tiles = 4096;

// Words of a sprite as drawn by hand: runs of one colour index, a third of them transparent.
TMyArray DrawnWords(size_t Count, unsigned Seed) {
    std::mt19937 Random(Seed);
    TMyArray Words(Count);
    int Index = 0, Left = 0;
    for (uint16_t& w : Words) {
        for (int k = 0; k < 4; ++k) {
            if (Left-- <= 0) {
                Index = Random() % 3 == 0 ? 0 : int(Random() % 16);
                Left = int(Random() % 7);
            }
            w = uint16_t((w << 4) | Index);
        }
    }
    return Words;
}

// The editor on the demo root with "A0.spr", a sprite of 4096 tiles, first in the library, and
// three palette sets. Made once for all benchmarks of this binary.
struct TEditor {
    TEditorRoot Root{{true, 0, 0}};
    TMyArray Words = DrawnWords(size_t(Tiles) * 16, 11);
    QString SpriteFile;
    std::unique_ptr<TSession> Session;
    std::unique_ptr<TMainFrm> Window;
    TSpriteFrm* Sprites = nullptr;
    TChPalFrm* Frame = nullptr;
    QString Error;

    TEditor() {
        if (!Root.Ok()) {
            Error = Root.Error();
            return;
        }
        try {
            SpriteFile = QDir(Root.Path()).filePath(QStringLiteral("Sprites/A0.spr"));
            const TMyByteArray Bytes = CompDecompUnit::Compress(Words);
            MyTypes::WriteFileAtomically(SpriteFile, Bytes.data(), Bytes.size());
        } catch (const Exception& e) {
            Error = e.Message();
            return;
        }
        try {
            // Three palette sets at least: the identity and two more.
            TXMLDocument Params;
            Params.FileName = QDir(Root.Path()).filePath(QStringLiteral("XMLParams.xml"));
            TPalletteArray Map = MyTypes::IdentityPallette();
            for (int k = 1; k <= 2; ++k) {
                std::swap(Map[size_t(k)], Map[size_t(k + 2)]);
                ParamsFile::AppendPalSet(Params, Map);
            }
        } catch (const Exception& e) {
            Error = e.Message();
            return;
        }
        Session = std::make_unique<TSession>(Root.Path());
        Window = std::make_unique<TMainFrm>(*Session);
        if (!ShowAndWaitForFirstPaint(Window.get()) || !Window->SpritesFrm() ||
            !Window->ChPalFrm()) {
            Error = QStringLiteral("the editor did not show");
            return;
        }
        Sprites = Window->SpritesFrm();
        Frame = Window->ChPalFrm();
        DeliverUpdates();
        if (Sprites->Document().SpriteInfo().Bytes != Words)
            Error = QStringLiteral("the 4096-tile sprite is not the one shown");
        else if (Frame->PalCmb->count() < 3)
            Error = QStringLiteral("the demo has fewer than three palette sets");
        else if (!ReportedErrors().isEmpty())
            Error = ReportedErrors().first();
    }
    ~TEditor() {
        Window.reset();
        Session.reset();
    }
    const QImage Shown() const { return Sprites->Image1->pixmap().toImage(); }
    // The edit history of the benchmarks is no question at the end.
    void Forget() { Sprites->Document().UndoStack()->clear(); }
};

TEditor& Editor() {
    return SharedFixture<TEditor>([](TEditor& e) {
        if (e.Sprites)
            e.Forget();
    });
}

bool Usable(benchmark::State& State) {
    return FixtureUsable(State, Editor().Error);
}

// ---- Choosing the sprite ----------------------------------------------------------------------

// The chooser's change: the file read and decoded anew, the selected set taken, the picture
// drawn and shown.
void SpriteLoad(benchmark::State& State) {
    if (!Usable(State))
        return;
    TEditor& e = Editor();
    e.Forget();
    for (auto _ : State) {
        e.Sprites->ComboBox1Change();
        DeliverUpdates();
    }
    if (e.Sprites->Document().SpriteInfo().BlocksArray.size() != size_t(Tiles) ||
        e.Shown().isNull())
        State.SkipWithError("the sprite was not shown");
}
BENCHMARK(SpriteLoad)->Name("SpriteLoad")->Unit(benchmark::kMicrosecond);

void SpriteLoadRef(benchmark::State& State) {
    if (!Usable(State))
        return;
    for (auto _ : State) {
        TSpriteInfo Info;
        Info.Init(Editor().SpriteFile);
        benchmark::DoNotOptimize(Info.BlocksArray.data());
    }
}
BENCHMARK(SpriteLoadRef)->Name("SpriteLoad/ref:read-and-decode")->Unit(benchmark::kMicrosecond);

// ---- A palette set ----------------------------------------------------------------------------

// Sets 1 and 2 in turn from the frame's set list: the sprite recoloured and drawn.
void SpriteSet(benchmark::State& State) {
    if (!Usable(State))
        return;
    TEditor& e = Editor();
    e.Forget();
    e.Frame->PalCmb->setCurrentIndex(1);
    DeliverUpdates();
    TPalletteSwapper Swapper;
    Swapper.Init(e.Words);
    if (e.Sprites->Document().SpriteInfo().Bytes !=
        Swapper.GetCalculate(e.Sprites->Document().PalletteSet())) {
        State.SkipWithError("the set did not recolour the sprite");
        return;
    }
    int Set = 1;
    for (auto _ : State) {
        Set = 3 - Set;
        e.Frame->PalCmb->setCurrentIndex(Set);
        DeliverUpdates();
    }
    e.Frame->PalCmb->setCurrentIndex(0);
    e.Forget();
}
BENCHMARK(SpriteSet)->Name("SpriteSet")->Unit(benchmark::kMicrosecond);

void SpriteSetRef(benchmark::State& State) {
    if (!Usable(State))
        return;
    TPalletteSwapper Swapper;
    Swapper.Init(Editor().Words);
    TPalletteArray Map = MyTypes::IdentityPallette();
    for (auto _ : State) {
        std::swap(Map[1], Map[2]);
        const TMyArray Out = Swapper.GetCalculate(Map);
        benchmark::DoNotOptimize(Out.data());
    }
}
BENCHMARK(SpriteSetRef)->Name("SpriteSet/ref:swapper-alone")->Unit(benchmark::kMicrosecond);

// ---- The second palette -----------------------------------------------------------------------

// One acting wheel step over the second palette's selector, up and down in turn.
void SpritePalette(benchmark::State& State) {
    if (!Usable(State))
        return;
    TEditor& e = Editor();
    e.Frame->CmbIconMouseEnter(e.Frame->SecondCmbIcon);
    const int Before = e.Frame->SecondPalIndex();
    // Every other notification acts.
    const auto Step = [&](int Delta) {
        if (e.Frame->WheelCount() % 2 == 1)
            e.Frame->FormMouseWheel(Delta);
        e.Frame->FormMouseWheel(Delta);
        DeliverUpdates();
    };
    Step(Before == 0 ? -120 : 120);
    if (e.Frame->SecondPalIndex() == Before) {
        State.SkipWithError("the wheel did not change the palette");
        return;
    }
    bool Down = Before != 0;
    for (auto _ : State)
        Step((Down = !Down) ? -120 : 120);
    e.Frame->CmbIconMouseLeave(e.Frame->SecondCmbIcon);
}
BENCHMARK(SpritePalette)->Name("SpritePalette")->Unit(benchmark::kMicrosecond);

// ---- Size, scroll and zoom --------------------------------------------------------------------

void SpriteSize(benchmark::State& State) {
    if (!Usable(State))
        return;
    TEditor& e = Editor();
    int Size = 2;
    for (auto _ : State) {
        Size = Size == 2 ? 1 : 2;
        e.Sprites->SizeCmb->setCurrentIndex(Size);
        DeliverUpdates();
    }
    e.Sprites->SizeCmb->setCurrentIndex(2);
}
BENCHMARK(SpriteSize)->Name("SpriteSize")->Unit(benchmark::kMicrosecond);

// A step of the vertical scroll bar at a zoom: the visible picture drawn anew and shown.
void ScrollAt(benchmark::State& State, int Zoom) {
    if (!Usable(State))
        return;
    TEditor& e = Editor();
    e.Sprites->SetZoom(Zoom);
    QScrollBar* Bar = e.Sprites->VScroll;
    Bar->setValue(0);
    DeliverUpdates();
    const QImage Top = e.Shown();
    Bar->setValue(Bar->singleStep());
    DeliverUpdates();
    if (Top.isNull() || e.Shown() == Top) {
        State.SkipWithError("a scroll step did not change the picture");
        return;
    }
    int Value = Bar->singleStep();
    for (auto _ : State) {
        Value = Value == 0 ? Bar->singleStep() : 0;
        Bar->setValue(Value);
        DeliverUpdates();
    }
    e.Sprites->SetZoom(1);
}

void SpriteScroll1x(benchmark::State& State) {
    ScrollAt(State, 1);
}
BENCHMARK(SpriteScroll1x)->Name("SpriteScroll1x")->Unit(benchmark::kMicrosecond);

void SpriteScroll8x(benchmark::State& State) {
    ScrollAt(State, 8);
}
BENCHMARK(SpriteScroll8x)->Name("SpriteScroll8x")->Unit(benchmark::kMicrosecond);

// The same round trip for a label of the picture's size, in a window of its own: a picture of
// that size filled, set and painted.
void SpriteScrollRef(benchmark::State& State) {
    if (!Usable(State))
        return;
    QWidget Window;
    auto* Label = new QLabel(&Window);
    Label->setGeometry(Editor().Sprites->Image1->geometry());
    Window.resize(Editor().Sprites->size());
    ShowAndWaitForFirstPaint(&Window);
    QImage Picture(Label->size(), QImage::Format_RGB32);
    uint32_t Colour = 0;
    for (auto _ : State) {
        Picture.fill(Colour += 0x010203);
        Label->setPixmap(QPixmap::fromImage(Picture));
        Label->repaint();
        DeliverUpdates();
    }
}
BENCHMARK(SpriteScrollRef)->Name("SpriteScroll1x/ref:plain-picture")->Unit(benchmark::kMicrosecond);

void SpriteZoom(benchmark::State& State) {
    if (!Usable(State))
        return;
    TEditor& e = Editor();
    int Zoom = 1;
    for (auto _ : State) {
        Zoom = Zoom == 1 ? 8 : 1;
        e.Sprites->SetZoom(Zoom);
        DeliverUpdates();
    }
    e.Sprites->SetZoom(1);
}
BENCHMARK(SpriteZoom)->Name("SpriteZoom")->Unit(benchmark::kMicrosecond);

} // namespace

VELKORA_GUI_BENCH_MAIN()
