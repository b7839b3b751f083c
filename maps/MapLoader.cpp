// SPDX-License-Identifier: MIT
#include "maps/MapLoader.h"

#include <algorithm>
#include <cstring>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace velkora {

namespace {

constexpr size_t HeaderSize = 6;
constexpr uint8_t Escape = 0xFE;
constexpr uint8_t EndMarker = 0xFF;
constexpr size_t MaxPiece = 255;
constexpr int32_t TransposedPackType = 2;

// The word-at-a-time paths below take byte k of a loaded word as bits 8k to 8k + 7.
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
constexpr bool LittleEndian = true;
#else
constexpr bool LittleEndian = false;
#endif

constexpr uint64_t Ones = 0x0101010101010101ULL;
constexpr uint64_t Highs = 0x8080808080808080ULL;

inline uint64_t Load64(const uint8_t* p) {
    uint64_t w;
    std::memcpy(&w, p, 8);
    return w;
}
inline void Store64(uint8_t* p, uint64_t w) {
    std::memcpy(p, &w, 8);
}
// Bit 8k + 7 is set for the lowest zero byte k of x (higher bits may be set spuriously).
inline uint64_t ZeroBytes(uint64_t x) {
    return (x - Ones) & ~x & Highs;
}

// Index just past the run of equal cells that starts at i (i < n). Compares 16 or 8 cells at a
// time, so that finding the end of a run costs about one step for short runs and little for
// long ones.
size_t RunEnd(const uint8_t* p, size_t i, size_t n) {
    const uint8_t v = p[i];
    size_t j = i + 1;
#if defined(__SSE2__)
    const __m128i Pattern = _mm_set1_epi8(char(v));
    while (n - j >= 16) {
        const __m128i Block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + j));
        const unsigned Same = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(Block, Pattern)));
        if (Same != 0xFFFF)
            return j + size_t(__builtin_ctz(~Same));
        j += 16;
    }
#endif
    if (LittleEndian) {
        const uint64_t Pattern64 = uint64_t(v) * Ones;
        while (n - j >= 8) {
            const uint64_t Diff = Load64(p + j) ^ Pattern64;
            if (Diff != 0)
                return j + size_t(__builtin_ctzll(Diff) >> 3);
            j += 8;
        }
    }
    while (j < n && p[j] == v)
        ++j;
    return j;
}

// ---- Reading --------------------------------------------------------------------------------

// Decodes a cell stream block by block; an escape may be split between two blocks.
class CellReader {
public:
    CellReader(const uint8_t* S, size_t Size) : fS(S), fSize(Size) {}
    // Fills Out[0, Capacity) with the next cells, and with 0 from where the stream ends (an
    // escape cut off by the end of the stream is ignored). Returns how many cells came from the
    // stream. Reads only S[0, Size) and writes only Out[0, Capacity).
    size_t Read(uint8_t* Out, size_t Capacity);

private:
    const uint8_t* fS;
    size_t fSize;
    size_t fPos = 0;
    size_t fPending = 0; // cells of the last escape that did not fit into the previous block
    uint8_t fValue = 0;  // their value
};

