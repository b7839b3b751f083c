// SPDX-License-Identifier: MIT
#include "maps/MapFrm.h"
#include "maps/MapLoader.h"
#include "maps/TmxFile.h"
#include "palettes/BmpMaker.h"
#include "shell/Application.h"
#include "shell/Session.h"
#include "shell/VelkoraProjectEditor.h"
#include "sprites/SpriteEditor.h"
#include "tests/gui/GuiTestMain.h"
#include "tests/support/DataRoot.h"
#include "tests/support/TestSupport.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QSpontaneKeyEvent>
#include <QStatusBar>
#include <QToolButton>
#include <QUndoStack>
#include <QWheelEvent>

#include <memory>
#include <set>

using namespace velkora;
using namespace velkora::test;

namespace {

// Collects the rectangles a widget paints.
class PaintLog : public QObject {
public:
    QRegion Painted;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint)
            Painted += static_cast<QPaintEvent*>(e)->region();
        return false;
    }
};

// Map grid client coordinates lie inside its one-pixel border.
QPoint Widget(QPoint Client) {
    return Client + QPoint(1, 1);
}

void MoveTo(TMainForm& f, QPoint Client) {
    QTest::mouseMove(f.DrawGrid1, Widget(Client));
}

// A move with buttons and keys held, as the window system delivers it during a drag.
void DragTo(TMainForm& f, QPoint Client, Qt::MouseButtons Buttons, Qt::KeyboardModifiers Keys) {
    const QPoint p = Widget(Client);
    QMouseEvent e(QEvent::MouseMove, p, f.DrawGrid1->mapToGlobal(p), Qt::NoButton, Buttons, Keys);
    QApplication::sendEvent(f.DrawGrid1, &e);
}

// A press or release of a button at a point of the map grid, wherever the grid lies.
void SendButton(TMainForm& f, QEvent::Type Type, QPoint Client, Qt::MouseButton Button) {
    const QPoint p = Widget(Client);
    QMouseEvent e(Type, p, f.DrawGrid1->mapToGlobal(p), Button,
                  Type == QEvent::MouseButtonPress ? Qt::MouseButtons(Button) : Qt::NoButton,
                  Qt::NoModifier);
    QApplication::sendEvent(f.DrawGrid1, &e);
}

// Chooses an entry of a combo box with the keyboard, as a user would.
void Choose(QComboBox* Combo, int Index) {
    const int Steps = Index - Combo->currentIndex();
    for (int i = 0; i < qAbs(Steps); ++i)
        QTest::keyClick(Combo, Steps > 0 ? Qt::Key_Down : Qt::Key_Up);
}

// A turn of the wheel over a point of the map grid, with keys held, delivered as the window
// system's: what the grid leaves goes on to the workspace.
void Wheel(TMainForm& f, QPoint Client, int Angle, Qt::KeyboardModifiers Keys = {}) {
    const QPoint p = Widget(Client);
    QWheelEvent e(p, f.DrawGrid1->mapToGlobal(p), QPoint(), QPoint(0, Angle), Qt::NoButton, Keys,
                  Qt::NoScrollPhase, false);
    QSpontaneKeyEvent::setSpontaneous(&e);
    qApp->notify(f.DrawGrid1, &e);
}

// Answers every question with the answer named Answer, recording the questions.
void AnswerWith(const QString& Answer) {
    SetQuestionSink([Answer](const QString& Question, const QStringList& Answers) {
        AskedQuestions() << Question;
        return int(Answers.indexOf(Answer));
    });
}

// The cells of a map as a w x h grid of rows.
TMyByteArray Row(TMyByteArray Cells, int w, int y, std::initializer_list<std::pair<int, int>> Set) {
    for (const auto& [x, v] : Set)
        Cells[size_t(y * w + x)] = uint8_t(v);
    return Cells;
}

QImage Rgb(const QImage& i) {
    return i.convertToFormat(QImage::Format_RGB32);
}

QImage MapCell(TMainForm& f, int Col, int Row) {
    return Rgb(f.DrawGrid1->grab(f.DrawGrid1->CellRect(Col, Row)).toImage());
}

QImage ItemCell(TMainForm& f, int Col, int Row) {
    return Rgb(f.DrawGrid2->grab(f.DrawGrid2->CellRect(Col, Row)).toImage());
}

// The item grid's picture of an item: stretched to the 25 x 24 cell.
QImage Stretched(const QImage& Item) {
    QImage Cell(25, 24, QImage::Format_RGB32);
    QPainter p(&Cell);
    p.drawImage(Cell.rect(), Item);
    return Cell;
}

} // namespace

class MapFrmTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TempDir> fDir;
    std::unique_ptr<DataRoot> fRoot;
    std::unique_ptr<TSession> fSession;
    QStringList fErrors;

    // Library order: A1.spr, A2.spr, B1.spr.
    void MakeRoot() {
        fDir = std::make_unique<TempDir>();
        fRoot = std::make_unique<DataRoot>(fDir->path());
        fRoot->AddSprite("A1.spr", PatternWords(225, 1));
        fRoot->AddSprite("B1.spr", PatternWords(225, 2));
        fRoot->AddSprite("A2.spr", PatternWords(225, 3), false);
        fRoot->Palettes = {DistinctPalette(0), DistinctPalette(1), DistinctPalette(2)};
    }

    // Starts as the editor does: the session of the data root lists the library and reads the
    // parameters file, then the workspace is made.
    std::unique_ptr<TMainForm> Start() {
        fRoot->WriteParams();
        fSession = std::make_unique<TSession>(fDir->path());
        RunReported([&] { fSession->ReadParameters(); });
        auto f = std::make_unique<TMainForm>(*fSession);
        f->show();
        if (!QTest::qWaitForWindowExposed(f.get()))
            qWarning("the workspace was not exposed");
        return f;
    }

    // The items the workspace should show for texture I in palette P.
    QImage Item(int I, int P, int Index) const {
        TMapImageItems Items;
        Items.SetPalette(P, BmpMaker::ColorTable(fSession->PalletteArray(), P));
        Items.SetSpriteInfo(fSession->SpriteContainer().SpriteInfo(I));
        return Rgb(Items.Item(Index));
    }

