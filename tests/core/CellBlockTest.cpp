// SPDX-License-Identifier: MIT
// Blocks of cells apart from a map: the resize of a map's cells, the mirrored stamp, and the two
// clipboard forms, read back and refused when they are of another shape.

#include "maps/CellBlock.h"

#include <gtest/gtest.h>

using namespace velkora;

TEST(CellBlock, ResizeKeepsEveryCellThatLandsInsideWithAnyOffset) {
    // 4 x 3, cell (x, y) = 10 * y + x.
    TMyByteArray Cells;
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            Cells.push_back(uint8_t(10 * y + x));
    const int F = 99;
    auto Resized = [&](int W, int H, int DX, int DY) {
        return CellBlocks::ResizeCells(Cells, 4, 3, W, H, DX, DY, F);
    };
    EXPECT_EQ(Resized(4, 3, 0, 0), Cells);
    EXPECT_EQ(Resized(2, 2, 0, 0), TMyByteArray({0, 1, 10, 11}));
    EXPECT_EQ(Resized(3, 2, -2, -1), TMyByteArray({12, 13, F, 22, 23, F}));
    EXPECT_EQ(Resized(5, 4, 1, 2),
              TMyByteArray({F, F, F, F, F, F, F, F, F, F, F, 0, 1, 2, 3, F, 10, 11, 12, 13}));
    // Offsets that move the whole map out leave only the fill.
    EXPECT_EQ(Resized(2, 2, 4, 0), TMyByteArray(4, F));
    EXPECT_EQ(Resized(2, 2, -65535, 65535), TMyByteArray(4, F));
    EXPECT_THROW(Resized(0, 2, 0, 0), EFormatError);
    EXPECT_THROW(Resized(2, 65536, 0, 0), EFormatError);
}

TEST(CellBlock, FlipsMirrorTheArrangementWithItsHoles) {
    const TCellBlock b(3, 2, {1, 2, 3, 4, 5, 6}, {1, 0, 1, 1, 1, 1});
    EXPECT_TRUE(b.HasHoles());
    EXPECT_EQ(b.At(1, 0), -1);
    EXPECT_EQ(b.At(3, 0), -1);
    const TCellBlock x = b.Flipped(true, false);
    EXPECT_EQ(x.Values(), TMyByteArray({3, 2, 1, 6, 5, 4}));
    EXPECT_EQ(x.At(1, 0), -1);
    const TCellBlock y = b.Flipped(false, true);
    EXPECT_EQ(y.Values(), TMyByteArray({4, 5, 6, 1, 2, 3}));
    EXPECT_EQ(y.At(1, 1), -1);
    EXPECT_EQ(b.Flipped(true, true).Flipped(true, true), b);
    // A mask without holes is dropped.
    EXPECT_FALSE(TCellBlock(1, 1, {7}, {1}).HasHoles());
}

TEST(CellBlock, ClipboardFormsRoundTripAndRefuseOtherShapes) {
    const TCellBlock b(3, 2, {0, 12, 255, 4, 5, 6}, {1, 1, 1, 0, 1, 1});
    EXPECT_EQ(CellBlocks::ToText(b), "0 12 255\n- 5 6\n");
    EXPECT_EQ(CellBlocks::FromText(CellBlocks::ToText(b))->At(0, 1), -1);
    EXPECT_EQ(CellBlocks::FromText(CellBlocks::ToText(b))->Values(),
              TMyByteArray({0, 12, 255, 0, 5, 6}));
    EXPECT_EQ(CellBlocks::FromBytes(CellBlocks::ToBytes(b)), b);
    const TCellBlock Plain(2, 1, {3, 4});
    EXPECT_EQ(CellBlocks::FromBytes(CellBlocks::ToBytes(Plain)), Plain);

    // Text as a text editor leaves it: tabs, several spaces, CR LF, blank lines at the end.
    const auto t = CellBlocks::FromText("1\t2  3\r\n 4 5 6\r\n\n");
    ASSERT_TRUE(t);
    EXPECT_EQ(*t, TCellBlock(3, 2, {1, 2, 3, 4, 5, 6}));
    for (const char* Bad : {"", "1 2\n3\n", "1 256\n", "a b\n", "1 -2\n", "0x10\n"})
        EXPECT_FALSE(CellBlocks::FromText(Bad)) << Bad;

    QByteArray Bytes = CellBlocks::ToBytes(Plain);
    EXPECT_FALSE(CellBlocks::FromBytes(Bytes.left(Bytes.size() - 1)));
    EXPECT_FALSE(CellBlocks::FromBytes(Bytes + 'x'));
    Bytes[0] = 'X';
    EXPECT_FALSE(CellBlocks::FromBytes(Bytes));
    // Declared sizes far beyond the bytes are refused before anything is made of them.
    QByteArray Huge = CellBlocks::ToBytes(Plain);
    Huge[4] = char(0xFF);
    Huge[5] = char(0xFF);
    Huge[6] = char(0xFF);
    EXPECT_FALSE(CellBlocks::FromBytes(Huge));
}
