// SPDX-License-Identifier: MIT
// velkora-tool map export-tmx / import-tmx: the round trip of every cell, the general-purpose
// editor's own rasterizer against "map render", and refusals that write nothing.

#include "maps/MapLoader.h"
#include "tests/support/DataRoot.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <cstring>

using namespace velkora;
using namespace velkora::test;

namespace {

QString Text(const QString& FileName) {
    const TMyByteArray b = ReadBytes(FileName);
    return QString::fromUtf8(reinterpret_cast<const char*>(b.data()), qsizetype(b.size()));
}

// Cells with every value 0 to 255 first, then random ones.
TMyByteArray EveryValue(int w, int h, unsigned Seed) {
    Rng R(Seed);
    TMyByteArray Cells(size_t(w) * size_t(h));
    for (size_t i = 0; i < Cells.size(); ++i)
        Cells[i] = uint8_t(i < 256 ? 255 - i : R() % 256);
    return Cells;
}

// Runs Program with Args on the offscreen platform; its exit status, or -1 when it crashed or
// hung. Its standard error goes to Err.
int RunProgram(const QString& Program, const QStringList& Args, QByteArray* Err = nullptr) {
    QProcess p;
    QProcessEnvironment Env = QProcessEnvironment::systemEnvironment();
    Env.insert("QT_QPA_PLATFORM", "offscreen");
    // The map editor runs one instance per temporary folder: each run gets its own.
    static TempDir Scratch;
    Env.insert("TMPDIR", Scratch.path());
    p.setProcessEnvironment(Env);
    p.start(Program, Args);
    if (!p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished();
        return -1;
    }
    if (Err)
        *Err = p.readAllStandardError();
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

// Both pictures decoded to 8-bit RGB must be the same, pixel for pixel.
void ExpectSamePixels(const QString& A, const QString& B) {
    const QImage a = QImage(A).convertToFormat(QImage::Format_RGB888);
    const QImage b = QImage(B).convertToFormat(QImage::Format_RGB888);
    ASSERT_FALSE(a.isNull()) << A.toStdString();
    ASSERT_FALSE(b.isNull()) << B.toStdString();
    ASSERT_EQ(a.size(), b.size());
    for (int y = 0; y < a.height(); ++y) {
        if (std::memcmp(a.constScanLine(y), b.constScanLine(y), size_t(a.width()) * 3) == 0)
            continue;
        for (int x = 0; x < a.width(); ++x)
            ASSERT_EQ(a.pixel(x, y), b.pixel(x, y))
                << "pixel " << x << ", " << y << " (cell " << x / 24 << ", " << y / 24 << ")";
    }
}

class TmxTool : public ::testing::Test {
protected:
    void SetUp() override {
        Root = std::make_unique<DataRoot>(Dir.path());
        Root->AddSprite("A1.spr", PatternWords(225, 1));
        Root->AddSprite("A2.spr", PatternWords(230, 4), false);
        Root->AddSprite("B1.spr", PatternWords(18, 7));
        Root->Palettes = {DistinctPalette(0), DistinctPalette(1)};
        Root->WriteParams();
    }

    int Export(const QString& Map, const QString& Out, QByteArray* Err = nullptr) {
        return RunTool({"map", "export-tmx", Map, Out, "--root", Dir.path(), "--tex1", "1",
                        "--tex2", "2", "--pal2", "1"},
                       nullptr, Err);
    }

    TempDir Dir;
    std::unique_ptr<DataRoot> Root;
};

} // namespace

TEST_F(TmxTool, ExportThenImportGivesBackEveryCell) {
    const struct {
        int w, h;
        bool Transposed;
    } Sizes[] = {{17, 15, false}, {1, 300, false}, {300, 1, false}, {23, 13, true}};
    for (const auto& s : Sizes) {
        SCOPED_TRACE(testing::Message() << s.w << " x " << s.h << (s.Transposed ? " (2)" : ""));
        const TMyByteArray Cells = EveryValue(s.w, s.h, unsigned(s.w * 31 + s.h));
        const QString Map = Root->MapPath("In.Map");
        if (s.Transposed) {
            // Pack type 2 stores the cells column by column, each column top to bottom.
            TMyByteArray Stored(Cells.size());
            for (int c = 0; c < s.w; ++c)
                for (int r = 0; r < s.h; ++r)
                    Stored[size_t(c * s.h + r)] = Cells[size_t(r * s.w + c)];
            TMyByteArray File = MapLoader::EncodeMap(Stored, s.w, s.h);
            File[1] = 2;
            WriteBytes(Map, File);
        } else {
            Root->AddMap("In.Map", s.w, s.h, Cells);
        }

        const QString Tmx = Dir.file("out/level one.tmx");
        QDir().mkpath(Dir.file("out"));
        QByteArray Out, Err;
        ASSERT_EQ(Export(Map, Tmx, &Err), 0) << Err.data();
        const QImage Tiles(Dir.file("out/level one-tiles.png"));
        EXPECT_EQ(Tiles.size(), QSize(120, 1248));
        const QString Xml = Text(Tmx);
        for (const char* Expected :
             {"<image source=\"level one-tiles.png\" width=\"120\" height=\"1248\"/>",
              "<property name=\"tex1\" type=\"int\" value=\"1\"/>",
              "<property name=\"tex1-name\" value=\"A2.spr\"/>",
              "<property name=\"tex2-name\" value=\"B1.spr\"/>",
              "<property name=\"pal1\" type=\"int\" value=\"0\"/>",
              "<property name=\"pal2\" type=\"int\" value=\"1\"/>",
              "<tileset firstgid=\"1\" name=\"A2.spr : B1.spr\""})
            EXPECT_TRUE(Xml.contains(Expected)) << Expected;

        ASSERT_EQ(RunTool({"map", "import-tmx", Tmx, Dir.file("back.Map")}, &Out, &Err), 0)
            << Err.data();
        EXPECT_EQ(Out, QString("%1 %2\n").arg(s.w).arg(s.h).toUtf8());
        // Written as the editor saves: pack type 1, row by row.
        EXPECT_EQ(ReadBytes(Dir.file("back.Map")), MapLoader::EncodeMap(Cells, s.w, s.h));
    }

    // Through a link the map and its picture go to the folder of the file linked to.
    QDir().mkpath(Dir.file("real"));
    WriteBytes(Dir.file("real/level.tmx"), Bytes({'x'}));
    ASSERT_TRUE(QFile::link(Dir.file("real/level.tmx"), Dir.file("link.tmx")));
    ASSERT_EQ(Export(Root->MapPath("In.Map"), Dir.file("link.tmx")), 0);
    EXPECT_TRUE(QFileInfo(Dir.file("link.tmx")).isSymLink());
    EXPECT_TRUE(QFile::exists(Dir.file("real/level-tiles.png")));
    EXPECT_FALSE(QFile::exists(Dir.file("link-tiles.png")));
    EXPECT_TRUE(Text(Dir.file("real/level.tmx")).contains("<image source=\"level-tiles.png\""));
}

TEST_F(TmxTool, RefusalsWriteNothing) {
    const QString Out = Dir.file("out.Map");
    WriteBytes(Out, Bytes({0, 1, 0, 1, 0, 1, 9, 0xFF}));
    const TMyByteArray Before = ReadBytes(Out);
    // A 2 x 2 map with an external tileset around Body.
    auto Tmx = [&](const QString& Name, const QString& Body, int Side = 2) {
        const QString Path = Dir.file(Name);
        const QByteArray x =
            QString("<?xml version=\"1.0\"?>\n<map orientation=\"orthogonal\" "
                    "width=\"%2\" height=\"%2\" tilewidth=\"8\" tileheight=\"8\">\n"
                    " <tileset firstgid=\"1\" source=\"t.tsx\"/>\n%1\n</map>\n")
                .arg(Body)
                .arg(Side)
                .toUtf8();
        WriteBytes(Path, TMyByteArray(x.begin(), x.end()));
        return Path;
    };
    auto Layer = [](const QString& DataXml) {
        return "<layer id=\"1\" name=\"L\" width=\"2\" height=\"2\">" + DataXml + "</layer>";
    };
    const struct {
        QString File;
        const char* Message;
    } Cases[] = {
        {Tmx("empty.tmx", Layer("<data encoding=\"csv\">1,2,0,4</data>")),
         "cell (0, 1) is empty (gid 0)"},
        {Tmx("flip.tmx", Layer("<data encoding=\"csv\">1,2,3,2147483652</data>")),
         "cell (1, 1) is flipped or rotated"},
        {Tmx("zstd.tmx",
             Layer("<data encoding=\"base64\" compression=\"zstd\">KLUv/QBYIQAA</data>")),
         "compressed with zstd, which is not supported"},
        {Tmx("two.tmx", " <tileset firstgid=\"300\" source=\"u.tsx\"/>" +
                            Layer("<data encoding=\"csv\">1,2,3,4</data>")),
         "<tileset> (line 4) is a second tileset"},
        {Tmx("chunks.tmx", Layer("<data encoding=\"csv\"><chunk x=\"0\" y=\"0\" width=\"2\" "
                                 "height=\"2\">1,2,3,4</chunk></data>")),
         "the layer data lies in chunks"},
        {Tmx("nolayer.tmx", "<imagelayer id=\"1\" name=\"L\"/>"), "the map has no tile layer"},
        // A few hundred bytes that declare the largest map, and one element of 300,000
        // attributes: refused at once, not after gigabytes or minutes.
        {Tmx("huge.tmx",
             "<layer id=\"1\" name=\"L\" width=\"65535\" height=\"65535\"><data "
             "encoding=\"csv\">1</data></layer>",
             65535),
         "holds 1 cells, but the map has 65535 x 65535 = 4294836225"},
        {Tmx("crowded.tmx", "<layer id=\"1\"" + QString(" a=\"\"").repeated(300000) + "/>"),
         "the element <layer> has more than 64 attributes, more than any real file needs (line 4)"},
        {Dir.file("none.tmx"), "Cannot open file"},
    };
    for (const auto& c : Cases) {
        QByteArray Err;
        EXPECT_EQ(RunTool({"map", "import-tmx", c.File, Out}, nullptr, &Err), 1) << c.Message;
        EXPECT_TRUE(Err.contains(c.Message)) << "expected " << c.Message << "\ngot " << Err.data();
        EXPECT_TRUE(Err.contains(c.File.toUtf8())) << Err.data();
        EXPECT_EQ(ReadBytes(Out), Before) << c.Message;
    }
    // Wrong arguments: exit status 2.
    EXPECT_EQ(RunTool({"map", "import-tmx", Cases[0].File}), 2);
    EXPECT_EQ(RunTool({"map", "import-tmx", Cases[0].File, Out, "--root", Dir.path()}), 2);
    EXPECT_EQ(ReadBytes(Out), Before);

    // Export: wrong arguments, a missing map or folder write neither the map nor its picture.
    Root->AddMap("M.Map", 3, 2, {0, 1, 2, 3, 4, 5});
    const QString Map = Root->MapPath("M.Map");
    const QString Tmx1 = Dir.file("x.tmx");
    const QString R = Dir.path();
    EXPECT_EQ(RunTool({"map", "export-tmx", Map, Tmx1, "--root", R, "--tex1", "3", "--tex2", "0"}),
              2);
    EXPECT_EQ(RunTool({"map", "export-tmx", Map, Tmx1, "--tex1", "0", "--tex2", "0"}), 2);
    EXPECT_EQ(RunTool({"map", "export-tmx", Map, Tmx1, "--root", R, "--tex1", "0", "--tex2", "0",
                       "--pal1", "2"}),
              2);
    EXPECT_EQ(RunTool({"map", "export-tmx", Root->MapPath("None.Map"), Tmx1, "--root", R, "--tex1",
                       "0", "--tex2", "0"}),
              1);
    EXPECT_FALSE(QFile::exists(Tmx1));
    EXPECT_FALSE(QFile::exists(Dir.file("x-tiles.png")));
    QByteArray Err;
    EXPECT_EQ(RunTool({"map", "export-tmx", Map, Dir.file("no/such/x.tmx"), "--root", R, "--tex1",
                       "0", "--tex2", "0"},
                      nullptr, &Err),
              1);
    EXPECT_TRUE(Err.contains("Cannot create file")) << Err.data();
    QDir().mkpath(Dir.file("dir.tmx"));
    EXPECT_EQ(RunTool({"map", "export-tmx", Map, Dir.file("dir.tmx"), "--root", R, "--tex1", "0",
                       "--tex2", "0"},
                      nullptr, &Err),
              1);
    EXPECT_TRUE(Err.contains("Is a directory")) << Err.data();
    EXPECT_FALSE(QFile::exists(Dir.file("dir-tiles.png")));

    QByteArray Help;
    ASSERT_EQ(RunTool({"map", "--help"}, &Help), 0);
    EXPECT_TRUE(Help.contains("map export-tmx IN.Map OUT.tmx --root DIR --tex1 I --tex2 J "
                              "[--pal1 P] [--pal2 Q] [--tileset FILE.tsx]"));
    EXPECT_TRUE(Help.contains("map import-tmx IN.tmx|IN.tmj OUT.Map"));
}

TEST_F(TmxTool, AnExternalTilesetIsWrittenOnceAndThenKeptByteForByte) {
    Root->AddMap("In.Map", 20, 16, EveryValue(20, 16, 3));
    const QString Map = Root->MapPath("In.Map");
    QDir().mkpath(Dir.file("sets"));
    const QString Tsx = Dir.file("sets/terrain.tsx");
    const QString Png = Dir.file("sets/terrain.png");
    const QString Tmx = Dir.file("level.tmx");
    auto Export = [&](const QString& Out, const QString& Pal, QByteArray* Err) {
        return RunTool({"map", "export-tmx", Map, Out, "--root", Dir.path(), "--tex1", "1",
                        "--tex2", "2", "--pal1", Pal, "--tileset", Tsx},
                       nullptr, Err);
    };
    QByteArray Err;
    ASSERT_EQ(Export(Tmx, "0", &Err), 0) << Err.data();
    EXPECT_TRUE(Text(Tmx).contains("<tileset firstgid=\"1\" source=\"sets/terrain.tsx\"/>"));
    EXPECT_TRUE(Text(Tsx).contains("tilewidth=\"24\" tileheight=\"24\" tilecount=\"256\" "
                                   "columns=\"5\">\n <image source=\"terrain.png\" width=\"120\" "
                                   "height=\"1248\"/>"))
        << Text(Tsx).toStdString();
    EXPECT_EQ(QImage(Png).size(), QSize(120, 1248));

    // What the map editor adds to a tileset (terrain sets, tile properties, animations) stays:
    // the file is not written again, only the picture it names is drawn anew.
    const QByteArray Kit =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tileset version=\"1.8\" "
        "tiledversion=\"1.8.2\" name=\"terrain\" tilewidth=\"24\" tileheight=\"24\" "
        "tilecount=\"256\" columns=\"5\">\n <image source=\"terrain.png\" width=\"120\" "
        "height=\"1248\"/>\n <tile id=\"3\">\n  <properties>\n   <property name=\"solid\" "
        "type=\"bool\" value=\"true\"/>\n  </properties>\n  <animation>\n   <frame tileid=\"3\" "
        "duration=\"100\"/>\n   <frame tileid=\"4\" duration=\"100\"/>\n  </animation>\n </tile>\n "
        "<wangsets>\n  <wangset name=\"ground\" type=\"corner\" tile=\"-1\">\n   <wangcolor "
        "name=\"grass\" color=\"#ff0000\" tile=\"-1\" probability=\"1\"/>\n   <wangtile "
        "tileid=\"0\" "
        "wangid=\"0,1,0,1,0,1,0,1\"/>\n  </wangset>\n </wangsets>\n</tileset>\n";
    WriteBytes(Tsx, TMyByteArray(Kit.begin(), Kit.end()));
    const QImage Before(Png);
    ASSERT_EQ(Export(Tmx, "1", &Err), 0) << Err.data();
    EXPECT_EQ(ReadBytes(Tsx), TMyByteArray(Kit.begin(), Kit.end()));
    EXPECT_NE(QImage(Png), Before); // in the other palette
    QByteArray Out;
    ASSERT_EQ(RunTool({"map", "import-tmx", Tmx, Dir.file("back.Map")}, &Out, &Err), 0)
        << Err.data();
    EXPECT_TRUE(Err.isEmpty()) << Err.data();
    EXPECT_EQ(ReadBytes(Dir.file("back.Map")), ReadBytes(Map));

    // A tileset cut otherwise is refused before anything is written.
    const QByteArray Wide = QByteArray(Kit).replace("tilewidth=\"24\" tileheight=\"24\"",
                                                    "tilewidth=\"32\" tileheight=\"32\"");
    WriteBytes(Tsx, TMyByteArray(Wide.begin(), Wide.end()));
    const TMyByteArray Picture = ReadBytes(Png);
    EXPECT_EQ(Export(Dir.file("other.tmx"), "0", &Err), 1);
    EXPECT_TRUE(Err.contains("Tileset file \"" + Tsx.toUtf8() +
                             "\": the tileset is not cut as map cells are: its tiles are 32 x 32 "
                             "pixels, not 24 x 24"))
        << Err.data();
    EXPECT_FALSE(QFile::exists(Dir.file("other.tmx")));
    EXPECT_EQ(ReadBytes(Png), Picture);
}

TEST_F(TmxTool, WhatTheImportLeavesAsideIsNamedOnStderr) {
    // A map as the map editor saves it: a hidden first layer, the ground, an object layer and an
    // external tileset that is not there. The hidden layer is not what is imported.
    const QString Tmx = Dir.file("level.tmx");
    const QByteArray Xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<map version=\"1.8\" "
        "tiledversion=\"1.8.2\" orientation=\"orthogonal\" renderorder=\"right-down\" "
        "width=\"2\" height=\"2\" tilewidth=\"24\" tileheight=\"24\" infinite=\"0\" "
        "nextlayerid=\"4\" nextobjectid=\"2\">\n <tileset firstgid=\"1\" source=\"gone.tsx\"/>\n "
        "<layer id=\"1\" name=\"draft\" width=\"2\" height=\"2\" visible=\"0\">\n  <data "
        "encoding=\"csv\">\n9,9,\n9,9\n</data>\n </layer>\n <layer id=\"2\" name=\"ground\" "
        "width=\"2\" height=\"2\">\n  <data encoding=\"csv\">\n1,2,\n3,4\n</data>\n </layer>\n "
        "<objectgroup id=\"3\" name=\"spawns\">\n  <object id=\"1\" x=\"3\" y=\"4\"/>\n "
        "</objectgroup>\n</map>\n";
    WriteBytes(Tmx, TMyByteArray(Xml.begin(), Xml.end()));
    QByteArray Out, Err;
    ASSERT_EQ(RunTool({"map", "import-tmx", Tmx, Dir.file("out.Map")}, &Out, &Err), 0)
        << Err.data();
    EXPECT_EQ(Out, "2 2\n");
    EXPECT_EQ(ReadBytes(Dir.file("out.Map")), MapLoader::EncodeMap({0, 1, 2, 3}, 2, 2));
    const QString Prefix = "velkora-tool: TMX file \"" + Tmx + "\": ";
    EXPECT_EQ(QString::fromUtf8(Err),
              Prefix + "the object layer \"spawns\" is not read; only tile layers hold cells\n" +
                  Prefix + "the hidden tile layer \"draft\" is not read\n" + Prefix +
                  "the tileset file \"gone.tsx\" was not found, so its geometry was not checked\n");
}

// The demo root's maps and one with every value, exported and drawn by the general-purpose
// editor's rasterizer, must be exactly what "map render" draws; the editor's own save of an
// exported map, in its CSV layer format too, imports to the same cells.
TEST(TmxRasterizer, DrawsTheExportedMapsExactlyAsMapRender) {
    const QString Rasterizer = QStandardPaths::findExecutable("tmxrasterizer");
    if (Rasterizer.isEmpty())
        GTEST_SKIP() << "tmxrasterizer is not installed (Debian package tiled): the exported "
                        "maps were not compared with the general-purpose editor's drawing";
    TempDir Dir;
    const QString Demo = Dir.file("demo");
    QByteArray Err;
    ASSERT_EQ(RunTool({"make-demo", Demo}, nullptr, &Err), 0) << Err.data();
    DataRoot Root(Demo);
    Root.AddMap("Every.Map", 20, 16, EveryValue(20, 16, 5));

    const struct {
        const char* Map;
        QStringList Textures;
    } Cases[] = {
        {"Level1.Map", {"--tex1", "0", "--tex2", "1"}},
        {"Level3.Map", {"--tex1", "0", "--tex2", "2", "--pal1", "1", "--pal2", "2"}},
        {"Every.Map", {"--tex1", "3", "--tex2", "0", "--pal1", "2"}},
        // With a tileset of its own beside it, and one the user keeps, cut in ten columns and
        // with a terrain set: its picture is drawn in its geometry, and every gid keeps its
        // meaning.
        {"Level3.Map", {"--tex1", "0", "--tex2", "2", "--tileset", Dir.file("new.tsx")}},
        {"Every.Map", {"--tex1", "3", "--tex2", "0", "--tileset", Dir.file("kept.tsx")}},
    };
    const QByteArray Kept =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tileset version=\"1.8\" name=\"kept\" "
        "tilewidth=\"24\" tileheight=\"24\" tilecount=\"260\" columns=\"10\">\n <image "
        "source=\"art/kept.png\" width=\"240\" height=\"624\"/>\n <wangsets>\n  <wangset "
        "name=\"ground\" type=\"corner\" tile=\"-1\">\n   <wangcolor name=\"grass\" "
        "color=\"#ff0000\" tile=\"-1\" probability=\"1\"/>\n   <wangtile tileid=\"0\" "
        "wangid=\"0,1,0,1,0,1,0,1\"/>\n  </wangset>\n </wangsets>\n</tileset>\n";
    WriteBytes(Dir.file("kept.tsx"), TMyByteArray(Kept.begin(), Kept.end()));
    QDir().mkpath(Dir.file("art"));
    for (const auto& c : Cases) {
        SCOPED_TRACE(c.Map + c.Textures.join(' ').toStdString());
        const QString Map = Root.MapPath(c.Map);
        const QString Tmx = Dir.file(QString(c.Map) + ".tmx");
        QStringList Options = QStringList{"--root", Demo} + c.Textures;
        ASSERT_EQ(RunTool(QStringList{"map", "export-tmx", Map, Tmx} + Options, nullptr, &Err), 0)
            << Err.data();
        Options = Options.mid(0, Options.indexOf("--tileset") < 0 ? Options.size()
                                                                  : Options.indexOf("--tileset"));
        ASSERT_EQ(RunTool(QStringList{"map", "render", Map, Dir.file("render.png")} + Options,
                          nullptr, &Err),
                  0)
            << Err.data();
        // At scale 1 (the default) and without smoothing; antialiasing is off by default.
        ASSERT_EQ(RunProgram(Rasterizer, {"--no-smoothing", Tmx, Dir.file("raster.png")}, &Err), 0)
            << Err.data();
        ExpectSamePixels(Dir.file("raster.png"), Dir.file("render.png"));
    }
    EXPECT_EQ(ReadBytes(Dir.file("kept.tsx")), TMyByteArray(Kept.begin(), Kept.end()));
    EXPECT_EQ(QImage(Dir.file("art/kept.png")).size(), QSize(240, 624));

    const QString Editor = QStandardPaths::findExecutable("tiled");
    if (Editor.isEmpty())
        return;
    const QString Exported = Dir.file("Every.Map.tmx");
    QString Csv = Text(Exported);
    TMyByteArray Cells = EveryValue(20, 16, 5);
    QStringList Gids;
    for (uint8_t v : Cells)
        Gids << QString::number(v + 1);
    Csv.replace(QRegularExpression("<data encoding=\"base64\" compression=\"zlib\">[^<]*</data>"),
                "<data encoding=\"csv\">" + Gids.join(",") + "</data>");
    const QByteArray CsvBytes = Csv.toUtf8();
    WriteBytes(Dir.file("csv.tmx"), TMyByteArray(CsvBytes.begin(), CsvBytes.end()));
    // Saved by the map editor as TMX and as JSON, with the tileset inside or beside it.
    for (const QString& In : {Exported, Dir.file("csv.tmx")})
        for (const char* Format : {"tmx", "json"}) {
            const QString Saved = Dir.file(QString("saved.") + Format);
            ASSERT_EQ(RunProgram(Editor, {"--export-map", Format, In, Saved}, &Err), 0)
                << Err.data();
            ASSERT_EQ(RunTool({"map", "import-tmx", Saved, Dir.file("back.Map")}, nullptr, &Err), 0)
                << Err.data();
            EXPECT_EQ(ReadBytes(Dir.file("back.Map")), MapLoader::EncodeMap(Cells, 20, 16))
                << In.toStdString() << " as " << Format;
        }
}
