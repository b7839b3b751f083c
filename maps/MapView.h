// SPDX-License-Identifier: MIT
#pragma once
// The map grid as the user sees it: the map drawn cell by cell in the current textures at a zoom
// of 1 to 4, moved about in the workspace (the right-button drag, the wheel, the keys, and the
// scroll bars, Go to cell and the overview of its navigator), the lines of View > Show grid over
// it, the highlight of the cell under the pointer and the preview of the tool in use. It draws
// what the document holds and repaints from the document's and the textures' signals; the left
// button's presses, drags, releases and Escape go to the tool, in cells.

#include "widgets/DrawGrid.h"

#include <QPoint>
#include <QRect>
#include <QRegion>
#include <QTimer>

#include <optional>

class QKeyEvent;
class QWheelEvent;

namespace velkora {

class TCellTool;
class TMapDocument;
class TMapNavigator;
class TMapSelection;
class TMapTextures;

class TMapView : public TDrawGrid {
    Q_OBJECT
public:
    explicit TMapView(QWidget* Parent = nullptr);
    ~TMapView() override;

    // Shows Document drawn with Textures; Home is where the grid starts in its parent, the
    // workspace, whose area the navigator's scroll bars take a part of. Called once, first.
    void Attach(TMapDocument& Document, TMapTextures& Textures, QPoint Home);
    // What the left button drives and what is previewed; may be null.
    void SetTool(TCellTool* Tool);
    // The scroll bars, the navigation keys, Go to cell and the overview.
    TMapNavigator* Navigator() const { return fNavigator; }
    // The selection, outlined by a marching dashed line (or, while the tool drags, the outline the
    // tool gives); may be null.
    void SetSelection(const TMapSelection* Selection);
    // The selection or the tool's outline changed: the outline is drawn anew.
    void SelectionChanged();
    // The outline as drawn now, in cells (empty: none).
    const QRegion& OutlineCells() const { return fOutline; }

    // The highlighted cell: the cell last under the pointer ((0, 0) at first; off the map for
    // points beyond its cells). It is highlighted and named only while the pointer is over the
    // grid.
    QPoint HLCell() const { return fHLCell; }
    bool PointerOnGrid() const { return fPointerOnGrid; }

    // The zoom, 1 to 4: cells of 24 x Zoom pixels. SetZoom keeps the map point under Anchor
    // (parent coordinates) under it; nothing happens without a map.
    int Zoom() const { return fZoom; }
    void SetZoom(int Zoom, QPoint Anchor);
    // One step in or out, about the pointer when it is over the map, else about the view's centre.
    void ZoomBy(int Steps);
    // 1x, the map's top-left cell where the grid starts.
    void ActualSize();
    bool ShowGrid() const;
    void SetShowGrid(bool Show);

    // Lays the scroll bars along the right and bottom edges of Area (parent coordinates); the
    // rest is the part the map shows in, View.
    void Layout(const QRect& Area);
    QRect View() const;

    // The grid's events, in client coordinates.
    void MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);
    void MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);
    void MouseMove(Qt::MouseButtons Buttons, Qt::KeyboardModifiers Shift, int X, int Y);
    void MouseLeave();
    void DrawCell(QPainter& Canvas, int ACol, int ARow, const QRect& Rect);
    // Over the view (Event in parent coordinates): Ctrl+wheel zooms about the pointer, the wheel
    // scrolls vertically, Shift+wheel horizontally. False when the event is not the view's.
    bool Wheel(QWheelEvent* Event);
    // Escape cancels what the tool began; the arrows and Page keys move the view. False for
    // other keys.
    bool Key(QKeyEvent* Event);

    // The tool's preview changed (another tool, another item): its cells are drawn again.
    void RefreshPreview();
    // A texture or a palette changed since the grid was last drawn whole: the next mouse move
    // over it, or RepaintIfStale, draws every visible cell.
    void PicturesChanged();
    void RepaintIfStale();

signals:
    // The highlighted cell moved, its value changed, or the pointer came or went.
    void PointerCellChanged();
    void ZoomChanged(int Zoom);

protected:
    void keyPressEvent(QKeyEvent* Event) override;
    void paintEvent(QPaintEvent* Event) override;

private:
    int Pitch() const;
    // The cell under a client point (off the map for points beyond its cells).
    QPoint CellAt(QPoint Client) const;
    // The pointer's cell, none while the pointer is off the grid.
    std::optional<QPoint> PointerCell() const;
    // Moves the highlight, repainting the cells whose look changes.
    void SetHLCell(QPoint Cell);
    // Every visible cell is drawn anew, in the pictures as they are now.
    void InvalidateAll();
    // Repaints the tool's preview where its cells changed.
    void UpdatePreview();
    void SizeGrid();
    // Moves the grid to Pos, or as near as leaves a whole cell in view.
    void PlaceGrid(QPoint Pos);
    // After the grid moved or zoomed under the pointer, the highlight goes to the cell under it.
    void FollowPointer();
    QPoint ToParent(QPoint Client) const;
    void DrawCellPicture(QPainter& Canvas, const QRect& Rect, const QImage& Picture);
    void CellsChanged(const QRect& Cells);
    void MapReplaced();
    // The widget rectangle of the outline's bounds, a pixel beyond each edge.
    QRect OutlineRect(const QRegion& Cells) const;
    void MarchOutline();

    TMapDocument* fDocument = nullptr;
    TMapTextures* fTextures = nullptr;
    TCellTool* fTool = nullptr;
    const TMapSelection* fSelection = nullptr;
    // The cells outlined, and the dash offset that makes the line march.
    QRegion fOutline;
    int fDashOffset = 0;
    QTimer fMarch;
    TMapNavigator* fNavigator = nullptr;
    QPoint fHome;
    // The grab point of a right-button pan, and the pointer at its current step (client
    // coordinates).
    QPoint fPp;
    QPoint fCp;
    QPoint fHLCell{0, 0};
    bool fPointerOnGrid = false;
    // Where the pointer was last seen over the grid, in parent coordinates (which stay put while
    // the grid moves under it).
    QPoint fPointer;
    // The cells of the tool's preview as last drawn.
    QRect fPreview;
    int fZoom = 1;
    // The wheel's turn toward the next zoom step (120 a notch).
    int fZoomWheel = 0;
    // The pictures changed since the grid was last invalidated whole.
    bool fGridStale = false;
};

} // namespace velkora
