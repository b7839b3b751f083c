// SPDX-License-Identifier: MIT
// velkora-tool make-demo, as a black box: the data root it writes is read back with the
// project's own readers.

#include "maps/MapLoader.h"
#include "palettes/BmpMaker.h"
#include "shell/ParamsFile.h"
#include "sprites/SpriteEditor.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <memory>
#include <set>

using namespace velkora;
using namespace velkora::test;

namespace {

const QStringList SpriteNamesInLibraryOrder = {"A1.spr",   "A2.spr",   "A10.spr",   "B1.spr",
                                               "Font.spr", "Hero.spr", "Title.spr", "a1.spr"};

// One demo root shared by the tests that only read it.
class DemoRoot : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        Dir = std::make_unique<TempDir>();
        QByteArray Out;
        QByteArray Err;
        Status = RunTool({"make-demo", Dir->file("demo")}, &Out, &Err);
        Output = Out;
        Errors = Err;
    }
    static void TearDownTestSuite() { Dir.reset(); }

    static QString Root() { return Dir->file("demo"); }
    static QString Sprite(const QString& Name) {
        return MyTypes::DataPath(Root(), SpriteFolderName, Name);
    }
    static QString Map(const QString& Name) {
        return MyTypes::DataPath(Root(), MapFolderName, Name);
    }

    static TMyByteArray LoadCells(const QString& Name, int32_t& w, int32_t& h) {
        return MapLoader::LoadMap(Map(Name), w, h);
    }

    static inline std::unique_ptr<TempDir> Dir;
    static inline int Status = -1;
    static inline QByteArray Output;
    static inline QByteArray Errors;
};

// The colours of one 8 x 8 tile of a sprite.
std::set<int> TileColours(const TBlock& b) {
    std::set<int> s;
    for (const auto& Row : b)
        for (uint8_t Byte : Row) {
            s.insert(Byte >> 4);
            s.insert(Byte & 15);
        }
    return s;
}

bool Within(const std::set<int>& s, const std::set<int>& Allowed) {
    for (int c : s)
        if (!Allowed.count(c))
            return false;
    return true;
}

// Pixel (x, y) of item Item of a texture (3 x 3 tiles, row by row).
int ItemPixel(const TBlocksArray& Blocks, int Item, int x, int y) {
    const uint8_t Byte =
        Blocks[size_t(9 * Item + 3 * (y / 8) + x / 8)][size_t(y % 8)][size_t(x % 8 / 2)];
    return x % 2 == 0 ? Byte >> 4 : Byte & 15;
}

// Pixel (x, y) of group Group of a sprite laid out in groups of TilesX x TilesY tiles.
int GroupPixel(const TBlocksArray& Blocks, int TilesX, int TilesY, int Group, int x, int y) {
    const size_t Block = size_t(Group * TilesX * TilesY + (y / 8) * TilesX + x / 8);
    const uint8_t Byte = Blocks[Block][size_t(y % 8)][size_t(x % 8 / 2)];
    return x % 2 == 0 ? Byte >> 4 : Byte & 15;
}

// Transition items by corner mask (bit 1 NW, 2 NE, 4 SW, 8 SE), shared by the textures.
const std::array<int, 16> ItemOfMask = {0, 17, 15, 16, 7, 12, 18, 8, 5, 19, 10, 9, 6, 13, 14, 11};

