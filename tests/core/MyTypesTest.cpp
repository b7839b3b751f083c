// File helpers: error texts, atomic replacement, failures that must leave old files whole.

#include "shell/MyTypes.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace velkora;
using namespace velkora::test;

TEST(ReadFileBytes, ReportsMissingFilesAndDirectoriesWithTheAbsolutePath) {
    TempDir d;
    const QString Missing = d.file("nothing.spr");
    try {
        ReadFileBytes(Missing);
        FAIL() << "no error";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(),
                  QString("Cannot open file \"%1\". No such file or directory").arg(Missing));
    }
    try {
        ReadFileBytes(d.path());
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
                      ReadFileBytes(Pipe);
                  },
                  &Message),
              1);
    EXPECT_EQ(Message, QString("Cannot open file \"%1\". Not a regular file").arg(Pipe));
}

TEST(ReadFileBytes, ExpandsRelativeNamesAgainstTheCurrentDirectory) {
    TempDir d;
    const QString Old = QDir::currentPath();
    QDir::setCurrent(d.path());
    try {
        ReadFileBytes("sub/../x.bin");
        FAIL() << "no error";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(), QString("Cannot open file \"%1/x.bin\". No such file or directory")
                                   .arg(QDir(d.path()).canonicalPath()));
    }
    QDir::setCurrent(Old);
}

TEST(WriteFileAtomically, ReplacesTheWholeFileAndKeepsItsPermissions) {
    TempDir d;
    const QString f = d.file("a.bin");
    WriteBytes(f, TMyByteArray(100, 7));
    ASSERT_EQ(::chmod(QFile::encodeName(f).constData(), 0640), 0);
    WriteFileAtomically(f, Bytes({1, 2, 3}));
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
    WriteFileAtomically(d.file("link.bin"), Bytes({4, 5}));
    EXPECT_TRUE(QFileInfo(d.file("link.bin")).isSymLink());
    EXPECT_EQ(ReadBytes(Real), Bytes({4, 5}));
}

TEST(WriteFileAtomically, RefusesDirectoriesAndMissingFolders) {
    TempDir d;
    ASSERT_TRUE(QDir(d.path()).mkdir("sub"));
    try {
        WriteFileAtomically(d.file("sub"), Bytes({1}));
        FAIL() << "no error";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(e.Message(),
                  QString("Cannot create file \"%1\". Is a directory").arg(d.file("sub")));
    }
    const QString Missing = d.file("none/a.bin");
    try {
        WriteFileAtomically(Missing, Bytes({1}));
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
        4096, [&] { WriteFileAtomically(f, TMyByteArray(100000, 1)); }, &Message);
    EXPECT_EQ(Status, 1);
    EXPECT_TRUE(Message.startsWith(QString("Cannot write file \"%1\". File too large").arg(f)))
        << Message.toStdString();
    EXPECT_EQ(ReadBytes(f), Old);
    EXPECT_EQ(QDir(d.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}
