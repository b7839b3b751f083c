#include "maps/TmxFile.h"

#include "maps/MapLoader.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageWriter>
#include <QScopeGuard>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <vector>

namespace velkora {

namespace {

constexpr int32_t MaxMapSide = 65535;
constexpr int MaxCellValue = 255;

// ---- Writing --------------------------------------------------------------------------------

QString XmlSafe(const QString& Text) {
    QString Out = Text;
    for (int i = ParamsFile::FirstBadXmlChar(Out); i >= 0; i = ParamsFile::FirstBadXmlChar(Out))
        Out.replace(QChar(char16_t(i)), QChar(0xFFFD));
    return Out;
}

void CheckXmlName(const QString& Text, const QString& What) {
    const int c = ParamsFile::FirstBadXmlChar(Text);
    if (c >= 0)
        throw EFormatError(
            QStringLiteral("Cannot write the TMX map: %1 \"%2\" holds the character U+%3, which an "
                           "XML file cannot store")
                .arg(What, XmlSafe(Text))
                .arg(c, 4, 16, QLatin1Char('0')));
}

// The zlib stream of the cells' little-endian 32-bit gids (value + FirstGid), made a block of
// cells at a time, so that the gids never take four bytes a cell at once. Progress counts the
// cells done and may stop the work.
QByteArray CompressGids(const TMyByteArray& Cells, uint32_t FirstGid, const TProgress& Progress) {
    z_stream z{};
    if (deflateInit(&z, Z_DEFAULT_COMPRESSION) != Z_OK)
        throw std::bad_alloc();
    const auto End = qScopeGuard([&] { deflateEnd(&z); });
    constexpr size_t Block = size_t(1) << 20; // cells
    std::vector<uint8_t> Gids(4 * std::min(Block, std::max<size_t>(Cells.size(), 1)));
    QByteArray Out;
    uint8_t Piece[65536];
    const size_t n = Cells.size();
    size_t o = 0;
    do {
        const size_t k = std::min(Block, n - o);
        uint8_t* p = Gids.data();
        for (size_t i = o; i < o + k; ++i, p += 4) {
            const uint32_t Gid = uint32_t(Cells[i]) + FirstGid;
            p[0] = uint8_t(Gid);
            p[1] = uint8_t(Gid >> 8);
            p[2] = uint8_t(Gid >> 16);
            p[3] = uint8_t(Gid >> 24);
        }
        o += k;
        const int Flush = o == n ? Z_FINISH : Z_NO_FLUSH;
        z.next_in = Gids.data();
        z.avail_in = uInt(4 * k);
        int r = Z_OK;
        do {
            z.next_out = Piece;
            z.avail_out = sizeof Piece;
            r = deflate(&z, Flush);
            if (r == Z_STREAM_ERROR)
                throw EFormatError(
                    QStringLiteral("Cannot compress the layer data (zlib error %1)").arg(r));
            Out.append(reinterpret_cast<const char*>(Piece), qsizetype(sizeof Piece - z.avail_out));
        } while (z.avail_out == 0 || (Flush == Z_FINISH && r != Z_STREAM_END));
        Report(Progress, o, n);
    } while (o < n);
    return Out;
}

// ---- Reading --------------------------------------------------------------------------------

// What a pass over the document found.
struct TParsed {
    int32_t Width = 0;
    int32_t Height = 0;
    bool HaveTileset = false;
    uint32_t FirstGid = 0;
    bool HaveLayer = false;
    QString LayerWhere; // "<layer> "cells" (line 12)"
    int32_t LayerWidth = -1;
    int32_t LayerHeight = -1;
    bool HaveData = false;
    QString Encoding;
    QString Compression;
    QString Text; // the data's text, whitespace included
};

class TTmxReader {
public:
    TTmxReader(const QByteArray& Bytes, const QString& FileName)
        : fReader(Bytes), fFileName(FileName), fFileSize(uint64_t(Bytes.size())) {
        fReader.setNamespaceProcessing(false);
    }

