// SPDX-License-Identifier: MIT
#include "maps/CellEdit.h"

#include <algorithm>
#include <cstring>

namespace velkora {

void TCellEdit::AddOld(uint8_t Value, uint32_t Count) {
    if (!fOld.empty() && fOld.back().Value == Value)
        fOld.back().Count += Count;
    else
        fOld.push_back({Value, Count});
}

void TCellEdit::Add(uint32_t Index, int Col, int Row, uint8_t Old) {
    AddRun(Index, Col, Row, 1, Old);
}

void TCellEdit::AddRun(uint32_t Index, int Col, int Row, uint32_t Count, uint8_t Old) {
    if (Count == 0)
        return;
    if (!fRuns.empty() && fRuns.back().First + fRuns.back().Count == Index)
        fRuns.back().Count += Count;
    else
        fRuns.push_back({Index, Count});
    AddOld(Old, Count);
    fBounds |= QRect(Col, Row, int(Count), 1);
}

void TCellEdit::Append(const TCellEdit& Later) {
    for (const TRun& r : Later.fRuns) {
        if (!fRuns.empty() && fRuns.back().First + fRuns.back().Count == r.First)
            fRuns.back().Count += r.Count;
        else
            fRuns.push_back(r);
    }
    for (const TOld& o : Later.fOld)
        AddOld(o.Value, o.Count);
    fBounds |= Later.fBounds;
}

void TCellEdit::Shrink() {
    fRuns.shrink_to_fit();
    fOld.shrink_to_fit();
}

size_t TCellEdit::CellCount() const {
    size_t n = 0;
    for (const TRun& r : fRuns)
        n += r.Count;
    return n;
}

size_t TCellEdit::MemoryUsed() const {
    return sizeof(*this) + fRuns.capacity() * sizeof(TRun) + fOld.capacity() * sizeof(TOld);
}

void TCellEdit::Apply(TMyByteArray& Cells) const {
    for (const TRun& r : fRuns)
        std::memset(Cells.data() + r.First, fNew, r.Count);
}

void TCellEdit::Revert(TMyByteArray& Cells) const {
    // Walk the runs and the old values backwards together.
    size_t o = fOld.size();
    uint32_t OldLeft = 0;
    uint8_t OldValue = 0;
    for (size_t k = fRuns.size(); k-- > 0;) {
        const TRun& r = fRuns[k];
        uint32_t End = r.First + r.Count; // cells [r.First, End) still to restore, from the end
        while (End > r.First) {
            if (OldLeft == 0) {
                --o;
                OldLeft = fOld[o].Count;
                OldValue = fOld[o].Value;
            }
            const uint32_t n = std::min(OldLeft, End - r.First);
            std::memset(Cells.data() + (End - n), OldValue, n);
            End -= n;
            OldLeft -= n;
        }
    }
}

} // namespace velkora
