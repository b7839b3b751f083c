// SPDX-License-Identifier: MIT
// What the editor's saves may touch, driven through the real buttons: a file of the data root
// that leads outside it is written only when the user says so, words the compressed form cannot
// hold are dropped only when the user says so, and entries whose names are not valid UTF-8 show
// in the lists and say why they cannot be opened.

#include "maps/MapFrm.h"
#include "maps/MapLoader.h"
#include "palettes/ChangePalletteFrm.h"
#include "shell/Application.h"
#include "shell/Session.h"
#include "sprites/CompDecompUnit.h"
#include "sprites/SpriteEditor.h"
#include "tests/gui/GuiTestMain.h"
#include "tests/support/DataRoot.h"
#include "tests/support/TestSupport.h"
#include "workbench/SpritesFrm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QPushButton>

#include <fcntl.h>
#include <memory>
#include <unistd.h>

using namespace velkora;
using namespace velkora::test;

namespace {

void Choose(QComboBox* Box, int Index) {
    while (Box->currentIndex() < Index)
        QTest::keyClick(Box, Qt::Key_Down);
    while (Box->currentIndex() > Index)
        QTest::keyClick(Box, Qt::Key_Up);
}

bool Link(const QString& Target, const QString& Name) {
    return ::symlink(QFile::encodeName(Target).constData(), QFile::encodeName(Name).constData()) ==
           0;
}

const QString NotUtf8 =
    "The name is not valid UTF-8, so the file cannot be opened under it; rename it";

} // namespace

class SaveTargetsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TempDir> fDir;
    QString fOutside; // a folder beside the data root, canonical
    std::unique_ptr<DataRoot> fRoot;
    std::unique_ptr<TSession> fSession;
    QStringList fErrors;
    QStringList fAsked;
    TSpriteFrm* fFrm = nullptr;
    QPointer<TChPalFrm> fChPalFrm;

    void StartSession() {
        fSession = std::make_unique<TSession>(fRoot->Root());
        RunReported([&] { fSession->ReadParameters(); });
    }

    // The workbench with the palette-set frame docked, as the main window makes them.
    void StartWorkbench() {
        StartSession();
        fFrm = new TSpriteFrm(*fSession);
        fChPalFrm = new TChPalFrm(*fSession, &fFrm->Document());
        fFrm->DockPalFrm(fChPalFrm);
        fFrm->show();
        QVERIFY(QTest::qWaitForWindowExposed(fFrm));
    }

    // Answers every question with Answer, recording the questions.
    void AnswerWith(const QString& Answer) {
        SetQuestionSink([this, Answer](const QString& Question, const QStringList& Answers) {
            fAsked << Question;
            return int(Answers.indexOf(Answer));
        });
    }