// Ground of a map cell at its four corners (bit 1 NW, 2 NE, 4 SW, 8 SE) for water and for sand;
// false for cells that show a thing (tree, house, bridge, ...) rather than ground.
bool GroundOf(uint8_t v, int& Water, int& Sand) {
    // Transition items by corner mask, shared by the textures.
    static const std::array<int, 16> ItemOfMask = {0, 17, 15, 16, 7, 12, 18, 8,
                                                   5, 19, 10, 9,  6, 13, 14, 11};
    Water = Sand = 0;
    if (v == 0 || v == 1 || v == 2 || v == 3 || v == 22 || v == 23 || v == 24)
        return true; // grass and what grows on it
    if (v == 4 || v == 20 || v == 21) {
        Water = 15; // deep water, lilies, a rock in the water
        return true;
    }
    for (int m = 1; m < 16; ++m) {
        if (v == ItemOfMask[size_t(m)]) {
            Water = m;
            return true;
        }
        if (m != 6 && m != 9 && v == 25 + ItemOfMask[size_t(m)]) {
            Sand = m;
            return true;
        }
    }
    return false;
}

} // namespace

TEST_F(DemoRoot, WritesSpritesMapsAndParametersAndReportsOneLine) {
    ASSERT_EQ(Status, 0) << Errors.constData();
    EXPECT_EQ(Output.count('\n'), 1) << Output.constData();
    EXPECT_TRUE(Errors.isEmpty());
    EXPECT_TRUE(QFileInfo(Root() + "/XMLParams.xml").isFile());
    // The library lists the sprites in its own order, the first one being the land texture;
    // the map chooser starts on the small meadow.
    EXPECT_EQ(TSpriteContainer(Root()).SpriteNames(), SpriteNamesInLibraryOrder);
    QStringList Maps = SpriteEditor::FindFiles(MyTypes::DataPath(Root(), MapFolderName), ".map");
    SpriteEditor::SortNames(Maps);
    EXPECT_EQ(Maps, QStringList({"Level1.Map", "Level2.Map", "Level3.Map", "World512.Map"}));
}

TEST_F(DemoRoot, EverySpriteDecodesIntoWholeTileGroups) {
    const std::map<QString, size_t> Blocks = {
        {"A1.spr", 225},  {"A2.spr", 225},     {"A10.spr", 225},      {"B1.spr", 6 * 4},
        {"Font.spr", 64}, {"Hero.spr", 8 * 4}, {"Title.spr", 3 * 48}, {"a1.spr", 8 * 4}};
    for (const auto& [Name, Count] : Blocks) {
        TSpriteInfo s;
        s.Init(Sprite(Name));
        s.GenerateBlocArray();
        EXPECT_EQ(s.BlocksArray.size(), Count) << Name.toStdString();
        EXPECT_EQ(s.Bytes.size(), Count * 16) << Name.toStdString();
        const TMyByteArray File = ReadBytes(Sprite(Name));
        ASSERT_GE(File.size(), 4u);
        if (Name == "a1.spr") {
            // The uncompressed form: 00 01, the block count low byte first, the words.
            EXPECT_EQ(File[0], 0x00);
            EXPECT_EQ(File[1], 0x01);
            EXPECT_EQ(File[2] | File[3] << 8, int(Count));
            EXPECT_EQ(File.size(), 4 + Count * 32);
            for (size_t i = 0; i < s.Bytes.size(); ++i)
                ASSERT_EQ(s.Bytes[i], MyTypes::ReadBE16(&File[4 + 2 * i])) << i;
        } else {
            EXPECT_EQ(File[0], 0x00);
            EXPECT_EQ(File[1], 0x02);
            EXPECT_EQ(File[2], 0xFF);
        }
    }
}

