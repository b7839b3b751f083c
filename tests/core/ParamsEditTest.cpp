// SPDX-License-Identifier: MIT
// Changes of a user's parameters file: every byte but those of the element added or replaced
// stays, in every layout a hand-edited file may have, and two editors adding sets at once each get
// a set of their own.

#include "shell/ParamsEdit.h"
#include "shell/ParamsFile.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace velkora;
using namespace velkora::test;

namespace {

QByteArray ReadText(const QString& FileName) {
    const TMyByteArray b = ReadBytes(FileName);
    return QByteArray(reinterpret_cast<const char*>(b.data()), qsizetype(b.size()));
}

void WriteText(const QString& FileName, const QByteArray& Text) {
    WriteBytes(FileName, TMyByteArray(Text.begin(), Text.end()));
}

// Expects New to be Old with Inserted put in at At: every other byte the same.
void ExpectInsertion(const QByteArray& Old, const QByteArray& New, qsizetype At,
                     const QByteArray& Inserted) {
    ASSERT_EQ(New.size(), Old.size() + Inserted.size()) << New.toStdString();
    EXPECT_EQ(New.left(At), Old.left(At));
    EXPECT_EQ(New.mid(At, Inserted.size()), Inserted) << New.toStdString();
    EXPECT_EQ(New.mid(At + Inserted.size()), Old.mid(At));
}

// A file as users edit them by hand: standalone declaration, document type, comments, character
// references, single quotes, both forms of empty elements, blank lines, tabs, CRLF line ends.
const QByteArray HandMade = "<?xml version='1.0' encoding='UTF-8' standalone=\"yes\"?>\r\n"
                            "<!-- game palettes, do not touch -->\r\n"
                            "<!DOCTYPE Params>\r\n"
                            "<Params>\r\n"
                            "\t<Palettes>\r\n"
                            "\t\t<Pal0><C R='1' G=\"2\" B='&#51;'/></Pal0>\r\n"
                            "\r\n"
                            "\t\t<Pal1 note='second'><C R=\"4\"   G=\"5\" B=\"6\"></C></Pal1>\r\n"
                            "\t</Palettes>\r\n"
                            "\t<MapSets>\r\n"
                            "\t\t<Set_0 Tex2='1' Name='A1 &amp; B2' Tex1='0'/>\r\n"
                            "\r\n"
                            "\r\n"
                            "\t\t<Set_1 Name=\"&#x41;2 : B2\" Tex1=\"1\" Tex2=\"1\" ></Set_1>\r\n"
                            "\t</MapSets>\r\n"
                            "\t<PalSets><!-- none yet --></PalSets>\r\n"
                            "</Params>\r\n"
                            "<!-- end -->\r\n";

TPalletteArray Reversed() {
    TPalletteArray m{};
    for (int c = 0; c < 16; ++c)
        m[size_t(c)] = 15 - c;
    return m;
}

QByteArray PalSetText(int n, const TPalletteArray& m) {
    QByteArray t = "<Set_" + QByteArray::number(n) + " name=\"" + QByteArray::number(n) + "\"";
    for (int c = 0; c < 16; ++c)
        t += " p" + QByteArray::number(c + 1) + "=\"" + QByteArray::number(m[size_t(c)]) + "\"";
    return t + "/>";
}

} // namespace

