// SPDX-License-Identifier: MIT
#pragma once
// The map workspace's part of the status bar: the cell under the pointer ("Cell (2, 1): 3,
// texture 1 item 3"), the item chosen, the zoom, the map's size, and the tool in use with its
// stamp, its floating paste or the selection's size. Made hidden: the main window
// shows it while the workspace is shown.

#include <QPoint>
#include <QWidget>

#include <optional>

namespace velkora {

class TMapDocument;
class TStatusField;

class TMapStatus : public QWidget {
    Q_OBJECT
public:
    explicit TMapStatus(QWidget* Parent = nullptr);

    TStatusField* CellStatus = nullptr;
    TStatusField* ItemStatus = nullptr;
    TStatusField* ZoomStatus = nullptr;
    TStatusField* SizeStatus = nullptr;
    TStatusField* ToolStatus = nullptr;

    // The cell under the pointer (none: the pointer is off the map grid); nothing is named for a
    // cell beyond the map.
    void ShowCell(const TMapDocument& Document, const std::optional<QPoint>& Cell);
    void ShowItem(int Item);
    void ShowZoom(int Zoom);
    void ShowMap(const TMapDocument& Document);
    // "Brush, stamp 3 x 2", "Select: 12 x 4 selected", "Paste 3 x 2: click to put, Esc drops".
    void ShowTool(const QString& Text);
};

} // namespace velkora
