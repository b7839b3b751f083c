// SPDX-License-Identifier: MIT
#pragma once
// What one edit of the map's cells changed, compactly, so that it can be undone and done again.

#include "shell/MyTypes.h"

#include <QRect>

#include <vector>

namespace velkora {

// The cells one edit changes, in the order it changed them: runs of consecutive cell indices
// (row by row), the value each cell had before (run-length coded along the runs) and the one
// value they all get. A fill of a whole 4096 x 4096 map of one value takes a few kilobytes.
class TCellEdit {
public:
    explicit TCellEdit(uint8_t NewValue = 0) : fNew(NewValue) {}

    // Adds cell Index (column Col, row Row) that holds Old now; consecutive indices join a run.
    void Add(uint32_t Index, int Col, int Row, uint8_t Old);
    // Adds Count cells from Index on, all in row Row from column Col, all holding Old now.
    void AddRun(uint32_t Index, int Col, int Row, uint32_t Count, uint8_t Old);
    // Appends the cells of Later, an edit made after this one.
    void Append(const TCellEdit& Later);
    // Gives back the memory that adding reserved beyond what the edit holds.
    void Shrink();

    bool IsEmpty() const { return fRuns.empty(); }
    uint8_t NewValue() const { return fNew; }
    // The bounding rectangle of the cells, in cell coordinates.
    QRect Bounds() const { return fBounds; }
    size_t CellCount() const;
    size_t MemoryUsed() const;

    // Writes the new value into every cell; Revert writes the old values back, the latest first,
    // so that a cell changed twice gets its first old value.
    void Apply(TMyByteArray& Cells) const;
    void Revert(TMyByteArray& Cells) const;

private:
    struct TRun {
        uint32_t First;
        uint32_t Count;
    };
    struct TOld {
        uint8_t Value;
        uint32_t Count;
    };
    void AddOld(uint8_t Value, uint32_t Count);

    std::vector<TRun> fRuns;
    std::vector<TOld> fOld;
    uint8_t fNew;
    QRect fBounds;
};

} // namespace velkora
