// SPDX-License-Identifier: MIT
#include "maps/TmxMap.h"

#include "maps/MapImageItems.h"

#include <QByteArray>

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <new>

namespace velkora {

namespace {

constexpr int MaxCellValue = 255;
// Deflate makes at most 258 bytes of 2 bits of its input (and a little framing), so no stream
// decompresses to more than this many times its length, plus a little.
constexpr uint64_t MaxInflateRatio = 1033;
constexpr uint64_t InflateSlack = 1024;

// "a", "b" and "c"
QString QuotedList(const QStringList& Names) {
    QStringList Quoted;
    for (const QString& Name : Names)
        Quoted << QLatin1Char('"') + Name + QLatin1Char('"');
    if (Quoted.size() < 2)
        return Quoted.join(QString());
    const QString Last = Quoted.takeLast();
    return Quoted.join(QStringLiteral(", ")) + QStringLiteral(" and ") + Last;
}

QString PlainList(const QStringList& Items) {
    if (Items.size() < 2)
        return Items.join(QString());
    QStringList Rest = Items;
    const QString Last = Rest.takeLast();
    return Rest.join(QStringLiteral(", ")) + QStringLiteral(" and ") + Last;
}

bool IsBase64Char(char16_t c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' ||
           c == '/';
}

bool IsBlank(char16_t c) {
    return c == ' ' || c == '\n' || c == '\r' || c == '\t';
}

class TResolver {
public:
    explicit TResolver(TTmxMapData& Map) : fMap(Map), n(size_t(Map.Width) * size_t(Map.Height)) {}

    TTmxImport Run();

private:
    [[noreturn]] void Fail(const QString& Message) const {
        throw EFormatError(fMap.Prefix + QStringLiteral(": ") + Message);
    }
    QString CellName(size_t Index) const {
        return QStringLiteral("cell (%1, %2)")
            .arg(qulonglong(Index % size_t(fMap.Width)))
            .arg(qulonglong(Index / size_t(fMap.Width)));
    }
    QString LayerList() const {
        QStringList Names;
        for (const TTmxLayer& L : fMap.Layers)
            Names << L.Where;
        return PlainList(Names);
    }
    // Refuses data that cannot be the map's cells, by its length alone.
    void Measure(const TTmxLayer& L) const;
    void Decode();
    // Calls Take(Index, Gid) for the cells of L in order, row by row.
    template <typename F> void ForEachGid(const TTmxLayer& L, F&& Take) const;
    template <typename F> void ForEachCsvGid(const TTmxLayer& L, F&& Take) const;
    template <typename F> void ForEachBase64Gid(const TTmxLayer& L, F&& Take) const;
    // The cell value of Gid, the tile of cell Index in L; EFormatError naming the cell for a gid
    // that is no cell value.
    uint8_t CellOf(uint32_t Gid, size_t Index, const TTmxLayer& L) const;

