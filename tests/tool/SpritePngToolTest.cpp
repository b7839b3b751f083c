// SPDX-License-Identifier: MIT
// velkora-tool's sprite export-png and import-png, run as a black box: round trips, the file's
// own chunks, truecolour and grey pictures, every refusal; and sprite render's indexed PNG.

#include "sprites/CompDecompUnit.h"
#include "tests/support/DataRoot.h"
#include "tests/support/TestSupport.h"

#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

using namespace velkora;
using namespace velkora::test;

namespace {

const char* const Sizes[5] = {"8x8", "16x16", "24x24", "48x48", "96x32"};
const int TilesAcross[5] = {1, 2, 3, 6, 12};
const int TilesDown[5] = {1, 2, 3, 6, 4};

TMyArray SeededWords(int Tiles, unsigned Seed) {
    Rng r(Seed);
    TMyArray w(size_t(Tiles) * 16);
    for (uint16_t& v : w)
        v = uint16_t(r());
    return w;
}

// Pixel (x, y) of tile t of the words.
int WordPixel(const TMyArray& w, int t, int x, int y) {
    return (w[size_t(16 * t + 2 * y + x / 4)] >> (12 - 4 * (x % 4))) & 15;
}

class SpritePngTool : public ::testing::Test {
protected:
    void SetUp() override {
        Root = std::make_unique<DataRoot>(Dir.path());
        Root->Palettes = {DistinctPalette(0), DistinctPalette(1), DistinctPalette(2)};
        Root->WriteParams();
    }
    int Run(const QStringList& Args, QByteArray* Out = nullptr) {
        Err.clear();
        return RunTool(Args, Out, &Err, Dir.path());
    }
    TMyArray DecodedWords(const QString& Spr) {
        TMyArray Words;
        CompDecompUnit::DeCompress(ReadBytes(Dir.file(Spr)), Words);
        return Words;
    }
    // Runs a refused command: exit status 1, the message, and OUT left as it was.
    void ExpectRefused(const QStringList& Args, const char* Message) {
        WriteBytes(Dir.file("keep.spr"), Bytes({1, 2, 3}));
        EXPECT_EQ(Run(Args), 1) << Args.join(' ').toStdString();
        EXPECT_TRUE(Err.contains(Message)) << Err.toStdString();
        EXPECT_EQ(ReadBytes(Dir.file("keep.spr")), Bytes({1, 2, 3}));
    }

    TempDir Dir;
    std::unique_ptr<DataRoot> Root;
    QByteArray Err;
};

} // namespace

