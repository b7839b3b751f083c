// SPDX-License-Identifier: MIT
#pragma once
// The selected cells of the map: any set of cells (rectangles added and taken away), empty when
// nothing is selected. Copy takes them as a block, with holes where cells of their bounding
// rectangle are not selected; Fill gives them all one item as one undo step.

#include "maps/CellBlock.h"

#include <QObject>
#include <QRegion>

namespace velkora {

class TMapDocument;

class TMapSelection : public QObject {
    Q_OBJECT
public:
    // Follows Document: a resized map keeps only the selected cells inside it; another map
    // selects nothing.
    explicit TMapSelection(TMapDocument& Document, QObject* Parent = nullptr);

    const QRegion& Cells() const { return fCells; }
    bool IsEmpty() const { return fCells.isEmpty(); }
    QRect Bounds() const { return fCells.boundingRect(); }
    // How many cells are selected.
    qint64 CellCount() const;

    // Makes Cells (clipped to the map) the selection.
    void Set(const QRegion& Cells);
    void SelectAll();
    void Clear() { Set(QRegion()); }

    // The selected cells as a block the size of their bounding rectangle; empty when none are.
    TCellBlock Copy() const;
    // Gives every selected cell Item, one undo step named Text.
    void Fill(uint8_t Item, const QString& Text) const;

signals:
    void Changed();

private:
    TMapDocument& fDocument;
    // The document's map the cells belong to.
    int fMapNumber;
    QRegion fCells;
};

} // namespace velkora