size_t CellReader::Read(uint8_t* Out, size_t Capacity) {
    const uint8_t* const S = fS;
    const size_t Size = fSize;
    size_t i = fPos;
    size_t o = std::min(fPending, Capacity);
    if (o > 0)
        std::memset(Out, fValue, o);
    fPending -= o;
    if (LittleEndian && fPending == 0) {
        // While the stream has eight bytes left and Out room for any item plus slack, literals
        // are copied eight at a time and escapes filled sixteen at a time. Both may write past
        // the cells finished so far, but never more than 16 bytes past o, and whatever lies
        // past o is rewritten below.
        constexpr size_t Slack = MaxPiece + 17;
        const uint64_t EscapePattern = uint64_t(Escape) * Ones;
        while (Size - i >= 8 && Capacity - o >= Slack) {
            const uint64_t Word = Load64(S + i);
            const uint64_t Found = ZeroBytes(Word ^ EscapePattern);
            Store64(Out + o, Word);
            if (Found == 0) {
                i += 8;
                o += 8;
                continue;
            }
            const size_t Literals = size_t(__builtin_ctzll(Found) >> 3);
            i += Literals;
            o += Literals;
            if (Size - i < 3)
                break;
            const size_t Count = S[i + 1];
            const uint64_t Fill = uint64_t(S[i + 2]) * Ones;
            for (size_t k = 0; k < Count; k += 16) {
                Store64(Out + o + k, Fill);
                Store64(Out + o + k + 8, Fill);
            }
            o += Count;
            i += 3;
        }
    }
    // The exact loop: the rest of the stream near the end of either buffer.
    while (i < Size && o < Capacity && fPending == 0) {
        if (S[i] != Escape) {
            const size_t Limit = std::min(Size - i, Capacity - o);
            const void* Next = std::memchr(S + i, Escape, Limit);
            const size_t Len = Next ? size_t(static_cast<const uint8_t*>(Next) - (S + i)) : Limit;
            std::memcpy(Out + o, S + i, Len);
            i += Len;
            o += Len;
            continue;
        }
        if (Size - i < 3) {
            i = Size;
            break;
        }
        const size_t Count = S[i + 1];
        const size_t Fits = std::min(Count, Capacity - o);
        std::memset(Out + o, S[i + 2], Fits);
        fPending = Count - Fits;
        fValue = S[i + 2];
        o += Fits;
        i += 3;
    }
    fPos = i;
    if (o < Capacity)
        std::memset(Out + o, 0, Capacity - o);
    return o;
}

// Transposes an 8 x 8 block of bytes held as eight words (word j, byte k) into (word k, byte j).
inline void Transpose8x8(uint64_t x[8]) {
    auto Swap = [](uint64_t& a, uint64_t& b, unsigned Shift, uint64_t Mask) {
        const uint64_t t = ((a >> Shift) ^ b) & Mask;
        b ^= t;
        a ^= t << Shift;
    };
    for (int j = 0; j < 4; ++j)
        Swap(x[j], x[j + 4], 32, 0x00000000FFFFFFFFULL);
    for (int j : {0, 1, 4, 5})
        Swap(x[j], x[j + 2], 16, 0x0000FFFF0000FFFFULL);
    for (int j : {0, 2, 4, 6})
        Swap(x[j], x[j + 1], 8, 0x00FF00FF00FF00FFULL);
}

// Copies Cols columns of h cells each (Stored, column after column, each top to bottom) into
// the rows of Rows, whose rows lie Stride bytes apart: Rows[r * Stride + c] = Stored[c * h + r].
// Works in tiles of 64 x 64 cells so that both sides stay in the cache.
void Untranspose(const uint8_t* Stored, size_t Cols, size_t h, uint8_t* Rows, size_t Stride) {
    constexpr size_t Tile = 64;
    for (size_t r0 = 0; r0 < h; r0 += Tile) {
        const size_t r1 = std::min(h, r0 + Tile);
        for (size_t c0 = 0; c0 < Cols; c0 += Tile) {
            const size_t c1 = std::min(Cols, c0 + Tile);
            size_t r = r0;
            if (LittleEndian) {
                for (; r + 8 <= r1; r += 8) {
                    size_t c = c0;
                    for (; c + 8 <= c1; c += 8) {
                        uint64_t x[8];
                        for (size_t j = 0; j < 8; ++j)
                            x[j] = Load64(Stored + (c + j) * h + r);
                        Transpose8x8(x);
                        for (size_t k = 0; k < 8; ++k)
                            Store64(Rows + (r + k) * Stride + c, x[k]);
                    }
                    for (; c < c1; ++c)
                        for (size_t k = 0; k < 8; ++k)
                            Rows[(r + k) * Stride + c] = Stored[c * h + r + k];
                }
            }
            for (; r < r1; ++r)
                for (size_t c = c0; c < c1; ++c)
                    Rows[r * Stride + c] = Stored[c * h + r];
        }
    }
}

// The cells decoded between two reports of progress.
constexpr size_t ProgressStep = size_t(16) << 20;

