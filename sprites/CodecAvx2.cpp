// SPDX-License-Identifier: MIT
#include "sprites/CodecAvx2.h"

#include <algorithm>
#include <cstring>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>

#define VELKORA_AVX2 __attribute__((target("avx2,popcnt")))

namespace velkora::codec_avx2 {

namespace {

// One tile is 32 plane bytes or 16 words, one 256-bit register. Between the two:
//   planes (slot s row r at byte 8s + r; slots 0-1 in the low lane, 2-3 in the high one)
//     --Gather, a dword permutation, then Rows, a byte shuffle in each lane-->
//   rows: the dword at byte 4r holds row r, its bytes the slots 2, 3, 0, 1
//     --three exchanges of bit index fields in every dword-->
//   codes: the dword at 4r holds the codes of row r's pixels as nibbles in the order of the
//     words' nibbles in memory (pixel 3, 2, 1, 0, 7, 6, 5, 4), code bit k at nibble bit k
//     --the code table, nibble by nibble-->  the words.
// Bit p of a row dword is bit p % 8 of byte p / 8, that is index bits (slot byte b1 b0, plane
// bit x2 x1 x0). The codes need x2 x1 x0 two places up, x2 inverted (plane bit 7 is pixel 0,
// which is nibble 3), and b1 b0 in the nibble, where the byte order above makes them the code
// bit. The decoder exchanges x0 with b1, both inverted; x1 with b0; then, as it splits the
// nibbles for the code table, the bits that came to index bits 2 and 4, both inverted. Each
// exchange is its own inverse; the encoder undoes the same permutation in another order.
struct TTables {
    // Expand[p][m]: for a presence byte m whose chunk bytes begin p bytes into a lane, byte r
    // holds the place of row r's byte in the lane (0x80, which reads as zero, for an absent
    // row).
    uint64_t Expand[9][256];
    // Pack[h][m]: byte j holds where the j-th present row of m lies in a lane of the encoder's
    // planes, in the low qword (h = 0) or the high one (h = 1), whose row r is at byte 7 - r
    // (0x80 and more past the present rows).
    uint64_t Pack[2][256];

    constexpr TTables() : Expand(), Pack() {
        for (int m = 0; m < 256; ++m) {
            for (int p = 0; p < 9; ++p) {
                int n = p;
                for (int r = 0; r < 8; ++r)
                    Expand[p][m] |= uint64_t(m & (0x80 >> r) ? n++ : 0x80) << (8 * r);
            }
            int n = 0;
            for (int r = 0; r < 8; ++r)
                if (m & (0x80 >> r))
                    Pack[0][m] |= uint64_t(7 - r) << (8 * n++);
            for (int j = n; j < 8; ++j)
                Pack[0][m] |= uint64_t(0x80) << (8 * j);
            Pack[1][m] = Pack[0][m] + 0x0808080808080808ULL;
        }
    }
};
constexpr TTables Tab;

// Exchanges the bits at p and p + D of every dword, for the p in Mask.
template <int D, uint32_t Mask> VELKORA_AVX2 inline __m256i Exchange(__m256i v) {
    const __m256i t = _mm256_and_si256(_mm256_xor_si256(_mm256_srli_epi32(v, D), v),
                                       _mm256_set1_epi32(int(Mask)));
    return _mm256_xor_si256(_mm256_xor_si256(v, t), _mm256_slli_epi32(t, D));
}

// Rows to words for the decoder (code table Lo, and Hi: the same entries shifted up by 4). The
// last exchange moves whole nibbles, the first and third of a dword with the sixth and eighth,
// so it is folded into picking the nibbles for the table.
VELKORA_AVX2 inline __m256i DecodeRows(__m256i v, __m256i Lo, __m256i Hi) {
    v = Exchange<17, 0x00005555u>(v);
    v = Exchange<6, 0x00CC00CCu>(v);
    const __m256i Low = _mm256_set1_epi8(0x0F);
    const __m256i LowNibbles = _mm256_and_si256(v, Low);
    const __m256i HighNibbles = _mm256_and_si256(_mm256_srli_epi32(v, 4), Low);
    // Low nibbles of the words: bytes 0-1 from the high nibbles of bytes 2-3, bytes 2-3 stay.
    const __m256i ForLo = _mm256_blend_epi16(_mm256_srli_epi32(HighNibbles, 16), LowNibbles, 0xAA);
    // High nibbles of the words: bytes 0-1 stay, bytes 2-3 from the low nibbles of bytes 0-1.
    const __m256i ForHi = _mm256_blend_epi16(HighNibbles, _mm256_slli_epi32(LowNibbles, 16), 0xAA);
    return _mm256_or_si256(_mm256_shuffle_epi8(Lo, ForLo), _mm256_shuffle_epi8(Hi, ForHi));
}

// Words to rows for the encoder, after the code table: the inverse of DecodeRows's exchanges.
VELKORA_AVX2 inline __m256i Untranspose(__m256i v) {
    v = Exchange<3, 0x0A0A0A0Au>(v);
    v = Exchange<20, 0x00000F0Fu>(v);
    return Exchange<6, 0x00CC00CCu>(v);
}

// Every nibble of v through the 16-entry table Lo (Hi: the same entries shifted up by 4).
VELKORA_AVX2 inline __m256i MapNibbles(__m256i v, __m256i Lo, __m256i Hi) {
    const __m256i Low = _mm256_set1_epi8(0x0F);
    return _mm256_or_si256(_mm256_shuffle_epi8(Lo, _mm256_and_si256(v, Low)),
                           _mm256_shuffle_epi8(Hi, _mm256_and_si256(_mm256_srli_epi16(v, 4), Low)));
}

// The 64-bit value at q in every qword.
VELKORA_AVX2 inline __m256i Broadcast(const uint64_t& q) {
    return _mm256_broadcastq_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(&q)));
}

