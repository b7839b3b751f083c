// SPDX-License-Identifier: MIT
// What the editor tells its user: the Help menu's windows, the words on the controls, the keys,
// and the question before a file that is no edit file replaces a sprite.

#include "maps/MapFrm.h"
#include "palettes/ChangePalletteFrm.h"
#include "palettes/PalFrm.h"
#include "shell/HelpWindows.h"
#include "shell/Session.h"
#include "shell/VelkoraProjectEditor.h"
#include "shell/Version.h"
#include "sprites/SpriteEditor.h"
#include "tests/gui/GuiTestMain.h"
#include "tests/support/DataRoot.h"
#include "tests/support/TestSupport.h"
#include "widgets/DrawGrid.h"
#include "workbench/SpritesFrm.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTextBrowser>
#include <QToolButton>

#include <memory>

using namespace velkora;

namespace {

QString PlainText(const QString& Text) {
    return QString(Text).remove(QRegularExpression(QStringLiteral("<[^>]*>")));
}

QString NoMnemonic(QString Text) {
    return Text.remove(QLatin1Char('&'));
}

} // namespace

class HelpTest : public QObject {
    Q_OBJECT
    std::unique_ptr<test::TempDir> fDir;
    std::unique_ptr<TSession> fSession;
    std::unique_ptr<TMainFrm> fWindow;
    QStringList fErrors;

    QString Path(const QString& Name) const { return fDir->file(Name); }

private slots:
    void initTestCase() {
        fDir = std::make_unique<test::TempDir>();
        QCOMPARE(test::RunTool({"make-demo", Path("demo")}), 0);
        TApplication::SetErrorSink([this](const QString& m) { fErrors << m; });
    }
    void init() {
        fErrors.clear();
        test::AnswerDiscard();
        fSession = std::make_unique<TSession>(Path("demo"));
        fWindow = std::make_unique<TMainFrm>(*fSession);
        fWindow->show();
        QVERIFY(QTest::qWaitForWindowExposed(fWindow.get()));
    }
    void cleanup() {
        fWindow.reset();
        fSession.reset();
        QVERIFY2(fErrors.isEmpty(), qPrintable(fErrors.join('\n')));
    }

