// SPDX-License-Identifier: MIT
// The map workspace as a user feels it: the whole editor with a 1024 x 1024 map open in a
// 1280 x 800 window; a full repaint of the visible map (at 1x, at 4x, at 1x with the grid), a
// mouse move that moves the highlight, a mouse move of a drag stroke, one step of a right-button
// pan; the memory of the process with that map open. Then, on a 4096 x 4096 map in the same
// window: a flood fill of the whole map, its undo, and the memory of 100 undo steps of
// whole-map fills.

#include "bench/GuiBenchSupport.h"
#include "maps/MapFrm.h"
#include "maps/MapNavigator.h"
#include "shell/Session.h"
#include "shell/VelkoraProjectEditor.h"
#include "sprites/SpriteEditor.h"
#include "widgets/DrawGrid.h"
#include "widgets/Questions.h"

#include <QCoreApplication>
#include <QDir>
#include <QFrame>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolButton>
#include <QUndoStack>

#include <algorithm>
#include <cstring>
#include <memory>

using namespace velkora;
using namespace velkora::bench;

namespace {

constexpr int MapSide = 1024;
const QSize WindowSize(1280, 800);

// Collects the region a widget is asked to paint.
class TPaintLog : public QObject {
public:
    QRegion Painted;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint)
            Painted += static_cast<QPaintEvent*>(e)->region();
        return false;
    }
};

