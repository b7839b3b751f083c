// SPDX-License-Identifier: MIT
#include "palettes/PalFrm.h"

#include "ui_PalFrm.h"

#include "widgets/ErrorReport.h"

#include <QScrollBar>

#include <algorithm>

namespace velkora {

namespace {

// The highlight colour of an item under the pointer.
const QColor HighlightColor(180, 195, 232);
// The colour of an item that has not been coloured yet.
const QColor FreshItemColor(0, 128, 0);

} // namespace

// ---- TPalSel --------------------------------------------------------------------------------

TPalSel::TPalSel(QWidget* Parent) : QWidget(Parent) {
    fUi = std::make_unique<Ui::TPalSel>();
    fUi->setupUi(this);
    ScrollBox = fUi->ScrollBox;
    ScrollBoxContents = fUi->ScrollBoxContents;
    RunReported([&] { FormCreate(); });
}

// The items and the scroll box are children of the form and go with it.
TPalSel::~TPalSel() = default;

void TPalSel::FormCreate() {
    fCloseAfterSelect = false;
    fItemWidth = 24;
    fItemHeight = 24;
    fSelectMode = smBottomLine;
    fTextList.clear();
    ScrollBox->setGeometry(rect());
}

void TPalSel::resizeEvent(QResizeEvent* Event) {
    QWidget::resizeEvent(Event);
    ScrollBox->setGeometry(rect());
}

void TPalSel::FreeItems() {
    // An item may be freed from inside its own click (an owner that rebuilds the grid when an
    // item is chosen), so it goes once its events are done.
    for (TImageControl* Item : fImages) {
        Item->disconnect(this);
        Item->hide();
        Item->deleteLater();
    }
    fImages.clear();
}

void TPalSel::Init(int32_t w, int32_t h) {
    fHLImage = nullptr;
    fSelecteble = true;
    FreeItems();
    // Labels belong to the items they were drawn on.
    fTextList.clear();
    const int32_t Rows = std::max(w, 0), Cols = std::max(h, 0);
    fImages.reserve(size_t(int64_t(Rows) * Cols));
    for (int32_t I = 0; I < Rows; ++I)
        for (int32_t J = 0; J < Cols; ++J) {
            auto* Item = new TImageControl(ScrollBoxContents);
            Item->SetTag(int(fImages.size()) + 1);
            Item->setMouseTracking(true);
            Item->setGeometry(J * (fItemWidth - 1) - 1, I * (fItemHeight - 1) - 1, fItemWidth,
                              fItemHeight);
            Item->BrushColor = FreshItemColor;
            Item->PenColor = Qt::black;
            Item->Rectangle(0, 0, fItemWidth, fItemHeight);
            connect(Item, &TImageControl::Click, this, [this](TImageControl* s) { FormClick(s); });
            connect(Item, &TImageControl::MouseMove, this,
                    [this](TImageControl* s) { FormMouseMove(s); });
            Item->show();
            fImages.push_back(Item);
        }
    if (fImages.empty()) {
        fGridSize = QSize(0, 0);
    } else {
        const TImageControl* Last = fImages.back();
        fGridSize = QSize(Last->x() + Last->width(), Last->y() + Last->height());
    }
    ScrollBoxContents->resize(fGridSize);
    resize(fGridSize);
}

void TPalSel::SetfColorProc(TGetColorFunc Value) {
    fColorProc = std::move(Value);
    if (!fColorProc)
        return;
    for (size_t i = 0; i < fImages.size(); ++i) {
        TImageControl* Item = fImages[i];
        Item->BrushColor = fColorProc(int32_t(i));
        Item->Rectangle(0, 0, fItemWidth + 1, fItemHeight + 1);
        Item->update();
    }
    // The highlighted item's own colour is now the new one: un-highlighting it later must not
    // bring back the colour it had before this repaint.
    if (fHLImage)
        fHLItemColor = fHLImage->BrushColor;
}

void TPalSel::SetTextOutProc(TGetTextFunc Value) {
    fTextOut = std::move(Value);
    if (!fTextOut)
        return;
    for (size_t i = 0; i < fImages.size(); ++i) {
        TImageControl* Item = fImages[i];
        const QString Text = fTextOut(int32_t(i));
        Item->FontHeight = 15;
        Item->TextOut(4, 4, Text);
        Item->update();
        fTextList[Item] = Text;
    }
}

QString TPalSel::ItemText(const TImageControl* Item) const {
    const auto It = fTextList.find(Item);
    return It == fTextList.end() ? QString() : It->second;
}

bool TPalSel::Scrolls() const {
    return ScrollBox->verticalScrollBar()->maximum() > 0;
}

void TPalSel::FormClick(QObject* Sender) {
    const auto It = std::find(fImages.begin(), fImages.end(), Sender);
    if (!fOnSelectItem || It == fImages.end())
        return;
    // A copy: the handler may replace the callback while it runs.
    const TSelectProcedure Handler = fOnSelectItem;
    Handler(*It);
    if (fCloseAfterSelect)
        hide();
}

void TPalSel::FormMouseMove(QObject* Sender) {
    const auto It = std::find(fImages.begin(), fImages.end(), Sender);
    if (It == fImages.end() || *It == fHLImage || !fSelecteble)
        return;
    TImageControl* Item = *It;
    const int W = Item->Bitmap().width(), H = Item->Bitmap().height();
    if (fHLImage) {
        // Painted exactly as ColorProc paints, so that an item looks the same after the pointer
        // has passed over it (no stray right and bottom border lines).
        fHLImage->BrushColor = fHLItemColor;
        fHLImage->Rectangle(0, 0, fItemWidth + 1, fItemHeight + 1);
        const auto Text = fTextList.find(fHLImage);
        if (Text != fTextList.end())
            fHLImage->TextOut(4, 4, Text->second);
        fHLImage->update();
    }
    fHLImage = Item;
    fHLItemColor = Item->BrushColor;
    if (fSelectMode == smBottomLine) {
        Item->PenColor = HighlightColor;
        Item->PenWidth = 2;
        Item->Line(1, H - 2, W - 1, H - 2);
        Item->PenWidth = 1;
    } else {
        Item->BrushColor = HighlightColor;
        Item->Rectangle(0, 0, fItemWidth, fItemHeight);
        const auto Text = fTextList.find(Item);
        if (Text != fTextList.end())
            Item->TextOut(4, 4, Text->second);
    }
    Item->PenColor = Qt::black;
    Item->update();
    if (fOnChangeHL) {
        const TSelectProcedure Handler = fOnChangeHL;
        Handler(Item);
    }
}

} // namespace velkora
