// SPDX-License-Identifier: MIT
#pragma once
// The flood fill: a press fills the 4-connected region of the pressed cell's value with the stamp
// repeated from the pressed cell, one undo step.

#include "maps/CellTool.h"

namespace velkora {

class TFillTool : public TPaintTool {
public:
    using TPaintTool::TPaintTool;

    void Press(QPoint Cell, Qt::KeyboardModifiers Keys) override;
};

} // namespace velkora
