// SPDX-License-Identifier: MIT
// Palettes from the parameters file, and the placement of tile groups in the picture: bands,
// tile order, odd widths and the clipping that keeps every write inside the buffer.

#include "palettes/BmpMaker.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

using namespace velkora;
using namespace velkora::test;

namespace {

// A block whose first two pixels spell Tag (high nibble, low nibble) and whose other pixels are
// Fill.
TBlock Tagged(int Tag, int Fill = 1) {
    TBlock b;
    for (auto& Row : b)
        Row.fill(uint8_t(Fill * 17));
    b[0][0] = uint8_t(Tag);
    return b;
}

TBlocksArray TaggedBlocks(int Count) {
    TBlocksArray a;
    for (int i = 0; i < Count; ++i)
        a.push_back(Tagged(i));
    return a;
}

struct Picture {
    TMyByteArray Pixels;
    int w = 0;
    int h = 0;
    int At(int x, int y) const { return Pixels[size_t(y) * size_t(w) + size_t(x)]; }
    // The tag of the block whose top left corner is at (x, y), or -1 when none is there.
    int TagAt(int x, int y) const {
        if (At(x + 2, y) != 1)
            return -1;
        return At(x, y) * 16 + At(x + 1, y);
    }
    bool Blank(int x0, int y0, int x1, int y1) const {
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                if (At(x, y) != 0)
                    return false;
        return true;
    }
};

Picture Render(const TBlocksArray& BA, int SizeIndex, bool IsCW, int w, int h) {
    Picture p;
    p.w = w;
    p.h = h;
    EXPECT_TRUE(BmpMaker::MakeBMPPixels(p.Pixels, BA, SpriteSize[size_t(SizeIndex)], IsCW, w, h));
    EXPECT_EQ(p.Pixels.size(), size_t(w) * size_t(h));
    return p;
}

// The palettes the tests read and draw with.
TPalletteList PalletteArray;

// Loads palettes from a document whose palettes container holds Inner.
void LoadFrom(const QByteArray& Inner) {
    QDomDocument d;
    ASSERT_TRUE(d.setContent("<R>\n<Palettes>" + Inner + "</Palettes><M/><S/></R>", false));
    BmpMaker::LoadPallette(d.documentElement(), PalletteArray);
}

QByteArray Colours(int Count, int Base = 0) {
    QByteArray s;
    for (int i = 0; i < Count; ++i)
        s += QString("<C R='%1' G='%2' B='%3'/>").arg(Base + i).arg(i * 2).arg(i * 3).toUtf8();
    return s;
}

} // namespace

TEST(LoadPallette, ReadsLeadingPalElementsOnly) {
    LoadFrom("<Pal0>" + Colours(16) + "</Pal0><Palette1>" + Colours(16, 100) +
             "</Palette1><Other/><Pal3>" + Colours(16) + "</Pal3>");
    ASSERT_EQ(PalletteArray.size(), 2u);
    EXPECT_EQ(PalletteArray[1].Col[15].R, 115);
    EXPECT_EQ(PalletteArray[1].Col[15].B, 45);

    LoadFrom("<pal0>" + Colours(16) + "</pal0><Pal1/>");
    EXPECT_TRUE(PalletteArray.empty());
    LoadFrom("<!-- a comment is a child too --><Pal1>" + Colours(1) + "</Pal1>");
    EXPECT_TRUE(PalletteArray.empty());
    LoadFrom("");
    EXPECT_TRUE(PalletteArray.empty());
    // A root without all three containers is refused, whichever one is missing.
    for (const char* Root : {"<R/>", "<R><Palettes><Pal0/></Palettes><M/></R>"}) {
        QDomDocument d;
        ASSERT_TRUE(d.setContent(QByteArray(Root), false));
        PalletteArray.resize(3);
        EXPECT_THROW(BmpMaker::LoadPallette(d.documentElement(), PalletteArray), EFormatError)
            << Root;
        EXPECT_TRUE(PalletteArray.empty()) << Root;
    }
}

