// SPDX-License-Identifier: MIT
#include "maps/TmjFile.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <optional>

namespace velkora {

namespace {

constexpr int64_t MaxMapSide = 65535;
constexpr int64_t MaxGeometry = int64_t(1) << 30;

class TJsonReader {
public:
    TJsonReader(const QByteArray& Bytes, const QString& FileName, const QString& Prefix)
        : fBytes(Bytes), fFileName(FileName), fPrefix(Prefix) {}

    TTmxMapData ReadMap();
    TTmxTilesetInfo ReadTileset();

private:
    [[noreturn]] void Fail(const QString& Message) const {
        throw EFormatError(fPrefix + QStringLiteral(": ") + Message);
    }
    QJsonObject Parse(const QString& Type) const;
    // A whole number under Key of O (named Where in messages), from Min to Max; Default when
    // absent, and without a Default a required one.
    int64_t Number(const QJsonObject& O, const char* Key, const QString& Where, int64_t Min,
                   int64_t Max, std::optional<int64_t> Default) const;
    QString Text(const QJsonObject& O, const char* Key) const {
        return O.value(QLatin1String(Key)).toString();
    }
    void Geometry(const QJsonObject& O, TTmxTilesetInfo& t) const;
    void Layers(const QJsonArray& List, bool Visible);
    void TileLayer(const QJsonObject& O, const QString& Where);

