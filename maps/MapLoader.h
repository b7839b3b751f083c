#pragma once
// Map files: a big-endian header (pack type, width, height), the cells run-length encoded
// (a literal byte, or FE count value), the end marker FF and a pad byte FF to an even size.

#include "shell/MyTypes.h"

namespace velkora {

// The most cells a map may have; larger headers are refused before anything is allocated.
constexpr int64_t MaxMapCells = 16777216;

// Adds 1 to i and yields the new value.
int32_t Incr(int32_t& i);

// Decodes a map file image. Pack type 2 stores the cells column by column (each column top to
// bottom, Height cells per column); every other pack type row by row. The result is always row
// by row. Raises EFormatError (naming FileName) for a file shorter than its header or a header
// over MaxMapCells. Cells the stream does not reach stay 0; an incomplete last escape is ignored.
TMyByteArray DecodeMap(const uint8_t* S, size_t Size, int32_t& PackType, int32_t& w, int32_t& h,
                       const QString& FileName);
// Encodes cells (row by row) as a map file image of pack type 1. Runs of 1 to 3 cells are
// literals, longer runs escapes in pieces of at most 255; runs of the value FE are always
// escapes. Raises EFormatError for a size over MaxMapCells or over 65535 on a side, or a cell
// array whose length is not w x h.
TMyByteArray EncodeMap(const TMyByteArray& Bytes, int32_t w, int32_t h);

// Reads FileName. On failure w and h are left unchanged.
TMyByteArray LoadMap(const QString& FileName, int32_t& w, int32_t& h);
// The same, also giving the pack type the file was written with.
TMyByteArray LoadMap(const QString& FileName, int32_t& w, int32_t& h, int32_t& PackType);
// Writes FileName atomically; a failed write leaves the old file whole and is raised.
void SaveMap(const QString& FileName, const TMyByteArray& Bytes, int32_t w, int32_t h);

} // namespace velkora