    // Walks the whole document (so that a malformed file is refused whatever part of it is
    // bad) and decodes the first layer's data into cells.
    TMyByteArray Read(int32_t& w, int32_t& h);

private:
    [[noreturn]] void Fail(const QString& Message) const {
        throw EFormatError(QStringLiteral("TMX file \"%1\": %2").arg(fFileName, Message));
    }
    [[noreturn]] void ParseFail(const QString& Message) const {
        throw EFormatError(QStringLiteral("Cannot parse file \"%1\": %2 (line %3, column %4)")
                               .arg(fFileName, Message)
                               .arg(fReader.lineNumber())
                               .arg(fReader.columnNumber()));
    }
    // "<layer> "cells" (line 12)" for the element just started.
    QString Where() const {
        const QStringView Name = fReader.attributes().value(QLatin1String("name"));
        QString Text = QLatin1Char('<') + fReader.name().toString() + QLatin1Char('>');
        if (!Name.isEmpty())
            Text += QStringLiteral(" \"%1\"").arg(Name);
        return Text + QStringLiteral(" (line %1)").arg(fReader.lineNumber());
    }
    // A whole-number attribute of the element just started, from Min to Max; Default when
    // absent (a Default below Min makes the attribute required).
    int64_t Number(const QString& Attr, int64_t Min, int64_t Max, int64_t Default) const;

    void StartMap();
    void StartTileset();
    void StartLayer();
    void StartData();
    TMyByteArray Decode() const;
    TMyByteArray DecodeCsv() const;
    TMyByteArray DecodeBase64() const;
    // The cell value of the gid of cell Index, row by row; EFormatError naming the cell for a gid
    // that is no cell value.
    uint8_t CellOf(uint32_t Gid, size_t Index) const;
    QString CellName(size_t Index) const; // "cell (3, 7)"

