// SPDX-License-Identifier: MIT
#include "maps/CellTool.h"

namespace velkora {

TCellTool::~TCellTool() = default;

void TCellTool::Move(QPoint Cell) {
    Q_UNUSED(Cell);
}

void TCellTool::Release(QPoint Cell) {
    Q_UNUSED(Cell);
}

bool TCellTool::Cancel() {
    return false;
}

bool TCellTool::Floating() const {
    return false;
}

QRect TCellTool::PreviewCells(const std::optional<QPoint>& Pointer) const {
    Q_UNUSED(Pointer);
    return QRect();
}

int TCellTool::Preview(QPoint Cell, const std::optional<QPoint>& Pointer) const {
    Q_UNUSED(Cell);
    Q_UNUSED(Pointer);
    return -1;
}

std::optional<QRegion> TCellTool::Outline() const {
    return std::nullopt;
}

QRect TPaintTool::PreviewCells(const std::optional<QPoint>& Pointer) const {
    return Pointer ? QRect(*Pointer, fStamp.Size()) : QRect();
}

int TPaintTool::Preview(QPoint Cell, const std::optional<QPoint>& Pointer) const {
    if (!Pointer)
        return -1;
    return fStamp.At(Cell.x() - Pointer->x(), Cell.y() - Pointer->y());
}

int TPaintTool::PatternAt(QPoint Cell, QPoint Origin) const {
    auto Mod = [](int a, int b) { return ((a % b) + b) % b; };
    return fStamp.At(Mod(Cell.x() - Origin.x(), fStamp.Width()),
                     Mod(Cell.y() - Origin.y(), fStamp.Height()));
}

} // namespace velkora
