// SPDX-License-Identifier: MIT
#include "maps/MapPicture.h"

#include <cstring>

namespace velkora {

TPngCompression MapPicture::MapPngCompression() {
    return {TPngFilter::None, 3, TPngStrategy::Default};
}

TPngCompression MapPicture::MapPngFastCompression() {
    return {TPngFilter::None, 1, TPngStrategy::Default};
}

void MapPicture::CheckMapPictureSize(int64_t w, int64_t h) {
    if (w <= 0 || h <= 0)
        throw EFormatError(
            QStringLiteral("A map of %1 x %2 cells has nothing to draw").arg(w).arg(h));
    const int64_t Width = w * MapCellSize;
    const int64_t Height = h * MapCellSize;
    if (Width > int64_t(PngMaxSide) || Height > int64_t(PngMaxSide))
        throw EFormatError(QStringLiteral("A map of %1 x %2 cells makes a picture of %3 x %4 "
                                          "pixels; a PNG picture is at most %5 pixels on a side")
                               .arg(w)
                               .arg(h)
                               .arg(Width)
                               .arg(Height)
                               .arg(PngMaxSide));
}

TMapPngPalette MapPicture::MapPngPalette(const TMapColours& Colours,
                                         const std::array<bool, 256>& Used) {
    std::array<bool, MapColourCount> Needed{};
    for (int t = 0; t < 2; ++t)
        for (int v = 25 * t; v < 25 * (t + 1); ++v)
            if (Used[size_t(v)])
                for (int c = 0; c < 16; ++c)
                    Needed[size_t(16 * t + c)] = true;
    for (int v = MapItemCount; v < 256; ++v)
        if (Used[size_t(v)])
            for (int c = 0; c < 3; ++c)
                Needed[size_t(UnknownItemFirstColour + c)] = true;
    TMapPngPalette p;
    for (int c = 0; c < MapColourCount; ++c) {
        if (!Needed[size_t(c)])
            continue;
        const QRgb Colour = Colours[size_t(c)] | 0xFF000000u;
        const auto Same = std::find(p.Colours.begin(), p.Colours.end(), Colour);
        p.Index[size_t(c)] = uint8_t(Same - p.Colours.begin());
        if (Same == p.Colours.end())
            p.Colours.push_back(Colour);
    }
    return p;
}

void MapPicture::WriteMapPng(TByteSink& Sink, const TMyByteArray& Cells, int32_t w, int32_t h,
                             const TMapCellPictures& Pictures, const TPngCompression& Compression,
                             const TProgress& Progress) {
    CheckMapPictureSize(w, h);
    if (Cells.size() != size_t(w) * size_t(h))
        throw EFormatError(QStringLiteral("A map of %1 x %2 cells cannot hold %3 cells")
                               .arg(w)
                               .arg(h)
                               .arg(Cells.size()));
    std::array<bool, 256> Used{};
    for (uint8_t v : Cells)
        Used[v] = true;
    const TMapPngPalette Palette = MapPngPalette(Pictures.Colours(), Used);
    // Every value's picture in the PNG's indices, so that a cell is drawn by plain copies.
    std::array<TCellIndices, 256> Cell{};
    for (int v = 0; v < 256; ++v)
        if (Used[size_t(v)]) {
            const TCellIndices& From = Pictures.Indices(v);
            for (size_t i = 0; i < From.size(); ++i)
                Cell[size_t(v)][i] = Palette.Index[From[i]];
        }

    const size_t Width = size_t(w) * MapCellSize;
    TIndexedPngWriter Writer(Sink, uint32_t(Width), uint32_t(h) * MapCellSize, Palette.Colours, {},
                             Compression);
    TMyByteArray Band(Width * MapCellSize);
    for (int32_t r = 0; r < h; ++r) {
        const uint8_t* Row = Cells.data() + size_t(r) * size_t(w);
        for (int32_t c = 0; c < w; ++c) {
            const uint8_t* Src = Cell[Row[c]].data();
            uint8_t* Dest = Band.data() + size_t(c) * MapCellSize;
            for (int y = 0; y < MapCellSize; ++y, Dest += Width, Src += MapCellSize)
                std::memcpy(Dest, Src, MapCellSize);
        }
        Writer.WriteRows(Band.data(), Width, MapCellSize);
        Report(Progress, uint64_t(r) + 1, uint64_t(h));
    }
    Writer.Finish();
}

void MapPicture::WriteMapPngFile(const QString& FileName, const TMyByteArray& Cells, int32_t w,
                                 int32_t h, const TMapCellPictures& Pictures,
                                 const TPngCompression& Compression, const TProgress& Progress) {
    CheckMapPictureSize(w, h);
    TAtomicFileSink Sink(FileName);
    WriteMapPng(Sink, Cells, w, h, Pictures, Compression, Progress);
    // The last moment to stop: the file is replaced after it.
    Report(Progress, uint64_t(h), uint64_t(h));
    Sink.Commit();
}

} // namespace velkora