TEST(ParamsEdit, AppendingASetChangesOnlyTheBytesOfTheNewElement) {
    TempDir d;
    TXMLDocument Doc;
    Doc.FileName = d.file("XMLParams.xml");
    WriteText(Doc.FileName, HandMade);

    // After the last set, on a line of its own with the siblings' tabs and line end.
    EXPECT_EQ(ParamsFile::AppendMapSet(Doc, TSet{2, 0, "C3 : \"A1\" <new>"}), 2);
    const QByteArray AfterMap = ReadText(Doc.FileName);
    ExpectInsertion(HandMade, AfterMap, HandMade.indexOf("</Set_1>") + 8,
                    "\r\n\t\t<Set_2 Name=\"C3 : &quot;A1&quot; &lt;new&gt;\" Tex1=\"2\" "
                    "Tex2=\"0\"/>");

    // The palette sets hold only a comment, on the container's line: the new set follows it.
    EXPECT_EQ(ParamsFile::AppendPalSet(Doc, Reversed()), 1);
    const QByteArray AfterPal = ReadText(Doc.FileName);
    ExpectInsertion(AfterMap, AfterPal, AfterMap.indexOf("<!-- none yet -->") + 17,
                    PalSetText(1, Reversed()));

    // What the readers make of it.
    TSetArray Maps;
    ParamsFile::ReadMapSets(Doc, Maps);
    ASSERT_EQ(Maps.size(), 3u);
    EXPECT_EQ(Maps[0].Name, "A1 & B2");
    EXPECT_EQ(Maps[1].Name, "A2 : B2");
    EXPECT_EQ(Maps[2].Name, "C3 : \"A1\" <new>");
    EXPECT_EQ(Maps[2].i1, 2);
    TPalSetArray Pals;
    EXPECT_THROW(ParamsFile::ReadPalSets(Doc, Pals), EFormatError); // the comment is set 0
    EXPECT_EQ(QDir(d.path()).entryList(QDir::Files | QDir::Hidden), QStringList("XMLParams.xml"));
}

TEST(ParamsEdit, AnEmptyContainerGetsItsFirstChildOnALineOfItsOwn) {
    struct Case {
        const char* Container;
        const char* Becomes;
    };
    const Case Cases[] = {
        {"<S/>", "<S>\n    <Set_0 Tex=\"1\"/>\n  </S>"},
        {"<S   />", "<S>\n    <Set_0 Tex=\"1\"/>\n  </S>"},
        {"<S></S>", "<S>\n    <Set_0 Tex=\"1\"/>\n  </S>"},
        {"<S>\n\n  </S>", "<S>\n    <Set_0 Tex=\"1\"/>\n  </S>"},
    };
    for (const Case& c : Cases) {
        SCOPED_TRACE(c.Container);
        TempDir d;
        TXMLDocument Doc;
        Doc.FileName = d.file("XMLParams.xml");
        const QByteArray Old = "<R>\n  <P/>\n  <M/>\n  " + QByteArray(c.Container) + "\n</R>\n";
        WriteText(Doc.FileName, Old);
        {
            TParamsFileEdit Edit(Doc);
            EXPECT_EQ(Edit.ChildCount({2}), 0);
            Edit.Append({2}, {"Set_0", {{"Tex", "1"}}, {}});
            EXPECT_EQ(Edit.ChildCount({2}), 1);
            Edit.Commit();
        }
        EXPECT_FALSE(Doc.Active());
        QByteArray Want = Old;
        Want.replace(c.Container, c.Becomes);
        EXPECT_EQ(ReadText(Doc.FileName), Want);
    }
}

