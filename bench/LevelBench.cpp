// SPDX-License-Identifier: MIT
// Level building as a user feels it, on a 4096 x 4096 map of random runs in the running editor's
// 1280 x 800 window: a paste of 256 x 256 cells put by a click and its undo, a stamp-brush move
// that lays a new 4 x 4 stamp (moves 1-500 and 501-1000 of one drag), the floating paste
// following the pointer at 4x, select all and copy, the memory of 100 undo steps of 256 x 256
// pastes, and Map > Resize map... from 4096 x 4096 to 8192 x 8192. Each beside a reference of
// the same kind in the same run.

#include "bench/GuiBenchSupport.h"
#include "maps/LevelEdit.h"
#include "maps/MapFrm.h"
#include "maps/MapSelection.h"
#include "shell/Session.h"
#include "shell/VelkoraProjectEditor.h"
#include "widgets/Questions.h"

#include <QAction>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QToolButton>
#include <QUndoStack>

#include <cstring>
#include <memory>

using namespace velkora;
using namespace velkora::bench;

namespace {

constexpr int Side = 4096;
constexpr size_t Cells = size_t(Side) * Side;
const QSize WindowSize(1280, 800);

void Send(QWidget* w, QEvent::Type Type, QPoint p, Qt::MouseButton Button) {
    const Qt::MouseButtons Held =
        Type == QEvent::MouseButtonRelease ? Qt::MouseButtons() : Qt::MouseButtons(Button);
    QMouseEvent e(Type, p, w->mapToGlobal(p), Type == QEvent::MouseMove ? Qt::NoButton : Button,
                  Held, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}

struct TEditor {
    TEditorRoot Root{{true, 0, 0}};
    std::unique_ptr<TSession> Session;
    std::unique_ptr<TMainFrm> Window;
    TMainForm* Map = nullptr;
    QString Error;
    TMyByteArray Start = RandomRuns(Side, 11);

    TEditor() {
        if (!Root.Ok()) {
            Error = Root.Error();
            return;
        }
        Session = std::make_unique<TSession>(Root.Path());
        Window = std::make_unique<TMainFrm>(*Session);
        Window->resize(WindowSize);
        if (!ShowAndWaitForFirstPaint(Window.get()) || !Window->MapFrm()) {
            Error = QStringLiteral("the editor did not show");
            return;
        }
        Window->MapEditFrame->click();
        Map = Window->MapFrm();
        SetQuestionSink([](const QString&, const QStringList& Answers) {
            return int(Answers.indexOf(QStringLiteral("Discard")));
        });
        Reset();
        if (Map->MapParams().Width != Side)
            Error = QStringLiteral("the %1 x %1 map is not shown").arg(Side);
    }
    ~TEditor() {
        Window.reset();
        Session.reset();
    }
    // The random map again, 1x, nothing selected, the brush with item 0.
    void Reset() {
        Map->OpenNewMap(Side, Side, Start);
        Map->ActualSize();
        Map->SetTool(TMapTool::Brush);
        Map->Tools().SetItem(0);
        DeliverUpdates();
    }
    QPoint Centre(QPoint Cell) const {
        return Map->DrawGrid1->CellRect(Cell.x(), Cell.y()).center();
    }
    void Click(QPoint Cell) {
        Send(Map->DrawGrid1, QEvent::MouseButtonPress, Centre(Cell), Qt::LeftButton);
        Send(Map->DrawGrid1, QEvent::MouseButtonRelease, Centre(Cell), Qt::LeftButton);
    }
    void Move(QPoint Cell, Qt::MouseButton Held = Qt::NoButton) {
        Send(Map->DrawGrid1, QEvent::MouseMove, Centre(Cell), Held);
    }
    // Copies the 256 x 256 cells at the top-left.
    void Copy256() {
        Map->Tools().Selection().Set(QRect(0, 0, 256, 256));
        Map->Level().CopyAction->trigger();
        Map->Tools().Selection().Clear();
    }
    bool Holds256At(QPoint At) const {
        const TMyByteArray& c = Map->MapParams().DecomBytes;
        for (int y = 0; y < 256; ++y)
            if (std::memcmp(c.data() + size_t(At.y() + y) * Side + size_t(At.x()),
                            Start.data() + size_t(y) * Side, 256) != 0)
                return false;
        return true;
    }
};

TEditor& Editor() {
    return SharedFixture<TEditor>();
}

bool Usable(benchmark::State& State) {
    return FixtureUsable(State, Editor().Error);
}

// ---- Paste of 256 x 256 cells and its undo
// --------------------------------------------------------

// Edit > Paste and a click at (20, 10): the cells are put and the visible ones repainted.
void LevelPaste(benchmark::State& State) {
    if (!Usable(State))
        return;
    TEditor& e = Editor();
    e.Reset();
    e.Copy256();
    QUndoStack* Undo = e.Map->UndoStack();
    for (auto _ : State) {
        e.Map->Level().PasteAction->trigger();
        e.Click({20, 10});
        DeliverUpdates();
        State.PauseTiming();
        const bool Put = e.Holds256At({20, 10}) && Undo->count() == 1;
        Undo->undo();
        Undo->clear();
        DeliverUpdates();
        if (!Put) {
            State.SkipWithError("the paste did not put the copied cells as one step");
            break;
        }
        State.ResumeTiming();
    }
}
BENCHMARK(LevelPaste)->Name("LevelPaste256")->Unit(benchmark::kMillisecond);

// The same cells filled with one item by the rectangle tool: press, drag, release.
void LevelRectangle(benchmark::State& State) {
    if (!Usable(State))
        return;
    TEditor& e = Editor();
    e.Reset();
    e.Map->SetTool(TMapTool::Rectangle);
    QUndoStack* Undo = e.Map->UndoStack();
    for (auto _ : State) {
        Send(e.Map->DrawGrid1, QEvent::MouseButtonPress, e.Centre({20, 10}), Qt::LeftButton);
        e.Move({275, 265}, Qt::LeftButton);
        Send(e.Map->DrawGrid1, QEvent::MouseButtonRelease, e.Centre({275, 265}), Qt::LeftButton);
        DeliverUpdates();
        State.PauseTiming();
        Undo->undo();
        Undo->clear();
        DeliverUpdates();
        State.ResumeTiming();
    }
    e.Map->SetTool(TMapTool::Brush);
}
BENCHMARK(LevelRectangle)->Name("LevelPaste256/ref:rectangle-fill")->Unit(benchmark::kMillisecond);

// Edit > Undo of the paste, and of the rectangle fill.
void LevelUndo(benchmark::State& State, bool Paste) {
    if (!Usable(State))
        return;
    TEditor& e = Editor();
    e.Reset();
    e.Copy256();
    e.Map->SetTool(Paste ? TMapTool::Brush : TMapTool::Rectangle);
    QUndoStack* Undo = e.Map->UndoStack();
    for (auto _ : State) {
        State.PauseTiming();
        if (Paste) {
            e.Map->Level().PasteAction->trigger();
            e.Click({20, 10});
        } else {
            Send(e.Map->DrawGrid1, QEvent::MouseButtonPress, e.Centre({20, 10}), Qt::LeftButton);
            e.Move({275, 265}, Qt::LeftButton);
            Send(e.Map->DrawGrid1, QEvent::MouseButtonRelease, e.Centre({275, 265}),
                 Qt::LeftButton);
        }
        DeliverUpdates();
        State.ResumeTiming();
        e.Window->UndoAction->trigger();
        DeliverUpdates();
        State.PauseTiming();
        const bool Back = e.Map->MapParams().DecomBytes == e.Start;
        Undo->clear();
        if (!Back) {
            State.SkipWithError("undo did not give back the map");
            break;
        }
        State.ResumeTiming();
    }
    e.Map->SetTool(TMapTool::Brush);
}
BENCHMARK_CAPTURE(LevelUndo, Paste, true)->Name("LevelPaste256Undo")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LevelUndo, Rectangle, false)
    ->Name("LevelPaste256Undo/ref:rectangle-fill-undo")
    ->Unit(benchmark::kMillisecond);

// ---- Stamp-brush moves
// ---------------------------------------------------------------------------

// A drag with a 4 x 4 stamp, four cells a move to the right (each lays a new stamp), Skip moves
// into the drag.
void StampMoves(benchmark::State& State, int Skip, int StampSide) {
    if (!Usable(State))
        return;
    TEditor& e = Editor();
    e.Reset();
    TMyByteArray Items(size_t(StampSide * StampSide));
    for (size_t i = 0; i < Items.size(); ++i)
        Items[i] = uint8_t(i % 50);
    e.Map->Tools().SetStamp(TCellBlock(StampSide, StampSide, Items));
    const int Row = 40;
    int x = 0;
    auto Press = [&] {
        x = 0;
        Send(e.Map->DrawGrid1, QEvent::MouseButtonPress, e.Centre({x, Row}), Qt::LeftButton);
        for (int i = 0; i < Skip; ++i)
            e.Move({x += StampSide, Row}, Qt::LeftButton);
        DeliverUpdates();
    };
    Press();
    int Moves = 0;
    for (auto _ : State) {
        e.Move({x += StampSide, Row}, Qt::LeftButton);
        DeliverUpdates();
        if (++Moves == 500) {
            State.PauseTiming();
            Send(e.Map->DrawGrid1, QEvent::MouseButtonRelease, e.Centre({x, Row}), Qt::LeftButton);
            const bool Laid = e.Map->MapParams().GetValue(Row + StampSide - 1, x) ==
                              Items[Items.size() - size_t(StampSide)];
            e.Map->UndoStack()->undo();
            e.Map->UndoStack()->clear();
            if (!Laid) {
                State.SkipWithError("the drag did not lay the stamp");
                break;
            }
            Moves = 0;
            Press();
            State.ResumeTiming();
        }
    }
    Send(e.Map->DrawGrid1, QEvent::MouseButtonRelease, e.Centre({x, Row}), Qt::LeftButton);
    e.Map->Tools().SetItem(0);
}
BENCHMARK_CAPTURE(StampMoves, First, 0, 4)
    ->Name("StampMove4x4/moves-1-500")
    ->Iterations(500)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(StampMoves, Later, 500, 4)
    ->Name("StampMove4x4/moves-501-1000")
    ->Iterations(500)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(StampMoves, Item, 0, 1)
    ->Name("StampMove4x4/ref:one-item-brush-move")
    ->Iterations(500)
    ->Unit(benchmark::kMicrosecond);

// ---- The floating paste following the pointer at 4x -------------------------------------------

void FloatingMoves(benchmark::State& State, bool Floating) {
    if (!Usable(State))
        return;
    TEditor& e = Editor();
    e.Reset();
    e.Copy256();
    e.Map->Tools().SetItem(0);
    e.Map->DrawGrid1->SetZoom(4, e.Map->DrawGrid1->mapToParent(QPoint(0, 0)));
    if (Floating)
        e.Map->Level().PasteAction->trigger();
    DeliverUpdates();
    bool Back = false;
    for (auto _ : State) {
        e.Move(Back ? QPoint(3, 3) : QPoint(4, 3));
        DeliverUpdates();
        Back = !Back;
    }
    if (Floating && !e.Map->Tools().Pasting())
        State.SkipWithError("the paste stopped floating");
    e.Map->Tools().Cancel();
    e.Map->ActualSize();
}
BENCHMARK_CAPTURE(FloatingMoves, Paste, true)
    ->Name("FloatingPasteMove4x")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(FloatingMoves, Plain, false)
    ->Name("FloatingPasteMove4x/ref:brush-preview-move")
    ->Unit(benchmark::kMicrosecond);

// ---- Select all and copy -----------------------------------------------------------------------

void SelectAllCopy(benchmark::State& State) {
    if (!Usable(State))
        return;
    TEditor& e = Editor();
    e.Reset();
    for (auto _ : State) {
        e.Map->Level().SelectAllAction->trigger();
        e.Map->Level().CopyAction->trigger();
        DeliverUpdates();
        State.PauseTiming();
        const bool Copied = e.Map->Tools().Stamp().Values() == e.Start;
        e.Map->Tools().Selection().Clear();
        e.Map->Tools().SetItem(0);
        DeliverUpdates();
        if (!Copied) {
            State.SkipWithError("the copy is not the map");
            break;
        }
        State.ResumeTiming();
    }
}
BENCHMARK(SelectAllCopy)->Name("SelectAllCopy")->Unit(benchmark::kMillisecond);

void CopyCells(benchmark::State& State) {
    const TMyByteArray From(Cells, 1);
    for (auto _ : State) {
        TMyByteArray To(From);
        benchmark::DoNotOptimize(To.data());
    }
}
BENCHMARK(CopyCells)->Name("SelectAllCopy/ref:copy-cells")->Unit(benchmark::kMillisecond);

// ---- The memory of 100 pastes ----------------------------------------------------------------

void PasteUndoMemory(benchmark::State& State) {
    if (!Usable(State))
        return;
    TEditor& e = Editor();
    e.Reset();
    e.Copy256();
    const int64_t Before = ProcStatusKb("VmRSS");
    for (auto _ : State)
        for (int i = 0; i < 100; ++i) {
            e.Map->Level().PasteAction->trigger();
            e.Click({300 + 7 * i, 300 + 5 * i});
            DeliverUpdates();
        }
    const int64_t After = ProcStatusKb("VmRSS");
    State.counters["growth_MB"] = double(After - Before) / 1024;
    State.counters["history_MB"] = double(e.Map->Document().UndoMemoryUsed()) / (1 << 20);
    QUndoStack* Undo = e.Map->UndoStack();
    const bool Steps = Undo->count() == 100;
    while (Undo->canUndo())
        Undo->undo();
    if (!Steps || e.Map->MapParams().DecomBytes != e.Start)
        State.SkipWithError("100 pastes did not undo to the map before them");
}
BENCHMARK(PasteUndoMemory)
    ->Name("PasteUndoMemory100")
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// ---- Resize 4096 x 4096 to 8192 x 8192 --------------------------------------------------------

void Resize(benchmark::State& State) {
    if (!Usable(State))
        return;
    TEditor& e = Editor();
    e.Reset();
    e.Map->Level().ResizeDialog = [](TResizeChoice& c) {
        c = {2 * Side, 2 * Side, 100, 50, 7};
        return true;
    };
    for (auto _ : State) {
        e.Map->Level().ResizeAction->trigger();
        DeliverUpdates();
        State.PauseTiming();
        const bool Resized = e.Map->MapParams().Width == 2 * Side &&
                             e.Map->MapParams().GetValue(50, 100) == e.Start[0] &&
                             e.Map->MapParams().GetValue(0, 0) == 7;
        e.Map->UndoStack()->undo();
        e.Map->UndoStack()->clear();
        DeliverUpdates();
        if (!Resized) {
            State.SkipWithError("the map was not resized");
            break;
        }
        State.ResumeTiming();
    }
    e.Reset();
}
BENCHMARK(Resize)->Name("Resize4096to8192")->Unit(benchmark::kMillisecond);

void ResizeRef(benchmark::State& State) {
    for (auto _ : State) {
        TMyByteArray Big(size_t(4) * Cells, 7);
        benchmark::DoNotOptimize(Big.data());
    }
}
BENCHMARK(ResizeRef)->Name("Resize4096to8192/ref:fill-new-cells")->Unit(benchmark::kMillisecond);

} // namespace

VELKORA_GUI_BENCH_MAIN()
