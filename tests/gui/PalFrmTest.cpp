// SPDX-License-Identifier: MIT
// The selector popup: grid layout, colours and labels, hover highlight, clicks.

#include "palettes/PalFrm.h"
#include "tests/gui/GuiTestMain.h"

#include <QVBoxLayout>

#include <memory>

using namespace velkora;

namespace {

const QRgb Highlight = qRgb(180, 195, 232);

QColor ItemColor(int i) {
    return QColor(10 * i, 200 - 10 * i, 40 + 5 * i);
}

QRgb Centre(const TImageControl* Item) {
    return Item->Bitmap().pixel(Item->width() / 2, Item->height() / 2);
}

// The bitmap without its outer ring of pixels, where borders and separators are drawn.
QImage Interior(const TImageControl* Item) {
    const QImage& b = Item->Bitmap();
    return b.copy(1, 1, b.width() - 2, b.height() - 3);
}

// A selector shown inside a top-level host, so that real mouse events reach its items.
struct Host {
    QWidget Window;
    TPalSel* Sel;
    explicit Host(int Rows, int Cols, int ItemWidth = 24) {
        Window.resize(400, 300);
        Sel = new TPalSel(&Window);
        Sel->SetItemWidth(ItemWidth);
        Sel->Init(Rows, Cols);
        Sel->SetfColorProc(ItemColor);
        Sel->move(10, 10);
        Window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&Window));
    }
    // Moves the pointer onto the centre of the item with the given tag.
    void Hover(int Tag) {
        QTest::mouseMove(Sel->Item(Tag - 1), Sel->Item(Tag - 1)->rect().center());
    }
    void Click(int Tag) {
        QTest::mouseClick(Sel->Item(Tag - 1), Qt::LeftButton, {},
                          Sel->Item(Tag - 1)->rect().center());
    }
};

QList<int> Tags(const QList<TImageControl*>& Items) {
    QList<int> t;
    for (const TImageControl* i : Items)
        t << i->Tag();
    return t;
}

} // namespace

class PalFrmTest : public QObject {
    Q_OBJECT
private slots:
    void theFreshSelectorIsAsDesigned() {
        TPalSel s;
        QCOMPARE(s.size(), QSize(440, 24));
        QCOMPARE(s.windowTitle(), QString("PalSel"));
        QCOMPARE(s.palette().color(QPalette::Window), QColor(192, 192, 192));
        QCOMPARE(s.ItemCount(), 0);
        QCOMPARE(s.ItemWidth(), 24);
        QCOMPARE(s.ItemHeight(), 24);
        QCOMPARE(s.SelectMode(), smBottomLine);
        QVERIFY(!s.CloseAfterSelect());
        QVERIFY(!s.Selecteble());
        QVERIFY(!s.isVisible());
        // A fresh item is green with a black border.
        s.Init(1, 2);
        const QImage& b = s.Item(0)->Bitmap();
        QCOMPARE(b.pixel(12, 12), qRgb(0, 128, 0));
        QCOMPARE(b.pixel(0, 12), qRgb(0, 0, 0));
        QCOMPARE(b.pixel(23, 12), qRgb(0, 0, 0));
    }

    void gridSizesAndTags_data() {
        QTest::addColumn<int>("Rows");
        QTest::addColumn<int>("Cols");
        QTest::addColumn<int>("ItemWidth");
        QTest::addColumn<QSize>("Size");
        QTest::newRow("strip 1 x 16") << 1 << 16 << 24 << QSize(368, 23);
        QTest::newRow("chooser 4 x 4") << 4 << 4 << 24 << QSize(92, 92);
        QTest::newRow("list 5 x 1, 73 wide") << 5 << 1 << 73 << QSize(72, 115);
        QTest::newRow("no rows") << 0 << 1 << 73 << QSize(0, 0);
        QTest::newRow("no columns") << 3 << 0 << 24 << QSize(0, 0);
    }
    void gridSizesAndTags() {
        QFETCH(int, Rows);
        QFETCH(int, Cols);
        QFETCH(int, ItemWidth);
        QFETCH(QSize, Size);
        TPalSel s;
        s.SetItemWidth(ItemWidth);
        s.Init(Rows, Cols);
        QCOMPARE(s.size(), Size);
        QCOMPARE(s.ItemCount(), Rows * Cols);
        // Tags run row by row; neighbours share a border line; the outer left and top border
        // lines lie outside the selector.
        for (int I = 0; I < Rows; ++I)
            for (int J = 0; J < Cols; ++J) {
                const TImageControl* Item = s.Item(I * Cols + J);
                QCOMPARE(Item->Tag(), I * Cols + J + 1);
                QCOMPARE(Item->geometry(),
                         QRect(J * (ItemWidth - 1) - 1, I * 23 - 1, ItemWidth, 24));
            }
        QVERIFY(s.HLImage() == nullptr);
        QVERIFY(s.Selecteble());
    }

