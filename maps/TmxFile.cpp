// SPDX-License-Identifier: MIT
#include "maps/TmxFile.h"

#include "maps/TmjFile.h"
#include "shell/XmlGuard.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QScopeGuard>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <zlib.h>

#include <new>
#include <optional>
#include <vector>

namespace velkora {

namespace {

constexpr int32_t MaxMapSide = 65535;
// Tile sizes, spacings and picture sizes beyond this are read as what they are, never used.
constexpr int64_t MaxGeometry = int64_t(1) << 30;

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

// The attributes and the picture of a started <tileset>, and its end.
void WriteTilesetBody(QXmlStreamWriter& x, const TTmxTileset& Tileset) {
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
}

// ---- Reading --------------------------------------------------------------------------------

// What the XML readers share: the reader over the file's bytes, the limits, the messages.
class TXmlReaderBase {
protected:
    TXmlReaderBase(const QByteArray& Bytes, const QString& FileName, const QString& Prefix)
        : fReader(Bytes), fFileName(FileName), fPrefix(Prefix) {
        XmlGuard::CheckXmlBytes(Bytes, FileName);
        fReader.setNamespaceProcessing(false);
    }

    [[noreturn]] void Fail(const QString& Message) const {
        throw EFormatError(fPrefix + QStringLiteral(": ") + Message);
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
    QString Attribute(const char* Name) const {
        return fReader.attributes().value(QLatin1String(Name)).toString();
    }
    // A whole-number attribute of the element just started, from Min to Max; Default when
    // absent, and without a Default a required one.
    int64_t Number(const char* Attr, int64_t Min, int64_t Max,
                   std::optional<int64_t> Default) const {
        const QXmlStreamAttributes Attrs = fReader.attributes();
        const QLatin1String Name(Attr);
        if (!Attrs.hasAttribute(Name)) {
            if (!Default)
                Fail(QStringLiteral("attribute \"%1\" of %2 is missing").arg(Name, Where()));
            return *Default;
        }
        const QString Text = Attrs.value(Name).toString();
        bool Ok = false;
        const qlonglong v = Text.trimmed().toLongLong(&Ok, 10);
        if (!Ok || v < Min || v > Max)
            Fail(QStringLiteral("attribute \"%1\" of %2 is \"%3\", not a whole number from %4 to "
                                "%5")
                     .arg(Name, Where(), Text)
                     .arg(Min)
                     .arg(Max));
        return v;
    }
    // Reads the next token, refusing what no map or tileset file holds: more nodes or deeper
    // nesting than the limits, declared entities, entity references.
    QXmlStreamReader::TokenType Next(int OpenElements) {
        const QXmlStreamReader::TokenType t = fReader.readNext();
        if (t == QXmlStreamReader::StartElement)
            fNodes += 1 + fReader.attributes().size();
        else if (t == QXmlStreamReader::Comment ||
                 (t == QXmlStreamReader::Characters && !fReader.isWhitespace()))
            ++fNodes;
        if (fNodes > MaxTmxNodes)
            ParseFail(QStringLiteral("the file holds more than %1 nodes (elements, attributes, "
                                     "comments and texts)")
                          .arg(MaxTmxNodes));
        if (t == QXmlStreamReader::DTD &&
            (!fReader.entityDeclarations().isEmpty() || !fReader.notationDeclarations().isEmpty()))
            // A document type is harmless as long as it declares nothing: nothing it names is
            // ever fetched.
            ParseFail(QStringLiteral("the document type declares entities or notations, which a "
                                     "map file does not use"));
        if (t == QXmlStreamReader::EntityReference)
            ParseFail(
                QStringLiteral("the entity reference &%1; cannot be resolved").arg(fReader.name()));
        if (t == QXmlStreamReader::StartElement && OpenElements >= MaxTmxDepth)
            ParseFail(QStringLiteral("elements are nested more than %1 deep").arg(MaxTmxDepth));
        return t;
    }
    void CheckEnd() const {
        if (fReader.hasError())
            ParseFail(fReader.errorString());
    }

    // The geometry attributes of a started <tileset>, and its picture from an <image>.
    void TilesetAttributes(TTmxTilesetInfo& t) const {
        t.HasGeometry = true;
        t.Name = Attribute("name");
        t.TileWidth = Number("tilewidth", 0, MaxGeometry, 0);
        t.TileHeight = Number("tileheight", 0, MaxGeometry, 0);
        t.Spacing = Number("spacing", 0, MaxGeometry, 0);
        t.Margin = Number("margin", 0, MaxGeometry, 0);
        t.Columns = Number("columns", 0, MaxGeometry, 0);
        t.TileCount = Number("tilecount", 0, MaxGeometry, 0);
    }
    void ImageAttributes(TTmxTilesetInfo& t) const {
        t.HasImage = true;
        t.ImageSource = Attribute("source");
        t.ImageWidth = Number("width", 0, MaxGeometry, -1);
        t.ImageHeight = Number("height", 0, MaxGeometry, -1);
    }

    QXmlStreamReader fReader;
    QString fFileName;
    QString fPrefix;
    int64_t fNodes = 0;
};

// A TMX map.
class TTmxReader : public TXmlReaderBase {
public:
    TTmxReader(const QByteArray& Bytes, const QString& FileName)
        : TXmlReaderBase(Bytes, FileName, QStringLiteral("TMX file \"%1\"").arg(FileName)) {
        fMap.Prefix = fPrefix;
    }

