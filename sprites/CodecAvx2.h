// SPDX-License-Identifier: MIT
#pragma once
// Inner loops of the sprite codec for processors with AVX2 and POPCNT but without the AVX-512
// extensions of CodecAvx512; CompDecompUnit chooses them at run time when those are not there
// (or switched off) and does the rest (headers, the last tiles, other forms) itself. Part of the
// codec, not an interface of its own. The layout of tiles and presence bytes is CodecAvx512's.

#include <cstddef>
#include <cstdint>

namespace velkora::codec_avx2 {

// Whether this processor runs the functions below and they are not switched off.
bool Available();

// Switches the functions above off (and back on where the processor has them), so that the
// portable code can be checked and timed on any machine. Not thread-safe against running codecs.
void SetEnabled(bool Enabled);

// Decodes the tiles of a compressed image with one byte per chunk, one at a time from the first,
// while the 32 bytes from S[Src] lie inside S[0, Size): Map holds four presence bytes per tile,
// Src is the offset of the next present chunk and moves on with the tiles; Codes is the code
// table, every entry below 16. Writes 16 words per tile to Out and returns the tiles decoded.
size_t DecodeTiles(const uint8_t* Map, const uint8_t* S, size_t Size, size_t Tiles,
                   const uint8_t (&Codes)[16], size_t& Src, uint16_t* Out);

// Adds to Cnt the counts of the pixel values 0 to 15 in the first Count words, 16 words at a
// time, and returns how many words it counted (a multiple of 16).
size_t CountPixels(const uint16_t* Words, size_t Count, int64_t (&Cnt)[16]);

// Encodes whole tiles, one at a time from the first: the pixel value v becomes the code Alpha[v]
// (below 16). Writes four presence bytes per tile at Map and the non-zero plane bytes at Data,
// which both move on, and returns the tiles encoded. Data needs room for 32 bytes per tile and
// 8 more.
size_t EncodeTiles(const uint16_t* Words, size_t Tiles, const uint8_t (&Alpha)[16], uint8_t*& Map,
                   uint8_t*& Data);

} // namespace velkora::codec_avx2
