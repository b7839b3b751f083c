// SPDX-License-Identifier: MIT
// Sprite files (edit files, the compressed and the uncompressed form, errors, saves that fail)
// and the sprite library (its order, its listing, reading sprites by position).

#include "sprites/SpriteEditor.h"
#include "sprites/CompDecompUnit.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace velkora;
using namespace velkora::test;

namespace {

TSpriteInfo Sprite(TMyArray Words) {
    TSpriteInfo s;
    s.Bytes = std::move(Words);
    s.GenerateBlocArray();
    return s;
}

TMyArray Seq(size_t n, uint16_t First = 0x0100) {
    TMyArray w(n);
    for (size_t i = 0; i < n; ++i)
        w[i] = uint16_t(First + 0x0101 * i);
    return w;
}

TMyByteArray EditBytes(const TMyArray& w) {
    TMyByteArray b;
    for (uint16_t v : w)
        MyTypes::AppendBE16(b, v);
    return b;
}

QStringList Sorted(QStringList Names) {
    SpriteEditor::SortNames(Names);
    return Names;
}

// Makes a file under a name given as raw bytes.
void WriteRaw(const QByteArray& Name, const QByteArray& Data) {
    const int fd = ::open(Name.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, Data.constData(), size_t(Data.size())), Data.size());
    ::close(fd);
}

} // namespace

TEST(SpriteFiles, EditFilesAreTheWordsBigEndian) {
    TempDir d;
    const QString f = d.file("a.bin");
    Sprite({0x0123, 0x4567, 0x89AB}).SaveToEdit(f);
    EXPECT_EQ(ReadBytes(f), Bytes({0x01, 0x23, 0x45, 0x67, 0x89, 0xAB}));
    Sprite({}).SaveToEdit(f);
    EXPECT_TRUE(ReadBytes(f).empty());

    TSpriteInfo s;
    WriteBytes(f, Bytes({0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD}));
    s.LoadAfterEdt(f);
    EXPECT_EQ(s.Bytes, TMyArray({0x0123, 0x4567, 0x89AB}));
    EXPECT_TRUE(s.BlocksArray.empty()); // left to GenerateBlocArray
    for (const TMyByteArray& Tiny : {Bytes({}), Bytes({0x12})}) {
        WriteBytes(f, Tiny);
        s.LoadAfterEdt(f);
        EXPECT_TRUE(s.Bytes.empty());
    }

    const TSpriteInfo Big = Sprite(Seq(1000));
    Big.SaveToEdit(f);
    s.LoadAfterEdt(f);
    EXPECT_EQ(s.Bytes, Big.Bytes);
}

TEST(SpriteFiles, UncompressedLayoutAndReadBack) {
    TempDir d;
    const QString f = d.file("u.spr");
    struct Case {
        size_t Words;
        TMyByteArray Head;
        size_t Length;
    };
    for (const Case& c : {Case{0, Bytes({0, 1, 0, 0}), 4}, Case{16, Bytes({0, 1, 1, 0}), 36},
                          Case{17, Bytes({0, 1, 1, 0}), 39}, Case{35, Bytes({0, 1, 2, 0}), 75}}) {
        const TSpriteInfo s = Sprite(Seq(c.Words));
        s.SaveSprite(f);
        const TMyByteArray File = ReadBytes(f);
        ASSERT_EQ(File.size(), c.Length) << c.Words;
        EXPECT_EQ(TMyByteArray(File.begin(), File.begin() + 4), c.Head);
        EXPECT_EQ(TMyByteArray(File.begin() + 4, File.begin() + 4 + 2 * long(c.Words)),
                  EditBytes(s.Bytes));
        if (c.Words % 2) {
            EXPECT_EQ(File.back(), 0);
        }
        TSpriteInfo Back;
        Back.Init(f);
        EXPECT_EQ(Back.Bytes, s.Bytes) << c.Words;
    }
    // 65,536 blocks: only the low 16 bits of the count are stored.
    const TSpriteInfo Many = Sprite(TMyArray(65536 * 16, 0x0F0F));
    Many.SaveSprite(f);
    const TMyByteArray File = ReadBytes(f);
    EXPECT_EQ(TMyByteArray(File.begin(), File.begin() + 4), Bytes({0, 1, 0, 0}));
    TSpriteInfo Back;
    Back.Init(f);
    EXPECT_EQ(Back.Bytes, Many.Bytes);
}

