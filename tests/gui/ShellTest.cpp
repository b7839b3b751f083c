// SPDX-License-Identifier: MIT
// The main window: start-up, workspace switching and the general error report.

#include "maps/MapFrm.h"
#include "palettes/BmpMaker.h"
#include "palettes/ChangePalletteFrm.h"
#include "shell/Application.h"
#include "shell/Session.h"
#include "shell/VelkoraProjectEditor.h"
#include "sprites/SpriteEditor.h"
#include "tests/gui/GuiTestMain.h"
#include "tests/support/DataRoot.h"
#include "tests/support/TestSupport.h"
#include "workbench/SpritesFrm.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QStatusBar>
#include <QStringList>
#include <QToolButton>

#include <memory>

using namespace velkora;

namespace {

// Counts the hide and show events of a widget, in order.
class ShowHideLog : public QObject {
public:
    QStringList Log;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Show)
            Log << "show";
        else if (e->type() == QEvent::Hide)
            Log << "hide";
        return false;
    }
};

// A widget whose mouse press handler fails, as a handler with a bad file would.
class FailingWidget : public QWidget {
public:
    int Presses = 0;
    void mousePressEvent(QMouseEvent*) override {
        ++Presses;
        throw Exception(QStringLiteral("Cannot open file \"/x\". No such file or directory"));
    }
};

// Whether every opaque pixel the icon shows in any mode and state is (nearly) without colour.
bool Greyed(const QIcon& Icon) {
    for (QIcon::Mode Mode : {QIcon::Normal, QIcon::Active})
        for (QIcon::State State : {QIcon::Off, QIcon::On}) {
            const QImage Image = Icon.pixmap(QSize(32, 32), Mode, State).toImage();
            for (int y = 0; y < Image.height(); ++y)
                for (int x = 0; x < Image.width(); ++x) {
                    const QColor c = Image.pixelColor(x, y);
                    if (c.alpha() > 128 && c.hsvSaturation() > 40)
                        return false;
                }
        }
    return true;
}

} // namespace

class ShellTest : public QObject {
    Q_OBJECT
    std::unique_ptr<test::TempDir> fRoot;
    std::unique_ptr<TSession> fSession;
    QStringList fErrors;

private slots:
    void initTestCase() {
        fRoot = std::make_unique<test::TempDir>();
        QVERIFY(test::RunTool({"make-demo", fRoot->path(), "--force"}) == 0 ||
                QDir(fRoot->path()).mkdir("Sprites"));
        TApplication::SetErrorSink([this](const QString& m) { fErrors << m; });
        fSession = std::make_unique<TSession>(fRoot->path());
    }
    void cleanupTestCase() { fSession.reset(); }

    void startUpCreatesTheWorkspacesAtTheFirstShow() {
        fErrors.clear();
        QCOMPARE(fSession->CurrentDir(), QDir(fRoot->path()).canonicalPath());
        TMainFrm w(*fSession);
        QVERIFY(w.SpritesFrm() == nullptr);
        QVERIFY(w.MapFrm() == nullptr);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(w.SpritesFrm() != nullptr);
        QVERIFY(w.MapFrm() != nullptr);
        TChPalFrm* const fChPalFrm = w.ChPalFrm();
        QVERIFY(fChPalFrm != nullptr);
        QCOMPARE(fChPalFrm->parentWidget(), w.SpritesFrm()->PalPanel);
        QVERIFY(w.SpritesFrm()->isVisible());
        QVERIFY(!w.MapFrm()->isVisible());
        QVERIFY(fChPalFrm->isVisible());
        QCOMPARE(w.VisibleFrm(), static_cast<QWidget*>(w.SpritesFrm()));
        QVERIFY(w.SpriteLoadFrame->isChecked());
        QVERIFY(!w.MapEditFrame->isChecked());
        // The menu bar above the toolbar and the status bar below the workspaces; the window
        // shows the whole map workspace as designed.
        QCOMPARE(w.ToolBar->height(), 39);
        QCOMPARE(w.SpriteLoadFrame->size(), QSize(39, 38));
        QCOMPARE(w.ToolBar->y(), w.MenuBar->height());
        QCOMPARE(w.ClientArea->geometry(), QRect(0, w.MenuBar->height() + 39, 776, 574));
        QCOMPARE(w.StatusBar->y(), w.ClientArea->geometry().bottom() + 1);
        QCOMPARE(w.windowTitle(), QString("A1.spr[*]"));
        QVERIFY(!w.isWindowModified());
        // Each workspace found what it reads at its creation: the workbench came first and
        // published the parameters document, the frame existed when the workbench was shown.
        QVERIFY2(fErrors.isEmpty(), qPrintable(fErrors.join('\n')));
        QVERIFY(fChPalFrm->OnChangeFirstPal() && fChPalFrm->OnSetPalSwap() &&
                fChPalFrm->OnResetbtnClick());
        QCOMPARE(w.SpritesFrm()->SpriteInfo().Bytes,
                 fSession->SpriteContainer().SpriteInfo(0).Bytes);
        QVERIFY(!w.SpritesFrm()->Image1->pixmap().isNull());
        // A second show of the main window builds nothing new.
        TSpriteFrm* const First = w.SpritesFrm();
        w.hide();
        w.show();
        QCOMPARE(w.SpritesFrm(), First);
    }

