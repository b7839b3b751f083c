// SPDX-License-Identifier: MIT
#pragma once
// The workbench's drawing controls beside the picture: a button for each pixel tool, the 16
// colours of the palette the sprite is drawn in, and the two current colours (the left and the
// right mouse button's). A left click on a swatch makes its colour the left one, a right click
// the right one.

#include "workbench/PixelTools.h"

#include <QRgb>
#include <QVector>
#include <QWidget>

#include <array>

class QAction;
class QToolButton;

namespace velkora {

class TDrawingPanel : public QWidget {
    Q_OBJECT
public:
    // The tools' buttons show ToolActions (one for each TPixelToolKind, in its order).
    TDrawingPanel(const QList<QAction*>& ToolActions, QWidget* Parent = nullptr);

    // The 16 colours the swatches show.
    void SetColours(const QVector<QRgb>& Colours);
    const QVector<QRgb>& Colours() const { return fColours; }
    // The current colour indices: 0 the left button's, 1 the right's.
    int Colour(int Button) const { return fColour[size_t(Button & 1)]; }
    void SetColour(int Button, int Index);
    // Where swatch Index lies in the panel.
    QRect SwatchRect(int Index) const;

signals:
    void ColoursChosen();

protected:
    void paintEvent(QPaintEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;

private:
    QRect CurrentRect(int Button) const;

    QVector<QRgb> fColours;
    std::array<int, 2> fColour{1, 0};
};

} // namespace velkora
