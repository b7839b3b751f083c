// SPDX-License-Identifier: MIT
#include "maps/MapView.h"

#include "maps/CellTool.h"
#include "maps/MapDocument.h"
#include "maps/MapEditing.h"
#include "maps/MapNavigator.h"
#include "maps/MapSelection.h"
#include "maps/MapTextures.h"

#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>

#include <algorithm>

namespace velkora {

namespace {

// The grid overlay: light enough to show on dark items, faint enough not to hide light ones.
const QColor GridLineColor(255, 255, 255, 96);
// How far a notch of the wheel scrolls: three cells at 1x.
constexpr int WheelScrollPixels = 3 * MapCellSize;

int FloorDiv(int a, int b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

} // namespace

TMapView::TMapView(QWidget* Parent) : TDrawGrid(Parent) {
    fMarch.setInterval(120);
    connect(&fMarch, &QTimer::timeout, this, &TMapView::MarchOutline);
}

TMapView::~TMapView() = default;

void TMapView::Attach(TMapDocument& Document, TMapTextures& Textures, QPoint Home) {
    fDocument = &Document;
    fTextures = &Textures;
    fHome = Home;
    SetDefaultColWidth(MapCellSize);
    SetDefaultRowHeight(MapCellSize);
    SetGridLineWidth(0);
    SetBorderWidth(1);
    setMouseTracking(true);
    OnDrawCell = [this](QPainter& c, int Col, int Row, const QRect& r) {
        DrawCell(c, Col, Row, r);
    };
    OnMouseDown = [this](Qt::MouseButton b, Qt::KeyboardModifiers s, int x, int y) {
        MouseDown(b, s, x, y);
    };
    OnMouseUp = [this](Qt::MouseButton b, Qt::KeyboardModifiers s, int x, int y) {
        MouseUp(b, s, x, y);
    };
    OnMouseMove = [this](Qt::MouseButtons b, Qt::KeyboardModifiers s, int x, int y) {
        MouseMove(b, s, x, y);
    };
    OnMouseLeave = [this] { MouseLeave(); };

    fNavigator = new TMapNavigator(parentWidget(), this, Document, Textures.CellPictures(), Home);
    connect(fNavigator, &TMapNavigator::MoveGrid, this, [this](QPoint Pos) {
        PlaceGrid(Pos);
        FollowPointer();
    });
    connect(&Document, &TMapDocument::CellsChanged, this, &TMapView::CellsChanged);
    connect(&Document, &TMapDocument::MapReplaced, this, &TMapView::MapReplaced);
    connect(&Textures, &TMapTextures::Changed, this, [this] { PicturesChanged(); });
}

void TMapView::SetSelection(const TMapSelection* Selection) {
    fSelection = Selection;
    SelectionChanged();
}

void TMapView::SelectionChanged() {
    std::optional<QRegion> Now = fTool ? fTool->Outline() : std::nullopt;
    if (!Now)
        Now = fSelection ? fSelection->Cells() : QRegion();
    if (*Now == fOutline)
        return;
    update(OutlineRect(fOutline));
    fOutline = *Now;
    update(OutlineRect(fOutline));
    if (fOutline.isEmpty())
        fMarch.stop();
    else if (!fMarch.isActive())
        fMarch.start();
}

QRect TMapView::OutlineRect(const QRegion& Cells) const {
    if (Cells.isEmpty())
        return QRect();
    const QRect b = Cells.boundingRect();
    const QPoint Origin(BorderWidth(), BorderWidth());
    return QRect(Origin + b.topLeft() * Pitch(), b.size() * Pitch()).adjusted(-2, -2, 2, 2) &
           VisibleRect();
}

void TMapView::MarchOutline() {
    fDashOffset = (fDashOffset + 1) % 8;
    // Only the part of the line that can be seen is drawn again.
    const QRect Visible = VisibleRect();
    const QRect r = OutlineRect(fOutline);
    if (r.isEmpty())
        return;
    // The edges only: four thin strips along the bounds (and the inner edges of a shape).
    QRegion Edges;
    for (const QRect& c : fOutline) {
        const QRect p(QPoint(BorderWidth(), BorderWidth()) + c.topLeft() * Pitch(),
                      c.size() * Pitch());
        const QRect Outer = p.adjusted(-2, -2, 2, 2) & Visible;
        const QRect Inner = p.adjusted(2, 2, -2, -2);
        Edges += QRegion(Outer) - QRegion(Inner);
        if (Edges.rectCount() > 256) {
            update(r);
            return;
        }
    }
    update(Edges);
}

void TMapView::paintEvent(QPaintEvent* Event) {
    TDrawGrid::paintEvent(Event);
    if (fOutline.isEmpty())
        return;
    QPainter p(this);
    p.setClipRegion(Event->region() & VisibleRect());
    p.translate(BorderWidth(), BorderWidth());
    // The cells' outline, in device pixels at any zoom: black and white dashes that move.
    QPainterPath Path;
    const int Step = Pitch();
    for (const QRect& c : fOutline)
        Path.addRect(QRectF(c.left() * Step, c.top() * Step, c.width() * Step, c.height() * Step));
    Path = Path.simplified();
    p.setPen(QPen(Qt::white, 1));
    p.drawPath(Path);
    QPen Dashes(Qt::black, 1, Qt::CustomDashLine);
    Dashes.setDashPattern({4, 4});
    Dashes.setDashOffset(fDashOffset);
    p.setPen(Dashes);
    p.drawPath(Path);
}

void TMapView::SetTool(TCellTool* Tool) {
    fTool = Tool;
    RefreshPreview();
}

int TMapView::Pitch() const {
    return MapCellSize * fZoom;
}

QPoint TMapView::CellAt(QPoint Client) const {
    return QPoint(FloorDiv(Client.x(), Pitch()), FloorDiv(Client.y(), Pitch()));
}

std::optional<QPoint> TMapView::PointerCell() const {
    return fPointerOnGrid ? std::optional<QPoint>(fHLCell) : std::nullopt;
}

QPoint TMapView::ToParent(QPoint Client) const {
    return mapTo(parentWidget(), Client + QPoint(BorderWidth(), BorderWidth()));
}

// ---- Drawing --------------------------------------------------------------------------------

void TMapView::DrawCell(QPainter& Canvas, int ACol, int ARow, const QRect& Rect) {
    const TMapParams& Map = fDocument->MapParams();
    if (!Map.Contains(ARow, ACol)) {
        Canvas.fillRect(Rect, palette().color(QPalette::Base));
        return;
    }
    // The tool's preview: what a click would paint, a rectangle being dragged what its release
    // will.
    const QPoint Cell(ACol, ARow);
    const int Previewed = fTool ? fTool->Preview(Cell, PointerCell()) : -1;
    const int Value = Previewed >= 0 ? Previewed : int(Map.GetValue(ARow, ACol));
    const TMapCellPictures& Pictures = fTextures->CellPictures();
    // Only while the pointer is over the map: a highlight where it is not would look painted.
    if (fPointerOnGrid && fHLCell == Cell) {
        QImage Preview = Pictures.Picture(Value);
        MapImageItems::DrawHighlightFrame(Preview);
        DrawCellPicture(Canvas, Rect, Preview);
        return;
    }
    if (fZoom == 1) {
        Canvas.drawImage(Rect.topLeft(), Pictures.Picture(Value));
        return;
    }
    const QImage& Zoomed = fTextures->Zoomed(Value, fZoom, devicePixelRatioF());
    if (Zoomed.isNull())
        DrawCellPicture(Canvas, Rect, Pictures.Picture(Value));
    else
        Canvas.drawImage(Rect.topLeft(), Zoomed);
}

void TMapView::DrawCellPicture(QPainter& Canvas, const QRect& Rect, const QImage& Picture) {
    // Scaled to the nearest pixel (the painter's default), never smoothed, at any zoom and on a
    // screen of a fractional pixel ratio.
    if (fZoom == 1)
        Canvas.drawImage(Rect.topLeft(), Picture);
    else
        Canvas.drawImage(Rect, Picture);
}

void TMapView::CellsChanged(const QRect& Cells) {
    InvalidateCells(Cells);
    if (Cells.contains(fHLCell))
        emit PointerCellChanged();
}

void TMapView::MapReplaced() {
    // (The tool box has dropped what its tool began.)
    SetColCount(fDocument->Width());
    SetRowCount(fDocument->Height());
    SizeGrid();
    // The grid keeps its place as long as it shows a whole cell of the new map.
    PlaceGrid(pos());
    InvalidateAll();
    fPreview = fTool ? fTool->PreviewCells(PointerCell()) : QRect();
    emit PointerCellChanged();
}

void TMapView::PicturesChanged() {
    fGridStale = true;
    fNavigator->PicturesChanged();
}

void TMapView::RepaintIfStale() {
    if (fGridStale)
        InvalidateAll();
}

void TMapView::InvalidateAll() {
    fGridStale = false;
    InvalidateGrid();
}

void TMapView::UpdatePreview() {
    const QRect Now = fTool ? fTool->PreviewCells(PointerCell()) : QRect();
    if (Now == fPreview)
        return;
    InvalidateCells(fPreview);
    InvalidateCells(Now);
    fPreview = Now;
}

void TMapView::RefreshPreview() {
    InvalidateCells(fPreview);
    fPreview = QRect();
    UpdatePreview();
    InvalidateCell(fHLCell.x(), fHLCell.y());
}

// ---- The mouse and the keys -------------------------------------------------------------------

void TMapView::SetHLCell(QPoint Cell) {
    const QPoint Old = fHLCell;
    fHLCell = Cell;
    if (Old != fHLCell) {
        InvalidateCell(Old.x(), Old.y());
        InvalidateCell(fHLCell.x(), fHLCell.y());
    }
    UpdatePreview();
    emit PointerCellChanged();
}

void TMapView::MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y) {
    if (Button == Qt::RightButton && fTool && fTool->Floating()) {
        // The right button drops a floating paste instead of grabbing the map.
        fTool->Cancel();
        fPp = QPoint(X, Y);
        UpdatePreview();
        return;
    }
    if (Button == Qt::RightButton) {
        fPp = QPoint(X, Y);
        fPointer = ToParent(fPp);
        return;
    }
    fPointer = ToParent(QPoint(X, Y));
    if (Button != Qt::LeftButton)
        return;
    // The press acts on the cell under it, moved to or not.
    fPointerOnGrid = true;
    SetHLCell(CellAt(QPoint(X, Y)));
    setFocus();
    if (fTool)
        fTool->Press(fHLCell, Shift);
    UpdatePreview();
    SelectionChanged();
}

void TMapView::MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y) {
    Q_UNUSED(Shift);
    if (Button != Qt::LeftButton)
        return;
    if (fTool)
        fTool->Release(CellAt(QPoint(X, Y)));
    UpdatePreview();
    SelectionChanged();
}

