// SPDX-License-Identifier: MIT
#include "maps/RectangleTool.h"

#include "maps/MapEditing.h"

namespace velkora {

void TRectangleTool::Press(QPoint Cell, Qt::KeyboardModifiers Keys) {
    Q_UNUSED(Keys);
    fDragging = true;
    fAnchor = fEnd = Cell;
}

void TRectangleTool::Move(QPoint Cell) {
    if (fDragging)
        fEnd = Cell;
}

void TRectangleTool::Release(QPoint Cell) {
    if (!fDragging)
        return;
    fDragging = false;
    fEnd = Cell;
    fDocument.FillRect(fAnchor, fEnd, fStamp);
}

bool TRectangleTool::Cancel() {
    const bool Was = fDragging;
    fDragging = false;
    return Was;
}

QRect TRectangleTool::PreviewCells(const std::optional<QPoint>& Pointer) const {
    return fDragging ? CellSpan(fAnchor, fEnd) : TPaintTool::PreviewCells(Pointer);
}

int TRectangleTool::Preview(QPoint Cell, const std::optional<QPoint>& Pointer) const {
    if (!fDragging)
        return TPaintTool::Preview(Cell, Pointer);
    // The stamp repeated from the rectangle's top-left cell, as the release fills it.
    const QRect r = CellSpan(fAnchor, fEnd);
    return r.contains(Cell) ? PatternAt(Cell, r.topLeft()) : -1;
}

} // namespace velkora
