// SPDX-License-Identifier: MIT
#include "maps/BrushTool.h"

namespace velkora {

namespace {
int FloorDiv(int a, int b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}
} // namespace

void TBrushTool::Press(QPoint Cell, Qt::KeyboardModifiers Keys) {
    Q_UNUSED(Keys);
    // A stroke begins wherever the press is; the cells it crosses on the map are painted.
    fStroke = fDocument.BeginStroke();
    fLast = fOrigin = Cell;
    fLaid.clear();
    if (SingleItem())
        fDocument.PaintCell(fStroke, Cell, Item());
    else
        LayAt(Cell);
}

void TBrushTool::Move(QPoint Cell) {
    if (fStroke == 0 || Cell == fLast)
        return;
    // Every cell between the last position and this one.
    const std::vector<QPoint> Cells = TMapDocument::LineCells(fLast, Cell);
    fLast = Cell;
    if (SingleItem()) {
        fDocument.Paint(fStroke, Cells, Item());
        return;
    }
    for (const QPoint& c : Cells)
        LayAt(c);
}

void TBrushTool::LayAt(QPoint Cell) {
    const int sx = FloorDiv(Cell.x() - fOrigin.x(), fStamp.Width());
    const int sy = FloorDiv(Cell.y() - fOrigin.y(), fStamp.Height());
    if (!fLaid.insert({sx, sy}).second)
        return;
    fDocument.PutBlock(fOrigin + QPoint(sx * fStamp.Width(), sy * fStamp.Height()), fStamp, fStroke,
                       QStringLiteral("Paint"));
}

void TBrushTool::Release(QPoint Cell) {
    Q_UNUSED(Cell);
    fStroke = 0;
}

bool TBrushTool::Cancel() {
    // What the stroke painted stays, as one step; the pointer paints no more.
    fStroke = 0;
    return false;
}

} // namespace velkora