TEST_F(DemoRoot, TilesLieInTheOrderOfTheirGroups) {
    // The glyph L of the font (block 'L' - 32): row 0 is one white pixel in column 1, row 6 the
    // white foot in columns 1-5, row 7 its grey shadow one pixel down and right.
    TSpriteInfo Font;
    Font.Init(Sprite("Font.spr"));
    const size_t L = size_t('L' - 32) * 16;
    EXPECT_EQ(Font.Bytes[L + 0], 0x0F00);
    EXPECT_EQ(Font.Bytes[L + 1], 0x0000);
    EXPECT_EQ(Font.Bytes[L + 12], 0x0FFF);
    EXPECT_EQ(Font.Bytes[L + 13], 0xFF00);
    EXPECT_EQ(Font.Bytes[L + 14], 0x00AA);
    EXPECT_EQ(Font.Bytes[L + 15], 0xAAA0);

    // In the land texture a shore item has grass in the tiles on its land side and water in
    // those on its water side: item 6 (water to the south) and item 10 (water to the east).
    TSpriteInfo Land;
    Land.Init(Sprite("A1.spr"));
    Land.GenerateBlocArray();
    const std::set<int> Ground = {1, 2, 3, 8, 9};
    const std::set<int> Water = {4, 5, 6, 15};
    for (int k = 0; k < 3; ++k) {
        EXPECT_TRUE(Within(TileColours(Land.BlocksArray[9 * 6 + k]), Ground)) << k;
        EXPECT_TRUE(Within(TileColours(Land.BlocksArray[9 * 6 + 6 + k]), Water)) << k;
        EXPECT_TRUE(Within(TileColours(Land.BlocksArray[9 * 10 + 3 * k]), Ground)) << k;
        EXPECT_TRUE(Within(TileColours(Land.BlocksArray[9 * 10 + 3 * k + 2]), Water)) << k;
    }
    // Items 0 (grass) and 11 (water) are ground and water throughout.
    for (int t = 0; t < 9; ++t) {
        EXPECT_TRUE(Within(TileColours(Land.BlocksArray[size_t(t)]), Ground)) << t;
        EXPECT_TRUE(Within(TileColours(Land.BlocksArray[size_t(9 * 11 + t)]), Water)) << t;
    }

    // Figures stand on the transparent colour 0: every corner pixel of every 16 x 16 group.
    for (const char* Name : {"Hero.spr", "B1.spr", "a1.spr"}) {
        TSpriteInfo f;
        f.Init(Sprite(Name));
        for (size_t g = 0; g < f.Bytes.size() / 64; ++g) {
            EXPECT_EQ(f.Bytes[64 * g] >> 12, 0) << Name << " " << g;           // top left
            EXPECT_EQ(f.Bytes[64 * g + 16 + 1] & 15, 0) << Name << " " << g;   // top right
            EXPECT_EQ(f.Bytes[64 * g + 32 + 14] >> 12, 0) << Name << " " << g; // bottom left
            EXPECT_EQ(f.Bytes[64 * g + 48 + 15] & 15, 0) << Name << " " << g;  // bottom right
        }
    }
}

TEST_F(DemoRoot, TransitionItemsMeetTheirNeighboursInPureGround) {
    // An item edge whose two corners lie in the same ground shows only that ground, so that
    // the edge meets the neighbouring item's edge whatever that item is.
    struct TCase {
        const char* Sprite;
        std::set<int> Outer; // the ground where the mask's bits are clear
        std::set<int> Inner; // where they are set
        bool Diagonals;
    };
    const TCase Cases[] = {
        {"A1.spr", {1, 2, 3, 8, 9}, {4, 5, 6, 15}, true},    // grass, water
        {"A2.spr", {1, 2, 3}, {7, 8, 9, 10, 11, 12}, false}, // grass, sand
    };
    // The corners of each edge (as mask bits) and the pixel at step k along it.
    struct TEdge {
        int Bits;
        int x0, y0, dx, dy;
    };
    const TEdge Edges[] = {{1 | 2, 0, 0, 1, 0},   // north
                           {4 | 8, 0, 23, 1, 0},  // south
                           {1 | 4, 0, 0, 0, 1},   // west
                           {2 | 8, 23, 0, 0, 1}}; // east
    for (const TCase& t : Cases) {
        TSpriteInfo s;
        s.Init(Sprite(t.Sprite));
        s.GenerateBlocArray();
        for (int Mask = 1; Mask < 16; ++Mask) {
            if (!t.Diagonals && (Mask == 6 || Mask == 9))
                continue;
            for (const TEdge& e : Edges) {
                const int Set = Mask & e.Bits;
                if (Set != 0 && Set != e.Bits)
                    continue; // a mixed edge
                const std::set<int>& Ground = Set ? t.Inner : t.Outer;
                for (int k = 0; k < 24; ++k) {
                    const int c = ItemPixel(s.BlocksArray, ItemOfMask[size_t(Mask)],
                                            e.x0 + k * e.dx, e.y0 + k * e.dy);
                    EXPECT_TRUE(Ground.count(c))
                        << t.Sprite << " mask " << Mask << " edge " << e.Bits << " step " << k;
                }
            }
        }
    }
}