    // Walks the whole document, so that a malformed file is refused whatever part of it is bad.
    TTmxMapData Read();

private:
    // One open element: its name, whether it is shown (a hidden group hides what it holds), and
    // whether its children are layers (those of the map and of its groups).
    struct TOpen {
        QString Name;
        bool Visible;
        bool HoldsLayers;
    };

    void StartMap();
    void StartData();
    void Start(const QString& Name, int Depth, TOpen& Element);

    TTmxMapData fMap;
    std::vector<TOpen> fOpen;
    int fTilesetDepth = -1;
    int fPropertiesDepth = -1;
    bool fHadProperties = false;
    int fLayerDepth = -1; // of the visible layer being read
    int fDataDepth = -1;  // of its data
};

void TTmxReader::StartMap() {
    const QString Orientation = Attribute("orientation");
    if (!Orientation.isEmpty() && Orientation != QLatin1String("orthogonal"))
        Fail(
            QStringLiteral("the map is %1, but only orthogonal maps can be read").arg(Orientation));
    const QString Infinite = Attribute("infinite").trimmed();
    if (!Infinite.isEmpty() && Infinite != QLatin1String("0"))
        Fail(QStringLiteral("the map is infinite (its layer data lies in chunks); only maps of "
                            "a fixed size can be read: untick Infinite in the map's properties in "
                            "the map editor"));
    fMap.Width = int32_t(Number("width", 0, MaxMapSide, std::nullopt));
    fMap.Height = int32_t(Number("height", 0, MaxMapSide, std::nullopt));
}

void TTmxReader::StartData() {
    TTmxLayer& L = fMap.Layers.back();
    L.HaveData = true;
    const QString Encoding = Attribute("encoding");
    L.Compression = Attribute("compression");
    if (Encoding.isEmpty())
        Fail(QStringLiteral("the layer data of %1 is stored as <tile> elements; save the map with "
                            "the layer format CSV or Base64")
                 .arg(L.Where));
    if (Encoding != QLatin1String("csv") && Encoding != QLatin1String("base64"))
        Fail(QStringLiteral("%1 has the encoding \"%2\"; it must be \"csv\" or \"base64\"")
                 .arg(Where(), Encoding));
    L.Format = Encoding == QLatin1String("csv") ? TTmxLayerFormat::Csv : TTmxLayerFormat::Base64;
    if (L.Compression.isEmpty())
        return;
    if (L.Format == TTmxLayerFormat::Csv)
        Fail(QStringLiteral("%1 is CSV with the compression \"%2\"; only base64 data can be "
                            "compressed")
                 .arg(Where(), L.Compression));
    if (L.Compression == QLatin1String("zstd"))
        Fail(QStringLiteral("%1 is compressed with zstd, which is not supported; save the map "
                            "with zlib or gzip compression, or none")
                 .arg(Where()));
    if (L.Compression != QLatin1String("zlib") && L.Compression != QLatin1String("gzip"))
        Fail(QStringLiteral("%1 has the compression \"%2\"; it must be \"zlib\" or \"gzip\"")
                 .arg(Where(), L.Compression));
}

void TTmxReader::Start(const QString& Name, int Depth, TOpen& Element) {
    const TOpen* Parent = Depth > 0 ? &fOpen.back() : nullptr;
    if (Depth == 0) {
        if (Name != QLatin1String("map"))
            Fail(QStringLiteral("the root element is %1, not <map>").arg(Where()));
        StartMap();
        Element.HoldsLayers = true;
    } else if (fDataDepth >= 0 && Depth == fDataDepth + 1) {
        if (Name == QLatin1String("chunk"))
            Fail(QStringLiteral("%1: the layer data lies in chunks, as in an infinite map; only "
                                "maps of a fixed size can be read: untick Infinite in the map's "
                                "properties in the map editor")
                     .arg(Where()));
        Fail(QStringLiteral("%1 inside the layer data; the data must be text only").arg(Where()));
    } else if (Depth == 1 && Name == QLatin1String("tileset")) {
        TTmxTilesetInfo t;
        t.Where = Where();
        t.FirstGid = uint32_t(Number("firstgid", 1, ~TmxGidFlags, std::nullopt));
        t.Source = Attribute("source");
        if (t.Source.isEmpty())
            TilesetAttributes(t);
        fMap.Tilesets.push_back(t);
        fTilesetDepth = Depth;
    } else if (fTilesetDepth >= 0 && Depth == fTilesetDepth + 1 && Name == QLatin1String("image") &&
               fMap.Tilesets.back().Source.isEmpty() && !fMap.Tilesets.back().HasImage) {
        ImageAttributes(fMap.Tilesets.back());
    } else if (Depth == 1 && Name == QLatin1String("properties") && !fHadProperties) {
        fHadProperties = true;
        fPropertiesDepth = Depth;
    } else if (fPropertiesDepth >= 0 && Depth == fPropertiesDepth + 1 &&
               Name == QLatin1String("property")) {
        fMap.Properties.push_back({Attribute("name"), Attribute("type"), Attribute("value")});
    } else if (Parent->HoldsLayers) {
        const bool Shown = Parent->Visible && Attribute("visible").trimmed() != QLatin1String("0");
        const QString LayerName = Attribute("name");
        if (Name == QLatin1String("group")) {
            Element.Visible = Shown;
            Element.HoldsLayers = true;
        } else if (Name == QLatin1String("layer")) {
            if (!Shown) {
                fMap.HiddenLayers << LayerName;
                return;
            }
            TTmxLayer L;
            L.Where = Where();
            L.Width = Number("width", 0, MaxMapSide, fMap.Width);
            L.Height = Number("height", 0, MaxMapSide, fMap.Height);
            fMap.Layers.push_back(std::move(L));
            fLayerDepth = Depth;
        } else if (Name == QLatin1String("objectgroup")) {
            fMap.OtherLayers << QStringLiteral("the object layer \"%1\"").arg(LayerName);
        } else if (Name == QLatin1String("imagelayer")) {
            fMap.OtherLayers << QStringLiteral("the image layer \"%1\"").arg(LayerName);
        }
    } else if (fLayerDepth >= 0 && Depth == fLayerDepth + 1 && Name == QLatin1String("data") &&
               !fMap.Layers.back().HaveData) {
        StartData();
        fDataDepth = Depth;
    }
}

TTmxMapData TTmxReader::Read() {
    while (!fReader.atEnd()) {
        switch (Next(int(fOpen.size()))) {
        case QXmlStreamReader::StartElement: {
            const int Depth = int(fOpen.size()); // of this element's parent
            TOpen Element{fReader.name().toString(), Depth == 0 || fOpen.back().Visible, false};
            Start(Element.Name, Depth, Element);
            fOpen.push_back(std::move(Element));
            break;
        }
        case QXmlStreamReader::EndElement: {
            fOpen.pop_back();
            const int Depth = int(fOpen.size());
            if (Depth == fDataDepth)
                fDataDepth = -1; // read; a second <data> is not
            if (Depth == fLayerDepth) {
                if (!fMap.Layers.back().HaveData)
                    Fail(QStringLiteral("%1 has no <data>").arg(fMap.Layers.back().Where));
                fLayerDepth = -1;
            }
            if (Depth == fTilesetDepth)
                fTilesetDepth = -1;
            if (Depth == fPropertiesDepth)
                fPropertiesDepth = -1;
            break;
        }
        case QXmlStreamReader::Characters:
            if (fDataDepth >= 0 && int(fOpen.size()) == fDataDepth + 1)
                fMap.Layers.back().Text += fReader.text();
            break;
        default:
            break;
        }
    }
    CheckEnd();
    if (fMap.Tilesets.size() > 1)
        Fail(QStringLiteral("%1 is a second tileset; a map's cells come from one tileset only: "
                            "remove it in the map editor (Remove Tileset in the Tilesets view)")
                 .arg(fMap.Tilesets[1].Where));
    return std::move(fMap);
}

// A TSX tileset file.
class TTsxReader : public TXmlReaderBase {
public:
    TTsxReader(const QByteArray& Bytes, const QString& FileName)
        : TXmlReaderBase(Bytes, FileName, QStringLiteral("Tileset file \"%1\"").arg(FileName)) {}

