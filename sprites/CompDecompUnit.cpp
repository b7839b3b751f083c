// SPDX-License-Identifier: MIT
#include "sprites/CompDecompUnit.h"

#include "sprites/CodecAvx2.h"
#include "sprites/CodecAvx512.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace velkora {

namespace {

// ---- Shared layout facts ----------------------------------------------------------------------

constexpr size_t HeaderSize = 22;  // format word, marker, chunk size, code table, map byte count
constexpr size_t TileBytes = 32;   // four planes of eight row bytes
constexpr size_t TileWords = 16;   // decoded words of one tile
constexpr size_t PlainOffset = 5;  // the plain form's words begin here
constexpr size_t UncompOffset = 4; // the uncompressed form's words begin after the block count

// Byte I of S, or zero beyond its end.
inline uint8_t ByteAt(const uint8_t* S, size_t Size, size_t I) {
    return I < Size ? S[I] : 0;
}

// The plane slot that carries each bit of a pixel's code: bit 0 in slot 0, bit 1 in slot 2,
// bit 2 in slot 1, bit 3 in slot 3.
constexpr int SlotOfCodeBit[4] = {0, 2, 1, 3};

// Per-byte tables of the codec. A plane byte holds the eight pixels of one row, bit 7 the
// leftmost; a presence map byte m holds eight chunks, bit 7 the first. Eight plane bytes are
// handled as one 64-bit value, plane byte i in bits 8i to 8i + 7.
struct TByteTables {
    // Spread[k][b]: bit i of b moved to bit 4i + k, so a plane byte's pixels land in the eight
    // nibbles of a row value (leftmost pixel in the top nibble) as code bit k.
    uint32_t Spread[4][256];
    // The number of set bits.
    uint8_t Pop[256];
    // Spreading the present bytes of m, packed at the bottom, to their places: keep the lowest
    // Pop[m] bytes, then move the bytes of Widen[m][k] up by 4, 2 and 1 bytes in turn (k = 0, 1,
    // 2). Every byte moves by its number of absent bytes before it; doing the large steps first
    // keeps the bytes apart at every step.
    uint64_t Keep[256];
    uint64_t Widen[256][3];
    // The inverse, packing the present bytes of m at the bottom: move the bytes of Narrow[m][k]
    // down by 1, 2 and 4 bytes in turn. Absent bytes must be zero.
    uint64_t Narrow[256][3];

