// SPDX-License-Identifier: MIT
#pragma once
// A line of text in the status bar that changes with every mouse move: it keeps the width of
// the longest text it is meant to show, so that a new text repaints the field alone (no layout
// of the bar, no other field repainted).

#include <QString>
#include <QWidget>

namespace velkora {

class TStatusField : public QWidget {
    Q_OBJECT
public:
    // Wide enough for Widest in the widget's font.
    explicit TStatusField(const QString& Widest, QWidget* Parent = nullptr);

    const QString& text() const { return fText; }
    void setText(const QString& Text);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* Event) override;

private:
    QString fText;
    QString fWidest;
};

} // namespace velkora
