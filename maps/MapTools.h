#pragma once
// The map workspace's tools: what a left press on the map grid does, and their icons.

#include <QIcon>
#include <QKeySequence>
#include <QString>

namespace velkora {

enum class TMapTool {
    Brush,     // paints every cell the pointer crosses (the default)
    Rectangle, // fills the rectangle dragged out
    Fill,      // fills the 4-connected region of the pressed cell's value
    Pick,      // selects the pressed cell's item in the item grid
};
constexpr int MapToolCount = 4;

// The menu text ("&Brush"), the key ("B") and the icon of a tool.
QString ToolText(TMapTool Tool);
QKeySequence ToolKey(TMapTool Tool);
// Drawn in Color, 20 x 20 (and 40 x 40 for high-density screens).
QIcon ToolIcon(TMapTool Tool, const QColor& Color);

} // namespace velkora
