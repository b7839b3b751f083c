// SPDX-License-Identifier: MIT
#include "maps/MapImageItems.h"

#include "palettes/BmpMaker.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace velkora {

namespace {

QImage NewImage(int w, int h, QImage::Format Format) {
    QImage Image(w, h, Format);
    if (Image.isNull())
        throw std::bad_alloc();
    return Image;
}

} // namespace

// ---- TMapImageItems -------------------------------------------------------------------------

TMapImageItems::TMapImageItems()
    : fItemBmp(NewImage(ItemSize, ItemSize, QImage::Format_Indexed8)),
      fColors(BmpMaker::GreyRamp()) {
    fItemBmp.setColorTable(fColors);
    fItemBmp.fill(0);
}

TMapImageItems::~TMapImageItems() = default;

void TMapImageItems::SetSpriteInfo(const TSpriteInfo& Value) {
    TSpriteInfo Shown;
    Shown.Form = Value.Form;
    Shown.Bytes.assign(Value.Bytes.begin(),
                       Value.Bytes.begin() + long(std::min(Value.Bytes.size(), StripBlocks * 16)));
    Shown.BlocksArray.assign(Value.BlocksArray.begin(),
                             Value.BlocksArray.begin() +
                                 long(std::min(Value.BlocksArray.size(), StripBlocks)));
    SetSpriteInfo(std::move(Shown));
}

void TMapImageItems::SetSpriteInfo(TSpriteInfo&& Value) {
    if (Value.BlocksArray.size() > StripBlocks || Value.Bytes.size() > StripBlocks * 16) {
        Value.BlocksArray.resize(std::min(Value.BlocksArray.size(), StripBlocks));
        Value.BlocksArray.shrink_to_fit();
        Value.Bytes.resize(std::min(Value.Bytes.size(), StripBlocks * 16));
        Value.Bytes.shrink_to_fit();
    }
    fSpriteInfo = std::move(Value);
    Refresh();
}

void TMapImageItems::SetPalette(int32_t Index, const QVector<QRgb>& Colors) {
    fPaletteIndex = Index;
    fColors = Colors;
}

void TMapImageItems::Refresh() {
    BmpMaker::MakeBMPImage(fFullBmp, fSpriteInfo.BlocksArray, SpriteSize[2], fColors, true,
                           StripWidth, StripHeight);
}

QImage& TMapImageItems::GetItem(int i) {
    fItemBmp.setColorTable(fFullBmp.isNull() ? fColors : fFullBmp.colorTable());
    // Only items that lie wholly inside the strip are copied; nothing outside it is read.
    const bool Inside = !fFullBmp.isNull() && fFullBmp.format() == QImage::Format_Indexed8 &&
                        fFullBmp.width() >= ItemSize && i >= 0 &&
                        i <= (fFullBmp.height() - ItemSize) / ItemSize;
    if (!Inside) {
        fItemBmp.fill(0);
        return fItemBmp;
    }
    const int Top = i * ItemSize;
    for (int y = 0; y < ItemSize; ++y)
        std::memcpy(fItemBmp.scanLine(y), fFullBmp.constScanLine(Top + y), ItemSize);
    return fItemBmp;
}

// ---- Cell pictures --------------------------------------------------------------------------

namespace {

// The unknown-item picture's colours, from UnknownItemFirstColour on.
constexpr QRgb UnknownColours[3] = {qRgb(0x20, 0x20, 0x20), qRgb(0x48, 0x48, 0x48),
                                    qRgb(0xE0, 0x10, 0x10)};

QImage RgbPicture(const TCellIndices& Indices, const TMapColours& Colours) {
    QImage p = NewImage(MapCellSize, MapCellSize, QImage::Format_RGB32);
    for (int y = 0; y < MapCellSize; ++y) {
        QRgb* Line = reinterpret_cast<QRgb*>(p.scanLine(y));
        for (int x = 0; x < MapCellSize; ++x)
            Line[x] = 0xFF000000u | Colours[Indices[size_t(y * MapCellSize + x)]];
    }
    return p;
}

} // namespace

const TCellIndices& MapImageItems::UnknownItemIndices() {
    static const TCellIndices Indices = [] {
        TCellIndices p{};
        for (int y = 0; y < MapCellSize; ++y)
            for (int x = 0; x < MapCellSize; ++x)
                p[size_t(y * MapCellSize + x)] =
                    uint8_t(UnknownItemFirstColour + ((x / 4 + y / 4) & 1));
        // A cross two pixels thick from corner to corner.
        for (int k = 0; k < MapCellSize; ++k) {
            for (int d = 0; d < 2; ++d) {
                const int x = qMin(k + d, MapCellSize - 1);
                p[size_t(k * MapCellSize + x)] = UnknownItemFirstColour + 2;
                p[size_t(k * MapCellSize + MapCellSize - 1 - x)] = UnknownItemFirstColour + 2;
            }
        }
        return p;
    }();
    return Indices;
}

const QImage& MapImageItems::UnknownItemPicture() {
    static const QImage Picture = [] {
        TMapColours Colours{};
        for (int c = 0; c < 3; ++c)
            Colours[size_t(UnknownItemFirstColour + c)] = UnknownColours[c];
        return RgbPicture(UnknownItemIndices(), Colours);
    }();
    return Picture;
}

