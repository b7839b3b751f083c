// SPDX-License-Identifier: MIT
#include "widgets/StatusField.h"

#include <QPainter>

namespace velkora {

TStatusField::TStatusField(const QString& Widest, QWidget* Parent)
    : QWidget(Parent), fWidest(Widest) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    // It paints its own background, so a new text repaints nothing beneath it.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TStatusField::setText(const QString& Text) {
    if (Text == fText)
        return;
    fText = Text;
    update();
}

QSize TStatusField::sizeHint() const {
    const QFontMetrics m = fontMetrics();
    return QSize(m.horizontalAdvance(fWidest) + 4, m.height());
}

void TStatusField::paintEvent(QPaintEvent* Event) {
    Q_UNUSED(Event);
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Window));
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, fText);
}

} // namespace velkora
