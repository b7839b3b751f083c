// SPDX-License-Identifier: MIT
#include "maps/CellBlock.h"

#include <QStringList>
#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace velkora {

TCellBlock::TCellBlock(int W, int H, uint8_t Value)
    : fWidth(std::max(W, 0)), fHeight(std::max(H, 0)),
      fValues(size_t(fWidth) * size_t(fHeight), Value) {}

TCellBlock::TCellBlock(int W, int H, TMyByteArray Values, TMyByteArray Mask)
    : fWidth(std::max(W, 0)), fHeight(std::max(H, 0)), fValues(std::move(Values)),
      fMask(std::move(Mask)) {
    const size_t n = size_t(fWidth) * size_t(fHeight);
    if (fValues.size() != n || (!fMask.empty() && fMask.size() != n))
        throw EFormatError(QStringLiteral("A block of %1 x %2 cells cannot hold %3 values")
                               .arg(fWidth)
                               .arg(fHeight)
                               .arg(fValues.size()));
    // A mask without holes is no mask.
    if (std::find(fMask.begin(), fMask.end(), uint8_t(0)) == fMask.end())
        fMask.clear();
}

int TCellBlock::At(int x, int y) const {
    if (x < 0 || y < 0 || x >= fWidth || y >= fHeight || !Holds(x, y))
        return -1;
    return Value(x, y);
}

TCellBlock TCellBlock::Flipped(bool Horizontal, bool Vertical) const {
    TCellBlock b = *this;
    const size_t w = size_t(fWidth);
    for (int y = 0; y < fHeight; ++y) {
        const size_t From = Index(0, Vertical ? fHeight - 1 - y : y);
        const size_t To = size_t(y) * w;
        std::copy_n(fValues.begin() + long(From), w, b.fValues.begin() + long(To));
        if (!fMask.empty())
            std::copy_n(fMask.begin() + long(From), w, b.fMask.begin() + long(To));
        if (Horizontal) {
            std::reverse(b.fValues.begin() + long(To), b.fValues.begin() + long(To + w));
            if (!fMask.empty())
                std::reverse(b.fMask.begin() + long(To), b.fMask.begin() + long(To + w));
        }
    }
    return b;
}

namespace CellBlocks {

TMyByteArray ResizeCells(const TMyByteArray& Cells, int W, int H, int NewW, int NewH, int DX,
                         int DY, uint8_t Fill) {
    if (NewW < 1 || NewH < 1 || NewW > MaxSide || NewH > MaxSide)
        throw EFormatError(
            QStringLiteral("A map of %1 x %2 cells: width and height must be 1 to %3")
                .arg(NewW)
                .arg(NewH)
                .arg(MaxSide));
    if (W < 0 || H < 0 || Cells.size() != size_t(W) * size_t(H))
        throw EFormatError(QStringLiteral("A map of %1 x %2 cells cannot hold %3 cells")
                               .arg(W)
                               .arg(H)
                               .arg(Cells.size()));
    TMyByteArray Out(size_t(NewW) * size_t(NewH), Fill);
    // The columns and rows of the old map that land inside the new one.
    const int64_t x0 = std::max<int64_t>(0, -int64_t(DX));
    const int64_t x1 = std::min<int64_t>(W, int64_t(NewW) - DX);
    const int64_t y0 = std::max<int64_t>(0, -int64_t(DY));
    const int64_t y1 = std::min<int64_t>(H, int64_t(NewH) - DY);
    if (x0 >= x1 || y0 >= y1)
        return Out;
    for (int64_t y = y0; y < y1; ++y)
        std::memcpy(Out.data() + size_t(y + DY) * size_t(NewW) + size_t(x0 + DX),
                    Cells.data() + size_t(y) * size_t(W) + size_t(x0), size_t(x1 - x0));
    return Out;
}

QString ToText(const TCellBlock& Block) {
    QString Text;
    Text.reserve(Block.Width() * Block.Height() * 3);
    for (int y = 0; y < Block.Height(); ++y) {
        for (int x = 0; x < Block.Width(); ++x) {
            if (x > 0)
                Text += QLatin1Char(' ');
            if (Block.Holds(x, y))
                Text += QString::number(Block.Value(x, y));
            else
                Text += QLatin1Char('-');
        }
        Text += QLatin1Char('\n');
    }
    return Text;
}

std::optional<TCellBlock> FromText(const QString& Text) {
    QStringList Lines = Text.split(QLatin1Char('\n'));
    while (!Lines.isEmpty() && Lines.back().trimmed().isEmpty())
        Lines.removeLast();
    if (Lines.isEmpty() || Lines.size() > MaxSide)
        return std::nullopt;
    int w = -1;
    TMyByteArray Values;
    TMyByteArray Mask;
    bool Holes = false;
    for (const QString& Line : Lines) {
        const QStringList Words = Line.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (w < 0) {
            w = int(Words.size());
            if (w < 1 || w > MaxSide)
                return std::nullopt;
            Values.reserve(size_t(w) * size_t(Lines.size()));
        }
        if (Words.size() != w)
            return std::nullopt;
        for (const QString& Word : Words) {
            if (Word == QLatin1String("-")) {
                Values.push_back(0);
                Mask.push_back(0);
                Holes = true;
                continue;
            }
            bool Ok = false;
            const uint v = Word.toUInt(&Ok, 10);
            if (!Ok || v > 255)
                return std::nullopt;
            Values.push_back(uint8_t(v));
            Mask.push_back(1);
        }
    }
    return TCellBlock(w, int(Lines.size()), std::move(Values), Holes ? Mask : TMyByteArray{});
}

namespace {
const char Tag[4] = {'V', 'K', 'C', 'B'};
constexpr int HeaderSize = 4 + 4 + 4 + 1;
} // namespace

QByteArray ToBytes(const TCellBlock& Block) {
    const size_t n = Block.Values().size();
    QByteArray Bytes(qsizetype(HeaderSize + n + Block.Mask().size()), Qt::Uninitialized);
    char* p = Bytes.data();
    std::memcpy(p, Tag, 4);
    qToLittleEndian<quint32>(quint32(Block.Width()), p + 4);
    qToLittleEndian<quint32>(quint32(Block.Height()), p + 8);
    p[12] = Block.HasHoles() ? 1 : 0;
    if (n)
        std::memcpy(p + HeaderSize, Block.Values().data(), n);
    if (Block.HasHoles())
        std::memcpy(p + HeaderSize + n, Block.Mask().data(), n);
    return Bytes;
}

std::optional<TCellBlock> FromBytes(const QByteArray& Bytes) {
    if (Bytes.size() < HeaderSize || std::memcmp(Bytes.constData(), Tag, 4) != 0)
        return std::nullopt;
    const char* p = Bytes.constData();
    const quint32 w = qFromLittleEndian<quint32>(p + 4);
    const quint32 h = qFromLittleEndian<quint32>(p + 8);
    const uint8_t HasMask = uint8_t(p[12]);
    if (w < 1 || h < 1 || w > MaxSide || h > MaxSide || HasMask > 1)
        return std::nullopt;
    const uint64_t n = uint64_t(w) * h;
    if (uint64_t(Bytes.size()) != HeaderSize + n * (HasMask ? 2 : 1))
        return std::nullopt;
    const auto* Data = reinterpret_cast<const uint8_t*>(p + HeaderSize);
    TMyByteArray Values(Data, Data + n);
    TMyByteArray Mask;
    if (HasMask)
        Mask.assign(Data + n, Data + 2 * n);
    return TCellBlock(int(w), int(h), std::move(Values), std::move(Mask));
}

} // namespace CellBlocks

} // namespace velkora
