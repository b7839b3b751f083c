// SPDX-License-Identifier: MIT
#pragma once
// The game's palettes in memory, and the rendering of tile blocks into 4-bit pictures.

#include "shell/MyTypes.h"
#include "shell/ParamsFile.h"

#include <QImage>
#include <QPoint>
#include <QVector>

namespace velkora {

struct TCol {
    uint8_t R = 0;
    uint8_t G = 0;
    uint8_t B = 0;
};
struct TPallette {
    std::array<TCol, 16> Col{};
};

// The palettes read from a parameters file; index = palette number.
using TPalletteList = std::vector<TPallette>;

// Tile-group sizes (tiles across, tiles down) in the order of the workbench's size list:
// 8x8, 16x16, 24x24, 48x48, 96x32.
extern const std::array<QPoint, 5> SpriteSize;

namespace BmpMaker {
// Opens Doc, reads its palettes into Palettes, closes it (also on an error, which leaves Palettes
// with the palettes and colours read before it).
void Init(TXMLDocument& Doc, TPalletteList& Palettes);
// The palettes of Doc; on an error nothing is returned and the error is raised.
TPalletteList ReadPalettes(TXMLDocument& Doc);
// Empties Palettes and fills it from the first container under Root: every leading child whose
// name begins with "Pal", 16 colours each (extra children ignored, missing ones black).
void LoadPallette(const QDomElement& Root, TPalletteList& Palettes);

// The 16 colours of palette PalI as a colour table; a grey ramp (17 x i) when PalI is not one of
// Palettes.
QVector<QRgb> ColorTable(const TPalletteList& Palettes, int PalI);
// Colour c of palette p as an opaque QRgb (the ramp for an unknown palette).
QRgb PaletteColor(const TPalletteList& Palettes, int p, int c);
// The grey ramp: what a palette number outside the list draws with.
QVector<QRgb> GreyRamp();

// Renders BA into an h x w buffer of colour indices (one byte per pixel, row by row): tile
// groups of BlockSize placed left to right in bands, exactly as the 4-bit rows are built; what
// falls outside w x h is clipped. Returns false (and leaves Pixels alone) when BA is empty. A w
// or h of 0 or less gives an empty buffer; a bitmap over 32767 pixels on a side or 2^26 pixels
// in all, or a BlockSize below 1 x 1, raises Exception.
bool MakeBMPPixels(TMyByteArray& Pixels, const TBlocksArray& BA, QPoint BlockSize, bool IsCW, int w,
                   int h);
// Renders into B: a w x h Format_Indexed8 image whose colour table is Colors (16 entries; a
// ColorTable). An empty BA leaves B as it was; a w or h of 0 or less makes B a null image.
void MakeBMPImage(QImage& B, const TBlocksArray& BA, QPoint BlockSize, const QVector<QRgb>& Colors,
                  bool IsCW, int w, int h);
} // namespace BmpMaker

} // namespace velkora
