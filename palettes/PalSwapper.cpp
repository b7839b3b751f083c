// SPDX-License-Identifier: MIT
#include "palettes/PalSwapper.h"

#include <array>
#include <limits>

namespace velkora {

namespace {

void CheckSize(size_t Words) {
    // fSize is a signed 32-bit count of words.
    if (Words > size_t(std::numeric_limits<int32_t>::max()))
        throw Exception(
            QStringLiteral("A sprite of %1 words is too large to recolour").arg(qulonglong(Words)));
}

} // namespace

void TPalletteSwapper::Init(const TMyArray& Bytes) {
    Init(TMyArray(Bytes));
}

void TPalletteSwapper::Init(TMyArray&& Bytes) {
    CheckSize(Bytes.size());
    InitShared(std::make_shared<const TMyArray>(std::move(Bytes)));
}

void TPalletteSwapper::InitShared(std::shared_ptr<const TMyArray> Bytes) {
    if (!Bytes)
        Bytes = std::make_shared<const TMyArray>();
    CheckSize(Bytes->size());
    fBytes = std::move(Bytes);
    fSize = int32_t(fBytes->size());
    fDefColArray = MyTypes::IdentityPallette();
}

const TMyArray& TPalletteSwapper::Bytes() const {
    static const TMyArray None;
    return fBytes ? *fBytes : None;
}

TMyArray TPalletteSwapper::GetCalculate(const TPalletteArray& Pal) {
    // Masked so that no value can reach the neighbouring pixel of a word.
    std::array<uint8_t, 16> Map{};
    bool Identity = true;
    for (int c = 0; c < 16; ++c) {
        Map[size_t(c)] = uint8_t(Pal[size_t(c)] & 15);
        fDefColArray[size_t(c)] = Map[size_t(c)];
        Identity = Identity && Map[size_t(c)] == c;
    }
    const TMyArray& Words = Bytes();
    if (Identity)
        return Words;
    std::array<uint8_t, 256> Pair{};
    for (int b = 0; b < 256; ++b)
        Pair[size_t(b)] = uint8_t((Map[size_t(b >> 4)] << 4) | Map[size_t(b & 15)]);
    TMyArray Result(Words.size());
    const uint16_t* In = Words.data();
    uint16_t* Out = Result.data();
    const size_t n = Words.size();
    for (size_t i = 0; i < n; ++i)
        Out[i] = uint16_t((Pair[In[i] >> 8] << 8) | Pair[In[i] & 0xFF]);
    return Result;
}

} // namespace velkora
