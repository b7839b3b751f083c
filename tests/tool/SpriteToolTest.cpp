// SPDX-License-Identifier: MIT
// velkora-tool's sprite and library commands, run as a black box on files.

#include "shell/Version.h"
#include "sprites/CompDecompUnit.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

using namespace velkora;
using namespace velkora::test;

namespace {

TMyByteArray EditFile(size_t Words, Rng& R) {
    TMyByteArray b;
    for (size_t i = 0; i < Words; ++i)
        MyTypes::AppendBE16(b, uint16_t(R() & 0x7171));
    return b;
}

} // namespace

TEST(SpriteTool, EncodePackAndDecodeRoundTrip) {
    TempDir d;
    Rng R(1);
    const TMyByteArray Edit = EditFile(48, R);
    WriteBytes(d.file("in.bin"), Edit);

    QByteArray Out, Err;
    ASSERT_EQ(RunTool({"sprite", "encode", d.file("in.bin"), d.file("c.spr")}, &Out, &Err), 0)
        << Err.toStdString();
    TMyArray Words;
    for (size_t i = 0; i < Edit.size(); i += 2)
        Words.push_back(MyTypes::ReadBE16(&Edit[i]));
    EXPECT_EQ(ReadBytes(d.file("c.spr")), CompDecompUnit::Compress(Words));
    ASSERT_EQ(RunTool({"sprite", "decode", d.file("c.spr"), d.file("c.bin")}), 0);
    EXPECT_EQ(ReadBytes(d.file("c.bin")), Edit);

    // Uncompressed, with a word count that is not a multiple of 16: every word comes back.
    const TMyByteArray Odd = EditFile(37, R);
    WriteBytes(d.file("odd.bin"), Odd);
    ASSERT_EQ(RunTool({"sprite", "pack", d.file("odd.bin"), d.file("u.spr")}), 0);
    const TMyByteArray Packed = ReadBytes(d.file("u.spr"));
    ASSERT_EQ(Packed.size(), 4 + Odd.size() + 1);
    EXPECT_EQ(TMyByteArray(Packed.begin(), Packed.begin() + 4), Bytes({0, 1, 2, 0}));
    ASSERT_EQ(RunTool({"sprite", "decode", d.file("u.spr"), d.file("u.bin")}), 0);
    EXPECT_EQ(ReadBytes(d.file("u.bin")), Odd);
}

TEST(SpriteTool, LibraryListsInLibraryOrder) {
    TempDir d;
    ASSERT_TRUE(QDir().mkpath(d.file("Sprites")));
    for (const char* Name : {"a1.spr", "B1.spr", "A10.spr", "A2.spr", "A1.SPR", "note.txt"})
        WriteBytes(d.file(QString("Sprites/") + Name), Bytes({}));
    const QByteArray Want = "A1.SPR\nA2.spr\nA10.spr\nB1.spr\na1.spr\n";
    QByteArray Out;
    ASSERT_EQ(RunTool({"library", "list", "--root", d.path()}, &Out), 0);
    EXPECT_EQ(Out, Want);
    ASSERT_EQ(RunTool({"library", "list"}, &Out, nullptr, d.path()), 0);
    EXPECT_EQ(Out, Want);
    // A root without a Sprites folder is an empty library; a missing root is an error.
    ASSERT_EQ(RunTool({"library", "list", "--root", d.file("Sprites")}, &Out), 0);
    EXPECT_TRUE(Out.isEmpty());
    QByteArray Err;
    EXPECT_EQ(RunTool({"library", "list", "--root", d.file("nowhere")}, &Out, &Err), 1);
    EXPECT_TRUE(Err.contains("nowhere")) << Err.toStdString();
}

TEST(SpriteTool, HelpAndErrors) {
    QByteArray Out, Err;
    ASSERT_EQ(RunTool({"--help"}, &Out), 0);
    for (const char* Command : {"sprite decode IN.spr OUT.bin", "sprite encode IN.bin OUT.spr",
                                "sprite pack IN.bin OUT.spr", "sprite render IN.spr OUT.png",
                                "library list [--root DIR]"})
        EXPECT_TRUE(Out.contains(Command)) << Command;
    ASSERT_EQ(RunTool({"--version"}, &Out), 0);
    EXPECT_EQ(Out, QByteArray("velkora-tool " VELKORA_VERSION "\n"));
    ASSERT_EQ(RunTool({"sprite", "--help"}, &Out), 0);
    EXPECT_TRUE(Out.contains("sprite pack IN.bin OUT.spr"));
    ASSERT_EQ(RunTool({"library", "--help"}, &Out), 0);
    EXPECT_TRUE(Out.contains("library list"));

    TempDir d;
    const QString Missing = d.file("missing.spr");
    EXPECT_EQ(RunTool({"sprite", "decode", Missing, d.file("o.bin")}, &Out, &Err), 1);
    EXPECT_TRUE(Err.contains(
        QString("Cannot open file \"%1\". No such file or directory").arg(Missing).toUtf8()))
        << Err.toStdString();
    EXPECT_FALSE(QFile::exists(d.file("o.bin")));

    for (const QStringList& Wrong :
         {QStringList{"sprite"}, QStringList{"sprite", "decode", "only-one"},
          QStringList{"sprite", "squash", "a", "b"}, QStringList{"sprite", "encode", "a", "b", "c"},
          QStringList{"library"}, QStringList{"library", "list", "extra"},
          QStringList{"library", "list", "--root"}, QStringList{"library", "list", "--bogus"}}) {
        EXPECT_EQ(RunTool(Wrong, &Out, &Err), 2) << Wrong.join(' ').toStdString();
        EXPECT_TRUE(Err.contains("--help\" for more information")) << Wrong.join(' ').toStdString();
    }
}

TEST(SpriteTool, OutputThatCannotBeWrittenIsAFailure) {
    if (!QFile::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    TempDir d;
    ASSERT_TRUE(QDir().mkpath(d.file("Sprites")));
    WriteBytes(d.file("Sprites/A1.spr"), Bytes({}));
    WriteBytes(d.file("m.Map"), Bytes({0, 1, 0, 1, 0, 1, 7, 0xFF}));
    for (const QStringList& Args :
         {QStringList{"library", "list", "--root", d.path()}, QStringList{"map", "info", "m.Map"},
          QStringList{"map", "decode", "m.Map", "m.cells"}}) {
        QProcess p;
        p.setWorkingDirectory(d.path());
        p.setStandardOutputFile("/dev/full");
        p.start(QStringLiteral(VELKORA_TOOL), Args);
        ASSERT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p.exitCode(), 1) << Args.join(' ').toStdString();
        EXPECT_TRUE(p.readAllStandardError().startsWith(
            "velkora-tool: Cannot write to the standard output. No space left on device"))
            << Args.join(' ').toStdString();
    }
}
