// SPDX-License-Identifier: MIT
// velkora-tool as a black box: "palettes" lists a parameters file's palettes, "sprite render"
// writes the picture MakeBMPImage draws as an indexed PNG.

#include "palettes/BmpMaker.h"
#include "tests/support/DataRoot.h"
#include "tests/support/TestSupport.h"

#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

using namespace velkora;
using namespace velkora::test;

namespace {

const QByteArray Params = R"(<?xml version="1.0"?>
<Params>
  <Palettes>
    <Pal_A>
      <C R="255" G="0" B="16"/><C R="300" G="256" B="-1"/><C R="1" G="2" B="3"/>
      <C R="10" G="20" B="30"/><C R="40" G="50" B="60"/><C R="70" G="80" B="90"/>
      <C R="100" G="110" B="120"/><C R="130" G="140" B="150"/><C R="160" G="170" B="180"/>
      <C R="190" G="200" B="210"/><C R="220" G="230" B="240"/><C R="250" G="251" B="252"/>
      <C R="171" G="205" B="239"/><C R="0" G="0" B="1"/><C R="18" G="52" B="86"/>
      <C R="254" G="253" B="252"/>
    </Pal_A>
    <Pal_B><C R="0" G="128" B="255"/></Pal_B>
    <NotAPalette/>
  </Palettes>
  <MapSets/>
  <PalSets/>
</Params>
)";

void WriteText(const QString& FileName, const QByteArray& Text) {
    WriteBytes(FileName, TMyByteArray(Text.begin(), Text.end()));
}

// A plain sprite file: five header bytes, then the words big-endian.
void WritePlainSprite(const QString& FileName, const TMyArray& Words) {
    TMyByteArray f{0x00, 0x01, 0x00, 0x00, 0x00};
    for (uint16_t w : Words)
        MyTypes::AppendBE16(f, w);
    WriteBytes(FileName, f);
}

// The blocks of the words: row i of block j is words 16j + 2i and 16j + 2i + 1, big-endian.
TBlocksArray BlocksOf(const TMyArray& Words) {
    TBlocksArray a(Words.size() / 16);
    for (size_t j = 0; j < a.size(); ++j)
        for (size_t i = 0; i < 8; ++i) {
            const uint16_t w0 = Words[16 * j + 2 * i], w1 = Words[16 * j + 2 * i + 1];
            a[j][i] = {uint8_t(w0 >> 8), uint8_t(w0), uint8_t(w1 >> 8), uint8_t(w1)};
        }
    return a;
}

TMyArray RandomWords(size_t Count, unsigned Seed) {
    Rng r(Seed);
    TMyArray w(Count);
    for (auto& x : w)
        x = uint16_t(r());
    return w;
}

void ExpectSamePicture(const QString& Png, const QImage& Expected) {
    const QImage Got(Png);
    ASSERT_FALSE(Got.isNull()) << Png.toStdString();
    ASSERT_EQ(Got.size(), Expected.size());
    EXPECT_EQ(Got.format(), QImage::Format_Indexed8);
    EXPECT_EQ(Got.colorTable(), Expected.colorTable());
    int Differences = 0;
    for (int y = 0; y < Expected.height(); ++y)
        for (int x = 0; x < Expected.width(); ++x)
            Differences += Got.pixelIndex(x, y) != Expected.pixelIndex(x, y);
    EXPECT_EQ(Differences, 0);
}

class ToolFiles : public ::testing::Test {
protected:
    void SetUp() override {
        WriteText(d.file("XMLParams.xml"), Params);
        QDomDocument Doc;
        ASSERT_TRUE(Doc.setContent(Params, false));
        BmpMaker::LoadPallette(Doc.documentElement(), PalletteArray);
        ASSERT_EQ(PalletteArray.size(), 2u);
    }
    TempDir d;
    TPalletteList PalletteArray;
};

} // namespace

TEST_F(ToolFiles, PalettesListsEachPaletteOnOneLine) {
    QByteArray Out, Err;
    ASSERT_EQ(RunTool({"palettes", "--params", d.file("XMLParams.xml")}, &Out, &Err), 0)
        << Err.toStdString();
    EXPECT_EQ(Out.toStdString(),
              "FF0010 2C00FF 010203 0A141E 28323C 46505A 646E78 828C96 A0AAB4 BEC8D2 DCE6F0 "
              "FAFBFC ABCDEF 000001 123456 FEFDFC\n"
              "0080FF 000000 000000 000000 000000 000000 000000 000000 000000 000000 000000 "
              "000000 000000 000000 000000 000000\n");

    // Without --params: XMLParams.xml in the current directory.
    QByteArray Again;
    ASSERT_EQ(RunTool({"palettes"}, &Again, nullptr, d.path()), 0);
    EXPECT_EQ(Again, Out);
}

