// SPDX-License-Identifier: MIT
// The palette-set frame: palette selectors, mouse wheel, the colour chooser, palette sets read
// from and stored into the parameters file.

#include "palettes/ChangePalletteFrm.h"
#include "palettes/BmpMaker.h"
#include "shell/Application.h"
#include "shell/ParamsFile.h"
#include "shell/Session.h"
#include "tests/gui/GuiTestMain.h"
#include "tests/support/DataRoot.h"
#include "tests/support/TestSupport.h"
#include "workbench/SpriteDocument.h"

#include <QComboBox>
#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QFrame>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <QtTest/qtestspontaneevent.h>

using namespace velkora;

namespace {

TPalletteArray Identity() {
    return MyTypes::IdentityPallette();
}

// The palettes of the session the frame was made with.
TPalletteList TestPalettes;

// A data root with palettes and palette sets, read by its session as the main window has it
// read, and the frame docked in a 525 x 171 panel as the main window docks it.
struct Rig {
    test::TempDir Dir;
    test::DataRoot Root{Dir.path()};
    std::unique_ptr<TSession> Session;
    TSpriteDocument Sprite;
    QStringList Errors;
    QWidget Panel;
    TChPalFrm* Frm = nullptr;
    int ChangeFirstPal = 0;
    QList<QPair<int, int>> SetPalSwap;
    int ResetClicks = 0;

    explicit Rig(int Palettes, std::vector<TPalletteArray> Sets = {}) {
        for (int p = 0; p < Palettes; ++p)
            Root.Palettes.push_back(test::DistinctPalette(p));
        Root.PalSets = std::move(Sets);
        Root.WriteParams();
        TApplication::SetErrorSink([this](const QString& m) { Errors << m; });
    }
    ~Rig() {
        delete Frm;
        TestPalettes.clear();
        TApplication::SetErrorSink({});
    }
    void Create() {
        Session = std::make_unique<TSession>(Root.Root());
        RunReported([&] { Session->ReadParameters(); });
        TestPalettes = Session->PalletteArray();
        Frm = new TChPalFrm(*Session, &Sprite);
        Frm->setParent(&Panel);
        auto* Layout = new QVBoxLayout(&Panel);
        Layout->setContentsMargins(0, 0, 0, 0);
        Layout->addWidget(Frm);
        Frm->SetOnChangeFirstPal([this] { ++ChangeFirstPal; });
        Frm->SetOnSetPalSwap([this](int m, int s) { SetPalSwap << qMakePair(m, s); });
        Frm->SetOnResetbtnClick([this] { ++ResetClicks; });
        Panel.resize(525, 171);
        Panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&Panel));
    }

    void Hover(QWidget* w) { QTest::mouseMove(w, w->rect().center()); }
    void Click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center()); }
    // One wheel notification sent to w (delta 120 per notch, negative towards the user).
    void Wheel(QWidget* w, int Delta) {
        const QPointF At = w->rect().center();
        QWheelEvent e(At, w->mapToGlobal(At), QPoint(), QPoint(0, Delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(w, &e);
    }
    // One acting wheel step: the frame acts on every other notification.
    void Step(QWidget* w, int Delta) {
        if (Frm->WheelCount() % 2 == 1)
            Wheel(w, Delta);
        Wheel(w, Delta);
    }
};

QRgb Centre(const TImageControl* Item) {
    return Item->Bitmap().pixel(Item->width() / 2, Item->height() / 2);
}

// The colour each item of a selector shows.
QList<QRgb> Colours(const TPalSel* s) {
    QList<QRgb> c;
    for (int i = 0; i < s->ItemCount(); ++i)
        c << Centre(s->Item(i));
    return c;
}

// Colour Map[i] of palette p for i = 0 to 15.
QList<QRgb> PaletteColours(int p, const TPalletteArray& Map = Identity()) {
    QList<QRgb> c;
    for (int i = 0; i < 16; ++i)
        c << BmpMaker::PaletteColor(TestPalettes, p, Map[size_t(i)]);
    return c;
}

// The number field of a palette selector: all of it left of the chevron.
QImage NumberField(const TImageControl* Icon) {
    return Icon->Bitmap().copy(0, 0, Icon->width() - 24, Icon->height());
}

// Whether the selector shows Picture's opaque pixels at its right end.
bool ShowsChevron(const TImageControl* Icon, const QImage& Picture) {
    const QImage& b = Icon->Bitmap();
    for (int y = 0; y < std::min(Picture.height(), b.height()); ++y)
        for (int x = 0; x < Picture.width(); ++x)
            if (qAlpha(Picture.pixel(x, y)) == 255 &&
                b.pixel(b.width() - 24 + x, y) != Picture.pixel(x, y))
                return false;
    return true;
}

// The palette-set container of a parameters file.
QDomElement PalSetContainer(const QString& FileName) {
    QFile f(FileName);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QDomDocument d;
    d.setContent(&f);
    return d.documentElement().childNodes().at(2).toElement();
}

} // namespace

