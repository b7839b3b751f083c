// SPDX-License-Identifier: MIT
#pragma once
// Map texture items: a texture sprite rendered as a strip of 24 x 24-pixel items, and the
// pictures a map cell shows, shared by the map workspace and the command-line renderer.

#include "shell/MyTypes.h"
#include "sprites/SpriteEditor.h"

#include <QImage>

#include <array>

namespace velkora {

// One texture: its sprite drawn in one palette into a strip of 3 x 3-tile groups, one item per
// 24-pixel band (item i at pixel rows 24i to 24i + 23, columns 0 to 23).
class TMapImageItems {
public:
    static constexpr int SpriteCount = 25; // items per texture
    static constexpr int ItemSize = 24;    // width and height of an item in pixels
    static constexpr int StripWidth = 25;
    static constexpr int StripHeight = 700; // room for 29 items

    // Empty strip, palette 0 in the grey ramp.
    TMapImageItems();
    virtual ~TMapImageItems();

    // The blocks the strip can show: 30 groups of 3 x 3 (the last one cut by its bottom edge).
    static constexpr size_t StripBlocks = 270;

    // The texture's sprite as far as the strip shows it: its first StripBlocks blocks.
    const TSpriteInfo& SpriteInfo() const { return fSpriteInfo; }
    // Keeps the part of Value the strip shows and redraws the strip: a texture of millions of
    // blocks costs no more than one of a few hundred.
    void SetSpriteInfo(const TSpriteInfo& Value);
    void SetSpriteInfo(TSpriteInfo&& Value);

    // The strip's palette: its number and its 16 colours.
    int32_t PaletteIndex() const { return fPaletteIndex; }
    const QVector<QRgb>& Colors() const { return fColors; }
    // Only records the palette: the strip keeps its colours until the next SetSpriteInfo or
    // Refresh.
    void SetPalette(int32_t Index, const QVector<QRgb>& Colors);

    // Redraws the strip from the sprite and the palette; a sprite without blocks leaves the strip
    // as it was.
    void Refresh();

    // The strip: a 25 x 700 Format_Indexed8 image with a 16-colour table (null until drawn).
    const QImage& FullBmp() const { return fFullBmp; }
    int LastItemIndex() const { return GetLastItemIndex(); }
    // Item i of the strip as a 24 x 24 Format_Indexed8 image in the strip's colours. An i outside
    // the strip (below 0 or above 28), or an undrawn strip, gives an image of colour 0.
    // The item image is shared: the next call overwrites it.
    QImage& Item(int i) { return GetItem(i); }

private:
    QImage& GetItem(int i);
    int GetLastItemIndex() const { return SpriteCount - 1; }

    QImage fFullBmp;
    QImage fItemBmp;
    TSpriteInfo fSpriteInfo;
    int32_t fPaletteIndex = 0;
    QVector<QRgb> fColors;
};

// ---- Map cells ------------------------------------------------------------------------------

// A cell value v names item v of the first texture (0 to 24) or item v - 25 of the second (25
// to 49); any other value names no item.
constexpr int MapItemCount = 2 * TMapImageItems::SpriteCount;
constexpr int MapCellSize = TMapImageItems::ItemSize;

// The colours of a map's pictures: 0 to 15 are the first texture's palette, 16 to 31 the
// second's, 32 to 34 the unknown-item picture's.
constexpr int MapColourCount = 35;
constexpr int UnknownItemFirstColour = 32;
using TMapColours = std::array<QRgb, MapColourCount>;

// A cell's picture as indices into the map colours: 24 rows of 24 bytes, top to bottom.
using TCellIndices = std::array<uint8_t, MapCellSize * MapCellSize>;

namespace MapImageItems {
// The picture of a value that names no item, as map colour indices (32 to 34): a dark
// checkerboard with a red cross.
const TCellIndices& UnknownItemIndices();
// The same as a 24 x 24 Format_RGB32 image.
const QImage& UnknownItemPicture();

// The picture a cell of value Value shows, as a 24 x 24 Format_RGB32 image. Fills the item
// images of Items1 or Items2.
QImage CellPicture(TMapImageItems& Items1, TMapImageItems& Items2, int Value);

// Marks a picture as the preview of the highlighted cell: a one-pixel frame of pure red along
// x = 0, y = 0, x = 22 and y = 22 (the square from (0, 0) to (22, 22)).
void DrawHighlightFrame(QImage& Picture);

// The drawing of a cell: item i of Items, the strip of texture Texture (0 or 1), as map colour
// indices (16 x Texture + the item's own index). Fills Items's item image. Every picture of a
// cell, on the screen or in a whole-map PNG, is made by this function.
void DrawCellIndices(int Texture, TMapImageItems& Items, int i, TCellIndices& Out);
} // namespace MapImageItems

// The pictures of all cell values, built once per texture and palette so that drawing a cell
// is a plain copy: as map colour indices (for the whole-map PNG) and as RGB (for the screen),
// the RGB ones made from the indices.
class TMapCellPictures {
public:
    // Every picture black until built.
    TMapCellPictures();
    // Rebuilds the pictures of the first (Texture 0, values 0 to 24) or the second texture
    // (Texture 1, values 25 to 49) from Items, and that texture's 16 map colours.
    void RebuildTexture(int Texture, TMapImageItems& Items);
    void Rebuild(TMapImageItems& Items1, TMapImageItems& Items2);
    // The picture of a cell value; the unknown-item picture for 50 and above.
    const QImage& Picture(int Value) const {
        return Value >= 0 && Value < MapItemCount ? fPictures[size_t(Value)]
                                                  : MapImageItems::UnknownItemPicture();
    }
    const TCellIndices& Indices(int Value) const {
        return Value >= 0 && Value < MapItemCount ? fIndices[size_t(Value)]
                                                  : MapImageItems::UnknownItemIndices();
    }
    const TMapColours& Colours() const { return fColours; }

private:
    std::array<QImage, MapItemCount> fPictures;
    std::array<TCellIndices, MapItemCount> fIndices;
    TMapColours fColours;
};

// The largest map picture RenderMap draws in memory, in pixels (one GiB of 32-bit pixels); the
// PNG writer of maps (MapPicture) streams and has no such limit.
constexpr int64_t MaxMapImagePixels = int64_t(1) << 28;

namespace MapImageItems {
// The whole map (Cells row by row, w x h) as a (w x 24) x (h x 24) Format_RGB32 image, each
// cell drawn as the map workspace draws it. Raises EFormatError for a map whose picture would
// exceed MaxMapImagePixels, for an empty map and for a cell array whose length is not w x h.
QImage RenderMap(const TMyByteArray& Cells, int32_t w, int32_t h, const TMapCellPictures& Pictures);
} // namespace MapImageItems

} // namespace velkora