    constexpr TByteTables() : Spread(), Pop(), Keep(), Widen(), Narrow() {
        constexpr int Step[3] = {4, 2, 1};
        for (int m = 0; m < 256; ++m) {
            uint32_t Sp = 0;
            for (int i = 0; i < 8; ++i)
                if (m & (1 << i))
                    Sp |= uint32_t(1) << (4 * i);
            for (int k = 0; k < 4; ++k)
                Spread[k][m] = Sp << k;
            int Place[8] = {}, n = 0; // Place[j]: the plane byte of the j-th present byte
            for (int i = 0; i < 8; ++i)
                if (m & (0x80 >> i))
                    Place[n++] = i;
            Pop[m] = uint8_t(n);
            Keep[m] = n == 8 ? ~uint64_t(0) : (uint64_t(1) << (8 * n)) - 1;
            int Pos[8] = {};
            for (int j = 0; j < n; ++j)
                Pos[j] = j;
            for (int k = 0; k < 3; ++k)
                for (int j = 0; j < n; ++j)
                    if ((Place[j] - j) & Step[k]) {
                        Widen[m][k] |= uint64_t(0xFF) << (8 * Pos[j]);
                        Pos[j] += Step[k];
                    }
            for (int k = 0; k < 3; ++k)
                for (int j = 0; j < n; ++j)
                    if ((Place[j] - j) & Step[2 - k]) {
                        Narrow[m][k] |= uint64_t(0xFF) << (8 * Pos[j]);
                        Pos[j] -= Step[2 - k];
                    }
        }
    }
};
constexpr TByteTables Tab;

// Little-endian 64-bit access: byte i of memory is bits 8i to 8i + 7.
inline uint64_t LoadLE64(const uint8_t* p) {
    uint64_t v;
    std::memcpy(&v, p, 8);
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    v = __builtin_bswap64(v);
#endif
    return v;
}
inline void StoreLE64(uint8_t* p, uint64_t v) {
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    v = __builtin_bswap64(v);
#endif
    std::memcpy(p, &v, 8);
}

// Asks for huge pages behind a large, freshly reserved array. A header may claim some 130 MB of
// tiles; filling that a 4 KB page at a time costs far more than the decoding itself.
void AdviseHugePages(const void* p, size_t Bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr uintptr_t Huge = uintptr_t(2) << 20;
    if (Bytes < 4 * Huge)
        return;
    const uintptr_t Begin = (uintptr_t(p) + Huge - 1) & ~(Huge - 1);
    const uintptr_t End = (uintptr_t(p) + Bytes) & ~(Huge - 1);
    if (End > Begin)
        ::madvise(reinterpret_cast<void*>(Begin), End - Begin, MADV_HUGEPAGE);
#else
    (void)p;
    (void)Bytes;
#endif
}

// ---- Decoder ----------------------------------------------------------------------------------

// The words of the plain form (from offset 5) or the uncompressed form (from offset 4): big-endian
// pairs; a single byte left at the end is the high byte of a last word.
void DecodeWords(const uint8_t* S, size_t Size, size_t From, size_t Count, TMyArray& OutBits) {
    OutBits.resize(Count);
    for (size_t i = 0; i < Count; ++i) {
        const size_t At = From + 2 * i;
        OutBits[i] = uint16_t((ByteAt(S, Size, At) << 8) | ByteAt(S, Size, At + 1));
    }
}

// One plane byte per map bit: the eight plane bytes of map byte m from the chunk bytes at Src,
// which moves past them. Planes is zero on entry and only present bytes are written; a chunk past
// the end of S reads as zero. The source is read eight bytes at a time while eight remain.
inline void ExpandMapByte(const uint8_t* S, size_t Size, unsigned m, size_t& Src, uint8_t* Planes) {
    if (Src + 8 <= Size) {
        uint64_t v = LoadLE64(S + Src) & Tab.Keep[m];
        const uint64_t* Widen = Tab.Widen[m];
        uint64_t t = v & Widen[0];
        v = (v ^ t) | (t << 32);
        t = v & Widen[1];
        v = (v ^ t) | (t << 16);
        t = v & Widen[2];
        v = (v ^ t) | (t << 8);
        StoreLE64(Planes, v);
        Src += Tab.Pop[m];
    } else {
        for (int i = 0; i < 8; ++i)
            if (m & (0x80u >> i))
                Planes[i] = ByteAt(S, Size, Src++);
    }
}

// Fills the plane data of the first MapUsed map bytes (8 x BytesPerBit bytes each) from the
// presence map and the chunk data of a compressed image. Planes is zero on entry and only present
// chunks are written; a chunk whose bytes run past the end of S is completed with zeros. The map
// bytes read lie inside S.
void ExpandChunks(const uint8_t* S, size_t Size, size_t BytesPerBit, size_t MapBytes,
                  size_t MapUsed, uint8_t* Planes) {
    const uint8_t* Map = S + HeaderSize;
    const size_t DataStart = HeaderSize + MapBytes;
    size_t Src = DataStart; // offset in S of the next present chunk's bytes
    size_t Dst = 0;
    if (BytesPerBit == 1) {
        for (size_t j = 0; j < MapUsed; ++j, Dst += 8)
            ExpandMapByte(S, Size, Map[j], Src, Planes + Dst);
        return;
    }
    // Larger chunks: copy each run of present chunks at once (their bytes are contiguous on both
    // sides).
    size_t RunDst = 0, RunLen = 0;
    auto Flush = [&] {
        if (RunLen == 0)
            return;
        if (Src < Size)
            std::memcpy(Planes + RunDst, S + Src, std::min(RunLen, Size - Src));
        Src += RunLen;
        RunLen = 0;
    };
    const size_t ByteSpan = 8 * BytesPerBit;
    for (size_t j = 0; j < MapUsed; ++j) {
        const unsigned m = Map[j];
        if (m == 0xFF) {
            if (RunLen == 0)
                RunDst = Dst;
            RunLen += ByteSpan;
            Dst += ByteSpan;
            continue;
        }
        for (int i = 0; i < 8; ++i, Dst += BytesPerBit) {
            if (m & (0x80u >> i)) {
                if (RunLen == 0)
                    RunDst = Dst;
                RunLen += BytesPerBit;
            } else {
                Flush();
            }
        }
    }
    Flush();
}

// Decodes whole tiles of plane data into words. For the two codes of a byte c (high nibble
// first) with values a and b, Hi[c] = (a * 16 + b) * 256 and Lo[c] = a * 16 + b, modulo 65536:
// a word is Hi[codes of pixels 0-1] + Lo[codes of pixels 2-3], exact also for code table entries
// above 15.
void DecodeTiles(const uint8_t* Planes, size_t Tiles, const uint16_t (&Hi)[256],
                 const uint16_t (&Lo)[256], uint16_t* Out) {
    const auto& Sp = Tab.Spread;
    for (size_t t = 0; t < Tiles; ++t, Planes += TileBytes, Out += TileWords) {
#pragma GCC unroll 8
        for (int r = 0; r < 8; ++r) {
            const uint32_t Codes = Sp[0][Planes[r]] | Sp[2][Planes[8 + r]] | Sp[1][Planes[16 + r]] |
                                   Sp[3][Planes[24 + r]];
            Out[2 * r] = uint16_t(Hi[Codes >> 24] + Lo[(Codes >> 16) & 0xFF]);
            Out[2 * r + 1] = uint16_t(Hi[(Codes >> 8) & 0xFF] + Lo[Codes & 0xFF]);
        }
    }
}

// Whether DecodeDirect can decode with this code table on this processor.
bool CanDecodeDirect(const uint8_t (&PalArray)[16]) {
    return std::all_of(std::begin(PalArray), std::end(PalArray),
                       [](uint8_t c) { return c < 16; }) &&
           (codec_avx512::Available() || codec_avx2::Available());
}

// Decodes all tiles of a compressed image with one byte per chunk whose map lies wholly inside S,
// straight from S, without the plane data of the whole sprite. Only where CanDecodeDirect.
void DecodeDirect(const uint8_t* S, size_t Size, size_t MapBytes, size_t Tiles,
                  const uint8_t (&PalArray)[16], const uint16_t (&Hi)[256],
                  const uint16_t (&Lo)[256], uint16_t* Out) {
    size_t Src = HeaderSize + MapBytes;
    size_t t =
        codec_avx512::Available()
            ? codec_avx512::DecodeTilePairs(S + HeaderSize, S, Size, Tiles, PalArray, Src, Out)
            : codec_avx2::DecodeTiles(S + HeaderSize, S, Size, Tiles, PalArray, Src, Out);
    // The last tiles, whose chunk bytes reach the end of S.
    const uint8_t* const Map = S + HeaderSize;
    for (; t < Tiles; ++t) {
        uint8_t Planes[TileBytes] = {};
        for (size_t j = 0; j < 4; ++j)
            ExpandMapByte(S, Size, Map[4 * t + j], Src, Planes + 8 * j);
        DecodeTiles(Planes, 1, Hi, Lo, Out + t * TileWords);
    }
}

void DecodeCompressed(const uint8_t* S, size_t Size, TMyArray& OutBits) {
    const size_t BytesPerBit = ByteAt(S, Size, 3);
    uint8_t PalArray[16];
    for (int c = 0; c < 16; ++c)
        PalArray[c] = ByteAt(S, Size, 4 + size_t(c));
    const size_t MapBytes = size_t(ByteAt(S, Size, 20)) << 8 | ByteAt(S, Size, 21);

    // Only whole 32-byte tiles of the plane data are decoded; a partial last one is dropped.
    const size_t PlaneLen = BytesPerBit * MapBytes * 8;
    const size_t Tiles = PlaneLen / TileBytes;
    if (Tiles == 0)
        return;

    // The plane data can be non-zero only up to the last map byte whose chunks still find bytes
    // in S; everything after reads as zero and is never materialised. A truncated map leaves no
    // chunk data at all. With one byte per chunk the plane data is at most eight times the map,
    // so only larger chunks need the count.
    size_t MapAvail = 0; // map bytes that may hold present chunks with data
    if (Size > HeaderSize + MapBytes) {
        if (BytesPerBit == 1) {
            MapAvail = MapBytes;
        } else {
            const size_t DataBytes = Size - HeaderSize - MapBytes;
            size_t Present = 0;
            while (MapAvail < MapBytes && Present * BytesPerBit < DataBytes)
                Present += Tab.Pop[S[HeaderSize + MapAvail++]];
        }
    }
    const size_t Limit = MapAvail * 8 * BytesPerBit;
    const size_t LiveTiles = std::min(Tiles, (Limit + TileBytes - 1) / TileBytes);

    uint16_t Hi[256], Lo[256];
    for (int c = 0; c < 256; ++c) {
        const unsigned Pair = PalArray[c >> 4] * 16u + PalArray[c & 15];
        Hi[c] = uint16_t(Pair << 8);
        Lo[c] = uint16_t(Pair);
    }

    // The common case, the encoder's output: every chunk one byte, the whole map inside S.
    if (BytesPerBit == 1 && MapAvail == MapBytes && CanDecodeDirect(PalArray)) {
        OutBits.resize(Tiles * TileWords);
        DecodeDirect(S, Size, MapBytes, Tiles, PalArray, Hi, Lo, OutBits.data());
        return;
    }

    OutBits.reserve(Tiles * TileWords);
    AdviseHugePages(OutBits.data(), Tiles * TileWords * sizeof(uint16_t));
    OutBits.resize(LiveTiles * TileWords);
    if (LiveTiles > 0) {
        const size_t PlaneBytes = std::max(Limit, LiveTiles * TileBytes);
        TMyByteArray Planes;
        Planes.reserve(PlaneBytes);
        AdviseHugePages(Planes.data(), PlaneBytes);
        Planes.resize(PlaneBytes, 0);
        ExpandChunks(S, Size, BytesPerBit, MapBytes, MapAvail, Planes.data());
        DecodeTiles(Planes.data(), LiveTiles, Hi, Lo, OutBits.data());
    }
    // Tiles of all-zero planes: every pixel is code 0.
    const uint16_t Zero = uint16_t(Hi[0] + Lo[0]);
    OutBits.insert(OutBits.end(), (Tiles - LiveTiles) * TileWords, Zero);
}

// ---- Encoder ----------------------------------------------------------------------------------

// Adds the pixel counts of the words w[0, n) to Cnt.
void CountPixelsPlain(const uint16_t* w, size_t n, int64_t (&Cnt)[16]) {
    // Byte histograms, one for each byte of eight words in turn: a sprite is mostly a few
    // values, and increments of one counter must not wait on each other.
    constexpr int Copies = 16;
    std::vector<uint32_t> Hist(Copies * 256, 0);
    uint32_t* h = Hist.data();
    size_t i = 0;
    for (; i + 8 <= n; i += 8)
#pragma GCC unroll 8
        for (int k = 0; k < 8; ++k) {
            ++h[(2 * k) * 256 + (w[i + k] & 0xFF)];
            ++h[(2 * k + 1) * 256 + (w[i + k] >> 8)];
        }
    for (; i < n; ++i) {
        ++h[w[i] & 0xFF];
        ++h[256 + (w[i] >> 8)];
    }
    for (int b = 0; b < 256; ++b) {
        int64_t c = 0;
        for (int k = 0; k < Copies; ++k)
            c += h[k * 256 + b];
        Cnt[b & 15] += c;
        Cnt[b >> 4] += c;
    }
}

// The pixel counts of all words, the trailing words of a partial tile included.
void CountPixels(const TMyArray& Words, int64_t (&Cnt)[16]) {
    for (int v = 0; v < 16; ++v)
        Cnt[v] = 0;
    size_t Done = 0;
    if (codec_avx512::Available())
        Done = codec_avx512::CountPixels(Words.data(), Words.size(), Cnt);
    else if (codec_avx2::Available())
        Done = codec_avx2::CountPixels(Words.data(), Words.size(), Cnt);
    CountPixelsPlain(Words.data() + Done, Words.size() - Done, Cnt);
}

// Appends the non-zero bytes of one 8-byte plane slot (row r in bits 8r to 8r + 7) and returns
// the slot's presence map byte (row 0 in the most significant bit). Out has room for 8 more
// bytes: the bytes past the appended ones are scratch.
inline uint8_t EmitSlot(uint64_t v, uint8_t*& Out) {
    constexpr uint64_t Low7 = 0x7F7F7F7F7F7F7F7FULL;
    // Bit 8r + 7 set when byte r is non-zero; then those bits gathered, row r to bit 7 - r.
    const uint64_t Nz = (((v & Low7) + Low7) | v) & ~Low7;
    const unsigned m = unsigned(((Nz >> 7) * 0x8040201008040201ULL) >> 56);
    const uint64_t* Narrow = Tab.Narrow[m];
    uint64_t t = v & Narrow[0];
    v = (v ^ t) | (t >> 8);
    t = v & Narrow[1];
    v = (v ^ t) | (t >> 16);
    t = v & Narrow[2];
    v = (v ^ t) | (t >> 32);
    StoreLE64(Out, v);
    Out += Tab.Pop[m];
    return uint8_t(m);
}

} // namespace