TEST_F(SpritePngTool, ExportThenImportGivesBackTheWordsForEverySizeOrderAndColumnCount) {
    for (int s = 0; s < 5; ++s) {
        const int PerGroup = TilesAcross[s] * TilesDown[s];
        const int Tiles = 3 * PerGroup + 1; // a last partial group
        const TMyArray Words = SeededWords(Tiles, unsigned(s + 1));
        Root->AddSprite("in.spr", Words);
        for (const char* Order : {"cw", "ccw"})
            for (const QString& Columns : {QString(), QString("1"), QString("3")}) {
                SCOPED_TRACE(std::string(Sizes[s]) + " " + Order + " " + Columns.toStdString());
                QStringList Export{"sprite",  "export-png", Root->SpritePath("in.spr"),
                                   "out.png", "--size",     Sizes[s],
                                   "--order", Order,        "--palette",
                                   "1"};
                if (!Columns.isNull())
                    Export << "--columns" << Columns;
                ASSERT_EQ(Run(Export), 0) << Err.toStdString();

                // The file's own bytes, read without libpng.
                const std::vector<PngChunk> Chunks = ParsePngChunks(ReadBytes(Dir.file("out.png")));
                const int C =
                    Columns.isNull() ? std::max(1, 128 / (8 * TilesAcross[s])) : Columns.toInt();
                const int Groups = 4;
                const uint32_t w = uint32_t(C * 8 * TilesAcross[s]);
                const uint32_t h = uint32_t((Groups + C - 1) / C * 8 * TilesDown[s]);
                EXPECT_EQ(ReadBE32(&Chunks[0].Data[0]), w);
                EXPECT_EQ(ReadBE32(&Chunks[0].Data[4]), h);
                EXPECT_EQ(Chunks[0].Data[8], 4); // bit depth
                EXPECT_EQ(Chunks[0].Data[9], 3); // indexed
                ASSERT_EQ(Chunks[1].Type, "PLTE");
                ASSERT_EQ(Chunks[1].Data.size(), 48u);
                for (int c = 0; c < 16; ++c)
                    EXPECT_EQ(uint32_t(Chunks[1].Data[size_t(3 * c)] << 16 |
                                       Chunks[1].Data[size_t(3 * c + 1)] << 8 |
                                       Chunks[1].Data[size_t(3 * c + 2)]),
                              DistinctPalette(1)[size_t(c)]);
                ASSERT_EQ(Chunks[2].Type, "tEXt");
                EXPECT_EQ(std::string(Chunks[2].Data.begin(), Chunks[2].Data.end()),
                          std::string("velkora-layout") + '\0' + "blocks=" + std::to_string(Tiles) +
                              " size=" + Sizes[s] + " order=" + Order);
                // And in the comment, which paint programs keep.
                ASSERT_EQ(Chunks[3].Type, "tEXt");
                EXPECT_EQ(std::string(Chunks[3].Data.begin(), Chunks[3].Data.end()),
                          std::string("Comment") + '\0' + "velkora-layout blocks=" +
                              std::to_string(Tiles) + " size=" + Sizes[s] + " order=" + Order);

                // The pixels, read by Qt: each tile where the layout puts it, 0 elsewhere.
                const QImage Png(Dir.file("out.png"));
                ASSERT_EQ(Png.size(), QSize(int(w), int(h)));
                TMyByteArray Expected(size_t(w) * h, 0);
                for (int t = 0; t < Tiles; ++t) {
                    const int g = t / PerGroup, k = t % PerGroup;
                    const bool CW = Order[1] == 'w';
                    const int Row = CW ? k / TilesAcross[s] : k % TilesDown[s];
                    const int Col = CW ? k % TilesAcross[s] : k / TilesDown[s];
                    const int x0 = (g % C) * 8 * TilesAcross[s] + 8 * Col;
                    const int y0 = (g / C) * 8 * TilesDown[s] + 8 * Row;
                    for (int y = 0; y < 8; ++y)
                        for (int x = 0; x < 8; ++x)
                            Expected[size_t(y0 + y) * w + size_t(x0 + x)] =
                                uint8_t(WordPixel(Words, t, x, y));
                }
                for (uint32_t y = 0; y < h; ++y)
                    for (uint32_t x = 0; x < w; ++x)
                        ASSERT_EQ(Png.pixelIndex(int(x), int(y)), Expected[y * w + x])
                            << x << ", " << y;

                // Back, with the layout taken from the chunk and the palette it was drawn in.
                QByteArray Out;
                ASSERT_EQ(
                    Run({"sprite", "import-png", "out.png", "back.spr", "--palette", "1"}, &Out), 0)
                    << Err.toStdString();
                EXPECT_TRUE(Err.isEmpty()) << Err.toStdString();
                EXPECT_EQ(Out, QByteArray::number(Tiles) + "\n");
                EXPECT_EQ(DecodedWords("back.spr"), Words);
            }
    }
    // Uncompressed: the uncompressed sprite file's layout, and the same words.
    ASSERT_EQ(Run({"sprite", "import-png", "out.png", "u.spr", "--uncompressed", "--palette", "1"}),
              0);
    const TMyByteArray u = ReadBytes(Dir.file("u.spr"));
    ASSERT_GE(u.size(), 4u);
    EXPECT_EQ(u[0], 0);
    EXPECT_EQ(u[1], 1);
    EXPECT_EQ(DecodedWords("u.spr"), DecodedWords("back.spr"));
}

