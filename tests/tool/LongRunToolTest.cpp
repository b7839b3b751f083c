// SPDX-License-Identifier: MIT
// Long runs of velkora-tool: maps that declare far more cells than their data describes, the
// progress shown on a terminal, and Ctrl+C, after which no output file is left.

#include <gtest/gtest.h>

#include "maps/MapLoader.h"
#include "tests/support/DataRoot.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <csignal>

using namespace velkora;
using namespace velkora::test;

namespace {

class LongRunToolTest : public ::testing::Test {
protected:
    void SetUp() override {
        Root = std::make_unique<DataRoot>(Dir.path());
        Root->AddSprite("A1.spr", PatternWords(225, 1));
        Root->AddSprite("B1.spr", PatternWords(225, 2));
        Root->Palettes = {DistinctPalette(0)};
        Root->WriteParams();
    }

    // Starts the tool with Args in the data root, lets it run for a second, presses Ctrl+C and
    // returns its exit status; Err gets its stderr.
    int Interrupt(const QStringList& Args, QByteArray& Err) {
        QProcess p;
        p.setWorkingDirectory(Dir.path());
        p.start(VELKORA_TOOL, Args);
        if (!p.waitForStarted())
            return -1;
        QThread::msleep(1000);
        ::kill(pid_t(p.processId()), SIGINT);
        if (!p.waitForFinished(30000)) {
            p.kill();
            p.waitForFinished();
            return -1;
        }
        Err = p.readAllStandardError();
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }

    QStringList Files() const {
        return QDir(Dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    TempDir Dir;
    std::unique_ptr<DataRoot> Root;
};

} // namespace

TEST_F(LongRunToolTest, AMapDeclaringFarMoreCellsThanItsDataIsNamedAndCountedWithoutItsCells) {
    // Seven bytes: the header and the end marker of a 65535 x 65535 map.
    WriteBytes(Dir.file("Huge.Map"), {0, 1, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
    QByteArray Out, Err;
    // Under a limit of 256 MB of address space (where the sanitizers allow one): the 4.3 GB of
    // cells are never made.
    const QString Command =
        QStringLiteral("%1exec \"%2\" map info Huge.Map")
            .arg(MemoryLimitsWork ? QStringLiteral("ulimit -v 262144; ") : QString(),
                 QString::fromUtf8(VELKORA_TOOL));
    QProcess p;
    p.setWorkingDirectory(Dir.path());
    p.start("/bin/sh", {"-c", Command});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0);
    EXPECT_EQ(QString::fromUtf8(p.readAllStandardOutput()),
              QString("pack-type 1\nwidth 65535\nheight 65535\nvalue 0: 4294836224 cells\n"
                      "value 255: 1 cells\n"));
    EXPECT_EQ(QString::fromUtf8(p.readAllStandardError()),
              QString("velkora-tool: warning: Huge.Map declares 65535 x 65535 cells (4.3 GB) but "
                      "holds data for 0 of them. The other cells are 0.\n"));

    // Data for half the cells or more, or a map of at most 4096 x 4096: no word.
    const TMyByteArray Half(size_t(5000) * 2600, 3);
    const TMyByteArray File = MapLoader::EncodeMap(Half, 5000, 2600);
    TMyByteArray Declared = File;
    Declared[4] = 0x13; // 5000 x 5000, data for 5000 x 2600 of them
    Declared[5] = 0x88;
    WriteBytes(Dir.file("Half.Map"), Declared);
    WriteBytes(Dir.file("Empty4096.Map"), {0, 1, 0x10, 0x00, 0x10, 0x00, 0xFF, 0xFF});
    for (const char* Name : {"Half.Map", "Empty4096.Map"}) {
        EXPECT_EQ(RunTool({"map", "info", Name}, &Out, &Err, Dir.path()), 0);
        EXPECT_EQ(Err, QByteArray()) << Name;
    }
    // Less than half: named.
    Declared[4] = 0x14; // 5000 x 5201
    Declared[5] = 0x51;
    WriteBytes(Dir.file("Short.Map"), Declared);
    EXPECT_EQ(RunTool({"map", "decode", "Short.Map", "short.cells"}, &Out, &Err, Dir.path()), 0);
    EXPECT_TRUE(Err.contains("Short.Map declares 5000 x 5201 cells (26.0 MB) but holds data for "
                             "13000000 of them."))
        << Err.constData();
}

TEST_F(LongRunToolTest, CtrlCStopsRenderAndExportLeavingNoOutputFile) {
    // A 3000 x 3000 map draws a picture of 72,000 pixels a side, minutes of work; 20,000 x 20,000
    // cells make 1.6 GB of gids to compress for the TMX.
    Root->AddMap("Big.Map", 3000, 3000, TMyByteArray(size_t(3000) * 3000, 3));
    WriteBytes(Root->MapPath("Wide.Map"), {0, 1, 0x4E, 0x20, 0x4E, 0x20, 0xFF, 0xFF});
    const QStringList Before = Files();
    for (const QStringList& Args :
         {QStringList{"map", "render", "Maps/Big.Map", "big.png", "--root", ".", "--tex1", "0",
                      "--tex2", "1", "--fast"},
          QStringList{"map", "export-tmx", "Maps/Wide.Map", "wide.tmx", "--root", ".", "--tex1",
                      "0", "--tex2", "1"}}) {
        QByteArray Err;
        EXPECT_EQ(Interrupt(Args, Err), 130) << Args.join(' ').toStdString();
        EXPECT_TRUE(Err.endsWith("velkora-tool: interrupted; nothing was written.\n"))
            << Err.constData();
        EXPECT_EQ(Files(), Before) << "left behind: " << Files().join(' ').toStdString();
    }
}

TEST_F(LongRunToolTest, ATerminalShowsTheProgressOfALongRender) {
    if (!QFile::exists("/usr/bin/script"))
        GTEST_SKIP() << "script (util-linux) is needed for a terminal";
    Root->AddMap("M.Map", 1000, 1000, TMyByteArray(size_t(1000) * 1000, 3));
    QProcess p;
    p.setWorkingDirectory(Dir.path());
    const QString Command =
        QStringLiteral("\"%1\" map render Maps/M.Map m.png --root . --tex1 0 --tex2 1 --fast")
            .arg(QString::fromUtf8(VELKORA_TOOL));
    p.start("/usr/bin/script", {"-qec", Command, "/dev/null"});
    ASSERT_TRUE(p.waitForFinished(120000));
    EXPECT_EQ(p.exitCode(), 0);
    const QByteArray Shown = p.readAllStandardOutput();
    EXPECT_TRUE(Shown.contains("\rmap render: ") && Shown.contains("%")) << Shown.constData();
    EXPECT_TRUE(QFile::exists(Dir.file("m.png")));
}
