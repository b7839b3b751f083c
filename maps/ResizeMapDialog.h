// SPDX-License-Identifier: MIT
#pragma once
// The question Map > Resize map... asks: the new width and height, where the old cells go (their
// offset) and the item new cells get, with a picture of where the old map lands in the new one.

#include "maps/MapImageItems.h"

#include <QDialog>

class QLabel;
class QSpinBox;

namespace velkora {

struct TResizeChoice {
    int Width = 1;
    int Height = 1;
    // The old cell (x, y) goes to (x + DX, y + DY).
    int DX = 0;
    int DY = 0;
    int Fill = 0; // 0 to 255
};

// The picture of the old map (grey) in the new one (the frame), scaled to fit.
class TResizePreview : public QWidget {
    Q_OBJECT
public:
    explicit TResizePreview(QWidget* Parent = nullptr);
    void Show(QSize Old, const TResizeChoice& Choice);
    // Where the old map and the new one are drawn, in widget coordinates.
    QRect OldRect() const { return fOldRect; }
    QRect NewRect() const { return fNewRect; }

protected:
    void paintEvent(QPaintEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;

private:
    void Place();

    QSize fOld;
    TResizeChoice fChoice;
    QRect fOldRect;
    QRect fNewRect;
};

class TResizeMapDialog : public QDialog {
    Q_OBJECT
public:
    // For a map of Old cells; Start holds the values shown first.
    TResizeMapDialog(QSize Old, const TResizeChoice& Start, const TMapCellPictures& Pictures,
                     QWidget* Parent = nullptr);
    TResizeChoice Choice() const;

    QSpinBox* WidthBox = nullptr;
    QSpinBox* HeightBox = nullptr;
    QSpinBox* DXBox = nullptr;
    QSpinBox* DYBox = nullptr;
    QSpinBox* FillBox = nullptr;
    TResizePreview* Preview = nullptr;

private:
    void Changed();

    QSize fOld;
    const TMapCellPictures& fPictures;
    QLabel* fFillPicture = nullptr;
};

} // namespace velkora
