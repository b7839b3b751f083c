// SPDX-License-Identifier: MIT
#include "maps/MapSelection.h"

#include "maps/MapDocument.h"

#include <cstring>

namespace velkora {

TMapSelection::TMapSelection(TMapDocument& Document, QObject* Parent)
    : QObject(Parent), fDocument(Document), fMapNumber(Document.MapNumber()) {
    // Another map (a load, a new map) selects nothing; an edit that replaced the map (a resize)
    // keeps the selected cells inside it.
    connect(&Document, &TMapDocument::MapReplaced, this, [this] {
        const bool Another = fDocument.MapNumber() != fMapNumber;
        fMapNumber = fDocument.MapNumber();
        Set(Another ? QRegion() : fCells);
    });
}

qint64 TMapSelection::CellCount() const {
    qint64 n = 0;
    for (const QRect& r : fCells)
        n += qint64(r.width()) * r.height();
    return n;
}

void TMapSelection::Set(const QRegion& Cells) {
    const QRegion Clipped = Cells & QRect(0, 0, fDocument.Width(), fDocument.Height());
    if (Clipped == fCells)
        return;
    fCells = Clipped;
    emit Changed();
}

void TMapSelection::SelectAll() {
    Set(QRect(0, 0, fDocument.Width(), fDocument.Height()));
}

TCellBlock TMapSelection::Copy() const {
    const QRect b = Bounds();
    if (b.isEmpty())
        return TCellBlock();
    const TMyByteArray& Map = fDocument.MapParams().DecomBytes;
    const size_t MapW = size_t(fDocument.Width());
    const size_t w = size_t(b.width());
    TMyByteArray Values(w * size_t(b.height()), 0);
    // One rectangle (the usual case) needs no mask.
    const bool Whole = fCells.rectCount() == 1;
    TMyByteArray Mask(Whole ? 0 : Values.size(), 0);
    for (const QRect& r : fCells)
        for (int y = r.top(); y <= r.bottom(); ++y) {
            const size_t To = size_t(y - b.top()) * w + size_t(r.left() - b.left());
            std::memcpy(Values.data() + To, Map.data() + size_t(y) * MapW + size_t(r.left()),
                        size_t(r.width()));
            if (!Whole)
                std::memset(Mask.data() + To, 1, size_t(r.width()));
        }
    return TCellBlock(b.width(), b.height(), std::move(Values), std::move(Mask));
}

void TMapSelection::Fill(uint8_t Item, const QString& Text) const {
    fDocument.FillRects(std::vector<QRect>(fCells.begin(), fCells.end()), Item, Text);
}

} // namespace velkora
