// SPDX-License-Identifier: MIT
#include "widgets/LimitedBox.h"

#include <algorithm>

namespace velkora {

TLimitedBox::TLimitedBox(int Low, int High, QWidget* Parent)
    : QSpinBox(Parent), fLow(Low), fHigh(High), fPalette(palette()) {
    setRange(std::min(0, Low), 99999999);
    setValue(Low);
}

QString TLimitedBox::Refusal(const QString& What) {
    const bool Refused = !InLimits();
    QPalette p = fPalette;
    if (Refused) {
        p.setColor(QPalette::Text, QColor(200, 0, 0));
        p.setColor(QPalette::Base, QColor(255, 228, 228));
    }
    setPalette(p);
    if (!Refused)
        return QString();
    return QStringLiteral("%1 must be from %2 to %3, not %4.")
        .arg(What)
        .arg(fLow)
        .arg(fHigh)
        .arg(value());
}

void TLimitedBox::stepBy(int Steps) {
    setValue(std::clamp(value() + Steps, fLow, fHigh));
    selectAll();
}

QAbstractSpinBox::StepEnabled TLimitedBox::stepEnabled() const {
    StepEnabled e = StepNone;
    if (value() > fLow)
        e |= StepDownEnabled;
    if (value() < fHigh)
        e |= StepUpEnabled;
    return e;
}

} // namespace velkora
