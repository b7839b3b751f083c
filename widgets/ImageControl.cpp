// SPDX-License-Identifier: MIT
#include "widgets/ImageControl.h"

#include <QEnterEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace velkora {

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

} // namespace velkora