TEST(ParamsEdit, ReplacingAndInsertingAPaletteKeepEveryOtherByte) {
    TempDir d;
    TXMLDocument Doc;
    Doc.FileName = d.file("XMLParams.xml");
    WriteText(Doc.FileName, HandMade);
    TXmlElementText Pal{"Pal1", {{"note", "new"}}, {}};
    for (int c = 0; c < 2; ++c)
        Pal.Children.push_back({"C", {{"R", QString::number(c)}, {"G", "0"}, {"B", "255"}}, {}});
    {
        TParamsFileEdit Edit(Doc);
        // The tree as read is there to choose from.
        EXPECT_EQ(ParamsFile::ChildAt(ParamsFile::Container(Edit.Document(), 0), 1).nodeName(),
                  "Pal1");
        Edit.Replace({0, 1}, Pal);
        Pal.Name = "PalNew";
        Edit.Insert({0, 1}, Pal);
        EXPECT_EQ(Edit.ChildCount({0}), 3);
        EXPECT_THROW(Edit.Replace({1, 5}, Pal), EFormatError);
        EXPECT_THROW(Edit.Replace({2, 0}, Pal), EFormatError); // a comment
        Edit.Commit();
    }
    const QByteArray New = ReadText(Doc.FileName);
    const qsizetype Begin = HandMade.indexOf("<Pal1");
    const qsizetype End = HandMade.indexOf("</Pal1>") + 7;
    // The palette put in before keeps the line's indent and the blank line stays before it.
    const QByteArray Element =
        "\r\n\t\t\t<C R=\"0\" G=\"0\" B=\"255\"/>\r\n\t\t\t<C R=\"1\" G=\"0\" "
        "B=\"255\"/>\r\n\t\t</";
    EXPECT_EQ(New, HandMade.left(Begin) + "<PalNew note=\"new\">" + Element + "PalNew>\r\n\t\t" +
                       "<Pal1 note=\"new\">" + Element + "Pal1>" + HandMade.mid(End));
    EXPECT_NO_THROW(Doc.Open());
    Doc.Close();
}

TEST(ParamsEdit, AFileTheEditorCannotWriteBackExactlyIsRefusedUntouched) {
    TempDir d;
    TXMLDocument Doc;
    Doc.FileName = d.file("XMLParams.xml");
    // UTF-16 with its byte order mark: kept as it is, the new set in UTF-16 too.
    const QString Text = QString::fromUtf8("\uFEFF<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n"
                                           "<R><P/><M/><S/></R>\n");
    QByteArray Utf16(reinterpret_cast<const char*>(Text.utf16()), Text.size() * 2);
    WriteText(Doc.FileName, Utf16);
    ParamsFile::AppendMapSet(Doc, TSet{1, 2, QString::fromUtf8("\u00c4 : \U0001F600")});
    const QByteArray New = ReadText(Doc.FileName);
    const QString Decoded =
        QString::fromUtf16(reinterpret_cast<const char16_t*>(New.constData()), New.size() / 2);
    EXPECT_EQ(Decoded, QString::fromUtf8("\uFEFF<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n"
                                         "<R><P/><M>\n  <Set_0 Name=\"\u00c4 : \U0001F600\" "
                                         "Tex1=\"1\" Tex2=\"2\"/>\n</M><S/></R>\n"));

    // An encoding the editor cannot write, and bytes that are not UTF-8: refused, nothing
    // written. Plain ASCII in such an encoding is the same text in any, and is changed.
    const struct {
        QByteArray File;
        const char* Error;
    } Refused[] = {
        {"<?xml version=\"1.0\" encoding=\"windows-1252\"?><R><P/><M n=\"\x80\"/><S/></R>",
         "is in the encoding \"windows-1252\", which the editor cannot write"},
        {"<R><P/><M note=\"caf\xE9\"/><S/></R>", "Encountered incorrectly encoded content"},
    };
    for (const auto& r : Refused) {
        WriteText(Doc.FileName, r.File);
        try {
            ParamsFile::AppendMapSet(Doc, TSet{1, 2, "x"});
            ADD_FAILURE() << "no error";
        } catch (const Exception& e) {
            EXPECT_TRUE(e.Message().contains(r.Error)) << e.Message().toStdString();
        }
        EXPECT_EQ(ReadText(Doc.FileName), r.File);
    }
    EXPECT_EQ(QDir(d.path()).entryList(QDir::Files | QDir::Hidden), QStringList("XMLParams.xml"));
    const QByteArray Ascii = "<?xml version=\"1.0\" encoding=\"windows-1252\"?><R><P/><M/><S/></R>";
    WriteText(Doc.FileName, Ascii);
    ParamsFile::AppendMapSet(Doc, TSet{1, 2, QString::fromUtf8("\u00e9")});
    EXPECT_EQ(ReadText(Doc.FileName),
              QByteArray(Ascii).replace("<M/>", "<M>\n  <Set_0 Name=\"&#233;\" Tex1=\"1\" "
                                                "Tex2=\"2\"/>\n</M>"));
}

