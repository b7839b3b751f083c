#include "maps/BrushTool.h"

namespace velkora {

void TBrushTool::Press(QPoint Cell, Qt::KeyboardModifiers Keys) {
    Q_UNUSED(Keys);
    // A stroke begins wherever the press is; the cells it crosses on the map are painted.
    fStroke = fDocument.BeginStroke();
    fLast = Cell;
    fDocument.PaintCell(fStroke, Cell, fItem);
}

void TBrushTool::Move(QPoint Cell) {
    if (fStroke == 0 || Cell == fLast)
        return;
    // Every cell between the last position and this one.
    fDocument.Paint(fStroke, TMapDocument::LineCells(fLast, Cell), fItem);
    fLast = Cell;
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
