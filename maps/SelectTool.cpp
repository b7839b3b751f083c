// SPDX-License-Identifier: MIT
#include "maps/SelectTool.h"

#include "maps/MapEditing.h"
#include "maps/MapSelection.h"

namespace velkora {

TSelectTool::TSelectTool(TMapDocument& Document, TMapSelection& Selection)
    : TCellTool(Document), fSelection(Selection) {}

void TSelectTool::Press(QPoint Cell, Qt::KeyboardModifiers Keys) {
    fDragging = true;
    fAnchor = fEnd = Cell;
    fMode = Keys & Qt::ShiftModifier     ? TMode::Add
            : Keys & Qt::ControlModifier ? TMode::Remove
                                         : TMode::Replace;
}

void TSelectTool::Move(QPoint Cell) {
    if (fDragging)
        fEnd = Cell;
}

void TSelectTool::Release(QPoint Cell) {
    if (!fDragging)
        return;
    fEnd = Cell;
    fDragging = false;
    fSelection.Set(Result());
}

bool TSelectTool::Cancel() {
    const bool Was = fDragging;
    fDragging = false;
    return Was;
}

QRegion TSelectTool::Result() const {
    const QRect r = CellSpan(fAnchor, fEnd) & QRect(0, 0, fDocument.Width(), fDocument.Height());
    switch (fMode) {
    case TMode::Add:
        return fSelection.Cells() | r;
    case TMode::Remove:
        return fSelection.Cells() - r;
    case TMode::Replace:
        break;
    }
    return QRegion(r);
}

std::optional<QRegion> TSelectTool::Outline() const {
    return fDragging ? std::optional<QRegion>(Result()) : std::nullopt;
}

} // namespace velkora