void SendMove(QWidget* w, QPoint p, Qt::MouseButtons Buttons) {
    QMouseEvent e(QEvent::MouseMove, p, w->mapToGlobal(p), Qt::NoButton, Buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}

void SendButton(QWidget* w, QEvent::Type Type, QPoint p, Qt::MouseButton Button) {
    // (Press and release; the buttons held follow the press.)
    const Qt::MouseButtons Held =
        Type == QEvent::MouseButtonPress ? Qt::MouseButtons(Button) : Qt::MouseButtons();
    QMouseEvent e(Type, p, w->mapToGlobal(p), Button, Held, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}

// Drags Widget by Offset with the right button: press, one move, release.
void Drag(QWidget* Widget, QPoint Offset) {
    const QPoint From(100, 100);
    SendButton(Widget, QEvent::MouseButtonPress, From, Qt::RightButton);
    SendMove(Widget, From + Offset, Qt::RightButton);
    SendButton(Widget, QEvent::MouseButtonRelease, From, Qt::RightButton);
    DeliverUpdates();
}

// The editor as a user starts it, switched to the map workspace, in a 1280 x 800 window. Made
// once for all benchmarks of this binary.
struct TEditor {
    TEditorRoot Root{{true, 10000, MapSide}};
    std::unique_ptr<TSession> Session;
    std::unique_ptr<TMainFrm> Window;
    TMainForm* Map = nullptr;
    TDrawGrid* Grid = nullptr;
    QString Error;
    int64_t BaselineRssKb = -1;

    TEditor() {
        if (!Root.Ok()) {
            Error = Root.Error();
            return;
        }
        BaselineRssKb = ProcStatusKb("VmRSS");
        Session = std::make_unique<TSession>(Root.Path());
        Window = std::make_unique<TMainFrm>(*Session);
        Window->resize(WindowSize);
        if (!ShowAndWaitForFirstPaint(Window.get()) || !Window->MapFrm()) {
            Error = QStringLiteral("the editor did not show");
            return;
        }
        Window->MapEditFrame->click();
        DeliverUpdates();
        Map = Window->MapFrm();
        Grid = Map->DrawGrid1;
        if (!Map->isVisible() || Map->MapParams().Width != MapSide)
            Error = QStringLiteral("the %1 x %1 map is not shown").arg(MapSide);
        else if (!ReportedErrors().isEmpty())
            Error = ReportedErrors().first();
    }
    ~TEditor() {
        Window.reset();
        Session.reset();
    }
    // Where the mouse is over cell (Col, Row), in the grid's widget coordinates.
    QPoint CellCentre(int Col, int Row) const { return Grid->CellRect(Col, Row).center(); }
    // The cells the grid draws while Action runs.
    template <typename F> int CountDrawnCells(F&& Action) {
        int Cells = 0;
        const auto Original = Grid->OnDrawCell;
        Grid->OnDrawCell = [&](QPainter& c, int Col, int Row, const QRect& r) {
            ++Cells;
            Original(c, Col, Row, r);
        };
        Action();
        Grid->OnDrawCell = Original;
        return Cells;
    }
};

TEditor& Editor() {
    return SharedFixture<TEditor>();
}

bool Usable(benchmark::State& State) {
    return FixtureUsable(State, Editor().Error);
}

// Cells of the grid that can be seen, at least in part: inside its parent and not under the
// workspace's side panel or its scroll bars.
int VisibleCells(const TMainForm* Map) {
    const TDrawGrid* Grid = Map->DrawGrid1;
    QRegion Seen =
        QRegion(Grid->VisibleRect()) - QRegion(Map->LeftPanel->geometry().translated(-Grid->pos()));
    // The cells are drawn above and to the left of the scroll bars, the corner between them too.
    const QScrollBar* Across = Map->Navigator()->HorizontalBar;
    const QScrollBar* Down = Map->Navigator()->VerticalBar;
    QRect Drawn = Grid->VisibleRect();
    if (Across->isVisible())
        Drawn.setBottom(std::min(Drawn.bottom(), Across->y() - Grid->y() - 1));
    if (Down->isVisible())
        Drawn.setRight(std::min(Drawn.right(), Down->x() - Grid->x() - 1));
    Seen &= QRegion(Drawn);
    const QRect Box = Seen.boundingRect();
    const int Pitch = Grid->DefaultColWidth() + Grid->GridLineWidth();
    const int b = Grid->BorderWidth();
    int Cells = 0;
    for (int r = std::max(0, (Box.top() - b) / Pitch);
         r <= std::min(Grid->RowCount() - 1, (Box.bottom() - b) / Pitch); ++r)
        for (int c = std::max(0, (Box.left() - b) / Pitch);
             c <= std::min(Grid->ColCount() - 1, (Box.right() - b) / Pitch); ++c)
            Cells += Seen.intersects(Grid->CellRect(c, r));
    return Cells;
}

// ---- Memory -----------------------------------------------------------------------------------

// The resident memory of the process with the map open, after a repaint, a pan and moves. It
// runs first, before the windows of the references exist.
void MapMemory(benchmark::State& State) {
    if (!Usable(State))
        return;
    TEditor& e = Editor();
    for (auto _ : State) {
        e.Grid->repaint();
        Drag(e.Grid, QPoint(-2400, -1800));
        for (int i = 0; i < 50; ++i) {
            SendMove(e.Grid, e.CellCentre(100 + i, 75 + i / 2), Qt::NoButton);
            DeliverUpdates();
        }
        Drag(e.Grid, QPoint(2400, 1800));
    }
    State.counters["VmRSS_MB"] = double(ProcStatusKb("VmRSS")) / 1024;
    State.counters["VmHWM_MB"] = double(ProcStatusKb("VmHWM")) / 1024;
    State.counters["before_editor_MB"] = double(e.BaselineRssKb) / 1024;
}
BENCHMARK(MapMemory)->Name("MapMemory")->Iterations(1)->Unit(benchmark::kMillisecond);

// ---- A plain widget of the same kind, for the references ------------------------------------

// Fills what it is asked to paint with one colour; on a mouse move it asks for the repaint of
// the 24 x 24 squares it left and entered, as the grid does for its highlight.
class TPlainWidget : public QWidget {
public:
    using QWidget::QWidget;
    QPoint Last{-1, -1};

protected:
    void paintEvent(QPaintEvent* e) override {
        QPainter p(this);
        for (const QRect& r : e->region())
            p.fillRect(r, QColor(40, 120, 60));
    }
    void mouseMoveEvent(QMouseEvent* e) override {
        const QPoint Cell = e->position().toPoint() / 24;
        if (Cell != Last) {
            update(QRect(Last * 24, QSize(24, 24)));
            update(QRect(Cell * 24, QSize(24, 24)));
            Last = Cell;
        }
    }
};

// A 1280 x 800 window whose workspace child holds a plain widget placed and sized as the map
// grid, with the same attributes.
struct TPlainWindow {
    QWidget Window;
    QWidget* Workspace;
    TPlainWidget* Plain;
    explicit TPlainWindow(const TDrawGrid* Grid) {
        Window.resize(WindowSize);
        Workspace = new QWidget(&Window);
        const QWidget* Map = Grid->parentWidget();
        Workspace->setGeometry(QRect(Map->mapTo(Map->window(), QPoint(0, 0)), Map->size()));
        Plain = new TPlainWidget(Workspace);
        Plain->setAttribute(Qt::WA_OpaquePaintEvent);
        Plain->setMouseTracking(true);
        Plain->setGeometry(Grid->geometry());
        ShowAndWaitForFirstPaint(&Window);
    }
};

TPlainWindow& PlainWindow() {
    static std::unique_ptr<TPlainWindow> w;
    if (!w) {
        w = std::make_unique<TPlainWindow>(Editor().Grid);
        AtBenchmarksEnd([] { w.reset(); });
    }
    return *w;
}

// ---- Full repaint -----------------------------------------------------------------------------

void MapRepaint(benchmark::State& State) {
    if (!Usable(State))
        return;
    TDrawGrid* Grid = Editor().Grid;
    const int Drawn = Editor().CountDrawnCells([&] { Grid->repaint(); });
    if (Drawn != VisibleCells(Editor().Map)) {
        State.SkipWithError("a repaint did not draw every visible cell once");
        return;
    }
    for (auto _ : State)
        Grid->repaint();
    State.counters["cells"] = Drawn;
}
BENCHMARK(MapRepaint)->Name("MapRepaint")->Unit(benchmark::kMicrosecond);

void MapRepaintRef(benchmark::State& State) {
    if (!Usable(State))
        return;
    QWidget* Plain = PlainWindow().Plain;
    for (auto _ : State)
        Plain->repaint();
}
BENCHMARK(MapRepaintRef)->Name("MapRepaint/ref:plain-fill")->Unit(benchmark::kMicrosecond);

// ---- Mouse move that changes the highlighted cell ---------------------------------------------

void MapMouseMove(benchmark::State& State) {
    if (!Usable(State))
        return;
    TEditor& e = Editor();
    const QPoint a = e.CellCentre(10, 8), b = e.CellCentre(11, 8);
    SendMove(e.Grid, a, Qt::NoButton);
    DeliverUpdates();

    // A move to the next cell repaints exactly the two cells whose look changed.
    TPaintLog Log;
    e.Grid->installEventFilter(&Log);
    const int Drawn = e.CountDrawnCells([&] {
        SendMove(e.Grid, b, Qt::NoButton);
        DeliverUpdates();
    });
    e.Grid->removeEventFilter(&Log);
    const QRegion Expected = QRegion(e.Grid->CellRect(10, 8)) + QRegion(e.Grid->CellRect(11, 8));
    if (e.Map->HLCell() != QPoint(11, 8) || Log.Painted != Expected || Drawn != 2) {
        State.SkipWithError("a highlight move did not repaint exactly the two cells");
        return;
    }

    bool Flip = false;
    for (auto _ : State) {
        SendMove(e.Grid, (Flip = !Flip) ? a : b, Qt::NoButton);
        DeliverUpdates();
    }
    State.counters["cells"] = Drawn;
}
BENCHMARK(MapMouseMove)->Name("MapMouseMove")->Unit(benchmark::kMicrosecond);

void MapMouseMoveRef(benchmark::State& State) {
    if (!Usable(State))
        return;
    QWidget* Plain = PlainWindow().Plain;
    const QPoint a(10 * 24 + 12, 8 * 24 + 12), b(11 * 24 + 12, 8 * 24 + 12);
    bool Flip = false;
    for (auto _ : State) {
        SendMove(Plain, (Flip = !Flip) ? a : b, Qt::NoButton);
        DeliverUpdates();
    }
}
BENCHMARK(MapMouseMoveRef)
    ->Name("MapMouseMove/ref:bare-widget-round-trip")
    ->Unit(benchmark::kMicrosecond);

// ---- Full repaint zoomed, and with the grid --------------------------------------------------

// Times a full repaint of the visible map after Setup, checking first that it draws every
// visible cell once; Undo puts the workspace back.
template <typename S, typename U> void RepaintAfter(benchmark::State& State, S Setup, U Undo) {
    if (!Usable(State))
        return;
    TEditor& e = Editor();
    Setup(*e.Map);
    DeliverUpdates();
    const int Drawn = e.CountDrawnCells([&] { e.Grid->repaint(); });
    if (Drawn != VisibleCells(e.Map)) {
        Undo(*e.Map);
        State.SkipWithError("a repaint did not draw every visible cell once");
        return;
    }
    for (auto _ : State)
        e.Grid->repaint();
    State.counters["cells"] = Drawn;
    Undo(*e.Map);
    DeliverUpdates();
}

void MapRepaintZoom4(benchmark::State& State) {
    RepaintAfter(
        State,
        [](TMainForm& m) {
            m.ActualSize();
            m.SetZoom(4, m.MapView().center());
        },
        [](TMainForm& m) { m.ActualSize(); });
}
BENCHMARK(MapRepaintZoom4)->Name("MapRepaintZoom4")->Unit(benchmark::kMicrosecond);
BENCHMARK(MapRepaintRef)->Name("MapRepaintZoom4/ref:plain-fill")->Unit(benchmark::kMicrosecond);

void MapRepaintGrid(benchmark::State& State) {
    RepaintAfter(
        State, [](TMainForm& m) { m.SetShowGrid(true); },
        [](TMainForm& m) { m.SetShowGrid(false); });
}
BENCHMARK(MapRepaintGrid)->Name("MapRepaintGrid")->Unit(benchmark::kMicrosecond);
BENCHMARK(MapRepaintRef)->Name("MapRepaintGrid/ref:plain-fill")->Unit(benchmark::kMicrosecond);

// ---- A mouse move of a drag stroke -------------------------------------------------------------

// The cells a stroke crosses, one a move: a serpentine over 40 columns of the visible map.
std::vector<QPoint> StrokePath(int Count) {
    std::vector<QPoint> Path;
    for (int i = 0; i < Count; ++i) {
        const int Row = 1 + i / 40;
        const int Col = 1 + (Row % 2 ? i % 40 : 39 - i % 40);
        Path.push_back(QPoint(Col, Row));
    }
    return Path;
}

// Times the mouse moves Skip + 1 to Skip + Iterations of a stroke with the brush, each to the
// next cell, after checking that such a stroke paints its cells as one undo step.
void StrokeMoves(benchmark::State& State, int Skip) {
    if (!Usable(State))
        return;
    TEditor& e = Editor();
    const int Moves = int(State.max_iterations);
    const std::vector<QPoint> Path = StrokePath(Skip + Moves + 1);
    e.Map->ActualSize();
    e.Map->SetTool(TMapTool::Brush);
    const QPoint Item = e.Map->DrawGrid2->CellRect(0, 0).center();
    SendButton(e.Map->DrawGrid2, QEvent::MouseButtonPress, Item, Qt::LeftButton);
    SendButton(e.Map->DrawGrid2, QEvent::MouseButtonRelease, Item, Qt::LeftButton);
    QUndoStack* Undo = e.Map->UndoStack();
    const TMyByteArray Before = e.Map->MapParams().DecomBytes;
    const auto Stroke = [&](auto&& Timed) {
        SendButton(e.Grid, QEvent::MouseButtonPress, e.CellCentre(Path[0].x(), Path[0].y()),
                   Qt::LeftButton);
        DeliverUpdates();
        for (int i = 1; i <= Skip; ++i) {
            SendMove(e.Grid, e.CellCentre(Path[size_t(i)].x(), Path[size_t(i)].y()),
                     Qt::LeftButton);
            DeliverUpdates();
        }
        Timed();
        SendButton(e.Grid, QEvent::MouseButtonRelease, e.CellCentre(0, 0), Qt::LeftButton);
    };

    // The check: the whole stroke paints exactly its cells, one undo step, and undoes whole.
    const int Steps = Undo->index();
    Stroke([&] {
        for (int i = Skip + 1; i <= Skip + Moves; ++i) {
            SendMove(e.Grid, e.CellCentre(Path[size_t(i)].x(), Path[size_t(i)].y()),
                     Qt::LeftButton);
            DeliverUpdates();
        }
    });
    TMyByteArray Want = Before;
    for (int i = 0; i <= Skip + Moves; ++i)
        Want[size_t(Path[size_t(i)].y() * MapSide + Path[size_t(i)].x())] = 0;
    const bool Painted = e.Map->MapParams().DecomBytes == Want && Undo->index() == Steps + 1;
    Undo->undo();
    if (!Painted || e.Map->MapParams().DecomBytes != Before) {
        State.SkipWithError("a stroke did not paint its cells as one undo step");
        return;
    }

    int Next = Skip + 1;
    Stroke([&] {
        for (auto _ : State) {
            const QPoint c = Path[size_t(Next++)];
            SendMove(e.Grid, e.CellCentre(c.x(), c.y()), Qt::LeftButton);
            DeliverUpdates();
        }
    });
    Undo->undo();
    DeliverUpdates();
    State.counters["moves_before"] = Skip;
}

void MapStrokeMove(benchmark::State& State) {
    StrokeMoves(State, 0);
}
void MapStrokeMoveLate(benchmark::State& State) {
    StrokeMoves(State, 500);
}
BENCHMARK(MapStrokeMove)->Name("MapStrokeMove")->Iterations(500)->Unit(benchmark::kMicrosecond);
BENCHMARK(MapMouseMove)->Name("MapStrokeMove/ref:highlight-move")->Unit(benchmark::kMicrosecond);
BENCHMARK(MapStrokeMoveLate)
    ->Name("MapStrokeMoveAfter500")
    ->Iterations(500)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(MapMouseMove)
    ->Name("MapStrokeMoveAfter500/ref:highlight-move")
    ->Unit(benchmark::kMicrosecond);

// ---- One step of a right-button pan -----------------------------------------------------------

// A step of Step pixels, back and forth, in the middle of the map.
const QPoint Step(6, 4);

void MapPanStep(benchmark::State& State) {
    if (!Usable(State))
        return;
    TEditor& e = Editor();
    const QPoint Home = e.Grid->pos();
    // To the middle of the map.
    const QPoint Middle(-MapSide * 24 / 2, -MapSide * 24 / 2);
    Drag(e.Grid, Middle - Home);
    if (e.Grid->pos() != Middle) {
        State.SkipWithError("a right-button drag did not pan the map");
        return;
    }
    const QPoint Grab(300, 200);
    const QPoint GrabWidget = Grab + QPoint(1, 1);
    SendButton(e.Grid, QEvent::MouseButtonPress, GrabWidget, Qt::RightButton);
    const int Drawn = e.CountDrawnCells([&] {
        SendMove(e.Grid, GrabWidget + Step, Qt::RightButton);
        DeliverUpdates();
    });
    if (e.Grid->pos() != Middle + Step) {
        State.SkipWithError("a pan step did not move the map");
        return;
    }
    bool Back = true;
    for (auto _ : State) {
        // The grid moved with the cursor, which is over the grab point again.
        SendMove(e.Grid, GrabWidget + (Back ? -Step : Step), Qt::RightButton);
        DeliverUpdates();
        Back = !Back;
    }
    SendButton(e.Grid, QEvent::MouseButtonRelease, GrabWidget, Qt::RightButton);
    Drag(e.Grid, Home - e.Grid->pos());
    State.counters["cells"] = Drawn;
}
BENCHMARK(MapPanStep)->Name("MapPanStep")->Unit(benchmark::kMicrosecond);

// Moving a plain widget of the grid's size by the same steps.
void MapPanStepRef(benchmark::State& State) {
    if (!Usable(State))
        return;
    QWidget* Plain = PlainWindow().Plain;
    const QPoint Home = Plain->pos();
    Plain->move(-MapSide * 24 / 2, -MapSide * 24 / 2);
    DeliverUpdates();
    bool Back = false;
    for (auto _ : State) {
        Plain->move(Plain->pos() + (Back ? -Step : Step));
        DeliverUpdates();
        Back = !Back;
    }
    Plain->move(Home);
    DeliverUpdates();
}
BENCHMARK(MapPanStepRef)->Name("MapPanStep/ref:move-plain-widget")->Unit(benchmark::kMicrosecond);

// ---- A 4096 x 4096 map: flood fill, undo, the memory of the history ---------------------------

constexpr int BigSide = 4096;
constexpr size_t BigCells = size_t(BigSide) * BigSide;

// Makes Cells the map of the workspace (a new map: nothing to ask about) and the fill tool the
// tool. The benchmarks that follow use this map.
void OpenBigMap(TEditor& e, TMyByteArray Cells, TMapTool Tool) {
    SetQuestionSink([](const QString&, const QStringList& Answers) {
        return int(Answers.indexOf(QStringLiteral("Discard")));
    });
    e.Map->OpenNewMap(BigSide, BigSide, std::move(Cells));
    e.Map->ActualSize();
    e.Map->SetTool(Tool);
    DeliverUpdates();
}

void SelectItem(TEditor& e, int Item) {
    const QPoint p = e.Map->DrawGrid2->CellRect(Item % 5, Item / 5).center();
    SendButton(e.Map->DrawGrid2, QEvent::MouseButtonPress, p, Qt::LeftButton);
    SendButton(e.Map->DrawGrid2, QEvent::MouseButtonRelease, p, Qt::LeftButton);
}

void Click(TEditor& e, QPoint Cell) {
    SendButton(e.Grid, QEvent::MouseButtonPress, e.CellCentre(Cell.x(), Cell.y()), Qt::LeftButton);
    SendButton(e.Grid, QEvent::MouseButtonRelease, e.CellCentre(Cell.x(), Cell.y()),
               Qt::LeftButton);
}

bool AllCells(const TEditor& e, uint8_t Value) {
    const TMyByteArray& c = e.Map->MapParams().DecomBytes;
    return c.size() == BigCells &&
           std::all_of(c.begin(), c.end(), [&](uint8_t v) { return v == Value; });
}

// A click of the fill tool on a map of one value: every cell changes, and the visible ones are
// repainted.
void MapFloodFill(benchmark::State& State) {
    if (!Usable(State))
        return;
    TEditor& e = Editor();
    OpenBigMap(e, TMyByteArray(BigCells, 0), TMapTool::Fill);
    SelectItem(e, 1);
    Click(e, QPoint(10, 10));
    const bool Filled = AllCells(e, 1);
    e.Window->UndoAction->trigger();
    if (!Filled || !AllCells(e, 0)) {
        State.SkipWithError("a flood fill did not fill the whole map and undo it");
        return;
    }
    uint8_t Value = 0;
    for (auto _ : State) {
        State.PauseTiming();
        Value = Value == 1 ? 2 : 1;
        SelectItem(e, Value);
        State.ResumeTiming();
        Click(e, QPoint(10, 10));
        DeliverUpdates();
    }
    State.counters["cells"] = double(BigCells);
}
BENCHMARK(MapFloodFill)->Name("MapFloodFill")->Unit(benchmark::kMillisecond);

void CellsMemset(benchmark::State& State) {
    TMyByteArray Cells(BigCells, 0);
    uint8_t v = 0;
    for (auto _ : State) {
        std::memset(Cells.data(), ++v, Cells.size());
        benchmark::DoNotOptimize(Cells.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(CellsMemset)->Name("MapFloodFill/ref:memset-cells")->Unit(benchmark::kMillisecond);

// Undo (Edit > Undo) of such a fill.
void MapFloodFillUndo(benchmark::State& State) {
    if (!Usable(State))
        return;
    TEditor& e = Editor();
    OpenBigMap(e, TMyByteArray(BigCells, 0), TMapTool::Fill);
    SelectItem(e, 3);
    for (auto _ : State) {
        State.PauseTiming();
        Click(e, QPoint(10, 10));
        DeliverUpdates();
        const bool Filled = AllCells(e, 3);
        State.ResumeTiming();
        e.Window->UndoAction->trigger();
        DeliverUpdates();
        State.PauseTiming();
        if (!Filled || !AllCells(e, 0)) {
            State.SkipWithError("undo did not restore the map before the fill");
            break;
        }
        State.ResumeTiming();
    }
    State.counters["cells"] = double(BigCells);
}
BENCHMARK(MapFloodFillUndo)->Name("MapFloodFillUndo")->Unit(benchmark::kMillisecond);

void CellsMemcpy(benchmark::State& State) {
    const TMyByteArray From(BigCells, 1);
    TMyByteArray To(BigCells, 0);
    for (auto _ : State) {
        std::memcpy(To.data(), From.data(), To.size());
        benchmark::DoNotOptimize(To.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(CellsMemcpy)->Name("MapFloodFillUndo/ref:memcpy-cells")->Unit(benchmark::kMillisecond);

// 100 rectangles over the whole map of random runs, alternating two items, each an undo step;
// the resident memory then, and the history's own size. Undoing all 100 must give the map back.
void MapUndoMemory(benchmark::State& State) {
    if (!Usable(State))
        return;
    TEditor& e = Editor();
    const TMyByteArray Start = bench::RandomRuns(BigSide, 7);
    OpenBigMap(e, Start, TMapTool::Rectangle);
    const int64_t Before = ProcStatusKb("VmRSS");
    QUndoStack* Undo = e.Map->UndoStack();
    for (auto _ : State) {
        for (int i = 0; i < 100; ++i) {
            SelectItem(e, 1 + i % 2);
            SendButton(e.Grid, QEvent::MouseButtonPress, e.CellCentre(0, 0), Qt::LeftButton);
            SendMove(e.Grid, e.CellCentre(BigSide - 1, BigSide - 1), Qt::LeftButton);
            SendButton(e.Grid, QEvent::MouseButtonRelease, e.CellCentre(BigSide - 1, BigSide - 1),
                       Qt::LeftButton);
            DeliverUpdates();
        }
    }
    const int64_t After = ProcStatusKb("VmRSS");
    State.counters["VmRSS_MB"] = double(After) / 1024;
    State.counters["growth_MB"] = double(After - Before) / 1024;
    State.counters["history_MB"] = double(e.Map->Document().UndoMemoryUsed()) / (1 << 20);
    State.counters["map_MB"] = double(BigCells) / (1 << 20);
    const bool Filled = Undo->index() == 100 && AllCells(e, 2);
    while (Undo->canUndo())
        Undo->undo();
    if (!Filled || e.Map->MapParams().DecomBytes != Start)
        State.SkipWithError("100 fills did not undo to the map before them");
}
BENCHMARK(MapUndoMemory)->Name("MapUndoMemory")->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

VELKORA_GUI_BENCH_MAIN()