TEST_F(DemoRoot, FiguresAndBannersKeepTheirGroupShapes) {
    // The hero's right-facing frames (groups 6, 7) mirror the left-facing ones (4, 5).
    TSpriteInfo Hero;
    Hero.Init(Sprite("Hero.spr"));
    Hero.GenerateBlocArray();
    for (int f = 0; f < 2; ++f)
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                ASSERT_EQ(GroupPixel(Hero.BlocksArray, 2, 2, 6 + f, x, y),
                          GroupPixel(Hero.BlocksArray, 2, 2, 4 + f, 15 - x, y))
                    << f << " " << x << "," << y;
    // The title banner's frame has golden corners: tiles 0, 11, 36 and 47 of its group.
    TSpriteInfo Title;
    Title.Init(Sprite("Title.spr"));
    Title.GenerateBlocArray();
    const std::pair<int, int> Corners[] = {{0, 0}, {95, 0}, {0, 31}, {95, 31}};
    for (const auto& [x, y] : Corners)
        EXPECT_EQ(GroupPixel(Title.BlocksArray, 12, 4, 0, x, y), 14) << x << "," << y;
    EXPECT_EQ(GroupPixel(Title.BlocksArray, 12, 4, 0, 48, 0), 11); // the grey rim between them
}

TEST_F(DemoRoot, MapsHaveTheirSizesAndOnlyItemsOfATextureSet) {
    const std::map<QString, std::pair<int, int>> Sizes = {{"Level1.Map", {20, 15}},
                                                          {"Level2.Map", {64, 48}},
                                                          {"Level3.Map", {32, 32}},
                                                          {"World512.Map", {512, 512}}};
    for (const auto& [Name, Size] : Sizes) {
        int32_t w = -1;
        int32_t h = -1;
        const TMyByteArray Cells = LoadCells(Name, w, h);
        EXPECT_EQ(w, Size.first) << Name.toStdString();
        EXPECT_EQ(h, Size.second) << Name.toStdString();
        ASSERT_EQ(Cells.size(), size_t(w) * size_t(h)) << Name.toStdString();
        std::set<int> Used;
        for (uint8_t v : Cells) {
            ASSERT_LE(v, 49) << Name.toStdString();
            Used.insert(v);
        }
        // Every map shows both textures.
        EXPECT_LT(*Used.begin(), 25) << Name.toStdString();
        EXPECT_GE(*Used.rbegin(), 25) << Name.toStdString();
    }
}