class ChangePalletteFrmTest : public QObject {
    Q_OBJECT
private slots:
    void creationShowsPaletteOneAndTheSetList() {
        TPalletteArray Set1 = Identity();
        Set1[0] = 5;
        Rig r(3, {Identity(), Set1});
        r.Create();
        TChPalFrm& f = *r.Frm;
        QCOMPARE(r.Errors, QStringList());
        QCOMPARE(f.FirstPalIndex(), 0);
        QCOMPARE(f.SecondPalIndex(), 0);
        QCOMPARE(f.FocusedCmb(), -1);
        // The strips appear with the first paint, in palette 0; the popups stay hidden.
        QVERIFY(f.fFirstPal->isVisible() && f.fPalSel->isVisible());
        QVERIFY(!f.fComboSel->isVisible() && !f.fFirstPalCMB->isVisible());
        for (const TPalSel* s : {f.fFirstPal, f.fPalSel, f.fComboSel})
            QCOMPARE(Colours(s), PaletteColours(0));
        QCOMPARE(f.fFirstPal->grab().toImage().pixel(3 * 23 + 10, 11),
                 BmpMaker::PaletteColor(TestPalettes, 0, 3));
        // The palette list: one labelled item per palette.
        QCOMPARE(f.fFirstPalCMB->size(), QSize(72, 69));
        QCOMPARE(f.fFirstPalCMB->ItemText(f.fFirstPalCMB->Item(2)), QString("3"));
        // The set list is filled, selection-only, its first entry selected but not applied
        // until the workbench asks.
        QCOMPARE(f.PalCmb->count(), 2);
        QCOMPARE(f.PalCmb->itemText(1), QString("1"));
        QCOMPARE(f.PalCmb->currentIndex(), 0);
        QVERIFY(!f.PalCmb->isEditable());
        QVERIFY(r.SetPalSwap.isEmpty());
        f.PalCmb->setCurrentIndex(1);
        QCOMPARE(f.PalletteSet(), Set1);
        f.PalCmb->setCurrentIndex(0);
        f.PalCmbChange();
        QCOMPARE(f.PalletteSet(), Identity());
        QCOMPARE(r.SetPalSwap, (QList<QPair<int, int>>{{0, 0}, {0, 0}, {0, 0}}));
    }

