// SPDX-License-Identifier: MIT
#pragma once
// The tools of the map workspace and which one the left button uses: one object of each tool,
// the chosen tool, the stamp the painting tools paint with (a single item is a 1 x 1 stamp), the
// selection, and the floating paste, which takes the left button while it floats. The map view
// hands it the presses, drags, releases and cancels; it passes them to the tool in use (a press
// with Alt held always picks) and answers for that tool's preview.

#include "maps/CellTool.h"

#include <QObject>

#include <array>
#include <memory>

namespace velkora {

class TMapSelection;
class TPasteTool;

enum class TMapTool {
    Brush,     // paints the stamp at every cell the pointer crosses (the default)
    Rectangle, // fills the rectangle dragged out with the stamp
    Fill,      // fills the 4-connected region of the pressed cell's value with the stamp
    Pick,      // selects the pressed cell's item
    Select,    // selects the cells of the rectangle dragged out
};
constexpr int MapToolCount = 5;

class TMapToolBox : public QObject, public TCellTool {
    Q_OBJECT
public:
    explicit TMapToolBox(TMapDocument& Document, QObject* Parent = nullptr);
    ~TMapToolBox() override;

    // The tool the left button uses; choosing another cancels what the last one began.
    TMapTool Current() const { return fCurrent; }
    void SetCurrent(TMapTool Tool);
    TCellTool& Tool(TMapTool Tool) { return *fTools[size_t(Tool)]; }

    // The item the painting tools paint with, 0 to 49: a 1 x 1 stamp. With a larger stamp, the
    // item of its top-left cell.
    int Item() const { return fItem; }
    void SetItem(int Item);
    // The stamp the painting tools paint with; Flip mirrors it.
    const TCellBlock& Stamp() const { return fStamp; }
    void SetStamp(const TCellBlock& Stamp);
    void Flip(bool Horizontal, bool Vertical);

    TMapSelection& Selection() { return *fSelection; }
    // Makes Block the floating paste, until a press puts it down or a cancel drops it.
    void Paste(const TCellBlock& Block);
    bool Pasting() const;
    // The floating paste's cells (empty while none floats).
    const TCellBlock& PasteBlock() const;

    void Press(QPoint Cell, Qt::KeyboardModifiers Keys) override;
    void Move(QPoint Cell) override;
    void Release(QPoint Cell) override;
    bool Cancel() override;
    bool Floating() const override;
    QRect PreviewCells(const std::optional<QPoint>& Pointer) const override;
    int Preview(QPoint Cell, const std::optional<QPoint>& Pointer) const override;
    std::optional<QRegion> Outline() const override;

signals:
    // Another item or stamp was chosen (SetItem, SetStamp, a flip, or a pick).
    void ItemChanged(int Item);
    // The floating paste began or ended.
    void PastingChanged(bool Pasting);

private:
    // The tool the events and the preview go to: the paste while it floats.
    TCellTool& InUse() const;

    std::array<std::unique_ptr<TCellTool>, MapToolCount> fTools;
    std::unique_ptr<TMapSelection> fSelection;
    std::unique_ptr<TPasteTool> fPaste;
    TMapTool fCurrent = TMapTool::Brush;
    // The tool the left button went down with, until it comes up.
    TCellTool* fPressed = nullptr;
    int fItem = 0;
    TCellBlock fStamp{1, 1, 0};
};

} // namespace velkora
