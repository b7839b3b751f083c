// SPDX-License-Identifier: MIT
#include "maps/ItemGrid.h"

#include "maps/MapDocument.h"
#include "maps/MapTextures.h"

#include <QPainter>

#include <algorithm>

namespace velkora {

TItemGrid::TItemGrid(QWidget* Parent) : TDrawGrid(Parent) {}

void TItemGrid::Attach(const TMapDocument& Document, const TMapTextures& Textures) {
    fDocument = &Document;
    fTextures = &Textures;
    SetColCount(Columns);
    SetRowCount(Rows);
    SetDefaultColWidth(25);
    SetDefaultRowHeight(MapCellSize);
    SetGridLineWidth(1);
    SetBorderWidth(2);
    SetShowSelection(true);
    OnDrawCell = [this](QPainter& c, int Col, int Row, const QRect& r) {
        DrawCell(c, Col, Row, r);
    };
    OnSelectCell = [this](int Col, int Row) {
        emit ItemClicked(Col, Row);
        return true;
    };
    OnMouseDown = [this](Qt::MouseButton b, Qt::KeyboardModifiers, int x, int y) {
        if (b == Qt::LeftButton && fDocument->HasMap())
            fDragStart = ClampedCell(x, y);
    };
    OnMouseMove = [this](Qt::MouseButtons b, Qt::KeyboardModifiers, int x, int y) {
        if ((b & Qt::LeftButton) && fDragStart)
            Drag(ClampedCell(x, y));
    };
    OnMouseUp = [this](Qt::MouseButton b, Qt::KeyboardModifiers, int x, int y) {
        if (b != Qt::LeftButton || !fDragStart)
            return;
        const QRect Block = QRect(*fDragStart, ClampedCell(x, y)).normalized();
        fDragStart.reset();
        if (Block.width() > 1 || Block.height() > 1)
            emit BlockPicked(Block);
        else
            ShowBlock(QRect());
    };
    connect(&Document, &TMapDocument::MapReplaced, this, [this] { update(); });
    connect(&Textures, &TMapTextures::Changed, this, [this] { update(); });
}

void TItemGrid::ShowItem(int Item) {
    ShowBlock(QRect());
    if (Item >= 0 && Item < MapItemCount)
        SetSelection(CellOf(Item));
}

void TItemGrid::ShowBlock(const QRect& Block) {
    InvalidateCells(fBlock);
    fBlock = Block;
    InvalidateCells(fBlock);
}

QPoint TItemGrid::ClampedCell(int X, int Y) const {
    const int Pitch = DefaultColWidth() + GridLineWidth();
    const int RowPitch = DefaultRowHeight() + GridLineWidth();
    return QPoint(std::clamp(X / std::max(Pitch, 1), 0, Columns - 1),
                  std::clamp(Y / std::max(RowPitch, 1), 0, Rows - 1));
}

void TItemGrid::Drag(QPoint Cell) {
    // The block dragged so far is marked as it grows.
    ShowBlock(QRect(*fDragStart, Cell).normalized());
}

TCellBlock TItemGrid::Stamp(const QRect& Block) {
    TMyByteArray Items;
    for (int y = Block.top(); y <= Block.bottom(); ++y)
        for (int x = Block.left(); x <= Block.right(); ++x)
            Items.push_back(uint8_t(ItemAt(x, y)));
    return TCellBlock(Block.width(), Block.height(), std::move(Items));
}

void TItemGrid::DrawCell(QPainter& Canvas, int ACol, int ARow, const QRect& Rect) {
    if (!fDocument->HasMap()) {
        Canvas.fillRect(Rect, palette().color(QPalette::Base));
        return;
    }
    // The 24 x 24 item stretched over the 25-pixel-wide cell.
    Canvas.drawImage(Rect, fTextures->CellPictures().Picture(ItemAt(ACol, ARow)));
    if (fBlock.contains(ACol, ARow)) {
        Canvas.fillRect(Rect, QColor(80, 140, 255, 90));
        Canvas.setPen(QColor(80, 140, 255));
        Canvas.drawRect(Rect.adjusted(0, 0, -1, -1));
    }
}

} // namespace velkora
