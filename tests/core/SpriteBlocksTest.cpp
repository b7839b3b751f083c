// The blocks of a sprite as the codec makes them from its words and as the PNG road gives the
// words back.

#include "palettes/SpritePng.h"
#include "sprites/CompDecompUnit.h"
#include "tests/support/TestSupport.h"

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
