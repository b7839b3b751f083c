// SPDX-License-Identifier: MIT
// The PNG unit: indexed pictures written row by row and read back through libpng, through Qt's
// reader and straight from the file's chunks; every refusal and failure as an exception.

#include "palettes/PngFile.h"
#include "tests/support/TestSupport.h"

#include <QBuffer>
#include <QDir>
#include <QImage>

#include <gtest/gtest.h>
#include <zlib.h>

using namespace velkora;
using namespace velkora::test;

namespace {

std::vector<QRgb> Colours(size_t n, unsigned Seed) {
    Rng r(Seed);
    std::vector<QRgb> c(n);
    for (QRgb& v : c)
        v = qRgb(int(r() & 255), int(r() & 255), int(r() & 255));
    return c;
}

TMyByteArray RandomIndices(size_t Count, size_t Colours, unsigned Seed) {
    Rng r(Seed);
    TMyByteArray p(Count);
    for (uint8_t& v : p)
        v = uint8_t(r() % Colours);
    return p;
}

TMyByteArray Encode(uint32_t w, uint32_t h, const TMyByteArray& Indices,
                    const std::vector<QRgb>& Palette, const std::vector<TPngText>& Texts = {},
                    const TPngCompression& c = {}) {
    TMemorySink Sink;
    TIndexedPngWriter Writer(Sink, w, h, Palette, Texts, c);
    // Rows in uneven batches, as a streaming caller hands them over.
    uint32_t y = 0;
    for (uint32_t Batch = 1; y < h; Batch = Batch % 5 + 1) {
        const uint32_t n = std::min(Batch, h - y);
        Writer.WriteRows(Indices.data() + size_t(y) * w, w, n);
        y += n;
    }
    Writer.Finish();
    return Sink.Bytes;
}

// A message that the call raises, or "" when it raises nothing.
template <typename F> std::string Raised(F&& f) {
    try {
        f();
    } catch (const Exception& e) {
        return e.what();
    }
    return "";
}

TMyByteArray ChunkBytes(const char* Type, const TMyByteArray& Data) {
    TMyByteArray c;
    for (int s = 24; s >= 0; s -= 8)
        c.push_back(uint8_t(Data.size() >> s));
    c.insert(c.end(), Type, Type + 4);
    c.insert(c.end(), Data.begin(), Data.end());
    const uint32_t Crc = uint32_t(crc32(0, c.data() + 4, uInt(c.size() - 4)));
    for (int s = 24; s >= 0; s -= 8)
        c.push_back(uint8_t(Crc >> s));
    return c;
}

} // namespace

