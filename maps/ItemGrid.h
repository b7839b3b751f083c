// SPDX-License-Identifier: MIT
#pragma once
// The item grid beside the map: the 50 items of both textures, five to a row (rows 0 to 4 the
// first texture's items 0 to 24, rows 5 to 9 the second's), each stretched over its 25 x 24
// cell, with the chosen item marked. It shows nothing while no map is loaded. A drag across it
// picks a block of items, which keep their arrangement, as a stamp; the block is marked until
// another item is chosen.

#include "maps/CellBlock.h"
#include "widgets/DrawGrid.h"

#include <optional>

namespace velkora {

class TMapDocument;
class TMapTextures;

class TItemGrid : public TDrawGrid {
    Q_OBJECT
public:
    static constexpr int Columns = 5;
    static constexpr int Rows = 10;

    explicit TItemGrid(QWidget* Parent = nullptr);
    // Shows the items of Textures while Document holds a map. Called once, first.
    void Attach(const TMapDocument& Document, const TMapTextures& Textures);

    // The item of a cell, and the cell of an item (0 to 49).
    static int ItemAt(int ACol, int ARow) { return ARow * Columns + ACol; }
    static QPoint CellOf(int Item) { return QPoint(Item % Columns, Item / Columns); }
    // Marks Item as the chosen one (values beyond the items mark nothing new) and no block.
    void ShowItem(int Item);
    // Marks the cells of Block (columns x, rows y) as the stamp's.
    void ShowBlock(const QRect& Block);
    QRect Block() const { return fBlock; }
    // The stamp of the items of Block, in their arrangement.
    static TCellBlock Stamp(const QRect& Block);

    void DrawCell(QPainter& Canvas, int ACol, int ARow, const QRect& Rect);

signals:
    // A click chose the item of the cell (ACol, ARow).
    void ItemClicked(int ACol, int ARow);
    // A drag across more than one cell picked the block of items Block (columns x, rows y).
    void BlockPicked(const QRect& Block);

private:
    QPoint ClampedCell(int X, int Y) const;
    void Drag(QPoint Cell);

    QRect fBlock;
    // The cell the left button went down on, while it is held.
    std::optional<QPoint> fDragStart;
    const TMapDocument* fDocument = nullptr;
    const TMapTextures* fTextures = nullptr;
};

} // namespace velkora