TEST_F(DemoRoot, MapsJoinTheirGroundAndHousesSeamlessly) {
    for (const QString Name : {"Level1.Map", "Level2.Map", "Level3.Map", "World512.Map"}) {
        int32_t w = 0;
        int32_t h = 0;
        const TMyByteArray c = LoadCells(Name, w, h);
        const auto At = [&](int x, int y) { return c[size_t(y) * size_t(w) + size_t(x)]; };
        int Seams = 0;
        int Houses = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                int W1, S1, W2, S2;
                if (!GroundOf(At(x, y), W1, S1))
                    continue;
                // The east edge (corners NE, SE) against the neighbour's west edge (NW, SW), and
                // the south edge (SW, SE) against the neighbour's north edge (NW, NE).
                if (x + 1 < w && GroundOf(At(x + 1, y), W2, S2)) {
                    Seams += ((W1 >> 1 & 1) != (W2 & 1)) + ((W1 >> 3 & 1) != (W2 >> 2 & 1));
                    Seams += ((S1 >> 1 & 1) != (S2 & 1)) + ((S1 >> 3 & 1) != (S2 >> 2 & 1));
                }
                if (y + 1 < h && GroundOf(At(x, y + 1), W2, S2)) {
                    Seams += ((W1 >> 2 & 1) != (W2 & 1)) + ((W1 >> 3 & 1) != (W2 >> 1 & 1));
                    Seams += ((S1 >> 2 & 1) != (S2 & 1)) + ((S1 >> 3 & 1) != (S2 >> 1 & 1));
                }
            }
        // A house is its four items together: roof 43 44 over walls 48 49.
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const uint8_t v = At(x, y);
                if (v == 43) {
                    ++Houses;
                    ASSERT_TRUE(x + 1 < w && y + 1 < h) << Name.toStdString();
                    EXPECT_EQ(At(x + 1, y), 44);
                    EXPECT_EQ(At(x, y + 1), 48);
                    EXPECT_EQ(At(x + 1, y + 1), 49);
                } else if (v == 44) {
                    EXPECT_TRUE(x > 0 && At(x - 1, y) == 43) << Name.toStdString();
                } else if (v == 48 || v == 49) {
                    EXPECT_TRUE(y > 0 && At(x, y - 1) == v - 5) << Name.toStdString();
                }
            }
        EXPECT_EQ(Seams, 0) << Name.toStdString();
        EXPECT_GT(Houses, 0) << Name.toStdString();
    }
}

TEST_F(DemoRoot, SquareMapIsStoredColumnByColumn) {
    const TMyByteArray File = ReadBytes(Map("Level3.Map"));
    ASSERT_GE(File.size(), 8u);
    EXPECT_EQ(MyTypes::ReadBE16(&File[0]), 2);
    EXPECT_EQ(MyTypes::ReadBE16(&File[2]), 32);
    EXPECT_EQ(MyTypes::ReadBE16(&File[4]), 32);
    EXPECT_EQ(File.size() % 2, 0u);

    // Decode the stream by hand in stored order and compare with the reader's rows.
    TMyByteArray Stored;
    for (size_t i = 6; i < File.size() && Stored.size() < 32 * 32;) {
        if (File[i] == 0xFE) {
            ASSERT_LT(i + 2, File.size());
            EXPECT_GE(File[i + 1], 4); // runs under four cells are literals
            Stored.insert(Stored.end(), File[i + 1], File[i + 2]);
            i += 3;
        } else {
            Stored.push_back(File[i++]);
        }
    }
    ASSERT_EQ(Stored.size(), 32u * 32u);
    int32_t w = 0;
    int32_t h = 0;
    const TMyByteArray Rows = LoadCells("Level3.Map", w, h);
    for (int x = 0; x < 32; ++x)
        for (int y = 0; y < 32; ++y)
            ASSERT_EQ(Rows[size_t(y * 32 + x)], Stored[size_t(x * 32 + y)]) << x << "," << y;

    // Read the right way round, the island's pier (bridge items running north-south) is one
    // column of consecutive rows, and the map's rim is sea.
    std::set<int> Columns;
    std::set<int> PierRows;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            if (Rows[size_t(y * 32 + x)] == 46) {
                Columns.insert(x);
                PierRows.insert(y);
            }
    ASSERT_EQ(Columns.size(), 1u);
    EXPECT_GE(PierRows.size(), 3u);
    EXPECT_EQ(*PierRows.rbegin() - *PierRows.begin() + 1, int(PierRows.size()));
    for (int k = 0; k < 32; ++k) {
        EXPECT_EQ(Rows[size_t(k)], 4) << k;      // deep water along the top
        EXPECT_EQ(Rows[size_t(k * 32)], 4) << k; // and the left side
    }
}

