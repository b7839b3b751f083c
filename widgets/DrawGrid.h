// SPDX-License-Identifier: MIT
#pragma once
// An owner-drawn grid of equal cells: the owner draws each cell through OnDrawCell; the grid
// draws its border, its grid lines and, when asked, the marking of its selected cell. It never
// scrolls; it only paints the cells inside the region being painted, so that a grid of
// thousands of cells, larger than its parent, paints as cheaply as a small one.

#include <QColor>
#include <QPainter>
#include <QPoint>
#include <QRect>
#include <QWidget>

#include <functional>

namespace velkora {

class TDrawGrid : public QWidget {
    Q_OBJECT
public:
    explicit TDrawGrid(QWidget* Parent = nullptr);

    int ColCount() const { return fColCount; }
    int RowCount() const { return fRowCount; }
    void SetColCount(int Value);
    void SetRowCount(int Value);
    int DefaultColWidth() const { return fColWidth; }
    int DefaultRowHeight() const { return fRowHeight; }
    void SetDefaultColWidth(int Value);
    void SetDefaultRowHeight(int Value);
    // Width of the lines after every column and row (0: none).
    int GridLineWidth() const { return fLineWidth; }
    void SetGridLineWidth(int Value);
    // Width of the frame around the cells; client coordinates start inside it.
    int BorderWidth() const { return fBorderWidth; }
    void SetBorderWidth(int Value);
    // Whether a left click or the arrow keys select cells and the selected cell is marked.
    bool ShowSelection() const { return fShowSelection; }
    void SetShowSelection(bool Value);

    // Lines over the cells along every cell's left and top edge, one device pixel wide, in Color
    // (none while Color is invalid): unlike grid lines they take no room, the cells keep their
    // places.
    QColor OverlayLines() const { return fOverlayLines; }
    void SetOverlayLines(const QColor& Color);

    // The selected cell (column, row).
    QPoint Selection() const { return fSelection; }
    void SetSelection(QPoint Cell);

    // The widget size that shows all cells, the border and the grid lines.
    QSize GridSize() const;
    // The rectangle of a cell in widget coordinates.
    QRect CellRect(int ACol, int ARow) const;
    // The cell under a point in client coordinates; (-1, -1) when it lies on no cell.
    QPoint MouseCoord(QPoint Client) const;
    // The part of the widget that can be seen inside its parent.
    QRect VisibleRect() const;

    // Schedules a repaint of one cell, of the cells of Cells (columns x, rows y), or of every cell
    // that can be seen.
    void InvalidateCell(int ACol, int ARow);
    void InvalidateCells(const QRect& Cells);
    void InvalidateGrid();

    // Events of the grid; X and Y are client coordinates (inside the border).
    std::function<void(QPainter& Canvas, int ACol, int ARow, const QRect& Rect)> OnDrawCell;
    // A left press on a cell (after the selection has moved to it). LastMousePos() is where.
    std::function<void()> OnClick;
    // The client position of the last press, release or move of the mouse.
    QPoint LastMousePos() const { return fLastMousePos; }
    std::function<void(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y)>
        OnMouseDown;
    std::function<void(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y)>
        OnMouseUp;
    std::function<void(Qt::MouseButtons Buttons, Qt::KeyboardModifiers Shift, int X, int Y)>
        OnMouseMove;
    // The mouse left the grid.
    std::function<void()> OnMouseLeave;
    // Asked before the selection moves to a cell; false keeps the old selection.
    std::function<bool(int ACol, int ARow)> OnSelectCell;

protected:
    void paintEvent(QPaintEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void leaveEvent(QEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;
    // The focus shows nowhere but on the selection marking: no repaint of the whole grid.
    void focusInEvent(QFocusEvent* Event) override;
    void focusOutEvent(QFocusEvent* Event) override;

private:
    // Paints the part Clip of the grid (widget coordinates).
    void PaintRect(QPainter& Canvas, const QRect& Clip);
    // Moves the selection to Cell if it is a cell and OnSelectCell allows it.
    bool Select(QPoint Cell);
    int ColPitch() const { return fColWidth + fLineWidth; }
    int RowPitch() const { return fRowHeight + fLineWidth; }

    int fColCount = 5;
    int fRowCount = 5;
    int fColWidth = 64;
    int fRowHeight = 24;
    int fLineWidth = 1;
    int fBorderWidth = 1;
    bool fShowSelection = false;
    QPoint fSelection{0, 0};
    QColor fOverlayLines;
    QPoint fLastMousePos;
};

} // namespace velkora
