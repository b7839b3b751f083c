// SPDX-License-Identifier: MIT
// What velkora-tool does with inputs that are not what a command reads: files of other formats,
// palettes a parameters file does not hold, words the compressed form cannot hold, paths with ".."
// after a link, and names that are not valid UTF-8. Run as a black box.

#include "maps/MapLoader.h"
#include "sprites/CompDecompUnit.h"
#include "sprites/SpriteEditor.h"
#include "tests/support/DataRoot.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace velkora;
using namespace velkora::test;

namespace {

class ToolInputs : public ::testing::Test {
protected:
    void SetUp() override {
        Real = QDir(Dir.path()).canonicalPath();
        Root = std::make_unique<DataRoot>(Real + "/root");
        Root->Palettes = {DistinctPalette(0), DistinctPalette(1), DistinctPalette(2)};
        Root->WriteParams();
        Root->AddSprite("A1.spr", PatternWords(30, 1));
        Root->AddMap("L1.Map", 3, 2, Bytes({0, 1, 2, 3, 4, 5}));
    }
    int Run(const QStringList& Args, QByteArray* Out = nullptr) {
        Err.clear();
        return RunTool(Args, Out, &Err, Real);
    }
    // Runs a refused command: exit status Status, the message on stderr, nothing written.
    void ExpectRefused(const QStringList& Args, int Status, const QString& Message) {
        const QStringList Before = QDir(Real).entryList(QDir::AllEntries | QDir::Hidden);
        EXPECT_EQ(Run(Args), Status) << Args.join(' ').toStdString();
        EXPECT_TRUE(Err.contains(Message.toUtf8()))
            << Args.join(' ').toStdString() << ": " << Err.toStdString();
        EXPECT_EQ(QDir(Real).entryList(QDir::AllEntries | QDir::Hidden), Before);
    }

    TempDir Dir;
    QString Real;
    std::unique_ptr<DataRoot> Root;
    QByteArray Err;
};

} // namespace

TEST_F(ToolInputs, AFileOfAnotherFormatIsRefusedWithAHint) {
    const struct {
        const char* Name;
        QByteArray Content;
        const char* AsSprite;
        const char* AsMap;
    } Others[] = {
        {"pic.png", QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16),
         "is a PNG picture; use sprite import-png", "is a PNG picture, not a map file"},
        {"level.tmx", "\xEF\xBB\xBF<?xml version=\"1.0\"?>\n<map width=\"30829\"/>",
         "is an XML file, not a sprite file", "is an XML file, not a map file; use map import-tmx"},
        {"bare.tmx", "  <map version=\"1.10\" width=\"65535\" height=\"65535\">",
         "is an XML file, not a sprite file", "is an XML file, not a map file; use map import-tmx"},
        {"level.tmj", "{\n  \"height\":65535, \"width\":65535}",
         "is a JSON file, not a sprite file",
         "is a JSON file, not a map file; save a JSON map as TMX and use map import-tmx"},
    };
    for (const auto& o : Others) {
        SCOPED_TRACE(o.Name);
        const QString In = Real + "/" + o.Name;
        WriteBytes(In, TMyByteArray(o.Content.begin(), o.Content.end()));
        const QString Sprite = QString("\"%1\" %2").arg(In, o.AsSprite);
        const QString Map = QString("\"%1\" %2").arg(In, o.AsMap);
        ExpectRefused({"sprite", "decode", o.Name, "out.bin"}, 1, Sprite);
        ExpectRefused({"map", "decode", o.Name, "out.cells"}, 1, Map);
        ExpectRefused({"map", "info", o.Name}, 1, Map);
        ExpectRefused(
            {"map", "render", o.Name, "out.png", "--root", "root", "--tex1", "0", "--tex2", "0"}, 1,
            Map);
        ExpectRefused({"map", "export-tmx", o.Name, "out.tmx", "--root", "root", "--tex1", "0",
                       "--tex2", "0"},
                      1, Map);
        QFile::remove(In);
    }
    // A brace that does not open an object of names, and the real files, are read as ever.
    WriteBytes(Real + "/brace.Map", Bytes({'{', 0, 0, 1, 0, 1, 7, 0xFF}));
    QByteArray Out;
    EXPECT_EQ(Run({"map", "info", "brace.Map"}, &Out), 0) << Err.toStdString();
    EXPECT_EQ(Run({"map", "info", Root->MapPath("L1.Map")}, &Out), 0) << Err.toStdString();
    EXPECT_EQ(Run({"sprite", "decode", Root->SpritePath("A1.spr"), "a1.bin"}), 0);
    EXPECT_EQ(ReadBytes(Real + "/a1.bin"), SpriteEditor::EditFileImage(PatternWords(30, 1)));
}