    TTmxTilesetInfo Read() {
        TTmxTilesetInfo t;
        int Depth = 0;
        while (!fReader.atEnd()) {
            const QXmlStreamReader::TokenType Token = Next(Depth);
            if (Token == QXmlStreamReader::EndElement) {
                --Depth;
                continue;
            }
            if (Token != QXmlStreamReader::StartElement)
                continue;
            if (Depth == 0) {
                if (fReader.name() != QLatin1String("tileset"))
                    Fail(QStringLiteral("the root element is %1, not <tileset>").arg(Where()));
                TilesetAttributes(t);
            } else if (Depth == 1 && fReader.name() == QLatin1String("image") && !t.HasImage) {
                ImageAttributes(t);
            }
            ++Depth;
        }
        CheckEnd();
        return t;
    }
};

bool LooksLikeJson(const uint8_t* S, size_t Size) {
    size_t i = Size >= 3 && S[0] == 0xEF && S[1] == 0xBB && S[2] == 0xBF ? 3 : 0;
    while (i < Size && (S[i] == ' ' || S[i] == '\t' || S[i] == '\r' || S[i] == '\n'))
        ++i;
    return i < Size && (S[i] == '{' || S[i] == '[');
}

// The width of the picture Source names (relative to the folder of the file that names it),
// when it can be read; -1 otherwise.
int64_t PictureWidth(const QString& HolderFile, const QString& Source) {
    if (Source.isEmpty())
        return -1;
    const QString Path = QFileInfo(HolderFile).dir().filePath(Source);
    if (!QFileInfo(Path).isFile())
        return -1;
    const QSize Size = QImageReader(Path).size();
    return Size.isValid() ? Size.width() : -1;
}

void CheckSize(size_t Size, const QString& What, const QString& FileName) {
    if (Size > MaxTmxFileSize)
        throw EFormatError(QStringLiteral("%1 \"%2\" has %3 bytes; at most %4 are read")
                               .arg(What, FileName)
                               .arg(qulonglong(Size))
                               .arg(qulonglong(MaxTmxFileSize)));
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
    CheckXmlName(Tileset.Source, QStringLiteral("the tileset file's name"));

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
    if (Tileset.Source.isEmpty()) {
        x.writeStartElement(QStringLiteral("tileset"));
        x.writeAttribute(QStringLiteral("firstgid"), QString::number(Tileset.FirstGid));
        WriteTilesetBody(x, Tileset);
    } else {
        x.writeEmptyElement(QStringLiteral("tileset"));
        x.writeAttribute(QStringLiteral("firstgid"), QString::number(Tileset.FirstGid));
        x.writeAttribute(QStringLiteral("source"), Tileset.Source);
    }
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

QByteArray TmxFile::EncodeTsx(const TTmxTileset& Tileset) {
    CheckXmlName(Tileset.Name, QStringLiteral("the tileset name"));
    CheckXmlName(Tileset.ImageSource, QStringLiteral("the tileset picture's name"));
    QByteArray Out;
    QXmlStreamWriter x(&Out);
    x.setAutoFormatting(true);
    x.setAutoFormattingIndent(1);
    x.writeStartDocument();
    x.writeStartElement(QStringLiteral("tileset"));
    x.writeAttribute(QStringLiteral("version"), QStringLiteral("1.8"));
    WriteTilesetBody(x, Tileset);
    x.writeEndDocument();
    return Out;
}

TTmxImport TmxFile::DecodeTileMap(const uint8_t* S, size_t Size, const QString& FileName) {
    const bool Json = LooksLikeJson(S, Size);
    CheckSize(Size, Json ? QStringLiteral("JSON map file") : QStringLiteral("TMX file"), FileName);
    const QByteArray Bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(S), qsizetype(Size));
    try {
        TTmxMapData Map =
            Json ? TmjFile::ReadMap(Bytes, FileName) : TTmxReader(Bytes, FileName).Read();
        Map.FileSize = Size;
        return TmxMap::Resolve(Map);
    } catch (const std::bad_alloc&) {
        throw EFormatError(
            QStringLiteral("%1 \"%2\": the memory to read its %3 bytes cannot be "
                           "allocated")
                .arg(Json ? QStringLiteral("JSON map file") : QStringLiteral("TMX file"), FileName)
                .arg(qulonglong(Size)));
    }
}

TTmxImport TmxFile::LoadTileMap(const QString& FileName) {
    const TMyByteArray Data = MyTypes::ReadFileBytes(FileName, MaxTmxFileSize);
    const QString Full = MyTypes::ExpandFileName(FileName);
    TTmxImport Map = DecodeTileMap(Data.data(), Data.size(), Full);
    const QString Prefix =
        (LooksLikeJson(Data.data(), Data.size()) ? QStringLiteral("JSON map file \"%1\"")
                                                 : QStringLiteral("TMX file \"%1\""))
            .arg(Full);
    TTmxTilesetInfo& t = Map.Tileset;
    if (t.Source.isEmpty()) {
        // The picture as it is, where it differs from what the map recorded.
        const int64_t Width = PictureWidth(Full, t.ImageSource);
        if (t.HasImage && Width >= 0 && Width != t.ImageWidth) {
            t.ImageWidth = Width;
            TmxMap::CheckTileset(t, Prefix);
        }
        return Map;
    }
    const QString Path = QFileInfo(Full).dir().filePath(t.Source);
    if (!QFileInfo::exists(Path)) {
        Map.Notes << Prefix + QStringLiteral(": the tileset file \"%1\" was not found, so its "
                                             "geometry was not checked")
                                  .arg(t.Source);
        return Map;
    }
    const TTmxTilesetInfo Named = t;
    t = LoadTileset(Path);
    t.FirstGid = Named.FirstGid;
    t.Source = Named.Source;
    t.Where = QStringLiteral("the tileset file \"%1\"").arg(Named.Source);
    TmxMap::CheckTileset(t, Prefix);
    return Map;
}

TMyByteArray TmxFile::DecodeTmx(const uint8_t* S, size_t Size, int32_t& w, int32_t& h,
                                const QString& FileName) {
    TTmxImport Map = DecodeTileMap(S, Size, FileName);
    w = Map.Width;
    h = Map.Height;
    return std::move(Map.Cells);
}

TTmxTilesetInfo TmxFile::DecodeTileset(const uint8_t* S, size_t Size, const QString& FileName) {
    const bool Json = LooksLikeJson(S, Size);
    CheckSize(Size, QStringLiteral("Tileset file"), FileName);
    const QByteArray Bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(S), qsizetype(Size));
    try {
        TTmxTilesetInfo t =
            Json ? TmjFile::ReadTileset(Bytes, FileName) : TTsxReader(Bytes, FileName).Read();
        t.Where = QStringLiteral("the tileset file \"%1\"").arg(FileName);
        return t;
    } catch (const std::bad_alloc&) {
        throw EFormatError(QStringLiteral("Tileset file \"%1\": the memory to read its %2 bytes "
                                          "cannot be allocated")
                               .arg(FileName)
                               .arg(qulonglong(Size)));
    }
}

TTmxTilesetInfo TmxFile::LoadTileset(const QString& FileName) {
    const TMyByteArray Data = MyTypes::ReadFileBytes(FileName, MaxTmxFileSize);
    const QString Full = MyTypes::ExpandFileName(FileName);
    TTmxTilesetInfo t = DecodeTileset(Data.data(), Data.size(), Full);
    const int64_t Width = PictureWidth(Full, t.ImageSource);
    if (t.HasImage && Width >= 0)
        t.ImageWidth = Width;
    return t;
}

} // namespace velkora
