// SPDX-License-Identifier: MIT
// Drawing in the workbench as a user feels it: a 600-tile sprite in a workbench grown to a
// maximised 1280 x 1000 window, at 8x. A pencil move inside a stroke, a 500-move stroke, a fill of
// the whole sprite and its undo, a full repaint of the visible picture, a paste of 64 x 64 pixels;
// and the memory 100 undo steps of whole-sprite fills hold. Each beside a reference in this run.

#include "bench/GuiBenchSupport.h"
#include "palettes/BmpMaker.h"
#include "palettes/ChangePalletteFrm.h"
#include "shell/Session.h"
#include "sprites/CompDecompUnit.h"
#include "workbench/DrawingPanel.h"
#include "workbench/PixelTools.h"
#include "workbench/SpritesFrm.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QLabel>
#include <QMouseEvent>
#include <QScrollBar>
#include <QUndoStack>

#include <memory>

using namespace velkora;
using namespace velkora::bench;

namespace {

constexpr int Tiles = 600;

struct TBench {
    TEditorRoot Root{{false, 0, 0}};
    QString Error;
    std::unique_ptr<TSession> Session;
    std::unique_ptr<TSpriteFrm> Frm;

    TBench() {
        if (!Root.Ok()) {
            Error = Root.Error();
            return;
        }
        try {
            TMyArray Words(size_t(Tiles) * 16, 0);
            const TMyByteArray Bytes = CompDecompUnit::Compress(Words);
            MyTypes::WriteFileAtomically(QDir(Root.Path()).filePath("Sprites/A0.spr"), Bytes.data(),
                                         Bytes.size());
        } catch (const Exception& e) {
            Error = e.Message();
            return;
        }
        Session = std::make_unique<TSession>(Root.Path());
        Frm = std::make_unique<TSpriteFrm>(*Session);
        Frm->DockPalFrm(new TChPalFrm(*Session, &Frm->Document()));
        // The client area of a maximised 1280 x 1000 window below the menu and the toolbar.
        Frm->resize(1280, 930);
        if (!ShowAndWaitForFirstPaint(Frm.get())) {
            Error = QStringLiteral("the workbench did not show");
            return;
        }
        Frm->SetZoom(8);
        DeliverUpdates();
        if (Frm->SpriteInfo().BlocksArray.size() != size_t(Tiles))
            Error = QStringLiteral("the 600-tile sprite is not shown");
    }
    void Send(QEvent::Type Type, QPoint P, Qt::MouseButton Button = Qt::LeftButton,
              Qt::KeyboardModifiers Modifiers = {}) {
        const Qt::MouseButtons Held = Type == QEvent::MouseButtonRelease ? Qt::NoButton : Button;
        QMouseEvent e(Type, QPointF(P), Frm->Image1->mapToGlobal(QPointF(P)),
                      Type == QEvent::MouseMove ? Qt::NoButton : Button, Held, Modifiers);
        QApplication::sendEvent(Frm->Image1, &e);
    }
    void Tool(TPixelToolKind Kind) { Frm->ToolActions[size_t(Kind)]->trigger(); }
    void Forget() { Frm->Document().UndoStack()->clear(); }
};

TBench& Bench() {
    return SharedFixture<TBench>([](TBench& b) {
        if (b.Frm)
            b.Forget();
    });
}

bool Usable(benchmark::State& State) {
    return FixtureUsable(State, Bench().Error);
}

// The picture rendered alone, as a move that repaints would render it.
void RenderRef(benchmark::State& State) {
    TBench& b = Bench();
    for (auto _ : State) {
        const QImage Picture = b.Frm->View().Render(QPoint(0, 0));
        benchmark::DoNotOptimize(Picture.constBits());
    }
    State.counters["pixels"] =
        double(b.Frm->View().ViewSize().width()) * b.Frm->View().ViewSize().height();
}

void PencilMove(benchmark::State& State) {
    if (!Usable(State))
        return;
    TBench& b = Bench();
    b.Tool(TPixelToolKind::Pencil);
    b.Send(QEvent::MouseButtonPress, QPoint(20, 20));
    int i = 0;
    for (auto _ : State) {
        b.Send(QEvent::MouseMove, QPoint(20 + (i++ % 2) * 40, 20));
        DeliverUpdates();
    }
    b.Send(QEvent::MouseButtonRelease, QPoint(20, 20));
    b.Forget();
}
BENCHMARK(PencilMove)->Name("PencilMove")->Unit(benchmark::kMicrosecond);
BENCHMARK(RenderRef)->Name("PencilMove/ref:render-alone")->Unit(benchmark::kMicrosecond);

void Stroke500(benchmark::State& State) {
    if (!Usable(State))
        return;
    TBench& b = Bench();
    b.Tool(TPixelToolKind::Pencil);
    const QSize View = b.Frm->Image1->size();
    for (auto _ : State) {
        b.Send(QEvent::MouseButtonPress, QPoint(4, 4));
        for (int m = 0; m < 500; ++m)
            b.Send(QEvent::MouseMove,
                   QPoint(4 + (m * 13) % (View.width() - 8), 4 + (m * 7) % (View.height() - 8)));
        b.Send(QEvent::MouseButtonRelease, QPoint(4, 4));
        DeliverUpdates();
        State.PauseTiming();
        b.Frm->Document().UndoStack()->undo();
        b.Forget();
        State.ResumeTiming();
    }
}
BENCHMARK(Stroke500)->Name("Stroke500")->Unit(benchmark::kMillisecond);

void Stroke500Ref(benchmark::State& State) {
    if (!Usable(State))
        return;
    TBench& b = Bench();
    for (auto _ : State) {
        for (int m = 0; m < 500; ++m) {
            const QImage Picture = b.Frm->View().Render(QPoint(0, 0));
            benchmark::DoNotOptimize(Picture.constBits());
        }
    }
}
BENCHMARK(Stroke500Ref)->Name("Stroke500/ref:500-renders")->Unit(benchmark::kMillisecond);

// A click of the fill tool on the sprite, all of one colour: every pixel changes.
void FillWhole(benchmark::State& State) {
    if (!Usable(State))
        return;
    TBench& b = Bench();
    b.Tool(TPixelToolKind::Fill);
    for (auto _ : State) {
        b.Send(QEvent::MouseButtonPress, QPoint(4, 4));
        b.Send(QEvent::MouseButtonRelease, QPoint(4, 4));
        DeliverUpdates();
        State.PauseTiming();
        b.Frm->Document().UndoStack()->undo();
        DeliverUpdates();
        State.ResumeTiming();
    }
    b.Forget();
}
BENCHMARK(FillWhole)->Name("FillWhole")->Unit(benchmark::kMicrosecond);

void FillUndo(benchmark::State& State) {
    if (!Usable(State))
        return;
    TBench& b = Bench();
    b.Tool(TPixelToolKind::Fill);
    for (auto _ : State) {
        State.PauseTiming();
        b.Send(QEvent::MouseButtonPress, QPoint(4, 4));
        b.Send(QEvent::MouseButtonRelease, QPoint(4, 4));
        DeliverUpdates();
        State.ResumeTiming();
        b.Frm->Document().UndoStack()->undo();
        DeliverUpdates();
    }
    b.Forget();
}
BENCHMARK(FillUndo)->Name("FillUndo")->Unit(benchmark::kMicrosecond);

void FillRef(benchmark::State& State) {
    if (!Usable(State))
        return;
    TBench& b = Bench();
    for (auto _ : State) {
        TSpriteInfo Copy = b.Frm->SpriteInfo();
        TPixelCanvas Canvas(Copy, b.Frm->View());
        TPixelFillTool::Fill(Canvas, QPoint(0, 0), 1, false);
        benchmark::DoNotOptimize(Copy.Bytes.data());
    }
}
BENCHMARK(FillRef)->Name("FillWhole/ref:fill-on-a-copy")->Unit(benchmark::kMicrosecond);

// The whole visible picture drawn anew and shown (a scroll step).
void Repaint(benchmark::State& State) {
    if (!Usable(State))
        return;
    TBench& b = Bench();
    QScrollBar* Bar = b.Frm->VScroll;
    int Value = 0;
    for (auto _ : State) {
        Value = Value == 0 ? Bar->singleStep() : 0;
        Bar->setValue(Value);
        DeliverUpdates();
    }
    Bar->setValue(0);
}
BENCHMARK(Repaint)->Name("Repaint8x")->Unit(benchmark::kMicrosecond);
BENCHMARK(RenderRef)->Name("Repaint8x/ref:render-alone")->Unit(benchmark::kMicrosecond);

// Edit > Paste of a 64 x 64 indexed picture and the click that places it.
void Paste64(benchmark::State& State) {
    if (!Usable(State))
        return;
    TBench& b = Bench();
    QImage Picture(64, 64, QImage::Format_Indexed8);
    Picture.setColorTable(b.Frm->DrawingPanel->Colours());
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            Picture.setPixel(x, y, uint((x / 4 + y / 4) % 16));
    QApplication::clipboard()->setImage(Picture);
    for (auto _ : State) {
        b.Frm->PasteAction->trigger();
        b.Send(QEvent::MouseButtonPress, QPoint(8, 8));
        b.Send(QEvent::MouseButtonRelease, QPoint(8, 8));
        DeliverUpdates();
        State.PauseTiming();
        b.Frm->Document().UndoStack()->undo();
        State.ResumeTiming();
    }
    b.Forget();
}
BENCHMARK(Paste64)->Name("Paste64")->Unit(benchmark::kMicrosecond);

void Paste64Ref(benchmark::State& State) {
    if (!Usable(State))
        return;
    TBench& b = Bench();
    const std::vector<int> Indices(64 * 64, 5);
    for (auto _ : State) {
        TSpriteInfo Copy = b.Frm->SpriteInfo();
        TPixelCanvas Canvas(Copy, b.Frm->View());
        PixelArea::Put(Canvas, QPoint(1, 1), QSize(64, 64), Indices);
        benchmark::DoNotOptimize(Copy.Bytes.data());
    }
}
BENCHMARK(Paste64Ref)->Name("Paste64/ref:put-on-a-copy")->Unit(benchmark::kMicrosecond);

// 100 whole-sprite fills, each one undo step: the memory the history holds.
void FillHistory(benchmark::State& State) {
    if (!Usable(State))
        return;
    TBench& b = Bench();
    b.Tool(TPixelToolKind::Fill);
    size_t Held = 0;
    for (auto _ : State) {
        b.Forget();
        for (int Step = 0; Step < 100; ++Step) {
            b.Frm->DrawingPanel->SetColour(0, 1 + Step % 15);
            b.Send(QEvent::MouseButtonPress, QPoint(4, 4));
            b.Send(QEvent::MouseButtonRelease, QPoint(4, 4));
        }
        Held = b.Frm->Document().UndoMemoryUsed();
    }
    if (b.Frm->Document().UndoStack()->count() != 100)
        State.SkipWithError("the fills were not 100 steps");
    State.counters["history_MB"] = double(Held) / 1e6;
    b.Forget();
}
BENCHMARK(FillHistory)->Name("FillHistory100")->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

VELKORA_GUI_BENCH_MAIN()
