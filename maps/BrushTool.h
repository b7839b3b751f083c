#pragma once
// The brush: a press paints the pressed cell with the item, a drag every cell the pointer
// crosses, however fast it moves; one press to release is one undo step.

#include "maps/CellTool.h"

namespace velkora {

class TBrushTool : public TPaintTool {
public:
    using TPaintTool::TPaintTool;

    void Press(QPoint Cell, Qt::KeyboardModifiers Keys) override;
    void Move(QPoint Cell) override;
    void Release(QPoint Cell) override;
    bool Cancel() override;

private:
    // The stroke being painted (0: none) and the cell it reached last.
    int fStroke = 0;
    QPoint fLast;
};

} // namespace velkora
