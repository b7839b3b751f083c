// SPDX-License-Identifier: MIT
#include "maps/ZoomedPictures.h"

#include <cmath>

namespace velkora {

void TZoomedPictures::Clear() {
    for (QImage& i : fScaled)
        i = QImage();
}

const QImage& TZoomedPictures::Picture(const TMapCellPictures& Pictures, int Value, int Zoom,
                                       qreal Ratio) {
    static const QImage None;
    if (Value < 0 || Value >= int(fScaled.size()))
        return None;
    if (Zoom != fZoom || Ratio != fRatio) {
        Clear();
        fZoom = Zoom;
        fRatio = Ratio;
    }
    const qreal Side = qreal(MapCellSize) * Zoom * Ratio;
    if (std::abs(Side - std::round(Side)) > 1e-9)
        return None;
    QImage& Scaled = fScaled[size_t(Value)];
    if (Scaled.isNull()) {
        const int n = int(std::round(Side));
        Scaled =
            Pictures.Picture(Value).scaled(n, n, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        Scaled.setDevicePixelRatio(Ratio);
    }
    return Scaled;
}

} // namespace velkora
