#include "sprites/CodecAvx2.h"

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
//     --three exchanges of bit index fields in every dword (Transpose)-->
//   codes: the dword at 4r holds the codes of row r's pixels as nibbles in the order of the
//     words' nibbles in memory (pixel 3, 2, 1, 0, 7, 6, 5, 4), code bit k at nibble bit k
//     --the code table, nibble by nibble-->  the words.
// Bit p of a row dword is bit p % 8 of byte p / 8, that is index bits (slot byte b1 b0, plane
// bit x2 x1 x0). The order of the bytes and the three exchanges below move x2 x1 x0 up by two,
// x2 inverted (plane bit 7 is pixel 0, which is nibble 3), and the byte index into the nibble.
// Each exchange is its own inverse; the encoder runs them backwards.
struct TTables {
    // Expand[m]: for a presence byte m, byte r holds the place of row r among the present rows
    // of m (0x80, which reads as zero, for an absent row).
    uint64_t Expand[256];
    // Pack[m]: byte j holds where the j-th present row of m lies in a slot qword of the
    // encoder's planes, whose row r is at byte 7 - r (0x80 past the present rows).
    uint64_t Pack[256];
    // After[p]: nothing for the first slot of a lane, p in every byte for the second, whose
    // chunk bytes follow the p present bytes of the first.
    alignas(16) uint64_t After[9][2];

    constexpr TTables() : Expand(), Pack(), After() {
        for (int p = 0; p < 9; ++p)
            After[p][1] = uint64_t(p) * 0x0101010101010101ULL;
        for (int m = 0; m < 256; ++m) {
            int n = 0;
            for (int r = 0; r < 8; ++r) {
                const bool Present = m & (0x80 >> r);
                Expand[m] |= uint64_t(Present ? n : 0x80) << (8 * r);
                if (Present)
                    Pack[m] |= uint64_t(7 - r) << (8 * n++);
            }
            for (int j = n; j < 8; ++j)
                Pack[m] |= uint64_t(0x80) << (8 * j);
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

// Index bits: x1 with b0 (distance 6); x2 with b1, both inverted (distance 20); x0 with the
// bit that came to x2 (distance 3).
VELKORA_AVX2 inline __m256i Transpose(__m256i v) {
    v = Exchange<6, 0x00CC00CCu>(v);
    v = Exchange<20, 0x00000F0Fu>(v);
    return Exchange<3, 0x0A0A0A0Au>(v);
}
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

// The shuffle that places the chunk bytes of two slots, a and b after it, which lie in the 16
// bytes from the first chunk of a: presence bytes ma and mb, pa present rows in ma.
VELKORA_AVX2 inline __m128i PlacePair(unsigned ma, unsigned mb, unsigned pa) {
    const __m128d a =
        _mm_castsi128_pd(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(&Tab.Expand[ma])));
    const __m128i Both =
        _mm_castpd_si128(_mm_loadh_pd(a, reinterpret_cast<const double*>(&Tab.Expand[mb])));
    return _mm_add_epi8(Both, _mm_load_si128(reinterpret_cast<const __m128i*>(Tab.After[pa])));
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
        const __m256i Place = _mm256_inserti128_si256(_mm256_castsi128_si256(PlacePair(m0, m1, p0)),
                                                      PlacePair(m2, m3, p2), 1);
        const __m256i Chunks = _mm256_inserti128_si256(
            _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(S + From))),
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(S + Upper)), 1);
        From = Upper + p2 + unsigned(__builtin_popcount(m3));

        const __m256i Planes = _mm256_shuffle_epi8(Chunks, Place);
        const __m256i RowCodes =
            Transpose(_mm256_shuffle_epi8(_mm256_permutevar8x32_epi32(Planes, Gather), Rows));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(Out + 16 * t),
                            MapNibbles(RowCodes, CodeLo, CodeHi));
    }
    Src = From;
    return t;
}

VELKORA_AVX2 size_t CountPixels(const uint16_t*, size_t, int64_t (&)[16]) {
    return 0;
}

VELKORA_AVX2 size_t EncodeTiles(const uint16_t*, size_t, const uint8_t (&)[16], uint8_t*&,
                                uint8_t*&) {
    return 0;
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
