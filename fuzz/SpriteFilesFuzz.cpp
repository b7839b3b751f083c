// SPDX-License-Identifier: MIT
// The edit-file and uncompressed-file readers: any bytes read as words without a fault, and the
// uncompressed file written for any words reads back as exactly those words.

#include "fuzz/FuzzCheck.h"
#include "sprites/CompDecompUnit.h"
#include "sprites/SpriteEditor.h"

using namespace velkora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    const TMyArray Words = SpriteEditor::WordsOfEditFile(Data, Size);
    FUZZ_CHECK(Words.size() == Size / 2);
    FUZZ_CHECK(SpriteEditor::EditFileImage(Words).size() == Size / 2 * 2);

    const TMyByteArray Packed = SpriteEditor::UncompressedSpriteImage(Words, Words.size() / 16);
    FUZZ_CHECK(Packed.size() == 4 + 2 * Words.size() + Words.size() % 2);
    TMyArray Back;
    CompDecompUnit::DeCompress(Packed, Back);
    FUZZ_CHECK(Back == Words);
    return 0;
}
