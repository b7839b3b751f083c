// SPDX-License-Identifier: MIT
// The editor on a screen of more device pixels than pixels (QT_SCALE_FACTOR, 2 unless set): the
// sprite picture and the map's cells are drawn pixel by pixel, never smoothed, at every zoom.

#include "maps/MapFrm.h"
#include "palettes/BmpMaker.h"
#include "palettes/ChangePalletteFrm.h"
#include "shell/Session.h"
#include "tests/gui/GuiTestMain.h"
#include "tests/support/DataRoot.h"
#include "tests/support/TestSupport.h"
#include "workbench/SpriteView.h"
#include "workbench/SpritesFrm.h"

#include <QLabel>
#include <QScrollBar>
#include <QSet>

#include <memory>

using namespace velkora;

namespace {

// The colours of a picture, and whether each Side x Side square from the top left is one colour.
QSet<QRgb> ColoursOf(const QImage& Picture) {
    QSet<QRgb> Colours;
    const QImage Rgb = Picture.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < Rgb.height(); ++y)
        for (int x = 0; x < Rgb.width(); ++x)
            Colours.insert(Rgb.pixel(x, y) | 0xFF000000u);
    return Colours;
}

bool SquaresAreWhole(const QImage& Picture, int Side) {
    const QImage Rgb = Picture.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < Rgb.height(); ++y)
        for (int x = 0; x < Rgb.width(); ++x)
            if (Rgb.pixel(x, y) != Rgb.pixel(x / Side * Side, y / Side * Side))
                return false;
    return true;
}

} // namespace

class HighDensityTest : public QObject {
    Q_OBJECT
    std::unique_ptr<test::TempDir> fDir;
    std::unique_ptr<test::DataRoot> fRoot;
    std::unique_ptr<TSession> fSession;

private slots:
    void init() {
        fDir = std::make_unique<test::TempDir>();
        fRoot = std::make_unique<test::DataRoot>(fDir->path());
        fRoot->Palettes = {test::DistinctPalette(0), test::DistinctPalette(1)};
        fRoot->AddSprite("A1.spr", test::PatternWords(225, 1));
        fRoot->AddSprite("B1.spr", test::PatternWords(225, 2));
        TMyByteArray Cells(12 * 9);
        for (size_t i = 0; i < Cells.size(); ++i)
            Cells[i] = uint8_t(i % 50);
        fRoot->AddMap("M.Map", 12, 9, Cells);
        fRoot->WriteParams();
        fSession = std::make_unique<TSession>(fDir->path());
        RunReported([&] { fSession->ReadParameters(); });
    }
    void cleanup() { fSession.reset(); }

    void theScreenHasMoreThanOneDevicePixelToAPixel() {
        QCOMPARE(qApp->devicePixelRatio(), qgetenv("QT_SCALE_FACTOR").toDouble());
        QVERIFY(qApp->devicePixelRatio() > 1);
    }

    void theSpritePictureShowsOnlyThePalettesAndTheCheckerboardsColours() {
        TSpriteFrm Frm(*fSession);
        auto* Frame = new TChPalFrm(*fSession, &Frm.Document());
        Frm.DockPalFrm(Frame);
        Frm.show();
        QVERIFY(QTest::qWaitForWindowExposed(&Frm));
        QSet<QRgb> Allowed;
        for (QRgb c : BmpMaker::ColorTable(fSession->PalletteArray(), 0))
            Allowed.insert(c | 0xFF000000u);
        Allowed.insert(TSpriteLayoutView::CheckerColor(0, 0) | 0xFF000000u);
        Allowed.insert(TSpriteLayoutView::CheckerColor(4, 0) | 0xFF000000u);
        for (int Zoom : {1, 2, 3, 8}) {
            Frm.SetZoom(Zoom);
            Frm.VScroll->setValue(0);
            Frm.HScroll->setValue(0);
            const QImage Shown = Frm.Image1->grab().toImage();
            const qreal Ratio = qApp->devicePixelRatio();
            QCOMPARE(Shown.size(), (Ratio * QSizeF(Frm.Image1->size())).toSize());
            const QSet<QRgb> Colours = ColoursOf(Shown);
            QVERIFY2(Colours.size() <= Allowed.size() && (Colours - Allowed).isEmpty(),
                     qPrintable(QString("%1 colours at %2x").arg(Colours.size()).arg(Zoom)));
            // The left 192 x 96 pixels are tiles at every zoom here.
            if (Ratio == int(Ratio))
                QVERIFY2(SquaresAreWhole(Shown.copy(0, 0, int(Ratio) * 192, int(Ratio) * 96),
                                         int(Ratio) * Zoom),
                         qPrintable(QString::number(Zoom)));
        }
    }

    void theMapsCellsShowOnlyTheirItemsColours() {
        TMainForm Frm(*fSession);
        Frm.show();
        QVERIFY(QTest::qWaitForWindowExposed(&Frm));
        QSet<QRgb> Allowed;
        for (int v = 0; v < 50; ++v)
            Allowed += ColoursOf(Frm.CellPictures().Picture(v));
        for (int Zoom : {1, 2, 3}) {
            Frm.SetZoom(Zoom, QPoint(0, 0));
            // A cell away from the highlight and the grid: only its item's colours, each pixel a
            // whole square of device pixels.
            const QImage Cell = Frm.DrawGrid1->grab(Frm.DrawGrid1->CellRect(3, 2)).toImage();
            const qreal Ratio = qApp->devicePixelRatio();
            QCOMPARE(Cell.size(), (Ratio * QSizeF(24 * Zoom, 24 * Zoom)).toSize());
            QVERIFY2(
                (ColoursOf(Cell) - Allowed).isEmpty(),
                qPrintable(QString("%1 colours at %2x").arg(ColoursOf(Cell).size()).arg(Zoom)));
            if (Ratio == int(Ratio))
                QVERIFY2(SquaresAreWhole(Cell, int(Ratio) * Zoom),
                         qPrintable(QString::number(Zoom)));
        }
    }
};

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_SCALE_FACTOR"))
        qputenv("QT_SCALE_FACTOR", "2");
    std::signal(SIGXFSZ, SIG_IGN);
    TApplication App(argc, argv);
    test::AnswerDiscard();
    HighDensityTest Test;
    return QTest::qExec(&Test, argc, argv);
}

#include "HighDensityTest.moc"
