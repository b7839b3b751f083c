// SPDX-License-Identifier: MIT
// The sprite document and the session without any view: recolouring, Reset and imports undo to
// the exact words and mapping, and the parameters file is read once with one report.

#include "workbench/SpriteDocument.h"
#include "maps/MapDocument.h"
#include "shell/Session.h"
#include "sprites/CompDecompUnit.h"
#include "tests/support/DataRoot.h"
#include "tests/support/TestSupport.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <functional>

using namespace velkora;
using namespace velkora::test;

namespace {

TPalletteArray Rotated(int k) {
    TPalletteArray m{};
    for (int c = 0; c < 16; ++c)
        m[size_t(c)] = (c + k) % 16;
    return m;
}

TMyArray Mapped(const TMyArray& Words, const TPalletteArray& m) {
    TMyArray Out(Words.size());
    for (size_t i = 0; i < Words.size(); ++i)
        for (int k = 3; k >= 0; --k)
            Out[i] = uint16_t((Out[i] << 4) | (m[size_t((Words[i] >> (4 * k)) & 15)] & 15));
    return Out;
}

} // namespace

TEST(SpriteDocument, EditsUndoToTheExactWordsAndMapping) {
    TempDir Dir;
    DataRoot Root(Dir.path());
    const TMyArray Words = PatternWords(40, 3);
    Root.AddSprite("A1.spr", Words);
    TSpriteDocument d;
    QSignalSpy Renders(&d, &TSpriteDocument::WordsChanged);
    d.Load(Root.SpritePath("A1.spr"), Rotated(1), true);
    EXPECT_EQ(Renders.size(), 1); // one load, one picture
    EXPECT_EQ(d.SpriteInfo().Bytes, Mapped(Words, Rotated(1)));
    EXPECT_EQ(d.SpriteInfo().BlocksArray.size(), 40u);
    EXPECT_EQ(d.BaseWords(), Words);
    EXPECT_FALSE(d.IsModified());

    // A change of the words is the new base of recolouring, with the identity mapping; a save
    // keeps it so.
    d.Recolour(Rotated(5));
    const TMyArray Imported = PatternWords(7, 9);
    d.ChangeWords(Imported, "Import");
    EXPECT_EQ(d.SpriteInfo().Bytes, Imported);
    EXPECT_EQ(d.PalletteSet(), MyTypes::IdentityPallette());
    EXPECT_EQ(d.BaseWords(), Imported);
    d.Recolour(Rotated(2));
    EXPECT_EQ(d.SpriteInfo().Bytes, Mapped(Imported, Rotated(2)));
    d.Save(true);
    EXPECT_EQ(ReadBytes(Root.SpritePath("A1.spr")),
              CompDecompUnit::Compress(Mapped(Imported, Rotated(2))));
    d.Recolour(Rotated(3));
    EXPECT_EQ(d.SpriteInfo().Bytes, Mapped(Imported, Rotated(3)));
    EXPECT_EQ(d.SpriteInfo().BlocksArray.size(), 7u);
    // Reset goes back to that base; the file holds it recoloured, so the sprite is modified.
    d.Reset();
    EXPECT_EQ(d.SpriteInfo().Bytes, Imported);
    EXPECT_EQ(d.PalletteSet(), MyTypes::IdentityPallette());
    EXPECT_TRUE(d.IsModified());

    // Every undo gives back the words, the mapping and the base before it.
    struct Step {
        TMyArray Shown;
        TPalletteArray Mapping;
        TMyArray Base;
        bool Modified;
    };
    const std::vector<Step> Back = {{Mapped(Imported, Rotated(3)), Rotated(3), Imported, true},
                                    {Mapped(Imported, Rotated(2)), Rotated(2), Imported, false},
                                    {Imported, MyTypes::IdentityPallette(), Imported, true},
                                    {Mapped(Words, Rotated(5)), Rotated(5), Words, true},
                                    {Mapped(Words, Rotated(1)), Rotated(1), Words, true}};
    for (const Step& s : Back) {
        d.UndoStack()->undo();
        ASSERT_EQ(d.SpriteInfo().Bytes, s.Shown);
        ASSERT_EQ(d.SpriteInfo().BlocksArray, CompDecompUnit::MakeBlockArray(s.Shown));
        ASSERT_EQ(d.PalletteSet(), s.Mapping);
        ASSERT_EQ(d.BaseWords(), s.Base);
        ASSERT_EQ(d.IsModified(), s.Modified);
    }
    // Redo goes the same way forward; a recolour after it starts from the imported words.
    for (int i = 0; i < 3; ++i)
        d.UndoStack()->redo();
    EXPECT_EQ(d.SpriteInfo().Bytes, Mapped(Imported, Rotated(2)));
    d.Recolour(Rotated(4));
    EXPECT_EQ(d.SpriteInfo().Bytes, Mapped(Imported, Rotated(4)));

    // A load that fails changes nothing.
    const int Steps = d.UndoStack()->count();
    EXPECT_THROW(d.Load(Root.SpritePath("none.spr"), std::nullopt, true), EFOpenError);
    EXPECT_EQ(d.SpriteInfo().Bytes, Mapped(Imported, Rotated(4)));
    EXPECT_EQ(d.UndoStack()->count(), Steps);
}