// Decodes a transposed map into Rows (w x h, row by row) a strip of columns at a time, so that
// the stored order never needs a second map-sized buffer.
void ReadTransposed(CellReader& Reader, uint8_t* Rows, size_t w, size_t h,
                    const TProgress& Progress) {
    constexpr size_t StripBytes = 256 * 1024;
    size_t StripCols = std::max<size_t>(1, std::min(w, StripBytes / h));
    if (StripCols > 8)
        StripCols -= StripCols % 8;
    TMyByteArray Strip(StripCols * h);
    for (size_t c0 = 0; c0 < w; c0 += StripCols) {
        const size_t Cols = std::min(StripCols, w - c0);
        const size_t Got = Reader.Read(Strip.data(), Cols * h);
        if (Got == 0)
            break; // the stream has ended; the rest of Rows is already 0
        Untranspose(Strip.data(), Cols, h, Rows + c0, w);
        Report(Progress, (c0 + Cols) * h, w * h);
    }
}

// ---- Writing --------------------------------------------------------------------------------

#if defined(__SSE2__)
// Maps of many short runs spend most of their time here. Looks at the 16 cells from c (c[16]
// must exist; c starts a run, or lies inside a run of at most 3 cells) and returns how many of
// the first 14 belong to runs of 1 to 3 ordinary cells, up to the first cell of the escape
// value or the first cell of a run of 4 or more. Those cells are written as literals whatever
// their grouping into runs, so all 16 are copied to Out (room for 16 bytes) and the caller keeps
// the count returned.
inline size_t CopyLiterals(const uint8_t* c, uint8_t* Out) {
    const __m128i Cells = _mm_loadu_si128(reinterpret_cast<const __m128i*>(c));
    const __m128i Next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(c + 1));
    // Bit k: cell k equals cell k + 1. Long: cells k to k + 3 are equal (exact for k <= 13).
    const unsigned Same = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(Cells, Next)));
    const unsigned Long = Same & (Same >> 1) & (Same >> 2);
    const unsigned Escapes =
        unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(Cells, _mm_set1_epi8(char(Escape)))));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(Out), Cells);
    return size_t(__builtin_ctz(Long | Escapes | (1u << 14)));
}
#endif

#if defined(__SSE2__)
// Bit k (0 to 63) set where cell k differs from cell k + 1, that is where a run ends at cell k.
// Reads c[0, 65).
inline uint64_t RunEnds64(const uint8_t* c) {
    uint64_t Same = 0;
    for (int k = 0; k < 64; k += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(c + k));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(c + k + 1));
        Same |= uint64_t(unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(a, b)))) << k;
    }
    return ~Same;
}
#endif

// Writes one run of Count (1 to 255) cells of value v at p, which has room for 3 bytes, and
// returns the end of what it wrote: 1 to 3 ordinary cells as literals, otherwise one escape.
// Chooses without branching, as short runs of either kind follow each other at random.
inline uint8_t* PutShortRun(uint8_t* p, size_t Count, uint8_t v) {
    const bool Literal = (Count <= 3) & (v != Escape);
    const uint8_t Mask = uint8_t(-int(Literal)); // 0xFF for literals, else 0
    p[0] = uint8_t(Escape ^ ((v ^ Escape) & Mask));
    p[1] = uint8_t(uint8_t(Count) ^ ((v ^ uint8_t(Count)) & Mask));
    p[2] = v;
    return p + (3 ^ ((3 ^ Count) & size_t(-size_t(Literal))));
}

// Writes a run of more than 255 cells of value v as escapes. The run is cut so that its last
// piece keeps at least 4 cells: every piece then stays an escape, worth its three bytes.
// Ensure(p) makes room for at least 3 bytes and returns the (possibly moved) write position.
template <class EnsureRoom>
uint8_t* PutLongRun(uint8_t* p, size_t Count, uint8_t v, EnsureRoom Ensure) {
    while (Count > 0) {
        const size_t Piece = Count <= MaxPiece       ? Count
                             : Count - MaxPiece >= 4 ? MaxPiece
                                                     : Count - 4;
        p = Ensure(p);
        p[0] = Escape;
        p[1] = uint8_t(Piece);
        p[2] = v;
        p += 3;
        Count -= Piece;
    }
    return p;
}