TSpriteForm CompDecompUnit::SpriteFormOf(const uint8_t* S, size_t Size) {
    const uint8_t b0 = ByteAt(S, Size, 0), b1 = ByteAt(S, Size, 1);
    if (b0 == 0 && b1 == 2 && ByteAt(S, Size, 2) == 0xFF)
        return TSpriteForm::Compressed;
    if (b0 == 0 && b1 == 1 && Size >= UncompOffset) {
        // Exactly the lengths that the uncompressed writer produces: 4 + 2n for an even word count
        // n, 5 + 2n with a zero pad byte for an odd one; and the block count n div 16 (low 16
        // bits, little-endian) in bytes 2-3.
        size_t n = 0;
        bool Fits = false;
        const size_t Rest = Size - UncompOffset;
        if (Rest % 4 == 0) {
            n = Rest / 2;
            Fits = true;
        } else if (Rest % 4 == 3 && S[Size - 1] == 0) {
            n = (Rest - 1) / 2;
            Fits = true;
        }
        const size_t Count = size_t(S[2]) | size_t(S[3]) << 8;
        if (Fits && Count == (n / TileWords) % 65536)
            return TSpriteForm::Uncompressed;
    }
    return TSpriteForm::Plain;
}

void CompDecompUnit::DeCompress(const uint8_t* S, size_t Size, TMyArray& OutBits) {
    OutBits.clear();
    switch (SpriteFormOf(S, Size)) {
    case TSpriteForm::Compressed:
        DecodeCompressed(S, Size, OutBits);
        break;
    case TSpriteForm::Uncompressed:
        DecodeWords(S, Size, UncompOffset, (Size - UncompOffset) / 2, OutBits);
        break;
    case TSpriteForm::Plain:
        DecodeWords(S, Size, PlainOffset, Size > PlainOffset ? (Size - PlainOffset + 1) / 2 : 0,
                    OutBits);
        break;
    }
}

