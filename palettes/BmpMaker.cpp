// SPDX-License-Identifier: MIT
#include "palettes/BmpMaker.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace velkora {

const std::array<QPoint, 5> SpriteSize = {QPoint(1, 1), QPoint(2, 2), QPoint(3, 3), QPoint(6, 6),
                                          QPoint(12, 4)};

namespace {

// Larger pictures are refused rather than allocated; the editor's views are a few hundred pixels.
constexpr int MaxBitmapSide = 32767;
constexpr int64_t MaxBitmapPixels = int64_t(1) << 26;

} // namespace

void BmpMaker::Init(TXMLDocument& Doc, TPalletteList& Palettes) {
    Doc.Open();
    try {
        LoadPallette(Doc.DocumentElement(), Palettes);
    } catch (const EFormatError& e) {
        Doc.Close();
        throw EFormatError(QStringLiteral("Parameters file \"%1\": %2")
                               .arg(MyTypes::ExpandFileName(Doc.FileName), e.Message()));
    } catch (...) {
        Doc.Close();
        throw;
    }
    Doc.Close();
}

TPalletteList BmpMaker::ReadPalettes(TXMLDocument& Doc) {
    TPalletteList Palettes;
    Init(Doc, Palettes);
    return Palettes;
}

void BmpMaker::LoadPallette(const QDomElement& Root, TPalletteList& Palettes) {
    Palettes.clear();
    const QDomNode Container = ParamsFile::ContainerOf(Root, 0);
    for (QDomNode p = ParamsFile::FirstCountedChild(Container);
         !p.isNull() && p.nodeName().startsWith(QLatin1String("Pal"));
         p = ParamsFile::NextCountedSibling(p)) {
        Palettes.emplace_back();
        // Children beyond the sixteenth have no colour to go to and are not read.
        size_t c = 0;
        for (QDomNode Col = ParamsFile::FirstCountedChild(p); !Col.isNull() && c < 16;
             Col = ParamsFile::NextCountedSibling(Col), ++c) {
            TCol& Dest = Palettes.back().Col[c];
            Dest.R = uint8_t(ParamsFile::IntAttribute(Col, QStringLiteral("R")) & 0xFF);
            Dest.G = uint8_t(ParamsFile::IntAttribute(Col, QStringLiteral("G")) & 0xFF);
            Dest.B = uint8_t(ParamsFile::IntAttribute(Col, QStringLiteral("B")) & 0xFF);
        }
    }
}

QRgb BmpMaker::PaletteColor(const TPalletteList& Palettes, int p, int c) {
    c &= 15;
    if (p < 0 || size_t(p) >= Palettes.size())
        return qRgb(17 * c, 17 * c, 17 * c);
    const TCol& Col = Palettes[size_t(p)].Col[size_t(c)];
    return qRgb(Col.R, Col.G, Col.B);
}

QVector<QRgb> BmpMaker::ColorTable(const TPalletteList& Palettes, int PalI) {
    QVector<QRgb> Table(16);
    for (int c = 0; c < 16; ++c)
        Table[c] = PaletteColor(Palettes, PalI, c);
    return Table;
}

QVector<QRgb> BmpMaker::GreyRamp() {
    return ColorTable(TPalletteList(), 0);
}

bool BmpMaker::MakeBMPPixels(TMyByteArray& Pixels, const TBlocksArray& BA, QPoint BlockSize,
                             bool IsCW, int w, int h) {
    if (BA.empty())
        return false;
    if (w <= 0 || h <= 0) {
        Pixels.clear();
        return true;
    }
    if (w > MaxBitmapSide || h > MaxBitmapSide || int64_t(w) * h > MaxBitmapPixels)
        throw Exception(QStringLiteral("A bitmap of %1 x %2 pixels is too large (at most %3 "
                                       "pixels, %4 on a side)")
                            .arg(w)
                            .arg(h)
                            .arg(MaxBitmapPixels)
                            .arg(MaxBitmapSide));
    const int64_t X = BlockSize.x();
    const int64_t Y = BlockSize.y();
    if (X < 1 || Y < 1)
        throw Exception(
            QStringLiteral("A tile group of %1 x %2 tiles is not a size").arg(X).arg(Y));

    Pixels.assign(size_t(w) * size_t(h), 0);
    const int64_t PerGroup = X * Y;
    const int64_t Groups = int64_t(BA.size()) / PerGroup;
    // Placement works in bytes of a 4-bit row (two pixels each); a byte at column b holds the
    // pixels 2b (high nibble) and 2b + 1. Of each row only the pixels below w are kept, which is
    // what the first (w + 1) div 2 bytes show.
    int64_t Left = 0;
    int64_t Top = 0;
    const int64_t HalfW = w / 2;
    for (int64_t g = 0; g < Groups && Top < h; ++g) {
        for (int64_t bI = 0; bI < Y; ++bI) {
            const int64_t Row0 = Top + 8 * bI;
            if (Row0 >= h)
                break;
            for (int64_t bJ = 0; bJ < X; ++bJ) {
                const int64_t X0 = 2 * (Left + 4 * bJ);
                if (X0 >= w)
                    break;
                const int64_t Index = g * PerGroup + (IsCW ? bI * X + bJ : bJ * Y + bI);
                const TBlock& Block = BA[size_t(Index)];
                const int64_t Cols = std::min<int64_t>(8, w - X0);
                const int64_t Rows = std::min<int64_t>(8, h - Row0);
                for (int64_t i = 0; i < Rows; ++i) {
                    uint8_t* Dest = Pixels.data() + (Row0 + i) * w + X0;
                    const auto& Src = Block[size_t(i)];
                    for (int64_t k = 0; k < Cols; ++k) {
                        const uint8_t b = Src[size_t(k / 2)];
                        Dest[k] = (k & 1) ? uint8_t(b & 15) : uint8_t(b >> 4);
                    }
                }
            }
        }
        // A group that would end exactly at byte w div 2 starts a new band.
        if (Left + 8 * X < HalfW) {
            Left += 4 * X;
        } else {
            Top += 8 * Y;
            Left = 0;
        }
    }
    return true;
}

void BmpMaker::MakeBMPImage(QImage& B, const TBlocksArray& BA, QPoint BlockSize,
                            const QVector<QRgb>& Colors, bool IsCW, int w, int h) {
    TMyByteArray Pixels;
    if (!MakeBMPPixels(Pixels, BA, BlockSize, IsCW, w, h))
        return;
    if (w <= 0 || h <= 0) {
        B = QImage();
        return;
    }
    QImage Image(w, h, QImage::Format_Indexed8);
    if (Image.isNull())
        throw std::bad_alloc();
    Image.setColorTable(Colors);
    for (int y = 0; y < h; ++y)
        std::memcpy(Image.scanLine(y), Pixels.data() + size_t(y) * size_t(w), size_t(w));
    B = Image;
}

} // namespace velkora
