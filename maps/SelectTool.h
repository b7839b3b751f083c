// SPDX-License-Identifier: MIT
#pragma once
// The select tool: a press and a drag span a rectangle of cells; the release makes it the
// selection, adds it with Shift held, or takes it away with Ctrl held. While it is dragged the
// view outlines the selection as the release would leave it; a cancel drops the rectangle.

#include "maps/CellTool.h"

namespace velkora {

class TMapSelection;

class TSelectTool : public TCellTool {
public:
    TSelectTool(TMapDocument& Document, TMapSelection& Selection);

    void Press(QPoint Cell, Qt::KeyboardModifiers Keys) override;
    void Move(QPoint Cell) override;
    void Release(QPoint Cell) override;
    bool Cancel() override;
    std::optional<QRegion> Outline() const override;

    bool Dragging() const { return fDragging; }

private:
    enum class TMode { Replace, Add, Remove };
    // The selection the release would leave.
    QRegion Result() const;

    TMapSelection& fSelection;
    bool fDragging = false;
    TMode fMode = TMode::Replace;
    QPoint fAnchor;
    QPoint fEnd;
};

} // namespace velkora