    QXmlStreamReader fReader;
    QString fFileName;
    uint64_t fFileSize;
    TParsed fMap;
};

int64_t TTmxReader::Number(const QString& Attr, int64_t Min, int64_t Max, int64_t Default) const {
    const QXmlStreamAttributes Attrs = fReader.attributes();
    if (!Attrs.hasAttribute(Attr)) {
        if (Default < Min)
            Fail(QStringLiteral("attribute \"%1\" of %2 is missing").arg(Attr, Where()));
        return Default;
    }
    const QString Text = Attrs.value(Attr).toString();
    bool Ok = false;
    const qlonglong v = Text.trimmed().toLongLong(&Ok, 10);
    if (!Ok || v < Min || v > Max)
        Fail(QStringLiteral("attribute \"%1\" of %2 is \"%3\", not a whole number from %4 to %5")
                 .arg(Attr, Where(), Text)
                 .arg(Min)
                 .arg(Max));
    return v;
}

void TTmxReader::StartMap() {
    const QXmlStreamAttributes Attrs = fReader.attributes();
    const QString Orientation = Attrs.value(QLatin1String("orientation")).toString();
    if (!Orientation.isEmpty() && Orientation != QLatin1String("orthogonal"))
        Fail(
            QStringLiteral("the map is %1, but only orthogonal maps can be read").arg(Orientation));
    const QString Infinite = Attrs.value(QLatin1String("infinite")).toString().trimmed();
    if (!Infinite.isEmpty() && Infinite != QLatin1String("0"))
        Fail(QStringLiteral("the map is infinite (its layer data lies in chunks); only maps of "
                            "a fixed size can be read"));
    fMap.Width = int32_t(Number(QStringLiteral("width"), 0, MaxMapSide, -1));
    fMap.Height = int32_t(Number(QStringLiteral("height"), 0, MaxMapSide, -1));
}

void TTmxReader::StartTileset() {
    if (fMap.HaveTileset)
        Fail(QStringLiteral("%1 is a second tileset; a map's cells come from one tileset only")
                 .arg(Where()));
    fMap.HaveTileset = true;
    fMap.FirstGid = uint32_t(Number(QStringLiteral("firstgid"), 1, ~TmxGidFlags, 0));
}

void TTmxReader::StartLayer() {
    fMap.HaveLayer = true;
    fMap.LayerWhere = Where();
    fMap.LayerWidth = int32_t(Number(QStringLiteral("width"), 0, MaxMapSide, fMap.Width));
    fMap.LayerHeight = int32_t(Number(QStringLiteral("height"), 0, MaxMapSide, fMap.Height));
}

void TTmxReader::StartData() {
    fMap.HaveData = true;
    const QXmlStreamAttributes Attrs = fReader.attributes();
    fMap.Encoding = Attrs.value(QLatin1String("encoding")).toString();
    fMap.Compression = Attrs.value(QLatin1String("compression")).toString();
    if (fMap.Encoding.isEmpty())
        Fail(QStringLiteral("the layer data of %1 is stored as <tile> elements; save the map with "
                            "the layer format CSV or Base64")
                 .arg(fMap.LayerWhere));
    if (fMap.Encoding != QLatin1String("csv") && fMap.Encoding != QLatin1String("base64"))
        Fail(QStringLiteral("%1 has the encoding \"%2\"; it must be \"csv\" or \"base64\"")
                 .arg(Where(), fMap.Encoding));
    if (fMap.Compression.isEmpty())
        return;
    if (fMap.Encoding == QLatin1String("csv"))
        Fail(QStringLiteral("%1 is CSV with the compression \"%2\"; only base64 data can be "
                            "compressed")
                 .arg(Where(), fMap.Compression));
    if (fMap.Compression == QLatin1String("zstd"))
        Fail(QStringLiteral("%1 is compressed with zstd, which is not supported; save the map "
                            "with zlib or gzip compression, or none")
                 .arg(Where()));
    if (fMap.Compression != QLatin1String("zlib") && fMap.Compression != QLatin1String("gzip"))
        Fail(QStringLiteral("%1 has the compression \"%2\"; it must be \"zlib\" or \"gzip\"")
                 .arg(Where(), fMap.Compression));
}

TMyByteArray TTmxReader::Read(int32_t& w, int32_t& h) {
    // The names of the open elements; the layer and its data are remembered by depth.
    QStringList Open;
    int64_t Nodes = 0;
    int LayerDepth = -1;
    int DataDepth = -1;
    while (!fReader.atEnd()) {
        const QXmlStreamReader::TokenType t = fReader.readNext();
        if (t == QXmlStreamReader::StartElement)
            Nodes += 1 + fReader.attributes().size();
        else if (t == QXmlStreamReader::Comment ||
                 (t == QXmlStreamReader::Characters && !fReader.isWhitespace()))
            ++Nodes;
        if (Nodes > MaxTmxNodes)
            ParseFail(QStringLiteral("the file holds more than %1 nodes (elements, attributes, "
                                     "comments and texts)")
                          .arg(MaxTmxNodes));
        switch (t) {
        case QXmlStreamReader::DTD:
            // A document type is harmless as long as it declares nothing: nothing it names is
            // ever fetched. Declared entities would be expanded into the text, so they are
            // refused rather than trusted.
            if (!fReader.entityDeclarations().isEmpty() ||
                !fReader.notationDeclarations().isEmpty())
                ParseFail(QStringLiteral("the document type declares entities or notations, "
                                         "which a TMX file does not use"));
            break;
        case QXmlStreamReader::EntityReference:
            ParseFail(
                QStringLiteral("the entity reference &%1; cannot be resolved").arg(fReader.name()));
        case QXmlStreamReader::StartElement: {
            if (Open.size() >= MaxTmxDepth)
                ParseFail(QStringLiteral("elements are nested more than %1 deep").arg(MaxTmxDepth));
            const QString Name = fReader.name().toString();
            const int Depth = int(Open.size()); // of this element's parent
            if (Depth == 0) {
                if (Name != QLatin1String("map"))
                    Fail(QStringLiteral("the root element is %1, not <map>").arg(Where()));
                StartMap();
            } else if (DataDepth >= 0 && Depth == DataDepth + 1) {
                if (Name == QLatin1String("chunk"))
                    Fail(QStringLiteral("%1: the layer data lies in chunks, as in an infinite map; "
                                        "only maps of a fixed size can be read")
                             .arg(Where()));
                Fail(QStringLiteral("%1 inside the layer data; the data must be text only")
                         .arg(Where()));
            } else if (Depth == 1 && Name == QLatin1String("tileset")) {
                StartTileset();
            } else if (Name == QLatin1String("layer") && !fMap.HaveLayer &&
                       std::all_of(Open.begin() + 1, Open.end(),
                                   [](const QString& n) { return n == QLatin1String("group"); })) {
                // The first tile layer, at the top or inside groups.
                StartLayer();
                LayerDepth = Depth;
            } else if (LayerDepth >= 0 && Depth == LayerDepth + 1 &&
                       Name == QLatin1String("data") && !fMap.HaveData) {
                StartData();
                DataDepth = Depth;
            }
            Open.append(Name);
            break;
        }
        case QXmlStreamReader::EndElement:
            Open.removeLast();
            if (int(Open.size()) == DataDepth)
                DataDepth = -2; // read; a second <data> is not
            if (int(Open.size()) == LayerDepth)
                LayerDepth = -2;
            break;
        case QXmlStreamReader::Characters:
            if (DataDepth >= 0 && int(Open.size()) == DataDepth + 1)
                fMap.Text += fReader.text();
            break;
        default:
            break;
        }
    }
    if (fReader.hasError())
        ParseFail(fReader.errorString());

    if (!fMap.HaveTileset)
        Fail(QStringLiteral("the map has no <tileset>; its cells are the gids less the "
                            "firstgid of its one tileset"));
    if (!fMap.HaveLayer)
        Fail(QStringLiteral("the map has no tile layer (<layer>)"));
    if (!fMap.HaveData)
        Fail(QStringLiteral("%1 has no <data>").arg(fMap.LayerWhere));
    if (fMap.LayerWidth != fMap.Width || fMap.LayerHeight != fMap.Height)
        Fail(QStringLiteral("%1 is %2 x %3 cells, but the map is %4 x %5")
                 .arg(fMap.LayerWhere)
                 .arg(fMap.LayerWidth)
                 .arg(fMap.LayerHeight)
                 .arg(fMap.Width)
                 .arg(fMap.Height));
    TMyByteArray Cells = Decode();
    w = fMap.Width;
    h = fMap.Height;
    return Cells;
}

TMyByteArray TTmxReader::Decode() const {
    // Besides the file and its text, decoding holds the cells and, for base64, their gids.
    const bool Csv = fMap.Encoding == QLatin1String("csv");
    const uint64_t Cells = uint64_t(fMap.Width) * uint64_t(fMap.Height);
    const uint64_t Need = Cells + (Csv ? 0 : 4 * Cells + 1);
    const uint64_t Memory = MyTypes::PhysicalMemorySize();
    if (Memory != 0 && Need + fFileSize > Memory)
        Fail(QStringLiteral("the map has %1 x %2 cells: the %3 bytes to decode them and the file's "
                            "%4 do not fit into this machine's %5 bytes of memory")
                 .arg(fMap.Width)
                 .arg(fMap.Height)
                 .arg(qulonglong(Need))
                 .arg(qulonglong(fFileSize))
                 .arg(qulonglong(Memory)));
    try {
        return Csv ? DecodeCsv() : DecodeBase64();
    } catch (const std::bad_alloc&) {
        Fail(QStringLiteral("the map has %1 x %2 cells, but the %3 bytes to decode them cannot be "
                            "allocated")
                 .arg(fMap.Width)
                 .arg(fMap.Height)
                 .arg(qulonglong(Need)));
    }
}

QString TTmxReader::CellName(size_t Index) const {
    return QStringLiteral("cell (%1, %2)")
        .arg(qulonglong(Index % size_t(fMap.Width)))
        .arg(qulonglong(Index / size_t(fMap.Width)));
}

uint8_t TTmxReader::CellOf(uint32_t Gid, size_t Index) const {
    const uint32_t Tile = Gid - fMap.FirstGid;
    if (Tile <= uint32_t(MaxCellValue))
        return uint8_t(Tile); // the flag bits are set in no gid that passes
    if (Gid == 0)
        Fail(QStringLiteral("%1 is empty (gid 0); every cell of a map needs a tile")
                 .arg(CellName(Index)));
    if (Gid & TmxGidFlags)
        Fail(QStringLiteral("%1 is flipped or rotated (gid %2 has the flag bits 0x%3 set); map "
                            "cells cannot be")
                 .arg(CellName(Index))
                 .arg(Gid)
                 .arg(Gid & TmxGidFlags, 8, 16, QLatin1Char('0')));
    Fail(QStringLiteral("%1 holds gid %2, but a cell's tile must be 0 to %3 of the tileset "
                        "(gids %4 to %5, as its firstgid is %4)")
             .arg(CellName(Index))
             .arg(Gid)
             .arg(MaxCellValue)
             .arg(fMap.FirstGid)
             .arg(qulonglong(fMap.FirstGid) + MaxCellValue));
}

TMyByteArray TTmxReader::DecodeCsv() const {
    const size_t n = size_t(fMap.Width) * size_t(fMap.Height);
    TMyByteArray Cells(n);
    const QString& Text = fMap.Text;
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
                     .arg(fMap.LayerWhere)
                     .arg(fMap.Width)
                     .arg(fMap.Height));
        if (!Number)
            Fail(QStringLiteral("%1 of the CSV data is \"%2\", not a gid")
                     .arg(CellName(Count),
                          QStringView(Text).mid(Start, std::min<qsizetype>(i - Start, 40))));
        Cells[Count] = CellOf(uint32_t(Gid), Count);
        ++Count;
        SkipSpace();
        if (i == Size)
            break;
        if (Text.at(i) != QLatin1Char(','))
            Fail(QStringLiteral("the CSV data of %1 has \"%2\" after %3, not a comma")
                     .arg(fMap.LayerWhere, Text.at(i), CellName(Count - 1)));
        ++i;
        SkipSpace();
    }
    if (Count != n)
        Fail(QStringLiteral("the CSV data of %1 holds %2 cells, but the map has %3 x %4 = %5")
                 .arg(fMap.LayerWhere)
                 .arg(qulonglong(Count))
                 .arg(fMap.Width)
                 .arg(fMap.Height)
                 .arg(qulonglong(n)));
    return Cells;
}

