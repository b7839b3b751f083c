// SPDX-License-Identifier: MIT
#pragma once
// How the map workspace's tools show in its menus and tool strip: their names, keys and icons.

#include "maps/MapToolBox.h"

#include <QIcon>
#include <QKeySequence>
#include <QString>

namespace velkora {

// The menu text ("&Brush"), the key ("B") and the icon of a tool.
QString ToolText(TMapTool Tool);
QKeySequence ToolKey(TMapTool Tool);
// Drawn in Color, 20 x 20 (and 40 x 40 for high-density screens).
QIcon ToolIcon(TMapTool Tool, const QColor& Color);

} // namespace velkora
