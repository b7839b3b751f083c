// SPDX-License-Identifier: MIT
// The palette swapper: every result is the initial sprite under the current mapping, whatever
// mappings came before, and no mapping value can leak into a neighbouring pixel.

#include "palettes/PalSwapper.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

using namespace velkora;
using namespace velkora::test;

namespace {

TPalletteArray Mapping(std::initializer_list<std::pair<int, int>> Changes) {
    TPalletteArray p = MyTypes::IdentityPallette();
    for (auto [From, To] : Changes)
        p[size_t(From)] = To;
    return p;
}

// The definition: every pixel's initial colour looked up in the mapping (masked to 4 bits).
TMyArray Expected(const TMyArray& Words, const TPalletteArray& Pal) {
    TMyArray r;
    for (uint16_t w : Words) {
        uint16_t o = 0;
        for (int s = 12; s >= 0; s -= 4)
            o = uint16_t(o | ((Pal[(w >> s) & 15] & 15) << s));
        r.push_back(o);
    }
    return r;
}

} // namespace

TEST(PalSwapper, WorkedExample) {
    TPalletteSwapper s;
    const TMyArray In{0x1234, 0x00F0};
    s.Init(In);
    EXPECT_EQ(s.GetCalculate(Mapping({{0, 5}, {15, 1}})), (TMyArray{0x1234, 0x5515}));
    EXPECT_EQ(s.GetCalculate(MyTypes::IdentityPallette()), In);
    EXPECT_EQ(s.GetCalculate(MyTypes::IdentityPallette()), In);
    EXPECT_EQ(In, (TMyArray{0x1234, 0x00F0}));
}

TEST(PalSwapper, MappingsApplyToTheInitialPixelsNotToEarlierResults) {
    TPalletteSwapper s;
    s.Init({0x3737, 0x7300});
    EXPECT_EQ(s.GetCalculate(Mapping({{3, 7}})), (TMyArray{0x7777, 0x7700}));
    EXPECT_EQ(s.GetCalculate(MyTypes::IdentityPallette()), (TMyArray{0x3737, 0x7300}));
    // A colour that occurs nowhere changes nothing.
    EXPECT_EQ(s.GetCalculate(Mapping({{9, 1}})), (TMyArray{0x3737, 0x7300}));
    // Swapping two colours.
    EXPECT_EQ(s.GetCalculate(Mapping({{3, 7}, {7, 3}})), (TMyArray{0x7373, 0x3700}));

    // A later Init discards the earlier sprite and mapping.
    s.Init({0x0001});
    EXPECT_EQ(s.GetCalculate(Mapping({{3, 7}, {7, 3}})), (TMyArray{0x0001}));
}

TEST(PalSwapper, OutOfRangeMappingValuesAreMaskedToFourBits) {
    TPalletteSwapper s;
    s.Init({0x1111, 0x0F0F});
    EXPECT_EQ(s.GetCalculate(Mapping({{1, 0x13}})), (TMyArray{0x3333, 0x0F0F}));
    EXPECT_EQ(s.GetCalculate(Mapping({{1, -1}, {15, 256}, {0, 0x7FFFFFFF}})),
              (TMyArray{0xFFFF, 0xF0F0}));
    EXPECT_EQ(s.GetCalculate(MyTypes::IdentityPallette()), (TMyArray{0x1111, 0x0F0F}));
}

TEST(PalSwapper, EmptyAndUninitialised) {
    TPalletteSwapper s;
    EXPECT_TRUE(s.GetCalculate(MyTypes::IdentityPallette()).empty());
    EXPECT_TRUE(s.GetCalculate(Mapping({{0, 4}})).empty());
    s.Init({});
    EXPECT_TRUE(s.GetCalculate(Mapping({{0, 4}})).empty());
    // Init after calls on an empty swapper starts from the identity.
    s.Init({0x0123});
    EXPECT_EQ(s.GetCalculate(MyTypes::IdentityPallette()), (TMyArray{0x0123}));
}

TEST(PalSwapper, SeededRandomMappingSequencesMatchTheDefinition) {
    Rng r(20240611);
    for (int Round = 0; Round < 20; ++Round) {
        TMyArray Words(size_t(r() % 300));
        for (auto& w : Words)
            w = uint16_t(r());
        const TMyArray Copy = Words;
        TPalletteSwapper s;
        s.Init(Words);
        TPalletteArray Pal = MyTypes::IdentityPallette();
        for (int Step = 0; Step < 30; ++Step) {
            // Change a few entries each step, sometimes back to earlier values.
            for (int k = int(r() % 4); k >= 0; --k)
                Pal[r() % 16] = int32_t(r() % 20) - 2;
            ASSERT_EQ(s.GetCalculate(Pal), Expected(Copy, Pal)) << "round " << Round;
        }
        EXPECT_EQ(Words, Copy);
    }
}
