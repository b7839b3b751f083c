// SPDX-License-Identifier: MIT
// The editor's start and what it remembers: the start page, the data root it opens, the recent
// data roots, the window and the views kept at close, the file dialogs' folders, the demo.

#include "maps/MapFrm.h"
#include "shell/FileDialogs.h"
#include "shell/Session.h"
#include "shell/Settings.h"
#include "shell/StartPage.h"
#include "shell/VelkoraProjectEditor.h"
#include "tests/gui/GuiTestMain.h"
#include "tests/support/DataRoot.h"
#include "tests/support/TestSupport.h"
#include "widgets/Questions.h"
#include "workbench/SpritesFrm.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QToolButton>

#include <memory>

using namespace velkora;

class StartTest : public QObject {
    Q_OBJECT
    std::unique_ptr<test::TempDir> fDir;
    QString fDemo;
    QString fOldDir;
    QStringList fErrors;

    QString Path(const QString& Name) const { return fDir->file(Name); }

private slots:
    void initTestCase() {
        fDir = std::make_unique<test::TempDir>();
        fDemo = QDir(Path("demo")).absolutePath();
        QCOMPARE(test::RunTool({"make-demo", fDemo}), 0);
        QVERIFY(QDir().mkpath(Path("plain")));
        fOldDir = QDir::currentPath();
        TApplication::SetErrorSink([this](const QString& m) { fErrors << m; });
    }
    void init() {
        Settings::Reset();
        fErrors.clear();
        test::AnswerDiscard();
    }
    void cleanup() {
        SetFileDialogSink(nullptr);
        QDir::setCurrent(fOldDir);
    }

    // Started where no data root is and with nothing remembered, the window shows the start
    // page, no error; a root opened from it is remembered.
    void theStartPageShowsWhenThereIsNoRootAndOpensOne() {
        QCOMPARE(Settings::StartDataRoot(Path("plain")), QString());
        TMainFrm w(nullptr);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(w.StartPage() && w.StartPage()->isVisible());
        QVERIFY(!w.SpritesFrm() && !w.MapFrm());
        QVERIFY(!w.SpriteLoadFrame->isEnabled() && !w.MapEditFrame->isEnabled());
        QVERIFY(!w.SpriteLoadFrame->isChecked());
        QVERIFY(w.StartPage()->RecentButtons.isEmpty());
        QVERIFY(w.StartPage()->NoRecentRoots->isVisible());
        for (const char* Word : {"Sprites", "Maps", "XMLParams.xml", "keep a copy"})
            QVERIFY2(w.StartPage()->Explanation->text().contains(Word), Word);
        QVERIFY2(fErrors.isEmpty(), qPrintable(fErrors.join('\n')));

        // Cancel in the folder dialog leaves the page.
        w.OpenRootDialog = [] { return QString(); };
        QTest::mouseClick(w.StartPage()->OpenRootButton, Qt::LeftButton);
        QVERIFY(w.StartPage() && !w.SpritesFrm());

        w.OpenRootDialog = [this] { return fDemo; };
        QTest::mouseClick(w.StartPage()->OpenRootButton, Qt::LeftButton);
        QVERIFY(!w.StartPage());
        QVERIFY(w.SpritesFrm() && w.SpritesFrm()->isVisible());
        QCOMPARE(w.Session().CurrentDir(), fDemo);
        QVERIFY(w.SpriteLoadFrame->isEnabled() && w.SpriteLoadFrame->isChecked());
        QCOMPARE(w.windowTitle(), QString("A1.spr[*]"));
        QCOMPARE(Settings::RecentRoots(), QStringList({fDemo}));
        QVERIFY2(fErrors.isEmpty(), qPrintable(fErrors.join('\n')));
    }

