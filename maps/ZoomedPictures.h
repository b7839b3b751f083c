// SPDX-License-Identifier: MIT
#pragma once
// The cell pictures as the map grid draws them at a zoom: each 24 x 24 picture scaled to the
// nearest pixel once, so that drawing a zoomed cell is a plain copy.

#include "maps/MapImageItems.h"

#include <QImage>

#include <array>

namespace velkora {

class TZoomedPictures {
public:
    // Forgets every scaled picture: the pictures they were made from changed.
    void Clear();
    // The picture of Value (as Pictures holds it) Zoom times its size, made for a screen of
    // Ratio device pixels per pixel; null where the cell would not cover whole device pixels
    // (the caller scales as it draws then). A new zoom or ratio forgets the others.
    const QImage& Picture(const TMapCellPictures& Pictures, int Value, int Zoom, qreal Ratio);

private:
    int fZoom = 0;
    qreal fRatio = 0;
    std::array<QImage, 256> fScaled;
};

} // namespace velkora
