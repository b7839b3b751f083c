// SPDX-License-Identifier: MIT
// velkora-tool map: run the built tool on map and cell files.

#include "maps/MapLoader.h"
#include "tests/support/TestSupport.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace velkora;
using namespace velkora::test;

TEST(MapTool, DecodeAndEncodeRoundTrip) {
    TempDir Dir;
    Rng R(11);
    TMyByteArray Cells(37 * 23);
    for (size_t i = 0; i < Cells.size(); ++i)
        Cells[i] = uint8_t(i / 7 % 5 == 0 ? 0xFE : R() % 50);
    const QString Map = Dir.file("level.Map");
    MapLoader::SaveMap(Map, Cells, 37, 23);

    QByteArray Out, Err;
    ASSERT_EQ(RunTool({"map", "decode", Map, Dir.file("level.cells")}, &Out, &Err), 0)
        << Err.data();
    EXPECT_EQ(Out, "37 23\n");
    EXPECT_EQ(ReadBytes(Dir.file("level.cells")), Cells);

    ASSERT_EQ(RunTool({"map", "encode", Dir.file("level.cells"), "37", "23", Dir.file("again.Map")},
                      &Out, &Err),
              0)
        << Err.data();
    EXPECT_EQ(ReadBytes(Dir.file("again.Map")), ReadBytes(Map));

    // A transposed map comes out row by row.
    WriteBytes(Map, Bytes({0, 2, 0, 2, 0, 2, 1, 2, 3, 4, 0xFF, 0xFF}));
    ASSERT_EQ(RunTool({"map", "decode", Map, Dir.file("t.cells")}, &Out, &Err), 0) << Err.data();
    EXPECT_EQ(Out, "2 2\n");
    EXPECT_EQ(ReadBytes(Dir.file("t.cells")), Bytes({1, 3, 2, 4}));
}

TEST(MapTool, EncodeRefusesACellFileOfTheWrongSize) {
    TempDir Dir;
    WriteBytes(Dir.file("a.cells"), TMyByteArray(11, 3));
    QByteArray Out, Err;
    EXPECT_EQ(
        RunTool({"map", "encode", Dir.file("a.cells"), "3", "4", Dir.file("a.Map")}, &Out, &Err),
        1);
    EXPECT_TRUE(Err.contains("has 11 bytes, but a map of 3 x 4 needs exactly 12")) << Err.data();
    EXPECT_FALSE(QFile::exists(Dir.file("a.Map")));

    EXPECT_EQ(RunTool({"map", "encode", Dir.file("a.cells"), "5000", "5000", Dir.file("a.Map")},
                      &Out, &Err),
              1);
    // A map of 25 million cells is within the format's and the machine's means.
    EXPECT_TRUE(Err.contains("has 11 bytes, but a map of 5000 x 5000 needs exactly 25000000"))
        << Err.data();
    EXPECT_EQ(
        RunTool({"map", "encode", Dir.file("a.cells"), "x", "4", Dir.file("a.Map")}, &Out, &Err),
        2);
}

TEST(MapTool, InfoCountsTheValues) {
    TempDir Dir;
    const QString Map = Dir.file("m.Map");
    WriteBytes(Map, Bytes({0, 2, 0, 3, 0, 2, 0xFE, 4, 7, 0xFE, 2, 0xFE, 0xFF}));
    QByteArray Out, Err;
    ASSERT_EQ(RunTool({"map", "info", Map}, &Out, &Err), 0) << Err.data();
    EXPECT_EQ(Out, "pack-type 2\nwidth 3\nheight 2\nvalue 7: 4 cells\nvalue 254: 2 cells\n");
}

TEST(MapTool, HelpAndErrors) {
    QByteArray Out, Err;
    ASSERT_EQ(RunTool({"map", "--help"}, &Out, &Err), 0);
    for (const char* Command :
         {"map decode IN.Map OUT.cells", "map encode IN.cells W H OUT.Map", "map info IN.Map",
          "map render IN.Map OUT.png --root DIR --tex1 I --tex2 J "
          "[--pal1 P] [--pal2 Q]",
          "value V: N cells"})
        EXPECT_TRUE(Out.contains(Command)) << Command;

    TempDir Dir;
    EXPECT_EQ(RunTool({"map", "decode", Dir.file("none.Map"), Dir.file("x.cells")}, &Out, &Err), 1);
    EXPECT_TRUE(
        Err.contains(QString("Cannot open file \"%1\".").arg(Dir.file("none.Map")).toUtf8()))
        << Err.data();
    EXPECT_FALSE(QFile::exists(Dir.file("x.cells")));

    WriteBytes(Dir.file("short.Map"), Bytes({0, 1, 0}));
    EXPECT_EQ(RunTool({"map", "info", Dir.file("short.Map")}, &Out, &Err), 1);
    EXPECT_TRUE(Err.contains("too short")) << Err.data();

    EXPECT_EQ(RunTool({"map", "decode", Dir.file("none.Map")}, &Out, &Err), 2);
    EXPECT_EQ(RunTool({"map", "frobnicate"}, &Out, &Err), 2);
    EXPECT_EQ(RunTool({"map"}, &Out, &Err), 2);
}

TEST(MapTool, ResizeMovesTheOldCellsByTheOffsetAndFillsTheRest) {
    TempDir Dir;
    // 3 x 2: 1 2 3 / 4 5 6
    const QString Map = Dir.file("m.Map");
    MapLoader::SaveMap(Map, Bytes({1, 2, 3, 4, 5, 6}), 3, 2);
    QByteArray Out, Err;
    ASSERT_EQ(RunTool({"map", "resize", Map, Dir.file("big.Map"), "5", "3", "--offset", "1", "1",
                       "--fill", "9"},
                      &Out, &Err),
              0)
        << Err.data();
    EXPECT_EQ(Out, "5 3\n");
    int32_t w = 0, h = 0;
    EXPECT_EQ(MapLoader::LoadMap(Dir.file("big.Map"), w, h),
              Bytes({9, 9, 9, 9, 9, 9, 1, 2, 3, 9, 9, 4, 5, 6, 9}));
    EXPECT_EQ(w, 5);
    EXPECT_EQ(h, 3);

    // A negative offset cuts the left column and the top row; no --fill is 0.
    ASSERT_EQ(RunTool({"map", "resize", Map, Dir.file("cut.Map"), "3", "2", "--offset", "-1", "-1"},
                      &Out, &Err),
              0)
        << Err.data();
    EXPECT_EQ(MapLoader::LoadMap(Dir.file("cut.Map"), w, h), Bytes({5, 6, 0, 0, 0, 0}));

    // Sizes outside 1 to 65535 and a lone offset value are usage errors; nothing is written.
    for (const QStringList& Size :
         {QStringList{"0", "3"}, QStringList{"3", "65536"}, QStringList{"3", "3", "--offset", "1"},
          QStringList{"3", "3", "--fill", "256"}}) {
        EXPECT_EQ(
            RunTool(QStringList{"map", "resize", Map, Dir.file("bad.Map")} + Size, &Out, &Err), 2)
            << Size.join(' ').toStdString();
        EXPECT_FALSE(QFile::exists(Dir.file("bad.Map")));
    }
}