    // The recent list: newest first, each root once, at most 8; the start page greys the roots
    // that are gone and opens the others; the editor starts on the current folder when it is a
    // data root, else on the newest recent root while it is one.
    void theRecentRootsAreListedAndTheLastOneReopens() {
        QStringList Roots;
        for (int i = 0; i < 10; ++i) {
            const QString Root = Path(QStringLiteral("root%1").arg(i));
            if (i % 3 != 1) {
                test::DataRoot Made(Root);
                Made.AddSprite(QStringLiteral("R%1.spr").arg(i), test::PatternWords(2, i));
            }
            Roots.prepend(Root);
            Settings::AddRecentRoot(Root + (i == 4 ? "/" : ""));
        }
        Settings::AddRecentRoot(Path("root9"));
        Settings::AddRecentRoot(Path("root8/../root8"));
        Roots.move(1, 0);
        QCOMPARE(Settings::RecentRoots(), Roots.mid(0, 8));

        QCOMPARE(Settings::StartDataRoot(Path("plain")), Path("root8"));
        QCOMPARE(Settings::StartDataRoot(fDemo), fDemo);
        {
            TMainFrm w(nullptr);
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            TStartPage* Page = w.StartPage();
            QCOMPARE(Page->RecentButtons.size(), 8);
            QVERIFY(!Page->NoRecentRoots->isVisible());
            for (int i = 0; i < 8; ++i) {
                QCOMPARE(Page->RecentButtons[i]->text(), Roots[i]);
                QCOMPARE(Page->RecentButtons[i]->isEnabled(), Settings::IsDataRoot(Roots[i]));
            }
            QVERIFY(!Page->RecentButtons[2]->isEnabled()); // root7 was never made
            QTest::mouseClick(Page->RecentButtons[2], Qt::LeftButton);
            QVERIFY(w.StartPage());
            QTest::mouseClick(Page->RecentButtons[1], Qt::LeftButton);
            QVERIFY(!w.StartPage());
            QCOMPARE(w.Session().CurrentDir(), Path("root9"));
            QCOMPARE(w.SpritesFrm()->ComboBox1->currentText(), QString("R9.spr"));
        }
        QCOMPARE(Settings::RecentRoots().first(), Path("root9"));

        // A newest root that is gone: the start page, not an older root.
        QVERIFY(QDir(Path("root9")).removeRecursively());
        QCOMPARE(Settings::StartDataRoot(Path("plain")), QString());
    }

    // The built editor, started in a folder that is no data root, opens the root used last.
    void theProgramStartsOnTheLastDataRoot() {
        const QString Config = Path("config");
        QSettings Written(Config + "/velkora/velkora.conf", QSettings::IniFormat);
        Written.setValue("RecentRoots", QStringList{fDemo});
        Written.sync();
        QProcess p;
        QProcessEnvironment Env = QProcessEnvironment::systemEnvironment();
        Env.insert("QT_QPA_PLATFORM", "offscreen");
        Env.insert("XDG_CONFIG_HOME", Config);
        p.setProcessEnvironment(Env);
        p.setWorkingDirectory(Path("plain"));
        p.start(QStringLiteral(VELKORA_EDITOR), QStringList());
        QVERIFY(p.waitForStarted());
        const QString Cwd = QStringLiteral("/proc/%1/cwd").arg(p.processId());
        QTRY_COMPARE_WITH_TIMEOUT(QFileInfo(Cwd).canonicalFilePath(), fDemo, 10000);
        QVERIFY2(!p.waitForFinished(500), p.readAllStandardError());
        p.kill();
        p.waitForFinished();
    }