void TMapView::MouseMove(Qt::MouseButtons Buttons, Qt::KeyboardModifiers Shift, int X, int Y) {
    const Qt::KeyboardModifiers Keys = Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier;
    QPoint Cursor(X, Y);
    fPointer = ToParent(Cursor);
    const bool Entered = !fPointerOnGrid;
    fPointerOnGrid = true;
    if (Buttons == Qt::RightButton && !(Shift & Keys)) {
        // The grabbed point of the map stays under the cursor, as far as the map may go.
        fCp = Cursor;
        const QPoint Before = pos();
        PlaceGrid(Before + (fCp - fPp));
        // The grid moved under the cursor; the highlight goes to the cell now under it, so that
        // a click right after the pan paints the cell the user sees.
        Cursor -= pos() - Before;
    }
    const QPoint Old = fHLCell;
    fHLCell = CellAt(Cursor);
    setFocus();
    if (fGridStale)
        InvalidateAll();
    else if (Old != fHLCell || Entered) {
        InvalidateCell(Old.x(), Old.y());
        InvalidateCell(fHLCell.x(), fHLCell.y());
    }
    if (Old != fHLCell || Entered)
        emit PointerCellChanged();
    if ((Buttons & Qt::LeftButton) && fTool) {
        fTool->Move(fHLCell);
        SelectionChanged();
    }
    UpdatePreview();
}

