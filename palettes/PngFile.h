// SPDX-License-Identifier: MIT
#pragma once
// PNG pictures through libpng: a streaming writer of indexed (palette) PNGs, and a reader that
// gives either the indices and palette of an indexed PNG or the RGBA pixels of any PNG. libpng's
// errors arrive as velkora exceptions.

#include "shell/MyTypes.h"
#include "shell/SaveFile.h"

#include <QByteArray>
#include <QRgb>

#include <memory>
#include <vector>

namespace velkora {

// The largest width and height the PNG format allows (2^31 - 1). libpng's own default limit of
// 1,000,000 is raised to this for the pictures written here.
constexpr uint32_t PngMaxSide = 0x7FFFFFFFu;
// The largest picture DecodePng takes, and the sprite export writes, in pixels (its RGBA form
// is 4 bytes a pixel). The picture of the largest sprite the compressed form holds (4,177,856
// blocks: 267,384,960 pixels in 24x24 groups five to a row, the largest of the five sizes) fits.
constexpr uint64_t PngMaxReadPixels = uint64_t(1) << 28;

// The reader's limits on what a file's own words may cost: an ancillary chunk longer than
// PngMaxChunkBytes is skipped unread, and a text kept is cut to PngMaxTextBytes (inflated).
constexpr size_t PngMaxChunkBytes = size_t(1) << 20;
constexpr size_t PngMaxTextBytes = size_t(1) << 16;

// A tEXt chunk: keyword of 1 to 79 Latin-1 characters, text in Latin-1.
struct TPngText {
    QByteArray Keyword;
    QByteArray Text;
};

// Filtering and zlib settings of the writer.
enum class TPngFilter { None, Sub, Up, Average, Paeth, Adaptive };
enum class TPngStrategy { Default, Filtered, HuffmanOnly, Rle, Fixed };
struct TPngCompression {
    TPngFilter Filter = TPngFilter::None;
    int Level = 6; // zlib level, 0 (store) to 9 (smallest)
    TPngStrategy Strategy = TPngStrategy::Default;
};

namespace PngFile {
// The smallest PNG bit depth (1, 2, 4 or 8) whose indices reach Colours colours.
int IndexedBitDepth(size_t Colours);
} // namespace PngFile

// Writes an indexed PNG (colour type 3) row by row to a sink; only one row is held at a time.
// The header (IHDR, PLTE, then the tEXt chunks) is written by the constructor, the rows by
// WriteRows, the end by Finish. Any error raises an Exception (the sink's own, or EFormatError)
// and leaves the writer failed: every later call raises again.
class TIndexedPngWriter {
public:
    // Colours: 1 to 256 opaque colours (alpha is ignored). BitDepth 0 picks IndexedBitDepth;
    // otherwise 1, 2, 4 or 8, enough for the colours. Refuses (EFormatError, before anything is
    // written) a width or height of 0 or over PngMaxSide, naming the limit.
    TIndexedPngWriter(TByteSink& Sink, uint32_t Width, uint32_t Height,
                      const std::vector<QRgb>& Colours, const std::vector<TPngText>& Texts = {},
                      const TPngCompression& Compression = {}, int BitDepth = 0);
    ~TIndexedPngWriter();
    TIndexedPngWriter(const TIndexedPngWriter&) = delete;
    TIndexedPngWriter& operator=(const TIndexedPngWriter&) = delete;

    // Count rows of Width colour indices, one byte each, the first at Rows and each next one
    // Stride bytes further. An index outside the palette, or more rows than Height, raises
    // EFormatError.
    void WriteRows(const uint8_t* Rows, size_t Stride, uint32_t Count);
    void WriteRow(const uint8_t* Row) { WriteRows(Row, 0, 1); }
    // Ends the picture; raises EFormatError when fewer than Height rows were written.
    void Finish();

    uint32_t Width() const { return fWidth; }
    uint32_t Height() const { return fHeight; }
    uint32_t RowsWritten() const { return fRowsWritten; }

private:
    struct TContext;
    [[noreturn]] void Raise();
    void CheckUsable() const;

    std::unique_ptr<TContext> fContext;
    uint32_t fWidth;
    uint32_t fHeight;
    uint32_t fRowsWritten = 0;
    size_t fColourCount;
    bool fFailed = false;
    bool fFinished = false;
};

namespace PngFile {
// Writes a whole indexed picture (Width x Height indices, row by row) to FileName atomically.
void WriteIndexedPngFile(const QString& FileName, const uint8_t* Indices, uint32_t Width,
                         uint32_t Height, const std::vector<QRgb>& Colours,
                         const std::vector<TPngText>& Texts = {},
                         const TPngCompression& Compression = {}, int BitDepth = 0);
} // namespace PngFile

// A decoded PNG.
struct TPngPicture {
    uint32_t Width = 0;
    uint32_t Height = 0;
    // True for an indexed PNG read with its indices: Pixels holds one index a byte (whatever the
    // file's bit depth), Palette the PLTE (with the tRNS alphas). Otherwise Pixels holds 4 bytes
    // a pixel, R, G, B, A, whatever the file's colour type (grey, palette, truecolour, 16 bits
    // taken to 8), and Palette is empty.
    bool Indexed = false;
    std::vector<QRgb> Palette;
    TMyByteArray Pixels;
    // The texts (tEXt, zTXt or iTXt) whose keywords the caller asked for, the first chunk of
    // each, in file order; each text inflated and cut to PngMaxTextBytes.
    std::vector<TPngText> Texts;
    // The file's colour type and bit depth as its IHDR states them.
    int ColorType = 0;
    int BitDepth = 0;

    // The text of the first chunk with Keyword; a null QByteArray when there is none.
    QByteArray Text(const QByteArray& Keyword) const;
};

namespace PngFile {
// Decodes a PNG image held in memory. KeepIndices: an indexed PNG gives its indices (otherwise
// every PNG gives RGBA). Name goes into the messages. TextKeywords: the texts to keep; all other
// ancillary chunks are dropped unread. Raises EFormatError for anything that is not a whole,
// valid PNG, for a picture over PngMaxReadPixels and for one larger than the file can hold
// (both before allocating it). What it takes
// besides the picture is bounded: a few chunks of PngMaxChunkBytes at most.
TPngPicture DecodePng(const uint8_t* Data, size_t Size, bool KeepIndices, const QString& Name,
                      const std::vector<QByteArray>& TextKeywords = {});
// The PLTE of a PNG held in memory, read with the header by libpng and without the pixels: every
// entry the chunk holds, in order, also those beyond the 2^depth an indexed picture can use (which
// libpng itself drops). Empty when the file has no PLTE. Raises EFormatError for anything that is
// not a valid PNG up to its first IDAT.
std::vector<QRgb> DecodePngPalette(const uint8_t* Data, size_t Size, const QString& Name);
// Reads and decodes a PNG file (ReadFileBytes, then DecodePng with the file's full name).
TPngPicture ReadPngFile(const QString& FileName, bool KeepIndices,
                        const std::vector<QByteArray>& TextKeywords = {});
} // namespace PngFile

} // namespace velkora
