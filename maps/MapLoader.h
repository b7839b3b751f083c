// SPDX-License-Identifier: MIT
#pragma once
// Map files: a big-endian header (pack type, width, height), the cells run-length encoded
// (a literal byte, or FE count value), the end marker FF and a pad byte FF to an even size.

#include "shell/MyTypes.h"
#include "shell/Progress.h"

#include <array>

namespace velkora {

// The most cells a map may have: all that the format describes, 65535 x 65535. Whether a map that
// large can be held depends on the machine: a map whose cells would not fit into its physical
// memory is refused before anything is allocated, and an allocation that fails is reported, both
// with the sizes in the message.
constexpr int64_t MaxMapCells = int64_t(65535) * 65535;
// The longest file the writer makes: the header, three bytes a cell (a lone cell of the escape
// value), the end marker and the pad byte. LoadMap reads files up to this size.
constexpr uint64_t MaxMapFileSize = 6 + 3 * uint64_t(MaxMapCells) + 2;

// What a map file declares and what it holds, found without decoding it.
struct TMapSummary {
    int32_t PackType = 0;
    int32_t Width = 0;
    int32_t Height = 0;
    // The cells the stream describes (literals and escape counts) before the end marker and the
    // pad byte, at most Width x Height.
    uint64_t Described = 0;
    uint64_t Declared() const { return uint64_t(Width) * uint64_t(Height); }
    // A map larger than SparseMapCells whose data describes less than half of its cells: the
    // format fills the rest with 0, so a file of a few bytes can stand for gigabytes of cells.
    bool Sparse() const;
    // "Huge.Map declares 65535 x 65535 cells (4.3 GB) but holds data for 0 of them."
    QString SparseText(const QString& Name) const;
};
// Maps of up to this many cells (4096 x 4096) are opened without a word, whatever they hold.
constexpr uint64_t SparseMapCells = 16777216;

namespace MapLoader {
// The header of a map file image and the cells its stream describes. Raises EFormatError
// (naming FileName) for a file shorter than its header.
TMapSummary SummarizeMap(const uint8_t* S, size_t Size, const QString& FileName);

// How many of the map's cells hold each value, as DecodeMap's cells would, counted from the
// stream without making the cells (a file of a few bytes may declare gigabytes of them).
std::array<uint64_t, 256> CountValues(const uint8_t* S, size_t Size, const QString& FileName);

// Adds 1 to i and yields the new value.
int32_t Incr(int32_t& i);

// Decodes a map file image. Pack type 2 stores the cells column by column (each column top to
// bottom, Height cells per column); every other pack type row by row. The result is always row
// by row. Raises EFormatError (naming FileName) for a file shorter than its header, or a header
// whose cells cannot be held. Cells the stream does not reach stay 0; an incomplete last escape
// is ignored.
// Progress counts the cells decoded; it may stop the decoding (ECancelled).
TMyByteArray DecodeMap(const uint8_t* S, size_t Size, int32_t& PackType, int32_t& w, int32_t& h,
                       const QString& FileName, const TProgress& Progress = {});
// Encodes cells (row by row) as a map file image of pack type 1. Runs of 1 to 3 cells are
// literals, longer runs escapes in pieces of at most 255; runs of the value FE are always
// escapes. Raises EFormatError for a size over 65535 on a side, a cell array whose length is not
// w x h, or an encoding the memory cannot hold. Progress counts the cells encoded.
TMyByteArray EncodeMap(const TMyByteArray& Bytes, int32_t w, int32_t h,
                       const TProgress& Progress = {});

// Reads FileName. On failure w and h are left unchanged.
TMyByteArray LoadMap(const QString& FileName, int32_t& w, int32_t& h);
// The same, also giving the pack type the file was written with, with the decoding's progress.
TMyByteArray LoadMap(const QString& FileName, int32_t& w, int32_t& h, int32_t& PackType,
                     const TProgress& Progress = {});
// Writes FileName atomically; a failed write leaves the old file whole and is raised, and so does
// a save stopped through Progress (which counts the cells encoded).
void SaveMap(const QString& FileName, const TMyByteArray& Bytes, int32_t w, int32_t h,
             const TProgress& Progress = {});
} // namespace MapLoader

} // namespace velkora
