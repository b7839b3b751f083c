// SPDX-License-Identifier: MIT
// Drawing in the workbench with the real mouse and keys: a pencil stroke, a fill, picking a
// colour, the clipboard both ways, the tile commands, and the picture growing with the form.

#include "palettes/BmpMaker.h"
#include "palettes/ChangePalletteFrm.h"
#include "shell/Application.h"
#include "shell/Session.h"
#include "tests/gui/GuiTestMain.h"
#include "tests/support/DataRoot.h"
#include "tests/support/TestSupport.h"
#include "workbench/DrawingPanel.h"
#include "workbench/SpritesFrm.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QPointer>
#include <QUndoStack>

#include <memory>

using namespace velkora;

namespace {

const TMyArray Words = test::PatternWords(100, 1);

// The colour index of pixel (x, y) of tile Block, read from the words alone.
int IndexOf(const TMyArray& w, int64_t Block, int x, int y) {
    return (w[size_t(Block * 16 + y * 2 + x / 4)] >> ((3 - x % 4) * 4)) & 15;
}

} // namespace

class SpriteDrawingTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TempDir> fDir;
    std::unique_ptr<test::DataRoot> fRoot;
    std::unique_ptr<TSession> fSession;
    QStringList fErrors;
    TSpriteFrm* fFrm = nullptr;

    TSpriteDocument& Doc() { return fFrm->Document(); }
    const TMyArray& Now() { return fFrm->SpriteInfo().Bytes; }
    // The sprite pixel under screen point P of the picture, read from the words.
    int IndexAt(QPoint P) {
        TSpriteLayoutView::TPixel Pixel;
        if (!fFrm->View().PixelAt(P, QPoint(0, 0), Pixel))
            return -1;
        return IndexOf(Now(), Pixel.Block, Pixel.X, Pixel.Y);
    }
    QRgb Colour(int Index) {
        return BmpMaker::PaletteColor(fSession->PalletteArray(), Doc().SecondPalIndex(), Index);
    }
    void ClickSwatch(int Index, Qt::MouseButton Button) {
        QTest::mouseClick(fFrm->DrawingPanel, Button, {},
                          fFrm->DrawingPanel->SwatchRect(Index).center());
    }