    TTmxMapData& fMap;
    const size_t n;
    uint32_t fFirstGid = 0;
    TMyByteArray fCells;
};

TTmxImport TResolver::Run() {
    if (fMap.Tilesets.empty())
        Fail(QStringLiteral("the map has no tileset; its cells are the gids less the firstgid of "
                            "its one tileset"));
    if (fMap.Tilesets.size() > 1)
        Fail(QStringLiteral("%1 is a second tileset; a map's cells come from one tileset only: "
                            "remove it in the map editor (Remove Tileset in the Tilesets view)")
                 .arg(fMap.Tilesets[1].Where));
    const TTmxTilesetInfo& Tileset = fMap.Tilesets.front();
    if (Tileset.HasGeometry)
        TmxMap::CheckTileset(Tileset, fMap.Prefix);
    fFirstGid = Tileset.FirstGid;

    if (fMap.Layers.empty()) {
        if (fMap.HiddenLayers.isEmpty())
            Fail(QStringLiteral("the map has no tile layer"));
        Fail(QStringLiteral("the map has no visible tile layer (hidden: %1); show the layers that "
                            "hold the cells in the map editor")
                 .arg(QuotedList(fMap.HiddenLayers)));
    }
    for (const TTmxLayer& L : fMap.Layers) {
        if (L.Width != fMap.Width || L.Height != fMap.Height)
            Fail(QStringLiteral("%1 is %2 x %3 cells, but the map is %4 x %5")
                     .arg(L.Where)
                     .arg(L.Width)
                     .arg(L.Height)
                     .arg(fMap.Width)
                     .arg(fMap.Height));
        Measure(L);
    }

    // Besides the file and its text, decoding holds the cells and, for several layers, a bit a
    // cell.
    const uint64_t Need = uint64_t(n) + (fMap.Layers.size() > 1 ? uint64_t(n) / 8 : 0);
    const uint64_t Memory = MyTypes::PhysicalMemorySize();
    if (Memory != 0 && Need + fMap.FileSize > Memory)
        Fail(QStringLiteral("the map has %1 x %2 cells: the %3 bytes to decode them and the file's "
                            "%4 do not fit into this machine's %5 bytes of memory")
                 .arg(fMap.Width)
                 .arg(fMap.Height)
                 .arg(qulonglong(Need))
                 .arg(qulonglong(fMap.FileSize))
                 .arg(qulonglong(Memory)));
    try {
        Decode();
    } catch (const std::bad_alloc&) {
        Fail(QStringLiteral("the map has %1 x %2 cells, but the %3 bytes to decode them cannot be "
                            "allocated")
                 .arg(fMap.Width)
                 .arg(fMap.Height)
                 .arg(qulonglong(Need)));
    }

    TTmxImport Out;
    Out.Width = fMap.Width;
    Out.Height = fMap.Height;
    Out.Cells = std::move(fCells);
    Out.Properties = fMap.Properties;
    Out.Tileset = Tileset;
    if (!fMap.OtherLayers.isEmpty())
        Out.Notes << fMap.Prefix + QStringLiteral(": %1 %2 not read; only tile layers hold cells")
                                       .arg(PlainList(fMap.OtherLayers),
                                            fMap.OtherLayers.size() == 1 ? QStringLiteral("is")
                                                                         : QStringLiteral("are"));
    if (!fMap.HiddenLayers.isEmpty())
        Out.Notes << fMap.Prefix + QStringLiteral(": the hidden tile %1 %2 %3 not read")
                                       .arg(fMap.HiddenLayers.size() == 1
                                                ? QStringLiteral("layer")
                                                : QStringLiteral("layers"),
                                            QuotedList(fMap.HiddenLayers),
                                            fMap.HiddenLayers.size() == 1 ? QStringLiteral("is")
                                                                          : QStringLiteral("are"));
    return Out;
}

void TResolver::Measure(const TTmxLayer& L) const {
    switch (L.Format) {
    case TTmxLayerFormat::Csv: {
        // Every cell takes a digit and all but the last a comma.
        if (n == 0 || uint64_t(L.Text.size()) + 1 >= 2 * uint64_t(n))
            return;
        qulonglong Fields = 0;
        bool Any = false;
        QChar Last;
        for (const QChar ch : L.Text) {
            if (ch.isSpace())
                continue;
            Any = true;
            Last = ch;
            Fields += ch == QLatin1Char(',');
        }
        if (Any && Last != QLatin1Char(','))
            ++Fields;
        Fail(QStringLiteral("the CSV data of %1 holds %2 cells, but the map has %3 x %4 = %5")
                 .arg(L.Where)
                 .arg(Fields)
                 .arg(fMap.Width)
                 .arg(fMap.Height)
                 .arg(qulonglong(n)));
    }
    case TTmxLayerFormat::Base64: {
        uint64_t Chars = 0;
        int Padding = 0;
        for (const QChar ch : L.Text) {
            const char16_t c = ch.unicode();
            if (IsBlank(c))
                continue;
            if (c == '=' && Padding < 2) {
                ++Padding;
            } else if (!IsBase64Char(c) || Padding > 0) {
                Fail(QStringLiteral("the data of %1 is not valid base64").arg(L.Where));
            }
            ++Chars;
        }
        const uint64_t Bytes = Chars % 4 == 0 ? Chars / 4 * 3 - uint64_t(Padding) : Chars * 3 / 4;
        const uint64_t Expected = 4 * uint64_t(n);
        if (L.Compression.isEmpty()) {
            if (Bytes != Expected)
                Fail(QStringLiteral("the data of %1 holds %2 bytes, but %3 x %4 cells need %5 (4 a "
                                    "cell)")
                         .arg(L.Where)
                         .arg(qulonglong(Bytes))
                         .arg(fMap.Width)
                         .arg(fMap.Height)
                         .arg(qulonglong(Expected)));
        } else if (Expected > MaxInflateRatio * Bytes + InflateSlack) {
            Fail(QStringLiteral("the %1 data of %2 holds %3 bytes, too few to decompress to the %4 "
                                "bytes that %5 x %6 cells need (4 a cell)")
                     .arg(L.Compression, L.Where)
                     .arg(qulonglong(Bytes))
                     .arg(qulonglong(Expected))
                     .arg(fMap.Width)
                     .arg(fMap.Height));
        }
        return;
    }
    case TTmxLayerFormat::Gids:
        if (L.Gids.size() != n)
            Fail(QStringLiteral("the data of %1 holds %2 cells, but the map has %3 x %4 = %5")
                     .arg(L.Where)
                     .arg(qulonglong(L.Gids.size()))
                     .arg(fMap.Width)
                     .arg(fMap.Height)
                     .arg(qulonglong(n)));
        return;
    }
}

void TResolver::Decode() {
    fCells.assign(n, 0);
    if (fMap.Layers.size() == 1) {
        const TTmxLayer& L = fMap.Layers.front();
        ForEachGid(L, [&](size_t i, uint32_t Gid) { fCells[i] = CellOf(Gid, i, L); });
        return;
    }
    // The topmost layer first: a cell takes the first tile found for it.
    std::vector<bool> Filled(n, false);
    size_t Missing = n;
    for (auto L = fMap.Layers.rbegin(); L != fMap.Layers.rend(); ++L) {
        ForEachGid(*L, [&](size_t i, uint32_t Gid) {
            if (Gid == 0 || Filled[i])
                return;
            fCells[i] = CellOf(Gid, i, *L);
            Filled[i] = true;
            --Missing;
        });
        L->Text = QString();
        L->Gids = std::vector<uint32_t>();
    }
    if (Missing == 0)
        return;
    const size_t Empty = size_t(std::find(Filled.begin(), Filled.end(), false) - Filled.begin());
    Fail(QStringLiteral("%1 is empty (gid 0) in every visible tile layer (%2); every cell of a map "
                        "needs a tile")
             .arg(CellName(Empty), LayerList()));
}

template <typename F> void TResolver::ForEachGid(const TTmxLayer& L, F&& Take) const {
    switch (L.Format) {
    case TTmxLayerFormat::Csv:
        ForEachCsvGid(L, Take);
        return;
    case TTmxLayerFormat::Base64:
        ForEachBase64Gid(L, Take);
        return;
    case TTmxLayerFormat::Gids:
        for (size_t i = 0; i < n; ++i)
            Take(i, L.Gids[i]);
        return;
    }
}

template <typename F> void TResolver::ForEachCsvGid(const TTmxLayer& L, F&& Take) const {
    const QString& Text = L.Text;
    const qsizetype Size = Text.size();
    size_t Count = 0;
    qsizetype i = 0;
    auto SkipSpace = [&] {
        while (i < Size && Text.at(i).isSpace())
            ++i;
    };
    SkipSpace();
    // Cells are separated by commas; a comma after the last one is allowed.
    while (i < Size) {
        const qsizetype Start = i;
        uint64_t Gid = 0;
        bool Number = true;
        for (; i < Size && Text.at(i) != QLatin1Char(',') && !Text.at(i).isSpace(); ++i) {
            const char16_t c = Text.at(i).unicode();
            Number = Number && c >= '0' && c <= '9' && Gid <= 0xFFFFFFFFu;
            Gid = Gid * 10 + (c - '0');
        }
        Number = Number && i > Start && Gid <= 0xFFFFFFFFu;
        if (Count >= n)
            Fail(QStringLiteral("the CSV data of %1 holds more than the %2 x %3 cells of the map")
                     .arg(L.Where)
                     .arg(fMap.Width)
                     .arg(fMap.Height));
        if (!Number)
            Fail(QStringLiteral("%1 of the CSV data is \"%3\", not a gid (in %2)")
                     .arg(CellName(Count), L.Where,
                          QStringView(Text).mid(Start, std::min<qsizetype>(i - Start, 40))));
        Take(Count, uint32_t(Gid));
        ++Count;
        SkipSpace();
        if (i == Size)
            break;
        if (Text.at(i) != QLatin1Char(','))
            Fail(QStringLiteral("the CSV data of %1 has \"%2\" after %3, not a comma")
                     .arg(L.Where, Text.at(i), CellName(Count - 1)));
        ++i;
        SkipSpace();
    }
    if (Count != n)
        Fail(QStringLiteral("the CSV data of %1 holds %2 cells, but the map has %3 x %4 = %5")
                 .arg(L.Where)
                 .arg(qulonglong(Count))
                 .arg(fMap.Width)
                 .arg(fMap.Height)
                 .arg(qulonglong(n)));
}

template <typename F> void TResolver::ForEachBase64Gid(const TTmxLayer& L, F&& Take) const {
    const size_t Expected = 4 * n;
    // Whitespace goes; anything outside ASCII becomes a byte that base64 refuses.
    QByteArray Packed(L.Text.size(), Qt::Uninitialized);
    char* Out = Packed.data();
    for (const QChar ch : L.Text) {
        const char16_t c = ch.unicode();
        *Out = c < 0x80 ? char(c) : '!';
        Out += !IsBlank(c);
    }
    Packed.truncate(Out - Packed.data());
    const QByteArray::FromBase64Result Decoded =
        QByteArray::fromBase64Encoding(Packed, QByteArray::AbortOnBase64DecodingErrors);
    if (!Decoded)
        Fail(QStringLiteral("the data of %1 is not valid base64").arg(L.Where));
    Packed = QByteArray();
    auto WrongLength = [&](qulonglong Bytes) {
        Fail(QStringLiteral("the data of %1 holds %2 bytes, but %3 x %4 cells need %5 (4 a cell)")
                 .arg(L.Where)
                 .arg(Bytes)
                 .arg(fMap.Width)
                 .arg(fMap.Height)
                 .arg(qulonglong(Expected)));
    };
    auto TakeGids = [&](const uint8_t* p, size_t Count, size_t First) {
        for (size_t k = 0; k < Count; ++k, p += 4)
            Take(First + k, uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 |
                                uint32_t(p[3]) << 24);
    };

    if (L.Compression.isEmpty()) {
        if (size_t(Decoded.decoded.size()) != Expected)
            WrongLength(qulonglong(Decoded.decoded.size()));
        TakeGids(reinterpret_cast<const uint8_t*>(Decoded.decoded.constData()), n, 0);
        return;
    }

    // Decompressed a piece at a time: the gids never take more than the piece.
    const bool Gzip = L.Compression == QLatin1String("gzip");
    const QString Kind = Gzip ? QStringLiteral("gzip") : QStringLiteral("zlib");
    z_stream z{};
    if (inflateInit2(&z, Gzip ? 15 + 16 : 15) != Z_OK)
        throw std::bad_alloc();
    struct TEnd {
        z_stream& z;
        ~TEnd() { inflateEnd(&z); }
    } End{z};
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(Decoded.decoded.constData()));
    z.avail_in = uInt(Decoded.decoded.size());
    std::vector<uint8_t> Piece(size_t(1) << 18);
    size_t Carry = 0; // bytes of a gid begun in the piece before
    size_t Got = 0;
    size_t Index = 0;
    for (;;) {
        z.next_out = Piece.data() + Carry;
        z.avail_out = uInt(Piece.size() - Carry);
        const int r = inflate(&z, Z_NO_FLUSH);
        const size_t Produced = size_t(z.next_out - (Piece.data() + Carry));
        Got += Produced;
        if (Got > Expected)
            Fail(QStringLiteral("the data of %1 decompresses to more than the %2 bytes that %3 x "
                                "%4 cells need (4 a cell)")
                     .arg(L.Where)
                     .arg(qulonglong(Expected))
                     .arg(fMap.Width)
                     .arg(fMap.Height));
        const size_t Have = Carry + Produced;
        TakeGids(Piece.data(), Have / 4, Index);
        Index += Have / 4;
        Carry = Have % 4;
        std::memmove(Piece.data(), Piece.data() + Have - Carry, Carry);
        if (r == Z_STREAM_END)
            break;
        if (r == Z_OK)
            continue;
        if (r == Z_MEM_ERROR)
            throw std::bad_alloc();
        if (r == Z_BUF_ERROR)
            Fail(QStringLiteral("the %1 data of %2 ends before its stream is complete")
                     .arg(Kind, L.Where));
        Fail(QStringLiteral("the data of %1 is not valid %2 data (%3)")
                 .arg(L.Where, Kind,
                      z.msg ? QString::fromLatin1(z.msg) : QStringLiteral("error %1").arg(r)));
    }
    if (Got != Expected)
        WrongLength(qulonglong(Got));
}

uint8_t TResolver::CellOf(uint32_t Gid, size_t Index, const TTmxLayer& L) const {
    const uint32_t Tile = Gid - fFirstGid;
    if (Tile <= uint32_t(MaxCellValue))
        return uint8_t(Tile); // the flag bits are set in no gid that passes
    if (Gid == 0)
        Fail(QStringLiteral("%1 is empty (gid 0) in %2, the only visible tile layer; every cell "
                            "of a map needs a tile")
                 .arg(CellName(Index), L.Where));
    if (Gid & TmxGidFlags)
        Fail(QStringLiteral("%1 is flipped or rotated (gid %2 has the flag bits 0x%3 set) in %4; "
                            "map cells cannot be: repaint the tile unflipped in the map editor")
                 .arg(CellName(Index))
                 .arg(Gid)
                 .arg(Gid & TmxGidFlags, 8, 16, QLatin1Char('0'))
                 .arg(L.Where));
    Fail(QStringLiteral("%1 holds gid %2, but a cell's tile must be 0 to %3 of the tileset "
                        "(gids %4 to %5, as its firstgid is %4), in %6")
             .arg(CellName(Index))
             .arg(Gid)
             .arg(MaxCellValue)
             .arg(fFirstGid)
             .arg(qulonglong(fFirstGid) + MaxCellValue)
             .arg(L.Where));
}

} // namespace