TEST(PngFile, IndexedPicturesRoundTripAtEveryBitDepth) {
    struct Case {
        size_t Colours;
        int Depth;
        uint32_t w, h;
    };
    // Odd widths leave a partial byte at the end of each packed row.
    for (const Case& c : {Case{2, 1, 13, 7}, Case{3, 2, 9, 5}, Case{4, 2, 1, 1},
                          Case{16, 4, 31, 17}, Case{35, 8, 24, 48}, Case{256, 8, 100, 3}}) {
        SCOPED_TRACE(c.Colours);
        const std::vector<QRgb> Palette = Colours(c.Colours, unsigned(c.Colours));
        const TMyByteArray Indices = RandomIndices(size_t(c.w) * c.h, c.Colours, c.w);
        const TMyByteArray File =
            Encode(c.w, c.h, Indices, Palette, {{"velkora-layout", "blocks=6 size=8x8 order=cw"}});

        // The file's own bytes: IHDR, PLTE, tEXt before IDAT.
        const std::vector<PngChunk> Chunks = ParsePngChunks(File);
        ASSERT_EQ(Chunks[0].Data.size(), 13u);
        EXPECT_EQ(ReadBE32(&Chunks[0].Data[0]), c.w);
        EXPECT_EQ(ReadBE32(&Chunks[0].Data[4]), c.h);
        EXPECT_EQ(Chunks[0].Data[8], c.Depth);
        EXPECT_EQ(Chunks[0].Data[9], 3);  // palette colour type
        EXPECT_EQ(Chunks[0].Data[12], 0); // not interlaced
        ASSERT_EQ(Chunks[1].Type, "PLTE");
        ASSERT_EQ(Chunks[1].Data.size(), 3 * c.Colours);
        for (size_t i = 0; i < c.Colours; ++i)
            EXPECT_EQ(
                qRgb(Chunks[1].Data[3 * i], Chunks[1].Data[3 * i + 1], Chunks[1].Data[3 * i + 2]),
                Palette[i]);
        ASSERT_EQ(Chunks[2].Type, "tEXt");
        const std::string Text(Chunks[2].Data.begin(), Chunks[2].Data.end());
        EXPECT_EQ(Text, std::string("velkora-layout\0blocks=6 size=8x8 order=cw", 41));
        EXPECT_EQ(Chunks[3].Type, "IDAT");

        // Back through the reader, as indices and as colours.
        const TPngPicture Back = PngFile::DecodePng(File.data(), File.size(), true, "t.png");
        EXPECT_TRUE(Back.Indexed);
        EXPECT_EQ(Back.Width, c.w);
        EXPECT_EQ(Back.Height, c.h);
        EXPECT_EQ(Back.BitDepth, c.Depth);
        EXPECT_EQ(Back.Palette, Palette);
        EXPECT_EQ(Back.Pixels, Indices);
        EXPECT_TRUE(Back.Text("velkora-layout").isNull()); // not asked for
        EXPECT_EQ(PngFile::DecodePng(File.data(), File.size(), true, "t.png", {"velkora-layout"})
                      .Text("velkora-layout"),
                  "blocks=6 size=8x8 order=cw");
        EXPECT_TRUE(Back.Text("other").isNull());
        const TPngPicture Rgba = PngFile::DecodePng(File.data(), File.size(), false, "t.png");
        ASSERT_FALSE(Rgba.Indexed);
        ASSERT_EQ(Rgba.Pixels.size(), Indices.size() * 4);
        for (size_t i = 0; i < Indices.size(); ++i) {
            const uint8_t* p = &Rgba.Pixels[4 * i];
            ASSERT_EQ(qRgba(p[0], p[1], p[2], p[3]), Palette[Indices[i]]) << i;
        }

        // And through Qt's reader.
        QImage Qt;
        ASSERT_TRUE(Qt.loadFromData(File.data(), int(File.size()), "png"));
        ASSERT_EQ(Qt.size(), QSize(int(c.w), int(c.h)));
        for (uint32_t y = 0; y < c.h; ++y)
            for (uint32_t x = 0; x < c.w; ++x)
                ASSERT_EQ(Qt.pixel(int(x), int(y)), Palette[Indices[y * c.w + x]]) << x << "," << y;
    }
}

TEST(PngFile, EveryCompressionSettingGivesTheSamePixels) {
    const std::vector<QRgb> Palette = Colours(35, 2);
    const TMyByteArray Indices = RandomIndices(48 * 30, 35, 9);
    for (TPngFilter f : {TPngFilter::None, TPngFilter::Sub, TPngFilter::Up, TPngFilter::Average,
                         TPngFilter::Paeth, TPngFilter::Adaptive})
        for (TPngStrategy s : {TPngStrategy::Default, TPngStrategy::Rle, TPngStrategy::Filtered})
            for (int Level : {0, 1, 9}) {
                const TMyByteArray File = Encode(48, 30, Indices, Palette, {}, {f, Level, s});
                EXPECT_EQ(PngFile::DecodePng(File.data(), File.size(), true, "t").Pixels, Indices)
                    << int(f) << " " << int(s) << " " << Level;
            }
}