TMyByteArray TTmxReader::DecodeBase64() const {
    const size_t n = size_t(fMap.Width) * size_t(fMap.Height);
    const size_t Expected = 4 * n;
    // Whitespace goes; anything outside ASCII becomes a byte that base64 refuses.
    QByteArray Packed(fMap.Text.size(), Qt::Uninitialized);
    char* Out = Packed.data();
    for (const QChar ch : fMap.Text) {
        const char16_t c = ch.unicode();
        *Out = c < 0x80 ? char(c) : '!';
        Out += !(c == ' ' || c == '\n' || c == '\r' || c == '\t' || (c > 0x7F && ch.isSpace()));
    }
    Packed.truncate(Out - Packed.data());
    const QByteArray::FromBase64Result Decoded =
        QByteArray::fromBase64Encoding(Packed, QByteArray::AbortOnBase64DecodingErrors);
    if (!Decoded)
        Fail(QStringLiteral("the data of %1 is not valid base64").arg(fMap.LayerWhere));

    QByteArray Raw;
    if (fMap.Compression.isEmpty()) {
        Raw = Decoded.decoded;
    } else {
        // The output is bounded by what the map needs (plus one byte, to tell a longer stream),
        // whatever the compressed data claims.
        const bool Gzip = fMap.Compression == QLatin1String("gzip");
        const QString Kind = Gzip ? QStringLiteral("gzip") : QStringLiteral("zlib");
        Raw = QByteArray(qsizetype(Expected + 1), Qt::Uninitialized);
        z_stream z{};
        if (inflateInit2(&z, Gzip ? 15 + 16 : 15) != Z_OK)
            throw std::bad_alloc();
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(Decoded.decoded.constData()));
        z.avail_in = uInt(Decoded.decoded.size());
        // zlib counts in 32 bits: the output is offered a gigabyte at a time.
        uint8_t* const Begin = reinterpret_cast<uint8_t*>(Raw.data());
        const size_t Capacity = size_t(Raw.size());
        size_t Got = 0;
        int r = Z_OK;
        while (r == Z_OK) {
            z.next_out = Begin + Got;
            z.avail_out = uInt(std::min<size_t>(Capacity - Got, size_t(1) << 30));
            r = inflate(&z, Z_NO_FLUSH);
            Got = size_t(z.next_out - Begin);
        }
        const QString Message = z.msg ? QString::fromLatin1(z.msg) : QString();
        inflateEnd(&z);
        if (r == Z_MEM_ERROR)
            throw std::bad_alloc();
        if (r == Z_BUF_ERROR && Got > Expected)
            Fail(QStringLiteral("the data of %1 decompresses to more than the %2 bytes that %3 x "
                                "%4 cells need (4 a cell)")
                     .arg(fMap.LayerWhere)
                     .arg(qulonglong(Expected))
                     .arg(fMap.Width)
                     .arg(fMap.Height));
        if (r == Z_BUF_ERROR)
            Fail(QStringLiteral("the %1 data of %2 ends before its stream is complete")
                     .arg(Kind, fMap.LayerWhere));
        if (r != Z_STREAM_END)
            Fail(QStringLiteral("the data of %1 is not valid %2 data (%3)")
                     .arg(fMap.LayerWhere, Kind,
                          Message.isEmpty() ? QStringLiteral("error %1").arg(r) : Message));
        Raw.truncate(qsizetype(Got));
    }
    if (size_t(Raw.size()) != Expected)
        Fail(QStringLiteral("the data of %1 holds %2 bytes, but %3 x %4 cells need %5 (4 a cell)")
                 .arg(fMap.LayerWhere)
                 .arg(Raw.size())
                 .arg(fMap.Width)
                 .arg(fMap.Height)
                 .arg(qulonglong(Expected)));
    TMyByteArray Cells(n);
    const uint8_t* p = reinterpret_cast<const uint8_t*>(Raw.constData());
    for (size_t k = 0; k < n; ++k, p += 4)
        Cells[k] = CellOf(
            uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24, k);
    return Cells;
}

} // namespace