TEST(LoadPallette, ColoursKeepTheirLowByteAndExtraChildrenAreIgnored) {
    LoadFrom("<Pal0><C R='256' G='300' B='-1'/><C R=' 255 ' G='-256' B='65580'/></Pal0>"
             "<Pal1>" +
             Colours(16, 200) + "<Extra/><C R='x'/></Pal1>");
    ASSERT_EQ(PalletteArray.size(), 2u);
    const TPallette& p = PalletteArray[0];
    EXPECT_EQ(p.Col[0].R, 0);
    EXPECT_EQ(p.Col[0].G, 44);
    EXPECT_EQ(p.Col[0].B, 255);
    EXPECT_EQ(p.Col[1].R, 255);
    EXPECT_EQ(p.Col[1].G, 0);
    EXPECT_EQ(p.Col[1].B, 44);
    for (int c = 2; c < 16; ++c) // missing colours are black
        EXPECT_TRUE(p.Col[c].R == 0 && p.Col[c].G == 0 && p.Col[c].B == 0);
    EXPECT_EQ(PalletteArray[1].Col[15].R, 215);
}

TEST(LoadPallette, AnErrorKeepsWhatWasReadAndNamesTheAttribute) {
    TempDir t;
    TXMLDocument Doc;
    Doc.FileName = t.file("XMLParams.xml");
    WriteBytes(Doc.FileName, [] {
        const QByteArray x = "<R>\n<P>\n<Pal0><C R='1' G='2' B='3'/></Pal0>\n<Pal1>\n"
                             "<C R='4' G='5' B='6'/>\n<C R='7' B='9'/>\n</Pal1></P><M/><S/></R>";
        return TMyByteArray(x.begin(), x.end());
    }());
    try {
        BmpMaker::Init(Doc, PalletteArray);
        FAIL() << "no error";
    } catch (const EFormatError& e) {
        EXPECT_EQ(e.Message(), QString("Parameters file \"%1\": attribute \"G\" of element \"C\" "
                                       "(line 6) is missing")
                                   .arg(Doc.FileName));
    }
    ASSERT_EQ(PalletteArray.size(), 2u);
    EXPECT_EQ(PalletteArray[1].Col[0].B, 6);
    EXPECT_EQ(PalletteArray[1].Col[1].R, 7);
    EXPECT_FALSE(Doc.Active());

    // A missing file leaves the palettes alone.
    Doc.FileName = t.file("none.xml");
    EXPECT_THROW(BmpMaker::Init(Doc, PalletteArray), EFOpenError);
    EXPECT_EQ(PalletteArray.size(), 2u);
    EXPECT_THROW(BmpMaker::ReadPalettes(Doc), EFOpenError);
}

TEST(ColorTable, IsThePaletteOrAGreyRampForAnUnknownNumber) {
    LoadFrom("<Pal0>" + Colours(16, 10) + "</Pal0>");
    const QVector<QRgb> t = BmpMaker::ColorTable(PalletteArray, 0);
    ASSERT_EQ(t.size(), 16);
    EXPECT_EQ(t[3], qRgb(13, 6, 9));
    for (int PalI : {1, -1, 1000}) {
        const QVector<QRgb> g = BmpMaker::ColorTable(PalletteArray, PalI);
        ASSERT_EQ(g.size(), 16);
        for (int i = 0; i < 16; ++i)
            EXPECT_EQ(g[i], qRgb(17 * i, 17 * i, 17 * i));
    }
}

