// SPDX-License-Identifier: MIT
// The map workspace's view: what the pointer previews and names, the rectangle's preview, the
// new-map dialog's limits, navigation on large maps, and long loads and saves.

#include "maps/MapFrm.h"
#include "maps/MapLoader.h"
#include "maps/MapNavigator.h"
#include "maps/MapOverviewWindow.h"
#include "shell/Application.h"
#include "shell/Session.h"
#include "tests/gui/GuiTestMain.h"
#include "tests/support/DataRoot.h"
#include "tests/support/TestSupport.h"
#include "widgets/LongTask.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QMouseEvent>
#include <QProgressDialog>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <QSpinBox>
#include <QSpontaneKeyEvent>
#include <QTimer>
#include <QWheelEvent>

#include <memory>

using namespace velkora;
using namespace velkora::test;

namespace {

// Map grid client coordinates lie inside its one-pixel border.
QPoint Widget(QPoint Client) {
    return Client + QPoint(1, 1);
}

void MoveTo(TMainForm& f, QPoint Client) {
    QTest::mouseMove(f.DrawGrid1, Widget(Client));
}

// A move with buttons held, as the window system delivers it during a drag.
void DragTo(TMainForm& f, QPoint Client, Qt::MouseButtons Buttons) {
    const QPoint p = Widget(Client);
    QMouseEvent e(QEvent::MouseMove, p, f.DrawGrid1->mapToGlobal(p), Qt::NoButton, Buttons,
                  Qt::NoModifier);
    QApplication::sendEvent(f.DrawGrid1, &e);
}

void SendButton(TMainForm& f, QEvent::Type Type, QPoint Client, Qt::MouseButton Button) {
    const QPoint p = Widget(Client);
    QMouseEvent e(Type, p, f.DrawGrid1->mapToGlobal(p), Button,
                  Type == QEvent::MouseButtonPress ? Qt::MouseButtons(Button) : Qt::NoButton,
                  Qt::NoModifier);
    QApplication::sendEvent(f.DrawGrid1, &e);
}

// A turn of the wheel over a point of the map grid, delivered as the window system's.
void Wheel(TMainForm& f, QPoint Client, int Angle, Qt::KeyboardModifiers Keys = {}) {
    const QPoint p = Widget(Client);
    QWheelEvent e(p, f.DrawGrid1->mapToGlobal(p), QPoint(), QPoint(0, Angle), Qt::NoButton, Keys,
                  Qt::NoScrollPhase, false);
    QSpontaneKeyEvent::setSpontaneous(&e);
    qApp->notify(f.DrawGrid1, &e);
}

QImage Rgb(const QImage& i) {
    return i.convertToFormat(QImage::Format_RGB32);
}

QImage MapCell(TMainForm& f, int Col, int Row) {
    return Rgb(f.DrawGrid1->grab(f.DrawGrid1->CellRect(Col, Row)).toImage());
}

// The cell under a point of the workspace, at 1x with the grid at Pos.
QPoint CellUnder(QPoint Workspace, QPoint Pos) {
    const QPoint p = Workspace - Pos - QPoint(1, 1);
    return QPoint(p.x() / 24, p.y() / 24);
}

// Answers every question with the answer named Answer, recording the questions.
void AnswerWith(const QString& Answer) {
    SetQuestionSink([Answer](const QString& Question, const QStringList& Answers) {
        AskedQuestions() << Question;
        return int(Answers.indexOf(Answer));
    });
}

// Calls Seen at every paint of the widget it watches.
class PaintWatch : public QObject {
public:
    explicit PaintWatch(std::function<void()> Seen) : fSeen(std::move(Seen)) {}
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint)
            fSeen();
        return false;
    }

private:
    std::function<void()> fSeen;
};

} // namespace

class MapViewTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TempDir> fDir;
    std::unique_ptr<DataRoot> fRoot;
    std::unique_ptr<TSession> fSession;
    QStringList fErrors;

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

    QImage Picture(TMainForm& f, int Value) const { return Rgb(f.CellPictures().Picture(Value)); }