TEST_F(SpritePngTool, TruecolourAndGreyPicturesTakeTheExactColoursOfThePalette) {
    // A 16 x 8 picture, no layout chunk: two 8x8 tiles, cw.
    const TestPalette Pal = DistinctPalette(2);
    QImage Picture(16, 8, QImage::Format_ARGB32);
    TMyArray Want(32);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x) {
            const int c = (x * 3 + y * 5) % 16;
            const bool Clear = x == 15 && y == 7;
            Picture.setPixel(x, y, Clear ? qRgba(9, 9, 9, 0) : (0xFF000000u | Pal[size_t(c)]));
            const int Index = Clear ? 0 : c;
            uint16_t& w = Want[size_t(16 * (x / 8) + 2 * y + (x % 8) / 4)];
            w = uint16_t(w | Index << (12 - 4 * (x % 4)));
        }
    ASSERT_TRUE(Picture.save(Dir.file("rgba.png")));
    QByteArray Out;
    ASSERT_EQ(Run({"sprite", "import-png", "rgba.png", "t.spr", "--palette", "2"}, &Out), 0)
        << Err.toStdString();
    EXPECT_EQ(Out, "2\n");
    EXPECT_EQ(DecodedWords("t.spr"), Want);

    // Grey, with no parameters file: the grey ramp (17 x c).
    TempDir Bare;
    QImage Grey(8, 8, QImage::Format_Grayscale8);
    TMyArray GreyWant(16);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const int c = (x + 2 * y) % 16;
            Grey.setPixel(x, y, qRgb(17 * c, 17 * c, 17 * c));
            GreyWant[size_t(2 * y + x / 4)] |= uint16_t(c << (12 - 4 * (x % 4)));
        }
    ASSERT_TRUE(Grey.save(Bare.file("g.png")));
    ASSERT_EQ(RunTool({"sprite", "import-png", "g.png", "g.spr"}, nullptr, &Err, Bare.path()), 0)
        << Err.toStdString();
    TMyArray GreyWords;
    CompDecompUnit::DeCompress(ReadBytes(Bare.file("g.spr")), GreyWords);
    EXPECT_EQ(GreyWords, GreyWant);
    // Export there uses the ramp as its palette.
    ASSERT_EQ(RunTool({"sprite", "export-png", "g.spr", "e.png"}, nullptr, &Err, Bare.path()), 0);
    const std::vector<PngChunk> Chunks = ParsePngChunks(ReadBytes(Bare.file("e.png")));
    for (int c = 0; c < 16; ++c)
        EXPECT_EQ(Chunks[1].Data[size_t(3 * c)], 17 * c);
}

