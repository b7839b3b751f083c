// SPDX-License-Identifier: MIT
// The sprite decoder on any bytes: never crashes, never reads outside its input, its output has
// the shape the header implies, and every path through the codec gives the same words.

#include "fuzz/CodecPaths.h"
#include "fuzz/FuzzCheck.h"
#include "sprites/CompDecompUnit.h"

using namespace velkora;

// Headers may claim up to 66 million words; the largest is decoded in the unit tests, here such
// inputs are skipped so that the fuzzer spends its time on the decoding paths.
constexpr size_t MaxFuzzWords = size_t(1) << 20;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    const TSpriteForm Form = CompDecompUnit::SpriteFormOf(Data, Size);
    // Header bytes beyond the end of the input read as zero.
    auto Byte = [&](size_t i) -> size_t { return i < Size ? Data[i] : 0; };
    const size_t BytesPerBit = Byte(3);
    const size_t MapBytes = Byte(20) << 8 | Byte(21);
    const size_t Implied = (BytesPerBit * MapBytes * 8 / 32) * 16;
    if (Form == TSpriteForm::Compressed && Implied > MaxFuzzWords)
        return 0;
    const auto Results = fuzz::ForEachCodecPath([&] {
        TMyArray Words{1, 2, 3};
        CompDecompUnit::DeCompress(Data, Size, Words);
        return Words;
    });
    for (const TMyArray& Other : Results)
        FUZZ_CHECK(Other == Results.front());
    const TMyArray& Words = Results.front();
    if (Form == TSpriteForm::Compressed) {
        FUZZ_CHECK(Words.size() % 16 == 0);
        FUZZ_CHECK(Words.size() == Implied);
    } else if (Form == TSpriteForm::Plain) {
        FUZZ_CHECK(Words.size() == (Size > 5 ? (Size - 5 + 1) / 2 : 0));
    }
    const TBlocksArray Blocks = CompDecompUnit::MakeBlockArray(Words);
    FUZZ_CHECK(Blocks.size() == Words.size() / 16);
    return 0;
}