VELKORA_AVX2 inline void NibbleTables(const uint8_t (&Table)[16], __m256i& Lo, __m256i& Hi) {
    const __m128i t = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Table));
    Lo = _mm256_broadcastsi128_si256(t);
    Hi = _mm256_broadcastsi128_si256(_mm_slli_epi16(t, 4));
}

bool Switched = true;

} // namespace

bool Available() {
    static const bool Has = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("popcnt");
    return Has && Switched;
}

void SetEnabled(bool Enabled) {
    Switched = Enabled;
}

VELKORA_AVX2 size_t DecodeTiles(const uint8_t* Map, const uint8_t* S, size_t Size, size_t Tiles,
                                const uint8_t (&Codes)[16], size_t& Src, uint16_t* Out) {
    const __m256i Gather = _mm256_setr_epi32(0, 2, 4, 6, 1, 3, 5, 7);
    // The dword of row d in a lane takes row d of the slots 2, 3, 0, 1 (at 4s + d).
    const __m256i Rows = _mm256_setr_epi8(8, 12, 0, 4, 9, 13, 1, 5, 10, 14, 2, 6, 11, 15, 3, 7, //
                                          8, 12, 0, 4, 9, 13, 1, 5, 10, 14, 2, 6, 11, 15, 3, 7);
    __m256i CodeLo, CodeHi;
    NibbleTables(Codes, CodeLo, CodeHi);
    size_t From = Src; // a local: the stores below could alias Src
    size_t t = 0;
    for (; t < Tiles && Size - From >= 32; ++t) {
        // The presence bytes place the chunk bytes: slots 0 and 1 from the 16 bytes at From,
        // slots 2 and 3 from the 16 after the chunks of slots 0 and 1.
        uint32_t m;
        std::memcpy(&m, Map + 4 * t, 4);
        const unsigned m0 = m & 0xFF, m1 = (m >> 8) & 0xFF, m2 = (m >> 16) & 0xFF, m3 = m >> 24;
        const unsigned p0 = unsigned(__builtin_popcount(m0)), p2 = unsigned(__builtin_popcount(m2));
        const size_t Upper = From + p0 + unsigned(__builtin_popcount(m1));
        const __m256i Place = _mm256_blend_epi32(
            _mm256_blend_epi32(Broadcast(Tab.Expand[0][m0]), Broadcast(Tab.Expand[p0][m1]), 0x0C),
            _mm256_blend_epi32(Broadcast(Tab.Expand[0][m2]), Broadcast(Tab.Expand[p2][m3]), 0xC0),
            0xF0);
        const __m256i Chunks = _mm256_inserti128_si256(
            _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(S + From))),
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(S + Upper)), 1);
        From = Upper + p2 + unsigned(__builtin_popcount(m3));

        const __m256i Planes = _mm256_shuffle_epi8(Chunks, Place);
        const __m256i RowBytes =
            _mm256_shuffle_epi8(_mm256_permutevar8x32_epi32(Planes, Gather), Rows);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(Out + 16 * t),
                            DecodeRows(RowBytes, CodeLo, CodeHi));
    }
    Src = From;
    return t;
}

