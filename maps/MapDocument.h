// SPDX-License-Identifier: MIT
#pragma once
// The map being edited, apart from any view of it: its record, the file it came from, and the
// edits made since, each an undo command. Views repaint from its signals.

#include "maps/CellBlock.h"
#include "maps/CellEdit.h"
#include "maps/MapLoader.h"
#include "shell/Document.h"
#include "shell/MyTypes.h"
#include "shell/Progress.h"

#include <QPoint>
#include <QRect>

#include <functional>
#include <utility>
#include <vector>

namespace velkora {

// The current map: its size and its cells row by row.
struct TMapParams {
    int32_t Width = 0;
    int32_t Height = 0;
    TMyByteArray DecomBytes;

    // The cell in row W, column H (callers pass the row first). A cell outside the map raises
    // EListError.
    uint8_t GetValue(int W, int H) const;
    // Stores the low byte of Value into the cell in row W, column H.
    void SetValue(int W, int H, int Value);
    bool Contains(int Row, int Col) const {
        return Row >= 0 && Col >= 0 && Row < Height && Col < Width &&
               DecomBytes.size() == size_t(Width) * size_t(Height);
    }
};

class TMapDocument : public TDocument {
    Q_OBJECT
public:
    explicit TMapDocument(QObject* Parent = nullptr);
    ~TMapDocument() override;

    const TMapParams& MapParams() const { return fMapParams; }
    int32_t Width() const { return fMapParams.Width; }
    int32_t Height() const { return fMapParams.Height; }
    bool HasMap() const { return !fMapParams.DecomBytes.empty(); }
    bool Contains(QPoint Cell) const { return fMapParams.Contains(Cell.y(), Cell.x()); }
    // The value of the cell in column Cell.x(), row Cell.y(); the cell must lie in the map.
    uint8_t Value(QPoint Cell) const { return fMapParams.GetValue(Cell.y(), Cell.x()); }
    // The pack type of the file the map was read from (0 for a map made here).
    int32_t PackType() const { return fPackType; }
    // FileName(): the file the map was read from or last saved to; empty for a new map and
    // before a load.
    // Counts the maps loaded or made: it changes with another map, never with an edit.
    int MapNumber() const { return fMapNumber; }

    // The memory the edit history holds, in bytes.
    size_t UndoMemoryUsed() const;

    // Reads FileName as the map. A file that cannot be read raises its error and leaves
    // everything as it was; so does a load stopped through Progress (which counts the cells
    // decoded), or refused by MayOpen, which is asked what the file holds before its cells are
    // made (false is returned then). The edit history is cleared.
    bool Load(const QString& FileName, const TProgress& Progress = {},
              const std::function<bool(const TMapSummary&)>& MayOpen = {});
    // Makes Cells (w x h, row by row) the map, a new one that no file holds yet: it counts as
    // modified until saved. Name is what it goes by until then (empty: a plain new map). The
    // edit history is cleared.
    void NewMap(int32_t w, int32_t h, TMyByteArray Cells, const QString& Name = QString());
    // The TMX (or JSON) map file this map was last imported from or exported to, for Reimport;
    // empty until then, and again once another map is loaded or made.
    const QString& TmxFileName() const { return fTmxFileName; }
    void SetTmxFileName(const QString& FileName) { fTmxFileName = FileName; }
    // The name a map without a file goes by; empty for a map read from a file and a plain new
    // map.
    const QString& NewName() const { return fNewName; }
    // Puts Cells (w x h, row by row) in the place of the map's cells and size, as one edit that
    // Undo takes back (a map that stays the same adds no step). The file stays the map's file.
    void ReplaceCells(int32_t w, int32_t h, TMyByteArray Cells, const QString& Text);
    // Writes the map into FileName() / into FileName, which becomes its file. Either way the map
    // is then not modified; a failed write raises its error and changes nothing.
    // Progress counts the cells encoded; a save stopped there writes nothing.
    void Save(const TProgress& Progress = {});
    void SaveAs(const QString& FileName, const TProgress& Progress = {});

    // Edits; each is one undo step, except that the paints of one stroke merge into the step the
    // stroke began. Cells outside the map and cells that already hold Value are left alone; an
    // edit that changes nothing adds no step.
    // A new stroke number for the paints of one drag.
    int BeginStroke() { return ++fStroke; }
    void Paint(int Stroke, const std::vector<QPoint>& Cells, uint8_t Value);
    void PaintCell(int Stroke, QPoint Cell, uint8_t Value) { Paint(Stroke, {Cell}, Value); }
    // Every cell of the rectangle with the corner cells A and B (both included, in any order),
    // clipped to the map.
    void FillRect(QPoint A, QPoint B, uint8_t Value);
    // The 4-connected region of Start's value around Start.
    void FloodFill(QPoint Start, uint8_t Value);
    // Every cell of the rectangles (which do not overlap), clipped to the map, as one step.
    void FillRects(const std::vector<QRect>& Rects, uint8_t Value, const QString& Text);

    // Edits with a block of cells; holes of the block leave the cells beneath alone.
    // Block with its top-left cell at At, clipped to the map. The puts of one stroke merge into
    // one step.
    void PutBlock(QPoint At, const TCellBlock& Block, int Stroke = 0,
                  const QString& Text = QStringLiteral("Paste"));
    // The rectangle with the corner cells A and B, and the 4-connected region of Start's value,
    // filled with Stamp repeated from the rectangle's top-left cell / from Start.
    void FillRect(QPoint A, QPoint B, const TCellBlock& Stamp);
    void FloodFill(QPoint Start, const TCellBlock& Stamp);
    // The map made W x H (1 to 65535 each): the cell (x, y) goes to (x + DX, y + DY) where that
    // lies in it; every other cell is Fill. One step (none when nothing changes).
    void Resize(int W, int H, int DX, int DY, uint8_t Fill);

    // The cells of the segment from A to B, both included, without gaps (every cell a line
    // crosses when the pointer moves from A to B in one step).
    static std::vector<QPoint> LineCells(QPoint A, QPoint B);

signals:
    // Cells changed; Cells is their bounding rectangle in cell coordinates.
    void CellsChanged(const QRect& Cells);
    // A different map (size and cells) took the place of the one before.
    void MapReplaced();
    void FileNameChanged(const QString& FileName);

private:
    friend class TCellsCommand;
    friend class TReplaceCommand;
    friend class TBlockCommand;
    // One row's span of cells [Left, End) in row Row.
    struct TSpan {
        int Row;
        int Left;
        int End;
    };
    // Fills the 4-connected region of Start's value with Mark (not that value), telling Span
    // each span as it is filled.
    void ScanFill(QPoint Start, uint8_t Mark, const std::function<void(const TSpan&)>& Span);
    // Writes Stamp, repeated from Origin, into the spans, as one step (or part of Stroke's).
    void PutPattern(const std::vector<TSpan>& Spans, const TCellBlock& Stamp, QPoint Origin,
                    int Stroke, const QString& Text);
    void Push(TCellEdit Edit, int Stroke, const QString& Text);
    void Changed(const TCellEdit& Edit) { emit CellsChanged(Edit.Bounds()); }

    TMapParams fMapParams;
    int32_t fPackType = 0;
    QString fNewName;
    QString fTmxFileName;
    int fStroke = 0;
    int fMapNumber = 0;
};

} // namespace velkora
