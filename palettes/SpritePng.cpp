// SPDX-License-Identifier: MIT
#include "palettes/SpritePng.h"

#include "palettes/BmpMaker.h"
#include "palettes/PngFile.h"

#include <QList>

#include <algorithm>
#include <array>
#include <cstring>

namespace velkora {

const QByteArray SpriteLayoutKeyword = QByteArrayLiteral("velkora-layout");
const QByteArray SpriteCommentKeyword = QByteArrayLiteral("Comment");
const char* const SpriteSizeNames[5] = {"8x8", "16x16", "24x24", "48x48", "96x32"};

int SpritePng::SpriteSizeIndex(const QString& Name) {
    for (int i = 0; i < 5; ++i)
        if (Name.compare(QLatin1String(SpriteSizeNames[i]), Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

// ---- Layout ---------------------------------------------------------------------------------

int TSpriteLayout::GroupWidth() const {
    return 8 * SpriteSize[size_t(SizeIndex)].x();
}

int TSpriteLayout::GroupHeight() const {
    return 8 * SpriteSize[size_t(SizeIndex)].y();
}

int64_t TSpriteLayout::BlocksPerGroup() const {
    return int64_t(SpriteSize[size_t(SizeIndex)].x()) * SpriteSize[size_t(SizeIndex)].y();
}

int64_t TSpriteLayout::Groups() const {
    return (Blocks + BlocksPerGroup() - 1) / BlocksPerGroup();
}

int64_t TSpriteLayout::Width() const {
    return Columns * GroupWidth();
}

int64_t TSpriteLayout::Height() const {
    return std::max<int64_t>(1, (Groups() + Columns - 1) / Columns) * GroupHeight();
}

void TSpriteLayout::BlockOrigin(int64_t b, int64_t& x, int64_t& y) const {
    const int64_t X = SpriteSize[size_t(SizeIndex)].x();
    const int64_t Y = SpriteSize[size_t(SizeIndex)].y();
    const int64_t g = b / (X * Y);
    const int64_t k = b % (X * Y);
    const int64_t bI = IsCW ? k / X : k % Y; // tile row within the group
    const int64_t bJ = IsCW ? k % X : k / Y; // tile column
    x = (g % Columns) * GroupWidth() + 8 * bJ;
    y = (g / Columns) * GroupHeight() + 8 * bI;
}

int SpritePng::DefaultSpriteColumns(int SizeIndex) {
    return std::max(1, 128 / (8 * SpriteSize[size_t(SizeIndex)].x()));
}

QByteArray SpritePng::SpriteLayoutText(const TSpriteLayout& Layout) {
    return QByteArrayLiteral("blocks=") + QByteArray::number(qlonglong(Layout.Blocks)) +
           QByteArrayLiteral(" size=") + SpriteSizeNames[Layout.SizeIndex] +
           QByteArrayLiteral(" order=") + (Layout.IsCW ? "cw" : "ccw");
}

bool SpritePng::ParseSpriteLayoutText(const QByteArray& Text, TSpriteLayout& Layout) {
    const QList<QByteArray> Parts = Text.simplified().split(' ');
    if (Parts.size() != 3 || !Parts[0].startsWith("blocks=") || !Parts[1].startsWith("size=") ||
        !Parts[2].startsWith("order="))
        return false;
    bool Ok = false;
    const qlonglong Blocks = Parts[0].mid(7).toLongLong(&Ok);
    const int Size = SpriteSizeIndex(QString::fromLatin1(Parts[1].mid(5)));
    const QByteArray Order = Parts[2].mid(6).toLower();
    if (!Ok || Blocks < 1 || Size < 0 || (Order != "cw" && Order != "ccw"))
        return false;
    Layout.Blocks = Blocks;
    Layout.SizeIndex = Size;
    Layout.IsCW = Order == "cw";
    return true;
}

// ---- Placement ------------------------------------------------------------------------------

void SpritePng::PlaceSpriteBlocks(const TBlocksArray& BA, const TSpriteLayout& Layout,
                                  int64_t FirstRow, int64_t RowCount, uint8_t* Out) {
    const int64_t w = Layout.Width();
    std::memset(Out, 0, size_t(w * RowCount));
    if (RowCount <= 0)
        return;
    const int64_t Blocks = std::min<int64_t>(Layout.Blocks, int64_t(BA.size()));
    // Only the rows of groups that meet the requested rows hold blocks to draw.
    const int64_t PerRow = Layout.Columns * Layout.BlocksPerGroup();
    const int64_t FirstBlock = FirstRow / Layout.GroupHeight() * PerRow;
    const int64_t EndBlock =
        std::min(Blocks, ((FirstRow + RowCount - 1) / Layout.GroupHeight() + 1) * PerRow);
    for (int64_t b = FirstBlock; b < EndBlock; ++b) {
        int64_t x0 = 0;
        int64_t y0 = 0;
        Layout.BlockOrigin(b, x0, y0);
        const TBlock& Block = BA[size_t(b)];
        for (int64_t i = std::max<int64_t>(0, FirstRow - y0); i < 8 && y0 + i < FirstRow + RowCount;
             ++i) {
            uint8_t* Dest = Out + (y0 + i - FirstRow) * w + x0;
            for (size_t k = 0; k < 4; ++k) {
                Dest[2 * k] = uint8_t(Block[size_t(i)][k] >> 4);
                Dest[2 * k + 1] = uint8_t(Block[size_t(i)][k] & 15);
            }
        }
    }
}

TBlocksArray SpritePng::TakeSpriteBlocks(const uint8_t* Indices, const TSpriteLayout& Layout) {
    const int64_t w = Layout.Width();
    TBlocksArray BA(size_t(Layout.Blocks));
    for (int64_t b = 0; b < Layout.Blocks; ++b) {
        int64_t x0 = 0;
        int64_t y0 = 0;
        Layout.BlockOrigin(b, x0, y0);
        TBlock& Block = BA[size_t(b)];
        for (size_t i = 0; i < 8; ++i) {
            const uint8_t* Src = Indices + (y0 + int64_t(i)) * w + x0;
            for (size_t k = 0; k < 4; ++k)
                Block[i][k] = uint8_t(Src[2 * k] << 4 | (Src[2 * k + 1] & 15));
        }
    }
    return BA;
}

TMyArray SpritePng::WordsOfBlocks(const TBlocksArray& BA) {
    TMyArray Words;
    Words.reserve(BA.size() * 16);
    for (const TBlock& Block : BA)
        for (const auto& Row : Block) {
            Words.push_back(uint16_t(Row[0] << 8 | Row[1]));
            Words.push_back(uint16_t(Row[2] << 8 | Row[3]));
        }
    return Words;
}

// ---- Files ----------------------------------------------------------------------------------

void SpritePng::ExportSpritePng(const QString& FileName, const TBlocksArray& BA, int SizeIndex,
                                bool IsCW, int64_t Columns, const QVector<QRgb>& Colours) {
    if (BA.empty())
        throw EFormatError(
            QStringLiteral("The sprite has no whole tile, so there is nothing to export"));
    if (Colours.size() != 16)
        throw EFormatError(
            QStringLiteral("A sprite's palette has 16 colours, not %1").arg(Colours.size()));
    TSpriteLayout Layout;
    Layout.Blocks = int64_t(BA.size());
    Layout.SizeIndex = SizeIndex;
    Layout.IsCW = IsCW;
    Layout.Columns = Columns;
    if (Layout.Width() > int64_t(PngMaxSide) || Layout.Height() > int64_t(PngMaxSide))
        throw EFormatError(QStringLiteral("A picture of %1 x %2 pixels cannot be written: PNG "
                                          "allows at most %3 pixels on a side")
                               .arg(Layout.Width())
                               .arg(Layout.Height())
                               .arg(PngMaxSide));
    // Nothing is written that the import would refuse to read.
    if (uint64_t(Layout.Width()) * uint64_t(Layout.Height()) > PngMaxReadPixels)
        throw EFormatError(QStringLiteral("A picture of %1 x %2 pixels cannot be written: a "
                                          "picture is read back up to %3 pixels")
                               .arg(Layout.Width())
                               .arg(Layout.Height())
                               .arg(PngMaxReadPixels));

    TAtomicFileSink Sink(FileName);
    TIndexedPngWriter Writer(
        Sink, uint32_t(Layout.Width()), uint32_t(Layout.Height()),
        std::vector<QRgb>(Colours.begin(), Colours.end()),
        {{SpriteLayoutKeyword, SpriteLayoutText(Layout)},
         {SpriteCommentKeyword, SpriteLayoutKeyword + ' ' + SpriteLayoutText(Layout)}},
        {}, 4);
    // One row of groups at a time.
    const int64_t Band = Layout.GroupHeight();
    TMyByteArray Rows(size_t(Layout.Width() * Band));
    for (int64_t y = 0; y < Layout.Height(); y += Band) {
        PlaceSpriteBlocks(BA, Layout, y, Band, Rows.data());
        Writer.WriteRows(Rows.data(), size_t(Layout.Width()), uint32_t(Band));
    }
    Writer.Finish();
    Sink.Commit();
}

namespace {

QString ColourName(QRgb c) {
    QString s = QStringLiteral("#%1").arg(c & 0xFFFFFF, 6, 16, QLatin1Char('0'));
    if (qAlpha(c) != 255)
        s += QStringLiteral("%1").arg(qAlpha(c), 2, 16, QLatin1Char('0'));
    return s.toUpper();
}

// At most the first line of a file's text, and not much of that, for a message.
QString Quoted(const QByteArray& Text) {
    constexpr int Most = 60;
    QByteArray Line = Text.left(Text.indexOf('\n') < 0 ? Text.size() : Text.indexOf('\n'));
    const bool Cut = Line.size() > Most || Line.size() < Text.size();
    Line.truncate(Most);
    return QString::fromLatin1(Line) + (Cut ? QStringLiteral("...") : QString());
}

// A comment that holds a layout text, with or without the keyword before it.
bool ParseComment(QByteArray Text, TSpriteLayout& Layout) {
    Text = Text.trimmed();
    if (Text.startsWith(SpriteLayoutKeyword))
        Text = Text.mid(SpriteLayoutKeyword.size());
    return SpritePng::ParseSpriteLayoutText(Text, Layout);
}

} // namespace

TSpritePngPicture SpritePng::ReadSpritePng(const QString& FileName) {
    TSpritePngPicture Picture;
    Picture.Png = PngFile::ReadPngFile(FileName, true, {SpriteLayoutKeyword, SpriteCommentKeyword});
    const QByteArray Text = Picture.Png.Text(SpriteLayoutKeyword);
    TSpriteLayout Layout;
    if (!Text.isNull()) {
        if (!ParseSpriteLayoutText(Text, Layout))
            throw EFormatError(QStringLiteral("The %1 text \"%2\" of \"%3\" is not of the form "
                                              "blocks=B size=S order=cw|ccw")
                                   .arg(QString::fromLatin1(SpriteLayoutKeyword), Quoted(Text),
                                        MyTypes::ExpandFileName(FileName)));
        Picture.Layout = Layout;
    } else if (ParseComment(Picture.Png.Text(SpriteCommentKeyword), Layout)) {
        Picture.Layout = Layout;
    }
    return Picture;
}

TMyByteArray SpritePng::PictureIndices(const TPngPicture& Picture, bool KeepIndices,
                                       const QVector<QRgb>& Colours, int PaletteNumber,
                                       bool* ColoursMatched) {
    const int64_t w = Picture.Width;
    const int64_t h = Picture.Height;
    if (Picture.Pixels.size() != size_t(w * h) * (Picture.Indexed ? 1 : 4))
        throw EFormatError(QStringLiteral("The picture of %1 x %2 pixels holds %3 bytes")
                               .arg(w)
                               .arg(h)
                               .arg(Picture.Pixels.size()));
    const auto Refuse = [&](size_t i, QRgb c) {
        return EFormatError(QStringLiteral("Pixel (%1, %2) is %3, which palette %4 does not hold")
                                .arg(int64_t(i) % w)
                                .arg(int64_t(i) / w)
                                .arg(ColourName(c))
                                .arg(PaletteNumber));
    };
    // The index of palette N that holds colour c: the lowest, for a colour held twice; 0 for a
    // fully transparent pixel; -1 for none.
    const auto IndexOf = [&](QRgb c) {
        if (qAlpha(c) == 0)
            return 0;
        const int i = qAlpha(c) == 255 ? int(Colours.indexOf(c)) : -1;
        return i > 15 ? -1 : i;
    };

    // Every pixel of the picture as a colour index, checked in reading order.
    TMyByteArray Indices(size_t(w * h));
    bool Matched = false;
    if (Picture.Indexed) {
        // The indices stand when the picture's palette (its PLTE colours) is palette N wherever
        // its pixels use it (a palette of two equal colours keeps which of them each pixel has).
        std::array<bool, 256> Used{};
        for (uint8_t v : Picture.Pixels)
            Used[v] = true;
        bool ByIndex = true;
        for (size_t v = 0; v < 256 && !KeepIndices; ++v)
            if (Used[v] && (v >= Picture.Palette.size() || int(v) >= Colours.size() ||
                            (Picture.Palette[v] & 0xFFFFFF) != (Colours[int(v)] & 0xFFFFFF)))
                ByIndex = false;
        Matched = !ByIndex && !KeepIndices;
        // What each index of the picture becomes, or -1 (reported with its first pixel).
        std::array<int, 256> Map{};
        for (size_t v = 0; v < 256; ++v)
            Map[v] = Matched ? (v < Picture.Palette.size() ? IndexOf(Picture.Palette[v]) : -1)
                             : (v <= 15 ? int(v) : -1);
        for (size_t i = 0; i < Indices.size(); ++i) {
            const uint8_t v = Picture.Pixels[i];
            if (Map[v] >= 0) {
                Indices[i] = uint8_t(Map[v]);
                continue;
            }
            if (!Matched)
                throw EFormatError(QStringLiteral("Pixel (%1, %2) has colour index %3; a sprite "
                                                  "has 16 colours")
                                       .arg(int64_t(i) % w)
                                       .arg(int64_t(i) / w)
                                       .arg(v));
            if (v >= Picture.Palette.size())
                throw EFormatError(QStringLiteral("Pixel (%1, %2) has colour index %3, beyond the "
                                                  "%4 colours of the picture's palette")
                                       .arg(int64_t(i) % w)
                                       .arg(int64_t(i) / w)
                                       .arg(v)
                                       .arg(Picture.Palette.size()));
            throw Refuse(i, Picture.Palette[v]);
        }
    } else {
        QRgb Last = 0;
        int LastIndex = -1;
        for (size_t i = 0; i < Indices.size(); ++i) {
            const uint8_t* p = &Picture.Pixels[4 * i];
            const QRgb c = qRgba(p[0], p[1], p[2], p[3]);
            if (c != Last || LastIndex < 0) {
                LastIndex = IndexOf(c);
                Last = c;
            }
            if (LastIndex < 0)
                throw Refuse(i, c);
            Indices[i] = uint8_t(LastIndex);
        }
    }
    if (ColoursMatched)
        *ColoursMatched = Matched;
    return Indices;
}

TMyArray SpritePng::SpriteWordsOfPng(const TSpritePngPicture& Source,
                                     const TSpriteImportOptions& Options,
                                     const QVector<QRgb>& Colours, int PaletteNumber,
                                     TSpriteImportReport* Report) {
    const TPngPicture& Picture = Source.Png;
    TSpriteLayout Layout;
    bool HaveBlocks = false;
    if (Source.Layout) {
        Layout = *Source.Layout;
        HaveBlocks = true;
    }
    if (Options.SizeIndex)
        Layout.SizeIndex = *Options.SizeIndex;
    if (Options.IsCW)
        Layout.IsCW = *Options.IsCW;
    if (Options.Blocks) {
        Layout.Blocks = *Options.Blocks;
        HaveBlocks = true;
    }

    const int64_t w = Picture.Width;
    const int64_t h = Picture.Height;
    const int gw = Layout.GroupWidth();
    const int gh = Layout.GroupHeight();
    if (w % gw != 0 || h % gh != 0)
        throw EFormatError(QStringLiteral("The picture is %1 x %2 pixels; with %3 tile groups "
                                          "its width must be a multiple of %4 and its height a "
                                          "multiple of %5")
                               .arg(w)
                               .arg(h)
                               .arg(QLatin1String(SpriteSizeNames[Layout.SizeIndex]))
                               .arg(gw)
                               .arg(gh));
    Layout.Columns = w / gw;
    const int64_t Room = Layout.Columns * (h / gh) * Layout.BlocksPerGroup();
    if (!HaveBlocks)
        Layout.Blocks = Room;
    if (Layout.Blocks > Room)
        throw EFormatError(QStringLiteral("The picture of %1 x %2 pixels holds %3 blocks in %4 "
                                          "tile groups, fewer than the %5 blocks to import")
                               .arg(w)
                               .arg(h)
                               .arg(Room)
                               .arg(QLatin1String(SpriteSizeNames[Layout.SizeIndex]))
                               .arg(Layout.Blocks));

    bool Matched = false;
    const TMyByteArray Indices =
        PictureIndices(Picture, Options.KeepIndices, Colours, PaletteNumber, &Matched);
    if (Report) {
        Report->Layout = Layout;
        Report->ColoursMatched = Matched;
    }
    return WordsOfBlocks(TakeSpriteBlocks(Indices.data(), Layout));
}

TMyArray SpritePng::ImportSpritePng(const QString& FileName, const TSpriteImportOptions& Options,
                                    const QVector<QRgb>& Colours, int PaletteNumber,
                                    TSpriteImportReport* Report) {
    return SpriteWordsOfPng(ReadSpritePng(FileName), Options, Colours, PaletteNumber, Report);
}

} // namespace velkora
