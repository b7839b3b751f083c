// SPDX-License-Identifier: MIT
// The sprite codec: golden files, the fast codec against the bit-by-bit reference on seeded
// random input, the uncompressed layout, hostile headers, and the tile block array.

#include "sprites/CodecAvx2.h"
#include "sprites/CodecAvx512.h"
#include "sprites/CompDecompUnit.h"
#include "sprites/SpriteEditor.h"
#include "tests/support/ReferenceCodec.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <memory>

using namespace velkora;
using namespace velkora::test;

namespace {

// Decodes from a copy of exactly the file's size, so that a sanitizer build catches any read
// past its end (a vector's spare capacity would hide it).
TMyArray Decode(const TMyByteArray& File) {
    const std::unique_ptr<uint8_t[]> Exact(new uint8_t[File.size()]);
    std::copy(File.begin(), File.end(), Exact.get());
    TMyArray Words = {0xDEAD}; // must be emptied first
    CompDecompUnit::DeCompress(Exact.get(), File.size(), Words);
    return Words;
}

TMyByteArray IdentityTable() {
    TMyByteArray t;
    for (int i = 0; i < 16; ++i)
        t.push_back(uint8_t(i));
    return t;
}

TMyByteArray Concat(std::initializer_list<TMyByteArray> Parts) {
    TMyByteArray r;
    for (const auto& p : Parts)
        r.insert(r.end(), p.begin(), p.end());
    return r;
}

// The 54-byte file: one tile whose even rows are 0123 4567 and odd rows 89AB CDEF.
TMyByteArray File54() {
    return Concat({Bytes({0x00, 0x02, 0xFF, 0x01}), IdentityTable(), Bytes({0x00, 0x04}),
                   Bytes({0xFF, 0xFF, 0xFF, 0x55}), TMyByteArray(8, 0x55), TMyByteArray(8, 0x0F),
                   TMyByteArray(8, 0x33), TMyByteArray(4, 0xFF)});
}

TMyArray Words54() {
    TMyArray w;
    for (int i = 0; i < 4; ++i)
        w.insert(w.end(), {0x0123, 0x4567, 0x89AB, 0xCDEF});
    return w;
}

// Words drawn from a few pixel values, so that plane bytes, map bytes and count ties vary.
TMyArray RandomWords(Rng& R, size_t Count) {
    const int Values = 1 + int(R() % 16);
    TMyArray w(Count);
    for (auto& v : w) {
        uint16_t x = 0;
        for (int k = 0; k < 4; ++k)
            x = uint16_t(x << 4 | (R() % 4 == 0 ? R() % 16 : R() % unsigned(Values)));
        v = x;
    }
    return w;
}

TMyArray WholeTiles(TMyArray w) {
    w.resize(w.size() / 16 * 16);
    return w;
}

// Every codec test runs three ways: with the processor's widest inner loops, with the AVX2 ones
// alone, and with the portable code alone, so that each is checked on any machine that has it
// (where the processor lacks a set of loops, that run checks the next one down).
enum class TPath { Wide, Avx2, Portable };

class Codec : public ::testing::TestWithParam<TPath> {
protected:
    void SetUp() override {
        codec_avx512::SetEnabled(GetParam() == TPath::Wide);
        codec_avx2::SetEnabled(GetParam() != TPath::Portable);
    }
    void TearDown() override {
        codec_avx512::SetEnabled(true);
        codec_avx2::SetEnabled(true);
    }
};

} // namespace

INSTANTIATE_TEST_SUITE_P(Paths, Codec, ::testing::Values(TPath::Wide, TPath::Avx2, TPath::Portable),
                         [](const ::testing::TestParamInfo<TPath>& i) {
                             return i.param == TPath::Wide   ? "Wide"
                                    : i.param == TPath::Avx2 ? "Avx2"
                                                             : "Portable";
                         });

