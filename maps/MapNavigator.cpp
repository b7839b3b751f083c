// SPDX-License-Identifier: MIT
#include "maps/MapNavigator.h"

#include "maps/GoToCellDialog.h"
#include "maps/MapDocument.h"
#include "maps/MapOverviewWindow.h"
#include "widgets/DrawGrid.h"

#include <QAction>
#include <QEvent>
#include <QKeyEvent>
#include <QScrollBar>
#include <QStyle>

#include <algorithm>

namespace velkora {

TMapNavigator::TMapNavigator(QWidget* Workspace, TDrawGrid* Grid, const TMapDocument& Document,
                             const TMapCellPictures& Pictures, QPoint Home)
    : QObject(Workspace), fWorkspace(Workspace), fGrid(Grid), fDocument(Document),
      fPictures(Pictures), fHome(Home) {
    HorizontalBar = new QScrollBar(Qt::Horizontal, Workspace);
    VerticalBar = new QScrollBar(Qt::Vertical, Workspace);
    HorizontalBar->setObjectName(QStringLiteral("MapHorizontalBar"));
    VerticalBar->setObjectName(QStringLiteral("MapVerticalBar"));
    fCorner = new QWidget(Workspace);
    fCorner->setAutoFillBackground(true);
    for (QScrollBar* Bar : {HorizontalBar, VerticalBar}) {
        // The keys stay with the map; the bars answer the mouse.
        Bar->setFocusPolicy(Qt::NoFocus);
        Bar->setAutoFillBackground(true);
        connect(Bar, &QScrollBar::valueChanged, this, [this] { BarMoved(); });
    }

    GoToAction = new QAction(QStringLiteral("Go &to cell..."), Workspace);
    GoToAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_J));
    connect(GoToAction, &QAction::triggered, this, [this] { GoToCell(); });
    OverviewAction = new QAction(QStringLiteral("O&verview"), Workspace);
    OverviewAction->setCheckable(true);
    connect(OverviewAction, &QAction::toggled, this, [this](bool On) { ShowOverview(On); });
    GoToCellDialog = [this](QPoint Start, QSize Map) -> std::optional<QPoint> {
        TGoToCellDialog Dialog(Start, Map, fWorkspace);
        if (Dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return Dialog.Cell();
    };

    connect(&Document, &TMapDocument::CellsChanged, this, [this](const QRect& Cells) {
        if (fOverviewWindow && fOverviewWindow->isVisible() && !fOverviewStale) {
            fOverview.Update(fDocument.MapParams().DecomBytes, Cells);
            fOverviewWindow->SetPicture(fOverview.Picture(), fOverview.Block());
        } else {
            fOverviewStale = true;
        }
    });
    connect(&Document, &TMapDocument::MapReplaced, this, [this] { PicturesChanged(); });
    // The overview floats over the window while the workspace is shown.
    Workspace->installEventFilter(this);
}

TMapNavigator::~TMapNavigator() = default;

int TMapNavigator::Pitch() const {
    return fGrid->DefaultColWidth();
}

int TMapNavigator::Border() const {
    return fGrid->BorderWidth();
}

QRect TMapNavigator::Layout(const QRect& Area) {
    const int e =
        fWorkspace->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, HorizontalBar);
    VerticalBar->setGeometry(Area.right() + 1 - e, Area.top(), e, std::max(0, Area.height() - e));
    HorizontalBar->setGeometry(Area.left(), Area.bottom() + 1 - e, std::max(0, Area.width() - e),
                               e);
    fCorner->setGeometry(Area.right() + 1 - e, Area.bottom() + 1 - e, e, e);
    for (QWidget* w :
         {static_cast<QWidget*>(HorizontalBar), static_cast<QWidget*>(VerticalBar), fCorner})
        w->raise();
    fView =
        QRect(Area.topLeft(), QSize(std::max(0, Area.width() - e), std::max(0, Area.height() - e)));
    return fView;
}

void TMapNavigator::SyncBar(QScrollBar* Bar, int Pos, int Home, int Count, int ViewFirst,
                            int ViewSize) {
    // The value is the map pixel at the view's first edge; the range runs from the map's start
    // where the grid starts to its end as far from the view's other edge, widened to wherever a
    // pan took the map.
    const int Value = ViewFirst - Pos - Border();
    const int Margin = Home - ViewFirst + Border();
    const int64_t Content = int64_t(Count) * Pitch();
    int Low = -Margin;
    int High = int(std::clamp<int64_t>(Content - ViewSize + Margin, Low, INT32_MAX));
    if (Count <= 0)
        Low = High = Value;
    Bar->setRange(std::min(Low, Value), std::max(High, Value));
    Bar->setPageStep(std::max(1, ViewSize));
    Bar->setSingleStep(Pitch());
    Bar->setValue(Value);
    Bar->setEnabled(Bar->maximum() > Bar->minimum());
}

void TMapNavigator::Sync() {
    fSyncing = true;
    const QPoint Pos = fGrid->pos();
    SyncBar(HorizontalBar, Pos.x(), fHome.x(), fDocument.Width(), fView.left(), fView.width());
    SyncBar(VerticalBar, Pos.y(), fHome.y(), fDocument.Height(), fView.top(), fView.height());
    fSyncing = false;
    SyncOverview();
}

