// SPDX-License-Identifier: MIT
#pragma once
// A plain, bit-by-bit sprite codec written for clarity, not speed: the whole plane data is built,
// and every pixel's code is taken or pushed one bit at a time through big-endian plane words.
// The tests hold the fast codec to it byte for byte.

#include "shell/MyTypes.h"

#include <stdexcept>

namespace velkora::reference {

// A byte stream over a file image that reads zeros past its end.
class Stream {
public:
    Stream(const TMyByteArray& Data) : fData(Data) {}
    uint8_t Byte() {
        const uint8_t b = fPos < fData.size() ? fData[fPos] : 0;
        ++fPos;
        return b;
    }
    uint16_t Word() {
        const uint8_t Hi = Byte();
        return uint16_t(Hi << 8 | Byte());
    }
    size_t Pos() const { return fPos; }
    size_t Size() const { return fData.size(); }

private:
    const TMyByteArray& fData;
    size_t fPos = 0;
};

// The most significant bit of the big-endian word at v; the word is shifted left by one.
inline int GetBit(uint8_t* v) {
    uint16_t w = uint16_t(v[0] << 8 | v[1]);
    const int Bit = w >> 15;
    w = uint16_t(w << 1);
    v[0] = uint8_t(w >> 8);
    v[1] = uint8_t(w);
    return Bit;
}

// Shifts the big-endian word at v left by one and puts b into its lowest bit.
inline void SetBit(uint8_t* v, int b) {
    uint16_t w = uint16_t(v[0] << 8 | v[1]);
    w = uint16_t(w << 1 | (b & 1));
    v[0] = uint8_t(w >> 8);
    v[1] = uint8_t(w);
}

inline bool IsUncompressedLayout(const TMyByteArray& S) {
    const size_t L = S.size();
    if (L < 4 || S[0] != 0 || S[1] != 1)
        return false;
    for (size_t n = 0; 4 + 2 * n <= L; ++n) {
        const bool Even = n % 2 == 0;
        const size_t Len = Even ? 4 + 2 * n : 5 + 2 * n;
        if (Len != L)
            continue;
        if (!Even && S[L - 1] != 0)
            continue;
        return (size_t(S[2]) | size_t(S[3]) << 8) == (n / 16) % 65536;
    }
    return false;
}

inline TMyArray DeCompress(const TMyByteArray& File) {
    TMyArray Out;
    Stream S(File);
    const uint16_t Format = S.Word();
    const uint8_t Marker = S.Byte();
    if (Format == 2 && Marker == 0xFF) {
        const size_t BytesPerBit = S.Byte();
        uint8_t PalArray[16];
        for (auto& e : PalArray)
            e = S.Byte();
        const size_t MapBytesCnt = S.Word();
        const size_t L = BytesPerBit * MapBytesCnt * 8;
        TMyByteArray BA(L, 0);
        TMyByteArray Map(MapBytesCnt, 0);
        for (auto& m : Map)
            m = S.Byte();
        size_t Pos = 0;
        for (uint8_t m : Map)
            for (int Bit = 7; Bit >= 0; --Bit) {
                if (m >> Bit & 1)
                    for (size_t k = 0; k < BytesPerBit; ++k)
                        BA[Pos + k] = S.Byte();
                Pos += BytesPerBit;
            }
        // Whole tiles only.
        for (size_t p = 0; p + 32 <= L; p += 32)
            for (int i = 0; i < 4; ++i) {
                uint8_t* Slot0 = &BA[p + 2 * i];
                uint8_t* Slot1 = &BA[p + 8 + 2 * i];
                uint8_t* Slot2 = &BA[p + 16 + 2 * i];
                uint8_t* Slot3 = &BA[p + 24 + 2 * i];
                for (int w = 0; w < 4; ++w) {
                    unsigned Value[4];
                    for (auto& v : Value) {
                        const int b3 = GetBit(Slot3), b1 = GetBit(Slot1), b2 = GetBit(Slot2),
                                  b0 = GetBit(Slot0);
                        v = PalArray[8 * b3 + 4 * b1 + 2 * b2 + b0];
                    }
                    Out.push_back(
                        uint16_t(((Value[0] * 16 + Value[1]) * 16 + Value[2]) * 16 + Value[3]));
                }
            }
        return Out;
    }
    const size_t From = IsUncompressedLayout(File) ? 4 : 5;
    const size_t End =
        IsUncompressedLayout(File) ? From + 2 * ((File.size() - 4) / 2) : File.size();
    for (size_t i = From; i < End; i += 2)
        Out.push_back(uint16_t(File[i] << 8 | (i + 1 < File.size() ? File[i + 1] : 0)));
    return Out;
}

inline TMyByteArray Compress(const TMyArray& Words) {
    const size_t W = Words.size();
    if (W >= 262144)
        throw std::length_error("too many words");
    std::vector<uint8_t> Col(4 * W);
    int64_t Cnt[16] = {};
    for (size_t n = 0; n < W; ++n) {
        const uint8_t Lo = uint8_t(Words[n] & 0xFF), Hi = uint8_t(Words[n] >> 8);
        Col[4 * n] = Lo & 15;
        Col[4 * n + 1] = Lo >> 4;
        Col[4 * n + 2] = Hi & 15;
        Col[4 * n + 3] = Hi >> 4;
        for (int k = 0; k < 4; ++k)
            ++Cnt[Col[4 * n + k]];
    }
    uint8_t SortedCols[16], Alpha[16];
    for (int I = 0; I < 16; ++I) {
        int64_t Best = -1;
        int Chosen = 0;
        for (int v = 0; v < 16; ++v)
            if (Cnt[v] > Best) {
                Best = Cnt[v];
                Chosen = v;
            }
        SortedCols[I] = uint8_t(Chosen);
        Alpha[Chosen] = uint8_t(I);
        Cnt[Chosen] = -1;
    }
    TMyByteArray BA(2 * W, 0);
    for (size_t t = 0; t < W / 16; ++t) {
        const size_t p = 32 * t;
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j) {
                const size_t n = 16 * t + 4 * i + j;
                for (int k = 3; k >= 0; --k) {
                    const int c = Alpha[Col[4 * n + size_t(k)]];
                    SetBit(&BA[p + 2 * i], c & 1);
                    SetBit(&BA[p + 16 + 2 * i], c >> 1 & 1);
                    SetBit(&BA[p + 8 + 2 * i], c >> 2 & 1);
                    SetBit(&BA[p + 24 + 2 * i], c >> 3 & 1);
                }
            }
    }
    TMyByteArray Map, Data;
    uint8_t Acc = 0;
    int Bits = 0;
    for (uint8_t b : BA) {
        Acc = uint8_t(Acc << 1 | (b != 0));
        if (b != 0)
            Data.push_back(b);
        if (++Bits == 8) {
            Map.push_back(Acc);
            Acc = 0;
            Bits = 0;
        }
    }
    TMyByteArray Out;
    Out.reserve(23 + Map.size() + Data.size());
    for (uint8_t b : {0x00, 0x02, 0xFF, 0x01})
        Out.push_back(b);
    Out.insert(Out.end(), SortedCols, SortedCols + 16);
    Out.push_back(uint8_t(Map.size() >> 8));
    Out.push_back(uint8_t(Map.size()));
    Out.insert(Out.end(), Map.begin(), Map.end());
    Out.insert(Out.end(), Data.begin(), Data.end());
    if (Out.size() % 2)
        Out.push_back(0);
    return Out;
}

} // namespace velkora::reference