QByteArray TmxFile::EncodeTmx(const TMyByteArray& Cells, int32_t w, int32_t h,
                              const TTmxTileset& Tileset,
                              const std::vector<TTmxProperty>& Properties,
                              const TProgress& Progress) {
    if (w < 0 || h < 0 || w > MaxMapSide || h > MaxMapSide)
        throw EFormatError(QStringLiteral("Cannot write a TMX map of %1 x %2 cells: a map holds "
                                          "at most %3 on a side")
                               .arg(w)
                               .arg(h)
                               .arg(MaxMapSide));
    if (Cells.size() != size_t(w) * size_t(h))
        throw EFormatError(QStringLiteral("Cannot write a TMX map of %1 x %2 cells from %3 cells")
                               .arg(w)
                               .arg(h)
                               .arg(qulonglong(Cells.size())));
    for (size_t i = 0; i < Cells.size(); ++i)
        if (Cells[i] >= Tileset.TileCount)
            throw EFormatError(QStringLiteral("Cannot write the TMX map: cell (%1, %2) holds %3, "
                                              "but the tileset has %4 tiles")
                                   .arg(qulonglong(i % size_t(w)))
                                   .arg(qulonglong(i / size_t(w)))
                                   .arg(Cells[i])
                                   .arg(Tileset.TileCount));
    if (Tileset.FirstGid < 1 || uint32_t(Tileset.FirstGid) + TmxTileCount > ~TmxGidFlags)
        throw EFormatError(QStringLiteral("Cannot write a TMX tileset with the firstgid %1")
                               .arg(Tileset.FirstGid));
    CheckXmlName(Tileset.Name, QStringLiteral("the tileset name"));
    CheckXmlName(Tileset.ImageSource, QStringLiteral("the tileset picture's name"));

    QByteArray Data;
    try {
        Data = CompressGids(Cells, uint32_t(Tileset.FirstGid), Progress).toBase64();
    } catch (const std::bad_alloc&) {
        throw EFormatError(QStringLiteral("Cannot write a TMX map of %1 x %2 cells: the memory for "
                                          "its layer data cannot be allocated")
                               .arg(w)
                               .arg(h));
    }

    QByteArray Out;
    QXmlStreamWriter x(&Out);
    x.setAutoFormatting(true);
    x.setAutoFormattingIndent(1);
    x.writeStartDocument();
    x.writeStartElement(QStringLiteral("map"));
    x.writeAttribute(QStringLiteral("version"), QStringLiteral("1.8"));
    x.writeAttribute(QStringLiteral("orientation"), QStringLiteral("orthogonal"));
    x.writeAttribute(QStringLiteral("renderorder"), QStringLiteral("right-down"));
    x.writeAttribute(QStringLiteral("width"), QString::number(w));
    x.writeAttribute(QStringLiteral("height"), QString::number(h));
    x.writeAttribute(QStringLiteral("tilewidth"), QString::number(Tileset.TileWidth));
    x.writeAttribute(QStringLiteral("tileheight"), QString::number(Tileset.TileHeight));
    x.writeAttribute(QStringLiteral("infinite"), QStringLiteral("0"));
    x.writeAttribute(QStringLiteral("nextlayerid"), QStringLiteral("2"));
    x.writeAttribute(QStringLiteral("nextobjectid"), QStringLiteral("1"));
    if (!Properties.empty()) {
        x.writeStartElement(QStringLiteral("properties"));
        for (const TTmxProperty& Prop : Properties) {
            x.writeEmptyElement(QStringLiteral("property"));
            x.writeAttribute(QStringLiteral("name"), XmlSafe(Prop.Name));
            if (!Prop.Type.isEmpty() && Prop.Type != QLatin1String("string"))
                x.writeAttribute(QStringLiteral("type"), XmlSafe(Prop.Type));
            x.writeAttribute(QStringLiteral("value"), XmlSafe(Prop.Value));
        }
        x.writeEndElement();
    }
    x.writeStartElement(QStringLiteral("tileset"));
    x.writeAttribute(QStringLiteral("firstgid"), QString::number(Tileset.FirstGid));
    x.writeAttribute(QStringLiteral("name"), Tileset.Name);
    x.writeAttribute(QStringLiteral("tilewidth"), QString::number(Tileset.TileWidth));
    x.writeAttribute(QStringLiteral("tileheight"), QString::number(Tileset.TileHeight));
    x.writeAttribute(QStringLiteral("tilecount"), QString::number(Tileset.TileCount));
    x.writeAttribute(QStringLiteral("columns"), QString::number(Tileset.Columns));
    x.writeEmptyElement(QStringLiteral("image"));
    x.writeAttribute(QStringLiteral("source"), Tileset.ImageSource);
    x.writeAttribute(QStringLiteral("width"), QString::number(Tileset.ImageWidth));
    x.writeAttribute(QStringLiteral("height"), QString::number(Tileset.ImageHeight));
    x.writeEndElement();
    x.writeStartElement(QStringLiteral("layer"));
    x.writeAttribute(QStringLiteral("id"), QStringLiteral("1"));
    x.writeAttribute(QStringLiteral("name"), QStringLiteral("cells"));
    x.writeAttribute(QStringLiteral("width"), QString::number(w));
    x.writeAttribute(QStringLiteral("height"), QString::number(h));
    x.writeStartElement(QStringLiteral("data"));
    x.writeAttribute(QStringLiteral("encoding"), QStringLiteral("base64"));
    x.writeAttribute(QStringLiteral("compression"), QStringLiteral("zlib"));
    x.writeCharacters(QStringLiteral("\n   ") + QString::fromLatin1(Data) + QStringLiteral("\n  "));
    x.writeEndElement();
    x.writeEndElement();
    x.writeEndElement();
    x.writeEndDocument();
    return Out;
}

