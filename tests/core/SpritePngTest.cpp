// The placement of a sprite's blocks in its PNG picture and its inverse, for every size, order
// and column count; the layout text.

#include "palettes/SpritePng.h"
#include "palettes/BmpMaker.h"
#include "sprites/CompDecompUnit.h"
#include "tests/support/TestSupport.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace velkora;
using namespace velkora::test;

namespace {

// Blocks whose pixels are 1 to 15 (never 0), so that every pixel of a block shows.
TBlocksArray SeededBlocks(int64_t n, unsigned Seed) {
    Rng r(Seed);
    TMyArray Words(size_t(n) * 16);
    for (uint16_t& w : Words) {
        w = 0;
        for (int k = 0; k < 4; ++k)
            w = uint16_t(w << 4 | (1 + r() % 15));
    }
    return CompDecompUnit::MakeBlockArray(Words);
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

TEST(SpritePng, WordsOfBlocksIsTheInverseOfMakeBlockArray) {
    Rng r(3);
    TMyArray Words(16 * 9);
    for (uint16_t& w : Words)
        w = uint16_t(r());
    EXPECT_EQ(SpritePng::WordsOfBlocks(CompDecompUnit::MakeBlockArray(Words)), Words);
}

TEST(SpritePng, ThePictureOfTheLargestCompressedSpriteCanBeWrittenAndReadBack) {
    // The compressed form's header allows at most 255 x 65535 x 8 bytes of planes: 4,177,856
    // blocks. Its picture, in every size with the default columns, is within what the reader
    // takes; the writer refuses anything larger before writing.
    const int64_t Largest = int64_t(255) * 65535 * 8 / 32;
    TMyByteArray Huge(30, 0);
    Huge[1] = 0x02, Huge[2] = 0xFF, Huge[3] = 0xFF, Huge[20] = 0xFF, Huge[21] = 0xFF;
    TMyArray Words;
    CompDecompUnit::DeCompress(Huge, Words);
    EXPECT_EQ(Words.size(), size_t(Largest) * 16);
    Words = TMyArray();
    for (int Size = 0; Size < 5; ++Size)
        for (bool IsCW : {true, false}) {
            const TSpriteLayout L{Largest, Size, IsCW, SpritePng::DefaultSpriteColumns(Size)};
            EXPECT_LE(uint64_t(L.Width()) * uint64_t(L.Height()), PngMaxReadPixels) << Size;
        }
    TempDir Dir;
    const TBlocksArray One(1);
    const QVector<QRgb> Colours(16, qRgb(1, 2, 3));
    try {
        SpritePng::ExportSpritePng(Dir.file("wide.png"), One, 0, true, 4200000, Colours);
        FAIL() << "written";
    } catch (const EFormatError& e) {
        EXPECT_EQ(e.Message(), "A picture of 33600000 x 8 pixels cannot be written: a picture is "
                               "read back up to 268435456 pixels");
    }
    EXPECT_FALSE(QFile::exists(Dir.file("wide.png")));
}
