#include "palettes/PalFrm.h"

#include "ui_PalFrm.h"

#include "shell/Application.h"

#include <QEnterEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace velkora {

namespace {

// The highlight colour of an item under the pointer.
const QColor HighlightColor(180, 195, 232);
// The colour of an item that has not been coloured yet.
const QColor FreshItemColor(0, 128, 0);

} // namespace

// ---- TImageControl --------------------------------------------------------------------------

TImageControl::TImageControl(QWidget* Parent) : QWidget(Parent) {}

QImage& TImageControl::Canvas() const {
    // A hidden control gets its resize event only when it is shown; the bitmap follows the
    // geometry at once, keeping what fits and filling the rest white.
    const QSize Size(std::max(width(), 1), std::max(height(), 1));
    if (fBitmap.size() != Size) {
        QImage Resized(Size, QImage::Format_RGB32);
        Resized.fill(Qt::white);
        if (!fBitmap.isNull()) {
            QPainter p(&Resized);
            p.drawImage(QPoint(0, 0), fBitmap);
        }
        fBitmap = Resized;
    }
    return fBitmap;
}

void TImageControl::Rectangle(int x1, int y1, int x2, int y2) {
    if (x2 <= x1 || y2 <= y1)
        return;
    QPainter p(&Canvas());
    p.fillRect(QRect(x1, y1, x2 - x1, y2 - y1), BrushColor);
    const int w = std::max(PenWidth, 1);
    p.fillRect(QRect(x1, y1, x2 - x1, w), PenColor);
    p.fillRect(QRect(x1, y2 - w, x2 - x1, w), PenColor);
    p.fillRect(QRect(x1, y1, w, y2 - y1), PenColor);
    p.fillRect(QRect(x2 - w, y1, w, y2 - y1), PenColor);
}

void TImageControl::Line(int x1, int y1, int x2, int y2) {
    QPainter p(&Canvas());
    const int w = std::max(PenWidth, 1);
    // A wide line covers w pixels across it, the extra ones above (left of) the given row
    // (column).
    if (y1 == y2) {
        const int Left = std::min(x1, x2 + 1), Right = std::max(x1, x2 - 1);
        if (x1 != x2)
            p.fillRect(QRect(Left, y1 - w / 2, Right - Left + 1, w), PenColor);
    } else if (x1 == x2) {
        const int Top = std::min(y1, y2 + 1), Bottom = std::max(y1, y2 - 1);
        p.fillRect(QRect(x1 - w / 2, Top, w, Bottom - Top + 1), PenColor);
    } else {
        p.setPen(QPen(PenColor, w));
        p.drawLine(x1, y1, x2, y2);
    }
}

QFont TImageControl::CanvasFont() const {
    QFont f = font();
    for (int px = FontHeight; px > 1; --px) {
        f.setPixelSize(px);
        if (QFontMetrics(f).height() <= FontHeight)
            break;
    }
    return f;
}

void TImageControl::TextOut(int x, int y, const QString& Text) {
    const QFont f = CanvasFont();
    const QFontMetrics m(f);
    QPainter p(&Canvas());
    p.fillRect(QRect(x, y, m.horizontalAdvance(Text), m.height()), BrushColor);
    p.setFont(f);
    p.setPen(Qt::black);
    p.drawText(QPoint(x, y + m.ascent()), Text);
}

void TImageControl::Draw(int x, int y, const QImage& Picture) {
    QPainter p(&Canvas());
    p.drawImage(QPoint(x, y), Picture);
}

void TImageControl::FillRect(const QRect& Area) {
    QPainter p(&Canvas());
    p.fillRect(Area, BrushColor);
}

void TImageControl::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(rect(), Canvas());
}

void TImageControl::mousePressEvent(QMouseEvent* Event) {
    if (Event->button() == Qt::LeftButton)
        fPressed = true;
    Event->accept();
}

void TImageControl::mouseReleaseEvent(QMouseEvent* Event) {
    Event->accept();
    if (Event->button() != Qt::LeftButton)
        return;
    const bool Clicked = fPressed && rect().contains(Event->position().toPoint());
    fPressed = false;
    if (Clicked)
        emit Click(this);
}

void TImageControl::mouseMoveEvent(QMouseEvent* Event) {
    Event->accept();
    emit MouseMove(this);
}

void TImageControl::enterEvent(QEnterEvent* Event) {
    QWidget::enterEvent(Event);
    emit MouseEnter(this);
}

void TImageControl::leaveEvent(QEvent* Event) {
    QWidget::leaveEvent(Event);
    emit MouseLeave(this);
}

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
