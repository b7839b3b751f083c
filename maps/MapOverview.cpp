// SPDX-License-Identifier: MIT
#include "maps/MapOverview.h"

#include <algorithm>
#include <vector>

namespace velkora {

TMeanColours MeanColours(const TMapCellPictures& Pictures) {
    TMeanColours Means{};
    for (int v = 0; v < 256; ++v) {
        if (v > MapItemCount) {
            Means[size_t(v)] = Means[size_t(MapItemCount)]; // the same unknown-item picture
            continue;
        }
        const QImage Picture = Pictures.Picture(v).convertToFormat(QImage::Format_RGB32);
        uint64_t r = 0, g = 0, b = 0;
        const int64_t n = int64_t(Picture.width()) * Picture.height();
        for (int y = 0; y < Picture.height(); ++y) {
            const QRgb* Line = reinterpret_cast<const QRgb*>(Picture.constScanLine(y));
            for (int x = 0; x < Picture.width(); ++x) {
                r += uint64_t(qRed(Line[x]));
                g += uint64_t(qGreen(Line[x]));
                b += uint64_t(qBlue(Line[x]));
            }
        }
        Means[size_t(v)] = n == 0 ? qRgb(0, 0, 0)
                                  : qRgb(int((r + uint64_t(n / 2)) / uint64_t(n)),
                                         int((g + uint64_t(n / 2)) / uint64_t(n)),
                                         int((b + uint64_t(n / 2)) / uint64_t(n)));
    }
    return Means;
}

void TMapOverview::Rebuild(const TMyByteArray& Cells, int32_t w, int32_t h,
                           const TMeanColours& Colours) {
    fColours = Colours;
    fWidth = w;
    fHeight = h;
    if (w <= 0 || h <= 0 || Cells.size() != size_t(w) * size_t(h)) {
        fWidth = fHeight = 0;
        fPicture = QImage();
        return;
    }
    const int Long = std::max(w, h);
    fBlock = std::max(1, (Long + fMaxSide - 1) / fMaxSide);
    fPicture = QImage((w + fBlock - 1) / fBlock, (h + fBlock - 1) / fBlock, QImage::Format_RGB32);
    Draw(Cells, fPicture.rect());
}

void TMapOverview::Update(const TMyByteArray& Cells, const QRect& Changed) {
    if (fPicture.isNull() || Cells.size() != size_t(fWidth) * size_t(fHeight))
        return;
    const QRect c = Changed & QRect(0, 0, fWidth, fHeight);
    if (c.isEmpty())
        return;
    Draw(Cells, QRect(QPoint(c.left() / fBlock, c.top() / fBlock),
                      QPoint(c.right() / fBlock, c.bottom() / fBlock)));
}

void TMapOverview::Draw(const TMyByteArray& Cells, const QRect& Pixels) {
    const int s = fBlock;
    const size_t w = size_t(fWidth);
    // The cell offsets sampled inside a block: all of them, or MaxSamples evenly spread.
    const int Samples = std::min(s, MaxSamples);
    std::vector<int> Offsets(static_cast<size_t>(Samples));
    for (int k = 0; k < Samples; ++k)
        Offsets[size_t(k)] = int(int64_t(k) * s / Samples);
    // Each colour spread over a 64-bit word, 21 bits a channel, so that a pixel's sum (at most
    // MaxSamples x MaxSamples cells) is one addition a cell.
    std::array<uint64_t, 256> Wide{};
    for (int v = 0; v < 256; ++v) {
        const QRgb c = fColours[size_t(v)];
        Wide[size_t(v)] = uint64_t(qRed(c)) | uint64_t(qGreen(c)) << 21 | uint64_t(qBlue(c)) << 42;
    }
    constexpr uint64_t Channel = (uint64_t(1) << 21) - 1;
    std::vector<uint64_t> Sum;
    std::vector<uint32_t> N;
    const size_t Cols = size_t(Pixels.width());
    for (int py = Pixels.top(); py <= Pixels.bottom(); ++py) {
        Sum.assign(Cols, 0);
        N.assign(Cols, 0);
        for (const int dy : Offsets) {
            const int y = py * s + dy;
            if (y >= fHeight)
                break;
            const uint8_t* Row = Cells.data() + size_t(y) * w;
            for (size_t i = 0; i < Cols; ++i) {
                const int x0 = (Pixels.left() + int(i)) * s;
                const int Count = std::min(
                    Samples, int(std::upper_bound(Offsets.begin(), Offsets.end(), fWidth - 1 - x0) -
                                 Offsets.begin()));
                uint64_t t = 0;
                if (Samples == s) {
                    for (int k = 0; k < Count; ++k)
                        t += Wide[Row[x0 + k]];
                } else {
                    for (int k = 0; k < Count; ++k)
                        t += Wide[Row[x0 + Offsets[size_t(k)]]];
                }
                Sum[i] += t;
                N[i] += uint32_t(Count);
            }
        }
        QRgb* Line = reinterpret_cast<QRgb*>(fPicture.scanLine(py)) + Pixels.left();
        for (size_t i = 0; i < Cols; ++i) {
            const uint64_t n = std::max<uint32_t>(N[i], 1);
            const auto Mean = [&](int Shift) {
                return int(((Sum[i] >> Shift & Channel) + n / 2) / n);
            };
            Line[i] = qRgb(Mean(0), Mean(21), Mean(42));
        }
    }
}

} // namespace velkora