TEST(SpriteFiles, CompressedSavesReadBackAndReplaceTheOldFile) {
    TempDir d;
    const QString f = d.file("c.spr");
    WriteBytes(f, TMyByteArray(5000, 0xEE));
    Rng R(11);
    for (size_t n : {0, 16, 17, 160, 333}) {
        TMyArray w(n);
        for (auto& v : w)
            v = uint16_t(R() & 0x3333);
        const TSpriteInfo s = Sprite(w);
        s.SaveAsCompressedSprite(f);
        EXPECT_EQ(ReadBytes(f), CompDecompUnit::Compress(w));
        TSpriteInfo Back;
        Back.Init(f);
        Back.GenerateBlocArray();
        w.resize(n / 16 * 16);
        EXPECT_EQ(Back.Bytes, w);
        EXPECT_EQ(Back.BlocksArray, CompDecompUnit::MakeBlockArray(w));
    }
}

TEST(SpriteFiles, ErrorsNameTheFileAndLeaveTheSpriteAlone) {
    TempDir d;
    TSpriteInfo s = Sprite({1, 2, 3});
    const QString Missing = d.file("none.spr");
    try {
        s.Init(Missing);
        FAIL() << "no error";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(),
                  QString("Cannot open file \"%1\". No such file or directory").arg(Missing));
    }
    try {
        s.LoadAfterEdt(d.path());
        FAIL() << "no error";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(), QString("Cannot open file \"%1\". Is a directory").arg(d.path()));
    }
    EXPECT_EQ(s.Bytes, TMyArray({1, 2, 3}));

    const QString NoFolder = d.file("sub/x.bin");
    try {
        s.SaveToEdit(NoFolder);
        FAIL() << "no error";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(e.Message(),
                  QString("Cannot create file \"%1\". No such file or directory").arg(NoFolder));
    }
    EXPECT_FALSE(QFile::exists(NoFolder));
}