QImage MapImageItems::CellPicture(TMapImageItems& Items1, TMapImageItems& Items2, int Value) {
    if (Value < 0 || Value >= MapItemCount)
        return UnknownItemPicture();
    const QImage& Item = Value < TMapImageItems::SpriteCount
                             ? Items1.Item(Value)
                             : Items2.Item(Value - TMapImageItems::SpriteCount);
    QImage Picture = Item.convertToFormat(QImage::Format_RGB32);
    if (Picture.isNull())
        throw std::bad_alloc();
    return Picture;
}

void MapImageItems::DrawHighlightFrame(QImage& Picture) {
    if (Picture.width() < 23 || Picture.height() < 23)
        return;
    if (Picture.format() != QImage::Format_RGB32 && Picture.format() != QImage::Format_ARGB32)
        Picture = Picture.convertToFormat(QImage::Format_RGB32);
    const QRgb Red = qRgb(255, 0, 0);
    for (int k = 0; k <= 22; ++k) {
        Picture.setPixel(0, k, Red);
        Picture.setPixel(22, k, Red);
        Picture.setPixel(k, 0, Red);
        Picture.setPixel(k, 22, Red);
    }
}

void MapImageItems::DrawCellIndices(int Texture, TMapImageItems& Items, int i, TCellIndices& Out) {
    const QImage& Item = Items.Item(i);
    const uint8_t First = uint8_t(16 * Texture);
    for (int y = 0; y < MapCellSize; ++y) {
        const uchar* Line = Item.constScanLine(y);
        for (int x = 0; x < MapCellSize; ++x)
            Out[size_t(y * MapCellSize + x)] = uint8_t(First + (Line[x] & 15));
    }
}

TMapCellPictures::TMapCellPictures() {
    for (int c = 0; c < 16; ++c)
        fColours[size_t(c)] = fColours[size_t(16 + c)] = qRgb(0, 0, 0);
    for (int c = 0; c < 3; ++c)
        fColours[size_t(UnknownItemFirstColour + c)] = UnknownColours[c];
    for (TCellIndices& p : fIndices)
        p.fill(0);
    fPictures.fill(RgbPicture(fIndices[0], fColours));
}

void TMapCellPictures::RebuildTexture(int Texture, TMapImageItems& Items) {
    const int First = Texture == 0 ? 0 : TMapImageItems::SpriteCount;
    // Every item image carries the strip's 16 colours.
    const QVector<QRgb> Table = Items.Item(0).colorTable();
    for (int c = 0; c < 16; ++c)
        fColours[size_t(16 * Texture + c)] = c < Table.size() ? Table[c] : qRgb(0, 0, 0);
    for (int i = 0; i < TMapImageItems::SpriteCount; ++i) {
        TCellIndices& Indices = fIndices[size_t(First + i)];
        MapImageItems::DrawCellIndices(Texture, Items, i, Indices);
        fPictures[size_t(First + i)] = RgbPicture(Indices, fColours);
    }
}

void TMapCellPictures::Rebuild(TMapImageItems& Items1, TMapImageItems& Items2) {
    RebuildTexture(0, Items1);
    RebuildTexture(1, Items2);
}

// ---- The whole map --------------------------------------------------------------------------

QImage MapImageItems::RenderMap(const TMyByteArray& Cells, int32_t w, int32_t h,
                                const TMapCellPictures& Pictures) {
    if (w <= 0 || h <= 0)
        throw EFormatError(
            QStringLiteral("A map of %1 x %2 cells has nothing to draw").arg(w).arg(h));
    if (Cells.size() != size_t(w) * size_t(h))
        throw EFormatError(QStringLiteral("A map of %1 x %2 cells cannot hold %3 cells")
                               .arg(w)
                               .arg(h)
                               .arg(Cells.size()));
    const int64_t Width = int64_t(w) * MapCellSize;
    const int64_t Height = int64_t(h) * MapCellSize;
    if (Width * Height > MaxMapImagePixels)
        throw EFormatError(QStringLiteral("A map of %1 x %2 cells makes a picture of %3 x %4 "
                                          "pixels, more than the %5 pixels allowed")
                               .arg(w)
                               .arg(h)
                               .arg(Width)
                               .arg(Height)
                               .arg(MaxMapImagePixels));
    QImage Image = NewImage(int(Width), int(Height), QImage::Format_RGB32);
    uchar* const Bits = Image.bits();
    const size_t Stride = size_t(Image.bytesPerLine());
    constexpr size_t CellBytes = MapCellSize * sizeof(QRgb);
    for (int32_t r = 0; r < h; ++r) {
        for (int32_t c = 0; c < w; ++c) {
            const QImage& Picture = Pictures.Picture(Cells[size_t(r) * size_t(w) + size_t(c)]);
            uchar* Dest = Bits + size_t(r) * MapCellSize * Stride + size_t(c) * CellBytes;
            for (int y = 0; y < MapCellSize; ++y, Dest += Stride)
                std::memcpy(Dest, Picture.constScanLine(y), CellBytes);
        }
    }
    return Image;
}

} // namespace velkora