TEST(PngFile, TheWriterStreamsAndTakesPicturesWiderThanLibpngsDefaultLimit) {
    // Bytes reach the sink while rows are still coming, so what the writer holds does not grow
    // with the picture's height.
    struct Counting : TByteSink {
        size_t Bytes = 0;
        void Write(const uint8_t*, size_t n) override { Bytes += n; }
    } Sink;
    const uint32_t w = 4000;
    TIndexedPngWriter Writer(Sink, w, 3000, Colours(200, 1), {}, {TPngFilter::None, 1, {}});
    for (uint32_t y = 0; y < 3000; ++y) {
        if (y == 1500) {
            EXPECT_GT(Sink.Bytes, size_t(w) * 1000);
        }
        const TMyByteArray Row = RandomIndices(w, 200, y);
        Writer.WriteRow(Row.data());
    }
    Writer.Finish();

    // libpng refuses widths over 1,000,000 unless told otherwise; the format allows 2^31 - 1.
    const uint32_t Wide = 65535 * 24;
    const TMyByteArray Indices = RandomIndices(Wide * 2, 3, 5);
    const TMyByteArray File = Encode(Wide, 2, Indices, Colours(3, 3));
    const TPngPicture Back = PngFile::DecodePng(File.data(), File.size(), true, "wide.png");
    EXPECT_EQ(Back.Width, Wide);
    EXPECT_EQ(Back.Pixels, Indices);
}

TEST(PngFile, TheWriterRefusesWhatPngCannotHold) {
    TMemorySink Sink;
    const std::vector<QRgb> Four = Colours(4, 1);
    EXPECT_EQ(Raised([&] { TIndexedPngWriter(Sink, 2147483648u, 1, Four); }),
              "A PNG picture of 2147483648 x 1 pixels cannot be written: PNG allows 1 to "
              "2147483647 pixels on a side");
    EXPECT_NE(Raised([&] { TIndexedPngWriter(Sink, 5, 0, Four); }).find("1 to 2147483647"),
              std::string::npos);
    EXPECT_EQ(Raised([&] { TIndexedPngWriter(Sink, 1, 1, Colours(257, 1)); }),
              "An indexed PNG holds 1 to 256 colours, not 257");
    EXPECT_EQ(Raised([&] { TIndexedPngWriter(Sink, 1, 1, Colours(17, 1), {}, {}, 4); }),
              "An indexed PNG of 17 colours cannot have a bit depth of 4");
    EXPECT_EQ(Raised([&] {
                  TIndexedPngWriter(Sink, 1, 1, Four, {{"", "x"}});
              }),
              "\"\" is not a PNG text keyword");
    EXPECT_TRUE(Sink.Bytes.empty()); // nothing was written for a refused picture

    TIndexedPngWriter Writer(Sink, 3, 2, Four);
    const uint8_t Bad[3] = {0, 3, 4};
    EXPECT_EQ(Raised([&] { Writer.WriteRow(Bad); }),
              "Pixel (2, 0) has colour index 4, but the palette has 4 colours");
    const uint8_t Good[3] = {0, 1, 3};
    Writer.WriteRow(Good);
    EXPECT_NE(Raised([&] { Writer.Finish(); }).find("has 1 of its 2 rows"), std::string::npos);
    Writer.WriteRow(Good);
    EXPECT_NE(Raised([&] { Writer.WriteRow(Good); }).find("cannot take 1 more"), std::string::npos);
    Writer.Finish();
    EXPECT_NE(Raised([&] { Writer.Finish(); }).find("already complete"), std::string::npos);
}

TEST(PngFile, ASinkThatFailsEndsTheWriterWithItsOwnError) {
    struct Failing : TByteSink {
        size_t Left = 300;
        void Write(const uint8_t*, size_t n) override {
            if (n > Left)
                throw EInOutError("Cannot write file \"x.png\". No space left on device");
            Left -= n;
        }
    } Sink;
    const uint32_t w = 500;
    const TMyByteArray Row = RandomIndices(w, 16, 8);
    std::string Message;
    try {
        TIndexedPngWriter Writer(Sink, w, 1000, Colours(16, 1), {}, {TPngFilter::None, 0, {}});
        for (int y = 0; y < 1000; ++y)
            Writer.WriteRow(Row.data());
        Writer.Finish();
    } catch (const EInOutError& e) {
        Message = e.what();
    }
    EXPECT_EQ(Message, "Cannot write file \"x.png\". No space left on device");
}