TMyByteArray TmxFile::DecodeTmx(const uint8_t* S, size_t Size, int32_t& w, int32_t& h,
                                const QString& FileName) {
    if (Size > MaxTmxFileSize)
        throw EFormatError(QStringLiteral("TMX file \"%1\" has %2 bytes; at most %3 are read")
                               .arg(FileName)
                               .arg(qulonglong(Size))
                               .arg(qulonglong(MaxTmxFileSize)));
    const QByteArray Bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(S), qsizetype(Size));
    TTmxReader Reader(Bytes, FileName);
    int32_t Width = 0;
    int32_t Height = 0;
    TMyByteArray Cells;
    try {
        Cells = Reader.Read(Width, Height);
    } catch (const std::bad_alloc&) {
        throw EFormatError(QStringLiteral("TMX file \"%1\": the memory to read its %2 bytes "
                                          "cannot be allocated")
                               .arg(FileName)
                               .arg(qulonglong(Size)));
    }
    w = Width;
    h = Height;
    return Cells;
}

TMyByteArray TmxFile::LoadTmx(const QString& FileName, int32_t& w, int32_t& h) {
    const TMyByteArray Data = MyTypes::ReadFileBytes(FileName, MaxTmxFileSize);
    return DecodeTmx(Data.data(), Data.size(), w, h, MyTypes::ExpandFileName(FileName));
}