    // Help > Keyboard shortcuts lists every action's keys and text as the actions have them now,
    // and what the mouse does in each workspace.
    void theShortcutListNamesEveryActionsKeyAndTheMouse() {
        TMainFrm& w = *fWindow;
        // An action a workspace gains later is listed too.
        auto* Later = new QAction(QStringLiteral("&Later action"), w.MapFrm());
        Later->setShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_J));
        w.MapFrm()->ViewActions << Later;
        w.ShortcutsAction->trigger();
        QDialog* Window = w.ShortcutsWindow();
        QVERIFY(Window && Window->isVisible() && !Window->isModal());
        const QString Text = Window->findChild<QTextBrowser*>()->toPlainText();
        int Keys = 0;
        for (const QAction* a : w.findChildren<QAction*>()) {
            for (const QKeySequence& k : a->shortcuts()) {
                const QString Key = k.toString(QKeySequence::NativeText);
                QVERIFY2(Text.contains(Key + ", ") || Text.contains(Key + "\t") ||
                             Text.contains(Key + "\n") || Text.contains(Key + " "),
                         qPrintable(Key));
                ++Keys;
            }
            if (!a->shortcuts().isEmpty())
                QVERIFY2(Text.contains(NoMnemonic(a->text())), qPrintable(a->text()));
        }
        QVERIFY(Keys > 20);
        for (const char* Word : {"Ctrl+S", "Ctrl+Alt+J", "Later action", "F1", "Sprite workbench",
                                 "Map workspace", "Everywhere"})
            QVERIFY2(Text.contains(Word), Word);
        for (TWorkspace* Workspace :
             {static_cast<TWorkspace*>(w.SpritesFrm()), static_cast<TWorkspace*>(w.MapFrm())}) {
            QVERIFY(!Workspace->Gestures.isEmpty());
            for (const auto& [Do, What] : Workspace->Gestures)
                QVERIFY2(Text.contains(Do) && Text.contains(What), qPrintable(Do));
        }
        Window->close();
        QTRY_VERIFY(!w.ShortcutsWindow());
    }

    // Ctrl+S saves what the workspace shown edits, and only that: no two actions that answer at
    // the same time share a key.
    void eachKeyHasOneActionAtATime() {
        TMainFrm& w = *fWindow;
        QApplication::setActiveWindow(&w);
        QVERIFY(QTest::qWaitForWindowActive(&w));
        for (QToolButton* Button : {w.SpriteLoadFrame, w.MapEditFrame}) {
            QTest::mouseClick(Button, Qt::LeftButton);
            QMap<QString, QString> Owner;
            for (const QAction* a : w.findChildren<QAction*>()) {
                if (!a->isEnabled())
                    continue;
                for (const QKeySequence& k : a->shortcuts()) {
                    const QString Key = k.toString();
                    QVERIFY2(!Owner.contains(Key),
                             qPrintable(Key + ": " + Owner.value(Key) + ", " + a->text()));
                    Owner[Key] = a->text();
                }
            }
        }
        const QString Sprite = Path("demo/Sprites/A1.spr");
        const QString Map = Path("demo/Maps/Level1.Map");
        const TMyByteArray SpriteBytes = test::ReadBytes(Sprite);
        const TMyByteArray MapBytes = test::ReadBytes(Map);

        QTest::mouseClick(w.SpriteLoadFrame, Qt::LeftButton);
        const QString EditFile = Path("words.bin");
        const TMyArray Edited = test::PatternWords(5, 9);
        test::WriteBytes(EditFile, SpriteEditor::EditFileImage(Edited));
        w.SpritesFrm()->OpenDialog1 = [EditFile] { return EditFile; };
        QTest::mouseClick(w.SpritesFrm()->LoadFromIdaBtn, Qt::LeftButton);
        QVERIFY(w.SpritesFrm()->IsModified());
        QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier);
        QVERIFY(!w.SpritesFrm()->IsModified());
        TSpriteInfo Saved;
        Saved.Init(Sprite);
        QCOMPARE(Saved.Bytes, Edited);
        QCOMPARE(test::ReadBytes(Map), MapBytes);

        QTest::mouseClick(w.MapEditFrame, Qt::LeftButton);
        TDrawGrid* Grid = w.MapFrm()->DrawGrid1;
        QTest::mouseClick(Grid, Qt::LeftButton, {}, QPoint(30, 30));
        QVERIFY(w.MapFrm()->IsModified());
        const TMyByteArray SavedSprite = test::ReadBytes(Sprite);
        QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier);
        QVERIFY(!w.MapFrm()->IsModified());
        QVERIFY(test::ReadBytes(Map) != MapBytes);
        QCOMPARE(test::ReadBytes(Sprite), SavedSprite);
        QVERIFY(SavedSprite != SpriteBytes);
    }

    // Help > User guide shows the README's sections for users; Help > About names the version,
    // the licence, the project's address and the Qt version. Neither is modal.
    void theUserGuideAndTheAboutBox() {
        TMainFrm& w = *fWindow;
        w.UserGuideAction->trigger();
        QDialog* Guide = w.UserGuideWindow();
        QVERIFY(Guide && Guide->isVisible() && !Guide->isModal());
        const QString Text = Guide->findChild<QTextBrowser*>()->toPlainText();
        for (const char* Heading :
             {"The data root", "Your own game data", "The editor", "velkora-tool", "Installing"})
            QVERIFY2(Text.contains(Heading), Heading);
        for (const char* Heading : {"Layout of the source", "velkora_widgets", "./dev.sh asan"})
            QVERIFY2(!Text.contains(Heading), Heading);
        QCOMPARE(w.UserGuideAction->shortcut(), QKeySequence(QKeySequence::HelpContents));

        w.AboutAction->trigger();
        QMessageBox* About = w.AboutBox();
        QVERIFY(About && About->isVisible() && !About->isModal());
        const QString AboutText = PlainText(About->text());
        for (const QString& Word :
             {QStringLiteral("Velkora " VELKORA_VERSION), QStringLiteral("MIT licence"),
              QStringLiteral(VELKORA_HOMEPAGE), QStringLiteral("Qt %1").arg(qVersion())})
            QVERIFY2(AboutText.contains(Word), qPrintable(Word + " in " + AboutText));
        QVERIFY(QStringLiteral(VELKORA_HOMEPAGE).startsWith("https://"));
        About->close();
        Guide->close();
    }

    // A control that shows no text of its own has a tooltip and a name for screen readers, in
    // both workspaces and the palette-set frame.
    void everyControlWithoutTextHasATooltipAndAName() {
        TMainFrm& w = *fWindow;
        QStringList Missing;
        int Checked = 0;
        for (QWidget* c : w.findChildren<QWidget*>()) {
            bool Wordless = false;
            if (auto* b = qobject_cast<QAbstractButton*>(c))
                Wordless = b->text().isEmpty();
            else if (auto* l = qobject_cast<QLabel*>(c))
                Wordless = l->text().isEmpty() && (l->pixmap().isNull() == false ||
                                                   l->objectName() == QLatin1String("Image1"));
            else
                Wordless = qobject_cast<QComboBox*>(c) || qobject_cast<TDrawGrid*>(c) ||
                           qobject_cast<TPalSel*>(c) ||
                           (qobject_cast<TImageControl*>(c) &&
                            !c->parentWidget()->inherits("velkora::TPalSel") &&
                            !c->parentWidget()->objectName().startsWith("ScrollBox"));
            // Qt's own parts of a control (a menu bar's overflow button) are not the editor's.
            if (!Wordless || qobject_cast<QComboBox*>(c->parentWidget()) ||
                c->objectName().startsWith("qt_"))
                continue;
            ++Checked;
            if (c->toolTip().isEmpty() || c->accessibleName().isEmpty())
                Missing << c->objectName() + " (" + c->metaObject()->className() + ")";
        }
        QVERIFY2(Missing.isEmpty(), qPrintable(Missing.join(", ")));
        QVERIFY(Checked >= 20);
        TSpriteFrm* s = w.SpritesFrm();
        QCOMPARE(s->BitBtn4->toolTip(),
                 QString("Save the sprite into its library file (%1)")
                     .arg(s->SaveAction->shortcut().toString(QKeySequence::NativeText)));
        QCOMPARE(s->SaveToIdaBtn->toolTip(),
                 QString("Export the raw words to an edit file for other tools"));
        QCOMPARE(s->LoadFromIdaBtn->toolTip(),
                 QString("Replace the sprite's words with an edit file"));
        // The captions stay as designed.
        QCOMPARE(s->SaveToIdaBtn->text(), QString("Save"));
        QCOMPARE(s->LoadFromIdaBtn->text(), QString("Open"));
        // File > Save sprite does what the floppy does.
        QCOMPARE(NoMnemonic(s->SaveAction->text()), QString("Save sprite"));
        QVERIFY(w.FileMenu->actions().contains(s->SaveAction));
    }

    // "Open" asks before a file that is no whole number of tiles, or more than 16 times the
    // sprite, replaces it; Cancel keeps the sprite, Replace imports.
    void anEditFileThatIsNoSpritesAsksFirst() {
        TSpriteFrm* s = fWindow->SpritesFrm();
        const TMyArray Library = s->SpriteInfo().Bytes;
        const int Tiles = int(Library.size() / 16);
        QStringList Asked;
        int Answer = 1;
        SetQuestionSink([&](const QString& q, const QStringList& Answers) {
            Asked << q;
            return Answer < 0 ? int(Answers.indexOf("Replace")) : Answer;
        });
        QString File;
        s->OpenDialog1 = [&File] { return File; };
        const auto Import = [&](const QString& Name, const TMyByteArray& Bytes) {
            File = Path(Name);
            test::WriteBytes(File, Bytes);
            Asked.clear();
            QTest::mouseClick(s->LoadFromIdaBtn, Qt::LeftButton);
        };

        // A whole number of tiles up to 16 times the sprite: no question.
        Import("fits.bin", SpriteEditor::EditFileImage(test::PatternWords(16 * Tiles, 2)));
        QVERIFY(Asked.isEmpty());
        QCOMPARE(s->SpriteInfo().Bytes, test::PatternWords(16 * Tiles, 2));
        s->Document().UndoStack()->undo();
        QCOMPARE(s->SpriteInfo().Bytes, Library);

        // Not a whole number of tiles.
        Import("notes.txt", TMyByteArray(5130, 'x'));
        QCOMPARE(Asked, QStringList({QString("notes.txt is 5,130 bytes: 160 tiles and 10 bytes "
                                             "more of raw words. Replace A1.spr's %1 tiles with "
                                             "it?")
                                         .arg(Tiles)}));
        QCOMPARE(s->SpriteInfo().Bytes, Library);
        QVERIFY(!s->IsModified());

        // Larger than 16 times the sprite.
        const int Big = 16 * Tiles + 1;
        Import("big.bin", SpriteEditor::EditFileImage(test::PatternWords(Big, 3)));
        QCOMPARE(Asked.size(), 1);
        QVERIFY2(Asked.first().startsWith(QString("big.bin is %1 bytes: %2 tiles of raw words.")
                                              .arg(QLocale(QLocale::English).toString(32 * Big))
                                              .arg(QLocale(QLocale::English).toString(Big))),
                 qPrintable(Asked.first()));
        QCOMPARE(s->SpriteInfo().Bytes, Library);

        // Replace imports it.
        Answer = -1;
        Import("big.bin", SpriteEditor::EditFileImage(test::PatternWords(Big, 3)));
        QCOMPARE(Asked.size(), 1);
        QCOMPARE(s->SpriteInfo().Bytes, test::PatternWords(Big, 3));
    }
};

VELKORA_GUI_TEST_MAIN(HelpTest)
#include "HelpTest.moc"