// Raises EFormatError unless w x h is a size a map file can hold and Cells matches it. Where
// names the map in the message.
void CheckSaveSize(size_t Cells, int32_t w, int32_t h, const QString& Where) {
    if (w < 0 || h < 0 || w > 65535 || h > 65535)
        throw EFormatError(QStringLiteral("Cannot save %1 of %2 x %3 cells: width and height must "
                                          "be from 0 to 65535.")
                               .arg(Where)
                               .arg(w)
                               .arg(h));
    if (Cells != size_t(w) * size_t(h))
        throw EFormatError(QStringLiteral("Cannot save %1: it has %2 cells, but %3 x %4 needs %5.")
                               .arg(Where)
                               .arg(qulonglong(Cells))
                               .arg(w)
                               .arg(h)
                               .arg(qulonglong(size_t(w) * size_t(h))));
}

} // namespace

int32_t MapLoader::Incr(int32_t& i) {
    return ++i;
}

bool TMapSummary::Sparse() const {
    return Declared() > SparseMapCells && Described * 2 < Declared();
}

QString TMapSummary::SparseText(const QString& Name) const {
    const double Bytes = double(Declared());
    const QString Size = Bytes >= 1e9 ? QStringLiteral("%1 GB").arg(Bytes / 1e9, 0, 'f', 1)
                                      : QStringLiteral("%1 MB").arg(Bytes / 1e6, 0, 'f', 1);
    return QStringLiteral("%1 declares %2 x %3 cells (%4) but holds data for %5 of them.")
        .arg(Name)
        .arg(Width)
        .arg(Height)
        .arg(Size)
        .arg(qulonglong(Described));
}

TMapSummary MapLoader::SummarizeMap(const uint8_t* S, size_t Size, const QString& FileName) {
    if (Size < HeaderSize)
        throw EFormatError(QStringLiteral("Map file \"%1\" is too short: %2 bytes, but its header "
                                          "alone needs %3.")
                               .arg(FileName)
                               .arg(qulonglong(Size))
                               .arg(qulonglong(HeaderSize)));
    TMapSummary m;
    m.PackType = MyTypes::ReadBE16(S);
    m.Width = MyTypes::ReadBE16(S + 2);
    m.Height = MyTypes::ReadBE16(S + 4);
    // Literals one cell each, escapes their count; an escape cut off by the end counts nothing.
    uint64_t Cells = 0;
    size_t i = HeaderSize;
    size_t Trailing = 0; // end-marker bytes ending the last run of literals
    while (i < Size) {
        const void* e = std::memchr(S + i, Escape, Size - i);
        const size_t Literals = e ? size_t(static_cast<const uint8_t*>(e) - (S + i)) : Size - i;
        Cells += Literals;
        i += Literals;
        Trailing = 0;
        for (size_t k = i; k > i - Literals && S[k - 1] == EndMarker && Trailing < 2; --k)
            ++Trailing;
        if (!e)
            break;
        if (Size - i >= 3)
            Cells += S[i + 1];
        i += 3;
    }
    // The end marker, and the pad byte where the file would be odd without it.
    const uint64_t Marker = Trailing == 0 ? 0 : Trailing == 2 && Size % 2 == 0 ? 2 : 1;
    m.Described = std::min<uint64_t>(Cells - std::min(Cells, Marker), m.Declared());
    return m;
}

std::array<uint64_t, 256> MapLoader::CountValues(const uint8_t* S, size_t Size,
                                                 const QString& FileName) {
    const TMapSummary m = SummarizeMap(S, Size, FileName);
    std::array<uint64_t, 256> Counts{};
    uint64_t Left = m.Declared();
    size_t i = HeaderSize;
    while (i < Size && Left > 0) {
        if (S[i] != Escape) {
            ++Counts[S[i++]];
            --Left;
            continue;
        }
        if (Size - i < 3)
            break; // an escape cut off by the end of the file
        const uint64_t n = std::min<uint64_t>(S[i + 1], Left);
        Counts[S[i + 2]] += n;
        Left -= n;
        i += 3;
    }
    Counts[0] += Left; // the cells the stream does not reach
    return Counts;
}

