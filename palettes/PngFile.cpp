// SPDX-License-Identifier: MIT
#include "palettes/PngFile.h"

#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <exception>
#include <new>

namespace velkora {

// ---- libpng's error jump, kept away from C++ ------------------------------------------------
//
// libpng reports an error by calling the error callback, which must not return: it longjmps back
// to the setjmp of the call that is running. The jump leaves every frame in between without
// unwinding, so it must never cross a C++ object with a destructor. All libpng calls that can
// fail therefore run inside Guarded: a step function whose locals are plain data, called under
// the setjmp, with everything it touches held by a state object that lives on the caller's side.
// An exception from our own callbacks (the sink) is caught inside the callback, kept in the state
// and rethrown by the C++ caller once Guarded has returned.

namespace {

struct TLibpngState {
    png_structp Png = nullptr;
    png_infop Info = nullptr;
    char Message[256] = {};
};

void OnError(png_structp Png, png_const_charp Message) {
    auto* State = static_cast<TLibpngState*>(png_get_error_ptr(Png));
    std::snprintf(State->Message, sizeof State->Message, "%s", Message ? Message : "error");
    png_longjmp(Png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

// Runs Step(State, Argument) with libpng's error jump set; false when libpng reported an error
// (its text is in State->Message).
template <typename TState, typename TArg>
bool Guarded(TState* State, void (*Step)(TState*, TArg), TArg Argument) {
    if (setjmp(png_jmpbuf(State->Png)))
        return false;
    Step(State, Argument);
    return true;
}

} // namespace

int PngFile::IndexedBitDepth(size_t Colours) {
    if (Colours <= 2)
        return 1;
    if (Colours <= 4)
        return 2;
    if (Colours <= 16)
        return 4;
    return 8;
}

// ---- Writer ---------------------------------------------------------------------------------

struct TIndexedPngWriter::TContext : TLibpngState {
    TByteSink* Sink = nullptr;
    std::exception_ptr SinkError;
};

namespace {

struct THeader {
    png_uint_32 Width;
    png_uint_32 Height;
    int BitDepth;
    png_color Palette[256];
    int ColourCount;
    png_text* Texts;
    int TextCount;
    int Level;
    int Strategy;
    int Filters;
};

struct TRows {
    const uint8_t* First;
    size_t Stride;
    uint32_t Count;
};

template <typename TState> void OnWrite(png_structp Png, png_bytep Data, size_t Size) {
    auto* State = static_cast<TState*>(png_get_io_ptr(Png));
    bool Failed = false;
    try {
        State->Sink->Write(Data, Size);
    } catch (...) {
        State->SinkError = std::current_exception();
        Failed = true;
    }
    if (Failed)
        png_error(Png, "the output cannot be written");
}

void OnFlush(png_structp) {}

template <typename TState> void WriteHeader(TState* State, const THeader* h) {
    png_set_write_fn(State->Png, State, &OnWrite<TState>, &OnFlush);
    png_set_user_limits(State->Png, PngMaxSide, PngMaxSide);
    // WriteRows checks the indices itself, faster than libpng's pixel by pixel check.
    png_set_check_for_invalid_index(State->Png, 0);
    png_set_IHDR(State->Png, State->Info, h->Width, h->Height, h->BitDepth, PNG_COLOR_TYPE_PALETTE,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
    png_set_PLTE(State->Png, State->Info, h->Palette, h->ColourCount);
    if (h->TextCount > 0)
        png_set_text(State->Png, State->Info, h->Texts, h->TextCount);
    png_set_compression_level(State->Png, h->Level);
    png_set_compression_strategy(State->Png, h->Strategy);
    png_set_filter(State->Png, PNG_FILTER_TYPE_BASE, h->Filters);
    png_set_compression_buffer_size(State->Png, 1 << 16);
    png_write_info(State->Png, State->Info);
    if (h->BitDepth < 8)
        png_set_packing(State->Png);
}

template <typename TState> void WriteRowsStep(TState* State, const TRows* r) {
    for (uint32_t i = 0; i < r->Count; ++i)
        png_write_row(State->Png, r->First + size_t(i) * r->Stride);
}

template <typename TState> void WriteEnd(TState* State, int) {
    png_write_end(State->Png, nullptr);
}

int FilterMask(TPngFilter f) {
    switch (f) {
    case TPngFilter::None:
        return PNG_FILTER_NONE;
    case TPngFilter::Sub:
        return PNG_FILTER_SUB;
    case TPngFilter::Up:
        return PNG_FILTER_UP;
    case TPngFilter::Average:
        return PNG_FILTER_AVG;
    case TPngFilter::Paeth:
        return PNG_FILTER_PAETH;
    case TPngFilter::Adaptive:
        return PNG_ALL_FILTERS;
    }
    return PNG_FILTER_NONE;
}

int ZlibStrategy(TPngStrategy s) {
    switch (s) {
    case TPngStrategy::Default:
        return Z_DEFAULT_STRATEGY;
    case TPngStrategy::Filtered:
        return Z_FILTERED;
    case TPngStrategy::HuffmanOnly:
        return Z_HUFFMAN_ONLY;
    case TPngStrategy::Rle:
        return Z_RLE;
    case TPngStrategy::Fixed:
        return Z_FIXED;
    }
    return Z_DEFAULT_STRATEGY;
}

bool ValidKeyword(const QByteArray& k) {
    if (k.isEmpty() || k.size() > 79 || k.startsWith(' ') || k.endsWith(' ') || k.contains("  "))
        return false;
    return std::all_of(k.begin(), k.end(), [](char c) {
        const auto u = uint8_t(c);
        return (u >= 32 && u <= 126) || u >= 161;
    });
}

} // namespace

TIndexedPngWriter::TIndexedPngWriter(TByteSink& Sink, uint32_t Width, uint32_t Height,
                                     const std::vector<QRgb>& Colours,
                                     const std::vector<TPngText>& Texts,
                                     const TPngCompression& Compression, int BitDepth)
    : fContext(std::make_unique<TContext>()), fWidth(Width), fHeight(Height),
      fColourCount(Colours.size()) {
    if (Width == 0 || Height == 0 || Width > PngMaxSide || Height > PngMaxSide)
        throw EFormatError(QStringLiteral("A PNG picture of %1 x %2 pixels cannot be written: "
                                          "PNG allows 1 to %3 pixels on a side")
                               .arg(Width)
                               .arg(Height)
                               .arg(PngMaxSide));
    if (Colours.empty() || Colours.size() > 256)
        throw EFormatError(
            QStringLiteral("An indexed PNG holds 1 to 256 colours, not %1").arg(Colours.size()));
    const int Needed = PngFile::IndexedBitDepth(Colours.size());
    if (BitDepth == 0)
        BitDepth = Needed;
    if ((BitDepth != 1 && BitDepth != 2 && BitDepth != 4 && BitDepth != 8) || BitDepth < Needed)
        throw EFormatError(QStringLiteral("An indexed PNG of %1 colours cannot have a bit depth "
                                          "of %2")
                               .arg(Colours.size())
                               .arg(BitDepth));
    if (Compression.Level < 0 || Compression.Level > 9)
        throw EFormatError(QStringLiteral("zlib levels are 0 to 9, not %1").arg(Compression.Level));
    for (const TPngText& t : Texts)
        if (!ValidKeyword(t.Keyword))
            throw EFormatError(QStringLiteral("\"%1\" is not a PNG text keyword")
                                   .arg(QString::fromLatin1(t.Keyword)));

    THeader h{};
    h.Width = Width;
    h.Height = Height;
    h.BitDepth = BitDepth;
    h.ColourCount = int(Colours.size());
    for (size_t i = 0; i < Colours.size(); ++i)
        h.Palette[i] = png_color{png_byte(qRed(Colours[i])), png_byte(qGreen(Colours[i])),
                                 png_byte(qBlue(Colours[i]))};
    // libpng copies the texts into its own storage during the header step.
    std::vector<png_text> PngTexts(Texts.size());
    for (size_t i = 0; i < Texts.size(); ++i) {
        PngTexts[i].compression = PNG_TEXT_COMPRESSION_NONE;
        PngTexts[i].key = const_cast<char*>(Texts[i].Keyword.constData());
        PngTexts[i].text = const_cast<char*>(Texts[i].Text.constData());
        PngTexts[i].text_length = size_t(Texts[i].Text.size());
    }
    h.Texts = PngTexts.data();
    h.TextCount = int(PngTexts.size());
    h.Level = Compression.Level;
    h.Strategy = ZlibStrategy(Compression.Strategy);
    h.Filters = FilterMask(Compression.Filter);

    TContext& c = *fContext;
    c.Sink = &Sink;
    c.Png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &c, &OnError, &OnWarning);
    if (!c.Png)
        throw std::bad_alloc();
    c.Info = png_create_info_struct(c.Png);
    if (!c.Info) {
        png_destroy_write_struct(&c.Png, nullptr);
        throw std::bad_alloc();
    }
    if (!Guarded(&c, &WriteHeader<TContext>, static_cast<const THeader*>(&h)))
        Raise();
}

TIndexedPngWriter::~TIndexedPngWriter() {
    if (fContext->Png)
        png_destroy_write_struct(&fContext->Png, &fContext->Info);
}

void TIndexedPngWriter::Raise() {
    fFailed = true;
    TContext& c = *fContext;
    const std::exception_ptr SinkError = c.SinkError;
    const QString Message = QString::fromLatin1(c.Message);
    png_destroy_write_struct(&c.Png, &c.Info);
    if (SinkError)
        std::rethrow_exception(SinkError);
    throw EFormatError(QStringLiteral("Cannot write the PNG picture: %1").arg(Message));
}

void TIndexedPngWriter::CheckUsable() const {
    if (fFailed)
        throw EFormatError(QStringLiteral("The PNG picture cannot be written after an error"));
    if (fFinished)
        throw EFormatError(QStringLiteral("The PNG picture is already complete"));
}

void TIndexedPngWriter::WriteRows(const uint8_t* Rows, size_t Stride, uint32_t Count) {
    CheckUsable();
    if (Count > fHeight - fRowsWritten)
        throw EFormatError(
            QStringLiteral("A PNG picture of %1 rows cannot take %2 more").arg(fHeight).arg(Count));
    // Packing to fewer bits would fold an index that is too large into its neighbours.
    for (uint32_t i = 0; i < Count; ++i) {
        const uint8_t* Row = Rows + size_t(i) * Stride;
        uint8_t Max = 0;
        for (uint32_t x = 0; x < fWidth; ++x)
            Max = std::max(Max, Row[x]);
        if (Max >= fColourCount) {
            const size_t x = size_t(
                std::find_if(Row, Row + fWidth, [&](uint8_t v) { return v >= fColourCount; }) -
                Row);
            throw EFormatError(QStringLiteral("Pixel (%1, %2) has colour index %3, but the "
                                              "palette has %4 colours")
                                   .arg(x)
                                   .arg(fRowsWritten + i)
                                   .arg(Row[x])
                                   .arg(fColourCount));
        }
    }
    const TRows r{Rows, Stride, Count};
    if (!Guarded(fContext.get(), &WriteRowsStep<TContext>, &r))
        Raise();
    fRowsWritten += Count;
}

void TIndexedPngWriter::Finish() {
    CheckUsable();
    if (fRowsWritten != fHeight)
        throw EFormatError(
            QStringLiteral("The PNG picture has %1 of its %2 rows").arg(fRowsWritten).arg(fHeight));
    if (!Guarded(fContext.get(), &WriteEnd<TContext>, 0))
        Raise();
    fFinished = true;
}

void PngFile::WriteIndexedPngFile(const QString& FileName, const uint8_t* Indices, uint32_t Width,
                                  uint32_t Height, const std::vector<QRgb>& Colours,
                                  const std::vector<TPngText>& Texts,
                                  const TPngCompression& Compression, int BitDepth) {
    TAtomicFileSink Sink(FileName);
    TIndexedPngWriter Writer(Sink, Width, Height, Colours, Texts, Compression, BitDepth);
    Writer.WriteRows(Indices, Width, Height);
    Writer.Finish();
    Sink.Commit();
}

// ---- Reader ---------------------------------------------------------------------------------

namespace {

struct TReadState : TLibpngState {
    const uint8_t* Data = nullptr;
    size_t Size = 0;
    size_t Pos = 0;
    // The text keywords to keep, and the texts kept (the first chunk of each keyword).
    const std::vector<QByteArray>* Keywords = nullptr;
    std::vector<TPngText> Texts;
    // From the IHDR, PLTE and tRNS.
    png_uint_32 Width = 0;
    png_uint_32 Height = 0;
    int BitDepth = 0;
    int ColorType = 0;
    int Interlace = 0;
    png_color Palette[256] = {};
    int PaletteCount = 0;
    png_byte Alpha[256] = {};
    int AlphaCount = 0;
    bool HasTrns = false;
    // Set by the transform step.
    size_t RowBytes = 0;
};

void OnRead(png_structp Png, png_bytep Out, size_t Size) {
    auto* State = static_cast<TReadState*>(png_get_io_ptr(Png));
    if (Size > State->Size - State->Pos)
        png_error(Png, "the file ends before the picture does");
    std::memcpy(Out, State->Data + State->Pos, Size);
    State->Pos += Size;
}

// Inflates a zlib stream into at most Max bytes; what lies beyond is cut off, and a stream
// that is broken gives what was inflated before the fault.
QByteArray InflateCapped(const uint8_t* Data, size_t Size, size_t Max) {
    QByteArray Out(int(Max), Qt::Uninitialized);
    z_stream z{};
    if (inflateInit(&z) != Z_OK)
        return QByteArray();
    z.next_in = const_cast<Bytef*>(Data);
    z.avail_in = uInt(Size);
    z.next_out = reinterpret_cast<Bytef*>(Out.data());
    z.avail_out = uInt(Max);
    while (z.avail_out > 0 && inflate(&z, Z_NO_FLUSH) == Z_OK) {
    }
    Out.truncate(int(Max - z.avail_out));
    inflateEnd(&z);
    return Out;
}

// A tEXt, zTXt or iTXt chunk's keyword and text, the text inflated and cut to PngMaxTextBytes.
bool ParseText(const png_unknown_chunk& Chunk, TPngText& Text) {
    const auto* p = Chunk.data;
    const size_t n = Chunk.size;
    const auto* KeyEnd =
        p ? static_cast<const png_byte*>(std::memchr(p, 0, std::min<size_t>(n, 80))) : nullptr;
    if (!KeyEnd)
        return false;
    Text.Keyword = QByteArray(reinterpret_cast<const char*>(p), int(KeyEnd - p));
    size_t At = size_t(KeyEnd - p) + 1;
    bool Compressed = false;
    const std::string Name(reinterpret_cast<const char*>(Chunk.name), 4);
    if (Name == "zTXt") {
        Compressed = true;
        At += 1; // compression method
    } else if (Name == "iTXt") {
        if (At + 2 > n)
            return false;
        Compressed = p[At] != 0;
        At += 2;                                  // compression flag and method
        for (int Field = 0; Field < 2; ++Field) { // language tag, translated keyword
            const auto* End = static_cast<const png_byte*>(std::memchr(p + At, 0, n - At));
            if (!End)
                return false;
            At = size_t(End - p) + 1;
        }
    }
    if (At > n)
        return false;
    if (Compressed)
        Text.Text = InflateCapped(p + At, n - At, PngMaxTextBytes);
    else
        Text.Text = QByteArray(reinterpret_cast<const char*>(p + At),
                               int(std::min<size_t>(n - At, PngMaxTextBytes)));
    return true;
}

// Every ancillary chunk but tRNS reaches here (at most PngMaxChunkBytes of it; longer ones are
// skipped unread): the texts asked for are kept, the rest dropped. Critical chunks libpng does
// not know are left to it to refuse.
int OnChunk(png_structp Png, png_unknown_chunkp Chunk) {
    if (!(Chunk->name[0] & 0x20))
        return 0;
    auto* s = static_cast<TReadState*>(png_get_user_chunk_ptr(Png));
    const std::string Name(reinterpret_cast<const char*>(Chunk->name), 4);
    if (Name != "tEXt" && Name != "zTXt" && Name != "iTXt")
        return 1;
    // Nothing may leave this callback but its result: libpng is C.
    try {
        TPngText Text;
        if (!ParseText(*Chunk, Text))
            return 1;
        const bool Wanted =
            std::find(s->Keywords->begin(), s->Keywords->end(), Text.Keyword) != s->Keywords->end();
        const bool Taken = std::any_of(s->Texts.begin(), s->Texts.end(), [&](const TPngText& t) {
            return t.Keyword == Text.Keyword;
        });
        if (Wanted && !Taken)
            s->Texts.push_back(std::move(Text));
    } catch (...) {
    }
    return 1;
}

void ReadHeader(TReadState* s, int) {
    png_set_read_fn(s->Png, s, &OnRead);
    png_set_user_limits(s->Png, PngMaxSide, PngMaxSide);
    // A chunk's declared length is not memory to give: no chunk but the picture's own is read
    // whole beyond PngMaxChunkBytes, nor more than a few kept; every ancillary chunk (texts,
    // profiles, metadata) goes to OnChunk, which keeps only the texts asked for.
    png_set_chunk_malloc_max(s->Png, PngMaxChunkBytes);
    png_set_chunk_cache_max(s->Png, 16);
    png_set_keep_unknown_chunks(s->Png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
    png_set_read_user_chunk_fn(s->Png, s, &OnChunk);
    // Indices past the palette are reported by the callers, with the pixel.
    png_set_check_for_invalid_index(s->Png, 0);
    png_read_info(s->Png, s->Info);
    png_get_IHDR(s->Png, s->Info, &s->Width, &s->Height, &s->BitDepth, &s->ColorType, &s->Interlace,
                 nullptr, nullptr);
    png_colorp Palette = nullptr;
    int Count = 0;
    if (png_get_PLTE(s->Png, s->Info, &Palette, &Count) && Palette) {
        s->PaletteCount = std::min(Count, 256);
        std::memcpy(s->Palette, Palette, sizeof(png_color) * size_t(s->PaletteCount));
    }
    png_bytep Alpha = nullptr;
    int AlphaCount = 0;
    if (png_get_tRNS(s->Png, s->Info, &Alpha, &AlphaCount, nullptr)) {
        s->HasTrns = true;
        if (Alpha && s->ColorType == PNG_COLOR_TYPE_PALETTE) {
            s->AlphaCount = std::min(AlphaCount, 256);
            std::memcpy(s->Alpha, Alpha, size_t(s->AlphaCount));
        }
    }
}

void SetIndexedTransforms(TReadState* s, int) {
    if (s->BitDepth < 8)
        png_set_packing(s->Png);
    png_set_interlace_handling(s->Png);
    png_read_update_info(s->Png, s->Info);
    s->RowBytes = png_get_rowbytes(s->Png, s->Info);
}

void SetRgbaTransforms(TReadState* s, int) {
    if (s->ColorType == PNG_COLOR_TYPE_PALETTE)
        png_set_palette_to_rgb(s->Png);
    if (s->ColorType == PNG_COLOR_TYPE_GRAY && s->BitDepth < 8)
        png_set_expand_gray_1_2_4_to_8(s->Png);
    if (s->HasTrns)
        png_set_tRNS_to_alpha(s->Png);
    if (s->BitDepth == 16)
        png_set_strip_16(s->Png);
    if (s->ColorType == PNG_COLOR_TYPE_GRAY || s->ColorType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(s->Png);
    if (!(s->ColorType & PNG_COLOR_MASK_ALPHA) && !s->HasTrns)
        png_set_filler(s->Png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(s->Png);
    png_read_update_info(s->Png, s->Info);
    s->RowBytes = png_get_rowbytes(s->Png, s->Info);
}

void ReadImage(TReadState* s, png_bytepp Rows) {
    png_read_image(s->Png, Rows);
    png_read_end(s->Png, s->Info);
}

// Owns the read structures on every path.
struct TReadStructs {
    TReadState* State;
    ~TReadStructs() {
        if (State->Png)
            png_destroy_read_struct(&State->Png, &State->Info, nullptr);
    }
};

// libpng reading Data, its header read (and the text chunks before the first IDAT whose keywords
// Keywords names); the structures go with it, also when the header cannot be read.
struct TOpenPng {
    TReadState s;
    TReadStructs Owner{&s};

    TOpenPng(const uint8_t* Data, size_t Size, const QString& Name,
             const std::vector<QByteArray>& Keywords) {
        if (Size < 8 || png_sig_cmp(Data, 0, 8) != 0)
            throw EFormatError(QStringLiteral("\"%1\" is not a PNG file").arg(Name));
        s.Data = Data;
        s.Size = Size;
        s.Keywords = &Keywords;
        s.Png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &s, &OnError, &OnWarning);
        if (!s.Png)
            throw std::bad_alloc();
        s.Info = png_create_info_struct(s.Png);
        if (!s.Info)
            throw std::bad_alloc();
        if (!Guarded(&s, &ReadHeader, 0))
            throw EFormatError(
                QStringLiteral("PNG file \"%1\": %2").arg(Name, QString::fromLatin1(s.Message)));
    }
    TOpenPng(const TOpenPng&) = delete;
    TOpenPng& operator=(const TOpenPng&) = delete;
};

} // namespace

QByteArray TPngPicture::Text(const QByteArray& Keyword) const {
    for (const TPngText& t : Texts)
        if (t.Keyword == Keyword)
            return t.Text;
    return QByteArray();
}

TPngPicture PngFile::DecodePng(const uint8_t* Data, size_t Size, bool KeepIndices,
                               const QString& Name, const std::vector<QByteArray>& TextKeywords) {
    auto Fail = [&](const QString& Why) {
        return EFormatError(QStringLiteral("PNG file \"%1\": %2").arg(Name, Why));
    };
    TOpenPng Open(Data, Size, Name, TextKeywords);
    TReadState& s = Open.s;

    const uint64_t Pixels = uint64_t(s.Width) * s.Height;
    if (Pixels > PngMaxReadPixels)
        throw Fail(QStringLiteral("a picture of %1 x %2 pixels is larger than the %3 pixels "
                                  "that can be read")
                       .arg(s.Width)
                       .arg(s.Height)
                       .arg(PngMaxReadPixels));
    // Deflate packs at most 1032 bytes into one: rows that the rest of the file cannot hold are
    // not waited for, nor their memory given.
    const int Samples = s.ColorType == PNG_COLOR_TYPE_RGB          ? 3
                        : s.ColorType == PNG_COLOR_TYPE_GRAY_ALPHA ? 2
                        : s.ColorType == PNG_COLOR_TYPE_RGB_ALPHA  ? 4
                                                                   : 1;
    const uint64_t PackedRow = (uint64_t(s.Width) * uint64_t(Samples * s.BitDepth) + 7) / 8;
    const uint64_t Packed = uint64_t(s.Height) * (PackedRow + 1);
    if (Packed > 1032 * uint64_t(Size - s.Pos) + 1024)
        throw Fail(QStringLiteral("its %1 bytes cannot hold a picture of %2 x %3 pixels")
                       .arg(Size)
                       .arg(s.Width)
                       .arg(s.Height));

    TPngPicture Picture;
    Picture.Width = s.Width;
    Picture.Height = s.Height;
    Picture.ColorType = s.ColorType;
    Picture.BitDepth = s.BitDepth;
    Picture.Indexed = KeepIndices && s.ColorType == PNG_COLOR_TYPE_PALETTE;
    if (Picture.Indexed) {
        for (int i = 0; i < s.PaletteCount; ++i)
            Picture.Palette.push_back(qRgba(s.Palette[i].red, s.Palette[i].green, s.Palette[i].blue,
                                            i < s.AlphaCount ? s.Alpha[i] : 255));
    }
    const size_t Channels = Picture.Indexed ? 1 : 4;
    if (!Guarded(&s, Picture.Indexed ? &SetIndexedTransforms : &SetRgbaTransforms, 0))
        throw Fail(QString::fromLatin1(s.Message));
    if (s.RowBytes != size_t(s.Width) * Channels)
        throw Fail(QStringLiteral("its rows cannot be read as %1 bytes a pixel").arg(Channels));

    Picture.Pixels.resize(size_t(Pixels) * Channels);
    std::vector<png_bytep> Rows(s.Height);
    for (size_t y = 0; y < Rows.size(); ++y)
        Rows[y] = Picture.Pixels.data() + y * s.RowBytes;
    if (!Guarded(&s, &ReadImage, Rows.data()))
        throw Fail(QString::fromLatin1(s.Message));

    Picture.Texts = std::move(s.Texts);
    return Picture;
}

std::vector<QRgb> PngFile::DecodePngPalette(const uint8_t* Data, size_t Size, const QString& Name) {
    const std::vector<QByteArray> NoTexts;
    TOpenPng Open(Data, Size, Name, NoTexts);
    const TReadState& s = Open.s;
    // libpng has checked every chunk up to the first IDAT; the PLTE's own length tells how many
    // entries it holds.
    std::vector<QRgb> Palette;
    for (size_t At = 8; At + 12 <= s.Pos;) {
        const uint32_t Length = uint32_t(Data[At]) << 24 | uint32_t(Data[At + 1]) << 16 |
                                uint32_t(Data[At + 2]) << 8 | uint32_t(Data[At + 3]);
        if (Length > s.Pos - At - 12)
            break;
        if (std::memcmp(Data + At + 4, "PLTE", 4) == 0) {
            const uint8_t* p = Data + At + 8;
            for (uint32_t i = 0; i + 3 <= Length; i += 3)
                Palette.push_back(qRgb(p[i], p[i + 1], p[i + 2]));
            break;
        }
        At += 12 + size_t(Length);
    }
    return Palette;
}

TPngPicture PngFile::ReadPngFile(const QString& FileName, bool KeepIndices,
                                 const std::vector<QByteArray>& TextKeywords) {
    const TMyByteArray Data = MyTypes::ReadFileBytes(FileName);
    return DecodePng(Data.data(), Data.size(), KeepIndices, MyTypes::ExpandFileName(FileName),
                     TextKeywords);
}

} // namespace velkora
