// SPDX-License-Identifier: MIT
#include "workbench/DrawingPanel.h"

#include <QAction>
#include <QMouseEvent>
#include <QPainter>
#include <QToolButton>

namespace velkora {

namespace {

constexpr int Button = 24;
constexpr int Swatch = 14;
// The swatches start right of the two columns of tool buttons.
constexpr int SwatchLeft = 2 * Button + 8;

} // namespace

TDrawingPanel::TDrawingPanel(const QList<QAction*>& ToolActions, QWidget* Parent)
    : QWidget(Parent) {
    for (int i = 0; i < ToolActions.size(); ++i) {
        auto* b = new QToolButton(this);
        b->setDefaultAction(ToolActions[i]);
        b->setToolButtonStyle(Qt::ToolButtonTextOnly);
        b->setAutoRaise(true);
        b->setGeometry((i % 2) * Button, (i / 2) * Button, Button, Button);
        b->setFocusPolicy(Qt::NoFocus);
    }
    fColours.fill(qRgb(0, 0, 0), 16);
    resize(SwatchLeft + 8 * Swatch, 3 * Button + 4);
    setToolTip(QStringLiteral("Click a colour for the left button, right-click it for the right"));
}

void TDrawingPanel::SetColours(const QVector<QRgb>& Colours) {
    QVector<QRgb> New = Colours;
    New.resize(16);
    if (New == fColours)
        return;
    fColours = std::move(New);
    update();
}

void TDrawingPanel::SetColour(int Button, int Index) {
    Index &= 15;
    if (fColour[size_t(Button & 1)] == Index)
        return;
    fColour[size_t(Button & 1)] = Index;
    update();
    emit ColoursChosen();
}

QRect TDrawingPanel::SwatchRect(int Index) const {
    return QRect(SwatchLeft + (Index % 8) * Swatch, (Index / 8) * Swatch, Swatch, Swatch);
}

QRect TDrawingPanel::CurrentRect(int b) const {
    // The right button's colour lies behind and below the left one's.
    const int Size = 2 * Swatch;
    return QRect(SwatchLeft + (b ? Size / 2 : 0), 2 * Swatch + 6 + (b ? Size / 2 : 0), Size, Size);
}

void TDrawingPanel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    for (int i = 0; i < 16; ++i) {
        const QRect r = SwatchRect(i);
        p.fillRect(r, QColor(fColours.value(i)));
        p.setPen(palette().color(QPalette::Mid));
        p.drawRect(r.adjusted(0, 0, -1, -1));
        for (int b = 0; b < 2; ++b)
            if (fColour[size_t(b)] == i) {
                // The left button's colour is framed black, the right's white.
                p.setPen(b == 0 ? Qt::black : Qt::white);
                p.drawRect(r.adjusted(1 + b, 1 + b, -2 - b, -2 - b));
            }
    }
    for (int b = 1; b >= 0; --b) {
        const QRect r = CurrentRect(b);
        p.fillRect(r, QColor(fColours.value(fColour[size_t(b)])));
        p.setPen(palette().color(QPalette::WindowText));
        p.drawRect(r.adjusted(0, 0, -1, -1));
    }
    p.setPen(palette().color(QPalette::WindowText));
    const QRect Text(CurrentRect(1).right() + 6, CurrentRect(0).top(), 60, 2 * Swatch);
    p.drawText(Text, Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("%1 / %2").arg(fColour[0]).arg(fColour[1]));
}

void TDrawingPanel::mousePressEvent(QMouseEvent* Event) {
    for (int i = 0; i < 16; ++i)
        if (SwatchRect(i).contains(Event->position().toPoint())) {
            SetColour(Event->button() == Qt::RightButton ? 1 : 0, i);
            return;
        }
    QWidget::mousePressEvent(Event);
}

} // namespace velkora