TEST(SpriteDocument, ResetShowsTheFileWithoutMarkingWhatIsNotChanged) {
    TempDir Dir;
    DataRoot Root(Dir.path());
    const TMyArray Words = PatternWords(12, 5);
    Root.AddSprite("A1.spr", Words);
    TSpriteDocument d;

    // Nothing to go back to: no step, not modified.
    d.Load(Root.SpritePath("A1.spr"), MyTypes::IdentityPallette(), true);
    d.Reset();
    EXPECT_EQ(d.UndoStack()->count(), 0);
    EXPECT_FALSE(d.IsModified());
    // Loaded recoloured, Reset shows the file's words: one step, and the sprite is the file.
    d.Load(Root.SpritePath("A1.spr"), Rotated(6), true);
    d.Reset();
    EXPECT_EQ(d.SpriteInfo().Bytes, Words);
    EXPECT_FALSE(d.IsModified());
    d.UndoStack()->undo();
    EXPECT_EQ(d.SpriteInfo().Bytes, Mapped(Words, Rotated(6)));
    EXPECT_TRUE(d.IsModified());
    // Recoloured by hand, then back.
    d.UndoStack()->redo();
    d.Recolour(Rotated(2));
    EXPECT_TRUE(d.IsModified());
    d.Reset();
    EXPECT_FALSE(d.IsModified());

    // Another program wrote the file: Reset shows its words as the base, and a save writes over
    // it without counting it as changed any more.
    d.Recolour(Rotated(2));
    const TMyArray Theirs = PatternWords(5, 8);
    Root.AddSprite("A1.spr", Theirs, false);
    ASSERT_TRUE(d.ChangedOnDisk());
    d.Reset();
    EXPECT_EQ(d.SpriteInfo().Bytes, Theirs);
    EXPECT_EQ(d.BaseWords(), Theirs);
    EXPECT_EQ(d.Form(), TSpriteForm::Uncompressed);
    EXPECT_FALSE(d.ChangedOnDisk());
    EXPECT_FALSE(d.IsModified());
    d.Recolour(Rotated(1));
    EXPECT_EQ(d.SpriteInfo().Bytes, Mapped(Theirs, Rotated(1)));
    d.UndoStack()->undo();
    d.UndoStack()->undo();
    EXPECT_EQ(d.SpriteInfo().Bytes, Mapped(Words, Rotated(2)));
    EXPECT_EQ(d.BaseWords(), Words);
    // The form follows the last save.
    d.Save(true);
    EXPECT_EQ(d.Form(), TSpriteForm::Compressed);
}

TEST(Session, ReadsTheParametersFileOnceAndReportsOneError) {
    TempDir Dir;
    DataRoot Root(Dir.path());
    Root.Palettes = {DistinctPalette(0), DistinctPalette(1)};
    Root.MapSets = {{"a", 0, 0}};
    Root.PalSets = {MyTypes::IdentityPallette()};
    Root.WriteParams();
    TSession s(Dir.path());
    EXPECT_TRUE(s.PalletteArray().empty());
    s.ReadParameters();
    EXPECT_EQ(s.PalletteArray().size(), 2u);
    EXPECT_EQ(s.MapSets().size(), 1u);
    EXPECT_EQ(s.PalSets().size(), 1u);

    // A file that does not parse fails all three parts with the same message, raised once.
    WriteBytes(Dir.file("XMLParams.xml"), Bytes({'<', 'R', '>'}));
    TSession Broken(Dir.path());
    try {
        Broken.ReadParameters();
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_FALSE(e.Message().contains('\n')) << e.Message().toStdString();
        EXPECT_TRUE(e.Message().contains("XMLParams.xml")) << e.Message().toStdString();
    }
    EXPECT_TRUE(Broken.PalletteArray().empty());
    EXPECT_TRUE(Broken.PalSets().empty());
}