VELKORA_AVX2 size_t CountPixels(const uint16_t* Words, size_t Count, int64_t (&Cnt)[16]) {
    // For every set S of bit positions, the number of pixels with all bits of S set: the bits of
    // one position, one per pixel, are ANDed and added up in the four nibbles of every 16-bit lane
    // (15 words at most, so that no nibble overflows), then in bytes and 64-bit lanes. The counts
    // of the values follow by inclusion and exclusion.
    const __m256i Ones = _mm256_set1_epi16(0x1111);
    const __m256i Low = _mm256_set1_epi8(0x0F);
    __m256i Sum[16];
    for (__m256i& a : Sum)
        a = _mm256_setzero_si256();
    size_t i = 0;
    while (Count - i >= 16) {
        __m256i Nib[16];
        for (__m256i& a : Nib)
            a = _mm256_setzero_si256();
        const size_t End = i + 16 * std::min<size_t>((Count - i) / 16, 15);
        for (; i < End; i += 16) {
            const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(Words + i));
            __m256i b[16];
            b[1] = _mm256_and_si256(x, Ones);
            b[2] = _mm256_and_si256(_mm256_srli_epi16(x, 1), Ones);
            b[4] = _mm256_and_si256(_mm256_srli_epi16(x, 2), Ones);
            b[8] = _mm256_and_si256(_mm256_srli_epi16(x, 3), Ones);
            // Each set from its lowest position and the rest, smaller sets first.
            b[3] = _mm256_and_si256(b[1], b[2]);
            b[5] = _mm256_and_si256(b[1], b[4]);
            b[9] = _mm256_and_si256(b[1], b[8]);
            b[6] = _mm256_and_si256(b[2], b[4]);
            b[10] = _mm256_and_si256(b[2], b[8]);
            b[12] = _mm256_and_si256(b[4], b[8]);
            b[7] = _mm256_and_si256(b[1], b[6]);
            b[11] = _mm256_and_si256(b[1], b[10]);
            b[13] = _mm256_and_si256(b[1], b[12]);
            b[14] = _mm256_and_si256(b[2], b[12]);
            b[15] = _mm256_and_si256(b[1], b[14]);
#pragma GCC unroll 15
            for (int s = 1; s < 16; ++s)
                Nib[s] = _mm256_add_epi16(Nib[s], b[s]);
        }
#pragma GCC unroll 15
        for (int s = 1; s < 16; ++s) {
            const __m256i Bytes = _mm256_add_epi8(
                _mm256_and_si256(Nib[s], Low), _mm256_and_si256(_mm256_srli_epi16(Nib[s], 4), Low));
            Sum[s] = _mm256_add_epi64(Sum[s], _mm256_sad_epu8(Bytes, _mm256_setzero_si256()));
        }
    }
    int64_t With[16];
    With[0] = int64_t(4 * i);
    for (int s = 1; s < 16; ++s) {
        alignas(32) int64_t Lanes[4];
        _mm256_store_si256(reinterpret_cast<__m256i*>(Lanes), Sum[s]);
        With[s] = Lanes[0] + Lanes[1] + Lanes[2] + Lanes[3];
    }
    // Exactly the bits of s: subtract, position by position, the pixels that have the bit too.
    for (int Bit = 1; Bit < 16; Bit <<= 1)
        for (int s = 0; s < 16; ++s)
            if (!(s & Bit))
                With[s] -= With[s | Bit];
    for (int v = 0; v < 16; ++v)
        Cnt[v] += With[v];
    return i;
}