TEST(MakeBMPPixels, TileOrderInsideAGroup) {
    // 2 x 2: CW fills rows first, CCW columns first.
    Picture cw = Render(TaggedBlocks(4), 1, true, 32, 16);
    EXPECT_EQ(cw.TagAt(0, 0), 0);
    EXPECT_EQ(cw.TagAt(8, 0), 1);
    EXPECT_EQ(cw.TagAt(0, 8), 2);
    EXPECT_EQ(cw.TagAt(8, 8), 3);
    Picture ccw = Render(TaggedBlocks(4), 1, false, 32, 16);
    EXPECT_EQ(ccw.TagAt(0, 0), 0);
    EXPECT_EQ(ccw.TagAt(0, 8), 1);
    EXPECT_EQ(ccw.TagAt(8, 0), 2);
    EXPECT_EQ(ccw.TagAt(8, 8), 3);

    // 96x32: group g takes block g x 48 + bJ x 4 + bI (CCW) or + bI x 12 + bJ (CW); at a width
    // of 190 (w div 2 = 95 is not above 0 + 96) the second group starts a new band.
    for (bool IsCW : {false, true}) {
        Picture p = Render(TaggedBlocks(96), 4, IsCW, 190, 64);
        for (int g = 0; g < 2; ++g)
            for (int bI = 0; bI < 4; ++bI)
                for (int bJ = 0; bJ < 12; ++bJ)
                    EXPECT_EQ(p.TagAt(8 * bJ, 32 * g + 8 * bI),
                              g * 48 + (IsCW ? bI * 12 + bJ : bJ * 4 + bI));
        EXPECT_TRUE(p.Blank(96, 0, 190, 64));
    }
}

TEST(MakeBMPPixels, BandsBreakBeforeAGroupWouldEndAtHalfTheWidth) {
    // 230 wide, 8x8 groups: 28 per band (bytes 0 to 111); the 29th starts the next band.
    Picture p = Render(TaggedBlocks(29), 0, true, 230, 16);
    for (int g = 0; g < 28; ++g)
        EXPECT_EQ(p.TagAt(8 * g, 0), g);
    EXPECT_TRUE(p.Blank(224, 0, 230, 8));
    EXPECT_EQ(p.TagAt(0, 8), 28);
    EXPECT_TRUE(p.Blank(8, 8, 230, 16));

    // 64 wide: seven per band, not eight.
    Picture q = Render(TaggedBlocks(8), 0, true, 64, 16);
    EXPECT_EQ(q.TagAt(48, 0), 6);
    EXPECT_TRUE(q.Blank(56, 0, 64, 8));
    EXPECT_EQ(q.TagAt(0, 8), 7);

    // The texture strip: 25 x 700, 3 x 3 groups, one group per band of 24 rows.
    Picture s = Render(TaggedBlocks(225), 2, true, 25, 700);
    for (int g = 0; g < 25; ++g) {
        EXPECT_EQ(s.TagAt(0, 24 * g), 9 * g);
        EXPECT_EQ(s.TagAt(16, 24 * g + 16), 9 * g + 8);
    }
    EXPECT_TRUE(s.Blank(24, 0, 25, 700));
    EXPECT_TRUE(s.Blank(0, 600, 25, 700));

    // Nine blocks at 16x16 make two groups; the ninth is not drawn.
    Picture n = Render(TaggedBlocks(9), 1, true, 100, 16);
    EXPECT_EQ(n.TagAt(16, 0), 4);
    EXPECT_EQ(n.TagAt(24, 8), 7);
    EXPECT_TRUE(n.Blank(32, 0, 100, 16));
}

TEST(MakeBMPPixels, OddWidthsShowTheHighNibbleOfTheLastByte) {
    TBlock b{};
    for (auto& Row : b)
        Row = {0x01, 0x23, 0x45, 0x67};
    // A 2 x 2 group is 16 pixels wide; at w = 15 the last pixel is block 1's pixel 6.
    Picture p = Render(TBlocksArray(4, b), 1, true, 15, 16);
    for (int x = 0; x < 15; ++x)
        EXPECT_EQ(p.At(x, 9), x % 8);
    Picture one = Render(TBlocksArray(1, b), 0, true, 1, 1);
    EXPECT_EQ(one.At(0, 0), 0);
    b[0][0] = 0xA5;
    one = Render(TBlocksArray(1, b), 0, true, 1, 1);
    EXPECT_EQ(one.At(0, 0), 0xA);
}

