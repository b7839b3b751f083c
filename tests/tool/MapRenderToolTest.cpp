// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "maps/MapImageItems.h"
#include "palettes/BmpMaker.h"
#include "sprites/SpriteEditor.h"
#include "tests/support/DataRoot.h"
#include "tests/support/TestSupport.h"

#include <QFile>
#include <QImage>

using namespace velkora;
using namespace velkora::test;

namespace {

// A data root with three textures, two palettes and one small map.
class MapRenderToolTest : public ::testing::Test {
protected:
    void SetUp() override {
        Root = std::make_unique<DataRoot>(Dir.path());
        Root->AddSprite("A1.spr", PatternWords(225, 1));
        Root->AddSprite("A2.spr", PatternWords(230, 4), false);
        Root->AddSprite("B1.spr", PatternWords(18, 7));
        Root->Palettes = {DistinctPalette(0), DistinctPalette(1)};
        Root->WriteParams();
        Root->AddMap("M1.Map", 4, 3, Cells);
    }

    // The items the editor would show for textures I and J in palettes P and Q.
    void Expected(int I, int J, int P, int Q) {
        TXMLDocument Doc;
        Doc.FileName = Dir.file("XMLParams.xml");
        const TPalletteList Palettes = BmpMaker::ReadPalettes(Doc);
        const TSpriteContainer Library(Dir.path());
        Items1.SetPalette(P, BmpMaker::ColorTable(Palettes, P));
        Items1.SetSpriteInfo(Library.SpriteInfo(I));
        Items2.SetPalette(Q, BmpMaker::ColorTable(Palettes, Q));
        Items2.SetSpriteInfo(Library.SpriteInfo(J));
    }

    void ExpectCell(const QImage& Png, int Col, int Row, const QImage& Item) {
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 24; ++x)
                ASSERT_EQ(Png.pixel(Col * 24 + x, Row * 24 + y) & 0xFFFFFF,
                          Item.pixel(x, y) & 0xFFFFFF)
                    << "cell " << Col << ", " << Row << " at " << x << ", " << y;
    }

    TempDir Dir;
    std::unique_ptr<DataRoot> Root;
    const TMyByteArray Cells = {0, 1, 24, 25, 26, 49, 60, 255, 3, 3, 3, 30};
    TMapImageItems Items1;
    TMapImageItems Items2;
};

} // namespace

TEST_F(MapRenderToolTest, RendersEveryCellAsTheWorkspaceDrawsIt) {
    const QString Out = Dir.file("m1.png");
    QByteArray Err;
    ASSERT_EQ(RunTool({"map", "render", Root->MapPath("M1.Map"), Out, "--root", Dir.path(),
                       "--tex1", "1", "--tex2", "2", "--pal1", "1"},
                      nullptr, &Err),
              0)
        << Err.toStdString();
    const QImage Png(Out);
    ASSERT_EQ(Png.size(), QSize(4 * 24, 3 * 24));

    // The library order is A1, A2, B1: texture 1 is A2, texture 2 is B1.
    Expected(1, 2, 1, 0);
    for (int i = 0; i < 12; ++i) {
        const int v = Cells[size_t(i)];
        const QImage Item = v < 25   ? Items1.Item(v).copy()
                            : v < 50 ? Items2.Item(v - 25).copy()
                                     : MapImageItems::UnknownItemPicture();
        ExpectCell(Png, i % 4, i / 4, Item);
    }
}

TEST_F(MapRenderToolTest, RefusesBadArgumentsAndOversizedMaps) {
    const QString Out = Dir.file("out.png");
    const QString Map = Root->MapPath("M1.Map");
    const QString R = Dir.path();
    // Wrong arguments: exit status 2.
    EXPECT_EQ(RunTool({"map", "render", Map, Out, "--tex1", "0", "--tex2", "0"}), 2);
    EXPECT_EQ(RunTool({"map", "render", Map, Out, "--root", R, "--tex1", "3", "--tex2", "0"}), 2);
    EXPECT_EQ(RunTool({"map", "render", Map, Out, "--root", R, "--tex1", "0", "--tex2", "0",
                       "--pal2", "2"}),
              2);
    EXPECT_EQ(RunTool({"map", "render", Map, "--root", R, "--tex1", "0", "--tex2", "0"}), 2);

    // Files that cannot be read or written: exit status 1, no output left behind.
    EXPECT_EQ(RunTool({"map", "render", Dir.file("none.Map"), Out, "--root", R, "--tex1", "0",
                       "--tex2", "0"}),
              1);
    EXPECT_EQ(RunTool({"map", "render", Map, Dir.file("no/such/dir/out.png"), "--root", R, "--tex1",
                       "0", "--tex2", "0"}),
              1);
    TempDir EmptyRoot;
    EXPECT_EQ(RunTool({"map", "render", Map, Out, "--root", EmptyRoot.path(), "--tex1", "0",
                       "--tex2", "0"}),
              1);

    EXPECT_FALSE(QFile::exists(Out));

    // A picture over the 2^28 pixels an in-memory picture may have is streamed, not refused.
    Root->AddMap("Huge.Map", 700, 700, TMyByteArray(700 * 700, 3));
    QByteArray Err;
    ASSERT_EQ(RunTool({"map", "render", Root->MapPath("Huge.Map"), Out, "--root", R, "--tex1", "0",
                       "--tex2", "0", "--fast"},
                      nullptr, &Err),
              0)
        << Err.toStdString();
    const std::vector<PngChunk> Chunks = ParsePngChunks(ReadBytes(Out));
    EXPECT_EQ(ReadBE32(&Chunks[0].Data[0]), 16800u);
    EXPECT_EQ(ReadBE32(&Chunks[0].Data[4]), 16800u);
}

TEST_F(MapRenderToolTest, TheWidestMapRendersAsAnIndexedPng) {
    // 65535 x 1 cells make a picture 1,572,840 pixels wide: past the 1,000,000 libpng takes by
    // default, within PNG's 2^31 - 1.
    TMyByteArray Row(65535);
    for (size_t i = 0; i < Row.size(); ++i)
        Row[i] = uint8_t(i % 60);
    Root->AddMap("Wide.Map", 65535, 1, Row);
    const QString Out = Dir.file("wide.png");
    QByteArray Err;
    ASSERT_EQ(RunTool({"map", "render", Root->MapPath("Wide.Map"), Out, "--root", Dir.path(),
                       "--tex1", "0", "--tex2", "1", "--pal2", "1"},
                      nullptr, &Err),
              0)
        << Err.toStdString();
    const std::vector<PngChunk> Chunks = ParsePngChunks(ReadBytes(Out));
    EXPECT_EQ(ReadBE32(&Chunks[0].Data[0]), 65535u * 24);
    EXPECT_EQ(ReadBE32(&Chunks[0].Data[4]), 24u);
    EXPECT_EQ(Chunks[0].Data[8], 8); // bit depth
    EXPECT_EQ(Chunks[0].Data[9], 3); // indexed
    ASSERT_EQ(Chunks[1].Type, "PLTE");
    EXPECT_EQ(Chunks[1].Data.size(), 35u * 3); // two palettes of 16 and the unknown item's 3
}