    const QByteArray& fBytes;
    QString fFileName;
    QString fPrefix;
    TTmxMapData fMap;
};

QJsonObject TJsonReader::Parse(const QString& Type) const {
    QJsonParseError Error;
    const QJsonDocument Doc = QJsonDocument::fromJson(fBytes, &Error);
    if (Error.error != QJsonParseError::NoError) {
        // The line and column of the character where the text goes wrong.
        const qsizetype At = std::clamp<qsizetype>(Error.offset, 0, fBytes.size());
        const qsizetype LineStart = fBytes.lastIndexOf('\n', At - 1) + 1;
        throw EFormatError(QStringLiteral("Cannot parse file \"%1\": %2 (line %3, column %4)")
                               .arg(fFileName, Error.errorString())
                               .arg(fBytes.left(At).count('\n') + 1)
                               .arg(At - LineStart + 1));
    }
    if (!Doc.isObject())
        Fail(QStringLiteral("the file holds no JSON object, so no %1").arg(Type));
    const QJsonObject O = Doc.object();
    const QString Declared = Text(O, "type");
    if (!Declared.isEmpty() && Declared != Type)
        Fail(QStringLiteral("the file holds a %1, not a %2").arg(Declared, Type));
    return O;
}

int64_t TJsonReader::Number(const QJsonObject& O, const char* Key, const QString& Where,
                            int64_t Min, int64_t Max, std::optional<int64_t> Default) const {
    const QLatin1String Name(Key);
    if (!O.contains(Name)) {
        if (!Default)
            Fail(QStringLiteral("\"%1\" of %2 is missing").arg(Name, Where));
        return *Default;
    }
    const QJsonValue v = O.value(Name);
    const double d = v.toDouble(std::nan(""));
    if (!v.isDouble() || !(d >= double(Min) && d <= double(Max)) || d != std::floor(d))
        Fail(QStringLiteral("\"%1\" of %2 is %3, not a whole number from %4 to %5")
                 .arg(Name, Where,
                      QString::fromUtf8(QJsonDocument(QJsonArray{v}).toJson(QJsonDocument::Compact))
                          .mid(1)
                          .chopped(1)
                          .left(40))
                 .arg(Min)
                 .arg(Max));
    return int64_t(d);
}

void TJsonReader::Geometry(const QJsonObject& O, TTmxTilesetInfo& t) const {
    t.HasGeometry = true;
    t.Name = Text(O, "name");
    t.TileWidth = Number(O, "tilewidth", t.Where, 0, MaxGeometry, 0);
    t.TileHeight = Number(O, "tileheight", t.Where, 0, MaxGeometry, 0);
    t.Spacing = Number(O, "spacing", t.Where, 0, MaxGeometry, 0);
    t.Margin = Number(O, "margin", t.Where, 0, MaxGeometry, 0);
    t.Columns = Number(O, "columns", t.Where, 0, MaxGeometry, 0);
    t.TileCount = Number(O, "tilecount", t.Where, 0, MaxGeometry, 0);
    t.HasImage = O.contains(QLatin1String("image"));
    t.ImageSource = Text(O, "image");
    t.ImageWidth = Number(O, "imagewidth", t.Where, 0, MaxGeometry, -1);
    t.ImageHeight = Number(O, "imageheight", t.Where, 0, MaxGeometry, -1);
}

TTmxMapData TJsonReader::ReadMap() {
    fMap.Prefix = fPrefix;
    const QJsonObject O = Parse(QStringLiteral("map"));
    const QString Where = QStringLiteral("the map");
    const QString Orientation = Text(O, "orientation");
    if (!Orientation.isEmpty() && Orientation != QLatin1String("orthogonal"))
        Fail(
            QStringLiteral("the map is %1, but only orthogonal maps can be read").arg(Orientation));
    if (O.value(QLatin1String("infinite")).toBool(false))
        Fail(QStringLiteral("the map is infinite (its layer data lies in chunks); only maps of "
                            "a fixed size can be read: untick Infinite in the map's properties in "
                            "the map editor"));
    fMap.Width = int32_t(Number(O, "width", Where, 0, MaxMapSide, std::nullopt));
    fMap.Height = int32_t(Number(O, "height", Where, 0, MaxMapSide, std::nullopt));

    for (const QJsonValue& p : O.value(QLatin1String("properties")).toArray()) {
        const QJsonObject Prop = p.toObject();
        const QJsonValue v = Prop.value(QLatin1String("value"));
        QString Value = v.toString();
        if (v.isDouble())
            Value = v.toDouble() == std::floor(v.toDouble()) && std::abs(v.toDouble()) < 1e15
                        ? QString::number(qlonglong(v.toDouble()))
                        : QString::number(v.toDouble());
        else if (v.isBool())
            Value = v.toBool() ? QStringLiteral("true") : QStringLiteral("false");
        fMap.Properties.push_back({Text(Prop, "name"), Text(Prop, "type"), Value});
    }

    const QJsonArray Tilesets = O.value(QLatin1String("tilesets")).toArray();
    for (qsizetype i = 0; i < Tilesets.size(); ++i) {
        const QJsonObject t = Tilesets.at(i).toObject();
        TTmxTilesetInfo Info;
        const QString Name = Text(t, "name");
        Info.Where = QStringLiteral("tileset %1").arg(i + 1) +
                     (Name.isEmpty() ? QString() : QStringLiteral(" \"%1\"").arg(Name));
        Info.FirstGid = uint32_t(Number(t, "firstgid", Info.Where, 1, ~TmxGidFlags, std::nullopt));
        Info.Source = Text(t, "source");
        if (Info.Source.isEmpty())
            Geometry(t, Info);
        fMap.Tilesets.push_back(Info);
    }
    if (!O.value(QLatin1String("layers")).isArray())
        Fail(QStringLiteral("the map has no layer list (\"layers\")"));
    Layers(O.value(QLatin1String("layers")).toArray(), true);
    return std::move(fMap);
}

void TJsonReader::Layers(const QJsonArray& List, bool Visible) {
    for (const QJsonValue& Value : List) {
        const QJsonObject O = Value.toObject();
        const QString Type = Text(O, "type");
        const QString Name = Text(O, "name");
        const bool Shown = Visible && O.value(QLatin1String("visible")).toBool(true);
        if (Type == QLatin1String("group")) {
            Layers(O.value(QLatin1String("layers")).toArray(), Shown);
        } else if (Type == QLatin1String("tilelayer")) {
            QString Where = QStringLiteral("layer \"%1\"").arg(Name);
            if (O.contains(QLatin1String("id")))
                Where += QStringLiteral(" (id %1)").arg(O.value(QLatin1String("id")).toInteger());
            if (O.contains(QLatin1String("chunks")))
                Fail(QStringLiteral("%1: the layer data lies in chunks, as in an infinite map; "
                                    "only maps of a fixed size can be read: untick Infinite in the "
                                    "map's properties in the map editor")
                         .arg(Where));
            if (!Shown)
                fMap.HiddenLayers << Name;
            else
                TileLayer(O, Where);
        } else if (Type == QLatin1String("objectgroup")) {
            fMap.OtherLayers << QStringLiteral("the object layer \"%1\"").arg(Name);
        } else if (Type == QLatin1String("imagelayer")) {
            fMap.OtherLayers << QStringLiteral("the image layer \"%1\"").arg(Name);
        }
    }
}

void TJsonReader::TileLayer(const QJsonObject& O, const QString& Where) {
    TTmxLayer L;
    L.Where = Where;
    L.Width = Number(O, "width", Where, 0, MaxMapSide, fMap.Width);
    L.Height = Number(O, "height", Where, 0, MaxMapSide, fMap.Height);
    L.HaveData = true;
    const QJsonValue Data = O.value(QLatin1String("data"));
    const QString Encoding = Text(O, "encoding");
    L.Compression = Text(O, "compression");
    if (Data.isArray()) {
        if (!Encoding.isEmpty() && Encoding != QLatin1String("csv"))
            Fail(QStringLiteral("%1 has the encoding \"%2\" but its data is an array")
                     .arg(Where, Encoding));
        const QJsonArray Gids = Data.toArray();
        const size_t n = size_t(fMap.Width) * size_t(fMap.Height);
        L.Format = TTmxLayerFormat::Gids;
        if (size_t(Gids.size()) == n && L.Width == fMap.Width && L.Height == fMap.Height) {
            L.Gids.reserve(n);
            for (const QJsonValue& g : Gids) {
                const double d = g.toDouble(-1);
                if (!g.isDouble() || !(d >= 0 && d <= 4294967295.0) || d != std::floor(d)) {
                    const size_t i = L.Gids.size();
                    Fail(QStringLiteral("cell (%1, %2) of the data of %3 is %4, not a gid")
                             .arg(qulonglong(i % size_t(fMap.Width)))
                             .arg(qulonglong(i / size_t(fMap.Width)))
                             .arg(Where,
                                  QString::fromUtf8(
                                      QJsonDocument(QJsonArray{g}).toJson(QJsonDocument::Compact))
                                      .mid(1)
                                      .chopped(1)
                                      .left(40)));
                }
                L.Gids.push_back(uint32_t(d));
            }
        } else if (L.Width == fMap.Width && L.Height == fMap.Height) {
            Fail(QStringLiteral("the data of %1 holds %2 cells, but the map has %3 x %4 = %5")
                     .arg(Where)
                     .arg(Gids.size())
                     .arg(fMap.Width)
                     .arg(fMap.Height)
                     .arg(qulonglong(n)));
        } // else the layer's size is refused when the layers are resolved
    } else if (Data.isString()) {
        if (Encoding != QLatin1String("base64"))
            Fail(QStringLiteral("%1 has the encoding \"%2\"; text data must be \"base64\"")
                     .arg(Where, Encoding));
        L.Format = TTmxLayerFormat::Base64;
        L.Text = Data.toString();
        if (L.Compression == QLatin1String("zstd"))
            Fail(QStringLiteral("%1 is compressed with zstd, which is not supported; save the map "
                                "with zlib or gzip compression, or none")
                     .arg(Where));
        if (!L.Compression.isEmpty() && L.Compression != QLatin1String("zlib") &&
            L.Compression != QLatin1String("gzip"))
            Fail(QStringLiteral("%1 has the compression \"%2\"; it must be \"zlib\" or \"gzip\"")
                     .arg(Where, L.Compression));
    } else {
        Fail(QStringLiteral("%1 has no data").arg(Where));
    }
    fMap.Layers.push_back(std::move(L));
}

TTmxTilesetInfo TJsonReader::ReadTileset() {
    const QJsonObject O = Parse(QStringLiteral("tileset"));
    TTmxTilesetInfo t;
    t.Where = QStringLiteral("the tileset");
    Geometry(O, t);
    return t;
}

} // namespace

TTmxMapData TmjFile::ReadMap(const QByteArray& Bytes, const QString& FileName) {
    return TJsonReader(Bytes, FileName, QStringLiteral("JSON map file \"%1\"").arg(FileName))
        .ReadMap();
}

TTmxTilesetInfo TmjFile::ReadTileset(const QByteArray& Bytes, const QString& FileName) {
    return TJsonReader(Bytes, FileName, QStringLiteral("Tileset file \"%1\"").arg(FileName))
        .ReadTileset();
}

} // namespace velkora
