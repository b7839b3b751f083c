// SPDX-License-Identifier: MIT
// The textures a map is drawn with, and the sets of textures and palettes the session keeps:
// both without any widget.

#include "maps/MapTextures.h"
#include "palettes/BmpMaker.h"
#include "shell/Session.h"
#include "tests/support/DataRoot.h"
#include "tests/support/TestSupport.h"

#include <QFile>
#include <QSignalSpy>

#include <algorithm>

#include <gtest/gtest.h>

using namespace velkora;
using namespace velkora::test;

namespace {

// A data root of three sprites (library order A1, A2, B1) and three palettes.
struct Root {
    TempDir Dir;
    DataRoot Data{Dir.path()};
    std::unique_ptr<TSession> Session;
    Root() {
        Data.AddSprite("A1.spr", PatternWords(225, 1));
        Data.AddSprite("B1.spr", PatternWords(225, 2));
        Data.AddSprite("A2.spr", PatternWords(225, 3));
        Data.Palettes = {DistinctPalette(0), DistinctPalette(1), DistinctPalette(2)};
    }
    TSession& Start() {
        Data.WriteParams();
        Session = std::make_unique<TSession>(Dir.path());
        Session->ReadParameters();
        return *Session;
    }
    // Item Index of sprite I drawn in palette P.
    QImage Item(int I, int P, int Index) const {
        TMapImageItems Items;
        Items.SetPalette(P, BmpMaker::ColorTable(Session->PalletteArray(), P));
        Items.SetSpriteInfo(Session->SpriteContainer().SpriteInfo(I));
        return Items.Item(Index).convertToFormat(QImage::Format_RGB32);
    }
};

QImage Rgb(const QImage& i) {
    return i.convertToFormat(QImage::Format_RGB32);
}

} // namespace

TEST(MapTextures, DrawTheChosenSpritesInTheirPalettesAndSayWhichChanged) {
    Root r;
    TMapTextures t(r.Start());
    QSignalSpy Changed(&t, &TMapTextures::Changed);
    EXPECT_EQ(t.Texture(0), -1);
    t.Start();
    EXPECT_EQ(Changed.count(), 2);
    EXPECT_EQ(t.Texture(1), 0);
    EXPECT_EQ(t.TextureName(1), QString("A1.spr"));
    EXPECT_EQ(Rgb(t.CellPictures().Picture(30)), r.Item(0, 0, 5));

    // The second texture: sprite 2 (B1.spr) in palette 1; the first is untouched.
    Changed.clear();
    t.Choose(1, 2, 1);
    ASSERT_EQ(Changed.count(), 1);
    EXPECT_EQ(Changed[0][0].toInt(), 1);
    EXPECT_EQ(t.Palette(1), 1);
    EXPECT_EQ(t.TextureName(1), QString("B1.spr"));
    EXPECT_EQ(Rgb(t.CellPictures().Picture(25)), r.Item(2, 1, 0));
    EXPECT_EQ(Rgb(t.CellPictures().Picture(24)), r.Item(0, 0, 24));
    // The zoomed copies follow: twice the size, pixel for pixel.
    EXPECT_EQ(Rgb(t.Zoomed(25, 2, 1.0)), r.Item(2, 1, 0).scaled(48, 48));
    // A palette alone redraws the sprite the texture has, and the zoomed copies are made anew.
    t.Choose(1, -1, 2);
    EXPECT_EQ(t.Texture(1), 2);
    EXPECT_EQ(Rgb(t.CellPictures().Picture(25)), r.Item(2, 2, 0));
    EXPECT_EQ(Rgb(t.Zoomed(25, 2, 1.0)), r.Item(2, 2, 0).scaled(48, 48));

    // A set takes both sprites and keeps the palettes; one naming a sprite beyond the library
    // changes nothing and names the set.
    Changed.clear();
    t.ApplySet("pair", 1, 0);
    EXPECT_EQ(Changed.count(), 2);
    EXPECT_EQ(t.Texture(0), 1);
    EXPECT_EQ(t.Palette(1), 2);
    EXPECT_EQ(Rgb(t.CellPictures().Picture(49)), r.Item(0, 2, 24));
    Changed.clear();
    try {
        t.ApplySet("gone", 0, 3);
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_TRUE(e.Message().contains("\"gone\"")) << e.Message().toStdString();
    }
    EXPECT_EQ(Changed.count(), 0);
    EXPECT_EQ(t.Texture(0), 1);
}

