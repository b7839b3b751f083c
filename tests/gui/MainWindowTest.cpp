// SPDX-License-Identifier: MIT
// The main window's size and status bar across workspace switches and data roots, and its fit on
// the screen it opens on.

#include "maps/MapFrm.h"
#include "shell/Application.h"
#include "shell/Session.h"
#include "shell/VelkoraProjectEditor.h"
#include "tests/gui/GuiTestMain.h"
#include "tests/support/DataRoot.h"
#include "tests/support/TestSupport.h"
#include "workbench/SpritesFrm.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QToolButton>

#include <memory>

using namespace velkora;
using namespace velkora::test;

class MainWindowTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TempDir> fRoot;
    std::unique_ptr<TSession> fSession;
    QStringList fErrors;
    QString fOldDir;

    // The widgets the status bar holds: the workspaces' parts.
    static int StatusParts(const TMainFrm& w) {
        int n = 0;
        for (QWidget* c :
             w.StatusBar->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
            n += !c->inherits("QSizeGrip");
        return n;
    }

private slots:
    void initTestCase() {
        fOldDir = QDir::currentPath();
        fRoot = std::make_unique<TempDir>();
        QCOMPARE(RunTool({"make-demo", fRoot->path(), "--force"}), 0);
        TApplication::SetErrorSink([this](const QString& m) { fErrors << m; });
        fSession = std::make_unique<TSession>(fRoot->path());
    }
    void cleanupTestCase() {
        fSession.reset();
        QDir::setCurrent(fOldDir);
    }

    void theWindowKeepsItsSizeAcrossSwitchesAndDataRoots() {
        if (!qEnvironmentVariableIsEmpty("QT_SCALE_FACTOR"))
            QSKIP("run at the designed scale");
        fErrors.clear();
        TMainFrm w(*fSession);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QSize Size = w.size();
        QCOMPARE(Size.width(), 776);

        // To the maps and back, twice: the same window.
        for (int i = 0; i < 2; ++i) {
            QTest::mouseClick(w.MapEditFrame, Qt::LeftButton);
            QCOMPARE(w.size(), Size);
            QTest::mouseClick(w.SpriteLoadFrame, Qt::LeftButton);
            QCOMPARE(w.size(), Size);
        }

        // Another data root, twice, from the map workspace: the fields of the closed root go with
        // it, the new map workspace's fields follow its pointer, and the window and the shown
        // workspace stay.
        QTest::mouseClick(w.MapEditFrame, Qt::LeftButton);
        const int Parts = StatusParts(w);
        QCOMPARE(Parts, 2);
        w.OpenRootDialog = [&] { return fRoot->path(); };
        for (int i = 0; i < 2; ++i) {
            QPointer<QWidget> OldFields = w.MapFrm()->StatusWidget();
            w.OpenRootAction->trigger();
            QVERIFY(OldFields.isNull());
            QCOMPARE(StatusParts(w), Parts);
            QCOMPARE(w.size(), Size);
            QCOMPARE(w.VisibleFrm(), static_cast<QWidget*>(w.MapFrm()));
            QVERIFY(w.MapFrm()->isVisible());
            QVERIFY(!w.SpritesFrm()->isVisible());
            QVERIFY(w.MapEditFrame->isChecked());
            QVERIFY(!w.SpriteLoadFrame->isChecked());
            QVERIFY(w.MapFrm()->StatusWidget()->isVisible());
            QVERIFY(!w.SpritesFrm()->StatusWidget()->isVisible());
            QTest::mouseMove(w.MapFrm()->DrawGrid1, QPoint(6 + 24 * i, 6));
            QCOMPARE(w.MapFrm()->CellStatus->text().left(12), QString("Cell (%1, 0):").arg(i));
            QVERIFY(w.MapFrm()->CellStatus->isVisible());
        }
        // The map's controls stay on the window.
        const QRect Panel(w.MapFrm()->LeftPanel->mapTo(&w, QPoint(0, 0)),
                          w.MapFrm()->LeftPanel->size());
        QVERIFY(w.rect().contains(Panel));
        QVERIFY2(fErrors.isEmpty(), qPrintable(fErrors.join('\n')));
    }

    void theWorkbenchsToolsAnswerTheirKeysAndThePictureGrowsWithTheWindow() {
        if (!qEnvironmentVariableIsEmpty("QT_SCALE_FACTOR"))
            QSKIP("run at the designed scale");
        fErrors.clear();
        TMainFrm w(*fSession);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        // The window opens on the workspace shown last.
        QTest::mouseClick(w.SpriteLoadFrame, Qt::LeftButton);
        TSpriteFrm* s = w.SpritesFrm();
        // At the designed window size the picture has its designed size.
        QCOMPARE(s->Image1->size(), QSize(230, 96));
        QVERIFY(s->ToolsMenu->menuAction()->isVisible());
        QTest::keyClick(&w, Qt::Key_G);
        QCOMPARE(s->Tool(), TPixelToolKind::Fill);
        QTest::keyClick(&w, Qt::Key_M);
        QCOMPARE(s->Tool(), TPixelToolKind::Select);
        QTest::keyClick(&w, Qt::Key_G, Qt::ControlModifier);
        QVERIFY(s->ShowGridAction->isChecked());
        QTest::keyClick(&w, Qt::Key_G, Qt::ControlModifier);
        QVERIFY(!s->ShowGridAction->isChecked());
        w.resize(w.size() + QSize(200, 100));
        QCOMPARE(s->Image1->size(), QSize(430, 196));
        // The map workspace takes the keys back: the sprite's menus and keys go with it.
        QTest::mouseClick(w.MapEditFrame, Qt::LeftButton);
        QVERIFY(!s->ToolsMenu->menuAction()->isVisible());
        QTest::keyClick(&w, Qt::Key_P);
        QCOMPARE(s->Tool(), TPixelToolKind::Select);
        QVERIFY2(fErrors.isEmpty(), qPrintable(fErrors.join('\n')));
    }

    void theWindowFitsTheScreenItOpensOn() {
        TMainFrm w(*fSession);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QRect Screen = w.screen()->availableGeometry();
        QVERIFY2(Screen.contains(w.frameGeometry()),
                 qPrintable(QString("window %1 x %2 at (%3, %4) on a screen of %5 x %6")
                                .arg(w.frameGeometry().width())
                                .arg(w.frameGeometry().height())
                                .arg(w.frameGeometry().x())
                                .arg(w.frameGeometry().y())
                                .arg(Screen.width())
                                .arg(Screen.height())));
        // The map workspace's panel, with its Save button, is on the screen.
        QTest::mouseClick(w.MapEditFrame, Qt::LeftButton);
        const QRect Save(w.MapFrm()->SaveBtn->mapToGlobal(QPoint(0, 0)),
                         w.MapFrm()->SaveBtn->size());
        QVERIFY(Screen.contains(Save));
        QVERIFY(w.rect().contains(w.mapFromGlobal(Save.topLeft())));
    }
};

VELKORA_GUI_TEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
