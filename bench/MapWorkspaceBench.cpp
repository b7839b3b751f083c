// The map workspace as a user feels it: the whole editor with a 1024 x 1024 map open in a
// 1280 x 800 window; a full repaint of the visible map, a mouse move that moves the highlight,
// one step of a right-button pan; and the memory of the process with that map open.

#include "bench/GuiBenchSupport.h"
#include "maps/DrawGrid.h"
#include "maps/MapFrm.h"
#include "shell/Session.h"
#include "shell/VelkoraProjectEditor.h"
#include "sprites/SpriteEditor.h"

#include <QCoreApplication>
#include <QDir>
#include <QFrame>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QToolButton>

#include <algorithm>
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
    static std::unique_ptr<TEditor> e;
    if (!e) {
        e = std::make_unique<TEditor>();
        AtBenchmarksEnd([] { e.reset(); });
    }
    return *e;
}

bool Usable(benchmark::State& State) {
    if (!Editor().Error.isEmpty()) {
        State.SkipWithError(Editor().Error.toUtf8().constData());
        return false;
    }
    return true;
}

// Cells of the grid that can be seen, at least in part: inside its parent and not under the
// workspace's side panel.
int VisibleCells(const TMainForm* Map) {
    const TDrawGrid* Grid = Map->DrawGrid1;
    const QRegion Seen =
        QRegion(Grid->VisibleRect()) - QRegion(Map->LeftPanel->geometry().translated(-Grid->pos()));
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

} // namespace

VELKORA_GUI_BENCH_MAIN()
