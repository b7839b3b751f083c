// SPDX-License-Identifier: MIT
// velkora-tool as a black box: "palette export" writes a palette as paint programs read it,
// "palette import" puts a palette file's 16 colours into the parameters file, changing only the
// palette's colours or adding one palette element, and refuses files of other than 16 colours.

#include "tests/support/TestSupport.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace velkora;
using namespace velkora::test;

namespace {

QByteArray ReadText(const QString& FileName) {
    const TMyByteArray b = ReadBytes(FileName);
    return QByteArray(reinterpret_cast<const char*>(b.data()), qsizetype(b.size()));
}

void WriteText(const QString& FileName, const QByteArray& Text) {
    WriteBytes(FileName, TMyByteArray(Text.begin(), Text.end()));
}

// Two palettes in a user's layout, then an element that ends the list and sets.
QByteArray Params() {
    QByteArray x = "<?xml version=\"1.0\"?>\n<!-- my game -->\n<Params>\n  <Palettes>\n";
    for (int p = 0; p < 2; ++p) {
        x += "    <Pal" + QByteArray::number(p) + ">\n";
        for (int c = 0; c < 16; ++c)
            x += QString::asprintf("      <Col%d R='%d' G='%d' B='%d'/>\n", c, 16 * p + c, 8 * c,
                                   255 - c)
                     .toLatin1();
        x += "    </Pal" + QByteArray::number(p) + ">\n";
    }
    return x + "    <Unused/>\n  </Palettes>\n  <MapSets/>\n  <PalSets>\n    <Set_0 name=\"0\" "
               "p1=\"0\"/>\n  </PalSets>\n</Params>\n";
}

QList<QByteArray> PaletteLines(const QString& ParamsFile) {
    QByteArray Out, Err;
    EXPECT_EQ(RunTool({"palettes", "--params", ParamsFile}, &Out, &Err), 0) << Err.toStdString();
    return Out.trimmed().split('\n');
}

// A GIMP palette written by hand: colour c is (c, 17c, 255 - 17c).
QByteArray GimpText(int Colours) {
    QByteArray g = "GIMP Palette\nName: Sunset\nColumns: 4\n#\n";
    for (int c = 0; c < Colours; ++c)
        g += QString::asprintf("%3d %3d %3d\tcolour %d\n", c, 17 * c % 256,
                               (255 - 17 * c + 256) % 256, c)
                 .toLatin1();
    return g;
}

QByteArray GimpLine() {
    QByteArray l;
    for (int c = 0; c < 16; ++c)
        l += QString::asprintf("%s%02X%02X%02X", c ? " " : "", c, 17 * c % 256,
                               (255 - 17 * c + 256) % 256)
                 .toLatin1();
    return l;
}

} // namespace

// Each format holds palette N as the palettes command lists it; the PNG is 16 x 1 with a PLTE of
// exactly those colours and pixel x = x.
TEST(PaletteTool, ExportWritesEachFormat) {
    TempDir d;
    const QString File = d.file("XMLParams.xml");
    WriteText(File, Params());
    const QByteArray Listed = PaletteLines(File).at(1);
    QByteArray Err;
    for (const char* Name : {"p.pal", "p.gpl", "p.hex", "p.png"})
        ASSERT_EQ(
            RunTool({"palette", "export", d.file(Name), "--palette", "1"}, nullptr, &Err, d.path()),
            0)
            << Name << ": " << Err.toStdString();
    EXPECT_EQ(ReadText(d.file("p.hex")).toUpper().replace('\n', ' ').trimmed(), Listed);
    const QList<QByteArray> Jasc = ReadText(d.file("p.pal")).split('\n');
    ASSERT_EQ(Jasc.size(), 20);
    EXPECT_EQ(Jasc[3], "16 0 255\r");
    EXPECT_EQ(Jasc[18], "31 120 240\r");
    EXPECT_TRUE(
        ReadText(d.file("p.gpl")).contains("Name: Palette 1\nColumns: 16\n#\n 16   0 255\t"));

    const std::vector<PngChunk> Chunks = ParsePngChunks(ReadBytes(d.file("p.png")));
    EXPECT_EQ(ReadBE32(Chunks[0].Data.data()), 16u);
    EXPECT_EQ(ReadBE32(Chunks[0].Data.data() + 4), 1u);
    ASSERT_EQ(Chunks[1].Type, "PLTE");
    QByteArray Plte;
    for (const uint8_t b : Chunks[1].Data)
        Plte += QByteArray::number(b, 16).rightJustified(2, '0').toUpper();
    EXPECT_EQ(Plte, QByteArray(Listed).replace(" ", ""));

    // Without --palette: palette 0.
    ASSERT_EQ(RunTool({"palette", "export", "zero.hex"}, nullptr, nullptr, d.path()), 0);
    EXPECT_EQ(ReadText(d.file("zero.hex")).toUpper().replace('\n', ' ').trimmed(),
              PaletteLines(File).at(0));
}

