// SPDX-License-Identifier: MIT
// The streamed, indexed picture of a whole map: the same RGB, pixel for pixel, as the in-memory
// RenderMap draws and as the workspace shows; the palette the cells need and no more; the
// limits of PNG named before anything is drawn.

#include "maps/MapPicture.h"
#include "palettes/BmpMaker.h"
#include "tests/support/DataRoot.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

using namespace velkora;
using namespace velkora::test;

namespace {

TSpriteInfo Sprite(int Blocks, int Seed) {
    TSpriteInfo s;
    s.Bytes = PatternWords(Blocks, Seed);
    for (int b = 0; b < Blocks; ++b)
        s.Bytes[size_t(b) * 16] = uint16_t(b * 2654435761u >> 16);
    s.GenerateBlocArray();
    return s;
}

QVector<QRgb> Palette(int p) {
    QVector<QRgb> c;
    for (uint32_t v : DistinctPalette(p))
        c << (0xFF000000u | v);
    return c;
}

class MapPictureTest : public ::testing::Test {
protected:
    void Build(int P, int Q, int Blocks2 = 225) {
        Items1.SetPalette(P, Palette(P));
        Items1.SetSpriteInfo(Sprite(225, 1));
        Items2.SetPalette(Q, Palette(Q));
        Items2.SetSpriteInfo(Sprite(Blocks2, 9));
        Pictures.Rebuild(Items1, Items2);
    }
    // The PNG of the map, and its pixels compared with RenderMap's, pixel for pixel.
    TPngPicture ExpectSameAsRenderMap(const TMyByteArray& Cells, int w, int h,
                                      const TPngCompression& c = MapPicture::MapPngCompression()) {
        TMemorySink Sink;
        MapPicture::WriteMapPng(Sink, Cells, w, h, Pictures, c);
        const TPngPicture Png =
            PngFile::DecodePng(Sink.Bytes.data(), Sink.Bytes.size(), false, "map.png");
        const QImage Expected = MapImageItems::RenderMap(Cells, w, h, Pictures);
        EXPECT_EQ(int(Png.Width), Expected.width());
        EXPECT_EQ(int(Png.Height), Expected.height());
        int Differences = 0;
        for (int y = 0; y < Expected.height(); ++y)
            for (int x = 0; x < Expected.width(); ++x) {
                const uint8_t* p = &Png.Pixels[4 * (size_t(y) * Png.Width + size_t(x))];
                Differences += qRgb(p[0], p[1], p[2]) != (Expected.pixel(x, y) | 0xFF000000u);
            }
        EXPECT_EQ(Differences, 0);
        return PngFile::DecodePng(Sink.Bytes.data(), Sink.Bytes.size(), true, "map.png");
    }

    TMapImageItems Items1;
    TMapImageItems Items2;
    TMapCellPictures Pictures;
};

} // namespace

TEST_F(MapPictureTest, TheStreamedPictureIsRenderMapsPixelForPixel) {
    Build(0, 1);
    // Every value, including those that name no item, in a map taller than one band.
    TMyByteArray Cells(17 * 9);
    Rng r(5);
    for (size_t i = 0; i < Cells.size(); ++i)
        Cells[i] = uint8_t(i < 256 ? i : r());
    for (int v = 0; v < 50; ++v)
        Cells[size_t(v)] = uint8_t(v);
    Cells[60] = 50, Cells[61] = 255, Cells[62] = 77;
    const TPngPicture Indexed = ExpectSameAsRenderMap(Cells, 17, 9);
    // Two palettes of 16 distinct colours and the unknown item's three: 35 colours, 8 bits.
    EXPECT_EQ(Indexed.ColorType, 3);
    EXPECT_EQ(Indexed.BitDepth, 8);
    EXPECT_EQ(Indexed.Palette.size(), 35u);
    // --fast draws the same pixels.
    ExpectSameAsRenderMap(Cells, 17, 9, MapPicture::MapPngFastCompression());

    // The same textures in one palette: each colour once.
    Build(1, 1, 18); // the second texture's items 2 to 24 are colour 0 of its palette
    const TPngPicture Shared = ExpectSameAsRenderMap(Cells, 17, 9);
    EXPECT_EQ(Shared.Palette.size(), 19u);
}

TEST_F(MapPictureTest, ThePaletteHoldsTheColoursTheCellsUse) {
    Build(0, 1);
    // Only items of the first texture: its 16 colours, 4 bits a pixel.
    TMyByteArray Cells = {0, 3, 24, 7, 7, 1};
    TPngPicture p = ExpectSameAsRenderMap(Cells, 3, 2);
    EXPECT_EQ(p.BitDepth, 4);
    EXPECT_EQ(p.Palette.size(), 16u);
    // Only values that name no item: the unknown picture's 3 colours, 2 bits.
    Cells = {50, 99, 255, 60};
    p = ExpectSameAsRenderMap(Cells, 2, 2);
    EXPECT_EQ(p.BitDepth, 2);
    EXPECT_EQ(p.Palette.size(), 3u);
}

TEST_F(MapPictureTest, TheWorkspacesPicturesComeFromTheSameIndices) {
    Build(0, 1);
    for (int v : {0, 12, 24, 25, 40, 49, 50, 200}) {
        const TCellIndices& Indices = Pictures.Indices(v);
        const QImage& Picture = Pictures.Picture(v);
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 24; ++x)
                ASSERT_EQ(Picture.pixel(x, y),
                          0xFF000000u | Pictures.Colours()[Indices[size_t(24 * y + x)]])
                    << v << " at " << x << ", " << y;
        // And both are what the items show.
        EXPECT_EQ(Picture, MapImageItems::CellPicture(Items1, Items2, v)) << v;
    }
}

TEST_F(MapPictureTest, PicturesPngCannotHoldAreRefusedBeforeDrawing) {
    Build(0, 1);
    TMemorySink Sink;
    // 89478486 cells of 24 pixels are 2147483664 pixels, over PNG's 2^31 - 1: refused before the
    // cells are even looked at.
    try {
        MapPicture::WriteMapPng(Sink, {}, 89478486, 1, Pictures, MapPicture::MapPngCompression());
        FAIL() << "a picture wider than PNG allows was written";
    } catch (const EFormatError& e) {
        EXPECT_EQ(e.Message(), "A map of 89478486 x 1 cells makes a picture of 2147483664 x 24 "
                               "pixels; a PNG picture is at most 2147483647 pixels on a side");
    }
    EXPECT_THROW(
        MapPicture::WriteMapPng(Sink, {}, 1, 89478486, Pictures, MapPicture::MapPngCompression()),
        EFormatError);
    EXPECT_THROW(MapPicture::WriteMapPng(Sink, {}, 0, 3, Pictures, MapPicture::MapPngCompression()),
                 EFormatError);
    EXPECT_THROW(
        MapPicture::WriteMapPng(Sink, {1, 2, 3}, 2, 2, Pictures, MapPicture::MapPngCompression()),
        EFormatError);
    EXPECT_TRUE(Sink.Bytes.empty());

    // The widest map the format allows is within PNG's limit and past libpng's default one.
    const TMyByteArray Row(65535, 7);
    MapPicture::WriteMapPng(Sink, Row, 65535, 1, Pictures, MapPicture::MapPngFastCompression());
    const TPngPicture p =
        PngFile::DecodePng(Sink.Bytes.data(), Sink.Bytes.size(), true, "wide.png");
    EXPECT_EQ(p.Width, 65535u * 24);
    EXPECT_EQ(p.Height, 24u);
}