TEST(PngFile, TheReaderGivesRgbaOfEveryColourTypeAndRefusesBrokenFiles) {
    // Pictures of other colour types, written by Qt.
    QImage Rgb(5, 4, QImage::Format_RGB32);
    QImage Argb(5, 4, QImage::Format_ARGB32);
    QImage Grey(5, 4, QImage::Format_Grayscale8);
    QImage Rgb16(5, 4, QImage::Format_RGBX64);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x) {
            Rgb.setPixel(x, y, qRgb(40 * x, 60 * y, 7));
            Argb.setPixel(x, y, qRgba(40 * x, 60 * y, 7, x == 0 ? 0 : 255));
            Grey.setPixel(x, y, qRgb(10 * x + y, 10 * x + y, 10 * x + y));
            Rgb16.setPixel(x, y, qRgb(40 * x, 60 * y, 200));
        }
    for (const QImage* Image : {&Rgb, &Argb, &Grey, &Rgb16}) {
        QByteArray Data;
        QBuffer b(&Data);
        b.open(QIODevice::WriteOnly);
        ASSERT_TRUE(Image->save(&b, "png"));
        const TPngPicture p = PngFile::DecodePng(reinterpret_cast<const uint8_t*>(Data.constData()),
                                                 size_t(Data.size()), true, "q.png");
        EXPECT_FALSE(p.Indexed);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 5; ++x) {
                const uint8_t* px = &p.Pixels[size_t(4 * (y * 5 + x))];
                const QRgb Want = Image->pixel(x, y);
                EXPECT_EQ(qRgba(px[0], px[1], px[2], px[3]), Want) << x << "," << y;
            }
    }

    const TMyByteArray File = Encode(20, 20, RandomIndices(400, 16, 2), Colours(16, 5));
    EXPECT_EQ(Raised([&] { PngFile::DecodePng(File.data(), 7, true, "a.png"); }),
              "\"a.png\" is not a PNG file");
    // Cut anywhere after the signature, or with a byte changed: an error, never a crash.
    for (size_t Cut = 8; Cut < File.size(); Cut += 3)
        EXPECT_NE(Raised([&] { PngFile::DecodePng(File.data(), Cut, true, "a.png"); }), "") << Cut;
    for (size_t i = 8; i < File.size(); ++i) {
        TMyByteArray Bad = File;
        Bad[i] ^= 0x20;
        const std::string m =
            Raised([&] { PngFile::DecodePng(Bad.data(), Bad.size(), i % 2, "b.png"); });
        EXPECT_EQ(m.rfind("PNG file \"b.png\": ", 0), 0u) << i << " " << m;
    }

    // A header that claims a huge picture is refused before anything is allocated.
    TMyByteArray Ihdr = ParsePngChunks(File)[0].Data;
    for (size_t k : {0, 4}) // 1,000,000 x 1,000,000
        Ihdr[k] = 0x00, Ihdr[k + 1] = 0x0F, Ihdr[k + 2] = 0x42, Ihdr[k + 3] = 0x40;
    TMyByteArray Huge(File.begin(), File.begin() + 8);
    const TMyByteArray Chunk = ChunkBytes("IHDR", Ihdr);
    Huge.insert(Huge.end(), Chunk.begin(), Chunk.end());
    Huge.insert(Huge.end(), File.begin() + 8 + 25, File.end());
    EXPECT_EQ(Raised([&] { PngFile::DecodePng(Huge.data(), Huge.size(), false, "h.png"); }),
              "PNG file \"h.png\": a picture of 1000000 x 1000000 pixels is larger than the "
              "268435456 pixels that can be read");
    // One within the limit whose rows the file cannot hold is refused before its memory is
    // given: 8000 x 8000 RGBA (256 MB) from a file of some 100 bytes.
    TMyByteArray Tiny(File.begin(), File.begin() + 8);
    TMyByteArray Rgba = ParsePngChunks(File)[0].Data;
    for (size_t k : {0, 4}) // 8000
        Rgba[k] = 0, Rgba[k + 1] = 0, Rgba[k + 2] = 0x1F, Rgba[k + 3] = 0x40;
    Rgba[8] = 8;
    Rgba[9] = 6;
    const TMyByteArray RgbaChunk = ChunkBytes("IHDR", Rgba);
    Tiny.insert(Tiny.end(), RgbaChunk.begin(), RgbaChunk.end());
    const TMyByteArray Idat = ChunkBytes("IDAT", Bytes({0x78, 0x9C, 0x63, 0, 0, 0, 1, 0, 1}));
    Tiny.insert(Tiny.end(), Idat.begin(), Idat.end());
    const TMyByteArray End = ChunkBytes("IEND", {});
    Tiny.insert(Tiny.end(), End.begin(), End.end());
    QString Message;
    const auto Decode = [&] { PngFile::DecodePng(Tiny.data(), Tiny.size(), false, "t.png"); };
    if (MemoryLimitsWork)
        EXPECT_EQ(RunWithMemoryLimit(uint64_t(64) << 20, Decode, &Message), 1);
    else
        Message = QString::fromStdString(Raised(Decode));
    EXPECT_EQ(Message, QString("PNG file \"t.png\": its %1 bytes cannot hold a picture of 8000 "
                               "x 8000 pixels")
                           .arg(Tiny.size()));
}