TEST(ParamsEdit, EditorsAddingSetsAtOnceEachGetTheirOwnNumber) {
    TempDir d;
    TXMLDocument Doc;
    Doc.FileName = d.file("XMLParams.xml");
    WriteText(Doc.FileName, "<R>\n  <P/>\n  <M/>\n  <S/>\n</R>\n");
    constexpr int Editors = 4;
    constexpr int Each = 6;
    std::vector<pid_t> Children;
    for (int e = 0; e < Editors; ++e) {
        const pid_t Pid = ::fork();
        ASSERT_GE(Pid, 0);
        if (Pid == 0) {
            int Status = 0;
            try {
                TXMLDocument Mine;
                Mine.FileName = Doc.FileName;
                for (int i = 0; i < Each; ++i)
                    ParamsFile::AppendMapSet(Mine,
                                             TSet{e, i, QStringLiteral("%1 %2").arg(e).arg(i)});
            } catch (...) {
                Status = 1;
            }
            ::_exit(Status);
        }
        Children.push_back(Pid);
    }
    for (const pid_t Pid : Children) {
        int Status = 0;
        ASSERT_EQ(::waitpid(Pid, &Status, 0), Pid);
        EXPECT_TRUE(WIFEXITED(Status) && WEXITSTATUS(Status) == 0);
    }
    TSetArray Sets;
    ParamsFile::ReadMapSets(Doc, Sets);
    ASSERT_EQ(Sets.size(), size_t(Editors * Each));
    const QByteArray Text = ReadText(Doc.FileName);
    for (int n = 0; n < Editors * Each; ++n)
        EXPECT_EQ(Text.count("<Set_" + QByteArray::number(n) + " "), 1) << n;
    QStringList Names;
    for (const TSet& s : Sets)
        Names << s.Name;
    Names.removeDuplicates();
    EXPECT_EQ(Names.size(), Editors * Each);
    // The lock went with the last editor.
    EXPECT_EQ(QDir(d.path()).entryList(QDir::Files | QDir::Hidden), QStringList("XMLParams.xml"));
}

TEST(ParamsEdit, AFolderThatMayNotBeWrittenNeedsNoLockAndIsReported) {
    unsigned Nobody = 0, NoGroup = 0;
    if (::geteuid() != 0 || !NobodyIds(Nobody, NoGroup))
        GTEST_SKIP() << "needs root to make files for the user nobody and to become nobody";
    // nobody may write the file but not its folder: no lock file, no temporary file, no change.
    TempDir d(TempDir::OpenToEveryone);
    ASSERT_TRUE(QDir(d.path()).mkdir("root"));
    const QString Folder = d.file("root");
    ASSERT_EQ(::chmod(QFile::encodeName(Folder).constData(), 0755), 0);
    TXMLDocument Doc;
    Doc.FileName = Folder + "/XMLParams.xml";
    const QByteArray Old = "<R>\n  <P/>\n  <M/>\n  <S/>\n</R>\n";
    WriteText(Doc.FileName, Old);
    ASSERT_EQ(::chmod(QFile::encodeName(Doc.FileName).constData(), 0666), 0);
    QString Message;
    const int Status = RunAsNobody(
        [&] {
            ParamsFile::AppendMapSet(Doc, TSet{1, 2, "a : b"});
        },
        &Message);
    if (Status == NotDropped)
        GTEST_SKIP() << "the system does not let this process become nobody";
    EXPECT_EQ(Status, 1);
    EXPECT_EQ(Message, QString("Cannot create file \"%1\". Permission denied").arg(Doc.FileName));
    EXPECT_EQ(ReadText(Doc.FileName), Old);
    EXPECT_EQ(QDir(Folder).entryList(QDir::Files | QDir::Hidden), QStringList("XMLParams.xml"));
}
