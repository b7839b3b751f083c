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

// The palettes read from the parameters file; index = palette number.
extern std::vector<TPallette> PalletteArray;
// The shared parameters document; owned by the sprite workbench, published here.
extern TXMLDocument* XMLDocument;

// Tile-group sizes (tiles across, tiles down) in the order of the workbench's size list:
// 8x8, 16x16, 24x24, 48x48, 96x32.
extern const std::array<QPoint, 5> SpriteSize;

// Opens XMLDocument, reads the palettes into PalletteArray, closes it (also on an error, which
// leaves the palettes and colours read before it). Raises Exception when XMLDocument is not set.
void Init();
// Empties PalletteArray and fills it from the first container under Root: every leading child
// whose name begins with "Pal", 16 colours each (extra children ignored, missing ones black).
void LoadPallette(const QDomElement& Root);

// The 16 colours of palette PalI as a colour table; a grey ramp (17 x i) when PalI is not a
// palette of PalletteArray.
QVector<QRgb> ColorTable(int PalI);
// Colour c of palette p as an opaque QRgb (the ramp for an unknown palette).
QRgb PaletteColor(int p, int c);

// Renders BA into an h x w buffer of colour indices (one byte per pixel, row by row): tile
// groups of BlockSize placed left to right in bands, exactly as the 4-bit rows are built; what
// falls outside w x h is clipped. Returns false (and leaves Pixels alone) when BA is empty. A w
// or h of 0 or less gives an empty buffer; a bitmap over 32767 pixels on a side or 2^26 pixels
// in all, or a BlockSize below 1 x 1, raises Exception.
bool MakeBMPPixels(TMyByteArray& Pixels, const TBlocksArray& BA, QPoint BlockSize, bool IsCW, int w,
                   int h);
// Renders into B: a w x h Format_Indexed8 image whose 16-entry colour table is palette PalI
// (ColorTable). An empty BA leaves B as it was; a w or h of 0 or less makes B a null image.
void MakeBMPImage(QImage& B, const TBlocksArray& BA, QPoint BlockSize, int PalI, bool IsCW, int w,
                  int h);

} // namespace velkora
