// SPDX-License-Identifier: MIT
#pragma once
// The question File > New map... asks: the new map's width and height and the item it is filled
// with.

#include "maps/MapImageItems.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QSpinBox;

namespace velkora {

// What a new map is made of.
struct TNewMapChoice {
    int Width = 64;
    int Height = 64;
    int Item = 0; // the cell value every cell gets, 0 to 49
};

// The largest side the dialog offers; larger maps come from files.
constexpr int MaxNewMapSide = 4096;

class TNewMapDialog : public QDialog {
    Q_OBJECT
public:
    // Starts with Start's values; Pictures shows the fill item.
    TNewMapDialog(const TNewMapChoice& Start, const TMapCellPictures& Pictures,
                  QWidget* Parent = nullptr);
    TNewMapChoice Choice() const;
    // Whether every box holds a value within its limits; OK is enabled exactly then.
    bool IsValid() const;
    void accept() override;

    // The boxes hold whatever number is typed, within their limits or not: a value beyond them is
    // shown as refused (with the limits beside it) and OK waits for a valid one.
    QSpinBox* WidthBox = nullptr;
    QSpinBox* HeightBox = nullptr;
    QSpinBox* ItemBox = nullptr;
    QPushButton* OkButton = nullptr;
    // What is wrong with the values; empty while they are valid.
    QLabel* Refusal = nullptr;

private:
    void ShowItem();
    void Check();

    const TMapCellPictures& fPictures;
    QLabel* fItemPicture = nullptr;
    QLabel* fItemText = nullptr;
};

} // namespace velkora