TEST(PngFile, AFileIsReplacedOnlyWhenThePictureIsComplete) {
    TempDir d;
    const QString f = d.file("p.png");
    WriteBytes(f, Bytes({1, 2, 3}));
    const TMyByteArray Indices = RandomIndices(64, 16, 1);
    // A picture that fails half way leaves the old file and no temporary file.
    {
        TAtomicFileSink Sink(f);
        TIndexedPngWriter Writer(Sink, 8, 8, Colours(16, 2));
        Writer.WriteRows(Indices.data(), 8, 4);
    }
    EXPECT_EQ(ReadBytes(f), Bytes({1, 2, 3}));
    EXPECT_EQ(QDir(d.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"p.png"});

    PngFile::WriteIndexedPngFile(f, Indices.data(), 8, 8, Colours(16, 2));
    EXPECT_EQ(PngFile::ReadPngFile(f, true).Pixels, Indices);

    EXPECT_NE(Raised([&] { TAtomicFileSink Sink(d.path()); }).find("Cannot create file"),
              std::string::npos);
    EXPECT_NE(Raised([&] {
                  TAtomicFileSink Sink(d.file("no/such/folder/p.png"));
              }).find("Cannot create file"),
              std::string::npos);

    // The disk fills up: EInOutError from the commit or a write, the old file whole.
    QString Message;
    const int Status = RunWithFileSizeLimit(
        4096,
        [&] {
            const TMyByteArray Big = RandomIndices(256 * 256, 256, 3);
            PngFile::WriteIndexedPngFile(f, Big.data(), 256, 256, Colours(256, 1));
        },
        &Message);
    EXPECT_EQ(Status, 1) << Message.toStdString();
    EXPECT_TRUE(Message.startsWith(QStringLiteral("Cannot write file \"%1\".").arg(f)))
        << Message.toStdString();
    EXPECT_EQ(PngFile::ReadPngFile(f, true).Pixels, Indices);
    EXPECT_EQ(QDir(d.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"p.png"});
}

namespace {

TMyByteArray Deflated(const std::string& Text) {
    uLongf Size = compressBound(uLong(Text.size()));
    TMyByteArray Out(Size);
    compress2(Out.data(), &Size, reinterpret_cast<const Bytef*>(Text.data()), uLong(Text.size()),
              9);
    Out.resize(Size);
    return Out;
}

// A zTXt (or, with Itxt, a compressed iTXt) chunk's data.
TMyByteArray CompressedText(const std::string& Keyword, const std::string& Text, bool Itxt) {
    TMyByteArray d(Keyword.begin(), Keyword.end());
    d.push_back(0);
    if (Itxt)
        d.insert(d.end(), {1, 0, 'e', 'n', 0, 0}); // compressed, method 0, language, no translation
    else
        d.push_back(0);
    const TMyByteArray z = Deflated(Text);
    d.insert(d.end(), z.begin(), z.end());
    return d;
}

} // namespace