TEST_P(Codec, GoldenFilesDecodeAndEncodeExactly) {
    EXPECT_EQ(Decode(File54()), Words54());
    EXPECT_EQ(CompDecompUnit::Compress(Words54()), File54());

    const TMyByteArray Empty =
        Concat({Bytes({0x00, 0x02, 0xFF, 0x01}), IdentityTable(), Bytes({0x00, 0x00})});
    EXPECT_EQ(CompDecompUnit::Compress({}), Empty);
    EXPECT_EQ(Empty.size(), 22u);
    EXPECT_TRUE(Decode(Empty).empty());

    const TMyByteArray Ones =
        Concat({Bytes({0x00, 0x02, 0xFF, 0x01, 0x01, 0x00}), Bytes({2, 3, 4, 5, 6, 7, 8, 9}),
                Bytes({10, 11, 12, 13, 14, 15}), Bytes({0x00, 0x04, 0, 0, 0, 0})});
    EXPECT_EQ(CompDecompUnit::Compress(TMyArray(16, 0x1111)), Ones);
    EXPECT_EQ(Decode(Ones), TMyArray(16, 0x1111));

    TMyArray One(16, 0);
    One[0] = 0x0001;
    const TMyByteArray File28 = Concat({Bytes({0x00, 0x02, 0xFF, 0x01}), IdentityTable(),
                                        Bytes({0x00, 0x04, 0x80, 0x00, 0x00, 0x00, 0x10, 0x00})});
    EXPECT_EQ(CompDecompUnit::Compress(One), File28);
    EXPECT_EQ(Decode(File28), One);
}

TEST_P(Codec, CompressedHeaderCases) {
    auto Header = [](int BytesPerBit, TMyByteArray Table, int MapBytes) {
        return Concat({Bytes({0x00, 0x02, 0xFF, BytesPerBit}), Table,
                       Bytes({MapBytes >> 8, MapBytes & 0xFF})});
    };
    // No map bytes, or chunks of no bytes: no tiles.
    EXPECT_TRUE(Decode(Concat({Header(1, IdentityTable(), 0), Bytes({0xFF, 1, 2})})).empty());
    EXPECT_TRUE(Decode(Concat({Header(0, IdentityTable(), 8), TMyByteArray(8, 0xFF)})).empty());

    // An all-zero map: every pixel is code 0.
    TMyByteArray Table = IdentityTable();
    Table[0] = 0x0A;
    EXPECT_EQ(Decode(Concat({Header(1, Table, 8), TMyByteArray(8, 0)})), TMyArray(32, 0xAAAA));

    // Table entries above 15 spill into the neighbouring nibbles by the word formula.
    Table[0] = 0x1F;
    const uint16_t Spill = uint16_t(((0x1F * 16 + 0x1F) * 16 + 0x1F) * 16 + 0x1F);
    EXPECT_EQ(Decode(Concat({Header(1, Table, 4), TMyByteArray(4, 0)})), TMyArray(16, Spill));

    // One chunk of 32 bytes per map bit: a whole tile per bit.
    // The map A0 makes chunks 0 and 2 present, so tiles 0 and 2 are the 54-byte file's tile.
    const TMyByteArray Tile =
        Concat({TMyByteArray(8, 0x55), TMyByteArray(8, 0x0F), TMyByteArray(8, 0x33),
                Bytes({0, 0xFF, 0, 0xFF, 0, 0xFF, 0, 0xFF})});
    const TMyArray One = Words54();
    TMyArray Expected = One;
    Expected.resize(32, 0);
    Expected.insert(Expected.end(), One.begin(), One.end());
    Expected.resize(8 * 16, 0);
    EXPECT_EQ(Decode(Concat({Header(32, IdentityTable(), 1), Bytes({0xA0}), Tile, Tile})),
              Expected);
}

TEST_P(Codec, TruncatedFilesReadMissingBytesAsZero) {
    // Inside the first three bytes or the header: the missing fields are zero.
    for (const TMyByteArray& f : {Bytes({}), Bytes({0x00}), Bytes({0x00, 0x02}),
                                  Bytes({0x00, 0x02, 0xFF}), Bytes({0x00, 0x02, 0xFF, 0x01, 0x05})})
        EXPECT_TRUE(Decode(f).empty());
    // A file that ends after the high byte of the map count: 256 map bytes, all missing.
    TMyByteArray Cut =
        Concat({Bytes({0x00, 0x02, 0xFF, 0x01, 0x07}), TMyByteArray(15, 0x09), Bytes({0x01})});
    EXPECT_EQ(Decode(Cut), TMyArray(64 * 16, 0x7777));
    // Chunk data cut short: the 54-byte file without its last byte loses one plane byte only.
    TMyByteArray Short = File54();
    Short.pop_back();
    TMyArray Expected = Words54();
    Expected[14] = 0x0123;
    Expected[15] = 0x4567;
    EXPECT_EQ(Decode(Short), Expected);
    EXPECT_EQ(Decode(Short), reference::DeCompress(Short));
}

