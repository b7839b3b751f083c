// SPDX-License-Identifier: MIT
#pragma once
// What a tool of the map workspace is: it hears the left button's press, the pointer's moves
// while the button is held, the release and a cancel, all in cells, and changes the map only
// through the document's edits (each an undo step). Before it changes cells it may show what it
// would do: the view asks it, cell by cell, what to draw in their place. A tool needs the document
// only; it knows nothing of widgets.
//
// A new tool is a new class over TCellTool (or TPaintTool when it paints with the chosen stamp),
// registered in TMapToolBox.

#include "maps/CellBlock.h"
#include "maps/MapDocument.h"

#include <QPoint>
#include <QRect>
#include <QRegion>

#include <optional>

namespace velkora {

class TCellTool {
public:
    explicit TCellTool(TMapDocument& Document) : fDocument(Document) {}
    virtual ~TCellTool();
    TCellTool(const TCellTool&) = delete;
    TCellTool& operator=(const TCellTool&) = delete;

    // The left button went down over Cell (a cell of the map or not) with Keys held.
    virtual void Press(QPoint Cell, Qt::KeyboardModifiers Keys) = 0;
    // The pointer reached Cell with the left button held since the press.
    virtual void Move(QPoint Cell);
    // The left button came up over Cell.
    virtual void Release(QPoint Cell);
    // Drops what a press began and has not finished (Escape, another tool, another map); true
    // when something was dropped.
    virtual bool Cancel();
    // True while the tool holds something that follows the pointer without a button held (a
    // paste): the right button drops it instead of moving the map.
    virtual bool Floating() const;

    // The preview, with the pointer over the cell Pointer (none while it is off the map view):
    // outside PreviewCells the map shows its own cells; inside it, a cell shows Preview's value, or
    // its own where that is -1.
    virtual QRect PreviewCells(const std::optional<QPoint>& Pointer) const;
    virtual int Preview(QPoint Cell, const std::optional<QPoint>& Pointer) const;
    // Cells the view outlines instead of the selection while the tool drags (none: the selection).
    virtual std::optional<QRegion> Outline() const;

protected:
    TMapDocument& fDocument;
};

// A tool that paints with a stamp: a block of items (a single item is a 1 x 1 stamp), anchored
// at its top-left cell. The pointer's cell previews the stamp laid there.
class TPaintTool : public TCellTool {
public:
    using TCellTool::TCellTool;

    // The item of the stamp's top-left cell.
    uint8_t Item() const { return fStamp.IsEmpty() ? 0 : fStamp.Value(0, 0); }
    void SetItem(uint8_t Item) { fStamp = TCellBlock(1, 1, Item); }
    const TCellBlock& Stamp() const { return fStamp; }
    void SetStamp(const TCellBlock& Stamp) { fStamp = Stamp; }
    bool SingleItem() const {
        return fStamp.Width() == 1 && fStamp.Height() == 1 && !fStamp.HasHoles();
    }

    QRect PreviewCells(const std::optional<QPoint>& Pointer) const override;
    int Preview(QPoint Cell, const std::optional<QPoint>& Pointer) const override;

protected:
    // The stamp's value for Cell when the stamp repeats from Origin (-1 for a hole).
    int PatternAt(QPoint Cell, QPoint Origin) const;

    TCellBlock fStamp{1, 1, 0};
};

} // namespace velkora
