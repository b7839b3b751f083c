#pragma once
// A sprite as an indexed PNG for paint programs, and back: every block placed as tile groups,
// a given number of groups to a row of the picture, the pixel values being the sprite's colour
// indices. The layout is written into the PNG as a tEXt chunk, so that the import finds it
// again. The placement and its inverse are pure functions over pixel buffers; the file
// functions around them read and write PNG files.

#include "shell/MyTypes.h"

#include <QByteArray>
#include <QRgb>
#include <QString>
#include <QVector>

#include <optional>

namespace velkora {

// Keyword of the tEXt chunk that carries the layout ("blocks=600 size=16x16 order=cw").
extern const QByteArray SpriteLayoutKeyword; // "velkora-layout"

// The names of the five tile-group sizes, in the order of SpriteSize: "8x8" ... "96x32".
extern const char* const SpriteSizeNames[5];
namespace SpritePng {
// The index of a size name (any case), or -1.
int SpriteSizeIndex(const QString& Name);
} // namespace SpritePng

// Where the blocks of a sprite lie in its picture.
struct TSpriteLayout {
    int64_t Blocks = 0;
    int SizeIndex = 0;   // into SpriteSize
    bool IsCW = true;    // tile order within a group, as in MakeBMPImage
    int64_t Columns = 1; // tile groups in a row of the picture

    int GroupWidth() const;  // pixels
    int GroupHeight() const; // pixels
    int64_t BlocksPerGroup() const;
    // ceil(Blocks / BlocksPerGroup)
    int64_t Groups() const;
    // Columns x GroupWidth by ceil(Groups / Columns) x GroupHeight (one row of groups at least).
    int64_t Width() const;
    int64_t Height() const;
    // The top left pixel of block b: group g = b / BlocksPerGroup at column g % Columns and row
    // g / Columns of the picture, the block at its place within the group (CW: row by row, CCW:
    // column by column).
    void BlockOrigin(int64_t b, int64_t& x, int64_t& y) const;
};

namespace SpritePng {
// As many groups of SizeIndex as fit in 128 pixels, at least 1.
int DefaultSpriteColumns(int SizeIndex);

// "blocks=B size=S order=O", with O cw or ccw.
QByteArray SpriteLayoutText(const TSpriteLayout& Layout);
// Reads a layout text: fills Blocks, SizeIndex and IsCW. Returns false for a text not of that
// form (Layout is then unchanged).
bool ParseSpriteLayoutText(const QByteArray& Text, TSpriteLayout& Layout);

// Pixel rows FirstRow to FirstRow + RowCount - 1 of the picture of BA (Width() indices a row,
// one byte each) into Out: the first Layout.Blocks blocks (or as many as BA has) at their places,
// index 0 everywhere else.
void PlaceSpriteBlocks(const TBlocksArray& BA, const TSpriteLayout& Layout, int64_t FirstRow,
                       int64_t RowCount, uint8_t* Out);
// The inverse: the Layout.Blocks blocks of a picture of Layout.Width() x Layout.Height() indices
// (each below 16).
TBlocksArray TakeSpriteBlocks(const uint8_t* Indices, const TSpriteLayout& Layout);
// The words of blocks, 16 a block (the inverse of MakeBlockArray).
TMyArray WordsOfBlocks(const TBlocksArray& BA);

// Writes the blocks of BA as an indexed PNG to FileName, atomically: colour type 3, bit depth
// 4, a PLTE of Colours (the 16 colours of the sprite's palette), the layout in a tEXt chunk.
// Layout.Blocks is taken from BA. An empty sprite is refused (EFormatError) and writes nothing.
void ExportSpritePng(const QString& FileName, const TBlocksArray& BA, int SizeIndex, bool IsCW,
                     int64_t Columns, const QVector<QRgb>& Colours);
} // namespace SpritePng

// What the caller says of the layout of a picture to import; a value left empty comes from the
// picture's layout chunk, or else from the defaults (8x8, cw, every group of the picture).
struct TSpriteImportOptions {
    std::optional<int> SizeIndex;
    std::optional<bool> IsCW;
    std::optional<int64_t> Blocks;
};

namespace SpritePng {
// Reads a sprite back from a PNG file. An indexed PNG (any bit depth) gives its indices as they
// stand; any other PNG maps each pixel to the first colour of Colours (palette PaletteNumber,
// named in the messages) that equals it exactly, a fully transparent pixel to 0. Raises
// EFormatError for an index over 15, a colour Colours does not hold, a picture whose sides are
// not whole groups or that holds too few groups for the blocks, or a malformed layout chunk.
// Layout receives the layout used.
TMyArray ImportSpritePng(const QString& FileName, const TSpriteImportOptions& Options,
                         const QVector<QRgb>& Colours, int PaletteNumber,
                         TSpriteLayout* Layout = nullptr);
} // namespace SpritePng

} // namespace velkora
