// SPDX-License-Identifier: MIT
// Encode then decode returns the words of every whole tile, and every path through the codec
// writes the same file.

#include "fuzz/CodecPaths.h"
#include "fuzz/FuzzCheck.h"
#include "sprites/CompDecompUnit.h"

#include <algorithm>

using namespace velkora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    const size_t Count = std::min(Size / 2, MaxCompressWords);
    TMyArray Words(Count);
    for (size_t i = 0; i < Count; ++i)
        Words[i] = uint16_t(Data[2 * i] << 8 | Data[2 * i + 1]);
    const auto Files = fuzz::ForEachCodecPath([&] { return CompDecompUnit::Compress(Words); });
    for (const TMyByteArray& Other : Files)
        FUZZ_CHECK(Other == Files.front());
    const TMyByteArray& File = Files.front();
    FUZZ_CHECK(File.size() % 2 == 0);
    FUZZ_CHECK(CompDecompUnit::SpriteFormOf(File.data(), File.size()) == TSpriteForm::Compressed);
    TMyArray Back;
    CompDecompUnit::DeCompress(File, Back);
    const size_t Whole = Count / 16 * 16;
    FUZZ_CHECK(Back.size() == Whole);
    FUZZ_CHECK(std::equal(Back.begin(), Back.end(), Words.begin()));
    return 0;
}