namespace {

// The resident memory of this process, in bytes.
int64_t ResidentBytes() {
    QFile f("/proc/self/status");
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& Line : f.readAll().split('\n'))
        if (Line.startsWith("VmRSS:"))
            return Line.mid(6).trimmed().split(' ').first().toLongLong() * 1024;
    return -1;
}

} // namespace

TEST(SpriteDocument, ALoadedSpriteHoldsAtMostThreeTimesItsWords) {
    // A 22-byte compressed file whose header claims 64 chunks of 255 bytes per presence-map
    // bit: 33 MB of words, all zero, from a file that holds none of them.
    TempDir Dir;
    TMyByteArray File = {0x00, 0x02, 0xFF, 0xFF};
    File.resize(20, 0);
    File.push_back(0x40); // 16384 presence-map bytes, none of them in the file
    File.push_back(0x00);
    WriteBytes(Dir.file("big.spr"), File);
    const int64_t Before = ResidentBytes();
    TSpriteDocument d;
    d.Load(Dir.file("big.spr"), Rotated(3), true);
    const int64_t WordBytes = int64_t(d.SpriteInfo().Bytes.size()) * 2;
    ASSERT_GT(WordBytes, int64_t(30) << 20);
    EXPECT_LE(ResidentBytes() - Before, 3 * WordBytes + (int64_t(4) << 20));

    // Where the memory is not there, the load fails naming the file and changes nothing.
    if (!MemoryLimitsWork)
        GTEST_SKIP() << "memory limits do not apply under the address sanitizer";
    QString Message;
    EXPECT_EQ(RunWithMemoryLimit(
                  uint64_t(WordBytes),
                  [&] {
                      TSpriteDocument Small;
                      Small.Load(Dir.file("big.spr"), std::nullopt, true);
                  },
                  &Message),
              1);
    EXPECT_EQ(Message, QString("Cannot open file \"%1\". Out of memory").arg(Dir.file("big.spr")));

    // Loaded and recoloured, and the recolouring undone, within four times its words: the
    // blocks are rewritten in place.
    EXPECT_EQ(RunWithMemoryLimit(
                  uint64_t(4 * WordBytes + (int64_t(8) << 20)),
                  [&] {
                      TSpriteDocument Small;
                      Small.Load(Dir.file("big.spr"), Rotated(3), true);
                      Small.Recolour(Rotated(5));
                      Small.UndoStack()->undo();
                      if (Small.SpriteInfo().Bytes.front() != Mapped({0}, Rotated(3)).front())
                          throw Exception("wrong words");
                  },
                  &Message),
              0)
        << Message.toStdString();
    // A recolouring the memory does not hold names the sprite's file and changes nothing.
    EXPECT_EQ(RunWithMemoryLimit(
                  uint64_t(3 * WordBytes + (int64_t(4) << 20)),
                  [&] {
                      TSpriteDocument Small;
                      Small.Load(Dir.file("big.spr"), Rotated(3), true);
                      try {
                          Small.Recolour(Rotated(5));
                      } catch (const Exception&) {
                          if (Small.PalletteSet() != Rotated(3) || Small.UndoStack()->count() != 0)
                              throw Exception("changed");
                          throw;
                      }
                  },
                  &Message),
              1);
    EXPECT_EQ(
        Message,
        QString("Out of memory: \"Recolour\" of \"%1\" was not done.").arg(Dir.file("big.spr")));
    // The library's sprite names its file too when its blocks do not fit.
    ASSERT_TRUE(QDir(Dir.path()).mkdir("Sprites"));
    WriteBytes(Dir.file("Sprites/big.spr"), File);
    const TSpriteContainer Library(Dir.path());
    EXPECT_EQ(RunWithMemoryLimit(
                  uint64_t(WordBytes * 3 / 2), [&] { Library.SpriteInfo(0); }, &Message),
              1);
    EXPECT_TRUE(Message.startsWith("Cannot open file \"")) << Message.toStdString();
    EXPECT_TRUE(Message.endsWith("big.spr\". Out of memory")) << Message.toStdString();
}

