// SPDX-License-Identifier: MIT
#include "sprites/CodecAvx512.h"

#include <cstring>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>

#define VELKORA_AVX512                                                                             \
    __attribute__((target("avx512f,avx512bw,avx512vbmi,avx512vbmi2,avx512vpopcntdq,gfni,popcnt")))

namespace velkora::codec_avx512 {

namespace {

// Two tiles are 64 plane bytes (tile T at 32T) or 32 words. Between the two, in both directions:
//   planes  --Arrange-->  row pairs: qword 4T + g holds rows 2g + 1 (bytes 0-3) and 2g (bytes
//                         4-7) of tile T, slots 3, 1, 2, 0 in each
//           --transpose-> pixel bytes: byte p of the qword holds pixel p's codes, row 2g in bits
//                         0-3 and row 2g + 1 in bits 4-7 (code bit k of row 2g from the byte at
//                         7 - k)
//           --code table, then nibble exchange--> byte pairs: the 16-bit lane j holds pixels 2j
//                         and 2j + 1 of row 2g + 1 in its low byte and of row 2g in its high one
//           --WordOrder--> the words, little-endian, row by row.
// The transpose and the nibble exchange are their own inverses; the encoder applies the inverse
// permutations.
struct TOrders {
    uint8_t Arrange[64];
    uint8_t WordOrder[64];
    uint8_t InverseArrange[64];
    uint8_t InverseWordOrder[64];

    constexpr TOrders() : Arrange(), WordOrder(), InverseArrange(), InverseWordOrder() {
        constexpr int SlotAt[4] = {3, 1, 2, 0};
        for (int q = 0; q < 8; ++q) {
            const int T = q / 4, g = q % 4;
            for (int b = 0; b < 8; ++b) {
                const int Row = b < 4 ? 2 * g + 1 : 2 * g;
                Arrange[8 * q + b] = uint8_t(32 * T + 8 * SlotAt[b % 4] + Row);
            }
            // Row 2g takes the high bytes of the lanes, row 2g + 1 the low ones; pixel pairs
            // 1, 0, 3, 2 are the bytes of a row's two words.
            constexpr int Lane[4] = {1, 0, 3, 2};
            for (int i = 0; i < 4; ++i) {
                WordOrder[8 * q + i] = uint8_t(8 * q + 2 * Lane[i] + 1);
                WordOrder[8 * q + 4 + i] = uint8_t(8 * q + 2 * Lane[i]);
            }
        }
        for (int i = 0; i < 64; ++i) {
            InverseArrange[Arrange[i]] = uint8_t(i);
            InverseWordOrder[WordOrder[i]] = uint8_t(i);
        }
    }
};
alignas(64) constexpr TOrders Orders;

// gf2p8affine operands: the matrix that reverses the bits of each byte; and, as the data
// operand of the transpose, the selector of pixel p (bit 7 - p) in byte p.
constexpr long long ReverseBits = 0x8040201008040201LL;
constexpr long long PixelSelectors = 0x0102040810204080LL;

// The plain forms of some intrinsics leave lanes undefined, which the compiler warns about;
// masks of all lanes give the same instructions.
constexpr __mmask16 All32 = 0xFFFF;
constexpr __mmask64 All8 = ~__mmask64(0);

VELKORA_AVX512 inline uint64_t ReverseEachByte(uint64_t v) {
    return uint64_t(_mm_cvtsi128_si64(_mm_gf2p8affine_epi64_epi8(_mm_cvtsi64_si128(int64_t(v)),
                                                                 _mm_set1_epi64x(ReverseBits), 0)));
}

VELKORA_AVX512 inline __m512i Transpose(__m512i v) {
    return _mm512_gf2p8affine_epi64_epi8(_mm512_set1_epi64(PixelSelectors), v, 0);
}

// Exchanges bits 0-3 and 12-15 of every 16-bit lane.
VELKORA_AVX512 inline __m512i ExchangeNibbles(__m512i w) {
    const __m512i d =
        _mm512_and_si512(_mm512_xor_si512(_mm512_srli_epi16(w, 12), w), _mm512_set1_epi16(0x000F));
    return _mm512_xor_si512(w, _mm512_or_si512(d, _mm512_slli_epi16(d, 12)));
}

// Every nibble of v through the 16-entry table Lo (Hi: the same entries shifted up by 4).
VELKORA_AVX512 inline __m512i MapNibbles(__m512i v, __m512i Lo, __m512i Hi) {
    const __m512i Low = _mm512_set1_epi8(0x0F);
    return _mm512_or_si512(_mm512_shuffle_epi8(Lo, _mm512_and_si512(v, Low)),
                           _mm512_shuffle_epi8(Hi, _mm512_and_si512(_mm512_srli_epi16(v, 4), Low)));
}

VELKORA_AVX512 inline void NibbleTables(const uint8_t (&Table)[16], __m512i& Lo, __m512i& Hi) {
    const __m128i t = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Table));
    Lo = _mm512_maskz_broadcast_i32x4(All32, t);
    Hi = _mm512_maskz_broadcast_i32x4(All32, _mm_slli_epi16(t, 4));
}

} // namespace