    void theFrameIsLaidOutAsDesigned() {
        Rig r(3);
        r.Create();
        TChPalFrm& f = *r.Frm;
        const struct {
            QWidget* w;
            QRect r;
        } Geometry[] = {
            {f.Panel1, {0, 31, 368, 23}},
            {f.FirstPalPanel, {0, 0, 368, 23}},
            {f.FirstPalCmbPanel, {392, -1, 74, 25}},
            {f.SecondPalCMB, {392, 30, 74, 25}},
            {f.Resetbtn, {0, 60, 75, 25}},
            {f.PalCmb, {81, 62, 88, 21}},
            {f.Addbtn, {175, 60, 75, 25}},
        };
        for (const auto& g : Geometry)
            QVERIFY2(g.w->geometry() == g.r, qPrintable(g.w->objectName()));
        QCOMPARE(f.Resetbtn->text(), QString("Reset"));
        QCOMPARE(f.Addbtn->text(), QString("Add current"));
        // The selectors fill their panels inside the bevel and carry their numbers as tags.
        QCOMPARE(f.CmbIcon->parentWidget(), static_cast<QWidget*>(f.FirstPalCmbPanel));
        QCOMPARE(f.SecondCmbIcon->parentWidget(), static_cast<QWidget*>(f.SecondPalCMB));
        QCOMPARE(f.CmbIcon->size(), QSize(72, 23));
        QCOMPARE(f.SecondCmbIcon->size(), QSize(72, 23));
        QCOMPARE(f.CmbIcon->Tag(), 1);
        QCOMPARE(f.SecondCmbIcon->Tag(), 2);
        // The strips in their panels, the popups in the frame.
        QCOMPARE(f.fFirstPal->parentWidget(), static_cast<QWidget*>(f.FirstPalPanel));
        QCOMPARE(f.fPalSel->parentWidget(), static_cast<QWidget*>(f.Panel1));
        QCOMPARE(f.fComboSel->parentWidget(), static_cast<QWidget*>(&f));
        QCOMPARE(f.fFirstPalCMB->parentWidget(), static_cast<QWidget*>(&f));
        QCOMPARE(f.fFirstPal->size(), QSize(368, 23));
        QCOMPARE(f.fComboSel->size(), QSize(92, 92));
        QVERIFY(f.fComboSel->CloseAfterSelect());
        QVERIFY(!f.fFirstPal->Selecteble());
        QCOMPARE(f.fPalSel->SelectMode(), smBottomLine);
        QCOMPARE(f.fFirstPalCMB->SelectMode(), smFull);
        for (const QImage& Picture : f.ImageList1)
            QCOMPARE(Picture.size(), QSize(24, 24));
        // Docked, the frame fills its host.
        QCOMPARE(f.geometry(), QRect(0, 0, 525, 171));
    }

    void choosingAColourEditsOneMappingEntry() {
        Rig r(2);
        r.Create();
        TChPalFrm& f = *r.Frm;
        // Second palette 1, so that mapped colours differ from palette 0.
        r.Hover(f.SecondCmbIcon);
        r.Step(f.SecondCmbIcon, -120);
        r.SetPalSwap.clear();

        TImageControl* Entry4 = f.fPalSel->Item(3);
        r.Hover(Entry4);
        r.Click(Entry4);
        QVERIFY(f.fComboSel->isVisible());
        QCOMPARE(f.CurSelpalIndex(), 4);
        QCOMPARE(f.fComboSel->pos(),
                 QPoint(f.Panel1->x() + Entry4->x() + 2, f.Panel1->y() + Entry4->y() + 24));
        r.Hover(f.fComboSel->Item(9));
        r.Click(f.fComboSel->Item(9));
        TPalletteArray Expected = Identity();
        Expected[3] = 9;
        QCOMPARE(f.PalletteSet(), Expected);
        QCOMPARE(r.SetPalSwap, (QList<QPair<int, int>>{{4, 10}}));
        QVERIFY(!f.fComboSel->isVisible());
        QCOMPARE(Colours(f.fPalSel), PaletteColours(1, Expected));
        // The chooser offers the second palette's colours in order, whatever the mapping.
        QCOMPARE(Colours(f.fComboSel), PaletteColours(1));

        // It closes when the highlight moves on along the strip, or on a background click.
        r.Hover(f.fPalSel->Item(1));
        r.Click(f.fPalSel->Item(1));
        r.Hover(f.fPalSel->Item(2));
        QVERIFY(!f.fComboSel->isVisible());
        r.Click(f.fPalSel->Item(2));
        QVERIFY(f.fComboSel->isVisible());
        QTest::mouseClick(&f, Qt::LeftButton, {}, QPoint(300, 150));
        QVERIFY(!f.fComboSel->isVisible());
        QCOMPARE(r.SetPalSwap.size(), 1);
    }