    void colouredStripShowsOnePixelSeparators() {
        QWidget w;
        auto* s = new TPalSel(&w);
        s->Init(1, 16);
        s->SetfColorProc(ItemColor);
        w.resize(400, 40);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QImage g = s->grab().toImage();
        QCOMPARE(g.size(), QSize(368, 23));
        for (int i = 0; i < 16; ++i) {
            // Item i's colour fills pixel columns 23i to 23i + 21 over the whole height; column
            // 23i + 22 is the black border of item i + 1 (the last item keeps its colour there).
            QCOMPARE(g.pixel(23 * i, 0), ItemColor(i).rgb());
            QCOMPARE(g.pixel(23 * i + 21, 22), ItemColor(i).rgb());
            QCOMPARE(g.pixel(23 * i + 22, 11), i < 15 ? qRgb(0, 0, 0) : ItemColor(i).rgb());
        }
    }

    void hoverMovesTheHighlightAndRestoresFormerColours() {
        Host h(1, 16);
        QList<TImageControl*> Reported;
        h.Sel->SetOnChangeHL([&](TImageControl* i) { Reported << i; });
        const QImage Item3 = h.Sel->Item(2)->Bitmap(), Item4 = h.Sel->Item(3)->Bitmap();
        h.Hover(3);
        QCOMPARE(Tags(Reported), QList<int>({3}));
        h.Hover(4);
        h.Hover(5);
        QCOMPARE(Tags(Reported), QList<int>({3, 4, 5}));
        QCOMPARE(h.Sel->HLImage(), h.Sel->Item(4));
        // Items 3 and 4 look exactly as before; item 5 carries the bottom line.
        QCOMPARE(Centre(h.Sel->Item(2)), ItemColor(2).rgb());
        QCOMPARE(h.Sel->Item(2)->Bitmap(), Item3);
        QCOMPARE(h.Sel->Item(3)->Bitmap(), Item4);
        const QImage& b5 = h.Sel->Item(4)->Bitmap();
        QCOMPARE(Centre(h.Sel->Item(4)), ItemColor(4).rgb());
        for (int x = 1; x < 23; ++x) {
            QCOMPARE(b5.pixel(x, 22), Highlight);
            QCOMPARE(b5.pixel(x, 21), Highlight);
        }
        QCOMPARE(b5.pixel(12, 20), ItemColor(4).rgb());
        // Moving within the highlighted item reports nothing more.
        QTest::mouseMove(h.Sel->Item(4), QPoint(3, 3));
        QCOMPARE(Reported.size(), 3);
    }

    void withoutHighlightingClicksAreStillReported() {
        Host h(1, 16);
        h.Sel->SetSelecteble(false);
        int Changes = 0;
        QList<int> Clicked;
        h.Sel->SetOnChangeHL([&](TImageControl*) { ++Changes; });
        h.Sel->SetOnSelectItem([&](TImageControl* i) { Clicked << i->Tag(); });
        const QImage Before = h.Sel->Item(6)->Bitmap();
        h.Hover(7);
        h.Hover(8);
        QCOMPARE(Changes, 0);
        QVERIFY(h.Sel->HLImage() == nullptr);
        QCOMPARE(h.Sel->Item(6)->Bitmap(), Before);
        h.Click(8);
        QCOMPARE(Clicked, QList<int>({8}));
    }