    // Closing keeps the window's size, the workspace shown and the views; the next window, also
    // on another root, starts with them. Help > Reset settings forgets them after a question.
    void theWindowAndTheViewsAreKeptAtCloseUntilReset() {
        TSession Session(fDemo);
        QSize DefaultSize;
        {
            TMainFrm w(Session);
            DefaultSize = w.size();
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            TSpriteFrm* s = w.SpritesFrm();
            s->SizeCmb->setCurrentIndex(3);
            s->CwCmb->setCurrentIndex(1);
            s->ZoomInAction->trigger();
            s->ZoomInAction->trigger();
            QTest::mouseClick(w.MapEditFrame, Qt::LeftButton);
            w.MapFrm()->ZoomInAction->trigger();
            w.MapFrm()->ShowGridAction->trigger();
            w.resize(DefaultSize + QSize(60, 40));
            QVERIFY(w.close());
        }
        const auto Expect = [&](TMainFrm& w, bool Remembered) {
            TSpriteFrm* s = w.SpritesFrm();
            QCOMPARE(w.VisibleFrm(),
                     Remembered ? static_cast<QWidget*>(w.MapFrm()) : static_cast<QWidget*>(s));
            QCOMPARE(w.MapEditFrame->isChecked(), Remembered);
            QCOMPARE(s->SizeCmb->currentText(), QString(Remembered ? "48x48" : "24x24"));
            QCOMPARE(s->CwCmb->currentText(), QString(Remembered ? "CCW" : "CW"));
            QCOMPARE(s->Zoom(), Remembered ? 3 : 1);
            QCOMPARE(w.MapFrm()->Zoom(), Remembered ? 2 : 1);
            QCOMPARE(w.MapFrm()->ShowGrid(), Remembered);
        };
        TMainFrm w(Session);
        QCOMPARE(w.size(), DefaultSize + QSize(60, 40));
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        Expect(w, true);

        // Cancel keeps every setting; Reset forgets them and puts the window back.
        QStringList Asked;
        SetQuestionSink([&Asked](const QString& q, const QStringList& Answers) {
            Asked << q;
            return int(Answers.indexOf("Cancel"));
        });
        w.ResetSettingsAction->trigger();
        QCOMPARE(Asked, QStringList({"Reset all settings to their defaults?"}));
        QVERIFY(!Settings::RecentRoots().isEmpty());
        Expect(w, true);
        SetQuestionSink([](const QString&, const QStringList& Answers) {
            return int(Answers.indexOf("Reset"));
        });
        w.ResetSettingsAction->trigger();
        QVERIFY(Settings::RecentRoots().isEmpty());
        QVERIFY(!Settings::Value("Window/Geometry").isValid());
        QCOMPARE(w.size(), DefaultSize);
        QTest::mouseClick(w.SpriteLoadFrame, Qt::LeftButton);
        Expect(w, false);

        // Another root opens with the views of the one before.
        w.SpritesFrm()->CwCmb->setCurrentIndex(1);
        w.MapFrm()->ShowGridAction->trigger();
        test::DataRoot Other(Path("other"));
        Other.AddSprite("O1.spr", test::PatternWords(30, 1));
        Other.AddMap("O.Map", 4, 4, TMyByteArray(16, 3));
        Other.WriteParams();
        w.OpenDataRoot(Other.Root());
        QCOMPARE(w.SpritesFrm()->CwCmb->currentText(), QString("CCW"));
        QVERIFY(w.MapFrm()->ShowGrid());
        QVERIFY2(fErrors.isEmpty(), qPrintable(fErrors.join('\n')));
    }

