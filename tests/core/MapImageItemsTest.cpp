// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "maps/MapImageItems.h"
#include "palettes/BmpMaker.h"
#include "tests/support/DataRoot.h"

#include <climits>

using namespace velkora;

namespace {

// A sprite of Blocks tiles with a pattern that tells the tiles apart.
TSpriteInfo Sprite(int Blocks, int Seed = 3) {
    TSpriteInfo s;
    s.Bytes = test::PatternWords(Blocks, Seed);
    // Give each tile a distinct first word so that a misplaced tile shows.
    for (int b = 0; b < Blocks; ++b)
        s.Bytes[size_t(b) * 16] = uint16_t(b * 2654435761u >> 16);
    s.GenerateBlocArray();
    return s;
}

// The colour index of pixel (x, y) of item i, taken straight from the blocks: item i is the
// 3 x 3 group of blocks 9i to 9i + 8, row by row.
int ExpectedIndex(const TSpriteInfo& s, int i, int x, int y) {
    const TBlock& b = s.BlocksArray[size_t(9 * i + 3 * (y / 8) + x / 8)];
    const uint8_t Byte = b[size_t(y % 8)][size_t((x % 8) / 2)];
    return (x % 2) ? (Byte & 15) : (Byte >> 4);
}

void ExpectItem(const QImage& Item, const TSpriteInfo& s, int i) {
    ASSERT_EQ(Item.size(), QSize(24, 24));
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 24; ++x)
            ASSERT_EQ(Item.pixelIndex(x, y), ExpectedIndex(s, i, x, y))
                << "item " << i << " at " << x << ", " << y;
}

void ExpectColour0(const QImage& Item) {
    ASSERT_EQ(Item.size(), QSize(24, 24));
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 24; ++x)
            ASSERT_EQ(Item.pixelIndex(x, y), 0) << x << ", " << y;
}

class MapImageItemsTest : public ::testing::Test {
protected:
    TPalletteList PalletteArray;

    void SetUp() override {
        PalletteArray.assign(2, TPallette());
        for (int p = 0; p < 2; ++p)
            for (int c = 0; c < 16; ++c) {
                const uint32_t v = test::DistinctPalette(p)[size_t(c)];
                PalletteArray[size_t(p)].Col[size_t(c)] =
                    TCol{uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
            }
    }
};

} // namespace

TEST_F(MapImageItemsTest, AFullTextureGivesTwentyFiveItemsCutFromTheStrip) {
    TMapImageItems Items;
    EXPECT_EQ(TMapImageItems::SpriteCount, 25);
    EXPECT_EQ(TMapImageItems::ItemSize, 24);
    EXPECT_EQ(Items.LastItemIndex(), 24);
    EXPECT_TRUE(Items.FullBmp().isNull());

    const TSpriteInfo s = Sprite(225);
    Items.SetSpriteInfo(s);
    EXPECT_EQ(Items.SpriteInfo().Bytes, s.Bytes);
    ASSERT_EQ(Items.FullBmp().size(), QSize(25, 700));
    EXPECT_EQ(Items.FullBmp().colorTable(), BmpMaker::GreyRamp());
    for (int i = 0; i < 25; ++i)
        ExpectItem(Items.Item(i), s, i);
    // Item 24 is blocks 216 to 224; below it the strip stays colour 0, as does pixel column 24.
    for (int y = 600; y < 700; ++y)
        for (int x = 0; x < 25; ++x)
            ASSERT_EQ(Items.FullBmp().pixelIndex(x, y), 0);
    for (int y = 0; y < 600; ++y)
        ASSERT_EQ(Items.FullBmp().pixelIndex(24, y), 0);
}

TEST_F(MapImageItemsTest, MissingGroupsAreColour0AndSurplusBlocksAreNotShown) {
    TMapImageItems Few;
    const TSpriteInfo s18 = Sprite(18);
    Few.SetSpriteInfo(s18);
    ExpectItem(Few.Item(0), s18, 0);
    ExpectItem(Few.Item(1), s18, 1);
    for (int i = 2; i <= 24; ++i)
        ExpectColour0(Few.Item(i));

    TMapImageItems Many;
    const TSpriteInfo s230 = Sprite(230);
    Many.SetSpriteInfo(s230);
    for (int i = 0; i < 25; ++i)
        ExpectItem(Many.Item(i), s230, i);
    // Blocks 225 to 229 make no whole group.
    ExpectColour0(Many.Item(25));

    // Items 25 to 28 lie inside the strip and show what was drawn there.
    TMapImageItems Full;
    const TSpriteInfo s270 = Sprite(270);
    Full.SetSpriteInfo(s270);
    ExpectItem(Full.Item(28), s270, 28);
    ExpectColour0(Full.Item(29));
}

TEST_F(MapImageItemsTest, APaletteChangeShowsOnlyFromTheNextRedraw) {
    TMapImageItems Items;
    Items.SetSpriteInfo(Sprite(225));
    Items.SetPalette(1, BmpMaker::ColorTable(PalletteArray, 1));
    EXPECT_EQ(Items.PaletteIndex(), 1);
    EXPECT_EQ(Items.Item(0).colorTable(), BmpMaker::GreyRamp());
    EXPECT_EQ(Items.FullBmp().colorTable(), BmpMaker::GreyRamp());

    Items.SetSpriteInfo(Items.SpriteInfo());
    EXPECT_EQ(Items.Item(0).colorTable(), BmpMaker::ColorTable(PalletteArray, 1));
    EXPECT_EQ(Items.Item(0).pixel(0, 0),
              BmpMaker::PaletteColor(PalletteArray, 1, Items.Item(0).pixelIndex(0, 0)));

    Items.SetPalette(0, BmpMaker::ColorTable(PalletteArray, 0));
    Items.Refresh();
    EXPECT_EQ(Items.Item(0).colorTable(), BmpMaker::ColorTable(PalletteArray, 0));

    // A sprite without blocks leaves the strip as it was.
    const QImage Before = Items.FullBmp();
    Items.SetSpriteInfo(TSpriteInfo());
    EXPECT_EQ(Items.FullBmp(), Before);
}