TEST_F(SpritePngTool, RefusalsSayWhatIsWrongAndWriteNothing) {
    // An index over 15.
    QImage Indexed(16, 8, QImage::Format_Indexed8);
    QVector<QRgb> Table;
    for (int i = 0; i < 32; ++i)
        Table << qRgb(8 * i, 255 - i, 7 * i);
    Indexed.setColorTable(Table);
    Indexed.fill(3);
    Indexed.setPixel(5, 2, 17);
    ASSERT_TRUE(Indexed.save(Dir.file("i17.png")));
    ExpectRefused({"sprite", "import-png", "i17.png", "keep.spr", "--keep-indices"},
                  "Pixel (5, 2) has colour index 17; a sprite has 16 colours");

    // A colour the palette does not hold.
    QImage Rgb(16, 8, QImage::Format_RGB32);
    Rgb.fill(QColor(QRgb(DistinctPalette(2)[4])));
    Rgb.setPixel(12, 3, qRgb(255, 0, 255));
    ASSERT_TRUE(Rgb.save(Dir.file("magenta.png")));
    ExpectRefused({"sprite", "import-png", "magenta.png", "keep.spr", "--palette", "2"},
                  "Pixel (12, 3) is #FF00FF, which palette 2 does not hold");
    // Half transparent is not a colour of the palette either.
    QImage Half(8, 8, QImage::Format_ARGB32);
    Half.fill(Qt::transparent);
    Half.setPixel(1, 0, qRgba(0, 8, 247, 128));
    ASSERT_TRUE(Half.save(Dir.file("half.png")));
    ExpectRefused({"sprite", "import-png", "half.png", "keep.spr"},
                  "Pixel (1, 0) is #0008F780, which palette 0 does not hold");

    // Sides that are not whole groups; too few groups for the blocks; a broken layout text.
    ExpectRefused(
        {"sprite", "import-png", "magenta.png", "keep.spr", "--palette", "2", "--size", "16x16"},
        "The picture is 16 x 8 pixels; with 16x16 tile groups its width must be a "
        "multiple of 16 and its height a multiple of 16");
    ExpectRefused(
        {"sprite", "import-png", "magenta.png", "keep.spr", "--palette", "2", "--blocks", "3"},
        "The picture of 16 x 8 pixels holds 2 blocks in 8x8 tile groups, fewer than "
        "the 3 blocks to import");
    QImage Tagged = Rgb;
    Tagged.setText("velkora-layout", "blocks=2 size=8x8");
    ASSERT_TRUE(Tagged.save(Dir.file("tagged.png")));
    ExpectRefused({"sprite", "import-png", "tagged.png", "keep.spr", "--palette", "2"},
                  "The velkora-layout text \"blocks=2 size=8x8\" of");
    // A long one is quoted in part: its first line, and not all of that.
    Tagged.setText("velkora-layout", "blocks=2 size=8x8 " + QString(100000, 'y') + "\nmore");
    ASSERT_TRUE(Tagged.save(Dir.file("tagged.png")));
    ExpectRefused({"sprite", "import-png", "tagged.png", "keep.spr", "--palette", "2"},
                  QString("The velkora-layout text \"blocks=2 size=8x8 %1...\" of")
                      .arg(QString(42, 'y'))
                      .toUtf8()
                      .constData());
    EXPECT_LT(Err.size(), 300) << Err.size();
    WriteBytes(Dir.file("not.png"), Bytes({'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0}));
    ExpectRefused({"sprite", "import-png", "not.png", "keep.spr"}, "is not a PNG file");
    ExpectRefused({"sprite", "import-png", "none.png", "keep.spr"}, "Cannot open file");

    // An empty sprite is not exported.
    Root->AddSprite("empty.spr", SeededWords(0, 1));
    EXPECT_EQ(Run({"sprite", "export-png", Root->SpritePath("empty.spr"), "e.png"}), 1);
    EXPECT_TRUE(Err.contains("has no whole tile, so there is nothing to export"))
        << Err.toStdString();
    EXPECT_FALSE(QFile::exists(Dir.file("e.png")));
    // A named parameters file that cannot be read is an error, not the grey ramp.
    Root->AddSprite("one.spr", SeededWords(1, 1));
    EXPECT_EQ(
        Run({"sprite", "export-png", Root->SpritePath("one.spr"), "e.png", "--params", "none.xml"}),
        1);
    EXPECT_FALSE(QFile::exists(Dir.file("e.png")));

    // Wrong arguments: exit status 2.
    const QString One = Root->SpritePath("one.spr");
    for (const QStringList& Wrong :
         {QStringList{"sprite", "export-png", One, "e.png", "--size", "7x7"},
          QStringList{"sprite", "export-png", One, "e.png", "--order", "up"},
          QStringList{"sprite", "export-png", One, "e.png", "--columns", "0"},
          QStringList{"sprite", "export-png", One},
          QStringList{"sprite", "export-png", One, "e.png", "--blocks", "1"},
          QStringList{"sprite", "import-png", "magenta.png", "keep.spr", "--blocks", "0"},
          QStringList{"sprite", "import-png", "magenta.png", "keep.spr", "--columns", "2"}})
        EXPECT_EQ(Run(Wrong), 2) << Wrong.join(' ').toStdString();
    EXPECT_FALSE(QFile::exists(Dir.file("e.png")));
}

TEST_F(SpritePngTool, SpriteRenderWritesAnIndexedPngOfThePalettesSixteenColours) {
    Root->AddSprite("r.spr", SeededWords(40, 9));
    ASSERT_EQ(Run({"sprite", "render", Root->SpritePath("r.spr"), "r.png", "--palette", "2"}), 0)
        << Err.toStdString();
    const std::vector<PngChunk> Chunks = ParsePngChunks(ReadBytes(Dir.file("r.png")));
    EXPECT_EQ(ReadBE32(&Chunks[0].Data[0]), 230u);
    EXPECT_EQ(ReadBE32(&Chunks[0].Data[4]), 96u);
    EXPECT_EQ(Chunks[0].Data[9], 3);
    EXPECT_EQ(Chunks[0].Data[8], 4);
    ASSERT_EQ(Chunks[1].Type, "PLTE");
    ASSERT_EQ(Chunks[1].Data.size(), 48u);
    EXPECT_EQ(Chunks[1].Data[3 * 5], DistinctPalette(2)[5] >> 16);
}

namespace {

// The words of a picture of 8x8 tiles side by side (cw, one row of tiles), from its indices.
TMyArray WordsOfTiles(const TMyByteArray& Indices, int Width) {
    TMyArray w(size_t(Width / 8) * 16);
    for (int t = 0; t < Width / 8; ++t)
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                w[size_t(16 * t + 2 * y + x / 4)] |=
                    uint16_t(Indices[size_t(y * Width + 8 * t + x)] << (12 - 4 * (x % 4)));
    return w;
}

} // namespace

TEST_F(SpritePngTool, AnIndexedPictureWhosePaletteWasRewrittenIsReadByItsColours) {
    // Palette 2 holds one colour twice, at 6 and 11.
    Root->Palettes[2][11] = Root->Palettes[2][6];
    Root->WriteParams();
    const TestPalette Pal = Root->Palettes[2];
    // 16 x 8 pixels, every index used, 11 as well as 6.
    TMyByteArray Indices(16 * 8);
    for (size_t i = 0; i < Indices.size(); ++i)
        Indices[i] = uint8_t((i * 7 + i / 16) % 16);
    const std::vector<uint32_t> Same(Pal.begin(), Pal.end());
    const auto Import = [&](const TMyByteArray& Png, QStringList Extra = {}) {
        WriteBytes(Dir.file("in.png"), Png);
        return Run(QStringList{"sprite", "import-png", "in.png", "out.spr", "--palette", "2"} +
                   Extra);
    };

    // The palette as exported (or cut after the last index used, as optipng leaves it): the
    // indices stand, the twin colours keep their own.
    for (size_t Entries : {16, 12}) {
        TMyByteArray Low = Indices;
        for (uint8_t& v : Low)
            v = uint8_t(v % Entries);
        ASSERT_EQ(
            Import(RawIndexedPng(16, 8, 4, {Same.begin(), Same.begin() + long(Entries)}, Low)), 0)
            << Err.toStdString();
        EXPECT_TRUE(Err.isEmpty()) << Err.toStdString();
        EXPECT_EQ(DecodedWords("out.spr"), WordsOfTiles(Low, 16)) << Entries;
    }

    // Reordered as ImageMagick, GIMP or PIL leave it: matched by colour, the twin colour taking
    // the lower index, and the tool says so.
    std::vector<uint32_t> Reordered(16);
    TMyByteArray Moved(Indices.size());
    for (size_t c = 0; c < 16; ++c)
        Reordered[(c * 5 + 3) % 16] = Pal[c];
    for (size_t i = 0; i < Indices.size(); ++i)
        Moved[i] = uint8_t((Indices[i] * 5 + 3) % 16);
    TMyByteArray Expected = Indices;
    for (uint8_t& v : Expected)
        v = v == 11 ? 6 : v;
    ASSERT_EQ(Import(RawIndexedPng(16, 8, 4, Reordered, Moved)), 0) << Err.toStdString();
    EXPECT_EQ(DecodedWords("out.spr"), WordsOfTiles(Expected, 16));
    EXPECT_TRUE(Err.contains("is not palette 2 at the indices its pixels use; its colours were "
                             "matched to palette 2"))
        << Err.toStdString();
    // --keep-indices, or no parameters file, reads the indices as they stand.
    ASSERT_EQ(Import(RawIndexedPng(16, 8, 4, Reordered, Moved), {"--keep-indices"}), 0);
    EXPECT_EQ(DecodedWords("out.spr"), WordsOfTiles(Moved, 16));
    TempDir Bare;
    WriteBytes(Bare.file("in.png"), RawIndexedPng(16, 8, 4, Reordered, Moved));
    ASSERT_EQ(RunTool({"sprite", "import-png", "in.png", "out.spr"}, nullptr, &Err, Bare.path()),
              0);
    EXPECT_FALSE(Err.contains("matched")) << Err.toStdString();
    TMyArray BareWords;
    CompDecompUnit::DeCompress(ReadBytes(Bare.file("out.spr")), BareWords);
    EXPECT_EQ(BareWords, WordsOfTiles(Moved, 16));

    // A colour palette 2 does not hold is refused with the first pixel that has it.
    Reordered.push_back(0xFF00FF);
    Moved[3 * 16 + 12] = 16;
    Moved[5 * 16 + 1] = 16;
    const TMyByteArray Kept = ReadBytes(Dir.file("out.spr"));
    EXPECT_EQ(Import(RawIndexedPng(16, 8, 8, Reordered, Moved)), 1);
    EXPECT_TRUE(Err.contains("Pixel (12, 3) is #FF00FF, which palette 2 does not hold"))
        << Err.toStdString();
    EXPECT_EQ(ReadBytes(Dir.file("out.spr")), Kept);
}

TEST_F(SpritePngTool, TheLayoutComesFromTheCommentWhenTheLayoutChunkIsGone) {
    // 32 x 16 pixels, two groups of 16 x 16 side by side, the way GIMP leaves an export: the
    // layout only in the comment.
    const TestPalette Pal = Root->Palettes[0];
    const std::vector<uint32_t> Colours(Pal.begin(), Pal.end());
    TMyByteArray Indices(32 * 16);
    for (size_t i = 0; i < Indices.size(); ++i)
        Indices[i] = uint8_t((i / 8 + i / 32) % 16);
    const auto Import = [&](const std::vector<PngChunk>& Texts) {
        WriteBytes(Dir.file("c.png"), RawIndexedPng(32, 16, 4, Colours, Indices, Texts));
        QByteArray Out;
        EXPECT_EQ(Run({"sprite", "import-png", "c.png", "c.spr"}, &Out), 0) << Err.toStdString();
        return Out;
    };
    EXPECT_EQ(Import({{"tEXt", TextChunkData("Comment", "velkora-layout blocks=5 size=16x16 "
                                                        "order=ccw")}}),
              "5\n");
    // Block 2 of a ccw group is its top right tile.
    const TMyArray Words = DecodedWords("c.spr");
    ASSERT_EQ(Words.size(), 5u * 16);
    EXPECT_EQ(Words[2 * 16] >> 12, Indices[8]);
    // The layout chunk wins over the comment; a comment that is no layout is not read.
    EXPECT_EQ(Import({{"tEXt", TextChunkData("Comment", "blocks=5 size=16x16 order=ccw")},
                      {"tEXt", TextChunkData("velkora-layout", "blocks=3 size=8x8 order=cw")}}),
              "3\n");
    EXPECT_EQ(Import({{"tEXt", TextChunkData("Comment", "Created with GIMP")}}), "8\n");
}
