// SPDX-License-Identifier: MIT
#pragma once
// The game's sprite codec: the compressed form (four bit planes per tile, a 16-entry code table
// and a presence map that leaves out zero plane bytes), the uncompressed form written by
// TSpriteInfo::SaveSprite and the plain form; and the tile block array made from decoded words.
// Pure functions over byte and word arrays: they never change their input and keep no state.

#include "shell/MyTypes.h"

namespace velkora {

// Which of the three layouts a sprite file image is read as.
enum class TSpriteForm {
    Compressed,   // 00 02 FF, then the chunk size, the code table, the presence map, the chunks
    Uncompressed, // 00 01, little-endian block count, words from offset 4 (as SaveSprite writes)
    Plain,        // anything else: big-endian words from offset 5
};
namespace CompDecompUnit {
// Compressed when S begins 00 02 FF. Uncompressed exactly when S begins 00 01 and its length and
// block count are those the uncompressed writer gives n words: 4 + 2n bytes for an even n, 5 + 2n
// with a last byte 00 for an odd n, and (n div 16) mod 65536 little-endian at bytes 2-3. Plain
// otherwise (missing bytes of a short S read as zero).
TSpriteForm SpriteFormOf(const uint8_t* S, size_t Size);

// Decodes the sprite file image S[0..Size) into OutBits (emptied first). Never reads outside S:
// bytes beyond its end read as zero. In the compressed form only whole 32-byte tiles of plane
// data are decoded, so the word count is always a multiple of 16 there, and it follows from the
// header alone (at most 66,845,696 words). Plain form: a single last byte is the high byte of a
// last word.
void DeCompress(const uint8_t* S, size_t Size, TMyArray& OutBits);
inline void DeCompress(const TMyByteArray& S, TMyArray& OutBits) {
    DeCompress(S.data(), S.size(), OutBits);
}
} // namespace CompDecompUnit

// The largest word count Compress accepts: the presence map's byte count is a 16-bit field.
constexpr size_t MaxCompressWords = 262143;

namespace CompDecompUnit {
// Encodes words into the complete compressed file image, byte-exact: the most frequent pixel
// value gets code 0 (ties to the smaller value), chunk size 1, a zero pad byte to an even length.
// Words after the last whole tile are not encoded. Raises Exception for more than
// MaxCompressWords words.
TMyByteArray Compress(const TMyArray& OutBits);

// One block per whole 16 words; words after the last whole tile are not used.
TBlocksArray MakeBlockArray(const TMyArray& BA);
} // namespace CompDecompUnit

} // namespace velkora
