// SPDX-License-Identifier: MIT
#pragma once
// What the workbench's picture shows of a sprite: every whole tile group, laid
// out by the bitmap maker's placement rule for the width of the view at a zoom
// (at 1x in the designed 230-pixel view exactly the bitmap maker's picture,
// continued below it), and the window of that layout a view of a given size
// shows after scrolling. Pure computation over the blocks; the widget that
// shows it is the workbench's Image1.

#include "palettes/BmpMaker.h"
#include "shell/MyTypes.h"

#include <QImage>
#include <QPoint>
#include <QSize>

namespace velkora {

class TSpriteLayoutView {
public:
    static constexpr int MinZoom = 1;
    static constexpr int MaxZoom = 16;

    // The sprite to show (Blocks is referred to, not copied: it must outlive its
    // use here).
    void SetSprite(const TBlocksArray* Blocks, QPoint BlockSize, bool IsCW,
                   const QVector<QRgb>& Colors);
    QPoint BlockSize() const { return fBlockSize; }
    bool IsCW() const { return fIsCW; }
    void SetViewSize(QSize Size) { fView = Size; }
    QSize ViewSize() const { return fView; }
    // Whole steps from 1x to 16x; other values are held within them.
    void SetZoom(int Zoom);
    int Zoom() const { return fZoom; }

    // The layout, in sprite pixels: its width (the view's width at the zoom, at
    // least one group) and the tile groups of each band; a last group with blocks
    // missing counts.
    int LayoutWidth() const;
    int64_t GroupsPerBand() const;
    int64_t Groups() const;
    int64_t Bands() const;
    int64_t LayoutHeight() const { return Bands() * 8 * fBlockSize.y(); }
    // The zoomed layout in screen pixels.
    int64_t ContentWidth() const { return int64_t(LayoutWidth()) * fZoom; }
    int64_t ContentHeight() const;

    // The tile edges (thin) and the tile groups' edges (strong) over the picture;
    // each tile's number in its top left corner at 4x and above.
    void SetShowGrid(bool Show) { fShowGrid = Show; }
    bool ShowGrid() const { return fShowGrid; }
    void SetShowNumbers(bool Show) { fShowNumbers = Show; }
    bool ShowNumbers() const { return fShowNumbers; }
    static constexpr int NumbersZoom = 4;
    static QRgb GridColor(bool Group) {
        return Group ? qRgb(0x20, 0x30, 0xE0) : qRgb(0x70, 0x80, 0xFF);
    }

    // The view's picture with the layout's top left corner at -Scroll: the tiles'
    // colours, a grey checkerboard wherever no tile is drawn (the places of a
    // last group's missing blocks too). A null image for a sprite without a tile.
    // Ratio: device pixels to a view pixel; the picture has one pixel a device
    // pixel (and that ratio), each the colour of the view pixel it lies in, so
    // that a screen of any density shows it sharp.
    QImage Render(QPoint Scroll, qreal Ratio = 1) const;

    // The sprite pixel under point P of the view; false where no tile is drawn.
    struct TPixel {
        int64_t Block = 0;
        int X = 0; // in the tile
        int Y = 0;
        int Index = 0; // colour index
        QRgb Color = 0;
    };
    bool PixelAt(QPoint P, QPoint Scroll, TPixel& Pixel) const;
    // Where block Block's top left pixel lies in the zoomed layout (screen
    // pixels).
    QPoint BlockOrigin(int64_t Block) const;
    // The layout pixel under point P of the view (it may lie outside the layout).
    QPoint LayoutPixel(QPoint P, QPoint Scroll) const;
    // The block drawn at layout pixel (x, y), or -1 where none is.
    int64_t BlockAt(int64_t x, int64_t y) const;

    // The colours of the checkerboard.
    static QRgb CheckerColor(int x, int y);

private:
    // Draws the grid and the numbers over Image, the view's picture (device
    // pixels).
    void DrawOverlay(QImage& Image, QPoint Scroll, qreal Ratio) const;

    const TBlocksArray* fBlocks = nullptr;
    QPoint fBlockSize{1, 1};
    bool fIsCW = true;
    QVector<QRgb> fColors;
    QSize fView{230, 96};
    int fZoom = 1;
    bool fShowGrid = false;
    bool fShowNumbers = false;
};

} // namespace velkora
