// SPDX-License-Identifier: MIT
#pragma once
// A number box that holds any number typed into it, of up to eight digits, and steps only within
// its limits: a value beyond them stays as typed and shows as refused, so that the dialog holding
// it can wait for a valid one instead of cutting the typed digits.

#include <QPalette>
#include <QSpinBox>

namespace velkora {

class TLimitedBox : public QSpinBox {
    Q_OBJECT
public:
    TLimitedBox(int Low, int High, QWidget* Parent = nullptr);
    int Low() const { return fLow; }
    int High() const { return fHigh; }
    bool InLimits() const { return value() >= fLow && value() <= fHigh; }
    // "The width must be from 1 to 4096, not 4097." for What = "The width"; empty within the
    // limits. The box's colours show it too.
    QString Refusal(const QString& What);
    void stepBy(int Steps) override;

protected:
    StepEnabled stepEnabled() const override;

private:
    int fLow;
    int fHigh;
    QPalette fPalette;
};

} // namespace velkora