void TMapView::MouseLeave() {
    // Off the map nothing is previewed or named.
    fPointerOnGrid = false;
    InvalidateCell(fHLCell.x(), fHLCell.y());
    UpdatePreview();
    emit PointerCellChanged();
}

bool TMapView::Key(QKeyEvent* Event) {
    if (Event->key() == Qt::Key_Escape && fTool && fTool->Cancel()) {
        UpdatePreview();
        SelectionChanged();
        return true;
    }
    return fNavigator->PanKey(Event);
}

void TMapView::keyPressEvent(QKeyEvent* Event) {
    if (!Key(Event))
        TDrawGrid::keyPressEvent(Event);
}

bool TMapView::Wheel(QWheelEvent* Event) {
    const QPoint At = Event->position().toPoint();
    if (!View().contains(At) || !fDocument->HasMap())
        return false;
    const QPoint Angle = Event->angleDelta();
    if (Event->modifiers() & Qt::ControlModifier) {
        // One step per notch; finer wheels add up to a notch first.
        fZoomWheel += Angle.y() != 0 ? Angle.y() : Angle.x();
        const int Steps = fZoomWheel / 120;
        fZoomWheel -= Steps * 120;
        if (Steps != 0)
            SetZoom(fZoom + Steps, At);
        return true;
    }
    QPoint Delta = Event->pixelDelta();
    if (Delta.isNull())
        Delta = Angle * WheelScrollPixels / 120;
    // Shift turns a vertical wheel sideways.
    if ((Event->modifiers() & Qt::ShiftModifier) && Delta.x() == 0)
        Delta = QPoint(Delta.y(), 0);
    const QPoint Before = pos();
    PlaceGrid(Before + Delta);
    fPointer = At;
    if (pos() != Before)
        FollowPointer();
    return true;
}