    void theButtonsSwitchWorkspacesAndFollowTheLastClick() {
        TMainFrm w(*fSession);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        TChPalFrm* const fChPalFrm = w.ChPalFrm();
        QTest::mouseClick(w.MapEditFrame, Qt::LeftButton);
        QVERIFY(w.MapFrm()->isVisible());
        QVERIFY(!w.SpritesFrm()->isVisible());
        QVERIFY(!fChPalFrm->isVisible());
        QVERIFY(!w.SpriteLoadFrame->isChecked());
        QVERIFY(w.MapEditFrame->isChecked());
        QVERIFY(w.MapEditFrame->isEnabled());
        // The map button keeps its greyed look, pressed or not; the sprite button is in colour.
        QVERIFY(Greyed(w.MapEditFrame->icon()));
        QVERIFY(!Greyed(w.SpriteLoadFrame->icon()));

        // The button of the workspace already shown hides and shows it again.
        ShowHideLog Log;
        w.MapFrm()->installEventFilter(&Log);
        QTest::mouseClick(w.MapEditFrame, Qt::LeftButton);
        QCOMPARE(Log.Log, QStringList({"hide", "show"}));
        QVERIFY(w.MapFrm()->isVisible());
        QVERIFY(w.MapEditFrame->isChecked());
        w.MapFrm()->removeEventFilter(&Log);

        ShowHideLog SpriteLog;
        w.SpritesFrm()->installEventFilter(&SpriteLog);
        QTest::mouseClick(w.SpriteLoadFrame, Qt::LeftButton);
        QCOMPARE(SpriteLog.Log, QStringList({"show"}));
        QVERIFY(w.SpritesFrm()->isVisible());
        QVERIFY(!w.MapFrm()->isVisible());
        QVERIFY(w.SpriteLoadFrame->isChecked());
        QVERIFY(!w.MapEditFrame->isChecked());
        QVERIFY(Greyed(w.MapEditFrame->icon()));

        // Clicking the pressed button leaves it pressed, and hides and shows the workbench
        // again, which reloads its sprite from the file: an import is discarded.
        TSpriteFrm* const s = w.SpritesFrm();
        const TMyArray Library = s->SpriteInfo().Bytes;
        const TMyArray Edited = test::PatternWords(3, 7);
        const QString EditFile = fRoot->file("import.edt");
        test::WriteBytes(EditFile, SpriteEditor::EditFileImage(Edited));
        s->OpenDialog1 = [EditFile] { return EditFile; };
        QTest::mouseClick(s->LoadFromIdaBtn, Qt::LeftButton);
        QCOMPARE(s->SpriteInfo().Bytes, Edited);
        SpriteLog.Log.clear();
        QTest::mouseClick(w.SpriteLoadFrame, Qt::LeftButton);
        QVERIFY(w.SpriteLoadFrame->isChecked());
        QVERIFY(!w.MapEditFrame->isChecked());
        QCOMPARE(SpriteLog.Log, QStringList({"hide", "show"}));
        QVERIFY(s->isVisible());
        QCOMPARE(s->SpriteInfo().Bytes, Library);
        w.SpritesFrm()->removeEventFilter(&SpriteLog);
    }

    void aBrokenParametersFileIsReportedOnceAndTheEditorWorks() {
        test::TempDir Dir;
        test::DataRoot Root(Dir.path());
        Root.AddSprite("A1.spr", test::PatternWords(20, 1));
        Root.AddMap("M.Map", 3, 2, test::Bytes({0, 1, 2, 3, 4, 60}));
        test::WriteBytes(Dir.file("XMLParams.xml"), test::Bytes({'<', 'R', '>', '<'}));
        fErrors.clear();
        TSession Session(Dir.path());
        TMainFrm w(Session);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(fErrors.size(), 1);
        QVERIFY2(fErrors.first().contains("XMLParams.xml"), qPrintable(fErrors.first()));
        // No palettes and no sets: the sprite shows in the grey ramp, the map opens, and both
        // can be saved.
        const QImage Shown = w.SpritesFrm()->Image1->pixmap().toImage();
        QVERIFY(!Shown.isNull());
        for (int y = 0; y < Shown.height(); ++y)
            for (int x = 0; x < Shown.width(); ++x)
                QVERIFY(BmpMaker::GreyRamp().contains(Shown.pixel(x, y)) ||
                        Shown.pixel(x, y) == TSpriteLayoutView::CheckerColor(x, y));
        QTest::mouseClick(w.SpritesFrm()->BitBtn4, Qt::LeftButton);
        QTest::mouseClick(w.MapEditFrame, Qt::LeftButton);
        QCOMPARE(w.MapFrm()->MapParams().Width, 3);
        QTest::mouseClick(w.MapFrm()->SaveBtn, Qt::LeftButton);
        QCOMPARE(fErrors.size(), 1);
    }