TEST_F(ToolFiles, PalettesReportsBadFilesAndArguments) {
    QByteArray Out, Err;
    EXPECT_EQ(RunTool({"palettes", "--params", d.file("none.xml")}, &Out, &Err), 1);
    EXPECT_TRUE(Err.contains("Cannot open file")) << Err.toStdString();
    EXPECT_TRUE(Out.isEmpty());

    WriteText(d.file("bad.xml"), "<R><P><Pal0><C R='1' G='x' B='2'/></Pal0></P><M/><S/></R>");
    EXPECT_EQ(RunTool({"palettes", "--params", d.file("bad.xml")}, &Out, &Err), 1);
    EXPECT_TRUE(Err.contains("attribute \"G\" of element \"C\" (line 1) is not a whole number"))
        << Err.toStdString();

    WriteText(d.file("short.xml"), "<R><P><Pal0/></P></R>");
    EXPECT_EQ(RunTool({"palettes", "--params", d.file("short.xml")}, &Out, &Err), 1);
    EXPECT_TRUE(Err.contains("has 1 of the three containers; the map texture sets container "
                             "(child 2) is missing"))
        << Err.toStdString();

    EXPECT_EQ(RunTool({"palettes", "extra"}, &Out, &Err, d.path()), 2);
    EXPECT_EQ(RunTool({"palettes", "--params"}, &Out, &Err, d.path()), 2);
}

TEST_F(ToolFiles, SpriteRenderWritesWhatMakeBMPImageDraws) {
    const TMyArray Words = RandomWords(16 * 40 + 5, 7);
    WritePlainSprite(d.file("a.spr"), Words);
    const TBlocksArray Blocks = BlocksOf(Words);
    QByteArray Err;

    // Defaults: palette 0, 24x24, cw, 230 x 96.
    ASSERT_EQ(RunTool({"sprite", "render", d.file("a.spr"), d.file("a.png"), "--params",
                       d.file("XMLParams.xml")},
                      nullptr, &Err),
              0)
        << Err.toStdString();
    QImage Expected;
    BmpMaker::MakeBMPImage(Expected, Blocks, SpriteSize[2], BmpMaker::ColorTable(PalletteArray, 0),
                           true, 230, 96);
    ExpectSamePicture(d.file("a.png"), Expected);

    static const char* const Sizes[] = {"8x8", "16x16", "24x24", "48x48", "96x32"};
    for (int s = 0; s < 5; ++s) {
        ASSERT_EQ(RunTool({"sprite", "render", "a.spr", "b.png", "--palette", "1", "--size",
                           Sizes[s], "--order", "ccw", "--width", "101", "--height", "57"},
                          nullptr, &Err, d.path()),
                  0)
            << Err.toStdString();
        BmpMaker::MakeBMPImage(Expected, Blocks, SpriteSize[size_t(s)],
                               BmpMaker::ColorTable(PalletteArray, 1), false, 101, 57);
        ExpectSamePicture(d.file("b.png"), Expected);
    }
}

TEST_F(ToolFiles, SpriteRenderReadsCompressedSprites) {
    DataRoot Root(d.path());
    const TMyArray Words = PatternWords(30, 5);
    Root.AddSprite("c.spr", Words, true);
    QByteArray Err;
    ASSERT_EQ(RunTool({"sprite", "render", Root.SpritePath("c.spr"), "c.png", "--size", "48x48",
                       "--order", "CCW", "--height", "150"},
                      nullptr, &Err, d.path()),
              0)
        << Err.toStdString();
    QImage Expected;
    BmpMaker::MakeBMPImage(Expected, BlocksOf(Words), SpriteSize[3],
                           BmpMaker::ColorTable(PalletteArray, 0), false, 230, 150);
    ExpectSamePicture(d.file("c.png"), Expected);
}

TEST_F(ToolFiles, SpriteRenderOfASpriteWithoutBlocksIsAllColourZero) {
    WritePlainSprite(d.file("small.spr"), RandomWords(15, 3));
    QByteArray Err;
    ASSERT_EQ(RunTool({"sprite", "render", "small.spr", "s.png", "--palette", "1", "--width", "7",
                       "--height", "3"},
                      nullptr, &Err, d.path()),
              0)
        << Err.toStdString();
    QImage Expected(7, 3, QImage::Format_Indexed8);
    Expected.setColorTable(BmpMaker::ColorTable(PalletteArray, 1));
    Expected.fill(0);
    ExpectSamePicture(d.file("s.png"), Expected);
}

TEST_F(ToolFiles, SpriteRenderRefusesBadArgumentsAndWritesNothing) {
    WritePlainSprite(d.file("a.spr"), RandomWords(32, 1));
    QByteArray Err;
    const QStringList Base{"sprite", "render", "a.spr", "out.png"};
    EXPECT_EQ(RunTool(Base + QStringList{"--size", "7x7"}, nullptr, &Err, d.path()), 2);
    EXPECT_TRUE(Err.contains("--size must be")) << Err.toStdString();
    EXPECT_EQ(RunTool(Base + QStringList{"--order", "up"}, nullptr, &Err, d.path()), 2);
    EXPECT_EQ(RunTool(Base + QStringList{"--width", "0"}, nullptr, &Err, d.path()), 2);
    // A palette the parameters file does not hold is a wrong argument.
    EXPECT_EQ(RunTool(Base + QStringList{"--palette", "2"}, nullptr, &Err, d.path()), 2);
    EXPECT_TRUE(Err.contains("--palette 2: the parameters file")) << Err.toStdString();
    EXPECT_EQ(RunTool({"sprite", "render", "none.spr", "out.png"}, nullptr, &Err, d.path()), 1);
    EXPECT_EQ(RunTool(Base + QStringList{"--params", "none.xml"}, nullptr, &Err, d.path()), 1);
    EXPECT_FALSE(QFile::exists(d.file("out.png")));
}
