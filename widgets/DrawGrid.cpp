// SPDX-License-Identifier: MIT
#include "widgets/DrawGrid.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

namespace velkora {

TDrawGrid::TDrawGrid(QWidget* Parent) : QWidget(Parent) {
    // Every pixel is painted here, so an update of the grid never repaints what lies below it.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
}

void TDrawGrid::SetColCount(int Value) {
    fColCount = std::max(0, Value);
    update();
}

void TDrawGrid::SetRowCount(int Value) {
    fRowCount = std::max(0, Value);
    update();
}

void TDrawGrid::SetDefaultColWidth(int Value) {
    fColWidth = std::max(1, Value);
    update();
}

void TDrawGrid::SetDefaultRowHeight(int Value) {
    fRowHeight = std::max(1, Value);
    update();
}

void TDrawGrid::SetGridLineWidth(int Value) {
    fLineWidth = std::max(0, Value);
    update();
}

void TDrawGrid::SetBorderWidth(int Value) {
    fBorderWidth = std::clamp(Value, 0, 2);
    update();
}

void TDrawGrid::SetShowSelection(bool Value) {
    fShowSelection = Value;
    update();
}

void TDrawGrid::SetOverlayLines(const QColor& Color) {
    fOverlayLines = Color;
    update();
}

void TDrawGrid::SetSelection(QPoint Cell) {
    if (Cell == fSelection)
        return;
    if (fShowSelection) {
        InvalidateCell(fSelection.x(), fSelection.y());
        InvalidateCell(Cell.x(), Cell.y());
    }
    fSelection = Cell;
}

QSize TDrawGrid::GridSize() const {
    return QSize(fColCount * ColPitch() + 2 * fBorderWidth,
                 fRowCount * RowPitch() + 2 * fBorderWidth);
}

QRect TDrawGrid::CellRect(int ACol, int ARow) const {
    return QRect(fBorderWidth + ACol * ColPitch(), fBorderWidth + ARow * RowPitch(), fColWidth,
                 fRowHeight);
}

QPoint TDrawGrid::MouseCoord(QPoint Client) const {
    if (Client.x() < 0 || Client.y() < 0)
        return QPoint(-1, -1);
    const int c = Client.x() / ColPitch();
    const int r = Client.y() / RowPitch();
    if (c >= fColCount || r >= fRowCount || Client.x() % ColPitch() >= fColWidth ||
        Client.y() % RowPitch() >= fRowHeight)
        return QPoint(-1, -1);
    return QPoint(c, r);
}

QRect TDrawGrid::VisibleRect() const {
    const QWidget* Parent = parentWidget();
    if (!Parent)
        return rect();
    return rect() & QRect(mapFrom(Parent, QPoint(0, 0)), Parent->size());
}

void TDrawGrid::InvalidateCell(int ACol, int ARow) {
    if (ACol < 0 || ARow < 0 || ACol >= fColCount || ARow >= fRowCount)
        return;
    // The grid lines around the cell carry the selection marking.
    const QRect r = CellRect(ACol, ARow).adjusted(-fLineWidth, -fLineWidth, fLineWidth, fLineWidth);
    update(r & VisibleRect());
}

void TDrawGrid::InvalidateCells(const QRect& Cells) {
    const QRect c = Cells & QRect(0, 0, fColCount, fRowCount);
    if (c.isEmpty())
        return;
    const QRect r = CellRect(c.left(), c.top())
                        .united(CellRect(c.right(), c.bottom()))
                        .adjusted(-fLineWidth, -fLineWidth, fLineWidth, fLineWidth);
    update(r & VisibleRect());
}

void TDrawGrid::InvalidateGrid() {
    update(VisibleRect());
}

void TDrawGrid::paintEvent(QPaintEvent* Event) {
    // Only what is exposed and can be seen is painted: the region's rectangles, one by one.
    const QRect Visible = VisibleRect();
    QPainter Canvas(this);
    for (const QRect& r : Event->region()) {
        const QRect Clip = r & Visible;
        if (!Clip.isEmpty())
            PaintRect(Canvas, Clip);
    }
}

void TDrawGrid::PaintRect(QPainter& Canvas, const QRect& Clip) {
    Canvas.setClipRect(Clip);
    const QPalette& Pal = palette();

    // Everything that is not a cell: the background, then grid lines and border over it.
    const QRect Cells(fBorderWidth, fBorderWidth, fColCount * ColPitch(), fRowCount * RowPitch());
    const QRegion Outside = QRegion(Clip) - QRegion(Cells & Clip);
    for (const QRect& r : Outside)
        Canvas.fillRect(r, Pal.color(QPalette::Base));

    const QRect Inner = Clip & Cells;
    if (!Inner.isEmpty()) {
        const int c0 = (Inner.left() - fBorderWidth) / ColPitch();
        const int c1 = std::min(fColCount - 1, (Inner.right() - fBorderWidth) / ColPitch());
        const int r0 = (Inner.top() - fBorderWidth) / RowPitch();
        const int r1 = std::min(fRowCount - 1, (Inner.bottom() - fBorderWidth) / RowPitch());
        for (int r = r0; r <= r1; ++r) {
            for (int c = c0; c <= c1; ++c) {
                const QRect Rect = CellRect(c, r);
                if (OnDrawCell)
                    OnDrawCell(Canvas, c, r, Rect);
                else
                    Canvas.fillRect(Rect, Pal.color(QPalette::Base));
            }
        }
        if (fLineWidth > 0) {
            const QColor Line = Pal.color(QPalette::Mid);
            for (int c = c0; c <= c1; ++c)
                Canvas.fillRect(
                    QRect(CellRect(c, 0).right() + 1, Inner.top(), fLineWidth, Inner.height()),
                    Line);
            for (int r = r0; r <= r1; ++r)
                Canvas.fillRect(
                    QRect(Inner.left(), CellRect(0, r).bottom() + 1, Inner.width(), fLineWidth),
                    Line);
        }
        if (fOverlayLines.isValid()) {
            // One device pixel wide at any device-pixel ratio (a cosmetic pen); the rows as
            // filled rectangles, which the painter blends faster.
            const qreal Ratio = Canvas.device()->devicePixelRatioF();
            Canvas.setPen(QPen(fOverlayLines, 0));
            for (int c = c0; c <= c1; ++c) {
                const int x = CellRect(c, 0).left();
                Canvas.drawLine(x, Inner.top(), x, Inner.bottom());
            }
            for (int r = r0; r <= r1; ++r)
                Canvas.fillRect(
                    QRectF(Inner.left(), CellRect(0, r).top(), Inner.width(), 1.0 / Ratio),
                    fOverlayLines);
        }
        if (fShowSelection && fSelection.x() >= c0 && fSelection.x() <= c1 &&
            fSelection.y() >= r0 && fSelection.y() <= r1) {
            // The selected cell: a frame on the grid lines around it and its own outer pixels.
            const QRect s = CellRect(fSelection.x(), fSelection.y())
                                .adjusted(-fLineWidth, -fLineWidth, fLineWidth, fLineWidth);
            Canvas.setPen(QPen(Pal.color(QPalette::Highlight), 1));
            Canvas.setBrush(Qt::NoBrush);
            for (int k = 0; k < std::max(2, fLineWidth + 1); ++k)
                Canvas.drawRect(s.adjusted(k, k, -k - 1, -k - 1));
        }
    }

    // The border: one dark line, or a sunken edge of two lines.
    const QColor TopLeft[2] = {Pal.color(QPalette::Dark), Pal.color(QPalette::Shadow)};
    const QColor BottomRight[2] = {Pal.color(QPalette::Light), Pal.color(QPalette::Midlight)};
    for (int k = 0; k < fBorderWidth; ++k) {
        const QRect Ring = rect().adjusted(k, k, -k, -k);
        const QColor& tl = fBorderWidth == 1 ? TopLeft[0] : TopLeft[k];
        const QColor& br = fBorderWidth == 1 ? TopLeft[0] : BottomRight[k];
        Canvas.fillRect(QRect(Ring.left(), Ring.top(), Ring.width(), 1) & Clip, tl);
        Canvas.fillRect(QRect(Ring.left(), Ring.top(), 1, Ring.height()) & Clip, tl);
        Canvas.fillRect(QRect(Ring.left(), Ring.bottom(), Ring.width(), 1) & Clip, br);
        Canvas.fillRect(QRect(Ring.right(), Ring.top(), 1, Ring.height()) & Clip, br);
    }
}

bool TDrawGrid::Select(QPoint Cell) {
    if (Cell.x() < 0 || Cell.y() < 0 || Cell.x() >= fColCount || Cell.y() >= fRowCount)
        return false;
    if (OnSelectCell && !OnSelectCell(Cell.x(), Cell.y()))
        return false;
    SetSelection(Cell);
    return true;
}

void TDrawGrid::mousePressEvent(QMouseEvent* Event) {
    const QPoint Client = Event->position().toPoint() - QPoint(fBorderWidth, fBorderWidth);
    fLastMousePos = Client;
    // A left press on a cell selects it and is the grid's click.
    if (Event->button() == Qt::LeftButton && Select(MouseCoord(Client)) && OnClick)
        OnClick();
    if (OnMouseDown)
        OnMouseDown(Event->button(), Event->modifiers(), Client.x(), Client.y());
}

void TDrawGrid::mouseReleaseEvent(QMouseEvent* Event) {
    const QPoint Client = Event->position().toPoint() - QPoint(fBorderWidth, fBorderWidth);
    fLastMousePos = Client;
    if (OnMouseUp)
        OnMouseUp(Event->button(), Event->modifiers(), Client.x(), Client.y());
}

void TDrawGrid::mouseMoveEvent(QMouseEvent* Event) {
    const QPoint Client = Event->position().toPoint() - QPoint(fBorderWidth, fBorderWidth);
    fLastMousePos = Client;
    if (OnMouseMove)
        OnMouseMove(Event->buttons(), Event->modifiers(), Client.x(), Client.y());
}

void TDrawGrid::leaveEvent(QEvent* Event) {
    QWidget::leaveEvent(Event);
    if (OnMouseLeave)
        OnMouseLeave();
}

void TDrawGrid::focusInEvent(QFocusEvent* Event) {
    Q_UNUSED(Event);
    if (fShowSelection)
        InvalidateCell(fSelection.x(), fSelection.y());
}

void TDrawGrid::focusOutEvent(QFocusEvent* Event) {
    Q_UNUSED(Event);
    if (fShowSelection)
        InvalidateCell(fSelection.x(), fSelection.y());
}

void TDrawGrid::keyPressEvent(QKeyEvent* Event) {
    if (!fShowSelection) {
        QWidget::keyPressEvent(Event);
        return;
    }
    QPoint Cell = fSelection;
    switch (Event->key()) {
    case Qt::Key_Left:
        Cell.rx() -= 1;
        break;
    case Qt::Key_Right:
        Cell.rx() += 1;
        break;
    case Qt::Key_Up:
        Cell.ry() -= 1;
        break;
    case Qt::Key_Down:
        Cell.ry() += 1;
        break;
    default:
        QWidget::keyPressEvent(Event);
        return;
    }
    Select(Cell);
}

} // namespace velkora