TEST(Documents, KnowWhenTheirFileWasChangedOnDisk) {
    TempDir Dir;
    DataRoot Root(Dir.path());
    Root.AddSprite("A1.spr", PatternWords(4, 1));
    Root.AddMap("M.Map", 2, 2, Bytes({1, 2, 3, 4}));
    TSpriteDocument Sprite;
    Sprite.Load(Root.SpritePath("A1.spr"), std::nullopt, true);
    TMapDocument Map;
    Map.Load(Root.MapPath("M.Map"));
    EXPECT_FALSE(Sprite.ChangedOnDisk());
    EXPECT_FALSE(Map.ChangedOnDisk());
    // Same size, another time stamp; then our own saves make the file ours again.
    Root.AddSprite("A1.spr", PatternWords(4, 2));
    Root.AddMap("M.Map", 2, 2, Bytes({4, 3, 2, 1}));
    QFile(Root.MapPath("M.Map"))
        .setFileTime(QDateTime::currentDateTime().addSecs(5), QFileDevice::FileModificationTime);
    EXPECT_TRUE(Sprite.ChangedOnDisk());
    EXPECT_TRUE(Map.ChangedOnDisk());
    Sprite.Save(true);
    Map.Save();
    EXPECT_FALSE(Sprite.ChangedOnDisk());
    EXPECT_FALSE(Map.ChangedOnDisk());
    QFile::remove(Root.MapPath("M.Map"));
    EXPECT_TRUE(Map.ChangedOnDisk());
}

TEST(Documents, ShowTheirFileHistoryAndModifiedStateThroughOneBase) {
    // What shows a document's name, history and modified state (a title, the Edit menu, the
    // unsaved-changes question) works on the base alone, whichever document it is.
    TempDir Dir;
    DataRoot Root(Dir.path());
    Root.AddSprite("A1.spr", PatternWords(4, 1));
    Root.AddMap("M.Map", 2, 2, Bytes({1, 2, 3, 4}));
    TSpriteDocument Sprite;
    Sprite.Load(Root.SpritePath("A1.spr"), std::nullopt, true);
    TMapDocument Map;
    Map.Load(Root.MapPath("M.Map"));
    const std::vector<std::pair<TDocument*, std::function<void()>>> Documents = {
        {&Sprite, [&] { Sprite.Recolour(Rotated(2)); }},
        {&Map, [&] { Map.PaintCell(Map.BeginStroke(), QPoint(1, 1), 9); }}};
    for (const auto& [Document, Edit] : Documents) {
        QSignalSpy Modified(Document, &TDocument::ModifiedChanged);
        EXPECT_TRUE(Document->FileName().startsWith(Root.Root()));
        EXPECT_FALSE(Document->IsModified());
        Edit();
        EXPECT_TRUE(Document->IsModified());
        EXPECT_EQ(Document->UndoStack()->count(), 1);
        Document->UndoStack()->undo();
        EXPECT_FALSE(Document->IsModified());
        ASSERT_EQ(Modified.size(), 2);
        EXPECT_TRUE(Modified[0][0].toBool());
        EXPECT_FALSE(Modified[1][0].toBool());
        EXPECT_FALSE(Document->ChangedOnDisk());
    }
}

TEST(Session, AddsAPaletteSetForEveryWindowThatShowsThem) {
    TempDir Dir;
    DataRoot Root(Dir.path());
    Root.Palettes = {DistinctPalette(0)};
    Root.PalSets = {MyTypes::IdentityPallette()};
    Root.WriteParams();
    TSession s(Dir.path());
    s.ReadParameters();
    QSignalSpy Changed(&s, &TSession::PalSetsChanged);
    s.AddPalSet(Rotated(3));
    ASSERT_EQ(s.PalSets().size(), 2u);
    EXPECT_EQ(s.PalSets()[1].pal, Rotated(3));
    EXPECT_EQ(s.PalSets()[1].Name, "1");
    EXPECT_EQ(Changed.size(), 1);
    // A file that cannot be read back: the error is raised and the sets stay as they were.
    TPalletteArray Bad = MyTypes::IdentityPallette();
    Bad[0] = 16;
    Root.PalSets = {Bad};
    Root.WriteParams();
    EXPECT_THROW(s.AddPalSet(Rotated(4)), Exception);
    EXPECT_EQ(s.PalSets().size(), 2u);
    EXPECT_EQ(Changed.size(), 1);
}