TEST_F(ToolInputs, APaletteTheParametersFileDoesNotHoldIsAUsageError) {
    const QString Params = Root->Root() + "/XMLParams.xml";
    const QString Holds =
        QString("--palette 3: the parameters file \"%1\" holds 3 palettes (0 to 2)").arg(Params);
    const QString Spr = Root->SpritePath("A1.spr");
    ExpectRefused({"sprite", "render", Spr, "o.png", "--params", Params, "--palette", "3"}, 2,
                  Holds);
    ExpectRefused({"sprite", "export-png", Spr, "o.png", "--params", Params, "--palette", "3"}, 2,
                  Holds);
    ASSERT_EQ(Run({"sprite", "export-png", Spr, "ok.png", "--params", Params, "--palette", "2"}),
              0);
    ExpectRefused({"sprite", "import-png", "ok.png", "o.spr", "--params", Params, "--palette", "7"},
                  2,
                  QString("--palette 7: the parameters file \"%1\" holds 3 palettes").arg(Params));
    // XMLParams.xml of the current directory counts as much as a named one.
    EXPECT_EQ(RunTool({"sprite", "export-png", Spr, "o.png", "--palette", "3"}, nullptr, &Err,
                      Root->Root()),
              2);
    EXPECT_TRUE(Err.contains("holds 3 palettes")) << Err.toStdString();
    EXPECT_FALSE(QFile::exists(Root->Root() + "/o.png"));

    // Without a parameters file the grey ramp is used, and the tool says so.
    ASSERT_EQ(Run({"sprite", "export-png", Spr, "grey.png", "--palette", "3"}), 0);
    EXPECT_TRUE(Err.contains(QString("there is no parameters file \"%1/XMLParams.xml\": palette 3 "
                                     "is taken as a grey ramp")
                                 .arg(Real)
                                 .toUtf8()))
        << Err.toStdString();
    for (const PngChunk& c : ParsePngChunks(ReadBytes(Real + "/grey.png"))) {
        if (c.Type == "PLTE") {
            EXPECT_EQ(c.Data[3 * 5], 5 * 17);
        }
    }
    // A named file that is not there is an error, not the grey ramp.
    ExpectRefused({"sprite", "export-png", Spr, "o.png", "--params", "none.xml"}, 1,
                  "Cannot open file");
}

TEST_F(ToolInputs, WordsThatAreNotAWholeTileAreRefusedUnlessDropped) {
    // The compressed form's largest sprite less one word: 16,383 tiles and 15 words.
    const TMyArray Words = PatternWords(16384, 7);
    const TMyArray Partial(Words.begin(), Words.end() - 1);
    WriteBytes(Real + "/in.bin", SpriteEditor::EditFileImage(Partial));
    const QString In = Real + "/in.bin";
    ExpectRefused({"sprite", "encode", "in.bin", "out.spr"}, 1,
                  QString("Edit file \"%1\" ends with 15 words that are not a whole tile; "
                          "--drop-partial drops them")
                      .arg(In));
    ASSERT_EQ(Run({"sprite", "encode", "in.bin", "out.spr", "--drop-partial"}), 0);
    EXPECT_TRUE(Err.contains(QString("dropped the last 15 words of \"%1\"").arg(In).toUtf8()))
        << Err.toStdString();
    TMyArray Back;
    CompDecompUnit::DeCompress(ReadBytes(Real + "/out.spr"), Back);
    EXPECT_EQ(Back.size(), 262128u);
    EXPECT_TRUE(std::equal(Back.begin(), Back.end(), Words.begin()));

    // An odd last byte: refused by both forms; the uncompressed form keeps partial words.
    const TMyArray Small(Words.begin(), Words.begin() + 20);
    TMyByteArray Odd = SpriteEditor::EditFileImage(Small);
    Odd.push_back(0xAB);
    WriteBytes(In, Odd);
    const QString OddMessage =
        QString("Edit file \"%1\" ends with an odd byte that is not a whole word; --drop-partial "
                "drops it")
            .arg(In);
    ExpectRefused({"sprite", "pack", "in.bin", "p.spr"}, 1, OddMessage);
    ExpectRefused({"sprite", "encode", "in.bin", "p.spr"}, 1,
                  "ends with 4 words and an odd byte that are not a whole tile");
    ASSERT_EQ(Run({"sprite", "pack", "in.bin", "p.spr", "--drop-partial"}), 0);
    EXPECT_EQ(ReadBytes(Real + "/p.spr"), SpriteEditor::UncompressedSpriteImage(Small, 1));
    WriteBytes(In, SpriteEditor::EditFileImage(Small));
    ASSERT_EQ(Run({"sprite", "pack", "in.bin", "p.spr"}), 0);
    EXPECT_TRUE(Err.isEmpty()) << Err.toStdString();
    ASSERT_EQ(Run({"sprite", "decode", "p.spr", "back.bin"}), 0);
    EXPECT_EQ(ReadBytes(Real + "/back.bin"), SpriteEditor::EditFileImage(Small));
}