    // The file dialogs start in the folder of the last file of their kind and propose the name of
    // the sprite or map ("A1.png", "Level1.tmx").
    void theFileDialogsStartWhereTheLastFileWasAndProposeAName() {
        QList<TFileQuestion> Asked;
        QStringList Answers;
        SetFileDialogSink([&](const TFileQuestion& q) {
            Asked << q;
            return Answers.takeFirst();
        });
        QVERIFY(QDir().mkpath(Path("pictures")));
        QVERIFY(QDir().mkpath(Path("levels")));
        TSession Session(fDemo);
        TMainFrm w(Session);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        TSpriteFrm* s = w.SpritesFrm();

        Answers = {Path("pictures/first.png"), Path("pictures/second.png")};
        s->ExportPngAction->trigger();
        s->ExportPngAction->trigger();
        QCOMPARE(Asked.size(), 2);
        QCOMPARE(Asked[0].Kind, TFileQuestion::SaveFile);
        QCOMPARE(Asked[0].Start, QString("A1.png"));
        QCOMPARE(Asked[0].Suffix, QString("png"));
        QVERIFY(Asked[0].ConfirmOverwrite);
        QCOMPARE(Asked[1].Start, Path("pictures/A1.png"));
        QVERIFY(QFile::exists(Path("pictures/second.png")));
        Answers = {QString()};
        s->ImportPngAction->trigger();
        QCOMPARE(Asked[2].Kind, TFileQuestion::OpenFile);
        QCOMPARE(Asked[2].Start, Path("pictures"));

        // The edit file: its own folder, the sprite's name, replaced without a question.
        Answers = {Path("levels/a1-words"), QString()};
        QTest::mouseClick(s->SaveToIdaBtn, Qt::LeftButton);
        QCOMPARE(Asked[3].Start, QString("A1.bin"));
        QVERIFY(!Asked[3].ConfirmOverwrite);
        QCOMPARE(Asked[3].Suffix, QString());
        QVERIFY(QFile::exists(Path("levels/a1-words")));
        QTest::mouseClick(s->LoadFromIdaBtn, Qt::LeftButton);
        QCOMPARE(Asked[4].Start, Path("levels"));

        QTest::mouseClick(w.MapEditFrame, Qt::LeftButton);
        Answers = {Path("levels/first.tmx"), QString()};
        w.MapFrm()->ExportTmxAction->trigger();
        QCOMPARE(Asked[5].Start, QString("Level1.tmx"));
        QCOMPARE(Asked[5].Suffix, QString("tmx"));
        QVERIFY(QFile::exists(Path("levels/first.tmx")));
        w.MapFrm()->ImportTmxAction->trigger();
        QCOMPARE(Asked[6].Start, Path("levels"));

        // A data root: first beside the one open, then where the last one was chosen.
        Answers = {fDemo, QString()};
        w.OpenRootAction->trigger();
        QCOMPARE(Asked[7].Kind, TFileQuestion::Folder);
        QCOMPARE(Asked[7].Start, fDemo);
        w.OpenRootAction->trigger();
        QCOMPARE(Asked[8].Start, QFileInfo(fDemo).absolutePath());
        // Kept across runs; a folder that is gone is forgotten.
        QCOMPARE(FileDialogs::LastFolder("Png"), Path("pictures"));
        QVERIFY(QDir(Path("pictures")).removeRecursively());
        QCOMPARE(FileDialogs::LastFolder("Png"), QString());
        QVERIFY2(fErrors.isEmpty(), qPrintable(fErrors.join('\n')));
    }

    // File > Make a demo data root...: into the folder chosen when it is empty, else into a new
    // folder inside it; the demo is then open.
    void aDemoDataRootIsMadeAndOpened() {
        TMainFrm w(nullptr);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(QDir().mkpath(Path("empty")));
        w.DemoRootDialog = [this] { return Path("empty"); };
        QTest::mouseClick(w.StartPage()->MakeDemoButton, Qt::LeftButton);
        QVERIFY(!w.StartPage());
        QCOMPARE(w.Session().CurrentDir(), Path("empty"));
        QCOMPARE(w.SpritesFrm()->ComboBox1->count(), 8);
        QCOMPARE(test::ReadBytes(Path("empty/Maps/Level1.Map")),
                 test::ReadBytes(fDemo + "/Maps/Level1.Map"));

        test::WriteBytes(Path("plain/notes.txt"), test::Bytes({'a'}));
        w.DemoRootDialog = [this] { return Path("plain"); };
        for (const QString Made : {"plain/Velkora demo", "plain/Velkora demo 2"}) {
            w.MakeDemoAction->trigger();
            QCOMPARE(w.Session().CurrentDir(), Path(Made));
            QVERIFY(QFileInfo(Path(Made + "/XMLParams.xml")).isFile());
        }
        QCOMPARE(QDir(Path("plain")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name),
                 QStringList({"Velkora demo", "Velkora demo 2", "notes.txt"}));
        QCOMPARE(Settings::RecentRoots().first(), Path("plain/Velkora demo 2"));
        QVERIFY2(fErrors.isEmpty(), qPrintable(fErrors.join('\n')));
    }
};

VELKORA_GUI_TEST_MAIN(StartTest)
#include "StartTest.moc"