private slots:
    void initTestCase() {
        TApplication::SetErrorSink([this](const QString& m) { fErrors << m; });
    }

    void init() {
        fErrors.clear();
        fAsked.clear();
        fDir = std::make_unique<TempDir>();
        const QString Base = QDir(fDir->path()).canonicalPath();
        QVERIFY(QDir(Base).mkdir("outside"));
        fOutside = Base + "/outside";
        fRoot = std::make_unique<DataRoot>(Base + "/root");
        fRoot->Palettes = {DistinctPalette(0), DistinctPalette(1), DistinctPalette(2)};
        fRoot->PalSets = {MyTypes::IdentityPallette()};
    }

    void cleanup() {
        AnswerDiscard();
        delete fFrm;
        fFrm = nullptr;
        fSession.reset();
        fRoot.reset();
        fDir.reset();
    }

    void aLibrarySaveThroughALinkOutsideTheRootAsksFirst() {
        const TMyArray Words = PatternWords(8, 3);
        fRoot->WriteParams();
        // A1.spr leads out of the root; B1.spr is a link to another file inside it.
        const QString Notes = fOutside + "/notes.txt";
        WriteBytes(Notes, SpriteEditor::UncompressedSpriteImage(Words, 8));
        QVERIFY(Link(Notes, fRoot->SpritePath("A1.spr")));
        QVERIFY(QDir(fRoot->Root()).mkdir("Other"));
        WriteBytes(fRoot->Root() + "/Other/b.spr", SpriteEditor::UncompressedSpriteImage(Words, 8));
        QVERIFY(Link("../Other/b.spr", fRoot->SpritePath("B1.spr")));
        StartWorkbench();
        QCOMPARE(fFrm->SpriteInfo().Bytes, Words);

        // A1.spr is uncompressed, and so is its save unless the box is ticked.
        QVERIFY(!fFrm->CheckBox1->isChecked());
        fFrm->CheckBox1->setChecked(true);
        const TMyByteArray Before = ReadBytes(Notes);
        AnswerWith("Cancel");
        QTest::mouseClick(fFrm->BitBtn4, Qt::LeftButton);
        QCOMPARE(
            fAsked,
            QStringList(
                QString("A1.spr is a link to %1, outside the data root. Write there?").arg(Notes)));
        QCOMPARE(ReadBytes(Notes), Before);

        AnswerWith("Write");
        QTest::mouseClick(fFrm->BitBtn4, Qt::LeftButton);
        QCOMPARE(ReadBytes(Notes), CompDecompUnit::Compress(Words));
        QVERIFY(QFileInfo(fRoot->SpritePath("A1.spr")).isSymLink());

        // A link that stays inside the root is written through without a word.
        fAsked.clear();
        Choose(fFrm->ComboBox1, 1);
        fFrm->CheckBox1->setChecked(true);
        QTest::mouseClick(fFrm->BitBtn4, Qt::LeftButton);
        QVERIFY2(fAsked.isEmpty(), qPrintable(fAsked.join('\n')));
        QCOMPARE(ReadBytes(fRoot->Root() + "/Other/b.spr"), CompDecompUnit::Compress(Words));
        QVERIFY2(fErrors.isEmpty(), qPrintable(fErrors.join('\n')));
    }

    void aMapSaveAndSetsThroughLinksOutsideTheRootAskFirst() {
        fRoot->AddSprite("A1.spr", PatternWords(225, 1));
        fRoot->WriteParams();
        // The map and the parameters file both lead out of the root.
        const QString MapFile = fOutside + "/level.Map";
        const TMyByteArray Stored = {0, 2, 0, 2, 0, 2, 1, 2, 3, 4, 0xFF, 0xFF}; // transposed
        WriteBytes(MapFile, Stored);
        QVERIFY(Link(MapFile, fRoot->MapPath("L1.Map")));
        const QString Params = fOutside + "/XMLParams.xml";
        QVERIFY(QFile::rename(fRoot->Root() + "/XMLParams.xml", Params));
        QVERIFY(Link(Params, fRoot->Root() + "/XMLParams.xml"));
        const TMyByteArray ParamsBefore = ReadBytes(Params);
        StartWorkbench();
        TMainForm Maps(*fSession);
        Maps.show();
        QVERIFY(QTest::qWaitForWindowExposed(&Maps));
        QVERIFY2(fErrors.isEmpty(), qPrintable(fErrors.join('\n')));

        const QString MapQuestion =
            QString("L1.Map is a link to %1, outside the data root. Write there?").arg(MapFile);
        const QString ParamsQuestion =
            QString("XMLParams.xml is a link to %1, outside the data root. Write there?")
                .arg(Params);
        AnswerWith("Cancel");
        QTest::mouseClick(Maps.SaveBtn, Qt::LeftButton);
        QTest::mouseClick(Maps.BitBtn1, Qt::LeftButton);
        QTest::mouseClick(fChPalFrm->Addbtn, Qt::LeftButton);
        QCOMPARE(fAsked, QStringList({MapQuestion, ParamsQuestion, ParamsQuestion}));
        QCOMPARE(ReadBytes(MapFile), Stored);
        QCOMPARE(ReadBytes(Params), ParamsBefore);
        QCOMPARE(Maps.SetsCMB->count(), 0);

        fAsked.clear();
        AnswerWith("Write");
        QTest::mouseClick(Maps.SaveBtn, Qt::LeftButton);
        QTest::mouseClick(Maps.BitBtn1, Qt::LeftButton);
        QTest::mouseClick(fChPalFrm->Addbtn, Qt::LeftButton);
        QCOMPARE(fAsked, QStringList({MapQuestion, ParamsQuestion, ParamsQuestion}));
        QCOMPARE(ReadBytes(MapFile), Bytes({0, 1, 0, 2, 0, 2, 1, 3, 2, 4, 0xFF, 0xFF}));
        QCOMPARE(Maps.SetsCMB->count(), 1);
        QCOMPARE(fChPalFrm->PalCmb->count(), 2);
        QVERIFY(QFileInfo(fRoot->Root() + "/XMLParams.xml").isSymLink());
        QVERIFY2(fErrors.isEmpty(), qPrintable(fErrors.join('\n')));
    }

    void wordsThatAreNotAWholeTileAreDroppedOnlyWhenTheUserSays() {
        // One tile and four words, as a plain sprite file holds them (words from offset 5).
        const TMyArray Words = PatternWords(2, 4);
        const TMyArray Tile(Words.begin(), Words.begin() + 16);
        TMyArray Partial(Words.begin(), Words.begin() + 20);
        TMyByteArray Plain = {'P', 'L', 'A', 'I', 'N'};
        const TMyByteArray Body = SpriteEditor::EditFileImage(Partial);
        Plain.insert(Plain.end(), Body.begin(), Body.end());
        WriteBytes(fRoot->SpritePath("P1.spr"), Plain);
        fRoot->WriteParams();
        StartWorkbench();
        QCOMPARE(fFrm->SpriteInfo().Bytes, Partial);
        QVERIFY(fFrm->CheckBox1->isChecked());
        const QString Question = "P1.spr ends with 4 words that are not a whole tile. The "
                                 "compressed form holds whole tiles only.";

        AnswerWith("Cancel");
        QTest::mouseClick(fFrm->BitBtn4, Qt::LeftButton);
        QCOMPARE(fAsked, QStringList(Question));
        QCOMPARE(ReadBytes(fRoot->SpritePath("P1.spr")), Plain);

        // The uncompressed form keeps them, and reads back as the same words.
        AnswerWith("Save uncompressed");
        QTest::mouseClick(fFrm->BitBtn4, Qt::LeftButton);
        QCOMPARE(ReadBytes(fRoot->SpritePath("P1.spr")),
                 SpriteEditor::UncompressedSpriteImage(Partial, 1));
        TSpriteInfo Back;
        Back.Init(fRoot->SpritePath("P1.spr"));
        QCOMPARE(Back.Bytes, Partial);

        // The box now shows the file's uncompressed form; ticked again, the question comes back.
        QVERIFY(!fFrm->CheckBox1->isChecked());
        fFrm->CheckBox1->setChecked(true);
        AnswerWith("Drop them");
        QTest::mouseClick(fFrm->BitBtn4, Qt::LeftButton);
        QCOMPARE(ReadBytes(fRoot->SpritePath("P1.spr")), CompDecompUnit::Compress(Tile));
        QCOMPARE(fAsked.size(), 3);

        // Whole tiles ask nothing.
        fAsked.clear();
        fFrm->OpenDialog1 = [this, Tile] {
            WriteBytes(fDir->file("tile.edt"), SpriteEditor::EditFileImage(Tile));
            return fDir->file("tile.edt");
        };
        QTest::mouseClick(fFrm->LoadFromIdaBtn, Qt::LeftButton);
        QTest::mouseClick(fFrm->BitBtn4, Qt::LeftButton);
        QVERIFY(fAsked.isEmpty());
        QVERIFY2(fErrors.isEmpty(), qPrintable(fErrors.join('\n')));
    }

    void namesThatAreNotUtf8ShowAndSayWhyTheyCannotBeOpened() {
        fRoot->AddSprite("A1.spr", PatternWords(4, 1));
        fRoot->AddMap("L1.Map", 2, 2, Bytes({1, 2, 3, 4}));
        const QByteArray Root = QFile::encodeName(fRoot->Root());
        for (const QByteArray& Name : {Root + "/Sprites/A\xff"
                                              "2.spr",
                                       Root + "/Maps/M\xfe.Map"}) {
            const int fd = ::open(Name.constData(), O_WRONLY | O_CREAT, 0644);
            QVERIFY(fd >= 0);
            ::close(fd);
        }
        fRoot->WriteParams();
        StartWorkbench();
        QCOMPARE(fFrm->ComboBox1->count(), 2);
        QCOMPARE(fFrm->ComboBox1->itemText(1), QString("A") + QChar(0xDCFF) + "2.spr");
        QTest::keyClick(fFrm->ComboBox1, Qt::Key_Down);
        QCOMPARE(fErrors, QStringList(QString("Cannot open file \"%1/Sprites/A\\xFF2.spr\". %2")
                                          .arg(fRoot->Root(), NotUtf8)));
        QCOMPARE(fFrm->ComboBox1->currentIndex(), 0);
        QCOMPARE(fFrm->SpriteInfo().Bytes, PatternWords(4, 1));

        fErrors.clear();
        TMainForm Maps(*fSession);
        Maps.show();
        QVERIFY(QTest::qWaitForWindowExposed(&Maps));
        QCOMPARE(Maps.LevelCmb->count(), 2);
        QTest::keyClick(Maps.LevelCmb, Qt::Key_Down);
        QVERIFY2(fErrors.size() == 1, qPrintable(fErrors.join("\n")));
        QCOMPARE(fErrors, QStringList(QString("Cannot open file \"%1/Maps/M\\xFE.Map\". %2")
                                          .arg(fRoot->Root(), NotUtf8)));
        QCOMPARE(Maps.LevelCmb->currentIndex(), 0);
        QCOMPARE(Maps.MapFileName(), fRoot->MapPath("L1.Map"));

        // The temporary folder cannot remove names it cannot spell.
        ::unlink(Root + "/Sprites/A\xff"
                        "2.spr");
        ::unlink(Root + "/Maps/M\xfe.Map");
    }
};

VELKORA_GUI_TEST_MAIN(SaveTargetsTest)
#include "SaveTargetsTest.moc"
