#pragma once
// The tools of the map workspace and which one the left button uses: one object of each tool,
// the chosen tool, and the item the painting tools paint with. The map view hands it the
// presses, drags, releases and cancels; it passes them to the chosen tool (a press with Alt held
// always picks) and answers for that tool's preview.

#include "maps/CellTool.h"

#include <QObject>

#include <array>
#include <memory>

namespace velkora {

enum class TMapTool {
    Brush,     // paints every cell the pointer crosses (the default)
    Rectangle, // fills the rectangle dragged out
    Fill,      // fills the 4-connected region of the pressed cell's value
    Pick,      // selects the pressed cell's item
};
constexpr int MapToolCount = 4;

class TMapToolBox : public QObject, public TCellTool {
    Q_OBJECT
public:
    explicit TMapToolBox(TMapDocument& Document, QObject* Parent = nullptr);
    ~TMapToolBox() override;

    // The tool the left button uses; choosing another cancels what the last one began.
    TMapTool Current() const { return fCurrent; }
    void SetCurrent(TMapTool Tool);
    TCellTool& Tool(TMapTool Tool) { return *fTools[size_t(Tool)]; }

    // The item the painting tools paint with, 0 to 49.
    int Item() const { return fItem; }
    void SetItem(int Item);

    void Press(QPoint Cell, Qt::KeyboardModifiers Keys) override;
    void Move(QPoint Cell) override;
    void Release(QPoint Cell) override;
    bool Cancel() override;
    QRect PreviewCells(const std::optional<QPoint>& Pointer) const override;
    int Preview(QPoint Cell, const std::optional<QPoint>& Pointer) const override;

signals:
    // Another item was chosen (SetItem, or a pick).
    void ItemChanged(int Item);

private:
    std::array<std::unique_ptr<TCellTool>, MapToolCount> fTools;
    TMapTool fCurrent = TMapTool::Brush;
    // The tool the left button went down with, until it comes up.
    TCellTool* fPressed = nullptr;
    int fItem = 0;
};

} // namespace velkora