namespace {
bool Switched = true;
}

bool Available() {
    static const bool Has =
        __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
        __builtin_cpu_supports("avx512vbmi") && __builtin_cpu_supports("avx512vbmi2") &&
        __builtin_cpu_supports("avx512vpopcntdq") && __builtin_cpu_supports("gfni") &&
        __builtin_cpu_supports("popcnt");
    return Has && Switched;
}

void SetEnabled(bool Enabled) {
    Switched = Enabled;
}

VELKORA_AVX512 size_t DecodeTilePairs(const uint8_t* Map, const uint8_t* S, size_t Size,
                                      size_t Tiles, const uint8_t (&Codes)[16], size_t& Src,
                                      uint16_t* Out) {
    const __m512i ArrangeIdx = _mm512_load_si512(Orders.Arrange);
    const __m512i WordIdx = _mm512_load_si512(Orders.WordOrder);
    __m512i CodeLo, CodeHi;
    NibbleTables(Codes, CodeLo, CodeHi);
    size_t From = Src; // a local: the stores below could alias Src
    size_t t = 0;
    for (; t + 2 <= Tiles && Size - From >= 64; t += 2) {
        // The eight presence bytes of the two tiles, bit-reversed, place the present bytes.
        uint64_t m;
        std::memcpy(&m, Map + 4 * t, 8);
        const uint64_t Present = ReverseEachByte(m);
        const __m512i Planes = _mm512_maskz_expand_epi8(
            Present, _mm512_loadu_si512(reinterpret_cast<const void*>(S + From)));
        From += size_t(__builtin_popcountll(Present));

        const __m512i Pixels = Transpose(_mm512_maskz_permutexvar_epi8(All8, ArrangeIdx, Planes));
        const __m512i Pairs = ExchangeNibbles(MapNibbles(Pixels, CodeLo, CodeHi));
        _mm512_storeu_si512(reinterpret_cast<void*>(Out + 16 * t),
                            _mm512_maskz_permutexvar_epi8(All8, WordIdx, Pairs));
    }
    Src = From;
    return t;
}

