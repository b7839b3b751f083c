// SPDX-License-Identifier: MIT
#pragma once
// A block of map cells apart from any map: what a copy takes, what a paste lays down and what a
// stamp paints. It is W x H values row by row; a cell may be a hole (a cell the block does not
// hold: where it lands the map keeps its own). The resize of a whole map, and the block's forms
// on the clipboard (a private binary form and text rows), are pure functions here.

#include "shell/MyTypes.h"

#include <QByteArray>
#include <QPoint>
#include <QRect>
#include <QString>

#include <optional>

namespace velkora {

class TCellBlock {
public:
    TCellBlock() = default;
    // W x H cells of Value, no holes.
    TCellBlock(int W, int H, uint8_t Value = 0);
    // W x H cells taken from Values (row by row); Mask, when not empty, holds 0 for a hole.
    TCellBlock(int W, int H, TMyByteArray Values, TMyByteArray Mask = {});

    int Width() const { return fWidth; }
    int Height() const { return fHeight; }
    QSize Size() const { return QSize(fWidth, fHeight); }
    bool IsEmpty() const { return fWidth == 0 || fHeight == 0; }
    bool HasHoles() const { return !fMask.empty(); }
    // The value of the cell in column x, row y of the block (inside it), and whether it is held.
    uint8_t Value(int x, int y) const { return fValues[Index(x, y)]; }
    bool Holds(int x, int y) const { return fMask.empty() || fMask[Index(x, y)] != 0; }
    // The value at (x, y) or -1 for a hole or a cell outside the block.
    int At(int x, int y) const;
    const TMyByteArray& Values() const { return fValues; }
    const TMyByteArray& Mask() const { return fMask; }

    // The block mirrored left to right (Horizontal) and/or top to bottom.
    TCellBlock Flipped(bool Horizontal, bool Vertical) const;
    bool operator==(const TCellBlock& Other) const {
        return fWidth == Other.fWidth && fHeight == Other.fHeight && fValues == Other.fValues &&
               fMask == Other.fMask;
    }

private:
    size_t Index(int x, int y) const { return size_t(y) * size_t(fWidth) + size_t(x); }
    int fWidth = 0;
    int fHeight = 0;
    TMyByteArray fValues;
    TMyByteArray fMask;
};

namespace CellBlocks {

// The largest block the clipboard forms take: a whole map of the largest size.
constexpr int MaxSide = 65535;

// The cells of a W x H map (row by row) in a map of NewW x NewH: the old cell (x, y) goes to
// (x + DX, y + DY) where that lies in the new map; every other cell is Fill. Sizes of 1 to 65535.
TMyByteArray ResizeCells(const TMyByteArray& Cells, int W, int H, int NewW, int NewH, int DX,
                         int DY, uint8_t Fill);

// The clipboard's text: one line per row, the values in decimal separated by single spaces, a
// hole as "-"; each line ends in "\n".
QString ToText(const TCellBlock& Block);
// Reads text of that shape: lines of whole numbers 0 to 255 (or "-") separated by white space,
// every line with as many as the first; blank lines at the end are ignored. None for text of
// another shape.
std::optional<TCellBlock> FromText(const QString& Text);
// The private binary form: "VKCB", then width, height (32-bit little-endian), a byte 1 when a
// mask follows the values, the values row by row and the mask.
QByteArray ToBytes(const TCellBlock& Block);
// None for bytes of another shape (a wrong tag, sizes outside 1 to 65535, a length that does not
// match).
std::optional<TCellBlock> FromBytes(const QByteArray& Bytes);

} // namespace CellBlocks

} // namespace velkora
