#pragma once
// What a tool of the map workspace is: it hears the left button's press, the pointer's moves
// while the button is held, the release and a cancel, all in cells, and changes the map only
// through the document's edits (each an undo step). Before it changes cells it may show what it
// would do: the view asks it, cell by cell, what to draw in their place. A tool needs the document
// only; it knows nothing of widgets.
//
// A new tool is a new class over TCellTool (or TPaintTool when it paints with the chosen item),
// registered in TMapToolBox.

#include "maps/MapDocument.h"

#include <QPoint>
#include <QRect>

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

    // The preview, with the pointer over the cell Pointer (none while it is off the map view):
    // outside PreviewCells the map shows its own cells; inside it, a cell shows Preview's value, or
    // its own where that is -1.
    virtual QRect PreviewCells(const std::optional<QPoint>& Pointer) const;
    virtual int Preview(QPoint Cell, const std::optional<QPoint>& Pointer) const;

protected:
    TMapDocument& fDocument;
};

// A tool that paints with one item: the pointer's cell previews it.
class TPaintTool : public TCellTool {
public:
    using TCellTool::TCellTool;

    uint8_t Item() const { return fItem; }
    void SetItem(uint8_t Item) { fItem = Item; }

    QRect PreviewCells(const std::optional<QPoint>& Pointer) const override;
    int Preview(QPoint Cell, const std::optional<QPoint>& Pointer) const override;

protected:
    uint8_t fItem = 0;
};

} // namespace velkora
