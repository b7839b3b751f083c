// SPDX-License-Identifier: MIT
#pragma once
// The floating paste: a block of cells that follows the pointer, its top-left cell on the
// pointer's cell, drawn where it would land; a press puts it there (clipped to the map) as one
// undo step and ends the paste; a cancel drops it.

#include "maps/CellTool.h"

namespace velkora {

class TPasteTool : public TCellTool {
public:
    using TCellTool::TCellTool;

    // Makes Block the floating paste (an empty block ends it).
    void Start(const TCellBlock& Block) { fBlock = Block; }
    bool Active() const { return !fBlock.IsEmpty(); }
    const TCellBlock& Block() const { return fBlock; }

    void Press(QPoint Cell, Qt::KeyboardModifiers Keys) override;
    bool Cancel() override;
    bool Floating() const override { return Active(); }
    QRect PreviewCells(const std::optional<QPoint>& Pointer) const override;
    int Preview(QPoint Cell, const std::optional<QPoint>& Pointer) const override;

private:
    TCellBlock fBlock;
};

} // namespace velkora