TEST(MakeBMPPixels, GroupsBelowOrWiderThanTheBitmapAreClipped) {
    // Many bands below a short bitmap: only what fits is drawn.
    Picture Low = Render(TaggedBlocks(400), 3, false, 50, 20);
    EXPECT_EQ(Low.TagAt(0, 0), 0);
    EXPECT_EQ(Low.TagAt(8, 8), 7);
    EXPECT_EQ(Low.TagAt(40, 16), 32);
    // A 96-pixel group in a 20-pixel bitmap: its first two and a half tiles show.
    Picture Narrow = Render(TaggedBlocks(48), 4, true, 20, 40);
    EXPECT_EQ(Narrow.TagAt(0, 0), 0);
    EXPECT_EQ(Narrow.TagAt(8, 24), 37);
    EXPECT_EQ(Narrow.At(16, 0), 0);
    EXPECT_EQ(Narrow.At(19, 0), 1);
    EXPECT_TRUE(Narrow.Blank(0, 32, 20, 40));
    // Fewer blocks than one group: all colour 0.
    Picture None = Render(TaggedBlocks(8), 2, true, 30, 30);
    EXPECT_TRUE(None.Blank(0, 0, 30, 30));
}

TEST(MakeBMPImage, BuildsAnIndexedImageOfExactlyTheSize) {
    LoadFrom("<Pal0>" + Colours(16) + "</Pal0><Pal1>" + Colours(16, 50) + "</Pal1>");
    QImage B;
    BmpMaker::MakeBMPImage(B, TaggedBlocks(3), SpriteSize[0],
                           BmpMaker::ColorTable(PalletteArray, 1), true, 13, 9);
    ASSERT_EQ(B.size(), QSize(13, 9));
    EXPECT_EQ(B.format(), QImage::Format_Indexed8);
    EXPECT_EQ(B.colorTable(), BmpMaker::ColorTable(PalletteArray, 1));
    TMyByteArray Pixels;
    ASSERT_TRUE(BmpMaker::MakeBMPPixels(Pixels, TaggedBlocks(3), SpriteSize[0], true, 13, 9));
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 13; ++x)
            EXPECT_EQ(B.pixelIndex(x, y), Pixels[size_t(y * 13 + x)]);

    // Palette numbers outside the list give the grey ramp.
    BmpMaker::MakeBMPImage(B, TaggedBlocks(1), SpriteSize[0],
                           BmpMaker::ColorTable(PalletteArray, 7), true, 8, 8);
    EXPECT_EQ(B.colorTable(), BmpMaker::ColorTable(PalletteArray, -1));
    EXPECT_EQ(B.color(15), qRgb(255, 255, 255));
}

TEST(MakeBMPImage, EmptyBlocksAndDegenerateSizes) {
    QImage B(5, 4, QImage::Format_RGB32);
    B.fill(Qt::red);
    const QImage Before = B;
    BmpMaker::MakeBMPImage(B, TBlocksArray(), SpriteSize[1], BmpMaker::ColorTable(PalletteArray, 0),
                           true, 100, 100);
    EXPECT_EQ(B, Before);
    EXPECT_EQ(B.format(), QImage::Format_RGB32);
    TMyByteArray Pixels{1, 2, 3};
    EXPECT_FALSE(BmpMaker::MakeBMPPixels(Pixels, TBlocksArray(), SpriteSize[1], true, 10, 10));
    EXPECT_EQ(Pixels.size(), 3u);

    for (auto [w, h] :
         std::initializer_list<std::pair<int, int>>{{0, 10}, {10, 0}, {-5, 10}, {10, -1}}) {
        BmpMaker::MakeBMPImage(B, TaggedBlocks(1), SpriteSize[0],
                               BmpMaker::ColorTable(PalletteArray, 0), true, w, h);
        EXPECT_TRUE(B.isNull());
    }
    EXPECT_THROW(BmpMaker::MakeBMPImage(B, TaggedBlocks(1), SpriteSize[0],
                                        BmpMaker::ColorTable(PalletteArray, 0), true, 100000,
                                        100000),
                 Exception);
    EXPECT_THROW(BmpMaker::MakeBMPImage(B, TaggedBlocks(1), SpriteSize[0],
                                        BmpMaker::ColorTable(PalletteArray, 0), true, 40000, 2),
                 Exception);
    EXPECT_THROW(BmpMaker::MakeBMPImage(B, TaggedBlocks(1), QPoint(0, 1),
                                        BmpMaker::ColorTable(PalletteArray, 0), true, 8, 8),
                 Exception);
}