// --palette N rewrites palette N's colour elements and nothing else; --append adds one element
// after the last palette and prints its number. The file exported and imported again is the
// same file.
TEST(PaletteTool, ImportReplacesOrAppendsAndKeepsEveryOtherByte) {
    TempDir d;
    const QString File = d.file("XMLParams.xml");
    const QByteArray Old = Params();
    WriteText(File, Old);
    WriteText(d.file("sunset.gpl"), GimpText(16));
    const QByteArray First = PaletteLines(File).at(0);
    QByteArray Out, Err;
    ASSERT_EQ(
        RunTool({"palette", "import", d.file("sunset.gpl"), "--params", File, "--palette", "1"},
                &Out, &Err),
        0)
        << Err.toStdString();
    EXPECT_TRUE(Out.isEmpty());
    const QByteArray New = ReadText(File);
    const qsizetype Begin = Old.indexOf("<Pal1>"), End = Old.indexOf("</Pal1>");
    EXPECT_EQ(New.left(Begin), Old.left(Begin));
    EXPECT_EQ(New.right(Old.size() - End), Old.mid(End));
    EXPECT_EQ(PaletteLines(File), (QList<QByteArray>{First, GimpLine()}));

    // The same colours again: nothing to write.
    ASSERT_EQ(
        RunTool({"palette", "export", d.file("back.pal"), "--params", File, "--palette", "1"}), 0);
    ASSERT_EQ(
        RunTool({"palette", "import", d.file("back.pal"), "--params", File, "--palette", "1"}), 0);
    EXPECT_EQ(ReadText(File), New);

    ASSERT_EQ(RunTool({"palette", "import", d.file("back.pal"), "--append"}, &Out, &Err, d.path()),
              0)
        << Err.toStdString();
    EXPECT_EQ(Out, "2\n");
    const QByteArray Appended = ReadText(File);
    const qsizetype At = New.indexOf("<Unused/>");
    EXPECT_EQ(Appended.left(At), New.left(At));
    EXPECT_EQ(Appended.right(New.size() - At), New.mid(At));
    EXPECT_TRUE(Appended.mid(At).startsWith("<Pal2>\n      <Col0 R=\"0\" G=\"0\" B=\"255\"/>\n"))
        << Appended.toStdString();
    const QList<QByteArray> Lines = PaletteLines(File);
    ASSERT_EQ(Lines.size(), 3);
    EXPECT_EQ(Lines[2], GimpLine());
}

// A file of other than 16 colours is refused with its count, the file left alone; wrong arguments
// are refused before anything is read.
TEST(PaletteTool, ImportRefusesOtherCountsAndWrongArguments) {
    TempDir d;
    const QString File = d.file("XMLParams.xml");
    WriteText(File, Params());
    WriteText(d.file("17.gpl"), GimpText(17));
    WriteText(d.file("16.gpl"), GimpText(16));
    QByteArray Out, Err;
    EXPECT_EQ(RunTool({"palette", "import", "17.gpl", "--palette", "0"}, &Out, &Err, d.path()), 1);
    EXPECT_TRUE(Err.contains("17.gpl\" holds 17 colours; a palette has 16")) << Err.toStdString();
    EXPECT_EQ(RunTool({"palette", "import", "17.gpl", "--append"}, &Out, &Err, d.path()), 1);
    EXPECT_EQ(ReadText(File), Params());
    // A PNG's colour table: 16 entries are taken, one entry more after them is refused.
    std::vector<uint32_t> Plte;
    for (uint32_t c = 0; c < 16; ++c)
        Plte.push_back(c << 16 | 0x0700 | (255 - c));
    WriteBytes(d.file("16.png"), RawIndexedPng(4, 1, 4, Plte, TMyByteArray{0, 1, 2, 3}));
    Plte.push_back(0xABCDEF);
    WriteBytes(d.file("17.png"), RawIndexedPng(4, 1, 8, Plte, TMyByteArray{0, 1, 2, 16}));
    EXPECT_EQ(RunTool({"palette", "import", "17.png", "--palette", "1"}, &Out, &Err, d.path()), 1);
    EXPECT_TRUE(Err.contains("17.png\" holds 17 colours; a palette has 16")) << Err.toStdString();
    EXPECT_EQ(ReadText(File), Params());
    EXPECT_EQ(RunTool({"palette", "import", "16.png", "--palette", "1"}, &Out, &Err, d.path()), 0)
        << Err.toStdString();
    EXPECT_EQ(PaletteLines(File).at(1).left(13), QByteArray("0007FF 0107FE"));
    WriteText(File, Params());

    struct TCase {
        QStringList Args;
        const char* Error;
    };
    const TCase Cases[] = {
        {{"import", "16.gpl"}, "give either --palette N"},
        {{"import", "16.gpl", "--palette", "0", "--append"}, "give either --palette N"},
        {{"import", "16.act", "--append"}, "must end in .pal, .gpl, .hex or .png"},
        {{"export", "out.txt"}, "must end in .pal, .gpl, .hex or .png"},
        {{"import", "16.gpl", "--palette", "2"}, "holds 2 palettes (0 to 1)"},
        {{"export", "out.pal", "--palette", "5"}, "holds 2 palettes (0 to 1)"},
        {{"export"}, "palette export OUT"},
    };
    for (const TCase& c : Cases) {
        EXPECT_EQ(RunTool(QStringList{"palette"} + c.Args, &Out, &Err, d.path()), 2)
            << c.Args.join(' ').toStdString();
        EXPECT_TRUE(Err.contains(c.Error)) << Err.toStdString();
    }
    EXPECT_EQ(ReadText(File), Params());
    EXPECT_FALSE(QFile::exists(d.file("out.pal")));
}
