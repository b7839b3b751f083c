// SPDX-License-Identifier: MIT
#pragma once
// A sprite as an indexed PNG for paint programs, and back: every block placed as tile groups,
// a given number of groups to a row of the picture, the pixel values being the sprite's colour
// indices. The layout is written into the PNG as a tEXt chunk, so that the import finds it
// again. The placement and its inverse are pure functions over pixel buffers; the file
// functions around them read and write PNG files.

#include "palettes/PngFile.h"
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
// 4, a PLTE of Colours (the 16 colours of the sprite's palette), the layout in a tEXt chunk of
// its own and in the comment.
// Layout.Blocks is taken from BA. An empty sprite is refused (EFormatError) and writes nothing.
void ExportSpritePng(const QString& FileName, const TBlocksArray& BA, int SizeIndex, bool IsCW,
                     int64_t Columns, const QVector<QRgb>& Colours);
} // namespace SpritePng

// The keyword of the text chunk that paint programs keep and show as the picture's comment; the
// export writes the layout there too ("velkora-layout blocks=600 size=16x16 order=cw").
extern const QByteArray SpriteCommentKeyword; // "Comment"

// What the caller says of a picture to import. A layout value left empty comes from the
// picture's layout chunk, or else from the defaults (8x8, cw, every group of the picture).
// KeepIndices reads an indexed picture's indices as they stand, whatever its palette.
struct TSpriteImportOptions {
    std::optional<int> SizeIndex;
    std::optional<bool> IsCW;
    std::optional<int64_t> Blocks;
    bool KeepIndices = false;
};

// A PNG read for an import, before its pixels become words.
struct TSpritePngPicture {
    TPngPicture Png;
    // The layout its velkora-layout chunk, or else its comment, gives (Columns not set).
    std::optional<TSpriteLayout> Layout;
};

// What an import found.
struct TSpriteImportReport {
    TSpriteLayout Layout; // the layout used
    // True when an indexed picture's palette was not palette N where its pixels use it, so that
    // its pixels were matched by colour.
    bool ColoursMatched = false;
};

namespace SpritePng {
// Reads a PNG for an import. A velkora-layout chunk that is not a layout text is refused
// (EFormatError, quoting at most a line of it); a comment that is not one is not a layout.
TSpritePngPicture ReadSpritePng(const QString& FileName);
// Every pixel of Picture as a colour index of Colours (palette PaletteNumber), in reading order,
// read and refused as SpriteWordsOfPng reads them. ColoursMatched, when given, is set when an
// indexed picture's pixels were matched by colour.
TMyByteArray PictureIndices(const TPngPicture& Picture, bool KeepIndices,
                            const QVector<QRgb>& Colours, int PaletteNumber,
                            bool* ColoursMatched = nullptr);
// The words of a picture read by ReadSpritePng. An indexed picture is read by its indices when
// KeepIndices is set, or when at every index its pixels use its palette holds the colour of
// Colours (palette PaletteNumber) at that index; otherwise, and for any other PNG, each pixel
// takes the lowest index of Colours that holds its colour exactly, a fully transparent pixel 0.
// Raises EFormatError for an index over 15 read as it stands, a colour Colours does not hold
// ("Pixel (12, 3) is #FF00FF, which palette 2 does not hold", the first such pixel in row
// order), a picture whose sides are not whole groups or that holds too few groups for the
// blocks. Report, when given, receives the layout used and how the colours were read.
TMyArray SpriteWordsOfPng(const TSpritePngPicture& Picture, const TSpriteImportOptions& Options,
                          const QVector<QRgb>& Colours, int PaletteNumber,
                          TSpriteImportReport* Report = nullptr);
// ReadSpritePng of FileName, then SpriteWordsOfPng.
TMyArray ImportSpritePng(const QString& FileName, const TSpriteImportOptions& Options,
                         const QVector<QRgb>& Colours, int PaletteNumber,
                         TSpriteImportReport* Report = nullptr);
} // namespace SpritePng

} // namespace velkora