TEST_F(DemoRoot, ParametersFileReadsWithTheCoreReaders) {
    TXMLDocument Doc;
    Doc.FileName = Root() + "/XMLParams.xml";
    const TPalletteList PalletteArray = BmpMaker::ReadPalettes(Doc);
    ASSERT_GE(PalletteArray.size(), 6u);
    for (size_t p = 0; p < PalletteArray.size(); ++p) {
        const auto Light = [&](int c) {
            const TCol& k = PalletteArray[p].Col[size_t(c)];
            return 3 * k.R + 6 * k.G + k.B;
        };
        // Colour 0 is the darkest of every palette (the background), and the roles hold: the
        // grass, water and sand ramps brighten from their first to their last index.
        for (int c = 1; c < 16; ++c)
            EXPECT_LT(Light(0), Light(c)) << p << " " << c;
        for (int First : {1, 4, 7, 10}) {
            EXPECT_LT(Light(First), Light(First + 1)) << p << " " << First;
            EXPECT_LT(Light(First + 1), Light(First + 2)) << p << " " << First;
        }
    }
    // Palette 0 is daylight: green grass, blue water.
    const TCol Grass = PalletteArray[0].Col[2];
    const TCol Water = PalletteArray[0].Col[5];
    EXPECT_GT(Grass.G, Grass.R);
    EXPECT_GT(Grass.G, Grass.B);
    EXPECT_GT(Water.B, Water.R);
    EXPECT_GT(Water.B, Water.G);

    const QStringList Library = TSpriteContainer(Root()).SpriteNames();
    TSetArray Sets;
    ParamsFile::ReadMapSets(Doc, Sets);
    ASSERT_EQ(Sets.size(), 2u);
    EXPECT_EQ(Sets[0].Name, "A1.spr : A2.spr");
    EXPECT_EQ(Library.value(Sets[0].i1), "A1.spr");
    EXPECT_EQ(Library.value(Sets[0].i2), "A2.spr");
    EXPECT_EQ(Sets[1].Name, "A1.spr : A10.spr");
    EXPECT_EQ(Library.value(Sets[1].i1), "A1.spr");
    EXPECT_EQ(Library.value(Sets[1].i2), "A10.spr");

    TPalSetArray PalSets;
    ParamsFile::ReadPalSets(Doc, PalSets);
    ASSERT_EQ(PalSets.size(), 2u);
    EXPECT_EQ(PalSets[0].Name, "0");
    EXPECT_EQ(PalSets[1].Name, "1");
    EXPECT_EQ(PalSets[0].pal, MyTypes::IdentityPallette());
    EXPECT_NE(PalSets[1].pal, MyTypes::IdentityPallette());
}

TEST(MakeDemo, WritesTheSameBytesEveryTime) {
    TempDir Dir;
    ASSERT_EQ(RunTool({"make-demo", Dir.file("one")}), 0);
    ASSERT_EQ(RunTool({"make-demo", Dir.file("two")}), 0);
    QStringList Files;
    for (const QString& Folder : {SpriteFolderName, MapFolderName})
        for (const QString& Name : QDir(Dir.file("one/" + Folder)).entryList(QDir::Files))
            Files << Folder + "/" + Name;
    Files << "XMLParams.xml";
    EXPECT_EQ(Files.size(), 8 + 4 + 1);
    for (const QString& f : Files)
        EXPECT_EQ(ReadBytes(Dir.file("one/" + f)), ReadBytes(Dir.file("two/" + f)))
            << f.toStdString();
}