TEST_F(ToolInputs, DotDotAfterALinkIsTheFolderTheSystemReaches) {
    ASSERT_TRUE(QDir(Real).mkpath("here"));
    ASSERT_TRUE(QDir(Real).mkpath("far/deep"));
    ASSERT_EQ(::symlink("../far/deep", QFile::encodeName(Real + "/here/sym").constData()), 0);
    WriteBytes(Real + "/in.bin", SpriteEditor::EditFileImage(PatternWords(2, 3)));
    ASSERT_EQ(Run({"sprite", "encode", "in.bin", "here/sym/../x.spr"}), 0) << Err.toStdString();
    EXPECT_EQ(ReadBytes(Real + "/far/x.spr"), CompDecompUnit::Compress(PatternWords(2, 3)));
    EXPECT_FALSE(QFile::exists(Real + "/here/x.spr"));
    ASSERT_EQ(Run({"sprite", "decode", "here/sym/../x.spr", "here/sym/../x.bin"}), 0);
    EXPECT_EQ(ReadBytes(Real + "/far/x.bin"), SpriteEditor::EditFileImage(PatternWords(2, 3)));
    // A data root named through the link.
    ASSERT_EQ(::symlink("../root", QFile::encodeName(Real + "/far/root").constData()), 0);
    QByteArray Out;
    ASSERT_EQ(Run({"library", "list", "--root", "here/sym/../root"}, &Out), 0) << Err.toStdString();
    EXPECT_EQ(Out, "A1.spr\n");
    ASSERT_EQ(Run({"map", "render", "root/Maps/L1.Map", "here/sym/../m.png", "--root",
                   "here/sym/../root", "--tex1", "0", "--tex2", "0"}),
              0)
        << Err.toStdString();
    EXPECT_TRUE(QFile::exists(Real + "/far/m.png"));
}

TEST_F(ToolInputs, NamesThatAreNotUtf8AreRefusedSayingWhy) {
    WriteBytes(Real + "/in.bin", SpriteEditor::EditFileImage(PatternWords(1, 3)));
    const QByteArray Native = QFile::encodeName(Real);
    const int fd = ::open(Native + "/A\xff.spr", O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    ::close(fd);
    // Runs the tool through the shell, which passes the bytes as they are.
    const auto Shell = [&](const QString& Script, QByteArray* Out = nullptr) {
        QProcess p;
        p.setWorkingDirectory(Real);
        p.start("/bin/sh", {"-c", Script, VELKORA_TOOL});
        EXPECT_TRUE(p.waitForFinished(60000));
        Err = p.readAllStandardError();
        if (Out)
            *Out = p.readAllStandardOutput();
        return p.exitCode();
    };
    const QString Reason =
        "The name is not valid UTF-8, so the file cannot be opened under it; rename it";
    EXPECT_EQ(Shell("\"$0\" sprite decode \"$(printf 'A\\377.spr')\" out.bin"), 1);
    EXPECT_TRUE(
        Err.contains(QString("Cannot open file \"%1/A\\xFF.spr\". %2").arg(Real, Reason).toUtf8()))
        << Err.toStdString();
    EXPECT_EQ(Shell("\"$0\" sprite encode in.bin \"$(printf 'B\\376.spr')\""), 1);
    EXPECT_TRUE(Err.contains(
        QString("Cannot create file \"%1/B\\xFE.spr\". %2").arg(Real, Reason).toUtf8()))
        << Err.toStdString();
    // Nothing was written, under that name or any other.
    QStringList Names = SpriteEditor::FindFiles(Real, "");
    Names.sort();
    EXPECT_EQ(Names, QStringList({QString("A") + QChar(0xDCFF) + ".spr", "in.bin", "root"}));

    // The library lists the entry as the bytes it is, and says on stderr that it cannot be
    // opened.
    ASSERT_TRUE(QFile::rename(Real + "/in.bin", Root->SpritePath("A2.spr")));
    ASSERT_EQ(
        ::rename(Native + "/A\xff.spr", QFile::encodeName(Root->Root()) + "/Sprites/A\xff.spr"), 0);
    QByteArray Out;
    EXPECT_EQ(Shell("\"$0\" library list --root root", &Out), 0);
    EXPECT_EQ(Out, QByteArray("A\xff.spr\nA1.spr\nA2.spr\n"));
    EXPECT_TRUE(Err.contains(QString("\"A\\xFF.spr\": %1").arg(Reason).toUtf8()))
        << Err.toStdString();
    ::unlink(QFile::encodeName(Root->Root()) + "/Sprites/A\xff.spr");
}