TEST_F(MapImageItemsTest, EveryItemRequestFillsTheOneSharedImage) {
    TMapImageItems Items;
    const TSpriteInfo s = Sprite(225);
    Items.SetSpriteInfo(s);
    QImage* First = &Items.Item(3);
    QImage* Second = &Items.Item(7);
    EXPECT_EQ(First, Second);
    ExpectItem(*First, s, 7);
}

TEST_F(MapImageItemsTest, ItemsOutsideTheStripAreColour0) {
    TMapImageItems Empty;
    ExpectColour0(Empty.Item(0));

    TMapImageItems Items;
    Items.SetSpriteInfo(Sprite(261));
    for (const int i : {-1, -25, 29, 30, 1000, INT_MAX, INT_MIN, INT_MAX / 24 + 1}) {
        const QImage& Item = Items.Item(i);
        ExpectColour0(Item);
        EXPECT_EQ(Item.colorTable(), BmpMaker::GreyRamp()) << i;
    }
}

TEST_F(MapImageItemsTest, CellValuesNameItemsOfTheTwoTexturesOrTheUnknownPicture) {
    TMapImageItems Items1;
    TMapImageItems Items2;
    Items1.SetSpriteInfo(Sprite(225, 1));
    Items2.SetPalette(1, BmpMaker::ColorTable(PalletteArray, 1));
    Items2.SetSpriteInfo(Sprite(225, 9));
    TMapCellPictures Pictures;
    Pictures.Rebuild(Items1, Items2);

    for (int v = 0; v < 50; ++v) {
        const QImage Expected = v < 25 ? Items1.Item(v).convertToFormat(QImage::Format_RGB32)
                                       : Items2.Item(v - 25).convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(Pictures.Picture(v), Expected) << v;
        EXPECT_EQ(MapImageItems::CellPicture(Items1, Items2, v), Expected) << v;
    }
    EXPECT_EQ(Pictures.Picture(24), Items1.Item(24).convertToFormat(QImage::Format_RGB32));
    EXPECT_EQ(Pictures.Picture(25), Items2.Item(0).convertToFormat(QImage::Format_RGB32));

    const QImage& Unknown = MapImageItems::UnknownItemPicture();
    ASSERT_EQ(Unknown.size(), QSize(24, 24));
    for (const int v : {50, 60, 0xFE, 255, -1}) {
        EXPECT_EQ(Pictures.Picture(v), Unknown) << v;
        EXPECT_EQ(MapImageItems::CellPicture(Items1, Items2, v), Unknown) << v;
    }
    // It is marked: a red cross on a dark ground, unlike any plain item.
    EXPECT_GT(qRed(Unknown.pixel(12, 12)), 200);
    EXPECT_LT(qGreen(Unknown.pixel(12, 12)), 60);
    EXPECT_LT(qGray(Unknown.pixel(12, 2)), 100);
}

TEST_F(MapImageItemsTest, TheHighlightFrameIsARedSquareOf23Pixels) {
    QImage p(24, 24, QImage::Format_RGB32);
    p.fill(qRgb(1, 2, 3));
    MapImageItems::DrawHighlightFrame(p);
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 24; ++x) {
            const bool OnFrame = (x == 0 || x == 22 || y == 0 || y == 22) && x <= 22 && y <= 22;
            ASSERT_EQ(p.pixel(x, y), OnFrame ? qRgb(255, 0, 0) : qRgb(1, 2, 3)) << x << ", " << y;
        }
}

TEST_F(MapImageItemsTest, AMapRendersCellByCell) {
    TMapImageItems Items1;
    TMapImageItems Items2;
    Items1.SetSpriteInfo(Sprite(225, 1));
    Items2.SetSpriteInfo(Sprite(225, 5));
    TMapCellPictures Pictures;
    Pictures.Rebuild(Items1, Items2);

    const TMyByteArray Cells = {0, 24, 25, 49, 60, 7};
    const QImage Map = MapImageItems::RenderMap(Cells, 3, 2, Pictures);
    ASSERT_EQ(Map.size(), QSize(72, 48));
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(Map.copy((i % 3) * 24, (i / 3) * 24, 24, 24), Pictures.Picture(Cells[size_t(i)]))
            << i;

    EXPECT_THROW(MapImageItems::RenderMap(Cells, 2, 2, Pictures), EFormatError);
    EXPECT_THROW(MapImageItems::RenderMap({}, 0, 5, Pictures), EFormatError);
    // 700 x 700 cells make 16800 x 16800 pixels: refused before anything is allocated.
    try {
        MapImageItems::RenderMap(TMyByteArray(700 * 700), 700, 700, Pictures);
        FAIL() << "a map picture over the limit was drawn";
    } catch (const EFormatError& e) {
        EXPECT_TRUE(e.Message().contains("16800 x 16800")) << e.Message().toStdString();
    }
}