TEST(MapTextures, AnEmptyLibraryLeavesBothTexturesEmpty) {
    TempDir Dir;
    DataRoot Data(Dir.path());
    Data.WriteParams();
    TSession s(Dir.path());
    TMapTextures t(s);
    t.Start();
    EXPECT_EQ(t.Texture(0), -1);
    EXPECT_EQ(t.TextureName(0), QString());
    t.Choose(0, -1, 0);
    EXPECT_EQ(t.Texture(0), -1);
}

TEST(Session, AddsSetsToTheFileAndItsListsAndSaysSo) {
    Root r;
    r.Data.MapSets = {{"first", 2, 1}};
    TSession& s = r.Start();
    QSignalSpy MapSets(&s, &TSession::MapSetsChanged);
    QSignalSpy PalSets(&s, &TSession::PalSetsChanged);
    s.AddMapSet(TSet{0, 2, "A1.spr : B1.spr"});
    ASSERT_EQ(s.MapSets().size(), 2u);
    EXPECT_EQ(s.MapSets()[1].Name, QString("A1.spr : B1.spr"));
    EXPECT_EQ(s.MapSets()[1].i2, 2);
    EXPECT_EQ(MapSets.count(), 1);
    TPalletteArray Reversed = MyTypes::IdentityPallette();
    std::reverse(Reversed.begin(), Reversed.end());
    s.AddPalSet(Reversed);
    ASSERT_EQ(s.PalSets().size(), 1u);
    EXPECT_EQ(s.PalSets()[0].pal, Reversed);
    EXPECT_EQ(PalSets.count(), 1);
    // What another session reads from the file is what this one holds.
    TSession Other(r.Dir.path());
    Other.ReadParameters();
    EXPECT_EQ(Other.MapSets().size(), 2u);
    EXPECT_EQ(Other.PalSets()[0].pal, Reversed);

    // A file whose sets cannot all be read back: the palette sets stay as they were (unsaid);
    // the texture sets hold those read before the error, and say so.
    const QByteArray Broken =
        "<Params>\n <Palettes/>\n <MapSets>\n"
        "  <Set_0 Name=\"ok\" Tex1=\"0\" Tex2=\"1\"/>\n"
        "  <Set_1 Name=\"bad\" Tex1=\"x\" Tex2=\"1\"/>\n </MapSets>\n"
        " <PalSets>\n  <Set_0 name=\"0\" p1=\"99\"/>\n </PalSets>\n</Params>\n";
    WriteBytes(r.Dir.file("XMLParams.xml"), TMyByteArray(Broken.begin(), Broken.end()));
    EXPECT_THROW(s.AddPalSet(Reversed), Exception);
    EXPECT_EQ(s.PalSets().size(), 1u);
    EXPECT_EQ(PalSets.count(), 1);
    EXPECT_THROW(s.AddMapSet(TSet{1, 1, "x"}), Exception);
    ASSERT_EQ(s.MapSets().size(), 1u);
    EXPECT_EQ(s.MapSets()[0].Name, QString("ok"));
    EXPECT_EQ(MapSets.count(), 2);
    // Both sets were appended all the same.
    EXPECT_TRUE(ReadBytes(r.Dir.file("XMLParams.xml")).size() > size_t(Broken.size()) + 100);

    // A file that cannot be read at all: nothing is appended, the lists stay, nothing is said.
    QFile::remove(r.Dir.file("XMLParams.xml"));
    EXPECT_THROW(s.AddMapSet(TSet{1, 1, "x"}), Exception);
    EXPECT_EQ(s.MapSets().size(), 1u);
    EXPECT_EQ(MapSets.count(), 2);
}
