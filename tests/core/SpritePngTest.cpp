// SPDX-License-Identifier: MIT
// The placement of a sprite's blocks in its PNG picture and its inverse, for every size, order
// and column count; the layout text.

#include "palettes/SpritePng.h"
#include "palettes/BmpMaker.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

using namespace velkora;
using namespace velkora::test;

namespace {

// Blocks whose pixels are 1 to 15 (never 0), so that every pixel of a block shows.
TBlocksArray SeededBlocks(int64_t n, unsigned Seed) {
    Rng r(Seed);
    TBlocksArray Blocks(static_cast<size_t>(n));
    for (TBlock& b : Blocks)
        for (auto& Row : b)
            for (uint8_t& Byte : Row)
                Byte = uint8_t((1 + r() % 15) << 4 | (1 + r() % 15));
    return Blocks;
}

int PixelOf(const TBlock& b, int x, int y) {
    const uint8_t Byte = b[size_t(y)][size_t(x / 2)];
    return x % 2 ? Byte & 15 : Byte >> 4;
}

} // namespace

TEST(SpritePng, GeometryOfTheLayout) {
    const int Columns[5] = {16, 8, 5, 2, 1};
    for (int s = 0; s < 5; ++s)
        EXPECT_EQ(SpritePng::DefaultSpriteColumns(s), Columns[s]) << s;

    // 600 blocks of 16x16 (4 blocks a group), 8 to a row: 150 groups in 19 rows.
    TSpriteLayout L{600, 1, true, 8};
    EXPECT_EQ(L.Groups(), 150);
    EXPECT_EQ(L.Width(), 128);
    EXPECT_EQ(L.Height(), 19 * 16);
    // 10 blocks of 96x32 (48 a group): one partial group.
    L = {10, 4, false, 1};
    EXPECT_EQ(L.Groups(), 1);
    EXPECT_EQ(L.Width(), 96);
    EXPECT_EQ(L.Height(), 32);

    EXPECT_EQ(SpritePng::SpriteLayoutText({600, 1, true, 8}), "blocks=600 size=16x16 order=cw");
    EXPECT_EQ(SpritePng::SpriteLayoutText({7, 4, false, 1}), "blocks=7 size=96x32 order=ccw");
    TSpriteLayout Read;
    ASSERT_TRUE(SpritePng::ParseSpriteLayoutText("blocks=7 size=96X32 order=CCW", Read));
    EXPECT_EQ(Read.Blocks, 7);
    EXPECT_EQ(Read.SizeIndex, 4);
    EXPECT_FALSE(Read.IsCW);
    for (const char* Bad :
         {"", "blocks=7", "blocks=0 size=8x8 order=cw", "blocks=x size=8x8 order=cw",
          "blocks=7 size=9x9 order=cw", "blocks=7 size=8x8 order=up", "size=8x8 blocks=7 order=cw",
          "blocks=7 size=8x8 order=cw more"}) {
        TSpriteLayout Kept{3, 2, false, 1};
        EXPECT_FALSE(SpritePng::ParseSpriteLayoutText(Bad, Kept)) << Bad;
        EXPECT_EQ(Kept.Blocks, 3) << Bad;
    }
}

TEST(SpritePng, PlacementAndItsInverseForEverySizeOrderAndColumnCount) {
    for (int s = 0; s < 5; ++s) {
        const int X = SpriteSize[size_t(s)].x();
        const int Y = SpriteSize[size_t(s)].y();
        const int PerGroup = X * Y;
        for (bool IsCW : {true, false})
            for (int64_t Columns : {1, 2, 3, SpritePng::DefaultSpriteColumns(s), 7})
                for (int64_t Blocks : {int64_t(1), int64_t(PerGroup), int64_t(5 * PerGroup + 1),
                                       int64_t(11 * PerGroup - 1)}) {
                    SCOPED_TRACE(testing::Message() << "size " << s << " cw " << IsCW << " columns "
                                                    << Columns << " blocks " << Blocks);
                    const TBlocksArray BA = SeededBlocks(Blocks, unsigned(s * 100 + Blocks));
                    const TSpriteLayout L{Blocks, s, IsCW, Columns};
                    const int64_t w = L.Width();
                    const int64_t h = L.Height();
                    ASSERT_EQ(w, Columns * 8 * X);
                    ASSERT_EQ(h, (((Blocks + PerGroup - 1) / PerGroup + Columns - 1) / Columns) *
                                     8 * Y);
                    TMyByteArray Picture(size_t(w * h), 0xEE);
                    SpritePng::PlaceSpriteBlocks(BA, L, 0, h, Picture.data());

                    // Each block where the rule puts it, counted from the picture's corner.
                    for (int64_t b = 0; b < Blocks; ++b) {
                        const int64_t g = b / PerGroup, k = b % PerGroup;
                        const int64_t Row = IsCW ? k / X : k % Y;
                        const int64_t Col = IsCW ? k % X : k / Y;
                        const int64_t x0 = (g % Columns) * 8 * X + 8 * Col;
                        const int64_t y0 = (g / Columns) * 8 * Y + 8 * Row;
                        for (int y = 0; y < 8; ++y)
                            for (int x = 0; x < 8; ++x)
                                ASSERT_EQ(Picture[size_t((y0 + y) * w + x0 + x)],
                                          PixelOf(BA[size_t(b)], x, y))
                                    << "block " << b << " at " << x << ", " << y;
                    }
                    // Everything else is index 0.
                    EXPECT_EQ(std::count(Picture.begin(), Picture.end(), 0), w * h - 64 * Blocks);

                    // Any band of rows is the same slice of the whole.
                    const int64_t First = std::min<int64_t>(h - 1, 8 * Y - 3), Count = 8 * Y;
                    const int64_t n = std::min(Count, h - First);
                    TMyByteArray Band(size_t(w * n));
                    SpritePng::PlaceSpriteBlocks(BA, L, First, n, Band.data());
                    EXPECT_TRUE(
                        std::equal(Band.begin(), Band.end(), Picture.begin() + long(First * w)));

                    EXPECT_EQ(SpritePng::TakeSpriteBlocks(Picture.data(), L), BA);
                }
    }
}
