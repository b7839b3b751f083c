// SPDX-License-Identifier: MIT
// File helpers: error texts, atomic replacement, failures that must leave old files whole.

#include "shell/MyTypes.h"
#include "shell/SaveFile.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace velkora;
using namespace velkora::test;

TEST(ReadFileBytes, ReportsMissingFilesAndDirectoriesWithTheAbsolutePath) {
    TempDir d;
    const QString Missing = d.file("nothing.spr");
    try {
        MyTypes::ReadFileBytes(Missing);
        FAIL() << "no error";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(),
                  QString("Cannot open file \"%1\". No such file or directory").arg(Missing));
    }
    try {
        MyTypes::ReadFileBytes(d.path());
        FAIL() << "no error";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(), QString("Cannot open file \"%1\". Is a directory").arg(d.path()));
    }
}

TEST(ReadFileBytes, RefusesANamedPipeAtOnceInsteadOfWaitingForAWriter) {
    TempDir d;
    const QString Pipe = d.file("pipe.spr");
    ASSERT_EQ(::mkfifo(QFile::encodeName(Pipe).constData(), 0600), 0);
    // Run in a child that an alarm ends should the read block on the pipe.
    QString Message;
    EXPECT_EQ(RunWithFileSizeLimit(
                  1 << 20,
                  [&] {
                      ::alarm(10);
                      MyTypes::ReadFileBytes(Pipe);
                  },
                  &Message),
              1);
    EXPECT_EQ(Message, QString("Cannot open file \"%1\". Not a regular file").arg(Pipe));
}

TEST(ReadFileBytes, ExpandsRelativeNamesAgainstTheCurrentDirectory) {
    TempDir d;
    const QString Old = QDir::currentPath();
    QDir::setCurrent(d.path());
    // ".." is the system's: through a missing folder there is no file, and the name says so.
    const QString Real = QDir(d.path()).canonicalPath();
    try {
        MyTypes::ReadFileBytes("sub/../x.bin");
        FAIL() << "no error";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(
            e.Message(),
            QString("Cannot open file \"%1/sub/../x.bin\". No such file or directory").arg(Real));
    }
    ASSERT_TRUE(QDir(d.path()).mkdir("sub"));
    try {
        MyTypes::ReadFileBytes("./sub//../x.bin");
        FAIL() << "no error";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(),
                  QString("Cannot open file \"%1/x.bin\". No such file or directory").arg(Real));
    }
    QDir::setCurrent(Old);
}

