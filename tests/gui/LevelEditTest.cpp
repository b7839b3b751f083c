// SPDX-License-Identifier: MIT
// Level building in the map workspace, driven with real mouse and key events in the main window:
// select, copy and paste at another place at 2x and undo; a stamp picked by a drag over the item
// grid and painted by a drag; a paste between two maps through the clipboard; Resize map....

#include "maps/LevelEdit.h"
#include "maps/MapFrm.h"
#include "maps/MapSelection.h"
#include "maps/MapStatus.h"
#include "shell/Application.h"
#include "shell/Session.h"
#include "shell/VelkoraProjectEditor.h"
#include "tests/gui/GuiTestMain.h"
#include "tests/support/DataRoot.h"
#include "tests/support/TestSupport.h"
#include "widgets/StatusField.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QSpinBox>
#include <QToolButton>
#include <QUndoStack>

#include <memory>

using namespace velkora;
using namespace velkora::test;

namespace {

// A press, move or release at a point of a grid (client coordinates, inside its one-pixel
// border), with buttons and keys held, as the window system delivers it.
void Send(QWidget* Grid, QEvent::Type Type, QPoint Client, Qt::MouseButton Button,
          Qt::KeyboardModifiers Keys = {}, int Border = 1) {
    const QPoint p = Client + QPoint(Border, Border);
    const Qt::MouseButtons Held =
        Type == QEvent::MouseButtonRelease ? Qt::MouseButtons() : Qt::MouseButtons(Button);
    QMouseEvent e(Type, p, Grid->mapToGlobal(p), Type == QEvent::MouseMove ? Qt::NoButton : Button,
                  Held, Keys);
    QApplication::sendEvent(Grid, &e);
}

// A left-button drag over the map grid from the centre of one cell to another's, at Pitch pixels
// a cell, one cell at a time along the way.
void DragCells(TMainForm& f, QPoint From, QPoint To, Qt::KeyboardModifiers Keys = {}) {
    const int Pitch = 24 * f.Zoom();
    const auto At = [&](QPoint c) { return c * Pitch + QPoint(Pitch / 2, Pitch / 2); };
    Send(f.DrawGrid1, QEvent::MouseButtonPress, At(From), Qt::LeftButton, Keys);
    QPoint c = From;
    while (c != To) {
        c += QPoint(c.x() < To.x()   ? 1
                    : c.x() > To.x() ? -1
                                     : 0,
                    c.y() < To.y()   ? 1
                    : c.y() > To.y() ? -1
                                     : 0);
        Send(f.DrawGrid1, QEvent::MouseMove, At(c), Qt::LeftButton, Keys);
    }
    Send(f.DrawGrid1, QEvent::MouseButtonRelease, At(To), Qt::LeftButton, Keys);
}

void MoveOver(TMainForm& f, QPoint Cell) {
    const int Pitch = 24 * f.Zoom();
    Send(f.DrawGrid1, QEvent::MouseMove, Cell * Pitch + QPoint(3, 3), Qt::NoButton);
}

void ClickCell(TMainForm& f, QPoint Cell, Qt::MouseButton Button = Qt::LeftButton) {
    const int Pitch = 24 * f.Zoom();
    Send(f.DrawGrid1, QEvent::MouseButtonPress, Cell * Pitch + QPoint(3, 3), Button);
    Send(f.DrawGrid1, QEvent::MouseButtonRelease, Cell * Pitch + QPoint(3, 3), Button);
}

QImage Rgb(const QImage& i) {
    return i.convertToFormat(QImage::Format_RGB32);
}

// The cell as the map grid shows it, scaled back to 24 x 24 (it is drawn to the nearest pixel).
QImage Shown(TMainForm& f, int Col, int Row) {
    const QImage i = Rgb(f.DrawGrid1->grab(f.DrawGrid1->CellRect(Col, Row)).toImage());
    return i.scaled(24, 24);
}

} // namespace

class LevelEditTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TempDir> fDir;
    std::unique_ptr<DataRoot> fRoot;
    QStringList fErrors;

    // Cell (x, y) of the test maps: x + 10 * y below 50, so every cell differs in a 10-wide map.
    static TMyByteArray Numbered(int w, int h) {
        TMyByteArray Cells(size_t(w * h));
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                Cells[size_t(y * w + x)] = uint8_t((x + 10 * y) % 50);
        return Cells;
    }

    struct Editor {
        std::unique_ptr<TSession> Session;
        std::unique_ptr<TMainFrm> Window;
        TMainForm& Map() const { return *Window->MapFrm(); }
        void Key(int k, Qt::KeyboardModifiers m = {}) const {
            QTest::keyClick(Window.get(), Qt::Key(k), m);
        }
    };

    Editor Open() {
        Editor e;
        e.Session = std::make_unique<TSession>(fDir->path());
        RunReported([&] { e.Session->ReadParameters(); });
        e.Window = std::make_unique<TMainFrm>(*e.Session);
        e.Window->show();
        if (!QTest::qWaitForWindowActive(e.Window.get()))
            qWarning("the window was not activated");
        QTest::mouseClick(e.Window->MapEditFrame, Qt::LeftButton);
        return e;
    }

    uint8_t At(TMainForm& f, int x, int y) const { return f.MapParams().GetValue(y, x); }