void TMapNavigator::BarMoved() {
    if (fSyncing)
        return;
    emit MoveGrid(QPoint(fView.left() - Border() - HorizontalBar->value(),
                         fView.top() - Border() - VerticalBar->value()));
}

bool TMapNavigator::PanKey(QKeyEvent* Event) {
    if (Event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier) ||
        !fDocument.HasMap())
        return false;
    const bool Sideways = Event->modifiers() & Qt::ShiftModifier;
    const int Step = Pitch();
    // A screen of whole cells, so that cells keep their places on the grid's raster.
    const int PageX = std::max(Step, fView.width() / Step * Step);
    const int PageY = std::max(Step, fView.height() / Step * Step);
    QPoint Delta;
    switch (Event->key()) {
    case Qt::Key_Left:
        Delta = QPoint(Step, 0);
        break;
    case Qt::Key_Right:
        Delta = QPoint(-Step, 0);
        break;
    case Qt::Key_Up:
        Delta = QPoint(0, Step);
        break;
    case Qt::Key_Down:
        Delta = QPoint(0, -Step);
        break;
    case Qt::Key_PageUp:
        Delta = Sideways ? QPoint(PageX, 0) : QPoint(0, PageY);
        break;
    case Qt::Key_PageDown:
        Delta = Sideways ? QPoint(-PageX, 0) : QPoint(0, -PageY);
        break;
    default:
        return false;
    }
    emit MoveGrid(fGrid->pos() + Delta);
    return true;
}

QPoint TMapNavigator::CentredOn(QPointF Cell) const {
    const QPointF Centre = QRectF(fView).center();
    return QPoint(qRound(Centre.x() - Border() - Cell.x() * Pitch()),
                  qRound(Centre.y() - Border() - Cell.y() * Pitch()));
}

void TMapNavigator::GoToCell() {
    if (!fDocument.HasMap() || !GoToCellDialog)
        return;
    const QPointF Centre =
        (QRectF(fView).center() - QPointF(fGrid->pos()) - QPointF(Border(), Border())) / Pitch();
    const QPoint Start(std::clamp(int(Centre.x()), 0, fDocument.Width() - 1),
                       std::clamp(int(Centre.y()), 0, fDocument.Height() - 1));
    const std::optional<QPoint> Cell =
        GoToCellDialog(Start, QSize(fDocument.Width(), fDocument.Height()));
    if (!Cell || !fDocument.Contains(*Cell))
        return;
    emit MoveGrid(CentredOn(QPointF(*Cell) + QPointF(0.5, 0.5)));
}

void TMapNavigator::PicturesChanged() {
    fOverviewStale = true;
    if (fOverviewWindow && fOverviewWindow->isVisible())
        RebuildOverview();
}

void TMapNavigator::RebuildOverview() {
    const TMapParams& Map = fDocument.MapParams();
    fOverview.Rebuild(Map.DecomBytes, Map.Width, Map.Height, MeanColours(fPictures));
    fOverviewStale = false;
    fOverviewWindow->SetPicture(fOverview.Picture(), fOverview.Block());
    SyncOverview();
}

void TMapNavigator::SyncOverview() {
    if (!fOverviewWindow || !fOverviewWindow->isVisible())
        return;
    const QPointF First =
        (QPointF(fView.topLeft()) - QPointF(fGrid->pos()) - QPointF(Border(), Border())) / Pitch();
    fOverviewWindow->SetVisibleCells(QRectF(First, QSizeF(fView.size()) / Pitch()));
}

void TMapNavigator::ShowOverview(bool Show) {
    if (OverviewAction->isChecked() != Show)
        OverviewAction->setChecked(Show); // comes back here
    if (!Show) {
        if (fOverviewWindow)
            fOverviewWindow->hide();
        return;
    }
    if (!fOverviewWindow) {
        fOverviewWindow = new TMapOverviewWindow(fWorkspace);
        connect(fOverviewWindow, &TMapOverviewWindow::CentreOn, this,
                [this](QPointF Cell) { emit MoveGrid(CentredOn(Cell)); });
        connect(fOverviewWindow, &TMapOverviewWindow::Closed, this,
                [this] { OverviewAction->setChecked(false); });
    }
    if (!fWorkspace->isVisible())
        return;
    const bool First = !fOverviewWindow->testAttribute(Qt::WA_Moved);
    fOverviewWindow->show();
    if (fOverviewStale)
        RebuildOverview();
    SyncOverview();
    if (First) {
        // Over the view's top-right corner.
        const QPoint Corner = fWorkspace->mapToGlobal(fView.topRight());
        fOverviewWindow->move(Corner - QPoint(fOverviewWindow->width() + 8, -8));
    }
}

bool TMapNavigator::eventFilter(QObject* Watched, QEvent* Event) {
    if (Watched == fWorkspace && fOverviewWindow) {
        if (Event->type() == QEvent::Hide)
            fOverviewWindow->hide();
        else if (Event->type() == QEvent::Show && OverviewAction->isChecked())
            ShowOverview(true);
    }
    return QObject::eventFilter(Watched, Event);
}

} // namespace velkora