VELKORA_AVX512 size_t CountPixels(const uint16_t* Words, size_t Count, int64_t (&Cnt)[16]) {
    // For every set S of bit positions, the number of pixels with all bits of S set: the bits of
    // one position, one per pixel, are ANDed and counted. The counts of the values follow by
    // inclusion and exclusion.
    const __m512i Ones = _mm512_set1_epi16(0x1111);
    __m512i Acc[16];
    for (__m512i& a : Acc)
        a = _mm512_setzero_si512();
    size_t i = 0;
    for (; i + 32 <= Count; i += 32) {
        const __m512i x = _mm512_loadu_si512(reinterpret_cast<const void*>(Words + i));
        __m512i b[16];
        b[1] = _mm512_and_si512(x, Ones);
        b[2] = _mm512_and_si512(_mm512_srli_epi16(x, 1), Ones);
        b[4] = _mm512_and_si512(_mm512_srli_epi16(x, 2), Ones);
        b[8] = _mm512_and_si512(_mm512_srli_epi16(x, 3), Ones);
        // Each set from its lowest position and the rest, smaller sets first.
        b[3] = _mm512_and_si512(b[1], b[2]);
        b[5] = _mm512_and_si512(b[1], b[4]);
        b[9] = _mm512_and_si512(b[1], b[8]);
        b[6] = _mm512_and_si512(b[2], b[4]);
        b[10] = _mm512_and_si512(b[2], b[8]);
        b[12] = _mm512_and_si512(b[4], b[8]);
        b[7] = _mm512_and_si512(b[1], b[6]);
        b[11] = _mm512_and_si512(b[1], b[10]);
        b[13] = _mm512_and_si512(b[1], b[12]);
        b[14] = _mm512_and_si512(b[2], b[12]);
        b[15] = _mm512_and_si512(b[1], b[14]);
#pragma GCC unroll 15
        for (int s = 1; s < 16; ++s)
            Acc[s] = _mm512_add_epi64(Acc[s], _mm512_popcnt_epi64(b[s]));
    }
    int64_t With[16];
    With[0] = int64_t(4 * i);
    for (int s = 1; s < 16; ++s) {
        alignas(64) int64_t Lanes[8];
        _mm512_store_si512(Lanes, Acc[s]);
        With[s] = 0;
        for (const int64_t l : Lanes)
            With[s] += l;
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

VELKORA_AVX512 size_t EncodeTilePairs(const uint16_t* Words, size_t Tiles,
                                      const uint8_t (&Alpha)[16], uint8_t*& Map, uint8_t*& Data) {
    const __m512i RowsIdx = _mm512_load_si512(Orders.InverseArrange);
    const __m512i PairsIdx = _mm512_load_si512(Orders.InverseWordOrder);
    __m512i CodeLo, CodeHi;
    NibbleTables(Alpha, CodeLo, CodeHi);
    uint8_t* m = Map;
    uint8_t* d = Data;
    size_t t = 0;
    for (; t + 2 <= Tiles; t += 2) {
        const __m512i x = _mm512_loadu_si512(reinterpret_cast<const void*>(Words + 16 * t));
        const __m512i Pairs =
            _mm512_maskz_permutexvar_epi8(All8, PairsIdx, MapNibbles(x, CodeLo, CodeHi));
        const __m512i Planes =
            _mm512_maskz_permutexvar_epi8(All8, RowsIdx, Transpose(ExchangeNibbles(Pairs)));
        const uint64_t Present = _mm512_test_epi8_mask(Planes, Planes);
        const uint64_t MapBytes = ReverseEachByte(Present);
        std::memcpy(m, &MapBytes, 8);
        m += 8;
        _mm512_storeu_si512(reinterpret_cast<void*>(d),
                            _mm512_maskz_compress_epi8(Present, Planes));
        d += __builtin_popcountll(Present);
    }
    Map = m;
    Data = d;
    return t;
}

} // namespace velkora::codec_avx512

#else

namespace velkora::codec_avx512 {

bool Available() {
    return false;
}
void SetEnabled(bool) {}
size_t DecodeTilePairs(const uint8_t*, const uint8_t*, size_t, size_t, const uint8_t (&)[16],
                       size_t&, uint16_t*) {
    return 0;
}
size_t CountPixels(const uint16_t*, size_t, int64_t (&)[16]) {
    return 0;
}
size_t EncodeTilePairs(const uint16_t*, size_t, const uint8_t (&)[16], uint8_t*&, uint8_t*&) {
    return 0;
}

} // namespace velkora::codec_avx512

#endif