private slots:
    void initTestCase() {
        TApplication::SetErrorSink([this](const QString& m) { fErrors << m; });
    }

    void init() {
        fErrors.clear();
        fDir = std::make_unique<test::TempDir>();
        fRoot = std::make_unique<test::DataRoot>(fDir->path());
        for (int p = 0; p < 4; ++p)
            fRoot->Palettes.push_back(test::DistinctPalette(p));
        fRoot->PalSets = {MyTypes::IdentityPallette()};
        fRoot->WriteParams();
        fRoot->AddSprite("A1.spr", Words, true);
        fSession = std::make_unique<TSession>(fRoot->Root());
        RunReported([&] { fSession->ReadParameters(); });
        fFrm = new TSpriteFrm(*fSession);
        fFrm->DockPalFrm(new TChPalFrm(*fSession, &fFrm->Document()));
        fFrm->show();
        QVERIFY(QTest::qWaitForWindowExposed(fFrm));
        QCOMPARE(Now(), Words);
    }

    void cleanup() {
        test::AnswerDiscard();
        delete fFrm;
        fFrm = nullptr;
        fSession.reset();
        QVERIFY2(fErrors.isEmpty(), qPrintable(fErrors.join('\n')));
    }

    void aPencilStrokeAtFourTimesHasNoGapsAndIsOneUndoStep() {
        fFrm->SetZoom(4);
        ClickSwatch(5, Qt::LeftButton);
        QCOMPARE(fFrm->DrawingPanel->Colour(0), 5);
        QVERIFY(fFrm->StatusText().contains("colours 5 / 0"));
        QCOMPARE(fFrm->Tool(), TPixelToolKind::Pencil);
        // A fast drag along the top row: three pointer positions 60 screen pixels apart.
        QTest::mousePress(fFrm->Image1, Qt::LeftButton, {}, QPoint(1, 1));
        QTest::mouseMove(fFrm->Image1, QPoint(61, 1));
        QTest::mouseMove(fFrm->Image1, QPoint(121, 1));
        QTest::mouseRelease(fFrm->Image1, Qt::LeftButton, {}, QPoint(121, 1));
        for (int x = 1; x <= 121; x += 4)
            QCOMPARE(IndexAt(QPoint(x, 1)), 5);
        QCOMPARE(IndexAt(QPoint(1, 5)), IndexOf(Words, 0, 0, 1));
        QCOMPARE(Doc().UndoStack()->count(), 1);
        QCOMPARE(Doc().UndoStack()->undoText(), QString("Pencil"));
        // What is shown is what was drawn.
        const QImage Shown = fFrm->Image1->pixmap().toImage();
        QCOMPARE(Shown.pixel(90, 2), Colour(5));
        // The drawn words became the base of recolouring.
        QCOMPARE(Doc().BaseWords(), Now());
        Doc().UndoStack()->undo();
        QCOMPARE(Now(), Words);
        QVERIFY(!Doc().IsModified());
        QVERIFY(fFrm->Image1->pixmap().toImage().pixel(90, 2) != Colour(5) ||
                IndexAt(QPoint(90, 2)) == 5);

        // The keys: the arrows move the pixel cursor, Space paints its pixel.
        fFrm->Image1->setFocus();
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(fFrm->Image1, Qt::Key_Right);
        QTest::keyClick(fFrm->Image1, Qt::Key_Down);
        QCOMPARE(fFrm->Cursor(), QPoint(3, 1));
        QTest::keyClick(fFrm->Image1, Qt::Key_Space);
        QCOMPARE(IndexAt(QPoint(3 * 4, 4)), 5);
        QCOMPARE(Doc().UndoStack()->count(), 1);
    }

    void fillAndPick() {
        // (1, 1) at 1x is pixel (1, 1) of tile 0 (24 x 24 groups, clockwise).
        const int Old = IndexOf(Words, 0, 1, 1);
        const int New = (Old + 7) % 16;
        ClickSwatch(New, Qt::RightButton);
        QCOMPARE(fFrm->DrawingPanel->Colour(1), New);
        fFrm->ToolActions[int(TPixelToolKind::Fill)]->trigger();
        // Shift: within the tile.
        QTest::mouseClick(fFrm->Image1, Qt::RightButton, Qt::ShiftModifier, QPoint(1, 1));
        QCOMPARE(IndexOf(Now(), 0, 1, 1), New);
        // Only tile 0 changed, and no pixel of the old colour touches the filled region in it.
        QVERIFY(std::equal(Now().begin() + 16, Now().end(), Words.begin() + 16));
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) {
                if (IndexOf(Now(), 0, x, y) != Old)
                    continue;
                for (const auto& [nx, ny] : {std::pair(x + 1, y), std::pair(x - 1, y),
                                             std::pair(x, y + 1), std::pair(x, y - 1)})
                    if (nx >= 0 && ny >= 0 && nx < 8 && ny < 8 &&
                        IndexOf(Now(), 0, nx, ny) == New && IndexOf(Words, 0, nx, ny) == Old)
                        QFAIL(qPrintable(QString("(%1, %2) was left out").arg(x).arg(y)));
            }
        QCOMPARE(Doc().UndoStack()->undoText(), QString("Fill"));

        // Alt+click picks with any tool; the pick tool picks for the button pressed.
        const int At = IndexOf(Words, 4, 2, 2); // (10, 10) at 1x
        QTest::mouseClick(fFrm->Image1, Qt::LeftButton, Qt::AltModifier, QPoint(10, 10));
        QCOMPARE(fFrm->DrawingPanel->Colour(0), At);
        fFrm->ToolActions[int(TPixelToolKind::Pick)]->trigger();
        ClickSwatch((At + 1) % 16, Qt::RightButton);
        QTest::mouseClick(fFrm->Image1, Qt::RightButton, {}, QPoint(10, 10));
        QCOMPARE(fFrm->DrawingPanel->Colour(1), At);
        QCOMPARE(Doc().UndoStack()->count(), 1);
    }

    void copyToTheClipboardAndPasteBack() {
        fFrm->SetZoom(4);
        fFrm->ToolActions[int(TPixelToolKind::Select)]->trigger();
        // Pixels (0, 0) to (7, 7) of the layout: tile 0.
        QTest::mousePress(fFrm->Image1, Qt::LeftButton, {}, QPoint(1, 1));
        QTest::mouseMove(fFrm->Image1, QPoint(30, 30));
        QTest::mouseRelease(fFrm->Image1, Qt::LeftButton, {}, QPoint(30, 30));
        QCOMPARE(fFrm->Selection(), QRect(0, 0, 8, 8));
        fFrm->CopyAction->trigger();
        const QImage Copied = QApplication::clipboard()->image();
        QCOMPARE(Copied.size(), QSize(8, 8));
        QCOMPARE(Copied.format(), QImage::Format_Indexed8);
        QCOMPARE(Copied.colorTable(),
                 BmpMaker::ColorTable(fSession->PalletteArray(), Doc().SecondPalIndex()));
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                QCOMPARE(Copied.pixelIndex(x, y), IndexOf(Words, 0, x, y));

        // Pasted back, it floats under the pointer until a click places it: at layout (16, 8).
        QTest::mouseMove(fFrm->Image1, QPoint(65, 33));
        fFrm->PasteAction->trigger();
        QVERIFY(fFrm->Floating());
        QCOMPARE(Now(), Words);
        QTest::mouseMove(fFrm->Image1, QPoint(66, 34));
        QTest::mouseClick(fFrm->Image1, Qt::LeftButton, {}, QPoint(66, 34));
        QVERIFY(!fFrm->Floating());
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                QCOMPARE(IndexAt(QPoint((16 + x) * 4, (8 + y) * 4)), IndexOf(Words, 0, x, y));
        QCOMPARE(Doc().UndoStack()->count(), 1);

        // A picture from a paint program is matched by exact colour; one it cannot match is
        // refused as an import would refuse it.
        QImage Painted(2, 1, QImage::Format_RGB32);
        Painted.setPixel(0, 0, Colour(3));
        Painted.setPixel(1, 0, Colour(12));
        QApplication::clipboard()->setImage(Painted);
        fFrm->PasteAction->trigger();
        QTest::mouseClick(fFrm->Image1, Qt::LeftButton, {}, QPoint(2, 2));
        QCOMPARE(IndexAt(QPoint(2, 2)), 3);
        QCOMPARE(IndexAt(QPoint(6, 2)), 12);
        Painted.setPixel(1, 0, qRgb(1, 2, 3));
        QApplication::clipboard()->setImage(Painted);
        fFrm->PasteAction->trigger();
        QCOMPARE(fErrors.size(), 1);
        QVERIFY2(fErrors.first().contains("does not hold"), qPrintable(fErrors.first()));
        QVERIFY(!fFrm->Floating());
        fErrors.clear();
    }

    void tileCommandsChangeTheTileCountUndoably() {
        fFrm->InsertTilesDialog = [](int, int& Count) {
            Count = 3;
            return true;
        };
        fFrm->InsertTilesAction->trigger();
        QCOMPARE(fFrm->SpriteInfo().BlocksArray.size(), 103u);
        QVERIFY(fFrm->StatusText().contains("103 blocks"));
        QCOMPARE(IndexOf(Now(), 0, 0, 0), 0);
        QVERIFY(std::equal(Words.begin(), Words.end(), Now().begin() + 3 * 16));
        Doc().UndoStack()->undo();
        QCOMPARE(Now(), Words);
        QVERIFY(fFrm->StatusText().contains("100 blocks"));
        fFrm->DeleteTilesAction->trigger();
        QVERIFY(std::equal(Now().begin(), Now().end(), Words.begin() + 16));
        Doc().UndoStack()->undo();
        // Groups of nine: the first moves after the second, then is copied.
        fFrm->MoveLaterAction->trigger();
        QVERIFY(std::equal(Now().begin(), Now().begin() + 9 * 16, Words.begin() + 9 * 16));
        fFrm->DuplicateGroupAction->trigger();
        QCOMPARE(fFrm->SpriteInfo().BlocksArray.size(), 109u);
        QCOMPARE(Doc().UndoStack()->count(), 2);
    }

    void anEditOfRecolouredWordsBecomesTheBaseAndEscapeDropsAGesture() {
        // A recoloured sprite: every index i shows as 15 - i.
        TPalletteArray Reversed{};
        for (int c = 0; c < 16; ++c)
            Reversed[size_t(c)] = 15 - c;
        Doc().Recolour(Reversed);
        const TMyArray Recoloured = Now();
        QVERIFY(Recoloured != Words);
        fFrm->ToolActions[int(TPixelToolKind::Rectangle)]->trigger();
        ClickSwatch(9, Qt::LeftButton);
        // Shift: a filled rectangle over pixels (1, 0) to (3, 1). (A point (0, 0) would stand
        // for the widget's centre.)
        QTest::mousePress(fFrm->Image1, Qt::LeftButton, Qt::ShiftModifier, QPoint(3, 1));
        QTest::mouseMove(fFrm->Image1, QPoint(2, 1));
        QTest::mouseRelease(fFrm->Image1, Qt::LeftButton, Qt::ShiftModifier, QPoint(1, 0));
        for (int y = 0; y < 2; ++y)
            for (int x = 1; x < 4; ++x)
                QCOMPARE(IndexOf(Now(), 0, x, y), 9);
        QCOMPARE(IndexOf(Now(), 0, 4, 0), IndexOf(Recoloured, 0, 4, 0));
        // The words shown, the rectangle in them, are what recolouring starts from now.
        QCOMPARE(Doc().BaseWords(), Now());
        QCOMPARE(Doc().PalletteSet(), MyTypes::IdentityPallette());
        Doc().UndoStack()->undo();
        QCOMPARE(Now(), Recoloured);
        QCOMPARE(Doc().PalletteSet(), Reversed);

        // Esc in the middle of a line drops it: nothing changes, nothing to undo.
        fFrm->ToolActions[int(TPixelToolKind::Line)]->trigger();
        const int Steps = Doc().UndoStack()->index();
        QTest::mousePress(fFrm->Image1, Qt::LeftButton, {}, QPoint(0, 5));
        QTest::mouseMove(fFrm->Image1, QPoint(20, 5));
        QCOMPARE(fFrm->Image1->pixmap().toImage().pixel(10, 5), Colour(9));
        QTest::keyClick(fFrm->Image1, Qt::Key_Escape);
        QTest::mouseRelease(fFrm->Image1, Qt::LeftButton, {}, QPoint(20, 5));
        QCOMPARE(Now(), Recoloured);
        QCOMPARE(Doc().UndoStack()->index(), Steps);
        QCOMPARE(fFrm->Image1->pixmap().toImage().pixel(10, 5) & 0xFFFFFF,
                 Colour(IndexOf(Recoloured, 1, 2, 5)) & 0xFFFFFF);

        // The swatches are the palette the sprite is drawn in, whichever it is.
        Doc().SetPalettes(0, 3);
        QCOMPARE(fFrm->DrawingPanel->Colours(), BmpMaker::ColorTable(fSession->PalletteArray(), 3));
    }

    void aSelectionFlipsAndTurns() {
        fFrm->ToolActions[int(TPixelToolKind::Select)]->trigger();
        // Pixels (8, 0) to (15, 7): tile 1, on the tile edges.
        QTest::mousePress(fFrm->Image1, Qt::LeftButton, {}, QPoint(8, 0));
        QTest::mouseRelease(fFrm->Image1, Qt::LeftButton, {}, QPoint(15, 7));
        QCOMPARE(fFrm->Selection(), QRect(8, 0, 8, 8));
        fFrm->FlipHorizontallyAction->trigger();
        for (int x = 0; x < 8; ++x)
            QCOMPARE(IndexOf(Now(), 1, x, 3), IndexOf(Words, 1, 7 - x, 3));
        fFrm->RotateAction->trigger();
        // Flipped, then turned clockwise: pixel (x, y) comes from the flipped (y, 7 - x).
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                QCOMPARE(IndexOf(Now(), 1, x, y), IndexOf(Words, 1, 7 - y, 7 - x));
        QVERIFY(std::equal(Now().begin(), Now().begin() + 16, Words.begin()));
        QCOMPARE(Doc().UndoStack()->count(), 2);
        // Without a selection the commands change nothing.
        QTest::keyClick(fFrm->Image1, Qt::Key_Escape);
        QVERIFY(!fFrm->Selection());
        fFrm->FlipVerticallyAction->trigger();
        fFrm->DeleteAction->trigger();
        QCOMPARE(Doc().UndoStack()->count(), 2);
    }

    void thePictureGrowsWithTheFormAndShowsTheGrid() {
        const QSize Rest = fFrm->size();
        QCOMPARE(fFrm->Image1->size(), QSize(230, 96));
        const QPoint Palettes = fFrm->PalPanel->pos();
        fFrm->resize(Rest + QSize(300, 200));
        QCOMPARE(fFrm->Image1->size(), QSize(530, 296));
        QCOMPARE(fFrm->PalPanel->pos(), Palettes + QPoint(0, 200));
        QCOMPARE(fFrm->View().ViewSize(), QSize(530, 296));
        QCOMPARE(fFrm->Image1->pixmap().deviceIndependentSize().toSize(), QSize(530, 296));
        fFrm->resize(Rest);
        QCOMPARE(fFrm->Image1->size(), QSize(230, 96));
        QCOMPARE(fFrm->PalPanel->pos(), Palettes);
        // The grid's tile edges over the picture, at 4x: tile 1 starts 32 pixels right.
        fFrm->SetZoom(4);
        fFrm->ShowGridAction->trigger();
        const QImage Shown = fFrm->Image1->pixmap().toImage();
        QCOMPARE(Shown.pixel(32, 10), TSpriteLayoutView::GridColor(false));
        QCOMPARE(Shown.pixel(0, 10), TSpriteLayoutView::GridColor(true));
        fFrm->ShowGridAction->trigger();
        QCOMPARE(fFrm->Image1->pixmap().toImage().pixel(32, 10), Colour(IndexOf(Words, 1, 0, 2)));
    }
};

VELKORA_GUI_TEST_MAIN(SpriteDrawingTest)
#include "SpriteDrawingTest.moc"
