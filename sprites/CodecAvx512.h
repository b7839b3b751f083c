// SPDX-License-Identifier: MIT
#pragma once
// Inner loops of the sprite codec for processors with AVX-512 (F, BW, VBMI, VBMI2, VPOPCNTDQ) and
// GFNI; CompDecompUnit chooses them at run time and does the rest (headers, the last tiles, other
// forms) itself. Part of the codec, not an interface of its own.
//
// Layout shared with the codec: a tile is 32 plane bytes, slot s (0 to 3) row r (0 to 7) at
// 8s + r, a plane byte's bit 7 the leftmost pixel; code bit k of a pixel lies in slot 0, 2, 1, 3
// for k = 0, 1, 2, 3. The presence map has one byte per slot of a tile, bit 7 for row 0.

#include <cstddef>
#include <cstdint>

namespace velkora::codec_avx512 {

// Whether this processor runs the functions below and they are not switched off.
bool Available();

// Switches the functions above off (and back on where the processor has them), so that the
// portable code can be checked and timed on any machine. Not thread-safe against running codecs.
void SetEnabled(bool Enabled);

// Decodes the tiles of a compressed image with one byte per chunk, two at a time from the first,
// while the 64 bytes from S[Src] lie inside S[0, Size): Map holds four presence bytes per tile,
// Src is the offset of the next present chunk and moves on with the tiles; Codes is the code
// table, every entry below 16. Writes 16 words per tile to Out and returns the tiles decoded.
size_t DecodeTilePairs(const uint8_t* Map, const uint8_t* S, size_t Size, size_t Tiles,
                       const uint8_t (&Codes)[16], size_t& Src, uint16_t* Out);

// Adds to Cnt the counts of the pixel values 0 to 15 in the first Count words, 32 words at a
// time, and returns how many words it counted (a multiple of 32).
size_t CountPixels(const uint16_t* Words, size_t Count, int64_t (&Cnt)[16]);

// Encodes tiles two at a time from the first, as long as two whole tiles remain: the pixel value
// v becomes the code Alpha[v] (below 16). Writes four presence bytes per tile at Map and the
// non-zero plane bytes at Data, which both move on, and returns the tiles encoded. Data needs
// room for 32 bytes per tile.
size_t EncodeTilePairs(const uint16_t* Words, size_t Tiles, const uint8_t (&Alpha)[16],
                       uint8_t*& Map, uint8_t*& Data);

} // namespace velkora::codec_avx512
