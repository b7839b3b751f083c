// SPDX-License-Identifier: MIT
#include "maps/FillTool.h"

namespace velkora {

void TFillTool::Press(QPoint Cell, Qt::KeyboardModifiers Keys) {
    Q_UNUSED(Keys);
    fDocument.FloodFill(Cell, fStamp);
}

} // namespace velkora