    void theWheelMovesThePalettes() {
        TPalletteArray Set = Identity();
        Set[0] = 15;
        Rig r(4, {Set});
        r.Create();
        TChPalFrm& f = *r.Frm;
        const QImage One = NumberField(f.CmbIcon);
        QCOMPARE(NumberField(f.SecondCmbIcon), One);
        QVERIFY(ShowsChevron(f.CmbIcon, f.ImageList1[0]));
        // Four notches down over the first selector: two acting steps, both palettes move.
        r.Hover(f.CmbIcon);
        QCOMPARE(f.FocusedCmb(), 1);
        QVERIFY(ShowsChevron(f.CmbIcon, f.ImageList1[1]));
        QVERIFY(ShowsChevron(f.SecondCmbIcon, f.ImageList1[0]));
        for (int i = 0; i < 4; ++i)
            r.Wheel(f.CmbIcon, -120);
        QCOMPARE(f.WheelCount(), qint64(4));
        QCOMPARE(f.FirstPalIndex(), 2);
        QCOMPARE(f.SecondPalIndex(), 2);
        QCOMPARE(r.ChangeFirstPal, 2);
        for (const TPalSel* s : {f.fFirstPal, f.fPalSel, f.fComboSel})
            QCOMPARE(Colours(s), PaletteColours(2));
        // Both selectors show the new number.
        const QImage Three = NumberField(f.CmbIcon);
        QVERIFY(Three != One);
        QCOMPARE(NumberField(f.SecondCmbIcon), Three);
        // It stops at the first and the last palette.
        for (int i = 0; i < 10; ++i)
            r.Wheel(f.CmbIcon, 120);
        QCOMPARE(f.FirstPalIndex(), 0);
        QCOMPARE(f.SecondPalIndex(), 0);
        QCOMPARE(NumberField(f.CmbIcon), One);
        QCOMPARE(NumberField(f.SecondCmbIcon), One);
        for (int i = 0; i < 10; ++i)
            r.Wheel(f.CmbIcon, -120);
        QCOMPARE(f.FirstPalIndex(), 3);
        const QImage Four = NumberField(f.CmbIcon);
        QVERIFY(Four != Three);

        // Over the second selector only the second palette moves; the strip shows it mapped.
        f.PalCmbChange();
        r.Hover(f.SecondCmbIcon);
        r.Step(f.SecondCmbIcon, 120);
        QCOMPARE(f.FirstPalIndex(), 3);
        QCOMPARE(f.SecondPalIndex(), 2);
        QCOMPARE(Colours(f.fFirstPal), PaletteColours(3));
        QCOMPARE(Colours(f.fPalSel), PaletteColours(2, Set));
        QCOMPARE(Colours(f.fComboSel), PaletteColours(2));
        QCOMPARE(NumberField(f.CmbIcon), Four);
        QCOMPARE(NumberField(f.SecondCmbIcon), Three);

        // Away from the selectors the wheel counts but does nothing.
        r.Hover(f.Resetbtn);
        QCOMPARE(f.FocusedCmb(), -1);
        QVERIFY(ShowsChevron(f.SecondCmbIcon, f.ImageList1[0]));
        const int Calls = r.ChangeFirstPal;
        r.Step(f.Resetbtn, 120);
        QCOMPARE(f.SecondPalIndex(), 2);
        QCOMPARE(r.ChangeFirstPal, Calls);
    }

