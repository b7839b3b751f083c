// SPDX-License-Identifier: MIT
#pragma once
// The picture of a whole map as an indexed PNG, drawn and written one band of cells at a time,
// so that its memory grows with the map's width only, never with its height.

#include "maps/MapImageItems.h"
#include "palettes/PngFile.h"
#include "shell/Progress.h"

namespace velkora {

namespace MapPicture {
// The compression of map pictures (see bench/README.md for the measurements behind it), and the
// fastest setting.
TPngCompression MapPngCompression();
TPngCompression MapPngFastCompression();

// Raises EFormatError, naming the limit, when the picture of a w x h map (24 pixels a cell) would
// be wider or higher than a PNG may be, or when the map has no cell.
void CheckMapPictureSize(int64_t w, int64_t h);
} // namespace MapPicture

// The PNG palette of a map picture and, for each map colour, its index there: the map colours
// (TMapCellPictures::Colours) that the cells use, each distinct colour once, in the order of the
// map colours. Used[v] tells whether a cell of value v occurs (v = 0 to 255).
struct TMapPngPalette {
    std::vector<QRgb> Colours;
    std::array<uint8_t, MapColourCount> Index{};
};
namespace MapPicture {
TMapPngPalette MapPngPalette(const TMapColours& Colours, const std::array<bool, 256>& Used);

// Writes the picture of the map (Cells row by row, w x h) to Sink: each cell drawn as
// Pictures.Indices shows it, each band of 24 rows handed to the PNG writer as soon as it is
// drawn. The size is checked (CheckMapPictureSize) before anything is drawn or written; a cell
// array whose length is not w x h raises EFormatError.
// Progress counts the rows of cells drawn and may stop the drawing.
void WriteMapPng(TByteSink& Sink, const TMyByteArray& Cells, int32_t w, int32_t h,
                 const TMapCellPictures& Pictures, const TPngCompression& Compression,
                 const TProgress& Progress = {});
// The same into FileName, replaced atomically.
// A drawing stopped through Progress leaves FileName as it was.
void WriteMapPngFile(const QString& FileName, const TMyByteArray& Cells, int32_t w, int32_t h,
                     const TMapCellPictures& Pictures, const TPngCompression& Compression,
                     const TProgress& Progress = {});
} // namespace MapPicture

} // namespace velkora