private slots:
    void init() {
        fErrors.clear();
        TApplication::SetErrorSink([this](const QString& m) { fErrors << m; });
        MakeRoot();
    }
    void cleanup() {
        AnswerDiscard();
        AskedQuestions().clear();
        fSession.reset();
        fRoot.reset();
        fDir.reset();
    }

    void startUpShowsTheFirstMapInTheFirstTextures() {
        fRoot->AddMap("Level2.Map", 20, 15, TMyByteArray(300, 1));
        fRoot->AddMap("Level10.Map", 3, 3, TMyByteArray(9, 2));
        fRoot->AddMap("Arena.MAP", 2, 2, TMyByteArray(4, 3));
        auto f = Start();
        QVERIFY(fErrors.isEmpty());
        QCOMPARE(f->windowTitle(), QString("MapEditor"));
        QCOMPARE(f->LevelCmb->count(), 3);
        QCOMPARE(f->LevelCmb->itemText(0), QString("Arena.MAP"));
        QCOMPARE(f->LevelCmb->itemText(1), QString("Level2.Map"));
        QCOMPARE(f->LevelCmb->itemText(2), QString("Level10.Map"));
        QCOMPARE(f->MapFileName(), QDir(fDir->path()).filePath("Maps/Arena.MAP"));
        QCOMPARE(f->Tex1cmb->count(), 3);
        QCOMPARE(f->Tex1cmb->itemText(1), QString("A2.spr"));
        QCOMPARE(f->Tex1cmb->currentIndex(), 0);
        QCOMPARE(f->Tex2cmb->currentIndex(), 0);
        QCOMPARE(f->FirstPalCmb->count(), 3);
        QCOMPARE(f->SecPalCmb->itemText(2), QString("2"));
        QVERIFY(f->SaveBtn->isEnabled());
        QCOMPARE(f->SetsCMB->count(), 0);

        // A 20 x 15 map gives a grid of 20 x 15 cells and 482 x 362 pixels, where it was.
        Choose(f->LevelCmb, 1);
        QCOMPARE(f->DrawGrid1->ColCount(), 20);
        QCOMPARE(f->DrawGrid1->RowCount(), 15);
        QCOMPARE(f->DrawGrid1->size(), QSize(482, 362));
        QCOMPARE(f->DrawGrid1->pos(), QPoint(24, 16));
        QCOMPARE(MapCell(*f, 19, 14), Item(0, 0, 1));
        QCOMPARE(f->DrawGrid2->geometry(), QRect(15, 160, 134, 254));
        QCOMPARE(f->LeftPanel->geometry(), QRect(f->width() - 198, 0, 198, f->height()));
    }

    void theControlsAreWhereTheDesignPutsThem() {
        // Names equal in the library's comparison come in the order of their full names.
        fRoot->AddMap("Level2.Map", 1, 1, TMyByteArray(1, 0));
        fRoot->AddMap("Level02.Map", 1, 1, TMyByteArray(1, 0));
        fRoot->AddMap("Level002.map", 1, 1, TMyByteArray(1, 0));
        fRoot->AddMap("Notes.txt", 1, 1, TMyByteArray(1, 0));
        auto f = Start();
        QVERIFY(fErrors.isEmpty());
        QCOMPARE(f->LevelCmb->count(), 3);
        QCOMPARE(f->LevelCmb->itemText(0), QString("Level002.map"));
        QCOMPARE(f->LevelCmb->itemText(1), QString("Level02.Map"));
        QCOMPARE(f->LevelCmb->itemText(2), QString("Level2.Map"));

        QCOMPARE(f->font().family(), QString("Tahoma"));
        QCOMPARE(f->font().pointSize(), 8);
        QCOMPARE(f->size(), QSize(776, 574));
        QCOMPARE(f->LeftPanel->geometry(), QRect(776 - 198, 0, 198, 574));
        const struct {
            QWidget* w;
            QPoint Pos;
            int Width; // 0: free
            int Height;
        } Places[] = {
            {f->Label1, {16, 16}, 0, 0},      {f->LevelCmb, {16, 35}, 81, 0},
            {f->SaveBtn, {103, 33}, 82, 25},  {f->Label5, {16, 68}, 0, 0},
            {f->Label4, {103, 68}, 0, 0},     {f->FirstPalCmb, {16, 87}, 81, 0},
            {f->SecPalCmb, {103, 87}, 81, 0}, {f->Label2, {16, 114}, 0, 0},
            {f->Label3, {103, 114}, 0, 0},    {f->Tex1cmb, {16, 133}, 81, 0},
            {f->Tex2cmb, {103, 133}, 81, 0},  {f->DrawGrid2, {15, 160}, 134, 254},
            {f->Sets, {16, 426}, 0, 0},       {f->SetsCMB, {16, 445}, 129, 0},
            {f->BitBtn1, {15, 472}, 130, 25},
        };
        for (const auto& p : Places) {
            const QByteArray Name = p.w->objectName().toUtf8();
            QVERIFY2(p.w->parentWidget() == f->LeftPanel, Name);
            QVERIFY2(p.w->pos() == p.Pos, Name);
            QVERIFY2(p.Width == 0 || p.w->width() == p.Width, Name);
            QVERIFY2(p.Height == 0 || p.w->height() == p.Height, Name);
        }
        QCOMPARE(f->Label1->text(), QString("Select map"));
        QCOMPARE(f->SaveBtn->text(), QString("Save"));
        QCOMPARE(f->Label5->text(), QString("First pal"));
        QCOMPARE(f->Label4->text(), QString("Second pal"));
        QCOMPARE(f->Label2->text(), QString("First tex"));
        QCOMPARE(f->Label3->text(), QString("Second tex"));
        QCOMPARE(f->Sets->text(), QString("Sets"));
        QCOMPARE(f->BitBtn1->text(), QString("Add Current"));
        for (const QComboBox* c :
             {f->LevelCmb, f->FirstPalCmb, f->SecPalCmb, f->Tex1cmb, f->Tex2cmb, f->SetsCMB})
            QVERIFY2(!c->isEditable(), qPrintable(c->objectName()));

        // The map grid: 24 x 24 cells without lines inside a one-pixel border, sized to the map.
        QCOMPARE(f->DrawGrid1->parentWidget(), f.get());
        QCOMPARE(f->DrawGrid1->geometry(), QRect(24, 16, 26, 26));
        QCOMPARE(f->DrawGrid1->CellRect(0, 0), QRect(1, 1, 24, 24));
        QCOMPARE(f->DrawGrid1->GridLineWidth(), 0);
        // The item grid: 5 x 10 cells of 25 x 24 with one-pixel lines.
        QCOMPARE(f->DrawGrid2->ColCount(), 5);
        QCOMPARE(f->DrawGrid2->RowCount(), 10);
        QCOMPARE(f->DrawGrid2->CellRect(1, 1).size(), QSize(25, 24));
        QCOMPARE(f->DrawGrid2->CellRect(1, 1).topLeft() - f->DrawGrid2->CellRect(0, 0).topLeft(),
                 QPoint(26, 25));
    }

    void theMapGridStartsAtItsDesignedSize() {
        auto f = Start();
        QCOMPARE(f->DrawGrid1->geometry(), QRect(24, 16, 473, 417));
    }

    void aPickedItemIsPaintedWithALeftClick() {
        TMyByteArray Cells(6 * 5, 0);
        Cells[0] = 24;
        Cells[1] = 25;
        fRoot->AddMap("A1.Map", 6, 5, Cells);
        auto f = Start();
        Choose(f->Tex2cmb, 2);
        Choose(f->SecPalCmb, 1);

        // Item grid cell (2, 6) is item 32.
        QTest::mouseClick(f->DrawGrid2, Qt::LeftButton, {}, f->DrawGrid2->CellRect(2, 6).center());
        QCOMPARE(f->SelImage(), 32);
        QCOMPARE(f->DrawGrid2->Selection(), QPoint(2, 6));
        QCOMPARE(ItemCell(*f, 3, 6), Stretched(Item(2, 1, 8)));
        // The selected cell is marked.
        QCOMPARE(ItemCell(*f, 2, 6).pixel(0, 0), f->palette().color(QPalette::Highlight).rgb());

        MoveTo(*f, QPoint(3 * 24 + 5, 2 * 24 + 5));
        QCOMPARE(f->HLCell(), QPoint(3, 2));
        // The highlighted cell previews item 32 in a red frame.
        QImage Preview = Item(2, 1, 7);
        MapImageItems::DrawHighlightFrame(Preview);
        QCOMPARE(MapCell(*f, 3, 2), Preview);

        QTest::mouseClick(f->DrawGrid1, Qt::LeftButton, {}, Widget(QPoint(3 * 24 + 5, 2 * 24 + 5)));
        QCOMPARE(int(f->MapParams().GetValue(2, 3)), 32);
        MoveTo(*f, QPoint(5, 100));
        QCOMPARE(MapCell(*f, 3, 2), Item(2, 1, 7));
        // 24 is the first texture's last item, 25 the second texture's first.
        QCOMPARE(MapCell(*f, 0, 0), Item(0, 0, 24));
        QCOMPARE(MapCell(*f, 1, 0), Item(2, 1, 0));

        // The border lies beyond the cells: a click there paints nothing.
        const TMyByteArray Before = f->MapParams().DecomBytes;
        MoveTo(*f, QPoint(6 * 24, 10));
        QCOMPARE(f->HLCell(), QPoint(6, 0));
        QTest::mouseClick(f->DrawGrid1, Qt::LeftButton, {}, Widget(QPoint(6 * 24, 10)));
        QCOMPARE(f->MapParams().DecomBytes, Before);
        QVERIFY(fErrors.isEmpty());
    }

    void theHighlightFollowsTheMouseCellByCell() {
        fRoot->AddMap("A1.Map", 20, 15, TMyByteArray(300, 0));
        auto f = Start();
        MoveTo(*f, QPoint(47, 5));
        QCOMPARE(f->HLCell(), QPoint(1, 0));
        MoveTo(*f, QPoint(48, 71));
        QCOMPARE(f->HLCell(), QPoint(2, 2));
        MoveTo(*f, QPoint(48, 72));
        QCOMPARE(f->HLCell(), QPoint(2, 3));
        QVERIFY(f->DrawGrid1->hasFocus());

        // A move to another cell repaints those two cells only.
        PaintLog Log;
        f->DrawGrid1->installEventFilter(&Log);
        QCoreApplication::processEvents();
        Log.Painted = QRegion();
        MoveTo(*f, QPoint(4 * 24 + 3, 3 * 24 + 3));
        QTRY_VERIFY(!Log.Painted.isEmpty());
        QCOMPARE(Log.Painted,
                 QRegion(f->DrawGrid1->CellRect(2, 3)) + QRegion(f->DrawGrid1->CellRect(4, 3)));

        // After a texture change the next move (if not a repaint of the workspace before it)
        // repaints every visible cell.
        Log.Painted = QRegion();
        Choose(f->Tex1cmb, 1);
        MoveTo(*f, QPoint(4 * 24 + 9, 3 * 24 + 3));
        QTRY_COMPARE(Log.Painted.boundingRect(), f->DrawGrid1->VisibleRect());
        QCOMPARE(MapCell(*f, 0, 0), Item(1, 0, 0));
        f->DrawGrid1->removeEventFilter(&Log);
    }

    void aTextureChangeReachesTheMapGridAtTheWorkspacesNextRepaint() {
        fRoot->AddMap("A1.Map", 20, 15, TMyByteArray(300, 0));
        auto f = Start();
        PaintLog Log;
        f->DrawGrid1->installEventFilter(&Log);
        QCoreApplication::processEvents();
        Log.Painted = QRegion();
        // The choice itself repaints the item grid, not the map grid.
        Choose(f->SecPalCmb, 1);
        QCoreApplication::processEvents();
        QVERIFY(Log.Painted.isEmpty());
        // A repaint of the workspace redraws every visible cell of the map grid.
        f->update(QRect(0, 0, 10, 10));
        QTRY_COMPARE(Log.Painted.boundingRect(), f->DrawGrid1->VisibleRect());
        // Once: a further repaint of the workspace leaves the grid alone.
        Log.Painted = QRegion();
        f->update(QRect(0, 0, 10, 10));
        QCoreApplication::processEvents();
        QVERIFY(Log.Painted.isEmpty());
        f->DrawGrid1->removeEventFilter(&Log);
    }

    void aRightDragPansTheGrid() {
        fRoot->AddMap("A1.Map", 20, 15, TMyByteArray(300, 0));
        auto f = Start();
        QTest::mousePress(f->DrawGrid1, Qt::RightButton, {}, Widget(QPoint(10, 10)));
        DragTo(*f, QPoint(30, 25), Qt::RightButton, {});
        QCOMPARE(f->DrawGrid1->pos(), QPoint(24 + 20, 16 + 15));
        // The highlight is on the cell under the cursor, the one grabbed.
        QCOMPARE(f->HLCell(), QPoint(0, 0));
        // The grab point stays: the cursor is again over client (10, 10), one step further on.
        DragTo(*f, QPoint(12, 10), Qt::RightButton, {});
        QCOMPARE(f->DrawGrid1->pos(), QPoint(24 + 22, 16 + 15));
        QTest::mouseRelease(f->DrawGrid1, Qt::RightButton, {}, Widget(QPoint(12, 10)));

        // With Shift, Ctrl or Alt held, or another button as well, the grid stays; the
        // highlight still follows.
        const QPoint Pos = f->DrawGrid1->pos();
        QTest::mousePress(f->DrawGrid1, Qt::RightButton, {}, Widget(QPoint(10, 10)));
        DragTo(*f, QPoint(30, 25), Qt::RightButton, Qt::ShiftModifier);
        QCOMPARE(f->DrawGrid1->pos(), Pos);
        QCOMPARE(f->HLCell(), QPoint(1, 1));
        DragTo(*f, QPoint(60, 25), Qt::RightButton, Qt::ControlModifier);
        DragTo(*f, QPoint(60, 55), Qt::RightButton, Qt::AltModifier);
        DragTo(*f, QPoint(90, 55), Qt::RightButton | Qt::LeftButton, {});
        QCOMPARE(f->DrawGrid1->pos(), Pos);
        QCOMPARE(f->HLCell(), QPoint(3, 2));
        QTest::mouseRelease(f->DrawGrid1, Qt::RightButton, {}, Widget(QPoint(90, 55)));

        // The left button alone does not pan either.
        QTest::mousePress(f->DrawGrid1, Qt::LeftButton, {}, Widget(QPoint(10, 10)));
        DragTo(*f, QPoint(50, 50), Qt::LeftButton, {});
        QTest::mouseRelease(f->DrawGrid1, Qt::LeftButton, {}, Widget(QPoint(50, 50)));
        QCOMPARE(f->DrawGrid1->pos(), Pos);
    }

    void aLargeMapPansUnderThePanel() {
        fRoot->AddMap("A1.Map", 300, 200, TMyByteArray(300 * 200, 3));
        fRoot->AddMap("B1.Map", 5, 5, TMyByteArray(25, 3));
        auto f = Start();
        QCOMPARE(f->DrawGrid1->size(), QSize(7202, 4802));
        QTest::mousePress(f->DrawGrid1, Qt::RightButton, {}, Widget(QPoint(400, 300)));
        DragTo(*f, QPoint(100, 50), Qt::RightButton, {});
        QTest::mouseRelease(f->DrawGrid1, Qt::RightButton, {}, Widget(QPoint(100, 50)));
        QCOMPARE(f->DrawGrid1->pos(), QPoint(24 - 300, 16 - 250));
        // The panel covers the map: between its controls it shows its own background.
        const QImage Shot = f->grab().toImage();
        const QPoint InPanel = f->LeftPanel->geometry().topLeft() + QPoint(100, 540);
        QCOMPARE(Shot.pixel(InPanel), f->LeftPanel->palette().color(QPalette::Window).rgb());
        // Cells keep their place under the cursor and show their items.
        MoveTo(*f, QPoint(24 * 20 + 3, 24 * 12 + 3));
        QCOMPARE(f->HLCell(), QPoint(20, 12));
        QCOMPARE(MapCell(*f, 21, 12), Item(0, 0, 3));
        // The grid keeps its place across maps as long as a whole cell of the new map shows;
        // a 5 x 5 map there would lie out of view: it comes back just far enough for its
        // bottom-right cell to show whole at the top-left corner.
        Choose(f->LevelCmb, 1);
        QCOMPARE(f->DrawGrid1->pos(), QPoint(-1 - 4 * 24, -1 - 4 * 24));
        QCOMPARE(f->DrawGrid1->size(), QSize(122, 122));
    }

    void aMapOf25MillionCellsOpensPaintsAndSaves() {
        // 5000 x 5000 cells, 120 002 pixels a side.
        constexpr int n = 5000;
        TMyByteArray Cells(size_t(n) * n, 3);
        fRoot->AddMap("A1.Map", n, n, Cells);
        auto f = Start();
        QVERIFY2(fErrors.isEmpty(), qPrintable(fErrors.join('\n')));
        QCOMPARE(f->MapParams().Width, n);
        QCOMPARE(f->MapParams().Height, n);
        QCOMPARE(f->DrawGrid1->size(), QSize(n * 24 + 2, n * 24 + 2));
        QTest::mouseClick(f->DrawGrid2, Qt::LeftButton, {}, f->DrawGrid2->CellRect(2, 1).center());
        QCOMPARE(f->SelImage(), 7);

        // Pan the far corner into view, paint the last cell, and save.
        const int Shift = 119700;
        SendButton(*f, QEvent::MouseButtonPress, QPoint(400, 300), Qt::RightButton);
        DragTo(*f, QPoint(400 - Shift, 300 - Shift), Qt::RightButton, {});
        SendButton(*f, QEvent::MouseButtonRelease, QPoint(400, 300), Qt::RightButton);
        QCOMPARE(f->DrawGrid1->pos(), QPoint(24 - Shift, 16 - Shift));
        const QPoint Last(24 * (n - 1) + 5, 24 * (n - 1) + 5);
        MoveTo(*f, Last);
        QCOMPARE(f->HLCell(), QPoint(n - 1, n - 1));
        QTest::mouseClick(f->DrawGrid1, Qt::LeftButton, {}, Widget(Last));
        QCOMPARE(f->MapParams().DecomBytes.back(), uint8_t(7));
        MoveTo(*f, Last - QPoint(24, 0));
        QCOMPARE(MapCell(*f, n - 1, n - 1), Item(0, 0, 7));
        QCOMPARE(MapCell(*f, n - 1, n - 2), Item(0, 0, 3));
        QTest::mouseClick(f->SaveBtn, Qt::LeftButton);
        QVERIFY2(fErrors.isEmpty(), qPrintable(fErrors.join('\n')));
        Cells.back() = 7;
        int32_t w = 0, h = 0;
        QVERIFY(MapLoader::LoadMap(fRoot->MapPath("A1.Map"), w, h) == Cells);
        QCOMPARE(w, n);
        QCOMPARE(h, n);
    }

    void toolsPaintFillAndPickAndEachEditIsOneUndoStep() {
        // Row 1 holds values beyond the items; column 10 is a wall of item 30.
        constexpr int w = 14, h = 6;
        TMyByteArray Start(size_t(w * h), 0);
        Start = Row(Start, w, 1, {{3, 60}, {5, 200}, {6, 49}});
        Start = Row(Start, w, 0, {{12, 99}});
        for (int y = 0; y < h; ++y)
            Start[size_t(y * w + 10)] = 30;
        fRoot->AddMap("A1.Map", w, h, Start);
        fRoot->WriteParams();
        fSession = std::make_unique<TSession>(fDir->path());
        TMainFrm Window(*fSession);
        Window.show();
        QVERIFY(QTest::qWaitForWindowActive(&Window));
        QTest::mouseClick(Window.MapEditFrame, Qt::LeftButton);
        TMainForm& f = *Window.MapFrm();
        const auto Cells = [&] { return f.MapParams().DecomBytes; };
        const auto Key = [&](int k, Qt::KeyboardModifiers m = {}) {
            QTest::keyClick(&Window, Qt::Key(k), m);
        };
        const auto Centre = [](int c, int r) { return QPoint(c * 24 + 12, r * 24 + 12); };
        QCOMPARE(Window.windowTitle(), QString("A1.Map[*]"));
        QCOMPARE(f.Tool(), TMapTool::Brush);
        // The tools are in the Edit menu and in the strip beside the item grid.
        QVERIFY(Window.EditMenu->actions().contains(f.ToolActions[2]));
        QCOMPARE(f.ToolActions[2]->shortcut(), QKeySequence(Qt::Key_G));
        QCOMPARE(f.ToolButtons[3]->defaultAction(), f.ToolActions[3]);
        QVERIFY(f.ToolButtons[0]->geometry().left() > f.DrawGrid2->geometry().right());
        QVERIFY(Window.StatusBar->isAncestorOf(f.CellStatus) && f.CellStatus->isVisible());

        // A drag from cell (1, 1) to (8, 1) in one fast move paints all 8 cells, one undo step.
        QTest::mouseClick(f.DrawGrid2, Qt::LeftButton, {}, f.DrawGrid2->CellRect(2, 1).center());
        QCOMPARE(f.SelImage(), 7);
        SendButton(f, QEvent::MouseButtonPress, Centre(1, 1), Qt::LeftButton);
        DragTo(f, Centre(8, 1), Qt::LeftButton, {});
        SendButton(f, QEvent::MouseButtonRelease, Centre(8, 1), Qt::LeftButton);
        TMyByteArray Stroked = Start;
        for (int x = 1; x <= 8; ++x)
            Stroked[size_t(w + x)] = 7;
        QCOMPARE(Cells(), Stroked);
        QCOMPARE(f.UndoStack()->count(), 1);
        QVERIFY(Window.isWindowModified());
        QCOMPARE(MapCell(f, 5, 1), Item(0, 0, 7));
        // One Ctrl+Z restores every cell, 60, 200 and 49 included; both redo keys redo.
        Key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(Cells(), Start);
        QVERIFY(!Window.isWindowModified());
        QCOMPARE(MapCell(f, 5, 1), Rgb(MapImageItems::UnknownItemPicture()));
        Key(Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(Cells(), Stroked);
        Key(Qt::Key_Z, Qt::ControlModifier);
        Key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(Cells(), Stroked);

        // G: the flood fill takes the 4-connected region of the pressed cell's value.
        Key(Qt::Key_G);
        QCOMPARE(f.Tool(), TMapTool::Fill);
        QTest::mouseClick(f.DrawGrid2, Qt::LeftButton, {}, f.DrawGrid2->CellRect(2, 2).center());
        QTest::mouseClick(f.DrawGrid1, Qt::LeftButton, {}, Widget(Centre(0, 4)));
        TMyByteArray Filled = Stroked;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < 10; ++x)
                if (Filled[size_t(y * w + x)] == 0)
                    Filled[size_t(y * w + x)] = 12;
        QCOMPARE(Cells(), Filled);
        QCOMPARE(f.UndoStack()->count(), 2);
        Key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(Cells(), Stroked);

        // R: the rectangle shows while dragged and is filled on release.
        Key(Qt::Key_R);
        SendButton(f, QEvent::MouseButtonPress, Centre(13, 5), Qt::LeftButton);
        DragTo(f, Centre(9, 3), Qt::LeftButton, {});
        QCOMPARE(Cells(), Stroked);
        QCOMPARE(MapCell(f, 11, 4), Item(0, 0, 12));
        SendButton(f, QEvent::MouseButtonRelease, Centre(9, 3), Qt::LeftButton);
        TMyByteArray Boxed = Stroked;
        for (int y = 3; y <= 5; ++y)
            for (int x = 9; x <= 13; ++x)
                Boxed[size_t(y * w + x)] = 12;
        QCOMPARE(Cells(), Boxed);
        Key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(Cells(), Stroked);
        QCOMPARE(MapCell(f, 11, 4), Item(0, 0, 0));

        // I picks the pressed cell's item; with any tool Alt+click does, and paints nothing.
        Key(Qt::Key_I);
        QTest::mouseClick(f.DrawGrid1, Qt::LeftButton, {}, Widget(Centre(4, 1)));
        QCOMPARE(f.SelImage(), 7);
        QCOMPARE(f.DrawGrid2->Selection(), QPoint(2, 1));
        Key(Qt::Key_B);
        QCOMPARE(f.Tool(), TMapTool::Brush);
        QTest::mouseClick(f.DrawGrid1, Qt::LeftButton, Qt::AltModifier, Widget(Centre(10, 2)));
        QCOMPARE(f.SelImage(), 30);
        QCOMPARE(f.DrawGrid2->Selection(), QPoint(0, 6));
        // A value beyond the items selects nothing.
        QTest::mouseClick(f.DrawGrid1, Qt::LeftButton, Qt::AltModifier, Widget(Centre(12, 0)));
        QCOMPARE(f.SelImage(), 30);
        QCOMPARE(Cells(), Stroked);
        QCOMPARE(f.UndoStack()->count(), 2);
        QVERIFY2(fErrors.isEmpty(), qPrintable(fErrors.join('\n')));
    }

    void zoomScrollAndPanKeepTheCellUnderThePointer() {
        constexpr int w = 40, h = 30;
        TMyByteArray Cells0(size_t(w * h));
        for (int i = 0; i < w * h; ++i)
            Cells0[size_t(i)] = uint8_t((i % w + i / w) % 50);
        fRoot->AddMap("A1.Map", w, h, Cells0);
        auto f = Start();
        QVERIFY(!f->ShowGrid());
        const QPoint Pointer(5 * 24 + 7, 3 * 24 + 11);
        const QPoint InWorkspace = f->DrawGrid1->mapTo(f.get(), Widget(Pointer));
        MoveTo(*f, Pointer);

        // Ctrl+wheel: one step a notch, about the pointer: the same map pixel stays under it.
        Wheel(*f, Pointer, 120, Qt::ControlModifier);
        QCOMPARE(f->Zoom(), 2);
        QCOMPARE(f->ZoomStatus->text(), QString("Zoom 2x"));
        QCOMPARE(f->DrawGrid1->size(), QSize(w * 48 + 2, h * 48 + 2));
        QCOMPARE(f->DrawGrid1->mapTo(f.get(), Widget(Pointer * 2)), InWorkspace);
        QCOMPARE(f->HLCell(), QPoint(5, 3));

        // At 2x a click paints the cell under the pointer and no other; the cell shows its item
        // twice its size, pixel for pixel.
        QTest::mouseClick(f->DrawGrid2, Qt::LeftButton, {}, f->DrawGrid2->CellRect(4, 7).center());
        const QPoint At(9 * 48 + 47, 7 * 48 + 1);
        MoveTo(*f, At);
        QCOMPARE(f->HLCell(), QPoint(9, 7));
        QTest::mouseClick(f->DrawGrid1, Qt::LeftButton, {}, Widget(At));
        TMyByteArray Want = Cells0;
        Want[size_t(7 * w + 9)] = 39;
        QCOMPARE(f->MapParams().DecomBytes, Want);
        MoveTo(*f, Pointer * 2);
        QCOMPARE(MapCell(*f, 9, 7), Item(0, 0, 14).scaled(48, 48));
        QCOMPARE(MapCell(*f, 9, 8), Item(0, 0, 17).scaled(48, 48));
        // A new palette reaches the zoomed cells at the next redraw.
        Choose(f->FirstPalCmb, 1);
        MoveTo(*f, Pointer * 2 + QPoint(1, 0));
        QCOMPARE(MapCell(*f, 9, 8), Item(0, 1, 17).scaled(48, 48));
        Choose(f->FirstPalCmb, 0);

        // Never past 4x or below 1x.
        for (int z = 2; z <= 4; ++z)
            Wheel(*f, Pointer * z, 120, Qt::ControlModifier);
        QCOMPARE(f->Zoom(), 4);
        QVERIFY(!f->ZoomInAction->isEnabled());
        QCOMPARE(f->DrawGrid1->mapTo(f.get(), Widget(Pointer * 4)), InWorkspace);
        Wheel(*f, Pointer * 4, -120, Qt::ControlModifier);
        QCOMPARE(f->Zoom(), 3);
        QCOMPARE(f->HLCell(), QPoint(5, 3));

        // At 3x with the grid: lines over the cells' top and left edges, the cells where they were.
        f->ShowGridAction->trigger();
        QVERIFY(f->ShowGrid());
        const QImage Lined = MapCell(*f, 12, 9);
        const QImage Plain = Item(0, 0, 21).scaled(72, 72);
        QVERIFY(Lined.pixel(0, 30) != Plain.pixel(0, 30));
        QVERIFY(Lined.pixel(30, 0) != Plain.pixel(30, 0));
        QCOMPARE(Lined.copy(1, 1, 71, 71), Plain.copy(1, 1, 71, 71));
        f->ShowGridAction->trigger();

        // Pixel-sharp at a fractional device-pixel ratio: every device pixel of a cell is one of
        // its picture's colours, never a blend.
        for (const int Zoom : {3, 1}) {
            f->SetZoom(Zoom, Widget(Pointer));
            // The cell lands at the image's top-left corner.
            QImage Shot(36 * Zoom, 36 * Zoom, QImage::Format_RGB32);
            Shot.setDevicePixelRatio(1.5);
            f->DrawGrid1->render(&Shot, QPoint(), QRegion(f->DrawGrid1->CellRect(12, 9)));
            const QImage Source = Item(0, 0, 21);
            std::set<QRgb> Colours;
            for (int y = 0; y < 24; ++y)
                for (int x = 0; x < 24; ++x)
                    Colours.insert(Source.pixel(x, y));
            int Foreign = 0;
            for (int y = 0; y < Shot.height(); ++y)
                for (int x = 0; x < Shot.width(); ++x)
                    Foreign += !Colours.count(Shot.pixel(x, y));
            QVERIFY2(Foreign == 0,
                     qPrintable(QString("%1 blended pixels at %2x").arg(Foreign).arg(Zoom)));
        }

        // The wheel scrolls three cells a notch, vertically, and with Shift sideways; the
        // highlight follows the map under the still pointer.
        QPoint Pos = f->DrawGrid1->pos();
        MoveTo(*f, QPoint(100, 100));
        Wheel(*f, QPoint(100, 100), -120);
        QCOMPARE(f->DrawGrid1->pos(), Pos - QPoint(0, 72));
        QCOMPARE(f->HLCell(), QPoint(4, 7));
        Wheel(*f, QPoint(100, 100 + 72), -120, Qt::ShiftModifier);
        QCOMPARE(f->DrawGrid1->pos(), Pos - QPoint(72, 72));
        QCOMPARE(f->HLCell(), QPoint(7, 7));

        // However far the right button drags, a whole cell stays in view: the last one...
        const QRect View = f->MapView();
        const auto Shown = [&](int c, int r) {
            const QRect Cell = f->DrawGrid1->CellRect(c, r).translated(f->DrawGrid1->pos());
            return View.contains(Cell);
        };
        SendButton(*f, QEvent::MouseButtonPress, QPoint(300, 300), Qt::RightButton);
        DragTo(*f, QPoint(300 - 50000, 300 - 50000), Qt::RightButton, {});
        SendButton(*f, QEvent::MouseButtonRelease, QPoint(300, 300), Qt::RightButton);
        QVERIFY(Shown(w - 1, h - 1));
        QVERIFY(!Shown(w - 2, h - 2));
        // ... or the first.
        SendButton(*f, QEvent::MouseButtonPress, QPoint(30, 30), Qt::RightButton);
        DragTo(*f, QPoint(30 + 50000, 30 + 50000), Qt::RightButton, {});
        SendButton(*f, QEvent::MouseButtonRelease, QPoint(30, 30), Qt::RightButton);
        QVERIFY(Shown(0, 0));
        QVERIFY(!Shown(1, 1));

        // Actual size (Home): 1x, the top-left cell where the grid started.
        f->SetZoom(2, Widget(Pointer));
        f->ActualSizeAction->trigger();
        QCOMPARE(f->Zoom(), 1);
        QCOMPARE(f->DrawGrid1->geometry(), QRect(24, 16, w * 24 + 2, h * 24 + 2));
        QCOMPARE(f->ActualSizeAction->shortcuts().first(), QKeySequence(Qt::Key_Home));
        QVERIFY2(fErrors.isEmpty(), qPrintable(fErrors.join('\n')));
    }

    void theStatusBarNamesTheCellTheItemTheZoomAndTheSize() {
        fRoot->AddMap("A1.Map", 3, 2, Bytes({7, 28, 200, 0, 0, 0}));
        auto f = Start();
        QCOMPARE(f->CellStatus->text(), QString());
        MoveTo(*f, QPoint(5, 5));
        QCOMPARE(f->CellStatus->text(), QString("Cell (0, 0): 7, texture 1 item 7"));
        MoveTo(*f, QPoint(24 + 5, 5));
        QCOMPARE(f->CellStatus->text(), QString("Cell (1, 0): 28, texture 2 item 3"));
        MoveTo(*f, QPoint(48 + 5, 5));
        QCOMPARE(f->CellStatus->text(), QString("Cell (2, 0): 200, unknown value 200"));
        QTest::mouseClick(f->DrawGrid2, Qt::LeftButton, {}, f->DrawGrid2->CellRect(2, 6).center());
        QCOMPARE(f->ItemStatus->text(), QString("Selected: 32, texture 2 item 7"));
        // Painting the cell under the pointer shows its new value at once.
        QTest::mouseClick(f->DrawGrid1, Qt::LeftButton, {}, Widget(QPoint(48 + 5, 5)));
        QCOMPARE(f->CellStatus->text(), QString("Cell (2, 0): 32, texture 2 item 7"));
        QCOMPARE(f->ZoomStatus->text(), QString("Zoom 1x"));
        QCOMPARE(f->SizeStatus->text(), QString("Map 3 x 2"));
        // Off the map's cells, no cell.
        MoveTo(*f, QPoint(3 * 24 + 10, 5));
        QCOMPARE(f->CellStatus->text(), QString());
    }

    void unsavedEditsAreAskedAboutAndEachAnswerKeepsItsWord() {
        fRoot->AddMap("A1.Map", 2, 2, TMyByteArray(4, 0));
        fRoot->AddMap("B1.Map", 3, 3, TMyByteArray(9, 5));
        auto f = Start();
        const auto Paint = [&] {
            QTest::mouseClick(f->DrawGrid1, Qt::LeftButton, {}, Widget(QPoint(5, 5)));
        };
        QTest::mouseClick(f->DrawGrid2, Qt::LeftButton, {}, f->DrawGrid2->CellRect(1, 0).center());
        Paint();
        QVERIFY(f->IsModified());

        // Cancel: the map, its edit and the chooser's selection stay.
        AnswerWith("Cancel");
        Choose(f->LevelCmb, 1);
        QCOMPARE(AskedQuestions(), QStringList({"Save the changes to \"A1.Map\"?"}));
        QCOMPARE(f->LevelCmb->currentIndex(), 0);
        QCOMPARE(f->MapParams().DecomBytes, Bytes({1, 0, 0, 0}));
        QVERIFY(f->IsModified());

        // Discard: the other map comes, the file keeps what it had.
        AnswerWith("Discard");
        Choose(f->LevelCmb, 1);
        QCOMPARE(AskedQuestions().size(), 2);
        QCOMPARE(f->MapParams().Width, 3);
        QVERIFY(!f->IsModified());
        int32_t w = 0, h = 0;
        QCOMPARE(MapLoader::LoadMap(fRoot->MapPath("A1.Map"), w, h), TMyByteArray(4, 0));

        // Nothing modified: nothing asked.
        Choose(f->LevelCmb, 0);
        QCOMPARE(AskedQuestions().size(), 2);

        // Save: the edit is written, then the other map comes.
        Paint();
        AnswerWith("Save");
        Choose(f->LevelCmb, 1);
        QCOMPARE(AskedQuestions().size(), 3);
        QCOMPARE(MapLoader::LoadMap(fRoot->MapPath("A1.Map"), w, h), Bytes({1, 0, 0, 0}));
        QCOMPARE(f->MapParams().Width, 3);

        // Closing the window asks too: Cancel keeps it open with the edit, Discard closes it.
        TMainFrm Window(*fSession);
        Window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&Window));
        TMainForm& m = *Window.MapFrm();
        QTest::mouseClick(Window.MapEditFrame, Qt::LeftButton);
        QTest::mouseClick(m.DrawGrid1, Qt::LeftButton, {}, Widget(QPoint(5, 5)));
        QVERIFY(m.IsModified());
        AnswerWith("Cancel");
        AskedQuestions().clear();
        QVERIFY(!Window.close());
        QVERIFY(Window.isVisible());
        QCOMPARE(AskedQuestions(), QStringList({"Save the changes to \"A1.Map\"?"}));
        AnswerWith("Discard");
        Window.QuitAction->trigger();
        QVERIFY(!Window.isVisible());
        QCOMPARE(MapLoader::LoadMap(fRoot->MapPath("A1.Map"), w, h), Bytes({1, 0, 0, 0}));
        QVERIFY(fErrors.isEmpty());
    }

    void aNewMapIsSavedUnderANameInsideMaps() {
        fRoot->AddMap("B1.Map", 2, 2, TMyByteArray(4, 0));
        fRoot->AddMap("B10.Map", 2, 2, TMyByteArray(4, 0));
        auto f = Start();
        TNewMapChoice Offered;
        f->NewMapDialog = [&](TNewMapChoice& c) {
            Offered = c;
            c = {3, 2, 33};
            return true;
        };
        QStringList Typed;
        f->SaveAsDialog = [&](const QString& Suggested) {
            Typed << Suggested;
            return Typed.size() == 1 ? QString("../Escape") : QString("B2");
        };
        QTest::mouseClick(f->DrawGrid2, Qt::LeftButton, {}, f->DrawGrid2->CellRect(4, 1).center());
        f->NewAction->trigger();
        QCOMPARE(Offered.Width, 2);
        QCOMPARE(Offered.Item, 9);
        QCOMPARE(f->MapParams().DecomBytes, TMyByteArray(6, 33));
        QCOMPARE(f->DrawGrid1->ColCount(), 3);
        QCOMPARE(f->LevelCmb->currentIndex(), -1);
        QVERIFY(f->IsModified());
        QCOMPARE(f->DocumentTitle(), QString("New map"));
        QCOMPARE(MapCell(*f, 2, 1), Item(0, 0, 8));

        // Save goes to Save as; a name that leaves Maps is refused and nothing is written.
        QTest::mouseClick(f->SaveBtn, Qt::LeftButton);
        QCOMPARE(fErrors.size(), 1);
        QVERIFY2(fErrors[0].contains("separator"), qPrintable(fErrors[0]));
        QVERIFY(!QFile::exists(fDir->file("Escape.Map")));
        QVERIFY(f->IsModified());
        // ".Map" is added; the chooser lists the file at once, in library order.
        f->SaveAsAction->trigger();
        QCOMPARE(Typed, QStringList({"New map", "New map"}));
        QVERIFY(!f->IsModified());
        QCOMPARE(f->MapFileName(), fRoot->MapPath("B2.Map"));
        int32_t w = 0, h = 0;
        QCOMPARE(MapLoader::LoadMap(fRoot->MapPath("B2.Map"), w, h), TMyByteArray(6, 33));
        QCOMPARE(f->LevelCmb->count(), 3);
        QCOMPARE(f->LevelCmb->itemText(1), QString("B2.Map"));
        QCOMPARE(f->LevelCmb->currentIndex(), 1);
        QCOMPARE(f->DocumentTitle(), QString("B2.Map"));

        // Another map's name, in any case, is that map: replacing it is asked first.
        f->SaveAsDialog = [](const QString&) { return QString("b10.map"); };
        AnswerWith("Cancel");
        f->SaveAsAction->trigger();
        QCOMPARE(AskedQuestions(), QStringList({"\"B10.Map\" already exists. Replace it?"}));
        QCOMPARE(MapLoader::LoadMap(fRoot->MapPath("B10.Map"), w, h), TMyByteArray(4, 0));
        AnswerWith("Replace");
        f->SaveAsAction->trigger();
        QCOMPARE(MapLoader::LoadMap(fRoot->MapPath("B10.Map"), w, h), TMyByteArray(6, 33));
        QCOMPARE(f->LevelCmb->count(), 3);
        QCOMPARE(f->LevelCmb->currentIndex(), 2);

        // A new map over unsaved edits asks first; Cancel keeps them.
        QTest::mouseClick(f->DrawGrid1, Qt::LeftButton, {}, Widget(QPoint(5, 5)));
        AnswerWith("Cancel");
        f->NewAction->trigger();
        QCOMPARE(f->MapFileName(), fRoot->MapPath("B10.Map"));
        QVERIFY(f->IsModified());
        QCOMPARE(fErrors.size(), 1);
    }

    void aMapExportedAsTmxComesBackInItsTexturesAndReimportsAsOneStep() {
        TMyByteArray Cells(5 * 3);
        for (size_t i = 0; i < Cells.size(); ++i)
            Cells[i] = uint8_t(i * 17); // values beyond the items too
        fRoot->AddMap("A1.Map", 5, 3, Cells);
        auto f = Start();
        Choose(f->Tex1cmb, 1);
        Choose(f->Tex2cmb, 2);
        Choose(f->SecPalCmb, 2);
        const QString Tmx = fDir->file("out.tmx");
        const QString Png = fDir->file("out-tiles.png");
        QStringList Proposed;
        f->TmxSaveDialog = [&](const QString& Suggested) {
            Proposed << Suggested;
            return Tmx;
        };
        QVERIFY(!f->ReimportTmxAction->isEnabled());
        f->ExportTmxAction->trigger();
        QVERIFY2(fErrors.isEmpty(), qPrintable(fErrors.join('\n')));
        // The export proposes the map's name; the TMX names its tileset picture beside it and
        // records the textures and palettes.
        QCOMPARE(Proposed, QStringList({QDir(fDir->path()).filePath("A1.tmx")}));
        const TMyByteArray Text = ReadBytes(Tmx);
        const QByteArray Xml(reinterpret_cast<const char*>(Text.data()), qsizetype(Text.size()));
        QVERIFY(Xml.contains("source=\"out-tiles.png\""));
        QVERIFY(Xml.contains("name=\"pal2\" type=\"int\" value=\"2\""));
        QVERIFY(Xml.contains("name=\"tex1-name\" value=\"A2.spr\""));
        QVERIFY(!QImage(Png).isNull());
        QVERIFY(AskedQuestions().isEmpty());

        // Exporting again asks about the picture beside the map before either is written.
        WriteBytes(Tmx, Bytes({'x'}));
        const TMyByteArray Picture = ReadBytes(Png);
        AnswerWith("Cancel");
        f->ExportTmxAction->trigger();
        QCOMPARE(Proposed.last(), Tmx);
        QCOMPARE(AskedQuestions(), QStringList({"\"out-tiles.png\" already exists. Replace it?"}));
        QCOMPARE(ReadBytes(Tmx), Bytes({'x'}));
        QCOMPARE(ReadBytes(Png), Picture);
        AnswerWith("Replace");
        f->ExportTmxAction->trigger();
        QCOMPARE(ReadBytes(Tmx), Text);
        QVERIFY(f->ReimportTmxAction->isEnabled());

        // The import opens a new map named after the file, in the textures and palettes the
        // file records.
        Choose(f->Tex1cmb, 0);
        Choose(f->Tex2cmb, 0);
        Choose(f->SecPalCmb, 0);
        f->TmxOpenDialog = [Tmx] { return Tmx; };
        f->ImportTmxAction->trigger();
        QVERIFY2(fErrors.isEmpty(), qPrintable(fErrors.join('\n')));
        QCOMPARE(f->MapParams().DecomBytes, Cells);
        QCOMPARE(f->MapParams().Width, 5);
        QVERIFY(f->IsModified());
        QVERIFY(f->MapFileName().isEmpty());
        QCOMPARE(f->DocumentTitle(), QString("out"));
        QCOMPARE(f->LevelCmb->currentIndex(), -1);
        QCOMPARE(f->Tex1cmb->currentIndex(), 1);
        QCOMPARE(f->Tex2cmb->currentIndex(), 2);
        QCOMPARE(f->SecPalCmb->currentIndex(), 2);
        QCOMPARE(f->FirstPalCmb->currentIndex(), 0);
        QCOMPARE(f->CellPictures().Picture(0), Item(1, 0, 0));
        QString SaveAsProposed;
        f->SaveAsDialog = [&](const QString& Suggested) {
            SaveAsProposed = Suggested;
            return QString();
        };
        f->SaveAsAction->trigger();
        QCOMPARE(SaveAsProposed, QString("out"));

        // The map changed in the map editor comes back as one step of the history.
        QTest::mouseClick(f->DrawGrid1, Qt::LeftButton, {}, Widget(QPoint(30, 5)));
        const TMyByteArray Painted = f->MapParams().DecomBytes;
        const QByteArray Changed = TmxFile::EncodeTmx({1, 2, 3, 4}, 2, 2, TTmxTileset(), {});
        WriteBytes(Tmx, TMyByteArray(Changed.begin(), Changed.end()));
        f->ReimportTmxAction->trigger();
        QVERIFY2(fErrors.isEmpty(), qPrintable(fErrors.join('\n')));
        QCOMPARE(f->MapParams().DecomBytes, TMyByteArray({1, 2, 3, 4}));
        QCOMPARE(f->DrawGrid1->ColCount(), 2);
        QCOMPARE(f->UndoStack()->count(), 2);
        f->UndoStack()->undo();
        QCOMPARE(f->MapParams().DecomBytes, Painted);
        QCOMPARE(f->DrawGrid1->ColCount(), 5);
        f->UndoStack()->redo();
        QCOMPARE(f->MapParams().Width, 2);

        // A refusal says what to do in the map editor.
        const QByteArray Infinite = QByteArray(Changed).replace("infinite=\"0\"", "infinite=\"1\"");
        WriteBytes(Tmx, TMyByteArray(Infinite.begin(), Infinite.end()));
        f->ReimportTmxAction->trigger();
        QCOMPARE(fErrors.size(), 1);
        QVERIFY(fErrors[0].contains("untick Infinite in the map's properties in the map editor"));
        QCOMPARE(f->MapParams().Width, 2);
    }

    void addCurrentStoresThePairWithoutApplyingIt() {
        fRoot->AddMap("A1.Map", 2, 2, TMyByteArray(4, 0));
        fRoot->MapSets = {{"first", 2, 1}};
        auto f = Start();
        // The first set is applied at start-up.
        QCOMPARE(f->Tex1cmb->currentIndex(), 2);
        QCOMPARE(f->Tex2cmb->currentIndex(), 1);

        Choose(f->Tex1cmb, 0);
        Choose(f->Tex2cmb, 2);
        const QImage Before = f->CellPictures().Picture(0);
        QTest::mouseClick(f->BitBtn1, Qt::LeftButton);
        QVERIFY2(fErrors.isEmpty(), qPrintable(fErrors.join('\n')));

        QCOMPARE(f->SetsCMB->count(), 2);
        QCOMPARE(f->SetsCMB->currentIndex(), 0);
        QCOMPARE(f->SetsCMB->itemText(1), QString("A1.spr : B1.spr"));
        QCOMPARE(f->SetArray().size(), size_t(2));
        QCOMPARE(f->SetArray()[1].i1, 0);
        QCOMPARE(f->SetArray()[1].i2, 2);
        // Not applied: the textures stay.
        QCOMPARE(f->Tex1cmb->currentIndex(), 0);
        QCOMPARE(f->Tex2cmb->currentIndex(), 2);
        QCOMPARE(f->CellPictures().Picture(0), Before);

        QFile File(fDir->file("XMLParams.xml"));
        QVERIFY(File.open(QIODevice::ReadOnly));
        QDomDocument Doc;
        QVERIFY(Doc.setContent(&File));
        const QDomElement Added = Doc.documentElement().childNodes().at(1).lastChildElement();
        QCOMPARE(Added.tagName(), QString("Set_1"));
        QCOMPARE(Added.attribute("Name"), QString("A1.spr : B1.spr"));
        QCOMPARE(Added.attribute("Tex1"), QString("0"));
        QCOMPARE(Added.attribute("Tex2"), QString("2"));
    }

    void choosingASetChangesTexturesAndKeepsPalettes() {
        fRoot->AddMap("A1.Map", 2, 2, TMyByteArray(4, 0));
        fRoot->MapSets = {{"first", 0, 0}, {"second", 1, 2}};
        auto f = Start();
        Choose(f->FirstPalCmb, 2);
        Choose(f->SecPalCmb, 1);
        // A palette choice redraws its own texture only.
        QCOMPARE(ItemCell(*f, 1, 0), Stretched(Item(0, 2, 1)));
        QCOMPARE(ItemCell(*f, 1, 5), Stretched(Item(0, 1, 1)));

        Choose(f->SetsCMB, 1);
        QCOMPARE(f->Tex1cmb->currentIndex(), 1);
        QCOMPARE(f->Tex2cmb->currentIndex(), 2);
        QCOMPARE(f->FirstPalCmb->currentIndex(), 2);
        QCOMPARE(f->SecPalCmb->currentIndex(), 1);
        QCOMPARE(ItemCell(*f, 4, 4), Stretched(Item(1, 2, 24)));
        QCOMPARE(ItemCell(*f, 1, 9), Stretched(Item(2, 1, 21)));
        QCOMPARE(f->MapParams().DecomBytes, TMyByteArray(4, 0));
        QVERIFY(fErrors.isEmpty());
    }

    void aSetNamingAMissingTextureIsRefused() {
        fRoot->AddMap("A1.Map", 2, 2, TMyByteArray(4, 0));
        fRoot->MapSets = {{"ok", 1, 1}, {"gone", 0, 7}};
        auto f = Start();
        Choose(f->SetsCMB, 1);
        QCOMPARE(fErrors.size(), 1);
        QVERIFY2(fErrors[0].contains("gone"), qPrintable(fErrors[0]));
        QCOMPARE(f->Tex1cmb->currentIndex(), 1);
        QCOMPARE(f->Tex2cmb->currentIndex(), 1);
    }

    void saveWritesTheMapBackAsPackType1() {
        // Pack type 2: stored column by column.
        WriteBytes(fRoot->MapPath("A1.Map"), Bytes({0, 2, 0, 2, 0, 2, 1, 2, 3, 4, 0xFF, 0xFF}));
        auto f = Start();
        QCOMPARE(f->MapParams().DecomBytes, Bytes({1, 3, 2, 4}));
        QTest::mouseClick(f->SaveBtn, Qt::LeftButton);
        QVERIFY(fErrors.isEmpty());
        QCOMPARE(ReadBytes(fRoot->MapPath("A1.Map")),
                 Bytes({0, 1, 0, 2, 0, 2, 1, 3, 2, 4, 0xFF, 0xFF}));

        // A file that cannot be written is reported; the map stays in memory, the workspace
        // usable, and the next save writes it.
        MoveTo(*f, QPoint(5, 5));
        QTest::mouseClick(f->DrawGrid1, Qt::LeftButton, {}, Widget(QPoint(5, 5)));
        QVERIFY(QDir(fDir->path()).rename("Maps", "Gone"));
        QTest::mouseClick(f->SaveBtn, Qt::LeftButton);
        QCOMPARE(fErrors.size(), 1);
        QVERIFY2(fErrors[0].startsWith("Cannot create file"), qPrintable(fErrors[0]));
        QVERIFY(!QDir(fDir->path()).exists("Maps"));
        QCOMPARE(f->MapParams().DecomBytes, Bytes({0, 3, 2, 4}));
        QVERIFY(QDir(fDir->path()).rename("Gone", "Maps"));
        QTest::mouseClick(f->SaveBtn, Qt::LeftButton);
        QCOMPARE(fErrors.size(), 1);
        QCOMPARE(ReadBytes(fRoot->MapPath("A1.Map")),
                 Bytes({0, 1, 0, 2, 0, 2, 0, 3, 2, 4, 0xFF, 0xFF}));
    }

    void aFailedLoadKeepsTheMapInMemoryAndItsFile() {
        fRoot->AddMap("A1.Map", 3, 2, TMyByteArray(6, 5));
        WriteBytes(fRoot->MapPath("B1.Map"), Bytes({0, 1, 0}));
        fRoot->AddMap("C1.Map", 2, 2, TMyByteArray(4, 9));
        auto f = Start();
        Choose(f->LevelCmb, 1);
        QCOMPARE(fErrors.size(), 1);
        QCOMPARE(f->LevelCmb->currentIndex(), 0);
        QCOMPARE(f->MapParams().Width, 3);
        QCOMPARE(f->DrawGrid1->size(), QSize(3 * 24 + 2, 2 * 24 + 2));

        MoveTo(*f, QPoint(30, 30));
        QTest::mouseClick(f->DrawGrid1, Qt::LeftButton, {}, Widget(QPoint(30, 30)));
        QTest::mouseClick(f->SaveBtn, Qt::LeftButton);
        int32_t w = 0, h = 0;
        QCOMPARE(MapLoader::LoadMap(fRoot->MapPath("A1.Map"), w, h), Bytes({5, 5, 5, 5, 0, 5}));
        QCOMPARE(ReadBytes(fRoot->MapPath("B1.Map")), Bytes({0, 1, 0}));

        // The chooser moves on from the map in memory.
        QTest::keyClick(f->LevelCmb, Qt::Key_End);
        QCOMPARE(f->LevelCmb->currentIndex(), 2);
        QCOMPARE(f->MapParams().DecomBytes, TMyByteArray(4, 9));
        QCOMPARE(fErrors.size(), 1);
    }

    void aCellBeyondTheItemsShowsTheUnknownPictureAndKeepsItsValue() {
        fRoot->AddMap("A1.Map", 3, 1, Bytes({60, 0xFE, 49}));
        auto f = Start();
        // The highlight goes to the border, off the cells.
        MoveTo(*f, QPoint(3 * 24, 24));
        QCOMPARE(f->HLCell(), QPoint(3, 1));
        QCOMPARE(MapCell(*f, 0, 0), Rgb(MapImageItems::UnknownItemPicture()));
        QCOMPARE(MapCell(*f, 1, 0), Rgb(MapImageItems::UnknownItemPicture()));
        QCOMPARE(MapCell(*f, 2, 0), Item(0, 0, 24));
        QTest::mouseClick(f->SaveBtn, Qt::LeftButton);
        int32_t w = 0, h = 0;
        QCOMPARE(MapLoader::LoadMap(fRoot->MapPath("A1.Map"), w, h), Bytes({60, 0xFE, 49}));
        QVERIFY(fErrors.isEmpty());
    }

    void anEmptyMapsFolderOpensAnEmptyWorkspace() {
        fRoot->MapSets = {{"s", 1, 2}};
        auto f = Start();
        QVERIFY2(fErrors.isEmpty(), qPrintable(fErrors.join('\n')));
        QCOMPARE(f->LevelCmb->count(), 0);
        QVERIFY(!f->SaveBtn->isEnabled());
        QVERIFY(f->MapFileName().isEmpty());
        // Start-up went on: the sets were read and the first applied.
        QCOMPARE(f->SetsCMB->count(), 1);
        QCOMPARE(f->Tex1cmb->currentIndex(), 1);
        QCOMPARE(f->Tex2cmb->currentIndex(), 2);
        // Nothing to paint, nothing to save.
        MoveTo(*f, QPoint(10, 10));
        QTest::mouseClick(f->DrawGrid1, Qt::LeftButton, {}, Widget(QPoint(10, 10)));
        f->SaveBtnClick();
        QVERIFY(f->MapParams().DecomBytes.empty());
        QCOMPARE(QDir(fRoot->MapPath("")).entryList(QDir::Files).size(), 0);
        QVERIFY(fErrors.isEmpty());
    }

    void aBrokenFirstMapIsReportedAndStartUpGoesOn() {
        WriteBytes(fRoot->MapPath("A1.Map"), Bytes({0, 1}));
        fRoot->AddMap("B1.Map", 2, 2, TMyByteArray(4, 0));
        fRoot->MapSets = {{"s", 1, 2}};
        auto f = Start();
        QCOMPARE(fErrors.size(), 1);
        QVERIFY2(fErrors[0].contains("A1.Map"), qPrintable(fErrors[0]));
        QCOMPARE(f->LevelCmb->currentIndex(), -1);
        QVERIFY(!f->SaveBtn->isEnabled());
        QCOMPARE(f->SetsCMB->count(), 1);
        QCOMPARE(f->Tex2cmb->currentIndex(), 2);
        QTest::keyClick(f->LevelCmb, Qt::Key_End);
        QCOMPARE(f->MapParams().Width, 2);
        QVERIFY(f->SaveBtn->isEnabled());
        QCOMPARE(fErrors.size(), 1);
    }

    void anEmptyLibraryOpensAnEmptyWorkspace() {
        QDir(fRoot->SpritePath("")).removeRecursively();
        fRoot->AddMap("A1.Map", 2, 2, Bytes({0, 30, 60, 1}));
        fRoot->MapSets = {{"s", 1, 2}};
        auto f = Start();
        QVERIFY2(fErrors.isEmpty(), qPrintable(fErrors.join('\n')));
        QCOMPARE(f->Tex1cmb->count(), 0);
        QVERIFY(!f->BitBtn1->isEnabled());
        // No map is loaded and nothing can be saved; the start-up went on to the sets.
        QCOMPARE(f->LevelCmb->count(), 1);
        QCOMPARE(f->LevelCmb->currentIndex(), -1);
        QVERIFY(f->MapParams().DecomBytes.empty());
        QVERIFY(!f->SaveBtn->isEnabled());
        QCOMPARE(f->SetsCMB->count(), 1);

        // A map chosen afterwards still loads, its cells in colour 0.
        QTest::keyClick(f->LevelCmb, Qt::Key_Home);
        QCOMPARE(f->MapParams().Width, 2);
        QVERIFY(f->SaveBtn->isEnabled());
        QCOMPARE(MapCell(*f, 1, 1).pixel(5, 5),
                 BmpMaker::PaletteColor(fSession->PalletteArray(), 0, 0));
        Choose(f->FirstPalCmb, 1);
        QVERIFY(fErrors.isEmpty());
    }
};

VELKORA_GUI_TEST_MAIN(MapFrmTest)
#include "MapFrmTest.moc"