private slots:
    void init() {
        fErrors.clear();
        TApplication::SetErrorSink([this](const QString& m) { fErrors << m; });
        fDir = std::make_unique<TempDir>();
        fRoot = std::make_unique<DataRoot>(fDir->path());
        fRoot->AddSprite("A1.spr", PatternWords(225, 1));
        fRoot->AddSprite("B1.spr", PatternWords(225, 2));
        fRoot->Palettes = {DistinctPalette(0), DistinctPalette(1)};
        fRoot->AddMap("A1.Map", 10, 8, Numbered(10, 8));
        fRoot->AddMap("B1.Map", 6, 5, TMyByteArray(30, 0));
        fRoot->WriteParams();
    }
    void cleanup() {
        AnswerDiscard();
        AskedQuestions().clear();
        fRoot.reset();
        fDir.reset();
    }

    void selectCopyAndPasteElsewhereAtTwiceTheSizeThenUndo() {
        Editor e = Open();
        TMainForm& f = e.Map();
        const TMyByteArray Before = f.MapParams().DecomBytes;
        // S chooses the select tool, named in the strip and the status bar.
        e.Key(Qt::Key_S);
        QCOMPARE(f.Tool(), TMapTool::Select);
        QCOMPARE(f.ToolButtons[size_t(TMapTool::Select)]->defaultAction()->shortcut(),
                 QKeySequence(Qt::Key_S));
        DragCells(f, {1, 1}, {3, 2});
        QCOMPARE(f.Tools().Selection().Cells(), QRegion(1, 1, 3, 2));
        QCOMPARE(f.DrawGrid1->OutlineCells(), QRegion(1, 1, 3, 2));
        QCOMPARE(f.Level().CopyAction->isEnabled(), true);
        // Shift adds a cell, Ctrl takes one away: a set of cells, its size in the status bar.
        DragCells(f, {5, 1}, {5, 1}, Qt::ShiftModifier);
        DragCells(f, {3, 2}, {3, 2}, Qt::ControlModifier);
        QCOMPARE(f.Tools().Selection().CellCount(), 6);
        QCOMPARE(f.Tools().Selection().Bounds(), QRect(1, 1, 5, 2));
        QVERIFY2(f.ToolStatus->text().contains("5 x 2 selected (6 cells)"),
                 qPrintable(f.ToolStatus->text()));

        e.Key(Qt::Key_C, Qt::ControlModifier);
        const QMimeData* Data = QGuiApplication::clipboard()->mimeData();
        QVERIFY(Data && Data->hasFormat("application/x-velkora-map-cells"));
        QCOMPARE(Data->text(), QString("11 12 13 - 15\n21 22 - - -\n"));
        // The copy is the stamp too.
        QCOMPARE(f.Tools().Stamp().Size(), QSize(5, 2));

        // At 2x the paste floats under the pointer, snapped to cells, and a click puts it.
        e.Key(Qt::Key_Equal, Qt::ControlModifier);
        QCOMPARE(f.Zoom(), 2);
        e.Key(Qt::Key_V, Qt::ControlModifier);
        QVERIFY(f.Tools().Pasting());
        QCOMPARE(f.ToolStatus->text(), QString("Paste 5 x 2: click puts, Esc drops"));
        MoveOver(f, {4, 5});
        QCOMPARE(Shown(f, 5, 5), Rgb(f.CellPictures().Picture(12)));
        QCOMPARE(Shown(f, 4, 6), Rgb(f.CellPictures().Picture(21)));
        QCOMPARE(At(f, 5, 5), uint8_t(55 % 50)); // only a preview
        ClickCell(f, {4, 5});
        QVERIFY(!f.Tools().Pasting());
        QCOMPARE(At(f, 4, 5), 11);
        QCOMPARE(At(f, 8, 5), 15);
        QCOMPARE(At(f, 7, 5), uint8_t(57 % 50)); // a hole keeps the cell
        QCOMPARE(At(f, 5, 6), 22);
        QCOMPARE(At(f, 6, 6), uint8_t(66 % 50));
        QCOMPARE(f.UndoStack()->count(), 1);
        e.Key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(f.MapParams().DecomBytes, Before);

        // Escape drops a paste, then the selection; the right button drops a paste too.
        e.Key(Qt::Key_V, Qt::ControlModifier);
        QVERIFY(f.Tools().Pasting());
        QTest::keyClick(f.DrawGrid1, Qt::Key_Escape);
        QVERIFY(!f.Tools().Pasting());
        QVERIFY(!f.Tools().Selection().IsEmpty());
        QTest::keyClick(f.DrawGrid1, Qt::Key_Escape);
        QVERIFY(f.Tools().Selection().IsEmpty());
        QVERIFY(f.DrawGrid1->OutlineCells().isEmpty());
        e.Key(Qt::Key_V, Qt::ControlModifier);
        ClickCell(f, {0, 0}, Qt::RightButton);
        QVERIFY(!f.Tools().Pasting());
        QCOMPARE(f.MapParams().DecomBytes, Before);

        // Ctrl+A and Cut: the cut cells take the item chosen; Ctrl+Shift+A selects none.
        QTest::mouseClick(f.DrawGrid2, Qt::LeftButton, {}, f.DrawGrid2->CellRect(4, 0).center());
        e.Key(Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(f.Tools().Selection().CellCount(), 80);
        e.Key(Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(f.MapParams().DecomBytes, TMyByteArray(80, 4));
        e.Key(Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(f.Tools().Selection().IsEmpty());
        QVERIFY2(fErrors.isEmpty(), qPrintable(fErrors.join('\n')));
    }

    void aStampPickedOnTheItemGridPaintsOnItsOwnGrid() {
        Editor e = Open();
        TMainForm& f = e.Map();
        // A drag over the item grid from item 6 (column 1, row 1) to item 12 picks 2 x 2 items.
        TItemGrid* Items = f.DrawGrid2;
        const auto Centre = [&](int c, int r) {
            return Items->CellRect(c, r).center() - QPoint(2, 2);
        };
        Send(Items, QEvent::MouseButtonPress, Centre(1, 1), Qt::LeftButton, {}, 2);
        Send(Items, QEvent::MouseMove, Centre(2, 1), Qt::LeftButton, {}, 2);
        Send(Items, QEvent::MouseMove, Centre(2, 2), Qt::LeftButton, {}, 2);
        Send(Items, QEvent::MouseButtonRelease, Centre(2, 2), Qt::LeftButton, {}, 2);
        QCOMPARE(f.Tools().Stamp(), TCellBlock(2, 2, {6, 7, 11, 12}));
        QCOMPARE(Items->Block(), QRect(1, 1, 2, 2));
        QVERIFY2(f.ToolStatus->text().contains("stamp 2 x 2"), qPrintable(f.ToolStatus->text()));
        // X mirrors it; the preview under the pointer shows it whole.
        e.Key(Qt::Key_X);
        QCOMPARE(f.Tools().Stamp(), TCellBlock(2, 2, {7, 6, 12, 11}));
        MoveOver(f, {6, 6});
        // (The pointer's own cell carries the highlight frame.)
        QCOMPARE(Shown(f, 7, 6), Rgb(f.CellPictures().Picture(6)));
        QCOMPARE(Shown(f, 6, 7), Rgb(f.CellPictures().Picture(12)));
        QCOMPARE(Shown(f, 7, 7), Rgb(f.CellPictures().Picture(11)));
        // A drag three cells right lays two stamps side by side, one undo step.
        DragCells(f, {0, 0}, {3, 0});
        QCOMPARE(At(f, 0, 0), 7);
        QCOMPARE(At(f, 1, 0), 6);
        QCOMPARE(At(f, 2, 0), 7);
        QCOMPARE(At(f, 3, 1), 11);
        QCOMPARE(At(f, 4, 0), 4);
        QCOMPARE(f.UndoStack()->count(), 1);
        // A click on one item is a single item again.
        QTest::mouseClick(Items, Qt::LeftButton, {}, Items->CellRect(3, 0).center());
        QCOMPARE(f.Tools().Stamp(), TCellBlock(1, 1, 3));
        QVERIFY(Items->Block().isEmpty());
        QVERIFY2(fErrors.isEmpty(), qPrintable(fErrors.join('\n')));
    }

    void aPasteGoesFromOneMapToAnotherThroughTheClipboard() {
        Editor First = Open();
        Editor Second = Open();
        TMainForm& a = First.Map();
        TMainForm& b = Second.Map();
        b.LevelCmb->setCurrentIndex(1);
        QCOMPARE(b.MapParams().Width, 6);
        a.SetTool(TMapTool::Select);
        DragCells(a, {8, 6}, {9, 7});
        a.Level().CopyAction->trigger();
        b.Level().PasteAction->trigger();
        ClickCell(b, {5, 3});
        // Clipped at the map's right edge.
        QCOMPARE(b.MapParams().DecomBytes[size_t(3 * 6 + 5)], 18);
        QCOMPARE(b.MapParams().DecomBytes[size_t(4 * 6 + 5)], 28);
        QCOMPARE(b.MapParams().DecomBytes[size_t(3 * 6 + 4)], 0);
        // Text of the clipboard's shape, from a text editor, pastes too.
        QGuiApplication::clipboard()->setText("1 2\n3 4\n");
        b.Level().PasteAction->trigger();
        ClickCell(b, {0, 0});
        QCOMPARE(b.MapParams().DecomBytes[0], 1);
        QCOMPARE(b.MapParams().DecomBytes[7], 4);
        // Other text floats nothing.
        QGuiApplication::clipboard()->setText("hello");
        b.Level().PasteAction->trigger();
        QVERIFY(!b.Tools().Pasting());
        QCOMPARE(b.UndoStack()->count(), 2);
        QVERIFY2(fErrors.isEmpty(), qPrintable(fErrors.join('\n')));
    }

    void resizeMapIsInTheMapMenuAndOneUndoStep() {
        Editor e = Open();
        TMainForm& f = e.Map();
        QMenu* MapMenu = nullptr;
        for (QAction* a : e.Window->MenuBar->actions())
            if (a->text() == "&Map" && a->isVisible())
                MapMenu = a->menu();
        QVERIFY(MapMenu);
        QVERIFY(MapMenu->actions().contains(f.Level().ResizeAction));
        TResizeChoice Asked;
        f.Level().ResizeDialog = [&](TResizeChoice& c) {
            Asked = c;
            c = {4, 3, -2, 1, 9};
            return true;
        };
        f.Level().ResizeAction->trigger();
        QCOMPARE(Asked.Width, 10);
        QCOMPARE(Asked.Height, 8);
        QCOMPARE(f.MapParams().Width, 4);
        QCOMPARE(f.MapParams().DecomBytes, TMyByteArray({9, 9, 9, 9, 2, 3, 4, 5, 12, 13, 14, 15}));
        QCOMPARE(f.SizeStatus->text(), QString("Map 4 x 3"));
        f.UndoStack()->undo();
        QCOMPARE(f.MapParams().DecomBytes, Numbered(10, 8));

        // The dialog's picture: the old map's place moves with the offset.
        TResizeMapDialog Dialog(QSize(10, 8), {20, 8, 10, 0, 0}, f.CellPictures());
        Dialog.resize(400, 400);
        Dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&Dialog));
        const QRect Right = Dialog.Preview->OldRect();
        QVERIFY(Right.left() > Dialog.Preview->NewRect().center().x() - 2);
        Dialog.DXBox->setValue(0);
        QCOMPARE(Dialog.Preview->OldRect().left(), Dialog.Preview->NewRect().left());
        QCOMPARE(Dialog.Choice().Width, 20);
        QVERIFY2(fErrors.isEmpty(), qPrintable(fErrors.join('\n')));
    }
};

VELKORA_GUI_TEST_MAIN(LevelEditTest)
#include "LevelEditTest.moc"