TMyByteArray MapLoader::DecodeMap(const uint8_t* S, size_t Size, int32_t& PackType, int32_t& w,
                                  int32_t& h, const QString& FileName, const TProgress& Progress) {
    if (Size < HeaderSize)
        throw EFormatError(QStringLiteral("Map file \"%1\" is too short: %2 bytes, but its header "
                                          "alone needs %3.")
                               .arg(FileName)
                               .arg(qulonglong(Size))
                               .arg(qulonglong(HeaderSize)));
    const int32_t Pack = MyTypes::ReadBE16(S);
    const int32_t Width = MyTypes::ReadBE16(S + 2);
    const int32_t Height = MyTypes::ReadBE16(S + 4);
    // The cells come on top of the file image, which is in memory already.
    const size_t Cells = size_t(Width) * size_t(Height);
    const uint64_t Memory = MyTypes::PhysicalMemorySize();
    if (Memory != 0 && uint64_t(Cells) + Size > Memory)
        throw EFormatError(
            QStringLiteral("Map file \"%1\" claims %2 x %3 cells: their %4 bytes and "
                           "the file's %5 do not fit into this machine's %6 bytes "
                           "of memory.")
                .arg(FileName)
                .arg(Width)
                .arg(Height)
                .arg(qulonglong(Cells))
                .arg(qulonglong(Size))
                .arg(qulonglong(Memory)));
    TMyByteArray Result;
    try {
        CellReader Reader(S + HeaderSize, Size - HeaderSize);
        if (Pack == TransposedPackType && Width > 1 && Height > 1) {
            Result.assign(Cells, 0);
            ReadTransposed(Reader, Result.data(), size_t(Width), size_t(Height), Progress);
        } else {
            // A single row or column reads the same in either order. The cells are decoded (and
            // zero-filled past the stream) a step at a time, each step reported.
            Result.reserve(Cells);
            for (size_t o = 0; o < Cells; o += ProgressStep) {
                const size_t n = std::min(ProgressStep, Cells - o);
                Result.resize(o + n);
                Reader.Read(Result.data() + o, n);
                Report(Progress, o + n, Cells);
            }
        }
    } catch (const std::bad_alloc&) {
        throw EFormatError(QStringLiteral("Map file \"%1\" claims %2 x %3 cells, but the %4 bytes "
                                          "for them cannot be allocated.")
                               .arg(FileName)
                               .arg(Width)
                               .arg(Height)
                               .arg(qulonglong(Cells)));
    }
    PackType = Pack;
    w = Width;
    h = Height;
    return Result;
}

