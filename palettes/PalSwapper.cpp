#include "palettes/PalSwapper.h"

#include <limits>

namespace velkora {

TMyByteArray TPalletteSwapper::Read(const TMyArray& Bytes) {
    TMyByteArray Cells(Bytes.size() * 4);
    uint8_t* p = Cells.data();
    for (const uint16_t w : Bytes) {
        p[0] = uint8_t(w >> 12);
        p[1] = uint8_t((w >> 8) & 15);
        p[2] = uint8_t((w >> 4) & 15);
        p[3] = uint8_t(w & 15);
        p += 4;
    }
    return Cells;
}

void TPalletteSwapper::ClearArrayHelper() {
    for (TPointers& List : fSearthHelper)
        List.Clear();
}

void TPalletteSwapper::MakeArrayHelper() {
    // Counted first so that each list is allocated once.
    std::array<size_t, 16> Counts{};
    for (const uint8_t c : fBytes)
        ++Counts[c];
    for (size_t c = 0; c < 16; ++c)
        fSearthHelper[c].BtArray.reserve(Counts[c]);
    const uint32_t n = uint32_t(fBytes.size());
    for (uint32_t i = 0; i < n; ++i)
        fSearthHelper[fBytes[i]].Add(i);
}

void TPalletteSwapper::SetNewValue(int ItemIndex, int32_t NewValue) {
    const uint8_t v = uint8_t(NewValue & 15);
    uint8_t* Cells = fBytes.data();
    for (const uint32_t i : fSearthHelper[size_t(ItemIndex)].BtArray)
        Cells[i] = v;
}

void TPalletteSwapper::Init(const TMyArray& Bytes) {
    // Cell positions are 32-bit and fSize is a signed 32-bit count.
    if (Bytes.size() > size_t(std::numeric_limits<int32_t>::max()) / 4)
        throw Exception(QStringLiteral("A sprite of %1 words is too large to recolour")
                            .arg(qulonglong(Bytes.size())));
    fBytes = Read(Bytes);
    ClearArrayHelper();
    MakeArrayHelper();
    fSize = int32_t(Bytes.size());
    fDefColArray = IdentityPallette();
}

TMyArray TPalletteSwapper::GetCalculate(const TPalletteArray& Pal) {
    for (int c = 0; c < 16; ++c) {
        // Masked so that no value can reach the neighbouring pixel of a word.
        const int32_t v = Pal[size_t(c)] & 15;
        if (v != fDefColArray[size_t(c)]) {
            SetNewValue(c, v);
            fDefColArray[size_t(c)] = v;
        }
    }
    TMyArray Result(static_cast<size_t>(fSize));
    const uint8_t* p = fBytes.data();
    uint16_t* Out = Result.data();
    for (int32_t i = 0; i < fSize; ++i, p += 4)
        Out[i] = uint16_t((p[0] << 12) | (p[1] << 8) | (p[2] << 4) | p[3]);
    return Result;
}

} // namespace velkora