TTmxImport TmxMap::Resolve(TTmxMapData& Map) {
    return TResolver(Map).Run();
}

void TmxMap::CheckTileset(const TTmxTilesetInfo& Tileset, const QString& Prefix) {
    QStringList Differs;
    if (Tileset.TileWidth != MapCellSize || Tileset.TileHeight != MapCellSize)
        Differs << QStringLiteral("its tiles are %1 x %2 pixels, not %3 x %3")
                       .arg(Tileset.TileWidth)
                       .arg(Tileset.TileHeight)
                       .arg(MapCellSize);
    if (Tileset.Spacing != 0)
        Differs << QStringLiteral("it has a spacing of %1 pixels between its tiles")
                       .arg(Tileset.Spacing);
    if (Tileset.Margin != 0)
        Differs
            << QStringLiteral("it has a margin of %1 pixels around its tiles").arg(Tileset.Margin);
    if (!Tileset.HasImage)
        Differs << QStringLiteral("it has no one picture (it is a collection of images)");
    else if (Differs.isEmpty() && Tileset.Columns > 0 && Tileset.ImageWidth >= 0 &&
             Tileset.Columns != Tileset.ImageWidth / MapCellSize)
        Differs << QStringLiteral("it has %1 columns, but its picture \"%2\" is %3 pixels wide, "
                                  "which makes %4")
                       .arg(Tileset.Columns)
                       .arg(Tileset.ImageSource)
                       .arg(Tileset.ImageWidth)
                       .arg(Tileset.ImageWidth / MapCellSize);
    if (Differs.isEmpty())
        return;
    throw EFormatError(
        QStringLiteral("%1: %2 is not cut as map cells are: %3. In the map editor, cut it from one "
                       "picture into %4 x %4 tiles without spacing or margin")
            .arg(Prefix, Tileset.Where, Differs.join(QStringLiteral("; ")))
            .arg(MapCellSize));
}