TEST(MakeDemo, RefusesAFolderInUseUnlessForced) {
    TempDir Dir;
    const QString Root = Dir.file("root");
    ASSERT_TRUE(QDir().mkpath(Root));
    WriteBytes(Root + "/notes.txt", Bytes({1, 2, 3}));
    QByteArray Err;
    EXPECT_EQ(RunTool({"make-demo", Root}, nullptr, &Err), 1);
    EXPECT_TRUE(Err.contains("not empty")) << Err.constData();
    EXPECT_TRUE(Err.contains("--force")) << Err.constData();
    EXPECT_FALSE(QFileInfo::exists(Root + "/Sprites"));

    // Forced, it writes the demo beside what is there and leaves that alone.
    EXPECT_EQ(RunTool({"make-demo", "--force", Root}), 0);
    EXPECT_TRUE(QFileInfo(Root + "/Sprites/A1.spr").isFile());
    EXPECT_EQ(ReadBytes(Root + "/notes.txt"), Bytes({1, 2, 3}));

    // A file is not a folder, whatever the flag.
    WriteBytes(Dir.file("plain"), Bytes({0}));
    EXPECT_EQ(RunTool({"make-demo", "--force", Dir.file("plain")}), 1);
}

TEST(MakeDemo, CreatesMissingParentsAndAcceptsAnEmptyFolder) {
    TempDir Dir;
    EXPECT_EQ(RunTool({"make-demo", Dir.file("a/b/c")}), 0);
    EXPECT_TRUE(QFileInfo(Dir.file("a/b/c/Maps/Level1.Map")).isFile());
    ASSERT_TRUE(QDir().mkpath(Dir.file("empty")));
    EXPECT_EQ(RunTool({"make-demo", Dir.file("empty")}), 0);
    // A relative DIR is taken against the current directory.
    EXPECT_EQ(RunTool({"make-demo", "rel"}, nullptr, nullptr, Dir.path()), 0);
    EXPECT_TRUE(QFileInfo(Dir.file("rel/XMLParams.xml")).isFile());
}

TEST(MakeDemo, ExplainsItselfAndRejectsWrongArguments) {
    QByteArray Out;
    EXPECT_EQ(RunTool({"make-demo", "--help"}, &Out), 0);
    EXPECT_TRUE(Out.contains("DIR")) << Out.constData();
    EXPECT_TRUE(Out.contains("--force")) << Out.constData();
    EXPECT_EQ(RunTool({"make-demo"}), 2);
    EXPECT_EQ(RunTool({"make-demo", "a", "b"}), 2);
    EXPECT_EQ(RunTool({"make-demo", "--fast", "a"}), 2);
}

TEST(MakeDemo, AnEmptyFolderNameIsAUsageErrorAndWritesNothing) {
    // Run as nobody where the test is root, so that a tool that took the empty name for the
    // file-system root could not write there.
    const QStringList InRoot = {"/Sprites", "/Maps", "/XMLParams.xml"};
    std::vector<bool> Existed;
    for (const QString& f : InRoot)
        Existed.push_back(QFileInfo::exists(f));
    TempDir Work(TempDir::OpenToEveryone);
    for (const QStringList& Args : {QStringList{"make-demo", ""}, {"make-demo", "--force", ""}}) {
        SCOPED_TRACE(Args.join(' ').toStdString());
        QByteArray Err;
        const int Status = RunToolAsNobody(Args, nullptr, &Err, Work.path());
        if (Status == NotDropped)
            GTEST_SKIP() << "the user nobody cannot run the built tool here";
        EXPECT_EQ(Status, 2) << Err.constData();
        EXPECT_TRUE(Err.contains("empty name")) << Err.constData();
        EXPECT_TRUE(
            QDir(Work.path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
        for (int i = 0; i < InRoot.size(); ++i)
            EXPECT_EQ(QFileInfo::exists(InRoot[i]), Existed[size_t(i)]) << InRoot[i].toStdString();
    }
    EXPECT_EQ(RunTool({"make-demo", "--force"}, nullptr, nullptr, Work.path()), 2);
    // The root itself is a folder in use like any other.
    QByteArray Err;
    EXPECT_EQ(RunToolAsNobody({"make-demo", "/"}, nullptr, &Err), 1);
    EXPECT_TRUE(Err.contains("not empty")) << Err.constData();
}
