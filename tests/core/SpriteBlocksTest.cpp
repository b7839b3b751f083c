// SPDX-License-Identifier: MIT
// Where the sprite codec and the PNG road meet: the blocks as the codec makes them from the words
// and as the PNG road gives the words back; the picture of the largest sprite the compressed form
// holds.

#include "palettes/SpritePng.h"
#include "sprites/CompDecompUnit.h"
#include "tests/support/TestSupport.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace velkora;
using namespace velkora::test;

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
