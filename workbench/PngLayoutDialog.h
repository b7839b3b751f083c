// SPDX-License-Identifier: MIT
#pragma once
// The question Import PNG... asks about a picture that does not say how its tiles lie: the
// tile-group size, the order of the tiles in a group and the number of blocks.

#include "palettes/SpritePng.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QSpinBox;

namespace velkora {

class TPngLayoutDialog : public QDialog {
    Q_OBJECT
public:
    // Offers Start's size, order and block count for the picture Name of Picture's size.
    TPngLayoutDialog(const QString& Name, QSize Picture, const TSpriteLayout& Start,
                     QWidget* Parent = nullptr);
    // Start with the size, order and block count chosen.
    TSpriteLayout Choice() const;

    QComboBox* SizeBox = nullptr;
    QComboBox* OrderBox = nullptr;
    QSpinBox* BlocksBox = nullptr;

private:
    // Says how many blocks the picture holds with the size chosen, or why it holds none.
    void ShowRoom();

    QSize fPicture;
    TSpriteLayout fStart;
    QLabel* fRoom = nullptr;
};

} // namespace velkora
