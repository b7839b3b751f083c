// SPDX-License-Identifier: MIT
// The overview's picture of a whole map: the mean colour of the cells each pixel covers, kept up
// to date by rectangles.

#include "maps/MapOverview.h"

#include <gtest/gtest.h>

using namespace velkora;

namespace {

TMeanColours TestColours() {
    TMeanColours c{};
    for (int v = 0; v < 256; ++v)
        c[size_t(v)] = qRgb(v, (v * 37) % 256, 255 - v);
    return c;
}

// The mean of the cells of the block at pixel (px, py), computed cell by cell.
QRgb BlockMean(const TMyByteArray& Cells, int w, int h, int Block, int px, int py,
               const TMeanColours& Colours) {
    int r = 0, g = 0, b = 0, n = 0;
    for (int y = py * Block; y < std::min(h, (py + 1) * Block); ++y)
        for (int x = px * Block; x < std::min(w, (px + 1) * Block); ++x) {
            const QRgb c = Colours[Cells[size_t(y * w + x)]];
            r += qRed(c);
            g += qGreen(c);
            b += qBlue(c);
            ++n;
        }
    return qRgb((r + n / 2) / n, (g + n / 2) / n, (b + n / 2) / n);
}

void ExpectMeans(const TMapOverview& o, const TMyByteArray& Cells, int w, int h,
                 const TMeanColours& Colours) {
    const QImage& p = o.Picture();
    for (int py = 0; py < p.height(); ++py)
        for (int px = 0; px < p.width(); ++px)
            ASSERT_EQ(p.pixel(px, py) & 0xFFFFFFu,
                      BlockMean(Cells, w, h, o.Block(), px, py, Colours) & 0xFFFFFFu)
                << px << "," << py;
}

} // namespace

TEST(MapOverview, OnePixelPerCellWhileTheMapFitsElseTheMeanOfEachBlock) {
    const TMeanColours Colours = TestColours();
    // 10 x 5 fits: each pixel is its cell's colour.
    TMyByteArray Small(50);
    for (size_t i = 0; i < Small.size(); ++i)
        Small[i] = uint8_t(i * 7);
    TMapOverview o;
    o.Rebuild(Small, 10, 5, Colours);
    EXPECT_EQ(o.Block(), 1);
    EXPECT_EQ(o.Picture().size(), QSize(10, 5));
    EXPECT_EQ(o.Picture().pixel(3, 2), Colours[size_t(23 * 7 % 256)] | 0xFF000000u);

    // 40 x 20 into 16 pixels a side: blocks of 3 x 3, the last ones cut by the map's edges.
    TMyByteArray Cells(800);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x)
            Cells[size_t(y * 40 + x)] = uint8_t((x * x + 3 * y) % 50);
    TMapOverview Blocks(16);
    Blocks.Rebuild(Cells, 40, 20, Colours);
    EXPECT_EQ(Blocks.Block(), 3);
    EXPECT_EQ(Blocks.Picture().size(), QSize(14, 7));
    ExpectMeans(Blocks, Cells, 40, 20, Colours);

    // An edit redraws the pixels over it, as a rebuild would draw them.
    for (int y = 4; y <= 11; ++y)
        for (int x = 17; x <= 30; ++x)
            Cells[size_t(y * 40 + x)] = 200;
    const QImage Before = Blocks.Picture();
    Blocks.Update(Cells, QRect(QPoint(17, 4), QPoint(30, 11)));
    ExpectMeans(Blocks, Cells, 40, 20, Colours);
    EXPECT_EQ(Blocks.Picture().pixel(0, 0), Before.pixel(0, 0));

    // Huge blocks are sampled: one value shows as itself, and an empty map as nothing.
    TMapOverview Wide(2);
    Wide.Rebuild(TMyByteArray(6000, 9), 600, 10, Colours);
    EXPECT_EQ(Wide.Block(), 300);
    EXPECT_EQ(Wide.Picture().size(), QSize(2, 1));
    EXPECT_EQ(Wide.Picture().pixel(1, 0), Colours[9] | 0xFF000000u);
    Wide.Rebuild(TMyByteArray(), 0, 0, Colours);
    EXPECT_TRUE(Wide.Picture().isNull());
    Wide.Update(TMyByteArray(), QRect(0, 0, 5, 5));
}