// ---- Navigation -------------------------------------------------------------------------------

void TMapView::Layout(const QRect& Area) {
    fNavigator->Layout(Area);
    fNavigator->Sync();
}

QRect TMapView::View() const {
    return fNavigator->View();
}

void TMapView::SizeGrid() {
    SetDefaultColWidth(Pitch());
    SetDefaultRowHeight(Pitch());
    resize(GridSize());
}

void TMapView::PlaceGrid(QPoint Pos) {
    move(
        ClampGridPos(Pos, fDocument->Width(), fDocument->Height(), Pitch(), BorderWidth(), View()));
    fNavigator->Sync();
}

void TMapView::FollowPointer() {
    if (!fPointerOnGrid)
        return;
    SetHLCell(CellAt(mapFrom(parentWidget(), fPointer) - QPoint(BorderWidth(), BorderWidth())));
}

void TMapView::SetZoom(int Zoom, QPoint Anchor) {
    Zoom = std::clamp(Zoom, MinZoom, MaxZoom);
    if (Zoom == fZoom || !fDocument->HasMap())
        return;
    const int Old = Pitch();
    fZoom = Zoom;
    const QPoint Pos = ZoomGridPos(pos(), Anchor, Old, Pitch(), BorderWidth());
    SizeGrid();
    PlaceGrid(Pos);
    InvalidateAll();
    FollowPointer();
    emit ZoomChanged(fZoom);
}

void TMapView::ZoomBy(int Steps) {
    SetZoom(fZoom + Steps, fPointerOnGrid ? fPointer : View().center());
}

void TMapView::ActualSize() {
    SetZoom(1, fHome);
    PlaceGrid(fHome);
    InvalidateAll();
    // The highlight and the status go to the cell now under the pointer, which did not move.
    FollowPointer();
}

bool TMapView::ShowGrid() const {
    return OverlayLines().isValid();
}

void TMapView::SetShowGrid(bool Show) {
    SetOverlayLines(Show ? GridLineColor : QColor());
}

} // namespace velkora