namespace {

// EncodeMap once the size is checked.
TMyByteArray EncodeCells(const TMyByteArray& Bytes, int32_t w, int32_t h,
                         const TProgress& Progress) {
    const size_t n = Bytes.size();
    const uint8_t* Cells = Bytes.data();

    TMyByteArray Out;
    // Maps of short runs take about a byte a cell, and only cells of the escape value take more;
    // the array grows should that not do.
    Out.reserve(HeaderSize + n + n / 8 + 2);
    Out.push_back(0);
    Out.push_back(1);
    MyTypes::AppendBE16(Out, uint16_t(w));
    MyTypes::AppendBE16(Out, uint16_t(h));
    // The stream is built in a small buffer and appended to Out a block at a time.
    uint8_t Buf[32768];
    uint8_t* const Last = Buf + sizeof Buf - 20; // while p <= Last, 20 bytes fit
    uint8_t* p = Buf;
    auto Ensure = [&](uint8_t* q) {
        if (q <= Last)
            return q;
        Out.insert(Out.end(), Buf, q);
        return Buf;
    };
    size_t i = 0;
    size_t NextReport = ProgressStep;
#if defined(__SSE2__)
    // Blocks of 64 cells: the runs that end inside a block are found at once and written one
    // after the other, without waiting on each other's lengths. A run that goes on past the block
    // starts the next block; one that fills it whole is measured and written on its own.
    constexpr size_t BlockRoom = 64 * 3;
    while (n - i >= 65) {
        if (p > Buf + sizeof Buf - BlockRoom) {
            Out.insert(Out.end(), Buf, p);
            p = Buf;
            if (i >= NextReport) {
                Report(Progress, i, n);
                NextReport = i + ProgressStep;
            }
        }
        uint64_t Ends = RunEnds64(Cells + i);
        if (Ends == 0) {
            const size_t End = RunEnd(Cells, i, n);
            const size_t Count = End - i;
            if (Count <= MaxPiece)
                p = PutShortRun(p, Count, Cells[i]);
            else
                p = PutLongRun(p, Count, Cells[i], Ensure);
            i = End;
            continue;
        }
        size_t Start = i;
        do {
            const size_t End = i + size_t(__builtin_ctzll(Ends)) + 1;
            p = PutShortRun(p, End - Start, Cells[Start]);
            Start = End;
            Ends &= Ends - 1;
        } while (Ends != 0);
        i = Start;
    }
#endif
    while (i < n) {
        p = Ensure(p);
        if (i >= NextReport) {
            Report(Progress, i, n);
            NextReport = i + ProgressStep;
        }
#if defined(__SSE2__)
        // Literals first, as many as can be told at once; then one run of any kind.
        if (n - i > 16) {
            const size_t Literals = CopyLiterals(Cells + i, p);
            p += Literals;
            i += Literals;
        }
#endif
        const size_t End = RunEnd(Cells, i, n);
        const size_t Count = End - i;
        if (Count <= MaxPiece)
            p = PutShortRun(p, Count, Cells[i]);
        else
            p = PutLongRun(p, Count, Cells[i], Ensure);
        i = End;
    }
    Out.insert(Out.end(), Buf, p);
    Report(Progress, n, n);
    Out.push_back(EndMarker);
    if (Out.size() % 2 != 0)
        Out.push_back(EndMarker);
    return Out;
}

// Encodes a checked map; Where names it should the memory for the encoding run out.
TMyByteArray EncodeChecked(const TMyByteArray& Bytes, int32_t w, int32_t h, const QString& Where,
                           const TProgress& Progress) {
    try {
        return EncodeCells(Bytes, w, h, Progress);
    } catch (const std::bad_alloc&) {
        throw EFormatError(QStringLiteral("Cannot save %1 of %2 x %3 cells: the memory for its "
                                          "encoding (up to %4 bytes) cannot be allocated.")
                               .arg(Where)
                               .arg(w)
                               .arg(h)
                               .arg(qulonglong(HeaderSize + 3 * Bytes.size() + 2)));
    }
}

} // namespace

TMyByteArray MapLoader::EncodeMap(const TMyByteArray& Bytes, int32_t w, int32_t h,
                                  const TProgress& Progress) {
    const QString Where = QStringLiteral("a map");
    CheckSaveSize(Bytes.size(), w, h, Where);
    return EncodeChecked(Bytes, w, h, Where, Progress);
}

TMyByteArray MapLoader::LoadMap(const QString& FileName, int32_t& w, int32_t& h) {
    int32_t PackType = 0;
    return LoadMap(FileName, w, h, PackType);
}

TMyByteArray MapLoader::LoadMap(const QString& FileName, int32_t& w, int32_t& h, int32_t& PackType,
                                const TProgress& Progress) {
    const TMyByteArray Data = MyTypes::ReadFileBytes(FileName, MaxMapFileSize);
    int32_t Type = 0;
    int32_t Width = 0;
    int32_t Height = 0;
    TMyByteArray Cells = DecodeMap(Data.data(), Data.size(), Type, Width, Height,
                                   MyTypes::ExpandFileName(FileName), Progress);
    w = Width;
    h = Height;
    PackType = Type;
    return Cells;
}

void MapLoader::SaveMap(const QString& FileName, const TMyByteArray& Bytes, int32_t w, int32_t h,
                        const TProgress& Progress) {
    const QString Where = QStringLiteral("map file \"%1\"").arg(MyTypes::ExpandFileName(FileName));
    CheckSaveSize(Bytes.size(), w, h, Where);
    MyTypes::WriteFileAtomically(FileName, EncodeChecked(Bytes, w, h, Where, Progress));
}

} // namespace velkora
