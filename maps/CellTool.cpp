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

QRect TCellTool::PreviewCells(const std::optional<QPoint>& Pointer) const {
    Q_UNUSED(Pointer);
    return QRect();
}

int TCellTool::Preview(QPoint Cell, const std::optional<QPoint>& Pointer) const {
    Q_UNUSED(Cell);
    Q_UNUSED(Pointer);
    return -1;
}

QRect TPaintTool::PreviewCells(const std::optional<QPoint>& Pointer) const {
    return Pointer ? QRect(*Pointer, QSize(1, 1)) : QRect();
}

int TPaintTool::Preview(QPoint Cell, const std::optional<QPoint>& Pointer) const {
    return Pointer && Cell == *Pointer ? fItem : -1;
}

} // namespace velkora