    void closeAfterSelectHidesAfterReporting() {
        Host h(4, 4);
        h.Sel->SetCloseAfterSelect(true);
        // No handler: the click neither reports nor hides.
        h.Click(6);
        QVERIFY(h.Sel->isVisible());
        QList<int> Clicked;
        bool VisibleDuringReport = false;
        h.Sel->SetOnSelectItem([&](TImageControl* i) {
            Clicked << i->Tag();
            VisibleDuringReport = h.Sel->isVisible();
        });
        h.Click(6);
        QCOMPARE(Clicked, QList<int>({6}));
        QVERIFY(VisibleDuringReport);
        QVERIFY(!h.Sel->isVisible());
        // A press on one item and a release on another is no click.
        h.Sel->show();
        QTest::mousePress(h.Sel->Item(0), Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseRelease(h.Sel->Item(0), Qt::LeftButton, {}, QPoint(60, 5));
        QCOMPARE(Clicked.size(), 1);
    }

    void labelsSurviveHighlighting_data() {
        QTest::addColumn<int>("Mode");
        QTest::newRow("full") << int(smFull);
        QTest::newRow("bottom line") << int(smBottomLine);
    }
    void labelsSurviveHighlighting() {
        QFETCH(int, Mode);
        Host h(3, 1, 73);
        h.Sel->SetSelectMode(TSelectMode(Mode));
        TImageControl* Item = h.Sel->Item(1);
        const QImage Plain = Interior(Item);
        h.Sel->SetTextOutProc([](int32_t i) { return QString::number(i + 1); });
        QCOMPARE(h.Sel->ItemText(Item), QString("2"));
        const QImage Labelled = Interior(Item), Whole = Item->Bitmap();
        QVERIFY(Labelled != Plain);
        h.Hover(2);
        const QImage Lit = Item->Bitmap();
        if (Mode == smFull) {
            QCOMPARE(Lit.pixel(60, 12), Highlight);
            // The label is drawn again on the highlight colour.
            int Dark = 0;
            for (int y = 4; y < 19; ++y)
                for (int x = 4; x < 20; ++x)
                    Dark += qGray(Lit.pixel(x, y)) < qGray(Highlight) - 60;
            QVERIFY(Dark > 3);
        } else {
            QCOMPARE(Lit.copy(1, 1, 71, 19), Labelled.copy(0, 0, 71, 19));
        }
        h.Hover(3);
        // Restored: the former colour and the label, exactly as before.
        QCOMPARE(Item->Bitmap(), Whole);
    }

    void recolouringRemovesLabelsAndInitClearsThem() {
        Host h(3, 1, 73);
        h.Sel->SetTextOutProc([](int32_t i) { return QString::number(i + 1); });
        h.Sel->SetfColorProc([](int32_t) { return QColor(Qt::white); });
        for (int i = 0; i < 3; ++i) {
            QImage White(Interior(h.Sel->Item(i)).size(), QImage::Format_RGB32);
            White.fill(Qt::white);
            QCOMPARE(Interior(h.Sel->Item(i)), White);
        }
        // Init drops the labels with the items: the fresh items can be labelled again.
        h.Sel->Init(2, 1);
        QCOMPARE(h.Sel->size(), QSize(72, 46));
        QCOMPARE(h.Sel->ItemText(h.Sel->Item(0)), QString());
        h.Sel->SetTextOutProc([](int32_t i) { return QString("x%1").arg(i); });
        QCOMPARE(h.Sel->ItemText(h.Sel->Item(1)), QString("x1"));
    }

    void recolouringWhileHighlightedKeepsTheNewColour() {
        // The mapping strip is recoloured while its item is highlighted (a colour chosen in
        // the chooser under it); leaving the item must show the new colour, not the old.
        Host h(1, 16);
        h.Hover(2);
        h.Sel->SetfColorProc([](int32_t i) { return ItemColor(15 - i); });
        h.Hover(3);
        QCOMPARE(Centre(h.Sel->Item(1)), ItemColor(14).rgb());
    }
};

VELKORA_GUI_TEST_MAIN(PalFrmTest)
#include "PalFrmTest.moc"