TEST(SpriteFiles, FailedSavesLeaveTheOldFileWhole) {
    TempDir d;
    const QString f = d.file("s.spr");
    const TMyByteArray Old = Bytes({9, 8, 7, 6, 5, 4, 3, 2});
    const TSpriteInfo s = Sprite(Seq(4096));
    using Save = void (TSpriteInfo::*)(const QString&) const;
    for (Save Op : {Save(&TSpriteInfo::SaveToEdit), Save(&TSpriteInfo::SaveSprite),
                    Save(&TSpriteInfo::SaveAsCompressedSprite)}) {
        WriteBytes(f, Old);
        QString Message;
        EXPECT_EQ(RunWithFileSizeLimit(
                      1000, [&] { (s.*Op)(f); }, &Message),
                  1);
        EXPECT_TRUE(Message.startsWith(QString("Cannot write file \"%1\".").arg(f)))
            << Message.toStdString();
        EXPECT_EQ(ReadBytes(f), Old);
        EXPECT_EQ(QDir(d.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }

    // A sprite the encoder refuses changes nothing on disk, and creates nothing.
    const TSpriteInfo Huge = Sprite(TMyArray(MaxCompressWords + 1, 0x1234));
    EXPECT_THROW(Huge.SaveAsCompressedSprite(f), Exception);
    EXPECT_EQ(ReadBytes(f), Old);
    EXPECT_THROW(Huge.SaveAsCompressedSprite(d.file("new.spr")), Exception);
    EXPECT_FALSE(QFile::exists(d.file("new.spr")));
}

TEST(Library, OrderByFirstCharacterThenIndexThenName) {
    EXPECT_EQ(Sorted({"a1.spr", "B1.spr", "A10.spr", "A2.spr", "A1.spr"}),
              QStringList({"A1.spr", "A2.spr", "A10.spr", "B1.spr", "a1.spr"}));
    EXPECT_EQ(Sorted({"A13.spr", "A1B2.spr", "A11.spr"}),
              QStringList({"A11.spr", "A1B2.spr", "A13.spr"}));
    EXPECT_EQ(Sorted({"a.spr", "_5.spr", "Z9.spr"}), QStringList({"Z9.spr", "_5.spr", "a.spr"}));
    EXPECT_EQ(Sorted({"A0001.spr", "A.spr"}), QStringList({"A.spr", "A0001.spr"}));

    EXPECT_EQ(SpriteEditor::GetIndex("A007.spr"), "7");
    EXPECT_EQ(SpriteEditor::GetIndex("A2x10.spr"), "210");
    EXPECT_EQ(SpriteEditor::GetIndex("A.spr"), "");
    EXPECT_EQ(SpriteEditor::GetIndex("A000.spr"), "");
    EXPECT_EQ(SpriteEditor::GetIndex(QString::fromUtf8("A\u0663.spr")),
              "");                                                   // only ASCII digits count
    EXPECT_EQ(SpriteEditor::SortFunc("7b.spr", "7a.spr") > 0, true); // first char 7, index 7 both

    // Equal keys are ordered by the whole name, so any listing order gives one result.
    const QStringList Ties = {"A0.spr", "A.spr", "A00.spr", "a.SPR", "A01.spr", "A1.spr"};
    const QStringList Want = {"A.spr", "A0.spr", "A00.spr", "A01.spr", "A1.spr", "a.SPR"};
    QStringList Shuffled = Ties;
    Rng R(3);
    for (int i = 0; i < 20; ++i) {
        std::shuffle(Shuffled.begin(), Shuffled.end(), R);
        EXPECT_EQ(Sorted(Shuffled), Want);
    }
    EXPECT_EQ(SpriteEditor::SortFunc("A0.spr", "A.spr"), 1);
    EXPECT_EQ(SpriteEditor::SortFunc("A.spr", "A.spr"), 0);

    // Digit strings of any length compare by value.
    EXPECT_EQ(Sorted({"A99999999999999999999.spr", "A2147483648.spr", "A000000000000000000003.spr",
                      "A2147483647.spr"}),
              QStringList({"A000000000000000000003.spr", "A2147483647.spr", "A2147483648.spr",
                           "A99999999999999999999.spr"}));
    EXPECT_EQ(SpriteEditor::GetIndex("A000000000000000000003.spr"), "3");
}

TEST(Library, ListsTheSpritesFolderAndReadsByPosition) {
    TempDir d;
    const QString Folder = d.file("Sprites");
    ASSERT_TRUE(QDir().mkpath(Folder + "/dir.spr"));
    ASSERT_TRUE(QDir().mkpath(Folder + "/other"));
    const TMyArray w = Seq(32);
    WriteBytes(Folder + "/B2.SPR", CompDecompUnit::Compress(w));
    WriteBytes(Folder + "/B1.spr", Bytes({0, 1, 0, 0}));
    WriteBytes(Folder + "/.hidden.Spr", Bytes({}));
    for (const char* Skip : {"a.sprx", "spr", "a.sp", "readme.txt"})
        WriteBytes(Folder + "/" + Skip, Bytes({}));

    EXPECT_EQ(Sorted(SpriteEditor::FindFiles(Folder, ".spr")),
              QStringList({".hidden.Spr", "B1.spr", "B2.SPR", "dir.spr"}));
    EXPECT_TRUE(SpriteEditor::FindFiles(d.file("missing"), ".spr").isEmpty());

    const TSpriteContainer Library(d.path());
    ASSERT_EQ(Library.SpriteNames(), QStringList({".hidden.Spr", "B1.spr", "B2.SPR", "dir.spr"}));
    EXPECT_EQ(Library.FileName(2), d.path() + "/Sprites/B2.SPR");
    const TSpriteInfo s = Library.SpriteInfo(2);
    EXPECT_EQ(s.Bytes, w);
    EXPECT_EQ(s.BlocksArray.size(), 2u);
    EXPECT_TRUE(Library.SpriteInfo(1).Bytes.empty());
    try {
        Library.SpriteInfo(3);
        FAIL() << "no error";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(),
                  QString("Cannot open file \"%1/Sprites/dir.spr\". Is a directory").arg(d.path()));
    }
    for (int Bad : {-1, 4}) {
        try {
            Library.SpriteInfo(Bad);
            FAIL() << "no error";
        } catch (const EListError& e) {
            EXPECT_EQ(e.Message(), QString("List index out of bounds (%1)").arg(Bad));
        }
    }

    const TSpriteContainer Empty(d.file("Nothing"));
    EXPECT_TRUE(Empty.SpriteNames().isEmpty());
    EXPECT_THROW(Empty.SpriteInfo(0), EListError);
}

TEST(Paths, NamesThatAreNotUtf8StayApartAndAreRefusedSayingWhy) {
    TempDir d;
    const QString Folder = QDir(d.path()).canonicalPath();
    const QByteArray Native = QFile::encodeName(Folder);
    WriteRaw(Native + "/A\xff"
                      "1.spr",
             "one");
    WriteRaw(Native + "/A\xfe"
                      "1.spr",
             "two");
    WriteRaw(Native + "/A\xef\xbf\xbd"
                      "1.spr",
             "three"); // U+FFFD itself is a valid name
    QStringList Names = SpriteEditor::FindFiles(Folder, ".spr");
    Names.sort();
    ASSERT_EQ(Names.size(), 3);
    EXPECT_EQ(Names.removeDuplicates(), 0);
    const QString Bad = Names.filter(QChar(0xDCFF)).value(0);
    ASSERT_FALSE(Bad.isEmpty());
    EXPECT_TRUE(MyTypes::HasUndecodableBytes(Bad));
    EXPECT_EQ(MyTypes::PrintableFileName(Bad), "A\\xFF1.spr");
    EXPECT_EQ(MyTypes::EncodeFileName(Bad), QByteArray("A\xff"
                                                       "1.spr"));
    const QString Good = QString::fromUtf8("A\xef\xbf\xbd"
                                           "1.spr");
    EXPECT_TRUE(Names.contains(Good));
    EXPECT_FALSE(MyTypes::HasUndecodableBytes(Good));
    EXPECT_EQ(MyTypes::ReadFileBytes(Folder + "/" + Good), Bytes({'t', 'h', 'r', 'e', 'e'}));
    // A valid name of four bytes a character is not taken for escaped bytes.
    EXPECT_FALSE(MyTypes::HasUndecodableBytes(MyTypes::DecodeFileName("\xf0\x9f\x98\x80")));

    const QString Reason =
        "The name is not valid UTF-8, so the file cannot be opened under it; rename it";
    try {
        MyTypes::ReadFileBytes(Folder + "/" + Bad);
        FAIL() << "no error";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(),
                  QString("Cannot open file \"%1/A\\xFF1.spr\". %2").arg(Folder, Reason));
    }
    try {
        MyTypes::WriteFileAtomically(Folder + "/" + Bad, Bytes({1}));
        FAIL() << "no error";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(e.Message(),
                  QString("Cannot create file \"%1/A\\xFF1.spr\". %2").arg(Folder, Reason));
    }
    // Nothing was written, under that name or another.
    EXPECT_EQ(SpriteEditor::FindFiles(Folder, "").size(), 3);
    EXPECT_EQ(MyTypes::ReadFileBytes(Folder + "/" + Good), Bytes({'t', 'h', 'r', 'e', 'e'}));

    // The library lists every entry, and the one that cannot be opened says why when chosen.
    ASSERT_TRUE(QDir(Folder).mkdir("Sprites"));
    WriteRaw(Native + "/Sprites/B\x80.spr", "x");
    const TSpriteContainer Library(Folder);
    ASSERT_EQ(Library.SpriteNames().size(), 1);
    try {
        Library.SpriteInfo(0);
        FAIL() << "no error";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(),
                  QString("Cannot open file \"%1/Sprites/B\\x80.spr\". %2").arg(Folder, Reason));
    }
    // The temporary folder cannot remove names it cannot spell.
    for (const QString& Sub : {Folder, Folder + "/Sprites"})
        for (const QString& Name : SpriteEditor::FindFiles(Sub, ".spr"))
            ::unlink(MyTypes::EncodeFileName(Sub + "/" + Name).constData());
}