TEST_P(Codec, HugeHeaderOfATinyFileDecodesToConstantTiles) {
    TMyByteArray f(30, 0);
    f[1] = 0x02;
    f[2] = 0xFF;
    f[3] = 0xFF;
    f[4] = 0x06;
    f[20] = 0xFF;
    f[21] = 0xFF;
    const TMyArray w = Decode(f);
    ASSERT_EQ(w.size(), size_t(255) * 65535 * 8 / 32 * 16);
    EXPECT_EQ(std::count(w.begin(), w.end(), uint16_t(0x6666)), std::ptrdiff_t(w.size()));
}

TEST_P(Codec, PlainAndUncompressedForms) {
    EXPECT_TRUE(Decode(Bytes({0, 1, 2})).empty());
    EXPECT_TRUE(Decode(Bytes({0, 1, 2, 3, 4})).empty());
    EXPECT_EQ(Decode(Bytes({0, 1, 2, 3, 4, 0xAB})), TMyArray({0xAB00}));
    EXPECT_EQ(Decode(Bytes({0, 2, 0, 3, 4, 0x12, 0x34, 0x56})), TMyArray({0x1234, 0x5600}));
    EXPECT_EQ(CompDecompUnit::SpriteFormOf(Bytes({0, 2, 0xFF}).data(), 3), TSpriteForm::Compressed);
    EXPECT_EQ(CompDecompUnit::SpriteFormOf(Bytes({0, 2, 0xFE, 1}).data(), 4), TSpriteForm::Plain);

    // Every image the uncompressed writer makes reads back as its words.
    Rng R(7);
    for (size_t n : {0, 1, 2, 3, 15, 16, 17, 31, 32, 33, 100, 1025}) {
        const TMyArray w = RandomWords(R, n);
        const TMyByteArray Image = SpriteEditor::UncompressedSpriteImage(w, n / 16);
        EXPECT_EQ(CompDecompUnit::SpriteFormOf(Image.data(), Image.size()),
                  TSpriteForm::Uncompressed)
            << n;
        EXPECT_EQ(Decode(Image), w) << n;
        EXPECT_EQ(reference::DeCompress(Image), w) << n;
    }
    // 65,536 blocks: the count wraps to 0 and the layout is still recognised.
    const TMyArray Big(65536 * 16, 0x1234);
    EXPECT_EQ(Decode(SpriteEditor::UncompressedSpriteImage(Big, Big.size() / 16)), Big);

    // Files starting 00 01 that the writer cannot have made stay plain (words from offset 5).
    const TMyByteArray WrongCount = Bytes({0, 1, 1, 0, 0xAA, 0xBB, 0xCC, 0xDD});
    EXPECT_EQ(CompDecompUnit::SpriteFormOf(WrongCount.data(), WrongCount.size()),
              TSpriteForm::Plain);
    EXPECT_EQ(Decode(WrongCount), TMyArray({0xBBCC, 0xDD00}));
    const TMyByteArray OddWithoutPad = Bytes({0, 1, 0, 0, 0xAA, 0xBB, 0xCC});
    EXPECT_EQ(CompDecompUnit::SpriteFormOf(OddWithoutPad.data(), 7), TSpriteForm::Plain);
    const TMyByteArray OddWithPad = Bytes({0, 1, 0, 0, 0xAA, 0xBB, 0x00});
    EXPECT_EQ(Decode(OddWithPad), TMyArray({0xAABB}));
    const TMyByteArray OddCount = Bytes({0, 1, 0, 0, 0xAA, 0xBB}); // n = 1 needs a pad byte
    EXPECT_EQ(CompDecompUnit::SpriteFormOf(OddCount.data(), 6), TSpriteForm::Plain);
}