QImage TmxFile::TmxTilesetPicture(const TMapCellPictures& Pictures) {
    constexpr int Rows = TmxTileCount / TmxTilesetColumns;
    QImage Image(TmxTilesetColumns * MapCellSize, Rows * MapCellSize, QImage::Format_RGB32);
    if (Image.isNull())
        throw std::bad_alloc();
    for (int v = 0; v < TmxTileCount; ++v) {
        const QImage Tile = Pictures.Picture(v).convertToFormat(QImage::Format_RGB32);
        const int Left = v % TmxTilesetColumns * MapCellSize;
        const int Top = v / TmxTilesetColumns * MapCellSize;
        for (int y = 0; y < MapCellSize; ++y)
            std::memcpy(Image.scanLine(Top + y) + size_t(Left) * sizeof(QRgb),
                        Tile.constScanLine(y), MapCellSize * sizeof(QRgb));
    }
    return Image;
}

void TmxFile::ExportTmxFiles(const QString& FileName, const TMyByteArray& Cells, int32_t w,
                             int32_t h, const TMapCellPictures& Pictures,
                             const TTmxExportInfo& Info, const TProgress& Progress) {
    // The tileset picture lies beside the file the map goes into (the target of a link, which
    // the save writes through) and is named after it.
    const QFileInfo Given(MyTypes::ExpandFileName(FileName));
    const QString Real = Given.canonicalFilePath();
    const QFileInfo Out(Real.isEmpty() ? Given.absoluteFilePath() : Real);
    const QString PictureName = Out.completeBaseName() + QStringLiteral("-tiles.png");
    const QString PicturePath = Out.absolutePath() + QLatin1Char('/') + PictureName;
    if (Out.isDir())
        throw EFCreateError(Given.absoluteFilePath(), MyTypes::SystemErrorText(EISDIR));

    TTmxTileset Tileset;
    Tileset.Name = Info.Texture1Name + QStringLiteral(" : ") + Info.Texture2Name;
    Tileset.ImageSource = PictureName;
    const auto Number = [](int n) { return QString::number(n); };
    const QByteArray Text =
        EncodeTmx(Cells, w, h, Tileset,
                  {{QStringLiteral("tex1"), QStringLiteral("int"), Number(Info.Texture1)},
                   {QStringLiteral("tex1-name"), QStringLiteral("string"), Info.Texture1Name},
                   {QStringLiteral("tex2"), QStringLiteral("int"), Number(Info.Texture2)},
                   {QStringLiteral("tex2-name"), QStringLiteral("string"), Info.Texture2Name},
                   {QStringLiteral("pal1"), QStringLiteral("int"), Number(Info.Palette1)},
                   {QStringLiteral("pal2"), QStringLiteral("int"), Number(Info.Palette2)}},
                  Progress);
    QByteArray Png;
    QBuffer Buffer(&Png);
    Buffer.open(QIODevice::WriteOnly);
    QImageWriter Writer(&Buffer, "png");
    if (!Writer.write(TmxTilesetPicture(Pictures)))
        throw EInOutError(
            QStringLiteral("Cannot write file \"%1\". %2").arg(PicturePath, Writer.errorString()));
    // The last moment to stop: after it both files are written.
    Report(Progress, 1, 1);
    MyTypes::WriteFileAtomically(PicturePath, reinterpret_cast<const uint8_t*>(Png.constData()),
                                 size_t(Png.size()));
    MyTypes::WriteFileAtomically(FileName, reinterpret_cast<const uint8_t*>(Text.constData()),
                                 size_t(Text.size()));
}

} // namespace velkora