bool TmxMap::IntProperty(const std::vector<TTmxProperty>& Properties, const QString& Name, int Min,
                         int Max, int& Value) {
    for (const TTmxProperty& p : Properties) {
        if (p.Name != Name)
            continue;
        bool Ok = false;
        const qlonglong v = p.Value.trimmed().toLongLong(&Ok, 10);
        if (!Ok || v < Min || v > Max)
            return false;
        Value = int(v);
        return true;
    }
    return false;
}

TTmxTextureChoice TmxMap::RecordedTextures(const std::vector<TTmxProperty>& Properties,
                                           const QStringList& SpriteNames, int PaletteCount) {
    TTmxTextureChoice Choice;
    for (int t = 0; t < 2; ++t) {
        const QString Key = QStringLiteral("tex%1").arg(t + 1);
        for (const TTmxProperty& p : Properties)
            if (p.Name == Key + QStringLiteral("-name"))
                for (int i = 0; i < SpriteNames.size() && Choice.Texture[t] < 0; ++i)
                    if (SpriteNames.at(i).compare(p.Value, Qt::CaseInsensitive) == 0)
                        Choice.Texture[t] = i;
        int v = 0;
        if (Choice.Texture[t] < 0 &&
            IntProperty(Properties, Key, 0, int(SpriteNames.size()) - 1, v))
            Choice.Texture[t] = v;
        if (IntProperty(Properties, QStringLiteral("pal%1").arg(t + 1), 0, PaletteCount - 1, v))
            Choice.Palette[t] = v;
    }
    return Choice;
}

} // namespace velkora