    void aRealWheelNotchCountsOnceOnItsWayUp() {
        // A notch from the device reaches the widget under the pointer and, ignored there,
        // travels up through the panel to the frame: still one notification, left unhandled.
        Rig r(4);
        r.Create();
        TChPalFrm& f = *r.Frm;
        r.Hover(f.CmbIcon);
        for (int i = 0; i < 4; ++i) {
            const QPointF At = f.CmbIcon->rect().center();
            QWheelEvent e(At, f.CmbIcon->mapToGlobal(At), QPoint(), QPoint(0, -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
            e.setTimestamp(ulong(1000 + i));
            QSpontaneKeyEvent::setSpontaneous(&e);
            qApp->notify(f.CmbIcon, &e);
            QVERIFY(!e.isAccepted());
        }
        QCOMPARE(f.WheelCount(), qint64(4));
        QCOMPARE(f.FirstPalIndex(), 2);
    }

    void choosingPalettesInTheList() {
        TPalletteArray Set = Identity();
        Set[1] = 4;
        Rig r(4, {Set});
        r.Create();
        TChPalFrm& f = *r.Frm;
        f.PalCmbChange();
        // First selector: only the first palette changes; the mapping strip shows it unmapped.
        r.Hover(f.CmbIcon);
        r.Click(f.CmbIcon);
        QVERIFY(f.fFirstPalCMB->isVisible());
        QCOMPARE(f.fFirstPalCMB->pos(), QPoint(394, 25));
        // Leaving the selector for the open list keeps the list acting on it.
        r.Hover(f.fFirstPalCMB->Item(2));
        QCOMPARE(f.FocusedCmb(), 1);
        r.Click(f.fFirstPalCMB->Item(2));
        QCOMPARE(f.FirstPalIndex(), 2);
        QCOMPARE(f.SecondPalIndex(), 0);
        QCOMPARE(f.FocusedCmb(), -1);
        QVERIFY(!f.fFirstPalCMB->isVisible());
        QCOMPARE(r.ChangeFirstPal, 1);
        QCOMPARE(Colours(f.fFirstPal), PaletteColours(2));
        QCOMPARE(Colours(f.fPalSel), PaletteColours(2));
        QCOMPARE(Colours(f.fComboSel), PaletteColours(0));

        // Second selector: the second palette, mapped in the strip, plain in the chooser.
        r.Hover(f.SecondCmbIcon);
        r.Click(f.SecondCmbIcon);
        QCOMPARE(f.fFirstPalCMB->pos(), QPoint(394, 56));
        r.Hover(f.fFirstPalCMB->Item(3));
        r.Click(f.fFirstPalCMB->Item(3));
        QCOMPARE(f.FirstPalIndex(), 2);
        QCOMPARE(f.SecondPalIndex(), 3);
        QCOMPARE(r.ChangeFirstPal, 2);
        QCOMPARE(Colours(f.fFirstPal), PaletteColours(2));
        QCOMPARE(Colours(f.fPalSel), PaletteColours(3, Set));
        QCOMPARE(Colours(f.fComboSel), PaletteColours(3));

        // A second click on a selector closes the list without a choice.
        r.Hover(f.SecondCmbIcon);
        r.Click(f.SecondCmbIcon);
        r.Click(f.SecondCmbIcon);
        QVERIFY(!f.fFirstPalCMB->isVisible());
        QCOMPARE(r.ChangeFirstPal, 2);
    }

    void aLongPaletteListScrollsWithinTheFrame() {
        Rig r(12);
        r.Create();
        TChPalFrm& f = *r.Frm;
        r.Hover(f.SecondCmbIcon);
        r.Click(f.SecondCmbIcon);
        TPalSel* List = f.fFirstPalCMB;
        QCOMPARE(List->GridSize(), QSize(72, 276));
        QVERIFY(List->geometry().bottom() < f.height());
        QVERIFY(List->Scrolls());
        TImageControl* Last = List->Item(11);
        List->ScrollBox->ensureWidgetVisible(Last, 0, 0);
        r.Hover(Last);
        r.Click(Last);
        QCOMPARE(f.SecondPalIndex(), 11);
    }

    void addCurrentStoresTheMappingAsANewSet() {
        Rig r(2, {Identity(), Identity(), Identity()});
        r.Create();
        TChPalFrm& f = *r.Frm;
        f.PalCmb->setCurrentIndex(2);
        TPalletteArray Current = Identity();
        std::reverse(Current.begin(), Current.end());
        f.SetPalletteSet(Current);
        r.SetPalSwap.clear();
        r.Click(f.Addbtn);
        QCOMPARE(r.Errors, QStringList());
        const QDomElement Sets = PalSetContainer(r.Root.Root() + "/XMLParams.xml");
        QCOMPARE(Sets.childNodes().count(), 4);
        const QDomElement Added = Sets.childNodes().at(3).toElement();
        QCOMPARE(Added.tagName(), QString("Set_3"));
        QCOMPARE(Added.attribute("name"), QString("3"));
        for (int j = 0; j < 16; ++j)
            QCOMPARE(Added.attribute(QString("p%1").arg(j + 1)), QString::number(15 - j));
        // The list is read again: four entries, the first selected but not applied.
        QCOMPARE(f.PalCmb->count(), 4);
        QCOMPARE(f.PalCmb->itemText(3), QString("3"));
        QCOMPARE(f.PalCmb->currentIndex(), 0);
        QCOMPARE(f.PalSetArray().back().pal, Current);
        QVERIFY(r.SetPalSwap.isEmpty());
        QCOMPARE(f.PalletteSet(), Current);

        // A file that cannot be read back any more: reported, and the list stays as it was.
        TPalletteArray Bad = Identity();
        Bad[0] = -1;
        r.Root.PalSets = {Identity(), Bad};
        r.Root.WriteParams();
        r.Click(f.Addbtn);
        QCOMPARE(r.Errors.size(), 1);
        QCOMPARE(f.PalCmb->count(), 4);
        QCOMPARE(f.PalSetArray().size(), size_t(4));
    }

    void aSetMapsTheStripAndResetRestoresTheIdentity() {
        TPalletteArray Set = Identity();
        Set[2] = 7;
        Set[9] = 1;
        Rig r(3, {Set});
        r.Create();
        TChPalFrm& f = *r.Frm;
        r.Hover(f.SecondCmbIcon);
        r.Click(f.SecondCmbIcon);
        r.Hover(f.fFirstPalCMB->Item(1));
        r.Click(f.fFirstPalCMB->Item(1));
        f.PalCmbChange();
        // A set whose p3 is 7 makes item 3 of the mapping strip show colour 7.
        QCOMPARE(Centre(f.fPalSel->Item(2)), BmpMaker::PaletteColor(TestPalettes, 1, 7));
        r.SetPalSwap.clear();
        r.ChangeFirstPal = 0;
        r.Click(f.Resetbtn);
        QCOMPARE(f.PalletteSet(), Identity());
        QCOMPARE(r.ResetClicks, 1);
        QVERIFY(r.SetPalSwap.isEmpty());
        QCOMPARE(r.ChangeFirstPal, 0);
        QCOMPARE(Colours(f.fPalSel), PaletteColours(1));
    }

    void withoutPalettesSetsOrCallbacksNothingBreaks() {
        Rig r(0);
        r.Create();
        TChPalFrm& f = *r.Frm;
        f.SetOnChangeFirstPal({});
        f.SetOnResetbtnClick({});
        const QRgb Background = f.palette().color(QPalette::Base).rgb();
        for (const TPalSel* s : {f.fFirstPal, f.fPalSel, f.fComboSel})
            for (QRgb c : Colours(s))
                QCOMPARE(c, Background);
        QCOMPARE(f.fFirstPalCMB->ItemCount(), 0);
        QCOMPARE(f.fFirstPalCMB->size(), QSize(0, 0));
        // The wheel and the (empty) palette list do nothing.
        r.Hover(f.CmbIcon);
        for (int i = 0; i < 4; ++i)
            r.Wheel(f.CmbIcon, -120);
        r.Click(f.CmbIcon);
        r.Click(f.CmbIcon);
        r.Hover(f.SecondCmbIcon);
        r.Step(f.SecondCmbIcon, 120);
        QCOMPARE(f.FirstPalIndex(), 0);
        QCOMPARE(f.SecondPalIndex(), 0);
        // No set to apply: nothing happens.
        QCOMPARE(f.PalCmb->count(), 0);
        f.PalCmbChange();
        QVERIFY(r.SetPalSwap.isEmpty());
        // The mapping can still be edited, and reset without a callback.
        f.SetOnSetPalSwap({});
        r.Click(f.fPalSel->Item(0));
        r.Click(f.fComboSel->Item(2));
        QCOMPARE(f.PalletteSet()[0], 2);
        QCOMPARE(Centre(f.fPalSel->Item(0)), Background);
        r.Click(f.Resetbtn);
        QCOMPARE(f.PalletteSet(), Identity());
        QCOMPARE(r.Errors, QStringList());
    }

    void theFrameEditsTheDocumentAndShowsWhatItHolds() {
        TPalletteArray Set = Identity();
        Set[1] = 6;
        Rig r(3, {Identity(), Set});
        r.Create();
        TChPalFrm& f = *r.Frm;
        // No owner to do it: the frame edits the document itself.
        f.SetOnChangeFirstPal({});
        f.SetOnSetPalSwap({});
        f.SetOnResetbtnClick({});
        const QImage One = NumberField(f.CmbIcon);
        const TMyArray Words(16, 0x0123);
        r.Sprite.ChangeWords(Words, "Words");
        const auto Mapped = [&](const TPalletteArray& m) {
            TMyArray Out(Words.size());
            for (size_t i = 0; i < Words.size(); ++i)
                for (int k = 3; k >= 0; --k)
                    Out[i] = uint16_t((Out[i] << 4) | m[size_t((Words[i] >> (4 * k)) & 15)]);
            return Out;
        };
        f.PalCmb->setCurrentIndex(1);
        QCOMPARE(r.Sprite.SpriteInfo().Bytes, Mapped(Set));
        TImageControl* Entry3 = f.fPalSel->Item(2);
        r.Hover(Entry3);
        r.Click(Entry3);
        r.Hover(f.fComboSel->Item(7));
        r.Click(f.fComboSel->Item(7));
        TPalletteArray Edited = Set;
        Edited[2] = 7;
        QCOMPARE(r.Sprite.PalletteSet(), Edited);
        QCOMPARE(r.Sprite.SpriteInfo().Bytes, Mapped(Edited));
        // The second palette chosen here is the document's.
        r.Hover(f.SecondCmbIcon);
        r.Click(f.SecondCmbIcon);
        r.Hover(f.fFirstPalCMB->Item(2));
        r.Click(f.fFirstPalCMB->Item(2));
        QCOMPARE(r.Sprite.SecondPalIndex(), 2);
        r.Click(f.Resetbtn);
        QCOMPARE(r.Sprite.SpriteInfo().Bytes, Words);
        QCOMPARE(r.Sprite.UndoStack()->count(), 4);

        // What the document holds is what the frame shows, however it got there.
        r.Sprite.UndoStack()->undo();
        QCOMPARE(f.PalletteSet(), Edited);
        QCOMPARE(Colours(f.fPalSel), PaletteColours(2, Edited));
        const QImage Three = NumberField(f.SecondCmbIcon);
        QVERIFY(Three != One);
        r.Sprite.SetPalettes(1, 0);
        QCOMPARE(f.FirstPalIndex(), 1);
        QCOMPARE(f.SecondPalIndex(), 0);
        QCOMPARE(Colours(f.fFirstPal), PaletteColours(1));
        QCOMPARE(Colours(f.fPalSel), PaletteColours(0, Edited));
        QCOMPARE(Colours(f.fComboSel), PaletteColours(0));
        QCOMPARE(NumberField(f.SecondCmbIcon), One);
        QVERIFY(NumberField(f.CmbIcon) != One && NumberField(f.CmbIcon) != Three);
        // A set another window adds through the session is in the list at once.
        r.Session->AddPalSet(Edited);
        QCOMPARE(f.PalCmb->count(), 3);
        QCOMPARE(f.PalSetArray().back().pal, Edited);
        QCOMPARE(r.Errors, QStringList());
    }

    void unreadableSetsAreReportedAtCreation_data() {
        QTest::addColumn<bool>("RemoveFile");
        QTest::addColumn<QString>("Mentions");
        QTest::newRow("entry out of range") << false << "p5";
        QTest::newRow("no parameters file") << true << "XMLParams.xml";
    }
    void unreadableSetsAreReportedAtCreation() {
        QFETCH(bool, RemoveFile);
        QFETCH(QString, Mentions);
        TPalletteArray Bad = Identity();
        Bad[4] = 16;
        Rig r(2, {Identity(), Bad});
        if (RemoveFile)
            QFile::remove(r.Root.Root() + "/XMLParams.xml");
        r.Create();
        TChPalFrm& f = *r.Frm;
        // Reported once; the set list stays empty and the frame works otherwise.
        QCOMPARE(r.Errors.size(), 1);
        QVERIFY2(r.Errors[0].contains(Mentions), qPrintable(r.Errors[0]));
        QCOMPARE(f.PalCmb->count(), 0);
        QVERIFY(f.PalSetArray().empty());
        QVERIFY(f.fPalSel->isVisible());
        // The file is read once for palettes and sets: without it there are no palettes either.
        const int Palettes = RemoveFile ? 0 : 2;
        QCOMPARE(f.fFirstPalCMB->ItemCount(), Palettes);
        if (Palettes > 0)
            QCOMPARE(Colours(f.fFirstPal), PaletteColours(0));
    }
};

VELKORA_GUI_TEST_MAIN(ChangePalletteFrmTest)
#include "ChangePalletteFrmTest.moc"