private slots:
    void init() {
        fErrors.clear();
        TApplication::SetErrorSink([this](const QString& m) { fErrors << m; });
        fDir = std::make_unique<TempDir>();
        fRoot = std::make_unique<DataRoot>(fDir->path());
        fRoot->AddSprite("A1.spr", PatternWords(225, 1));
        fRoot->AddSprite("B1.spr", PatternWords(225, 2));
        fRoot->Palettes = {DistinctPalette(0), DistinctPalette(1)};
    }
    void cleanup() {
        AnswerDiscard();
        AskedQuestions().clear();
        fSession.reset();
        fRoot.reset();
        fDir.reset();
    }

    void theRectanglePreviewsExactlyTheCellsItFills() {
        constexpr int w = 10, h = 8;
        fRoot->AddMap("A1.Map", w, h, TMyByteArray(size_t(w * h), 3));
        auto f = Start();
        f->SetTool(TMapTool::Rectangle);
        QTest::mouseClick(f->DrawGrid2, Qt::LeftButton, {}, f->DrawGrid2->CellRect(2, 1).center());
        QCOMPARE(f->SelImage(), 7);
        // Every direction of the drag: down-right, up-left, up-right, down-left.
        const std::pair<QPoint, QPoint> Drags[] = {
            {{3, 2}, {7, 5}}, {{7, 5}, {3, 2}}, {{2, 6}, {8, 1}}, {{8, 1}, {2, 6}}};
        for (const auto& [From, To] : Drags) {
            SendButton(*f, QEvent::MouseButtonPress, From * 24 + QPoint(5, 5), Qt::LeftButton);
            DragTo(*f, To * 24 + QPoint(5, 5), Qt::LeftButton);
            const QRect Want(QPoint(std::min(From.x(), To.x()), std::min(From.y(), To.y())),
                             QPoint(std::max(From.x(), To.x()), std::max(From.y(), To.y())));
            int Previewed = 0;
            for (int r = 0; r < h; ++r)
                for (int c = 0; c < w; ++c) {
                    if (QPoint(c, r) == To)
                        continue; // the pointer's cell carries the highlight frame
                    const bool Shown = MapCell(*f, c, r) == Picture(*f, 7);
                    QVERIFY2(Shown == Want.contains(c, r),
                             qPrintable(QString("cell (%1, %2)").arg(c).arg(r)));
                    Previewed += Shown;
                }
            QCOMPARE(Previewed, Want.width() * Want.height() - 1);
            SendButton(*f, QEvent::MouseButtonRelease, To * 24 + QPoint(5, 5), Qt::LeftButton);
            for (int r = 0; r < h; ++r)
                for (int c = 0; c < w; ++c)
                    QCOMPARE(f->MapParams().GetValue(r, c), uint8_t(Want.contains(c, r) ? 7 : 3));
            f->UndoStack()->undo();
        }
        QVERIFY2(fErrors.isEmpty(), qPrintable(fErrors.join('\n')));
    }

    void thePreviewAndTheStatusFollowThePointerOnly() {
        constexpr int w = 40, h = 30;
        fRoot->AddMap("A1.Map", w, h, TMyByteArray(size_t(w * h), 3));
        auto f = Start();
        // Before the pointer was over the map: no preview anywhere, no cell named.
        QCOMPARE(MapCell(*f, 0, 0), Picture(*f, 3));
        QCOMPARE(f->CellStatus->text(), QString());

        // Over the map the pointer's cell previews the selected item; off it, nothing does.
        MoveTo(*f, QPoint(2 * 24 + 5, 24 + 5));
        QVERIFY(MapCell(*f, 2, 1) != Picture(*f, 3));
        QCOMPARE(f->CellStatus->text(), QString("Cell (2, 1): 3, texture 1 item 3"));
        QEvent Leave(QEvent::Leave);
        QApplication::sendEvent(f->DrawGrid1, &Leave);
        QCOMPARE(MapCell(*f, 2, 1), Picture(*f, 3));
        QCOMPARE(f->CellStatus->text(), QString());

        // Zoomed and scrolled under a still pointer, then Home: the highlight and the status name
        // the cell under the pointer, which a click then paints.
        const QPoint Pointer(5 * 24 + 7, 3 * 24 + 11);
        const QPoint InWorkspace = f->DrawGrid1->mapTo(f.get(), Widget(Pointer));
        MoveTo(*f, Pointer);
        Wheel(*f, Pointer, 120, Qt::ControlModifier);
        QCOMPARE(f->Zoom(), 2);
        const QPoint Zoomed = f->DrawGrid1->mapFrom(f.get(), InWorkspace) - QPoint(1, 1);
        Wheel(*f, Zoomed, -240);
        Wheel(*f, Zoomed + QPoint(0, 144), -120, Qt::ShiftModifier);
        f->ActualSizeAction->trigger();
        QCOMPARE(f->Zoom(), 1);
        const QPoint Under = CellUnder(InWorkspace, f->DrawGrid1->pos());
        QCOMPARE(Under, QPoint(5, 3));
        QCOMPARE(f->HLCell(), Under);
        QCOMPARE(f->CellStatus->text(), QString("Cell (5, 3): 3, texture 1 item 3"));
        QVERIFY(MapCell(*f, 0, 0) == Picture(*f, 3));
        QVERIFY2(fErrors.isEmpty(), qPrintable(fErrors.join('\n')));
    }

    void theNewMapDialogRefusesValuesBeyondItsLimitsAndSaveAsMakesMaps() {
        QVERIFY(QDir(fRoot->MapPath("")).removeRecursively());
        auto f = Start();
        QVERIFY(!f->Document().HasMap());

        TNewMapDialog Dialog({64, 64, 3}, f->CellPictures());
        Dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&Dialog));
        const auto Type = [](QSpinBox* Box, const char* Text) {
            Box->setFocus();
            QTest::keyClick(Box, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(Box, Text);
        };
        // Typed as it stands, shown as refused; OK (and Enter) wait for a valid value.
        Type(Dialog.WidthBox, "4097");
        QCOMPARE(Dialog.WidthBox->value(), 4097);
        QVERIFY(!Dialog.OkButton->isEnabled());
        QVERIFY(Dialog.Refusal->isVisible());
        QCOMPARE(Dialog.Refusal->text(), QString("The width must be from 1 to 4096, not 4097."));
        QTest::keyClick(Dialog.WidthBox, Qt::Key_Return);
        QVERIFY(Dialog.isVisible());
        QCOMPARE(Dialog.result(), int(QDialog::Rejected));
        Type(Dialog.HeightBox, "5000");
        QCOMPARE(Dialog.HeightBox->value(), 5000);
        QCOMPARE(Dialog.Refusal->text(), QString("The width must be from 1 to 4096, not 4097.\n"
                                                 "The height must be from 1 to 4096, not 5000."));
        Type(Dialog.ItemBox, "50");
        QVERIFY(Dialog.Refusal->text().endsWith("The fill item must be from 0 to 49, not 50."));
        // Stepping keeps to the limits; valid values enable OK.
        Type(Dialog.WidthBox, "4096");
        QTest::keyClick(Dialog.WidthBox, Qt::Key_Up);
        QCOMPARE(Dialog.WidthBox->value(), 4096);
        Type(Dialog.HeightBox, "0");
        QTest::keyClick(Dialog.HeightBox, Qt::Key_Up);
        QCOMPARE(Dialog.HeightBox->value(), 1);
        QVERIFY(!Dialog.OkButton->isEnabled());
        Type(Dialog.ItemBox, "9");
        QVERIFY(Dialog.OkButton->isEnabled());
        QVERIFY(!Dialog.Refusal->isVisible());
        QTest::mouseClick(Dialog.OkButton, Qt::LeftButton);
        QCOMPARE(Dialog.result(), int(QDialog::Accepted));
        QCOMPARE(Dialog.Choice().Width, 4096);
        QCOMPARE(Dialog.Choice().Height, 1);
        QCOMPARE(Dialog.Choice().Item, 9);

        // A root without Maps: Save map as makes the folder.
        f->NewMapDialog = [](TNewMapChoice& c) {
            c = {3, 2, 9};
            return true;
        };
        f->SaveAsDialog = [](const QString&) { return QString("Fresh"); };
        f->NewAction->trigger();
        f->SaveAsAction->trigger();
        QVERIFY2(fErrors.isEmpty(), qPrintable(fErrors.join('\n')));
        int32_t w = 0, h = 0;
        QCOMPARE(MapLoader::LoadMap(fRoot->MapPath("Fresh.Map"), w, h), TMyByteArray(6, 9));
        QCOMPARE(f->LevelCmb->currentText(), QString("Fresh.Map"));
    }

    void scrollBarsKeysGoToAndTheOverviewMoveTheView() {
        constexpr int w = 200, h = 150;
        TMyByteArray Cells(size_t(w * h));
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                Cells[size_t(y * w + x)] = uint8_t((x / 10 + y / 10) % 50);
        fRoot->AddMap("A1.Map", w, h, Cells);
        auto f = Start();
        TMapNavigator& n = *f->Navigator();
        QScrollBar* H = n.HorizontalBar;
        QScrollBar* V = n.VerticalBar;
        const QRect View = f->MapView();
        QCOMPARE(View.right() + 1, H->width());
        QCOMPARE(View.bottom() + 1, V->height());
        // The bars name the map pixel at the view's edges, and follow every way of moving.
        const auto BarsFollow = [&] {
            return H->value() == View.left() - 1 - f->DrawGrid1->x() &&
                   V->value() == View.top() - 1 - f->DrawGrid1->y();
        };
        QCOMPARE(f->DrawGrid1->pos(), QPoint(24, 16));
        QVERIFY(BarsFollow());
        QCOMPARE(H->pageStep(), View.width());
        // The bar's arrow: a cell.
        QTest::mouseClick(H, Qt::LeftButton, {}, QPoint(H->width() - 4, H->height() / 2));
        QCOMPARE(f->DrawGrid1->pos(), QPoint(0, 16));
        QVERIFY(BarsFollow());

        // Arrows by a cell, Page keys by a screen of whole cells (Shift: sideways).
        MoveTo(*f, QPoint(100, 100));
        QVERIFY(f->DrawGrid1->hasFocus());
        QTest::keyClick(f->DrawGrid1, Qt::Key_Right);
        QTest::keyClick(f->DrawGrid1, Qt::Key_Down);
        QCOMPARE(f->DrawGrid1->pos(), QPoint(-24, -8));
        QVERIFY(BarsFollow());
        QCOMPARE(f->HLCell(), QPoint(5, 5)); // the cell now under the still pointer
        QTest::keyClick(f->DrawGrid1, Qt::Key_PageDown);
        QCOMPARE(f->DrawGrid1->pos(), QPoint(-24, -8 - View.height() / 24 * 24));
        QTest::keyClick(f->DrawGrid1, Qt::Key_PageDown, Qt::ShiftModifier);
        QTest::keyClick(f->DrawGrid1, Qt::Key_Left);
        QTest::keyClick(f->DrawGrid1, Qt::Key_PageUp);
        QCOMPARE(f->DrawGrid1->pos(), QPoint(-View.width() / 24 * 24, -8));
        QVERIFY(BarsFollow());
        // The wheel and the right button as before; the bars follow them.
        // (at workspace points inside the view, wherever the grid lies)
        const auto Client = [&](QPoint Workspace) {
            return Workspace - f->DrawGrid1->pos() - QPoint(1, 1);
        };
        Wheel(*f, Client(QPoint(200, 200)), -120);
        QCOMPARE(f->DrawGrid1->pos(), QPoint(-View.width() / 24 * 24, -80));
        QVERIFY(BarsFollow());
        const QPoint Grab = Client(QPoint(300, 300));
        SendButton(*f, QEvent::MouseButtonPress, Grab, Qt::RightButton);
        DragTo(*f, Grab + QPoint(-50, -30), Qt::RightButton);
        SendButton(*f, QEvent::MouseButtonRelease, Grab, Qt::RightButton);
        QCOMPARE(f->DrawGrid1->pos(), QPoint(-View.width() / 24 * 24 - 50, -110));
        QVERIFY(BarsFollow());

        // Go to cell (Ctrl+J): the view centres on the cell.
        QCOMPARE(n.GoToAction->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_J));
        QVERIFY(f->ViewActions.contains(n.GoToAction));
        QPoint Offered;
        QSize OfferedMap;
        n.GoToCellDialog = [&](QPoint Start, QSize Map) -> std::optional<QPoint> {
            Offered = Start;
            OfferedMap = Map;
            return QPoint(150, 100);
        };
        const auto CentreCell = [&] {
            const QPoint c = View.center() - f->DrawGrid1->pos() - QPoint(1, 1);
            return QPoint(c.x() / 24, c.y() / 24);
        };
        const QPoint Before = CentreCell();
        n.GoToAction->trigger();
        QCOMPARE(Offered, Before);
        QCOMPARE(OfferedMap, QSize(w, h));
        QCOMPARE(CentreCell(), QPoint(150, 100));
        QVERIFY(BarsFollow());

        // The overview: one pixel per cell in its item's mean colour, the view's part framed.
        QVERIFY(f->ViewActions.contains(n.OverviewAction));
        n.OverviewAction->trigger();
        TMapOverviewWindow* o = n.OverviewWindow();
        QVERIFY(o && o->isVisible());
        QVERIFY(QTest::qWaitForWindowExposed(o));
        QCOMPARE(o->Picture().size(), QSize(w, h));
        const auto Mean = [&](int Value) {
            const QImage p = Picture(*f, Value);
            qint64 r = 0, g = 0, b = 0;
            for (int y = 0; y < 24; ++y)
                for (int x = 0; x < 24; ++x) {
                    r += qRed(p.pixel(x, y));
                    g += qGreen(p.pixel(x, y));
                    b += qBlue(p.pixel(x, y));
                }
            return qRgb(int((r + 288) / 576), int((g + 288) / 576), int((b + 288) / 576));
        };
        QCOMPARE(o->Picture().pixel(37, 64), Mean((3 + 6) % 50));
        const QRectF Shown = o->VisibleCells();
        QCOMPARE(Shown.size(), QSizeF(View.size()) / 24);
        QVERIFY(Shown.contains(QPointF(150.5, 100.5)));
        // A click there centres the view on the cell under it; a drag takes the view along.
        const auto At = [&](QPointF Cell) {
            const QRectF r = o->PictureRect();
            return (r.topLeft() + Cell * r.width() / w).toPoint();
        };
        QTest::mouseClick(o, Qt::LeftButton, {}, At(QPointF(40.5, 30.5)));
        QCOMPARE(CentreCell(), QPoint(40, 30));
        QVERIFY(o->VisibleCells().contains(QPointF(40.5, 30.5)));
        QTest::mousePress(o, Qt::LeftButton, {}, At(QPointF(60.5, 30.5)));
        QMouseEvent Move(QEvent::MouseMove, At(QPointF(120.5, 90.5)),
                         o->mapToGlobal(At(QPointF(120.5, 90.5))), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(o, &Move);
        QTest::mouseRelease(o, Qt::LeftButton, {}, At(QPointF(120.5, 90.5)));
        QCOMPARE(CentreCell(), QPoint(120, 90));
        // An edit reaches it at once.
        const QPoint Centre = View.center() - f->DrawGrid1->pos() - QPoint(1, 1);
        QTest::mouseClick(f->DrawGrid1, Qt::LeftButton, {}, Centre + QPoint(1, 1));
        QCOMPARE(f->MapParams().GetValue(90, 120), uint8_t(0));
        QCOMPARE(o->Picture().pixel(120, 90), Mean(0));
        // It floats over the window while the workspace is shown.
        f->hide();
        QVERIFY(!o->isVisible());
        f->show();
        QVERIFY(o->isVisible());
        n.OverviewAction->trigger();
        QVERIFY(!o->isVisible());
        QVERIFY2(fErrors.isEmpty(), qPrintable(fErrors.join('\n')));
    }

    void longLoadsAndSavesShowProgressAndHugeEmptyMapsAreAskedAbout() {
        fRoot->AddMap("A1.Map", 3, 2, TMyByteArray(6, 1));
        constexpr int Side = 6000; // 36 million cells: the load and the save report in steps
        TMyByteArray Big(size_t(Side) * Side);
        for (size_t i = 0; i < Big.size(); ++i)
            Big[i] = uint8_t(i / 5 % 3);
        fRoot->AddMap("B1.Map", Side, Side, Big);
        // Seven bytes that declare 4.3 GB of cells, and 25 MB of them.
        WriteBytes(fRoot->MapPath("Huge.Map"), {0, 1, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
        WriteBytes(fRoot->MapPath("Sparse.Map"), {0, 1, 0x13, 0x88, 0x13, 0x88, 7, 0xFF});
        auto f = Start();
        QCOMPARE(f->LevelCmb->currentText(), QString("A1.Map"));
        LongTask::ShowAfter() = 0;
        auto Restore = qScopeGuard([] { LongTask::ShowAfter() = 1000; });

        // The window paints while the dialog is up; Cancel keeps the map shown.
        bool PaintedMeanwhile = false;
        PaintWatch Watch([&] {
            PaintedMeanwhile |=
                qobject_cast<QProgressDialog*>(qApp->activeModalWidget()) != nullptr;
        });
        f->installEventFilter(&Watch);
        QStringList Dialogs;
        // At the dialog's first events the workspace is to be repainted, at its next Cancel is
        // clicked.
        const auto CancelOnce = [&] {
            QTimer::singleShot(0, [&] {
                auto* d = qobject_cast<QProgressDialog*>(qApp->activeModalWidget());
                Dialogs << (d ? d->labelText() : QString("no dialog"));
                f->update();
                QTimer::singleShot(0, [&] {
                    if (auto* d = qobject_cast<QProgressDialog*>(qApp->activeModalWidget()))
                        QTest::mouseClick(d->findChild<QPushButton*>(), Qt::LeftButton);
                });
            });
        };
        CancelOnce();
        f->LevelCmb->setFocus();
        QTest::keyClick(f->LevelCmb, Qt::Key_Down);
        QCOMPARE(Dialogs, QStringList({"Opening B1.Map..."}));
        QVERIFY(PaintedMeanwhile);
        QCOMPARE(f->MapParams().Width, 3);
        QCOMPARE(f->LevelCmb->currentText(), QString("A1.Map"));
        // Without Cancel it opens.
        QTest::keyClick(f->LevelCmb, Qt::Key_Down);
        QCOMPARE(f->MapParams().Width, Side);
        QVERIFY(f->MapParams().DecomBytes == Big);
        QVERIFY(!qApp->activeModalWidget());

        // A save likewise: Cancel leaves the file as it was and the edit unsaved.
        f->SetTool(TMapTool::Fill);
        QTest::mouseClick(f->DrawGrid2, Qt::LeftButton, {}, f->DrawGrid2->CellRect(4, 1).center());
        QTest::mouseClick(f->DrawGrid1, Qt::LeftButton, {}, Widget(QPoint(5, 5)));
        QVERIFY(f->IsModified());
        const TMyByteArray File = ReadBytes(fRoot->MapPath("B1.Map"));
        CancelOnce();
        QTest::mouseClick(f->SaveBtn, Qt::LeftButton);
        QCOMPARE(Dialogs.last(), QString("Saving B1.Map..."));
        QVERIFY(ReadBytes(fRoot->MapPath("B1.Map")) == File);
        QVERIFY(f->IsModified());
        QTest::mouseClick(f->SaveBtn, Qt::LeftButton);
        QVERIFY(!f->IsModified());
        int32_t w = 0, h = 0;
        QVERIFY(MapLoader::LoadMap(fRoot->MapPath("B1.Map"), w, h) == f->MapParams().DecomBytes);

        // A few bytes declaring millions of cells: asked first; Cancel keeps the map shown.
        AnswerWith("Cancel");
        QTest::keyClick(f->LevelCmb, Qt::Key_Down);
        QCOMPARE(AskedQuestions(), QStringList({"Huge.Map declares 65535 x 65535 cells (4.3 GB) "
                                                "but holds data for 0 of them. Open it?"}));
        QCOMPARE(f->MapParams().Width, Side);
        QCOMPARE(f->LevelCmb->currentText(), QString("B1.Map"));
        AnswerWith("Open");
        QTest::keyClick(f->LevelCmb, Qt::Key_End);
        QCOMPARE(AskedQuestions().last(), QString("Sparse.Map declares 5000 x 5000 cells (25.0 MB) "
                                                  "but holds data for 1 of them. Open it?"));
        QCOMPARE(f->MapParams().Width, 5000);
        QCOMPARE(f->MapParams().GetValue(0, 0), uint8_t(7));
        QVERIFY2(fErrors.isEmpty(), qPrintable(fErrors.join('\n')));
    }
};

VELKORA_GUI_TEST_MAIN(MapViewTest)
#include "MapViewTest.moc"