TMyByteArray CompDecompUnit::Compress(const TMyArray& OutBits) {
    const size_t W = OutBits.size();
    if (W > MaxCompressWords)
        throw Exception(QStringLiteral("The sprite has %1 words, more than the compressed form "
                                       "can hold (%2 words).")
                            .arg(qulonglong(W))
                            .arg(qulonglong(MaxCompressWords)));

    // The code table: codes by falling count, ties and unused values to the smaller value.
    int64_t Cnt[16];
    CountPixels(OutBits, Cnt);
    uint8_t SortedCols[16], Alpha[16];
    for (int I = 0; I < 16; ++I) {
        int64_t Best = -1;
        int Chosen = 0;
        for (int v = 0; v < 16; ++v)
            if (Cnt[v] > Best) {
                Best = Cnt[v];
                Chosen = v;
            }
        SortedCols[I] = uint8_t(Chosen);
        Alpha[Chosen] = uint8_t(I);
        Cnt[Chosen] = -1;
    }

    // Slots[k][b]: the byte b at position k of a row (pixels 2k and 2k+1) turned into codes and
    // split into its four slot bytes: two bits each, at bits 7-2k and 6-2k of byte s for slot s.
    uint32_t Slots[4][256];
    for (int b = 0; b < 256; ++b) {
        const unsigned Left = Alpha[b >> 4], Right = Alpha[b & 15];
        uint32_t Fields = 0;
        for (int Bit = 0; Bit < 4; ++Bit) {
            const unsigned Two = ((Left >> Bit) & 1u) << 1 | ((Right >> Bit) & 1u);
            Fields |= uint32_t(Two) << (8 * SlotOfCodeBit[Bit]);
        }
        for (int k = 0; k < 4; ++k)
            Slots[k][b] = Fields << (6 - 2 * k);
    }

    // Map bytes cover (2W) div 8 plane bytes: four per whole tile, then zeros for the plane bytes
    // of a partial tile. Chunk data are the non-zero plane bytes in order.
    const size_t Tiles = W / TileWords;
    const size_t MapBytes = (2 * W) / 8;
    TMyByteArray Out(HeaderSize + MapBytes + Tiles * TileBytes + 8, 0);
    const uint8_t Head[4] = {0x00, 0x02, 0xFF, 0x01};
    std::memcpy(Out.data(), Head, 4);
    std::memcpy(Out.data() + 4, SortedCols, 16);
    Out[20] = uint8_t(MapBytes >> 8);
    Out[21] = uint8_t(MapBytes & 0xFF);
    uint8_t* Map = Out.data() + HeaderSize;
    uint8_t* Data = Map + MapBytes;
    size_t t = 0;
    if (codec_avx512::Available())
        t = codec_avx512::EncodeTilePairs(OutBits.data(), Tiles, Alpha, Map, Data);
    else if (codec_avx2::Available())
        t = codec_avx2::EncodeTiles(OutBits.data(), Tiles, Alpha, Map, Data);
    const uint16_t* In = OutBits.data() + t * TileWords;
    for (; t < Tiles; ++t, In += TileWords) {
        uint64_t Slot0 = 0, Slot1 = 0, Slot2 = 0, Slot3 = 0;
#pragma GCC unroll 8
        for (int r = 0; r < 8; ++r) {
            const unsigned w0 = In[2 * r], w1 = In[2 * r + 1];
            const uint32_t Row =
                Slots[0][w0 >> 8] | Slots[1][w0 & 0xFF] | Slots[2][w1 >> 8] | Slots[3][w1 & 0xFF];
            Slot0 |= uint64_t(Row & 0xFF) << (8 * r);
            Slot1 |= uint64_t((Row >> 8) & 0xFF) << (8 * r);
            Slot2 |= uint64_t((Row >> 16) & 0xFF) << (8 * r);
            Slot3 |= uint64_t(Row >> 24) << (8 * r);
        }
        Map[0] = EmitSlot(Slot0, Data);
        Map[1] = EmitSlot(Slot1, Data);
        Map[2] = EmitSlot(Slot2, Data);
        Map[3] = EmitSlot(Slot3, Data);
        Map += 4;
    }
    size_t Len = size_t(Data - Out.data());
    if (Len & 1)
        Out[Len++] = 0; // the pad byte
    Out.resize(Len);
    return Out;
}

TBlocksArray CompDecompUnit::MakeBlockArray(const TMyArray& BA) {
    TBlocksArray Blocks(BA.size() / TileWords);
    const uint16_t* w = BA.data();
    for (TBlock& Block : Blocks)
        for (auto& Row : Block) {
            Row[0] = uint8_t(w[0] >> 8);
            Row[1] = uint8_t(w[0] & 0xFF);
            Row[2] = uint8_t(w[1] >> 8);
            Row[3] = uint8_t(w[1] & 0xFF);
            w += 2;
        }
    return Blocks;
}

} // namespace velkora
