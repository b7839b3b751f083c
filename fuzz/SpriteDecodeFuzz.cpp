// The sprite decoder on any bytes: never crashes, never reads outside its input, and its output
// has the shape the header implies.

#include "fuzz/FuzzCheck.h"
#include "sprites/CompDecompUnit.h"

using namespace velkora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    TMyArray Words{1, 2, 3};
    DeCompress(Data, Size, Words);
    const TSpriteForm Form = SpriteFormOf(Data, Size);
    if (Form == TSpriteForm::Compressed) {
        FUZZ_CHECK(Words.size() % 16 == 0);
        const size_t BytesPerBit = Size > 3 ? Data[3] : 0;
        const size_t MapBytes = Size > 21 ? size_t(Data[20]) << 8 | Data[21] : 0;
        FUZZ_CHECK(Words.size() == (BytesPerBit * MapBytes * 8 / 32) * 16);
    } else if (Form == TSpriteForm::Plain) {
        FUZZ_CHECK(Words.size() == (Size > 5 ? (Size - 5 + 1) / 2 : 0));
    }
    const TBlocksArray Blocks = MakeBlockArray(Words);
    FUZZ_CHECK(Blocks.size() == Words.size() / 16);
    return 0;
}
