// SPDX-License-Identifier: MIT
#pragma once
// The brush: a press paints the stamp at the pressed cell, a drag every cell the pointer
// crosses, however fast it moves; one press to release is one undo step. A stamp of more than one
// cell is laid on a grid of its own size from the pressed cell, so that stamps of one drag never
// overlap.

#include "maps/CellTool.h"

#include <set>
#include <utility>

namespace velkora {

class TBrushTool : public TPaintTool {
public:
    using TPaintTool::TPaintTool;

    void Press(QPoint Cell, Qt::KeyboardModifiers Keys) override;
    void Move(QPoint Cell) override;
    void Release(QPoint Cell) override;
    bool Cancel() override;

private:
    // Lays the stamp in the slot of the stamp grid that Cell falls in, unless it is laid already.
    void LayAt(QPoint Cell);

    // The stroke being painted (0: none) and the cell it reached last.
    int fStroke = 0;
    QPoint fLast;
    // The pressed cell, where the stamp grid starts, and the slots laid in this stroke.
    QPoint fOrigin;
    std::set<std::pair<int, int>> fLaid;
};

} // namespace velkora
