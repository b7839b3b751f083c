// SPDX-License-Identifier: MIT
#include "maps/PasteTool.h"

namespace velkora {

void TPasteTool::Press(QPoint Cell, Qt::KeyboardModifiers Keys) {
    Q_UNUSED(Keys);
    if (!Active())
        return;
    const TCellBlock Block = std::move(fBlock);
    fBlock = TCellBlock();
    fDocument.PutBlock(Cell, Block);
}

bool TPasteTool::Cancel() {
    const bool Was = Active();
    fBlock = TCellBlock();
    return Was;
}

QRect TPasteTool::PreviewCells(const std::optional<QPoint>& Pointer) const {
    return Pointer && Active() ? QRect(*Pointer, fBlock.Size()) : QRect();
}

int TPasteTool::Preview(QPoint Cell, const std::optional<QPoint>& Pointer) const {
    if (!Pointer)
        return -1;
    return fBlock.At(Cell.x() - Pointer->x(), Cell.y() - Pointer->y());
}

} // namespace velkora
