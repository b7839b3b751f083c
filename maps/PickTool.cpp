// SPDX-License-Identifier: MIT
#include "maps/PickTool.h"

#include "maps/MapImageItems.h"

namespace velkora {

void TPickTool::Press(QPoint Cell, Qt::KeyboardModifiers Keys) {
    Q_UNUSED(Keys);
    if (!fDocument.Contains(Cell))
        return;
    const int Value = fDocument.Value(Cell);
    if (Value < MapItemCount && Picked)
        Picked(Value);
}

} // namespace velkora
