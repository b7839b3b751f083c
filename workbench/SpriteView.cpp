// SPDX-License-Identifier: MIT
#include "workbench/SpriteView.h"

#include <QFont>
#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

namespace velkora {

void TSpriteLayoutView::SetSprite(const TBlocksArray* Blocks, QPoint BlockSize, bool IsCW,
                                  const QVector<QRgb>& Colors) {
    fBlocks = Blocks;
    fBlockSize = QPoint(std::max(1, BlockSize.x()), std::max(1, BlockSize.y()));
    fIsCW = IsCW;
    fColors = Colors;
}

void TSpriteLayoutView::SetZoom(int Zoom) {
    fZoom = std::clamp(Zoom, MinZoom, MaxZoom);
}

int TSpriteLayoutView::LayoutWidth() const {
    return std::max(fView.width() / fZoom, 8 * fBlockSize.x());
}

int64_t TSpriteLayoutView::GroupsPerBand() const {
    // The bitmap maker's rule, in bytes of a 4-bit row: a group takes 4 X bytes,
    // and the next one goes to its right while left + 8 X < w div 2, left taking
    // the steps 0, 4 X, ...
    const int64_t X = fBlockSize.x();
    const int64_t Room = LayoutWidth() / 2 - 8 * X;
    return Room <= 0 ? 1 : 1 + (Room + 4 * X - 1) / (4 * X);
}

int64_t TSpriteLayoutView::Groups() const {
    if (!fBlocks)
        return 0;
    const int64_t PerGroup = int64_t(fBlockSize.x()) * fBlockSize.y();
    return (int64_t(fBlocks->size()) + PerGroup - 1) / PerGroup;
}

int64_t TSpriteLayoutView::Bands() const {
    const int64_t n = GroupsPerBand();
    return (Groups() + n - 1) / n;
}

int64_t TSpriteLayoutView::ContentHeight() const {
    return Bands() * 8 * fBlockSize.y() * fZoom;
}

int64_t TSpriteLayoutView::BlockAt(int64_t x, int64_t y) const {
    if (!fBlocks || x < 0 || y < 0 || x >= LayoutWidth())
        return -1;
    const int64_t X = fBlockSize.x();
    const int64_t Y = fBlockSize.y();
    const int64_t n = GroupsPerBand();
    const int64_t InBand = x / (8 * X);
    if (InBand >= n)
        return -1;
    const int64_t Group = y / (8 * Y) * n + InBand;
    const int64_t bJ = x % (8 * X) / 8;
    const int64_t bI = y % (8 * Y) / 8;
    const int64_t Block = Group * X * Y + (fIsCW ? bI * X + bJ : bJ * Y + bI);
    return Block < int64_t(fBlocks->size()) ? Block : -1;
}

QRgb TSpriteLayoutView::CheckerColor(int x, int y) {
    return ((x / 4 + y / 4) & 1) ? qRgb(0x9A, 0x9A, 0x9A) : qRgb(0xC8, 0xC8, 0xC8);
}

QImage TSpriteLayoutView::Render(QPoint Scroll, qreal Ratio) const {
    if (!fBlocks || fBlocks->empty() || fView.isEmpty())
        return QImage();
    const int z = fZoom;
    const int64_t BandH = 8 * fBlockSize.y();
    const int64_t n = GroupsPerBand();
    const int64_t PerGroup = int64_t(fBlockSize.x()) * fBlockSize.y();
    const int W = LayoutWidth();
    // Only the bands the view reaches are drawn, from a slice of the blocks:
    // every band starts with a whole multiple of n groups, so a slice is laid out
    // as the whole would be.
    const int64_t Top = std::max<int64_t>(0, Scroll.y()) / z;
    const int64_t Bottom = (std::max<int64_t>(0, Scroll.y()) + fView.height() - 1) / z;
    const int64_t B0 = std::min(Top / BandH, Bands() - 1);
    const int64_t B1 = std::min(Bottom / BandH, Bands() - 1);
    const int64_t G0 = B0 * n;
    const int64_t G1 = std::min((B1 + 1) * n, Groups());
    // A last group with blocks missing is drawn whole from a slice padded with
    // empty blocks; the places of the missing ones show the checkerboard.
    const int64_t Last = std::min(G1 * PerGroup, int64_t(fBlocks->size()));
    TBlocksArray Slice(fBlocks->begin() + G0 * PerGroup, fBlocks->begin() + Last);
    Slice.resize(size_t((G1 - G0) * PerGroup));
    TMyByteArray Pixels;
    const int SliceH = int((B1 - B0 + 1) * BandH);
    BmpMaker::MakeBMPPixels(Pixels, Slice, fBlockSize, fIsCW, W, SliceH);

    // One picture pixel a device pixel, each taking the colour of the view pixel
    // it lies in: no device pixel blends two view pixels, whatever the ratio.
    Ratio = std::max<qreal>(Ratio, 1);
    const QSize Device(int(std::ceil(fView.width() * Ratio - 1e-9)),
                       int(std::ceil(fView.height() * Ratio - 1e-9)));
    QImage Image(Device, QImage::Format_RGB32);
    if (Image.isNull())
        throw std::bad_alloc();
    Image.setDevicePixelRatio(Ratio);
    std::vector<int> ViewX(size_t(Device.width()));
    for (int dx = 0; dx < Device.width(); ++dx)
        ViewX[size_t(dx)] = std::min(int(dx / Ratio + 1e-9), fView.width() - 1);
    std::array<QRgb, 16> Table{};
    for (int i = 0; i < 16; ++i)
        Table[size_t(i)] = fColors.value(i);
    int64_t PrevSy = -1;
    int PrevChecker = -1;
    for (int dy = 0; dy < Device.height(); ++dy) {
        QRgb* Line = reinterpret_cast<QRgb*>(Image.scanLine(dy));
        const int vy = std::min(int(dy / Ratio + 1e-9), fView.height() - 1);
        const int64_t sy = (int64_t(Scroll.y()) + vy) / z;
        // A row shows what the row above shows when it lies in the same sprite row and the same
        // row of checkerboard squares.
        const int Checker = (vy / 4) & 1;
        if (sy == PrevSy && Checker == PrevChecker) {
            std::memcpy(Line, Image.constScanLine(dy - 1), size_t(Device.width()) * sizeof(QRgb));
            continue;
        }
        PrevSy = sy;
        PrevChecker = Checker;
        const int64_t Row = sy - B0 * BandH;
        const bool RowDrawn = Row >= 0 && Row < SliceH;
        int64_t LastSx = -1;
        bool Drawn = false;
        QRgb Colour = 0;
        for (int dx = 0; dx < Device.width(); ++dx) {
            const int vx = ViewX[size_t(dx)];
            const int64_t sx = (int64_t(Scroll.x()) + vx) / z;
            if (sx != LastSx) {
                LastSx = sx;
                Drawn = RowDrawn && BlockAt(sx, sy) >= 0;
                if (Drawn)
                    Colour = Table[Pixels[size_t(Row) * size_t(W) + size_t(sx)] & 15];
            }
            Line[dx] = Drawn ? Colour : CheckerColor(vx, vy);
        }
    }
    if (fShowGrid || (fShowNumbers && z >= NumbersZoom))
        DrawOverlay(Image, Scroll, Ratio);
    return Image;
}

void TSpriteLayoutView::DrawOverlay(QImage& Image, QPoint Scroll, qreal Ratio) const {
    QPainter Painter(&Image);
    const int z = fZoom;
    const int64_t X = fBlockSize.x();
    const int64_t Y = fBlockSize.y();
    // The tiles whose places the view reaches.
    const int64_t x0 = std::max<int64_t>(0, Scroll.x()) / z / 8;
    const int64_t x1 = (int64_t(Scroll.x()) + fView.width()) / z / 8;
    const int64_t y0 = std::max<int64_t>(0, Scroll.y()) / z / 8;
    const int64_t y1 = (int64_t(Scroll.y()) + fView.height()) / z / 8;
    if (fShowNumbers && z >= NumbersZoom) {
        QFont Font = Painter.font();
        Font.setPixelSize(std::clamp(z * 2, 8, 12));
        Painter.setFont(Font);
    }
    const qreal Line = 1 / Ratio;
    for (int64_t ty = y0; ty <= y1; ++ty)
        for (int64_t tx = x0; tx <= x1; ++tx) {
            const int64_t Block = BlockAt(tx * 8, ty * 8);
            if (Block < 0)
                continue;
            const QRectF r(qreal(tx * 8 * z - Scroll.x()), qreal(ty * 8 * z - Scroll.y()), 8.0 * z,
                           8.0 * z);
            if (fShowGrid) {
                Painter.fillRect(QRectF(r.left(), r.top(), r.width(), Line),
                                 QColor(GridColor(false)));
                Painter.fillRect(QRectF(r.left(), r.top(), Line, r.height()),
                                 QColor(GridColor(false)));
                // A group's left and top edges, drawn over its tiles' edges.
                const bool GroupLeft = tx % X == 0;
                const bool GroupTop = ty % Y == 0;
                if (GroupTop)
                    Painter.fillRect(QRectF(r.left(), r.top(), r.width(), 2 * Line),
                                     QColor(GridColor(true)));
                if (GroupLeft)
                    Painter.fillRect(QRectF(r.left(), r.top(), 2 * Line, r.height()),
                                     QColor(GridColor(true)));
            }
            if (fShowNumbers && z >= NumbersZoom) {
                const QString Text = QString::number(Block);
                const QRectF Box = r.adjusted(2, 1, 0, 0);
                Painter.setPen(Qt::black);
                Painter.drawText(Box.translated(Line, Line), Qt::AlignLeft | Qt::AlignTop, Text);
                Painter.setPen(Qt::white);
                Painter.drawText(Box, Qt::AlignLeft | Qt::AlignTop, Text);
            }
        }
}

QPoint TSpriteLayoutView::LayoutPixel(QPoint P, QPoint Scroll) const {
    const auto Floor = [this](int64_t v) {
        return int(v >= 0 ? v / fZoom : -((-v + fZoom - 1) / fZoom));
    };
    return QPoint(Floor(int64_t(Scroll.x()) + P.x()), Floor(int64_t(Scroll.y()) + P.y()));
}

bool TSpriteLayoutView::PixelAt(QPoint P, QPoint Scroll, TPixel& Pixel) const {
    if (P.x() < 0 || P.y() < 0 || P.x() >= fView.width() || P.y() >= fView.height())
        return false;
    const int64_t sx = (int64_t(Scroll.x()) + P.x()) / fZoom;
    const int64_t sy = (int64_t(Scroll.y()) + P.y()) / fZoom;
    const int64_t Block = BlockAt(sx, sy);
    if (Block < 0)
        return false;
    Pixel.Block = Block;
    Pixel.X = int(sx % 8);
    Pixel.Y = int(sy % 8);
    const uint8_t b = (*fBlocks)[size_t(Pixel.Block)][size_t(Pixel.Y)][size_t(Pixel.X / 2)];
    Pixel.Index = (Pixel.X & 1) ? (b & 15) : (b >> 4);
    Pixel.Color = fColors.value(Pixel.Index);
    return true;
}

QPoint TSpriteLayoutView::BlockOrigin(int64_t Block) const {
    const int64_t X = fBlockSize.x();
    const int64_t Y = fBlockSize.y();
    const int64_t Group = Block / (X * Y);
    const int64_t k = Block % (X * Y);
    const int64_t bI = fIsCW ? k / X : k % Y;
    const int64_t bJ = fIsCW ? k % X : k / Y;
    const int64_t n = GroupsPerBand();
    const int64_t x = (Group % n) * 8 * X + 8 * bJ;
    const int64_t y = (Group / n) * 8 * Y + 8 * bI;
    return QPoint(int(x * fZoom), int(std::min<int64_t>(y * fZoom, INT32_MAX)));
}

} // namespace velkora