VELKORA_AVX2 size_t EncodeTiles(const uint16_t* Words, size_t Tiles, const uint8_t (&Alpha)[16],
                                uint8_t*& Map, uint8_t*& Data) {
    // The rows' dwords back to slots: the dword of slot s in a lane takes the rows from the
    // lane's last to its first (where the row dword holds slot s, bytes 2, 3, 0, 1 for the
    // slots 0 to 3); then qword s takes the high lane's dword s before the low lane's, so that
    // row r of slot s lies at byte 8s + 7 - r.
    const __m256i Unrows = _mm256_setr_epi8(14, 10, 6, 2, 15, 11, 7, 3, 12, 8, 4, 0, 13, 9, 5, 1, //
                                            14, 10, 6, 2, 15, 11, 7, 3, 12, 8, 4, 0, 13, 9, 5, 1);
    const __m256i Ungather = _mm256_setr_epi32(4, 0, 5, 1, 6, 2, 7, 3);
    __m256i CodeLo, CodeHi;
    NibbleTables(Alpha, CodeLo, CodeHi);
    uint8_t* m = Map;
    uint8_t* d = Data;
    for (size_t t = 0; t < Tiles; ++t) {
        const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(Words + 16 * t));
        const __m256i Planes = _mm256_permutevar8x32_epi32(
            _mm256_shuffle_epi8(Untranspose(MapNibbles(x, CodeLo, CodeHi)), Unrows), Ungather);
        // Bit 7 - r of byte s: row r of slot s is not zero, the presence bytes as they stand.
        const uint32_t Present =
            ~uint32_t(_mm256_movemask_epi8(_mm256_cmpeq_epi8(Planes, _mm256_setzero_si256())));
        std::memcpy(m, &Present, 4);
        m += 4;
        const unsigned m0 = Present & 0xFF, m1 = (Present >> 8) & 0xFF, m2 = (Present >> 16) & 0xFF,
                       m3 = Present >> 24;
        const __m256i Place = _mm256_blend_epi32(
            _mm256_blend_epi32(Broadcast(Tab.Pack[0][m0]), Broadcast(Tab.Pack[1][m1]), 0x0C),
            _mm256_blend_epi32(Broadcast(Tab.Pack[0][m2]), Broadcast(Tab.Pack[1][m3]), 0xC0), 0xF0);
        // Each slot's present bytes at the start of its qword, stored one after the other.
        const __m256i Packed = _mm256_shuffle_epi8(Planes, Place);
        const __m128i Lo = _mm256_castsi256_si128(Packed);
        const __m128i Hi = _mm256_extracti128_si256(Packed, 1);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(d), Lo);
        d += __builtin_popcount(m0);
        _mm_storeh_pi(reinterpret_cast<__m64*>(d), _mm_castsi128_ps(Lo));
        d += __builtin_popcount(m1);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(d), Hi);
        d += __builtin_popcount(m2);
        _mm_storeh_pi(reinterpret_cast<__m64*>(d), _mm_castsi128_ps(Hi));
        d += __builtin_popcount(m3);
    }
    Map = m;
    Data = d;
    return Tiles;
}

} // namespace velkora::codec_avx2

#else

namespace velkora::codec_avx2 {

bool Available() {
    return false;
}
void SetEnabled(bool) {}
size_t DecodeTiles(const uint8_t*, const uint8_t*, size_t, size_t, const uint8_t (&)[16], size_t&,
                   uint16_t*) {
    return 0;
}
size_t CountPixels(const uint16_t*, size_t, int64_t (&)[16]) {
    return 0;
}
size_t EncodeTiles(const uint16_t*, size_t, const uint8_t (&)[16], uint8_t*&, uint8_t*&) {
    return 0;
}

} // namespace velkora::codec_avx2

#endif