TEST(WriteFileAtomically, ReplacesTheWholeFileAndKeepsItsPermissions) {
    TempDir d;
    const QString f = d.file("a.bin");
    WriteBytes(f, TMyByteArray(100, 7));
    ASSERT_EQ(::chmod(QFile::encodeName(f).constData(), 0640), 0);
    MyTypes::WriteFileAtomically(f, Bytes({1, 2, 3}));
    EXPECT_EQ(ReadBytes(f), Bytes({1, 2, 3}));
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(f).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(QDir(d.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

TEST(WriteFileAtomically, WritesThroughASymbolicLink) {
    TempDir d;
    const QString Real = d.file("real.bin");
    WriteBytes(Real, Bytes({9}));
    ASSERT_TRUE(QFile::link(Real, d.file("link.bin")));
    MyTypes::WriteFileAtomically(d.file("link.bin"), Bytes({4, 5}));
    EXPECT_TRUE(QFileInfo(d.file("link.bin")).isSymLink());
    EXPECT_EQ(ReadBytes(Real), Bytes({4, 5}));
}

TEST(WriteFileAtomically, RefusesDirectoriesAndMissingFolders) {
    TempDir d;
    ASSERT_TRUE(QDir(d.path()).mkdir("sub"));
    try {
        MyTypes::WriteFileAtomically(d.file("sub"), Bytes({1}));
        FAIL() << "no error";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(e.Message(),
                  QString("Cannot create file \"%1\". Is a directory").arg(d.file("sub")));
    }
    const QString Missing = d.file("none/a.bin");
    try {
        MyTypes::WriteFileAtomically(Missing, Bytes({1}));
        FAIL() << "no error";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(e.Message(),
                  QString("Cannot create file \"%1\". No such file or directory").arg(Missing));
    }
}

TEST(WriteFileAtomically, AWriteThatFailsPartWayLeavesTheOldFileWhole) {
    TempDir d;
    const QString f = d.file("old.bin");
    const TMyByteArray Old(64, 0x5A);
    WriteBytes(f, Old);
    QString Message;
    const int Status = RunWithFileSizeLimit(
        4096, [&] { MyTypes::WriteFileAtomically(f, TMyByteArray(100000, 1)); }, &Message);
    EXPECT_EQ(Status, 1);
    EXPECT_TRUE(Message.startsWith(QString("Cannot write file \"%1\". File too large").arg(f)))
        << Message.toStdString();
    EXPECT_EQ(ReadBytes(f), Old);
    EXPECT_EQ(QDir(d.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

// ---- Saves that respect the user's files ----------------------------------------------------

namespace {

struct stat StatOf(const QString& f) {
    struct stat st {};
    if (::lstat(QFile::encodeName(f).constData(), &st) != 0)
        ADD_FAILURE() << "no file " << f.toStdString();
    return st;
}

// Every name in a folder, hidden ones too: a temporary file left behind shows here.
QStringList Names(const QString& Folder) {
    return QDir(Folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
}

void Own(const QString& f, unsigned Uid, unsigned Gid, mode_t Mode) {
    ASSERT_EQ(::chown(QFile::encodeName(f).constData(), Uid, Gid), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(f).constData(), Mode), 0);
}

QString NameOfLength(int Bytes) {
    return QString(Bytes - 4, QLatin1Char('n')) + QStringLiteral(".spr");
}

} // namespace

TEST(WriteFileAtomically, RefusesAFileThatMayNotBeWrittenAndLeavesItAsItWas) {
    unsigned Nobody = 0, NoGroup = 0;
    if (::geteuid() != 0 || !NobodyIds(Nobody, NoGroup))
        GTEST_SKIP() << "needs root to make files for the user nobody and to become nobody";
    TempDir d(TempDir::OpenToEveryone);
    // A file of nobody's own that nobody made read-only.
    const QString ReadOnly = d.file("ro.spr");
    WriteBytes(ReadOnly, Bytes({1, 2, 3}));
    Own(ReadOnly, Nobody, NoGroup, 0444);
    // A file nobody may write, in a folder nobody may not write: replacing it needs a temporary
    // file in the folder, and writing into the file in place instead would lose it on a failure.
    ASSERT_TRUE(QDir(d.path()).mkdir("locked"));
    const QString InLocked = d.file("locked/open.spr");
    WriteBytes(InLocked, Bytes({4, 5}));
    Own(InLocked, Nobody, NoGroup, 0666);
    ASSERT_EQ(::chmod(QFile::encodeName(d.file("locked")).constData(), 0755), 0);

    for (const QString& f : {ReadOnly, InLocked}) {
        SCOPED_TRACE(f.toStdString());
        const struct stat Before = StatOf(f);
        const TMyByteArray Old = ReadBytes(f);
        const QStringList Listing = Names(QFileInfo(f).path());
        QString Message;
        const int Status =
            RunAsNobody([&] { MyTypes::WriteFileAtomically(f, TMyByteArray(5000, 9)); }, &Message);
        if (Status == NotDropped)
            GTEST_SKIP() << "the system does not let this process become nobody";
        EXPECT_EQ(Status, 1);
        EXPECT_EQ(Message, QString("Cannot create file \"%1\". Permission denied").arg(f));
        EXPECT_EQ(ReadBytes(f), Old);
        const struct stat After = StatOf(f);
        EXPECT_EQ(After.st_mode, Before.st_mode);
        EXPECT_EQ(After.st_uid, Before.st_uid);
        EXPECT_EQ(After.st_ino, Before.st_ino);
        EXPECT_EQ(Names(QFileInfo(f).path()), Listing);
    }
}

TEST(WriteFileAtomically, KeepsTheOwnerGroupAndModeOfTheOldFile) {
    unsigned Nobody = 0, NoGroup = 0;
    if (::geteuid() != 0 || !NobodyIds(Nobody, NoGroup))
        GTEST_SKIP() << "needs root to make files for the user nobody and to become nobody";
    TempDir d(TempDir::OpenToEveryone);
    // Root saving another user's file gives the new file that user and group.
    const QString Theirs = d.file("theirs.Map");
    WriteBytes(Theirs, Bytes({1}));
    Own(Theirs, Nobody, NoGroup, 0604);
    MyTypes::WriteFileAtomically(Theirs, Bytes({2, 3}));
    EXPECT_EQ(ReadBytes(Theirs), Bytes({2, 3}));
    EXPECT_EQ(StatOf(Theirs).st_uid, Nobody);
    EXPECT_EQ(StatOf(Theirs).st_gid, NoGroup);
    EXPECT_EQ(StatOf(Theirs).st_mode & 07777, 0604u);

    // A user saving a file of a group of theirs that is not their own group keeps that group.
    const unsigned Team = 4242;
    const QString Shared = d.file("shared.Map");
    WriteBytes(Shared, Bytes({1}));
    Own(Shared, Nobody, Team, 0640);
    QString Message;
    const int Status = RunAsNobody(
        [&] {
            MyTypes::WriteFileAtomically(Shared, Bytes({7, 8, 9}));
        },
        &Message, {Team});
    if (Status == NotDropped)
        GTEST_SKIP() << "the system does not let this process become nobody";
    ASSERT_EQ(Status, 0) << Message.toStdString();
    EXPECT_EQ(ReadBytes(Shared), Bytes({7, 8, 9}));
    EXPECT_EQ(StatOf(Shared).st_uid, Nobody);
    EXPECT_EQ(StatOf(Shared).st_gid, Team);
    EXPECT_EQ(StatOf(Shared).st_mode & 07777, 0640u);
    EXPECT_EQ(Names(d.path()), QStringList({"shared.Map", "theirs.Map"}));
}

TEST(WriteFileAtomically, WritesThroughAChainOfLinksAndRefusesALoop) {
    TempDir d;
    ASSERT_TRUE(QDir(d.path()).mkdir("sub"));
    const QString Real = d.file("real.spr");
    WriteBytes(Real, Bytes({1}));
    // sub/first -> ../second (relative to the link's folder) -> real.spr (absolute).
    ASSERT_EQ(::symlink(QFile::encodeName(Real).constData(),
                        QFile::encodeName(d.file("second")).constData()),
              0);
    ASSERT_EQ(::symlink("../second", QFile::encodeName(d.file("sub/first")).constData()), 0);
    MyTypes::WriteFileAtomically(d.file("sub/first"), Bytes({2, 3}));
    EXPECT_EQ(ReadBytes(Real), Bytes({2, 3}));
    EXPECT_EQ(QFileInfo(d.file("second")).symLinkTarget(), Real);
    EXPECT_EQ(QFile::encodeName(QFile::symLinkTarget(d.file("sub/first"))),
              QFile::encodeName(d.file("second")));
    EXPECT_EQ(Names(d.path()), QStringList({"real.spr", "second", "sub"}));
    EXPECT_EQ(Names(d.file("sub")), QStringList("first"));

    // A loop of two links, and a link to itself: an error, and nothing changes or is left.
    ASSERT_TRUE(QFile::link("loop-b", d.file("loop-a")));
    ASSERT_TRUE(QFile::link("loop-a", d.file("loop-b")));
    ASSERT_TRUE(QFile::link("self", d.file("self")));
    const QStringList Listing = Names(d.path());
    for (const QString& f : {d.file("loop-a"), d.file("self")}) {
        try {
            MyTypes::WriteFileAtomically(f, Bytes({4}));
            ADD_FAILURE() << "no error for " << f.toStdString();
        } catch (const EFCreateError& e) {
            EXPECT_EQ(
                e.Message(),
                QString("Cannot create file \"%1\". Too many levels of symbolic links").arg(f));
        }
    }
    EXPECT_EQ(Names(d.path()), Listing);
    EXPECT_TRUE(QFileInfo(d.file("loop-a")).isSymLink());
    EXPECT_TRUE(QFileInfo(d.file("loop-b")).isSymLink());
    EXPECT_TRUE(QFileInfo(d.file("self")).isSymLink());
}

TEST(WriteFileAtomically, SavesEveryNameTheFolderTakes) {
    // QSaveFile's temporary name is the target's name and seven more bytes.
    TempDir d;
    for (int Length : {248, 249, 255}) {
        SCOPED_TRACE(Length);
        const QString f = d.file(NameOfLength(Length));
        MyTypes::WriteFileAtomically(f, Bytes({1, 2}));
        EXPECT_EQ(ReadBytes(f), Bytes({1, 2}));
        ASSERT_EQ(::chmod(QFile::encodeName(f).constData(), 0640), 0);
        const ino_t OldInode = StatOf(f).st_ino;
        MyTypes::WriteFileAtomically(f, Bytes({3}));
        EXPECT_EQ(ReadBytes(f), Bytes({3}));
        EXPECT_EQ(StatOf(f).st_mode & 07777, 0640u);
        EXPECT_NE(StatOf(f).st_ino, OldInode); // replaced, not written in place
        EXPECT_EQ(Names(d.path()), QStringList(NameOfLength(Length)));
        ASSERT_TRUE(QFile::remove(f));
    }

    // Through a short link; and a write that fails part way leaves the old file and nothing else.
    const QString Long = d.file(NameOfLength(255));
    WriteBytes(Long, Bytes({5}));
    ASSERT_TRUE(QFile::link(NameOfLength(255), d.file("short")));
    MyTypes::WriteFileAtomically(d.file("short"), Bytes({6, 7}));
    EXPECT_EQ(ReadBytes(Long), Bytes({6, 7}));
    EXPECT_TRUE(QFileInfo(d.file("short")).isSymLink());
    QString Message;
    EXPECT_EQ(
        RunWithFileSizeLimit(
            4096, [&] { MyTypes::WriteFileAtomically(Long, TMyByteArray(10000, 1)); }, &Message),
        1);
    EXPECT_EQ(Message, QString("Cannot write file \"%1\". File too large").arg(Long));
    EXPECT_EQ(ReadBytes(Long), Bytes({6, 7}));
    EXPECT_EQ(Names(d.path()), QStringList({NameOfLength(255), "short"}));

    // A name longer than the folder takes is refused, and nothing is made.
    const QString TooLong = d.file(NameOfLength(256));
    try {
        MyTypes::WriteFileAtomically(TooLong, Bytes({1}));
        ADD_FAILURE() << "no error";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(e.Message(),
                  QString("Cannot create file \"%1\". File name too long").arg(TooLong));
    }
    EXPECT_EQ(Names(d.path()).size(), 2);
}

namespace {

void Link(const QString& Target, const QString& Name) {
    ASSERT_EQ(::symlink(QFile::encodeName(Target).constData(), QFile::encodeName(Name).constData()),
              0);
}

} // namespace

TEST(Paths, DotDotAfterALinkIsTheFolderAboveTheLinksTarget) {
    TempDir d;
    const QString Real = QDir(d.path()).canonicalPath();
    ASSERT_TRUE(QDir(Real).mkpath("here"));
    ASSERT_TRUE(QDir(Real).mkpath("far/deep"));
    Link("../far/deep", Real + "/here/sym");
    // here/sym/../x.spr is far/x.spr to the system and to every other program.
    const QString Through = Real + "/here/sym/../x.spr";
    EXPECT_EQ(MyTypes::ExpandFileName(Through), Real + "/far/x.spr");
    MyTypes::WriteFileAtomically(Through, Bytes({1, 2}));
    EXPECT_EQ(ReadBytes(Real + "/far/x.spr"), Bytes({1, 2}));
    EXPECT_FALSE(QFile::exists(Real + "/here/x.spr"));
    WriteBytes(Real + "/far/x.spr", Bytes({3}));
    EXPECT_EQ(MyTypes::ReadFileBytes(Through), Bytes({3}));
    // Relative to the current directory, and the data root of a session.
    const QString Old = QDir::currentPath();
    QDir::setCurrent(Real + "/here");
    EXPECT_EQ(MyTypes::ExpandFileName("sym/.././x.spr"), Real + "/far/x.spr");
    QDir::setCurrent(Old);

    // A relative link in a linked folder is taken from the folder the link lies in: Sprites is
    // far/deep, so Sprites/A1.spr -> ../x.spr is far/x.spr, not the root's x.spr.
    ASSERT_TRUE(QDir(Real).mkpath("root"));
    Link(Real + "/far/deep", Real + "/root/Sprites");
    Link("../x.spr", Real + "/far/deep/A1.spr");
    EXPECT_EQ(SaveFile::FinalTarget(Real + "/root/Sprites/A1.spr"), Real + "/far/x.spr");
    MyTypes::WriteFileAtomically(Real + "/root/Sprites/A1.spr", Bytes({4}));
    EXPECT_EQ(ReadBytes(Real + "/far/x.spr"), Bytes({4}));
    EXPECT_FALSE(QFile::exists(Real + "/root/x.spr"));
    EXPECT_TRUE(QFileInfo(Real + "/far/deep/A1.spr").isSymLink());
    EXPECT_TRUE(SaveFile::LiesWithin(Real + "/far/x.spr", Real + "/here/sym/../.."));
    EXPECT_FALSE(SaveFile::LiesWithin(Real + "/far/x.spr", Real + "/root"));
    EXPECT_FALSE(SaveFile::LiesWithin(Real + "/rootless", Real + "/root"));
}

TEST(FileStamp, AChangeThatKeepsSizeAndModificationTimeIsStillAChange) {
    TempDir d;
    const QString f = d.file("A1.spr");
    WriteBytes(f, Bytes({1, 2, 3, 4}));
    const TFileStamp Loaded = MyTypes::FileStampOf(f);
    EXPECT_EQ(MyTypes::FileStampOf(f), Loaded);
    struct stat Before {};
    ASSERT_EQ(::stat(QFile::encodeName(f).constData(), &Before), 0);
    const struct timespec Times[2] = {Before.st_atim, Before.st_mtim};
    ::usleep(20000);

    // Written in place, same size, the modification time set back (as "touch -r" does).
    WriteBytes(f, Bytes({4, 3, 2, 1}));
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(f).constData(), Times, 0), 0);
    TFileStamp Now = MyTypes::FileStampOf(f);
    EXPECT_EQ(Now.Size, Loaded.Size);
    EXPECT_EQ(Now.ModifiedNs, Loaded.ModifiedNs);
    EXPECT_NE(Now, Loaded);

    // Replaced by another file of the same size and time.
    const TFileStamp Second = Now;
    WriteBytes(d.file("other"), Bytes({9, 9, 9, 9}));
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(d.file("other")).constData(), Times, 0), 0);
    ASSERT_EQ(
        ::rename(QFile::encodeName(d.file("other")).constData(), QFile::encodeName(f).constData()),
        0);
    Now = MyTypes::FileStampOf(f);
    EXPECT_EQ(Now.ModifiedNs, Second.ModifiedNs);
    EXPECT_NE(Now.Inode, Second.Inode);
    EXPECT_NE(Now, Second);
}