TEST(PngFile, TheReaderKeepsTheTextsAskedForAndNoChunkCostsMoreThanItsBytes) {
    std::vector<uint32_t> Palette;
    for (uint32_t c = 0; c < 16; ++c)
        Palette.push_back(c * 0x0F0F0F);
    const TMyByteArray Indices = RandomIndices(64, 16, 4);
    // Texts of every kind, a text inflating far beyond the cap, and 400 zTXt chunks of 7.5 MB
    // each (a 3 MB file that once took 6 GB and 26 s).
    std::vector<PngChunk> Extra = {
        {"tEXt", TextChunkData("Comment", "first")},
        {"zTXt", CompressedText("velkora-layout", "blocks=1 size=8x8 order=cw", false)},
        {"tEXt", TextChunkData("Comment", "second")},
        {"iTXt", CompressedText("Title", "not asked for", true)},
        {"iTXt", CompressedText("big", std::string(3 << 20, 'a'), true)},
        {"sPLT", Bytes({'p', 0, 8, 1, 2, 3, 4})},
    };
    const PngChunk Note{"zTXt", CompressedText("note", std::string(7500000, 'n'), false)};
    Extra.insert(Extra.end(), 400, Note);
    const TMyByteArray File = RawIndexedPng(8, 8, 4, Palette, Indices, Extra);
    ASSERT_LT(File.size(), size_t(4) << 20);
    const TPngPicture p = PngFile::DecodePng(File.data(), File.size(), true, "t.png",
                                             {"velkora-layout", "Comment", "big"});
    EXPECT_EQ(p.Pixels, Indices);
    ASSERT_EQ(p.Texts.size(), 3u);
    EXPECT_EQ(p.Texts[0].Keyword, "Comment");
    EXPECT_EQ(p.Texts[0].Text, "first");
    EXPECT_EQ(p.Texts[1].Keyword, "velkora-layout");
    EXPECT_EQ(p.Texts[1].Text, "blocks=1 size=8x8 order=cw");
    EXPECT_EQ(p.Text("big"), QByteArray(int(PngMaxTextBytes), 'a'));
    EXPECT_TRUE(PngFile::DecodePng(File.data(), File.size(), false, "t.png").Texts.empty());

    // A chunk whose length claims 2 GB, or 1 GiB, of a file of 150 bytes: nothing is allocated
    // for it, whatever its type; the file is cut short.
    for (const char* Type :
         {"tEXt", "zTXt", "iTXt", "sPLT", "pCAL", "sCAL", "iCCP", "eXIf", "ruSt"})
        for (uint32_t Claim : {0x7FFFFF00u, 0x40000000u}) {
            TMyByteArray Hostile(File.begin(), File.begin() + 8 + 25 + 12 + 48);
            for (int s = 24; s >= 0; s -= 8)
                Hostile.push_back(uint8_t(Claim >> s));
            Hostile.insert(Hostile.end(), Type, Type + 4);
            const TMyByteArray Body = TextChunkData("Comment", std::string(40, 'x'));
            Hostile.insert(Hostile.end(), Body.begin(), Body.end());
            const auto Decode = [&] {
                PngFile::DecodePng(Hostile.data(), Hostile.size(), true, "h.png", {"Comment"});
            };
            QString Message;
            if (MemoryLimitsWork) {
                EXPECT_EQ(RunWithMemoryLimit(uint64_t(64) << 20, Decode, &Message), 1) << Type;
            } else {
                try {
                    Decode();
                } catch (const Exception& e) {
                    Message = e.Message();
                }
            }
            EXPECT_EQ(Message, "PNG file \"h.png\": the file ends before the picture does") << Type;
        }
}
