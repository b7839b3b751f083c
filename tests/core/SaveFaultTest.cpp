// SPDX-License-Identifier: MIT
// Every writer of the system under the faults a user meets: a write that fails part way (the disk
// fills up), a target that is a directory, a missing or vanished folder. Each reports an error
// and leaves whatever was there before byte for byte as it was.

#include "maps/MapLoader.h"
#include "shell/ParamsFile.h"
#include "sprites/SpriteEditor.h"
#include "tests/support/DataRoot.h"
#include "tests/support/TestSupport.h"

#include <QDir>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace velkora;
using namespace velkora::test;

namespace {

struct Writer {
    const char* Name;
    std::function<void(const QString&)> Save;
};

TSpriteInfo BigSprite() {
    TSpriteInfo s;
    s.Bytes = PatternWords(600, 5);
    s.GenerateBlocArray();
    return s;
}

std::vector<Writer> FileWriters() {
    static const TSpriteInfo Sprite = BigSprite();
    static const TMyByteArray Cells = [] {
        TMyByteArray c(200 * 150);
        for (size_t i = 0; i < c.size(); ++i)
            c[i] = uint8_t(i % 7 == 0 ? i % 50 : 3);
        return c;
    }();
    return {
        {"SaveToEdit", [](const QString& f) { Sprite.SaveToEdit(f); }},
        {"SaveAsCompressedSprite", [](const QString& f) { Sprite.SaveAsCompressedSprite(f); }},
        {"SaveSprite", [](const QString& f) { Sprite.SaveSprite(f); }},
        {"SaveMap", [](const QString& f) { MapLoader::SaveMap(f, Cells, 200, 150); }},
    };
}

// The folder's names and every file's bytes, to compare before and after.
std::map<QString, TMyByteArray> Snapshot(const QString& Folder) {
    std::map<QString, TMyByteArray> s;
    for (const QFileInfo& i :
         QDir(Folder).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
        s[i.fileName()] = i.isDir() ? TMyByteArray{'/'} : ReadBytes(i.filePath());
    return s;
}

} // namespace

TEST(SaveFaults, AWriteThatFailsPartWayLeavesTheOldFileWhole) {
    for (const Writer& w : FileWriters()) {
        SCOPED_TRACE(w.Name);
        TempDir d;
        const QString f = d.file("target");
        WriteBytes(f, TMyByteArray(3000, 0xA5));
        const auto Before = Snapshot(d.path());
        QString Message;
        EXPECT_EQ(RunWithFileSizeLimit(
                      2048, [&] { w.Save(f); }, &Message),
                  1);
        EXPECT_TRUE(Message.startsWith("Cannot write file")) << Message.toStdString();
        EXPECT_EQ(Snapshot(d.path()), Before);
    }
}

TEST(SaveFaults, ADirectoryInTheWayIsReportedAndLeftAlone) {
    for (const Writer& w : FileWriters()) {
        SCOPED_TRACE(w.Name);
        TempDir d;
        ASSERT_TRUE(QDir(d.path()).mkpath("target/inner"));
        WriteBytes(d.file("target/inner/keep"), Bytes({1, 2, 3}));
        const auto Before = Snapshot(d.file("target/inner"));
        try {
            w.Save(d.file("target"));
            ADD_FAILURE() << "no error";
        } catch (const EFCreateError& e) {
            EXPECT_EQ(e.Message(),
                      QString("Cannot create file \"%1\". Is a directory").arg(d.file("target")));
        }
        EXPECT_EQ(Snapshot(d.file("target/inner")), Before);
        EXPECT_EQ(Snapshot(d.path()).size(), 1u);
    }
}

TEST(SaveFaults, AMissingOrVanishedFolderIsReported) {
    for (const Writer& w : FileWriters()) {
        SCOPED_TRACE(w.Name);
        TempDir d;
        ASSERT_TRUE(QDir(d.path()).mkdir("gone"));
        WriteBytes(d.file("gone/target"), Bytes({7}));
        ASSERT_TRUE(QDir(d.file("gone")).removeRecursively());
        for (const QString& f : {d.file("gone/target"), d.file("never/there/target")}) {
            try {
                w.Save(f);
                ADD_FAILURE() << "no error";
            } catch (const EFCreateError& e) {
                EXPECT_EQ(e.Message(),
                          QString("Cannot create file \"%1\". No such file or directory").arg(f));
            }
        }
        EXPECT_TRUE(Snapshot(d.path()).empty());
    }
}

TEST(SaveFaults, AppendingASetNeverDamagesTheParametersFile) {
    TempDir d;
    DataRoot Root(d.file("root"));
    Root.Palettes = {DistinctPalette(0), DistinctPalette(1)};
    Root.MapSets = {{"A.spr : B.spr", 0, 1}};
    Root.PalSets = {MyTypes::IdentityPallette(), MyTypes::IdentityPallette()};
    Root.WriteParams();
    const QString Params = Root.Root() + "/XMLParams.xml";
    const TMyByteArray Before = ReadBytes(Params);
    TXMLDocument Doc;
    Doc.FileName = Params;

    QString Message;
    EXPECT_EQ(RunWithFileSizeLimit(
                  64,
                  [&] {
                      ParamsFile::AppendMapSet(Doc, TSet{1, 0, QStringLiteral("B.spr : A.spr")});
                  },
                  &Message),
              1);
    EXPECT_TRUE(Message.startsWith("Cannot write file")) << Message.toStdString();
    EXPECT_EQ(RunWithFileSizeLimit(
                  64, [&] { ParamsFile::AppendPalSet(Doc, MyTypes::IdentityPallette()); }),
              1);
    EXPECT_EQ(ReadBytes(Params), Before);
    EXPECT_EQ(Snapshot(Root.Root()).size(), 3u); // Sprites, Maps, XMLParams.xml: no leftovers

    // The parameters file replaced by a directory, or its folder gone: an error, nothing made.
    ASSERT_TRUE(QFile::remove(Params));
    ASSERT_TRUE(QDir(Root.Root()).mkdir("XMLParams.xml"));
    EXPECT_THROW(ParamsFile::AppendPalSet(Doc, MyTypes::IdentityPallette()), EFOpenError);
    EXPECT_TRUE(QFileInfo(Params).isDir());
    Doc.FileName = d.file("missing/XMLParams.xml");
    EXPECT_THROW(ParamsFile::AppendMapSet(Doc, TSet{}), EFOpenError);
    EXPECT_FALSE(QFileInfo::exists(d.file("missing")));
}

namespace {

// The writers, and an append to a parameters file that the test has copied to the name given.
std::vector<Writer> AllWriters(const QString& ParamsSource) {
    std::vector<Writer> All = FileWriters();
    All.push_back({"AppendPalSet", [ParamsSource](const QString& f) {
                       if (!QFileInfo::exists(f))
                           WriteBytes(f, ReadBytes(ParamsSource));
                       TXMLDocument Doc;
                       Doc.FileName = f;
                       ParamsFile::AppendPalSet(Doc, MyTypes::IdentityPallette());
                   }});
    return All;
}

QString ParamsSource(const TempDir& d) {
    DataRoot Root(d.file("params"));
    Root.Palettes = {DistinctPalette(0)};
    Root.PalSets = {MyTypes::IdentityPallette()};
    Root.WriteParams();
    return Root.Root() + "/XMLParams.xml";
}

} // namespace

TEST(SaveFaults, AFileThatMayNotBeWrittenIsRefusedByEveryWriter) {
    unsigned Nobody = 0, NoGroup = 0;
    if (::geteuid() != 0 || !NobodyIds(Nobody, NoGroup))
        GTEST_SKIP() << "needs root to make files for the user nobody and to become nobody";
    TempDir Source;
    const QString Params = ParamsSource(Source);
    for (const Writer& w : AllWriters(Params)) {
        SCOPED_TRACE(w.Name);
        TempDir d(TempDir::OpenToEveryone);
        const QString f = d.file("target");
        WriteBytes(f, ReadBytes(Params));
        ASSERT_EQ(::chown(QFile::encodeName(f).constData(), Nobody, NoGroup), 0);
        ASSERT_EQ(::chmod(QFile::encodeName(f).constData(), 0444), 0);
        const auto Before = Snapshot(d.path());
        QString Message;
        const int Status = RunAsNobody([&] { w.Save(f); }, &Message);
        if (Status == NotDropped)
            GTEST_SKIP() << "the system does not let this process become nobody";
        EXPECT_EQ(Status, 1);
        EXPECT_EQ(Message, QString("Cannot create file \"%1\". Permission denied").arg(f));
        EXPECT_EQ(Snapshot(d.path()), Before);
        struct stat st {};
        ASSERT_EQ(::stat(QFile::encodeName(f).constData(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0444u);
    }
}

TEST(SaveFaults, EveryWriterSavesTheLongestNameTheFolderTakes) {
    TempDir Source;
    const QString Params = ParamsSource(Source);
    for (const Writer& w : AllWriters(Params)) {
        SCOPED_TRACE(w.Name);
        TempDir d;
        const QString Name = QString(251, QLatin1Char('x')) + ".Map";
        const QString f = d.file(Name);
        WriteBytes(f, ReadBytes(Params));
        w.Save(f);
        EXPECT_NE(ReadBytes(f), ReadBytes(Params));
        const TMyByteArray Saved = ReadBytes(f);
        w.Save(f); // over the file it made
        EXPECT_EQ(QDir(d.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                  QStringList(Name));
        if (std::string(w.Name) != "AppendPalSet") {
            EXPECT_EQ(ReadBytes(f), Saved);
        }
    }
}