TEST_P(Codec, RoundTripsSeededRandomWords) {
    Rng R(2024);
    for (int Case = 0; Case < 300; ++Case) {
        const size_t n = Case < 40 ? size_t(Case) : R() % 3000;
        const TMyArray w = RandomWords(R, n);
        const TMyByteArray File = CompDecompUnit::Compress(w);
        ASSERT_EQ(File, reference::Compress(w)) << "case " << Case << ", " << n << " words";
        ASSERT_EQ(File.size() % 2, 0u);
        ASSERT_EQ(MyTypes::ReadBE16(&File[20]), n / 4);
        // Whole tiles come back; the words of a partial last tile are lost.
        ASSERT_EQ(Decode(File), WholeTiles(w)) << "case " << Case;
    }
}

TEST_P(Codec, LargestAcceptedSpriteAndTheRefusal) {
    Rng R(5);
    const TMyArray Max = RandomWords(R, MaxCompressWords);
    const TMyByteArray File = CompDecompUnit::Compress(Max);
    EXPECT_EQ(MyTypes::ReadBE16(&File[20]), 65535);
    EXPECT_EQ(Decode(File), WholeTiles(Max));

    const TMyArray TooBig(MaxCompressWords + 1, 0x1234);
    try {
        CompDecompUnit::Compress(TooBig);
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_NE(e.Message().indexOf("262144 words"), -1) << e.Message().toStdString();
    }
}

TEST_P(Codec, FastDecoderMatchesTheReferenceOnRandomFiles) {
    Rng R(99);
    for (int Case = 0; Case < 1500; ++Case) {
        TMyByteArray f = {0x00, 0x02, 0xFF};
        const int Kind = Case % 5;
        const int BytesPerBit = Kind == 0 ? 1 : Kind == 1 ? 32 : int(R() % 256);
        f.push_back(uint8_t(BytesPerBit));
        for (int c = 0; c < 16; ++c) // entries above 15 in every other file
            f.push_back(uint8_t(Case % 2 ? R() % 256 : R() % 16));
        const int MapBytes = int(R() % (BytesPerBit > 16 ? 24 : 600));
        MyTypes::AppendBE16(f, uint16_t(MapBytes));
        const int Density = int(R() % 4);
        size_t Present = 0;
        for (int i = 0; i < MapBytes; ++i) {
            uint8_t m = Density == 0 ? 0xFF : uint8_t(R());
            if (Density == 1)
                m &= uint8_t(R());
            Present += size_t(__builtin_popcount(m));
            f.push_back(m);
        }
        for (size_t i = 0; i < Present * size_t(BytesPerBit) + R() % 4; ++i)
            f.push_back(uint8_t(R() % 3 == 0 ? 0 : R()));
        if (R() % 3 == 0) // cut anywhere, header included
            f.resize(R() % (f.size() + 1));
        ASSERT_EQ(Decode(f), reference::DeCompress(f)) << "case " << Case;
    }
}

TEST(BlockArray, RowsAreTheWordsBigEndian) {
    EXPECT_TRUE(CompDecompUnit::MakeBlockArray({}).empty());
    EXPECT_TRUE(CompDecompUnit::MakeBlockArray(TMyArray(15, 1)).empty());
    TMyArray w = Words54();
    w.push_back(0xFFFF); // the 17th word is not used
    const TBlocksArray b = CompDecompUnit::MakeBlockArray(w);
    ASSERT_EQ(b.size(), 1u);
    for (int r = 0; r < 8; ++r) {
        const std::array<uint8_t, 4> Even = {0x01, 0x23, 0x45, 0x67};
        const std::array<uint8_t, 4> Odd = {0x89, 0xAB, 0xCD, 0xEF};
        EXPECT_EQ(b[0][size_t(r)], r % 2 ? Odd : Even) << r;
    }
    const TMyArray Two(32, 0x5A5A);
    EXPECT_EQ(CompDecompUnit::MakeBlockArray(Two).size(), 2u);
}
