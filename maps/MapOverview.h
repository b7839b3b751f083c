// SPDX-License-Identifier: MIT
#pragma once
// The small picture of a whole map that the overview shows: each pixel the mean colour of the
// cells it covers, one pixel per cell while the map fits, each cell in the mean colour of its
// item's picture. Kept up to date a rectangle of cells at a time.

#include "maps/MapImageItems.h"
#include "shell/MyTypes.h"

#include <QImage>
#include <QRect>

#include <array>

namespace velkora {

// The mean colour of each cell value's picture (values 50 and up: the unknown-item picture's).
using TMeanColours = std::array<QRgb, 256>;
TMeanColours MeanColours(const TMapCellPictures& Pictures);

class TMapOverview {
public:
    // The longest side of the picture, in pixels, by default.
    static constexpr int DefaultMaxSide = 256;
    // The most cells a pixel's mean is taken over along a side: larger blocks are sampled at as
    // many evenly spread rows and columns, which bounds a rebuild of any map to some 17 million
    // cells.
    static constexpr int MaxSamples = 16;

    explicit TMapOverview(int MaxSide = DefaultMaxSide) : fMaxSide(MaxSide) {}

    // The picture of the w x h map Cells (row by row) in Colours: Block() x Block() cells a pixel,
    // the smallest block that keeps both sides within the longest side. An empty map gives a
    // null picture.
    void Rebuild(const TMyByteArray& Cells, int32_t w, int32_t h, const TMeanColours& Colours);
    // Redraws the pixels that cover Changed (cell coordinates) from the same map.
    void Update(const TMyByteArray& Cells, const QRect& Changed);

    // Format_RGB32, ceil(w / Block()) x ceil(h / Block()) pixels.
    const QImage& Picture() const { return fPicture; }
    // Cells a pixel covers along a side (1: one pixel per cell).
    int Block() const { return fBlock; }
    int32_t Width() const { return fWidth; }
    int32_t Height() const { return fHeight; }

private:
    // Draws the pixels of Pixels (picture coordinates).
    void Draw(const TMyByteArray& Cells, const QRect& Pixels);

    int fMaxSide;
    int fBlock = 1;
    int32_t fWidth = 0;
    int32_t fHeight = 0;
    TMeanColours fColours{};
    QImage fPicture;
};

} // namespace velkora
