// SPDX-License-Identifier: MIT
#pragma once
// The pick: a press on a cell holding an item (0 to 49) reports that item; it changes no cell and
// previews nothing.

#include "maps/CellTool.h"

#include <functional>

namespace velkora {

class TPickTool : public TCellTool {
public:
    using TCellTool::TCellTool;

    void Press(QPoint Cell, Qt::KeyboardModifiers Keys) override;

    // Told the item picked.
    std::function<void(int Item)> Picked;
};

} // namespace velkora
