// SPDX-License-Identifier: MIT
// Palette files of paint programs, both ways: files as those programs write them are read
// (written here by hand, or by PIL), the files written are read back by PIL and by hand, and
// anything but 16 colours is refused with the count.

#include "palettes/PaletteFiles.h"
#include "tests/support/TestSupport.h"

#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

using namespace velkora;
using namespace velkora::test;

namespace {

// Colour c: (16c + 1, 255 - 8c, c * c), all distinct.
TPallette TestPalette() {
    TPallette p;
    for (int c = 0; c < 16; ++c)
        p.Col[size_t(c)] = {uint8_t(16 * c + 1), uint8_t(255 - 8 * c), uint8_t(c * c)};
    return p;
}

std::vector<TCol> Colours(const TPallette& p) {
    return std::vector<TCol>(p.Col.begin(), p.Col.end());
}

bool operator==(const TCol& a, const TCol& b) {
    return a.R == b.R && a.G == b.G && a.B == b.B;
}

void ExpectColours(const std::vector<TCol>& Got, const std::vector<TCol>& Want) {
    ASSERT_EQ(Got.size(), Want.size());
    for (size_t i = 0; i < Got.size(); ++i)
        EXPECT_TRUE(Got[i] == Want[i]) << "colour " << i << ": " << int(Got[i].R) << ' '
                                       << int(Got[i].G) << ' ' << int(Got[i].B);
}

QByteArray AsBytes(const TMyByteArray& b) {
    return QByteArray(reinterpret_cast<const char*>(b.data()), qsizetype(b.size()));
}

// The error message of Body, or "" when it raises none.
template <typename F> std::string Refusal(F Body) {
    try {
        Body();
    } catch (const Exception& e) {
        return e.Message().toStdString();
    }
    return "";
}

// Runs a Python script with PIL; its stdout.
QByteArray RunPil(const QString& Script, const QStringList& Args = {}) {
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"), QStringList{"-c", Script} + Args);
    EXPECT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    return p.readAllStandardOutput();
}

bool HavePil() {
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"), {"-c", "import PIL"});
    return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

} // namespace

// Files as other programs write them: JASC-PAL with CR LF and an alpha column, a GIMP palette with
// names, comments and its own spacing, hex with and without "#", any case, blank lines.
TEST(PaletteFiles, ReadsTheFilesOfOtherPrograms) {
    const std::vector<TCol> Want = Colours(TestPalette());
    QByteArray Jasc = "JASC-PAL\r\n0100\r\n16\r\n";
    QByteArray JascAlpha = "JASC-PAL\n0100\n16\n";
    QByteArray Gimp = "GIMP Palette\nName: Dusk over the sea\nColumns: 8\n#\n# made by hand\n";
    QByteArray Hex;
    for (size_t c = 0; c < Want.size(); ++c) {
        const TCol& k = Want[c];
        Jasc += QByteArray::number(k.R) + ' ' + QByteArray::number(k.G) + ' ' +
                QByteArray::number(k.B) + "\r\n";
        JascAlpha += QByteArray::number(k.R) + ' ' + QByteArray::number(k.G) + ' ' +
                     QByteArray::number(k.B) + " 255\n";
        Gimp +=
            QString::asprintf("%3d %3d %3d\tColour number %d\n", k.R, k.G, k.B, int(c)).toLatin1();
        if (c == 5)
            Gimp += "\n";
        Hex += QString::asprintf(c % 2 ? "#%02X%02X%02X\r\n" : "%02x%02x%02x\r\n", k.R, k.G, k.B)
                   .toLatin1();
    }
    Hex += "\r\n";
    ExpectColours(PaletteFiles::DecodeJasc(Jasc, "a.pal"), Want);
    ExpectColours(PaletteFiles::DecodeJasc(JascAlpha, "a.pal"), Want);
    ExpectColours(PaletteFiles::DecodeGimp(Gimp, "a.gpl"), Want);
    ExpectColours(PaletteFiles::DecodeHex(Hex, "a.hex"), Want);
    // A GIMP colour line without a name, as older palettes have them.
    ExpectColours(PaletteFiles::DecodeGimp("GIMP Palette\n1 2 3\n", "b.gpl"), {{1, 2, 3}});
}

// What the writers write, byte for byte, as the other programs expect it; and each format,
// PNG too, reads back as it was written.
TEST(PaletteFiles, WritesEachFormatExactlyAndReadsItBack) {
    TPallette p;
    p.Col[0] = {0, 0, 0};
    p.Col[1] = {255, 128, 7};
    for (int c = 2; c < 16; ++c)
        p.Col[size_t(c)] = {uint8_t(c), uint8_t(c), uint8_t(c)};
    QByteArray Jasc = "JASC-PAL\r\n0100\r\n16\r\n0 0 0\r\n255 128 7\r\n";
    QByteArray Gimp = "GIMP Palette\nName: Palette 3\nColumns: 16\n#\n"
                      "  0   0   0\tIndex 0\n255 128   7\tIndex 1\n";
    QByteArray Hex = "000000\nff8007\n";
    for (int c = 2; c < 16; ++c) {
        const QByteArray n = QByteArray::number(c);
        Jasc += n + ' ' + n + ' ' + n + "\r\n";
        Gimp += n.rightJustified(3) + ' ' + n.rightJustified(3) + ' ' + n.rightJustified(3) +
                "\tIndex " + n + "\n";
        Hex += QByteArray::number(c, 16).rightJustified(2, '0').repeated(3) + "\n";
    }
    EXPECT_EQ(PaletteFiles::EncodeJasc(p), Jasc);
    EXPECT_EQ(PaletteFiles::EncodeGimp(p, "Palette 3"), Gimp);
    EXPECT_EQ(PaletteFiles::EncodeHex(p), Hex);
    for (TPaletteFormat f :
         {TPaletteFormat::Jasc, TPaletteFormat::Gimp, TPaletteFormat::Hex, TPaletteFormat::Png}) {
        const TPallette Test = TestPalette();
        ExpectColours(PaletteFiles::Decode(f, PaletteFiles::Encode(f, Test, "T"), "x"),
                      Colours(Test));
    }
}

// The PNG is a 16 x 1 indexed picture whose pixel x shows colour x: as its chunks say, and as PIL
// reads it.
TEST(PaletteFiles, PngIsASixteenPixelIndexedPictureThatPilReads) {
    TempDir d;
    const QString File = d.file("Palette 3.png");
    PaletteFiles::WritePaletteFile(File, TestPalette(), "Palette 3");
    const std::vector<PngChunk> Chunks = ParsePngChunks(ReadBytes(File));
    ASSERT_GE(Chunks.size(), 3u);
    EXPECT_EQ(Chunks[0].Type, "IHDR");
    EXPECT_EQ(ReadBE32(Chunks[0].Data.data()), 16u);
    EXPECT_EQ(ReadBE32(Chunks[0].Data.data() + 4), 1u);
    EXPECT_EQ(Chunks[0].Data[9], 3); // indexed
    EXPECT_EQ(Chunks[1].Type, "PLTE");
    EXPECT_EQ(Chunks[1].Data.size(), 48u);
    if (!HavePil())
        GTEST_SKIP() << "/usr/bin/python3 has no PIL";
    const QByteArray Out =
        RunPil(QStringLiteral("import sys\nfrom PIL import Image\n"
                              "im = Image.open(sys.argv[1])\n"
                              "print(im.mode, im.size[0], im.size[1])\n"
                              "rgb = im.convert('RGB')\n"
                              "for x in range(16): print(*rgb.getpixel((x, 0)))\n"),
               {File});
    QByteArray Want = "P 16 1\n";
    for (const TCol& c : TestPalette().Col)
        Want += QByteArray::number(c.R) + ' ' + QByteArray::number(c.G) + ' ' +
                QByteArray::number(c.B) + '\n';
    EXPECT_EQ(Out, Want);
}

// A PNG's palette is its PLTE, whatever wrote it: 16 entries are a palette; 15, or 17 and more
// (which libpng itself would cut to the 16 a 4-bit picture can use), are refused with the count;
// a picture without a PLTE is refused.
TEST(PaletteFiles, PngPaletteIsItsPlteWithExactlySixteenEntries) {
    std::vector<uint32_t> Plte;
    for (const TCol& c : TestPalette().Col)
        Plte.push_back(uint32_t(c.R) << 16 | uint32_t(c.G) << 8 | c.B);
    const TMyByteArray Indices(8, 0);
    const auto Read = [&](const TMyByteArray& Png) {
        return PaletteFiles::TakePalette(PaletteFiles::DecodePng(AsBytes(Png), "p.png"), "p.png");
    };
    ExpectColours(Colours(Read(RawIndexedPng(8, 1, 4, Plte, Indices))), Colours(TestPalette()));
    std::vector<uint32_t> Longer = Plte;
    Longer.push_back(0x123456);
    EXPECT_EQ(Refusal([&] { Read(RawIndexedPng(8, 1, 4, Longer, Indices)); }),
              "\"p.png\" holds 17 colours; a palette has 16");
    Longer.resize(40, 0);
    EXPECT_EQ(Refusal([&] { Read(RawIndexedPng(8, 1, 8, Longer, Indices)); }),
              "\"p.png\" holds 40 colours; a palette has 16");
    EXPECT_EQ(Refusal([&] {
                  Read(RawIndexedPng(8, 1, 4, std::vector<uint32_t>(Plte.begin(), Plte.end() - 1),
                                     Indices));
              }),
              "\"p.png\" holds 15 colours; a palette has 16");
    EXPECT_NE(Refusal([&] { PaletteFiles::DecodePng("GIMP Palette\n", "p.png"); }), "");

    if (!HavePil())
        GTEST_SKIP() << "/usr/bin/python3 has no PIL";
    TempDir d;
    RunPil(QStringLiteral("import sys\nfrom PIL import Image\n"
                          "im = Image.new('P', (4, 4))\n"
                          "im.putpalette([v for c in range(16) for v in (16 * c + 1, 255 - 8 * c, "
                          "c * c)])\n"
                          "im.save(sys.argv[1])\n"
                          "Image.new('L', (4, 4), 7).save(sys.argv[2])\n"),
           {d.file("pil.png"), d.file("grey.png")});
    ExpectColours(Colours(PaletteFiles::ReadPaletteFile(d.file("pil.png"))),
                  Colours(TestPalette()));
    const std::string Grey = Refusal([&] { PaletteFiles::ReadPaletteFile(d.file("grey.png")); });
    EXPECT_NE(Grey.find("has no palette"), std::string::npos) << Grey;
}

// Files that are not 16 colours, or not what their suffix says, are refused saying why and where.
TEST(PaletteFiles, RefusalsNameTheCountOrTheLine) {
    QByteArray Gimp17 = "GIMP Palette\n";
    QByteArray Hex15;
    for (int c = 0; c < 17; ++c) {
        Gimp17 += "1 2 3\n";
        if (c < 15)
            Hex15 += "010203\n";
    }
    const auto Palette = [](TPaletteFormat f, const QByteArray& Data) {
        return [=] { PaletteFiles::TakePalette(PaletteFiles::Decode(f, Data, "f"), "f"); };
    };
    EXPECT_EQ(Refusal(Palette(TPaletteFormat::Gimp, Gimp17)),
              "\"f\" holds 17 colours; a palette has 16");
    EXPECT_EQ(Refusal(Palette(TPaletteFormat::Hex, Hex15)),
              "\"f\" holds 15 colours; a palette has 16");
    EXPECT_EQ(Refusal(Palette(TPaletteFormat::Hex, "")), "\"f\" holds 0 colours; a palette has 16");
    EXPECT_EQ(Refusal(Palette(TPaletteFormat::Jasc, "JASC-PAL\n0100\n16\n1 2 3\n")),
              "\"f\" declares 16 colours but holds 1");
    EXPECT_EQ(Refusal(Palette(TPaletteFormat::Jasc, "JASC-PAL\n0100\n2\n1 2 3\n1 2 300\n")),
              "\"f\", line 5: \"1 2 300\" is not a colour: a colour is three numbers 0 to 255 "
              "(red, green, blue), and an alpha may follow");
    EXPECT_EQ(Refusal(Palette(TPaletteFormat::Hex, "010203\r\n\r\n01020G\r\n")),
              "\"f\", line 3: \"01020G\" is not a colour: a line of a hex palette is six hex "
              "digits, RRGGBB");
    EXPECT_EQ(Refusal(Palette(TPaletteFormat::Gimp, "GIMP Palette\nName: x\n1 2\n")),
              "\"f\", line 3: \"1 2\" is not a colour: a colour line is three numbers 0 to 255 "
              "(red, green, blue) and then its name");
    EXPECT_EQ(Refusal(Palette(TPaletteFormat::Gimp, Gimp17.mid(1))),
              "\"f\" is not a GIMP palette: it does not begin with \"GIMP Palette\"");
    EXPECT_EQ(Refusal(Palette(TPaletteFormat::Jasc, "GIMP Palette\n")),
              "\"f\" is not a JASC-PAL palette: it does not begin with \"JASC-PAL\"");

    // The suffix names the format, in any case; another suffix is refused before any file access.
    TempDir d;
    const QString Upper = d.file("Dusk.GPL");
    PaletteFiles::WritePaletteFile(Upper, TestPalette(), "Dusk");
    EXPECT_TRUE(ReadBytes(Upper).size() > 12 &&
                AsBytes(ReadBytes(Upper)).startsWith("GIMP Palette\n"));
    ExpectColours(Colours(PaletteFiles::ReadPaletteFile(Upper)), Colours(TestPalette()));
    EXPECT_NE(Refusal([&] {
                  PaletteFiles::WritePaletteFile(d.file("x.act"), TestPalette(), "");
              }).find("palette files end in .pal, .gpl, .hex or .png"),
              std::string::npos);
    EXPECT_FALSE(QFile::exists(d.file("x.act")));
}