    void anotherDataRootOpensWithAFreshSessionAfterTheQuestion() {
        test::TempDir Dir;
        test::DataRoot Other(Dir.path());
        Other.Palettes = {test::DistinctPalette(0)};
        Other.WriteParams();
        Other.AddSprite("Z1.spr", test::PatternWords(9, 2));
        Other.AddSprite("Z2.spr", test::PatternWords(18, 3));
        fErrors.clear();
        TMainFrm w(*fSession);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QString EditFile = fRoot->file("other.edt");
        test::WriteBytes(EditFile, SpriteEditor::EditFileImage(test::PatternWords(4, 5)));
        w.SpritesFrm()->OpenDialog1 = [EditFile] { return EditFile; };
        QTest::mouseClick(w.SpritesFrm()->LoadFromIdaBtn, Qt::LeftButton);
        QVERIFY(w.SpritesFrm()->IsModified());

        // Cancel keeps the root and the unsaved import.
        SetQuestionSink([](const QString&, const QStringList& Answers) {
            return int(Answers.indexOf("Cancel"));
        });
        w.OpenRootDialog = [&] { return Dir.path(); };
        w.OpenRootAction->trigger();
        QCOMPARE(w.Session().CurrentDir(), fSession->CurrentDir());
        QCOMPARE(w.SpritesFrm()->SpriteInfo().Bytes, test::PatternWords(4, 5));

        // Discard opens the other root: its library, its palettes, saves into its files.
        test::AnswerDiscard();
        const QString OldDir = QDir::currentPath();
        w.OpenRootAction->trigger();
        QCOMPARE(w.Session().CurrentDir(), QDir(Dir.path()).absolutePath());
        QCOMPARE(w.SpritesFrm()->ComboBox1->count(), 2);
        QCOMPARE(w.SpritesFrm()->SpriteInfo().Bytes, test::PatternWords(9, 2));
        QCOMPARE(w.SpritesFrm()->PalCmb->count(), 1);
        QVERIFY(w.ChPalFrm() && w.ChPalFrm()->isVisible());
        QCOMPARE(w.windowTitle(), QString("Z1.spr[*]"));
        w.SpritesFrm()->CheckBox1->setChecked(false);
        QTest::mouseClick(w.SpritesFrm()->BitBtn4, Qt::LeftButton);
        QCOMPARE(test::ReadBytes(Other.SpritePath("Z1.spr")),
                 SpriteEditor::UncompressedSpriteImage(test::PatternWords(9, 2), 9));
        QVERIFY2(fErrors.isEmpty(), qPrintable(fErrors.join('\n')));
        QDir::setCurrent(OldDir);
    }

    void anErrorInAHandlerIsReportedAndTheProgramGoesOn() {
        fErrors.clear();
        FailingWidget f;
        f.resize(50, 50);
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        QTest::mouseClick(&f, Qt::LeftButton);
        QTest::mouseClick(&f, Qt::LeftButton);
        QCOMPARE(f.Presses, 2);
        QCOMPARE(fErrors.size(), 2);
        QCOMPARE(fErrors.first(), QString("Cannot open file \"/x\". No such file or directory"));
    }

    void aFirstSpriteNeitherWorkspaceCanReadIsReportedOnce() {
        fErrors.clear();
        test::TempDir Dir;
        test::DataRoot Root(Dir.path());
        Root.Palettes = {test::DistinctPalette(0)};
        Root.WriteParams();
        Root.AddSprite("B1.spr", test::PatternWords(9, 2));
        // The first sprite, and so the first texture of the map workspace, cannot be read.
        QVERIFY(QDir(Root.SpritePath(QString())).mkdir("A0.spr"));
        TSession Session(Dir.path());
        TMainFrm w(Session);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(fErrors.size(), 1);
        QVERIFY2(fErrors.first().startsWith(
                     QString("Cannot open file \"%1\".").arg(Root.SpritePath("A0.spr"))),
                 qPrintable(fErrors.first()));
        // Met again later, it is reported again.
        QTest::keyClick(w.SpritesFrm()->ComboBox1, Qt::Key_Down);
        QTest::keyClick(w.SpritesFrm()->ComboBox1, Qt::Key_Up);
        QCOMPARE(fErrors.size(), 2);
    }

    void anErrorBoxShowsNoMoreThanTheFirstLinesOfALongMessage() {
        fErrors.clear();
        RunReported(
            [] { throw Exception("The text \"" + QString(8 << 20, QChar('x')) + "\" is wrong"); });
        RunReported([] { throw Exception(QString("line\n").repeated(100)); });
        QCOMPARE(fErrors.size(), 2);
        QCOMPARE(fErrors[0], "The text \"" + QString(600 - 10, QChar('x')) + "...");
        QCOMPARE(fErrors[1], QString("line\n").repeated(8).chopped(1) + "...");
    }

    void anErrorInACreateHandlerIsReportedAndTheWindowStillCreated() {
        fErrors.clear();
        bool After = false;
        RunReported([&] {
            throw EListError(-1);
            After = true;
        });
        QVERIFY(!After);
        QCOMPARE(fErrors, QStringList({"List index out of bounds (-1)"}));
    }
};

VELKORA_GUI_TEST_MAIN(ShellTest)
#include "ShellTest.moc"
