// SPDX-License-Identifier: MIT
#pragma once
// The rectangle: a press and a drag span a rectangle of cells, shown while it is dragged; the
// release fills it with the stamp repeated from its top-left cell (one undo step), a cancel drops
// it.

#include "maps/CellTool.h"

namespace velkora {

class TRectangleTool : public TPaintTool {
public:
    using TPaintTool::TPaintTool;

    void Press(QPoint Cell, Qt::KeyboardModifiers Keys) override;
    void Move(QPoint Cell) override;
    void Release(QPoint Cell) override;
    bool Cancel() override;
    // While dragged: exactly the cells the release fills (also beyond the map, where nothing
    // shows); else the stamp at the pointer's cell.
    QRect PreviewCells(const std::optional<QPoint>& Pointer) const override;
    int Preview(QPoint Cell, const std::optional<QPoint>& Pointer) const override;

    bool Dragging() const { return fDragging; }

private:
    bool fDragging = false;
    QPoint fAnchor;
    QPoint fEnd;
};

} // namespace velkora
