// SPDX-License-Identifier: MIT
// TMX and JSON maps: hand-written files in the shapes the general-purpose map editor writes
// (every layer encoding, several layers, hidden layers and groups, object layers, inline and
// external tilesets), the writer's output read back, and the refusals, each with the cell,
// layer, tileset or element it names.

#include "maps/TmxFile.h"
#include "maps/TmxExport.h"
#include "palettes/BmpMaker.h"
#include "tests/support/DataRoot.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QImage>

#include <gtest/gtest.h>
#include <zlib.h>

using namespace velkora;
using namespace velkora::test;

namespace {

using Gids = std::vector<uint32_t>;

QByteArray LittleEndian(const Gids& g) {
    QByteArray b;
    for (uint32_t v : g)
        for (int k = 0; k < 4; ++k)
            b.append(char(v >> (8 * k)));
    return b;
}

// Raw deflate data in a zlib (WindowBits 15) or gzip (31) wrapper.
QByteArray Deflate(const QByteArray& Raw, int WindowBits) {
    z_stream z{};
    EXPECT_EQ(deflateInit2(&z, 9, Z_DEFLATED, WindowBits, 8, Z_DEFAULT_STRATEGY), Z_OK);
    QByteArray Out(int(deflateBound(&z, uLong(Raw.size()))), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(Raw.constData()));
    z.avail_in = uInt(Raw.size());
    z.next_out = reinterpret_cast<Bytef*>(Out.data());
    z.avail_out = uInt(Out.size());
    EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
    Out.truncate(int(z.total_out));
    deflateEnd(&z);
    return Out;
}

QString Csv(const Gids& g, int w) {
    QString s = "\n";
    for (size_t i = 0; i < g.size(); ++i)
        s += QString::number(g[i]) + (i + 1 == g.size() ? "\n" : (i + 1) % size_t(w) ? "," : ",\n");
    return s;
}

// <data> in one of the four encodings.
QString Data(const QString& Encoding, const Gids& g, int w) {
    if (Encoding == "csv")
        return "<data encoding=\"csv\">" + Csv(g, w) + "</data>";
    const QByteArray Raw = LittleEndian(g);
    if (Encoding == "base64")
        return "<data encoding=\"base64\">\n   " + Raw.toBase64() + "\n  </data>";
    const bool Gzip = Encoding == "gzip";
    return "<data encoding=\"base64\" compression=\"" + Encoding + "\">\n" +
           Deflate(Raw, Gzip ? 31 : 15).toBase64() + "\n</data>";
}

// A map of w x h 16-pixel tiles around Body (tilesets and layers).
QByteArray Map(int w, int h, const QString& Body) {
    return QString("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                   "<map version=\"1.8\" orientation=\"orthogonal\" renderorder=\"right-down\" "
                   "width=\"%1\" height=\"%2\" tilewidth=\"16\" tileheight=\"16\" infinite=\"0\">\n"
                   "%3\n</map>\n")
        .arg(w)
        .arg(h)
        .arg(Body)
        .toUtf8();
}

const QString Tileset5 =
    "<tileset firstgid=\"5\" name=\"t\" tilewidth=\"24\" tileheight=\"24\" tilecount=\"300\" "
    "columns=\"20\"><image source=\"t.png\" width=\"480\" height=\"360\"/></tileset>";

QString Layer(const QString& DataXml, int w = 3, int h = 2) {
    return QString("<layer id=\"1\" name=\"ground\" width=\"%1\" height=\"%2\">%3</layer>")
        .arg(w)
        .arg(h)
        .arg(DataXml);
}

struct Result {
    TMyByteArray Cells;
    int32_t w = -1;
    int32_t h = -1;
};

Result Decode(const QByteArray& Text) {
    Result r;
    r.Cells = TmxFile::DecodeTmx(reinterpret_cast<const uint8_t*>(Text.constData()),
                                 size_t(Text.size()), r.w, r.h, "in.tmx");
    return r;
}

// The message DecodeTmx raises for Text, or "" when it reads the file.
std::string Refusal(const QByteArray& Text) {
    int32_t w = -7;
    int32_t h = -7;
    try {
        TmxFile::DecodeTmx(reinterpret_cast<const uint8_t*>(Text.constData()), size_t(Text.size()),
                           w, h, "in.tmx");
    } catch (const EFormatError& e) {
        EXPECT_EQ(w, -7) << "the size was given out although the file was refused";
        return e.what();
    }
    return "";
}

// Cells 0, 1, 255 / 254, 7, 0 with the firstgid 5.
const Gids SixGids = {5, 6, 260, 259, 12, 5};
const TMyByteArray SixCells = {0, 1, 255, 254, 7, 0};

void Write(const QString& FileName, const QByteArray& Text) {
    WriteBytes(FileName, TMyByteArray(Text.begin(), Text.end()));
}

// A JSON map as the map editor writes it, around its tilesets and layers.
QByteArray JsonMap(int w, int h, const QString& Tilesets, const QString& Layers,
                   const QString& Extra = "") {
    return QString("{ \"compressionlevel\":-1,\n \"height\":%2,\n \"infinite\":false,\n "
                   "\"layers\":[%4],\n \"nextlayerid\":9,\n \"nextobjectid\":1,\n "
                   "\"orientation\":\"orthogonal\",\n%5 \"renderorder\":\"right-down\",\n "
                   "\"tiledversion\":\"1.8.2\",\n \"tileheight\":24,\n \"tilesets\":[%3],\n "
                   "\"tilewidth\":24,\n \"type\":\"map\",\n \"version\":\"1.8\",\n \"width\":%1\n}")
        .arg(w)
        .arg(h)
        .arg(Tilesets, Layers, Extra)
        .toUtf8();
}

// A JSON tile layer of 3 x 2 cells; Data is the value of "data" (an array, or a base64 string
// with Encoding keys).
QString JsonLayer(const QString& Name, int Id, const QString& Data, bool Visible = true,
                  const QString& Encoding = "") {
    return QString("{ %1\"data\":%2, \"height\":2, \"id\":%3, \"name\":\"%4\", \"opacity\":1, "
                   "\"type\":\"tilelayer\", \"visible\":%5, \"width\":3, \"x\":0, \"y\":0 }")
        .arg(Encoding, Data)
        .arg(Id)
        .arg(Name, Visible ? "true" : "false");
}

QString JsonGids(const Gids& g) {
    QStringList Items;
    for (uint32_t v : g)
        Items << QString::number(v);
    return "[" + Items.join(", ") + "]";
}

const QString JsonTileset5 =
    "{ \"columns\":20, \"firstgid\":5, \"image\":\"t.png\", \"imageheight\":360, "
    "\"imagewidth\":480, \"margin\":0, \"name\":\"t\", \"spacing\":0, \"tilecount\":300, "
    "\"tileheight\":24, \"tilewidth\":24 }";

} // namespace

TEST(TmxRead, EveryEncodingGivesTheCells) {
    for (const char* Encoding : {"csv", "base64", "zlib", "gzip"}) {
        SCOPED_TRACE(Encoding);
        // Properties, an object layer before the tile layer and a second tile layer after it
        // do not matter; nor does the tile size.
        const Result r = Decode(Map(3, 2,
                                    "<properties><property name=\"a\" value=\"b\"/></properties>" +
                                        Tileset5 + "<objectgroup id=\"3\" name=\"o\"/>" +
                                        Layer(Data(Encoding, SixGids, 3)) +
                                        "<layer id=\"2\" name=\"top\" width=\"3\" height=\"2\">" +
                                        Data("csv", {0, 0, 0, 0, 0, 0}, 3) + "</layer>"));
        EXPECT_EQ(r.w, 3);
        EXPECT_EQ(r.h, 2);
        EXPECT_EQ(r.Cells, SixCells);
    }

    // An external tileset (not read), a layer inside a group, a document type that declares
    // nothing, CSV with a comma after the last cell and spaces anywhere.
    const QByteArray Text =
        "<?xml version=\"1.0\"?>\n<!DOCTYPE map SYSTEM \"http://example.invalid/map.dtd\">\n" +
        Map(3, 2,
            "<tileset firstgid=\"5\" source=\"no/such/file.tsx\"/><group id=\"4\" name=\"g\">" +
                Layer("<data encoding=\"csv\"> 5 ,6,260,\n 259 , 12,5,\n</data>") + "</group>")
            .mid(QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n").size());
    const Result r = Decode(Text);
    EXPECT_EQ(r.Cells, SixCells);

    // A map without cells.
    EXPECT_TRUE(
        Decode(Map(0, 4, Tileset5 + Layer("<data encoding=\"base64\"/>", 0, 4))).Cells.empty());
}

TEST(TmxRead, RefusalsNameTheFirstOffendingCellOrElement) {
    auto Six = [](Gids g) { return Map(3, 2, Tileset5 + Layer(Data("zlib", g, 3))); };
    const struct {
        QByteArray Text;
        const char* Message;
    } Cases[] = {
        {Six({5, 6, 7, 8, 0, 0}), "cell (1, 1) is empty (gid 0)"},
        {Six({5, 6, 7, 8, 9, 0x80000005u}), "cell (2, 1) is flipped or rotated"},
        {Six({5, 0x20000006u, 7, 8, 9, 0x80000005u}), "cell (1, 0) is flipped or rotated"},
        {Six({5, 6, 7, 4, 9, 10}), "cell (0, 1) holds gid 4, but a cell's tile must be 0 to 255 "
                                   "of the tileset (gids 5 to 260"},
        {Six({5, 6, 261, 4, 9, 10}), "cell (2, 0) holds gid 261"},
        {Map(3, 2, Tileset5 + Layer(Data("csv", {5, 6, 7, 8, 9}, 3))),
         "holds 5 cells, but the map has 3 x 2 = 6"},
        {Map(3, 2, Tileset5 + Layer(Data("csv", {5, 6, 7, 8, 9, 10, 11}, 3))),
         "holds more than the 3 x 2 cells"},
        {Map(3, 2, Tileset5 + Layer("<data encoding=\"csv\">5,6,7,\n8,x9,10</data>")),
         "cell (1, 1) of the CSV data is \"x9\", not a gid"},
        {Map(3, 2, Tileset5 + Layer("<data encoding=\"csv\">5,6,7,8,4294967296,10</data>")),
         "cell (1, 1) of the CSV data is \"4294967296\", not a gid"},
        {Map(3, 2, Tileset5 + Layer("<data encoding=\"csv\">5,6,+7,8,9,10</data>")),
         "cell (2, 0) of the CSV data is \"+7\", not a gid"},
        {Map(3, 2, Tileset5 + Layer("<data encoding=\"csv\">5,6,7,8 9,10</data>")),
         "has \"9\" after cell (0, 1), not a comma"},
        {Map(3, 2, Tileset5 + Layer("<data encoding=\"csv\">5,6,7,8,,10</data>")),
         "cell (1, 1) of the CSV data is \"\""},
        {Map(3, 2, Tileset5 + Layer(Data("base64", {5, 6, 7, 8, 9}, 3))),
         "holds 20 bytes, but 3 x 2 cells need 24"},
        {Map(3, 2, Tileset5 + Layer("<data encoding=\"base64\">AAA*AAA=</data>")),
         "is not valid base64"},
        {Map(3, 2,
             Tileset5 + Layer("<data encoding=\"base64\" compression=\"zlib\">" +
                              QByteArray("not zlib at all").toBase64() + "</data>")),
         "is not valid zlib data"},
        {Map(3, 2,
             Tileset5 + Layer("<data encoding=\"base64\" compression=\"gzip\">" +
                              Deflate(LittleEndian(SixGids), 15).toBase64() + "</data>")),
         "is not valid gzip data"},
        {Map(3, 2,
             Tileset5 + Layer("<data encoding=\"base64\" compression=\"zlib\">" +
                              Deflate(LittleEndian(SixGids), 15).left(12).toBase64() + "</data>")),
         "ends before its stream is complete"},
        // Far more data than the map needs: decompression stops at what it needs.
        {Map(3, 2,
             Tileset5 + Layer("<data encoding=\"base64\" compression=\"zlib\">" +
                              Deflate(QByteArray(64 << 20, '\5'), 15).toBase64() + "</data>")),
         "decompresses to more than the 24 bytes that 3 x 2 cells need"},
        {Map(3, 2, Tileset5 + Layer("<data encoding=\"base64\" compression=\"zstd\">KLUv</data>")),
         "is compressed with zstd, which is not supported"},
        {Map(3, 2, Tileset5 + Layer("<data encoding=\"csv\" compression=\"zlib\">1</data>")),
         "only base64 data can be compressed"},
        {Map(3, 2, Tileset5 + Layer("<data encoding=\"hex\">1</data>")),
         "has the encoding \"hex\""},
        {Map(3, 2, Tileset5 + Layer("<data><tile gid=\"5\"/></data>")),
         "is stored as <tile> elements"},
        {Map(3, 2,
             Tileset5 + Layer("<data encoding=\"csv\"><chunk x=\"0\" y=\"0\" width=\"16\" "
                              "height=\"16\">5</chunk></data>")),
         "<chunk> (line 3): the layer data lies in chunks"},
        {QByteArray(Map(3, 2, Tileset5 + Layer(Data("csv", SixGids, 3))))
             .replace("infinite=\"0\"", "infinite=\"1\""),
         "the map is infinite"},
        {Map(3, 2, Tileset5 + Tileset5 + Layer(Data("csv", SixGids, 3))),
         "<tileset> \"t\" (line 3) is a second tileset"},
        {Map(3, 2, Layer(Data("csv", SixGids, 3))), "the map has no tileset"},
        {Map(3, 2, Tileset5 + "<objectgroup id=\"2\"/>"), "the map has no tile layer"},
        {Map(3, 2, Tileset5 + Layer("<properties/>")), "<layer> \"ground\" (line 3) has no <data>"},
        {Map(3, 2, Tileset5 + Layer(Data("csv", SixGids, 3), 2, 3)),
         "<layer> \"ground\" (line 3) is 2 x 3 cells, but the map is 3 x 2"},
        {Map(3, 2, "<tileset name=\"t\"/>" + Layer(Data("csv", SixGids, 3))),
         "attribute \"firstgid\" of <tileset> \"t\" (line 3) is missing"},
        {Map(70000, 2, Tileset5), "attribute \"width\" of <map> (line 2) is \"70000\", not a "
                                  "whole number from 0 to 65535"},
        {QString(Map(3, 2, Tileset5 + Layer(Data("csv", SixGids, 3))))
             .replace("orthogonal", "isometric")
             .toUtf8(),
         "the map is isometric, but only orthogonal maps can be read"},
        {"<?xml version=\"1.0\"?><tileset name=\"t\"/>", "the root element is <tileset>"},
        {"<map width=\"1\" height=\"1\"><tileset", "Cannot parse file \"in.tmx\""},
        {"", "Cannot parse file \"in.tmx\""},
    };
    for (const auto& c : Cases) {
        const std::string Message = Refusal(c.Text);
        EXPECT_NE(Message.find(c.Message), std::string::npos)
            << "expected: " << c.Message << "\ngot: " << Message
            << "\nfor: " << c.Text.left(600).data();
        EXPECT_NE(Message.find("\"in.tmx\""), std::string::npos) << Message;
    }
}

TEST(TmxRead, EntitiesAndOversizedDocumentsAreRefused) {
    const QString Body = Tileset5 + Layer(Data("csv", SixGids, 3));
    const QByteArray Plain = Map(3, 2, Body).mid(39); // without the XML declaration
    const struct {
        QByteArray Text;
        const char* Message;
    } Cases[] = {
        // An external entity would read another file; an internal one can blow up the text.
        {"<!DOCTYPE map [<!ENTITY e SYSTEM \"file:///etc/passwd\">]>" +
             QByteArray(Plain).replace("name=\"ground\"", "name=\"&e;\""),
         "the document declares the entity \"e\"; declared entities are not read"},
        {"<!DOCTYPE map [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;\">]>" +
             QByteArray(Plain).replace("name=\"ground\"", "name=\"&b;\""),
         "declares the entity \"a\"; declared entities are not read, since no real file needs "
         "them and they can make a small file expand without bound (line 1)"},
        {QByteArray(Plain).replace("name=\"ground\"", "name=\"&undeclared;\""),
         "Cannot parse file \"in.tmx\""},
        {Map(3, 2, Body + QString("<group>").repeated(300) + QString("</group>").repeated(300)),
         "elements are nested more than 256 deep"},
        {Map(3, 2, Body + QString("<objectgroup/>").repeated(250001)),
         "the file holds more than 250000 nodes"},
    };
    for (const auto& c : Cases) {
        const std::string Message = Refusal(c.Text);
        EXPECT_NE(Message.find(c.Message), std::string::npos)
            << "expected: " << c.Message << "\ngot: " << Message;
    }
    // A file over the limit is refused unread (a sparse file takes no room).
    TempDir Dir;
    const QString Sparse = Dir.file("big.tmx");
    WriteBytes(Sparse, Bytes({'<'}));
    ASSERT_TRUE(QFile::resize(Sparse, qint64(MaxTmxFileSize) + 1));
    try {
        TmxFile::LoadTileMap(Sparse);
        ADD_FAILURE() << "an oversized file was read";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(), QString("Cannot open file \"%1\". The file is too large (%2 bytes; "
                                       "the limit is %3)")
                                   .arg(Sparse)
                                   .arg(MaxTmxFileSize + 1)
                                   .arg(MaxTmxFileSize));
    }
}

TEST(TmxRead, DataIsMeasuredAgainstTheMapBeforeItsCellsAreAllocated) {
    // The format's largest map declared in a few bytes, in every layer encoding and in JSON: the
    // length of the data alone refuses it, with no memory the size of the map taken (64 MB
    // where the map would need 4.3 GB), and names what the data holds against what the map
    // needs.
    if (!MemoryLimitsWork)
        GTEST_SKIP() << "the address sanitizer cannot run under a memory limit";
    const QString Big = "65535 x 65535";
    const QByteArray Csv =
        Map(65535, 65535, Tileset5 + Layer("<data encoding=\"csv\">5</data>", 65535, 65535));
    const QByteArray Zlib =
        Map(65535, 65535,
            Tileset5 + Layer("<data encoding=\"base64\" compression=\"zlib\">" +
                                 Deflate(LittleEndian({5}), 15).toBase64() + "</data>",
                             65535, 65535));
    const QByteArray Base64 =
        Map(65535, 65535,
            Tileset5 +
                Layer("<data encoding=\"base64\">" + LittleEndian({5, 5, 5}).toBase64() + "</data>",
                      65535, 65535));
    const QByteArray Json =
        "{\"type\":\"map\",\"width\":65535,\"height\":65535,\"tilesets\":[{\"firstgid\":1,"
        "\"source\":\"t.tsx\"}],\"layers\":[{\"type\":\"tilelayer\",\"name\":\"L\",\"id\":1,"
        "\"width\":65535,\"height\":65535,\"data\":[1,1,1]}]}";
    const struct {
        QByteArray Text;
        QString Message;
    } Cases[] = {
        {Csv, "the CSV data of <layer> \"ground\" (line 3) holds 1 cells, but the map has " + Big +
                  " = 4294836225"},
        {Zlib, "the zlib data of <layer> \"ground\" (line 3) holds 12 bytes, too few to "
               "decompress to the 17179344900 bytes that " +
                   Big + " cells need"},
        {Base64, "the data of <layer> \"ground\" (line 3) holds 12 bytes, but " + Big +
                     " cells need 17179344900"},
        {Json,
         "the data of layer \"L\" (id 1) holds 3 cells, but the map has " + Big + " = 4294836225"},
    };
    for (const auto& c : Cases) {
        QString Message;
        EXPECT_EQ(RunWithMemoryLimit(
                      64u << 20, [&] { Decode(c.Text); }, &Message),
                  1);
        EXPECT_TRUE(Message.contains(c.Message)) << Message.toStdString();
    }
    // Writing: the gids (four bytes a cell) are made and compressed a block at a time, so a map
    // whose gids alone exceed the memory left is written all the same.
    const TMyByteArray Wide(size_t(65535) * 2048, 7);
    QString Message;
    EXPECT_EQ(
        RunWithMemoryLimit(
            64u << 20, [&] { TmxFile::EncodeTmx(Wide, 65535, 2048, TTmxTileset(), {}); }, &Message),
        0)
        << Message.toStdString();
}

TEST(TmxRead, VisibleTileLayersMergeTopDown) {
    // Bottom first: a hidden layer, the ground, a group with a layer of paths and a hidden
    // group inside it, an object and an image layer, a hidden group, and a layer on top. Each
    // cell takes the topmost visible tile; what is hidden is hidden, however deep.
    const QString Ground = Layer(Data("csv", {1, 2, 3, 4, 5, 6}, 3));
    const QString Tmx =
        "<tileset firstgid=\"1\" name=\"t\" tilewidth=\"24\" tileheight=\"24\" tilecount=\"256\" "
        "columns=\"5\">\n  <image source=\"t.png\" width=\"120\" height=\"1248\"/>\n </tileset>\n"
        " <layer id=\"1\" name=\"old\" width=\"3\" height=\"2\" visible=\"0\">" +
        Data("csv", {9, 9, 9, 9, 9, 9}, 3) + "</layer>\n " + Ground +
        "\n <group id=\"3\" name=\"deco\">\n  <layer id=\"4\" name=\"paths\" width=\"3\" "
        "height=\"2\">" +
        Data("base64", {0, 20, 0, 0, 0, 21}, 3) +
        "</layer>\n  <group id=\"5\" name=\"ghost\" visible=\"0\">\n   <layer id=\"6\" "
        "name=\"spooky\" width=\"3\" height=\"2\">" +
        Data("gzip", {50, 50, 50, 50, 50, 50}, 3) +
        "</layer>\n  </group>\n </group>\n <objectgroup id=\"7\" name=\"things\">\n  <object "
        "id=\"1\" x=\"3\" y=\"4\" width=\"10\" height=\"10\"/>\n </objectgroup>\n <imagelayer "
        "id=\"8\" name=\"sky\">\n  <image source=\"sky.png\" width=\"10\" height=\"10\"/>\n "
        "</imagelayer>\n <group id=\"9\" name=\"off\" visible=\"0\"><layer id=\"10\" name=\"x\" "
        "width=\"3\" height=\"2\">" +
        Data("csv", {77, 77, 77, 77, 77, 77}, 3) +
        "</layer></group>\n <layer id=\"11\" name=\"top\" width=\"3\" height=\"2\">" +
        Data("zlib", {0, 0, 31, 0, 0, 0}, 3) + "</layer>";
    const QString Inline =
        "{ \"columns\":5, \"firstgid\":1, \"image\":\"t.png\", \"imageheight\":1248, "
        "\"imagewidth\":120, \"margin\":0, \"name\":\"t\", \"spacing\":0, \"tilecount\":256, "
        "\"tileheight\":24, \"tilewidth\":24 }";
    const QString Json =
        JsonLayer("old", 1, JsonGids({9, 9, 9, 9, 9, 9}), false) + ",\n" +
        JsonLayer("ground", 2, JsonGids({1, 2, 3, 4, 5, 6})) + ",\n{ \"id\":3, \"layers\":[" +
        JsonLayer("paths", 4, "\"" + LittleEndian({0, 20, 0, 0, 0, 21}).toBase64() + "\"", true,
                  "\"encoding\":\"base64\", ") +
        ", { \"id\":5, \"layers\":[" +
        JsonLayer("spooky", 6,
                  "\"" + Deflate(LittleEndian({50, 50, 50, 50, 50, 50}), 31).toBase64() + "\"",
                  true, "\"compression\":\"gzip\", \"encoding\":\"base64\", ") +
        "], \"name\":\"ghost\", \"opacity\":1, \"type\":\"group\", \"visible\":false, \"x\":0, "
        "\"y\":0 }], \"name\":\"deco\", \"opacity\":1, \"type\":\"group\", \"visible\":true, "
        "\"x\":0, "
        "\"y\":0 },\n{ \"draworder\":\"topdown\", \"id\":7, \"name\":\"things\", \"objects\":[{ "
        "\"height\":10, \"id\":1, \"name\":\"\", \"rotation\":0, \"type\":\"\", \"visible\":true, "
        "\"width\":10, \"x\":3, \"y\":4 }], \"opacity\":1, \"type\":\"objectgroup\", "
        "\"visible\":true, "
        "\"x\":0, \"y\":0 },\n{ \"id\":8, \"image\":\"sky.png\", \"name\":\"sky\", \"opacity\":1, "
        "\"type\":\"imagelayer\", \"visible\":true, \"x\":0, \"y\":0 },\n{ \"id\":9, \"layers\":[" +
        JsonLayer("x", 10, JsonGids({77, 77, 77, 77, 77, 77})) +
        "], \"name\":\"off\", \"opacity\":1, \"type\":\"group\", \"visible\":false, \"x\":0, "
        "\"y\":0 "
        "},\n" +
        JsonLayer("top", 11,
                  "\"" + Deflate(LittleEndian({0, 0, 31, 0, 0, 0}), 15).toBase64() + "\"", true,
                  "\"compression\":\"zlib\", \"encoding\":\"base64\", ");
    const TMyByteArray Merged = {0, 19, 30, 3, 4, 20};
    const struct {
        QByteArray Text;
        const char* Prefix;
    } Files[] = {{Map(3, 2, Tmx), "TMX file \"in.tmx\": "},
                 {JsonMap(3, 2, Inline, Json), "JSON map file \"in.tmx\": "}};
    for (const auto& f : Files) {
        SCOPED_TRACE(f.Prefix);
        const QByteArray Text = f.Text;
        const TTmxImport r = TmxFile::DecodeTileMap(
            reinterpret_cast<const uint8_t*>(Text.constData()), size_t(Text.size()), "in.tmx");
        EXPECT_EQ(r.Cells, Merged);
        EXPECT_EQ(r.Notes,
                  QStringList({f.Prefix + QString("the object layer \"things\" and the image layer "
                                                  "\"sky\" are not read; only tile layers hold "
                                                  "cells"),
                               f.Prefix + QString("the hidden tile layers \"old\", \"spooky\" and "
                                                  "\"x\" are not read")}));
    }

    // A cell empty in every visible layer names the cell and the layers read; a flipped tile
    // counts only where it shows.
    const QByteArray Hole =
        Map(3, 2,
            Tileset5 + Layer(Data("csv", {5, 6, 7, 8, 9, 0}, 3)) + "<layer id=\"2\" name=\"top\">" +
                Data("csv", {0, 0x80000005u, 0, 0, 0, 0}, 3) + "</layer>");
    EXPECT_NE(Refusal(Hole).find("cell (1, 0) is flipped or rotated (gid 2147483653 has the flag "
                                 "bits 0x80000000 set) in <layer> \"top\" (line 6); map cells "
                                 "cannot be: repaint the tile unflipped in the map editor"),
              std::string::npos)
        << Refusal(Hole);
    const QByteArray Hole2 =
        Map(3, 2,
            Tileset5 + Layer(Data("csv", {5, 6, 7, 8, 9, 0}, 3)) + "<layer id=\"2\" name=\"top\">" +
                Data("csv", {0, 6, 0, 0, 0, 0}, 3) + "</layer>");
    EXPECT_NE(Refusal(Hole2).find("cell (2, 1) is empty (gid 0) in every visible tile layer "
                                  "(<layer> \"ground\" (line 3) and <layer> \"top\" (line 6)); "
                                  "every cell of a map needs a tile"),
              std::string::npos)
        << Refusal(Hole2);
    const QByteArray AllHidden = Map(3, 2,
                                     Tileset5 + "<group name=\"g\" visible=\"0\">" +
                                         Layer(Data("csv", SixGids, 3)) + "</group>");
    EXPECT_NE(Refusal(AllHidden).find("the map has no visible tile layer (hidden: \"ground\"); "
                                      "show the layers that hold the cells in the map editor"),
              std::string::npos)
        << Refusal(AllHidden);
}

TEST(TmxRead, JsonMapsFollowTheSameRules) {
    // Every form of layer data, and the map's properties typed as the map editor types them.
    const QString Base64Keys = "\"encoding\":\"base64\", ";
    const QString Forms[] = {
        JsonLayer("ground", 1, JsonGids(SixGids)),
        JsonLayer("ground", 1, "\"" + LittleEndian(SixGids).toBase64() + "\"", true, Base64Keys),
        JsonLayer("ground", 1, "\"" + Deflate(LittleEndian(SixGids), 15).toBase64() + "\"", true,
                  "\"compression\":\"zlib\", " + Base64Keys),
        JsonLayer("ground", 1, "\"" + Deflate(LittleEndian(SixGids), 31).toBase64() + "\"", true,
                  "\"compression\":\"gzip\", " + Base64Keys),
    };
    const QString Properties =
        " \"properties\":[{ \"name\":\"pal1\", \"type\":\"int\", \"value\":2 }, { "
        "\"name\":\"tex1-name\", \"type\":\"string\", \"value\":\"A2.spr\" }],\n";
    for (const QString& Form : Forms) {
        const QByteArray Text = JsonMap(3, 2, JsonTileset5, Form, Properties);
        const TTmxImport r = TmxFile::DecodeTileMap(
            reinterpret_cast<const uint8_t*>(Text.constData()), size_t(Text.size()), "in.tmj");
        EXPECT_EQ(r.Cells, SixCells) << Form.toStdString();
        ASSERT_EQ(r.Properties.size(), 2u);
        EXPECT_EQ(r.Properties[0].Value, "2");
        // The properties give the textures and palettes where the data root has them.
        const TTmxTextureChoice c =
            TmxMap::RecordedTextures(r.Properties, {"A1.spr", "a2.SPR", "B1.spr"}, 3);
        EXPECT_EQ(c.Texture[0], 1);
        EXPECT_EQ(c.Palette[0], 2);
        EXPECT_EQ(c.Texture[1], -1);
        EXPECT_EQ(TmxMap::RecordedTextures(r.Properties, {"A1.spr"}, 2).Palette[0], -1);
    }

    const QString Ground = JsonLayer("ground", 1, JsonGids(SixGids));
    const struct {
        QByteArray Text;
        const char* Message;
    } Cases[] = {
        {JsonMap(3, 2, JsonTileset5, JsonLayer("ground", 1, JsonGids({5, 6, 7, 8, 0, 5}))),
         "cell (1, 1) is empty (gid 0) in layer \"ground\" (id 1)"},
        {JsonMap(3, 2, JsonTileset5,
                 JsonLayer("ground", 1, JsonGids({5, 6, 7, 2147483656u, 9, 5}))),
         "cell (0, 1) is flipped or rotated"},
        {JsonMap(3, 2, JsonTileset5, JsonLayer("ground", 1, "[5, 6, 7, 8, 9.5, 5]")),
         "cell (1, 1) of the data of layer \"ground\" (id 1) is 9.5, not a gid"},
        {JsonMap(3, 2, JsonTileset5, JsonLayer("ground", 1, JsonGids({5, 6, 7}))),
         "the data of layer \"ground\" (id 1) holds 3 cells, but the map has 3 x 2 = 6"},
        {JsonMap(3, 2, JsonTileset5 + "," + JsonTileset5, Ground),
         "tileset 2 \"t\" is a second tileset; a map's cells come from one tileset only: remove it "
         "in the map editor"},
        {JsonMap(3, 2, JsonTileset5,
                 JsonLayer("ground", 1, "\"KLUv\"", true,
                           "\"compression\":\"zstd\", \"encoding\":\"base64\", ")),
         "is compressed with zstd, which is not supported"},
        {QByteArray(JsonMap(3, 2, JsonTileset5, Ground))
             .replace("\"infinite\":false", "\"infinite\":true"),
         "the map is infinite (its layer data lies in chunks); only maps of a fixed size can be "
         "read: untick Infinite in the map's properties in the map editor"},
        {JsonMap(3, 2, JsonTileset5, "{ \"type\":\"objectgroup\", \"name\":\"o\" }"),
         "the map has no tile layer"},
        {"{ \"type\":\"tileset\", \"tilewidth\":24 }", "the file holds a tileset, not a map"},
        {"{\n \"width\": 3,\n \"height\": [\n", "Cannot parse file \"in.tmx\": "},
        {JsonMap(3, 2, QString(JsonTileset5).replace("\"tilewidth\":24", "\"tilewidth\":16"),
                 Ground),
         "tileset 1 \"t\" is not cut as map cells are: its tiles are 16 x 24 pixels, not 24 x 24"},
    };
    for (const auto& c : Cases) {
        const std::string Message = Refusal(c.Text);
        EXPECT_NE(Message.find(c.Message), std::string::npos)
            << "expected: " << c.Message << "\ngot: " << Message;
    }
    EXPECT_NE(Refusal("{\n \"width\": 3,\n \"height\": [\n").find("(line 4, column 1)"),
              std::string::npos)
        << Refusal("{\n \"width\": 3,\n \"height\": [\n");
}

TEST(TmxRead, TilesetsMustBeCutAsTheCellsAre) {
    // Inline: what differs is named, and the remedy in the map editor given.
    auto Inline = [](const QString& Attributes, const QString& Image) {
        return Map(3, 2,
                   "<tileset firstgid=\"5\" name=\"t\" " + Attributes + ">" + Image + "</tileset>" +
                       Layer(Data("csv", SixGids, 3)));
    };
    const QString Image = "<image source=\"t.png\" width=\"480\" height=\"360\"/>";
    const QString Square = "tilewidth=\"24\" tileheight=\"24\" columns=\"20\"";
    const struct {
        QByteArray Text;
        const char* Message;
    } Cases[] = {
        {Inline("tilewidth=\"32\" tileheight=\"32\" columns=\"15\"", Image),
         "<tileset> \"t\" (line 3) is not cut as map cells are: its tiles are 32 x 32 pixels, not "
         "24 x 24. In the map editor, cut it from one picture into 24 x 24 tiles without spacing "
         "or margin"},
        {Inline(Square + " spacing=\"2\" margin=\"1\"", Image),
         "it has a spacing of 2 pixels between its tiles; it has a margin of 1 pixels around its "
         "tiles"},
        {Inline("tilewidth=\"24\" tileheight=\"24\" columns=\"16\"", Image),
         "it has 16 columns, but its picture \"t.png\" is 480 pixels wide, which makes 20"},
        {Inline(Square,
                "<tile id=\"0\"><image source=\"a.png\" width=\"24\" height=\"24\"/></tile>"),
         "it has no one picture (it is a collection of images)"},
    };
    for (const auto& c : Cases) {
        const std::string Message = Refusal(c.Text);
        EXPECT_NE(Message.find(c.Message), std::string::npos)
            << "expected: " << c.Message << "\ngot: " << Message;
    }

    // External: named relative to the map, read under the same rules as a map, checked, its
    // picture looked at as it is; one that cannot be found is only noted. A tileset cut in
    // other columns keeps the gids' meaning.
    TempDir Dir;
    QDir().mkpath(Dir.file("sets"));
    const QString MapFile = Dir.file("level.tmx");
    Write(MapFile,
          Map(3, 2,
              "<tileset firstgid=\"5\" source=\"sets/t.tsx\"/>" + Layer(Data("csv", SixGids, 3))));
    auto Tsx = [&](const QString& Attributes, const QString& Body) {
        Write(Dir.file("sets/t.tsx"),
              ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tileset version=\"1.8\" "
               "tiledversion=\"1.8.2\" name=\"t\" " +
               Attributes + ">\n" + Body + "\n</tileset>\n")
                  .toUtf8());
    };
    const QString Kit =
        " <image source=\"t.png\" width=\"120\" height=\"1248\"/>\n <tile id=\"3\">\n  "
        "<properties>\n   <property name=\"solid\" type=\"bool\" value=\"true\"/>\n  "
        "</properties>\n  <animation>\n   <frame tileid=\"3\" duration=\"100\"/>\n  </animation>\n "
        "</tile>\n <wangsets>\n  <wangset name=\"ground\" type=\"corner\" tile=\"-1\">\n   "
        "<wangcolor name=\"grass\" color=\"#ff0000\" tile=\"-1\" probability=\"1\"/>\n   <wangtile "
        "tileid=\"0\" wangid=\"0,1,0,1,0,1,0,1\"/>\n  </wangset>\n </wangsets>";
    const QString Fits = "tilewidth=\"24\" tileheight=\"24\" tilecount=\"256\" columns=\"5\"";
    auto LoadMessage = [&] {
        try {
            TmxFile::LoadTileMap(MapFile);
        } catch (const Exception& e) {
            return e.Message();
        }
        return QString();
    };

    const TTmxImport Missing = TmxFile::LoadTileMap(MapFile);
    EXPECT_EQ(Missing.Cells, SixCells);
    EXPECT_EQ(Missing.Notes,
              QStringList({"TMX file \"" + MapFile +
                           "\": the tileset file \"sets/t.tsx\" was not found, so its "
                           "geometry was not checked"}));
    Tsx(Fits, Kit);
    const TTmxImport Found = TmxFile::LoadTileMap(MapFile);
    EXPECT_EQ(Found.Cells, SixCells);
    EXPECT_TRUE(Found.Notes.isEmpty()) << Found.Notes.join('\n').toStdString();

    Tsx("tilewidth=\"32\" tileheight=\"32\" tilecount=\"256\" columns=\"5\"", Kit);
    EXPECT_TRUE(
        LoadMessage().contains("TMX file \"" + MapFile +
                               "\": the tileset file \"sets/t.tsx\" is not cut as map cells "
                               "are: its tiles are 32 x 32 pixels"))
        << LoadMessage().toStdString();
    // The picture as it is: 384 pixels wide is 16 columns, whatever the file records.
    Tsx(Fits, Kit);
    ASSERT_TRUE(QImage(384, 384, QImage::Format_RGB32).save(Dir.file("sets/t.png")));
    EXPECT_TRUE(LoadMessage().contains("it has 5 columns, but its picture \"t.png\" is 384 pixels "
                                       "wide, which makes 16"))
        << LoadMessage().toStdString();
    ASSERT_TRUE(QImage(120, 1248, QImage::Format_RGB32).save(Dir.file("sets/t.png")));
    EXPECT_EQ(LoadMessage(), QString());
    Tsx(Fits + " xmlns:a=\"1\"",
        QString(Kit).replace("<wangsets>", "<!DOCTYPE x [<!ENTITY e \"e\">]><wangsets>"));
    EXPECT_TRUE(LoadMessage().contains("declares the entity \"e\"")) << LoadMessage().toStdString();
    // A tileset in JSON.
    Write(MapFile,
          Map(3, 2,
              "<tileset firstgid=\"5\" source=\"sets/t.tsj\"/>" + Layer(Data("csv", SixGids, 3))));
    Write(Dir.file("sets/t.tsj"),
          "{ \"columns\":5, \"image\":\"t.png\", \"imageheight\":1248, \"imagewidth\":120, "
          "\"margin\":3, \"name\":\"t\", \"spacing\":0, \"tilecount\":256, \"tileheight\":24, "
          "\"tilewidth\":24, \"type\":\"tileset\", \"version\":\"1.8\" }");
    EXPECT_TRUE(LoadMessage().contains("the tileset file \"sets/t.tsj\" is not cut as map cells "
                                       "are: it has a margin of 3 pixels"))
        << LoadMessage().toStdString();
}

TEST(TmxExport, ProposesTheMapsNameAndNeverAJsonFile) {
    EXPECT_EQ(TmxExport::ProposedFileName("", "Level1.Map", "/root"), "/root/Level1.tmx");
    EXPECT_EQ(TmxExport::ProposedFileName("", "cave", "/root"), "/root/cave.tmx");
    EXPECT_EQ(TmxExport::ProposedFileName("/w/a.TMX", "Level1.Map", "/root"), "/w/a.TMX");
    EXPECT_EQ(TmxExport::ProposedFileName("/w/a.tmj", "Level1.Map", "/root"), "/w/a.tmx");
}

TEST(TmxExport, TheMapAndItsPictureAreOneSave) {
    // A map refused at its own target (a file the user may not write) leaves the picture beside
    // it as it was, and a picture refused leaves the map: nothing is written before both targets
    // are known to take it.
    TempDir Dir(TempDir::OpenToEveryone);
    const QString Tmx = Dir.file("level.tmx");
    const QString Png = Dir.file("level-tiles.png");
    const TMapCellPictures Pictures;
    for (const bool MapLocked : {true, false}) {
        SCOPED_TRACE(MapLocked ? "map read-only" : "picture read-only");
        Write(Tmx, "old map");
        Write(Png, "old picture");
        ASSERT_TRUE(
            QFile::setPermissions(MapLocked ? Tmx : Png, QFile::ReadOwner | QFile::ReadOther));
        ASSERT_TRUE(
            QFile::setPermissions(MapLocked ? Png : Tmx, QFile::ReadOwner | QFile::WriteOwner |
                                                             QFile::ReadOther | QFile::WriteOther));
        QString Message;
        const int Status = RunAsNobody(
            [&] {
                TmxExport::ExportTmxFiles(Tmx, {1, 2, 3}, 3, 1, Pictures, TTmxExportInfo());
            },
            &Message);
        if (Status == NotDropped)
            GTEST_SKIP() << "cannot run as nobody here";
        EXPECT_EQ(Status, 1);
        EXPECT_TRUE(Message.startsWith("Cannot create file \"" + (MapLocked ? Tmx : Png) + "\""))
            << Message.toStdString();
        EXPECT_EQ(ReadBytes(Tmx), Bytes({'o', 'l', 'd', ' ', 'm', 'a', 'p'}));
        EXPECT_EQ(ReadBytes(Png).size(), 11u);
        EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
        QFile::remove(Tmx);
        QFile::remove(Png);
    }
}

TEST(TmxWrite, TheWrittenMapReadsBackAndNamesItsTilesetAndProperties) {
    Rng R(18);
    const std::vector<std::pair<int, int>> Sizes = {{37, 11}, {1, 300}, {300, 1}, {16, 16}, {0, 5}};
    for (const auto& [w, h] : Sizes) {
        TMyByteArray Cells(size_t(w) * size_t(h));
        for (size_t i = 0; i < Cells.size(); ++i)
            Cells[i] = uint8_t(i < 256 ? i : R());
        TTmxTileset Tileset;
        Tileset.Name = "a&b";
        Tileset.ImageSource = "level <1>-tiles.png";
        const QByteArray Text = TmxFile::EncodeTmx(
            Cells, w, h, Tileset,
            {{"tex1", "string", "A1.spr \"x\"\x01"}, {"tex1-position", "int", "3"}});
        const Result r = Decode(Text);
        EXPECT_EQ(r.w, w);
        EXPECT_EQ(r.h, h);
        EXPECT_EQ(r.Cells, Cells) << w << " x " << h;

        // What the general-purpose editor reads: the tileset's geometry and picture, one layer
        // "cells" as base64 of zlib data, the properties typed.
        const QString s = QString::fromUtf8(Text);
        for (const QString& Expected :
             {QString("<map version=\"1.8\" orientation=\"orthogonal\" renderorder=\"right-down\" "
                      "width=\"%1\" height=\"%2\" tilewidth=\"24\" tileheight=\"24\" "
                      "infinite=\"0\"")
                  .arg(w)
                  .arg(h),
              QString("<tileset firstgid=\"1\" name=\"a&amp;b\" tilewidth=\"24\" "
                      "tileheight=\"24\" tilecount=\"256\" columns=\"5\">"),
              QString("<image source=\"level &lt;1&gt;-tiles.png\" width=\"120\" "
                      "height=\"1248\"/>"),
              QString("<layer id=\"1\" name=\"cells\" width=\"%1\" height=\"%2\">").arg(w).arg(h),
              QString("<data encoding=\"base64\" compression=\"zlib\">"),
              QString("<property name=\"tex1\" value=\"A1.spr &quot;x&quot;\uFFFD\"/>"),
              QString("<property name=\"tex1-position\" type=\"int\" value=\"3\"/>")})
            EXPECT_TRUE(s.contains(Expected)) << Expected.toStdString() << "\nin\n"
                                              << s.left(1500).toStdString();
    }

    TTmxTileset Small;
    Small.TileCount = 50;
    try {
        TmxFile::EncodeTmx({0, 49, 50}, 3, 1, Small, {});
        ADD_FAILURE() << "a cell without a tile was written";
    } catch (const EFormatError& e) {
        EXPECT_NE(std::string(e.what()).find("cell (2, 0) holds 50, but the tileset has 50 tiles"),
                  std::string::npos)
            << e.what();
    }
    EXPECT_THROW(TmxFile::EncodeTmx({1, 2}, 3, 1, TTmxTileset{}, {}), EFormatError);
    TTmxTileset BadName;
    BadName.ImageSource = QString("a") + QChar(1);
    EXPECT_THROW(TmxFile::EncodeTmx({1}, 1, 1, BadName, {}), EFormatError);
}

TEST(TmxWrite, TheTilesetPictureHoldsEveryValuesCellPicture) {
    TPalletteList Palettes(2);
    for (int p = 0; p < 2; ++p)
        for (int c = 0; c < 16; ++c) {
            const uint32_t v = DistinctPalette(p)[size_t(c)];
            Palettes[size_t(p)].Col[size_t(c)] =
                TCol{uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
        }
    TSpriteInfo s1, s2;
    s1.Bytes = PatternWords(225, 2);
    s1.GenerateBlocArray();
    s2.Bytes = PatternWords(100, 9);
    s2.GenerateBlocArray();
    TMapImageItems Items1, Items2;
    Items1.SetPalette(1, BmpMaker::ColorTable(Palettes, 1));
    Items1.SetSpriteInfo(s1);
    Items2.SetPalette(0, BmpMaker::ColorTable(Palettes, 0));
    Items2.SetSpriteInfo(s2);
    TMapCellPictures Pictures;
    Pictures.Rebuild(Items1, Items2);

    // Five tiles a row, as the item grid shows the items (its cell in column c, row r is item
    // 5r + c): a picture built of several items of a texture stays whole in the map editor's
    // tileset view, and tile v is still value v.
    const QImage Sheet = TmxExport::TilesetPicture(Pictures, TTmxTileset());
    ASSERT_EQ(Sheet.size(), QSize(120, 1248));
    for (int v = 0; v < 256; ++v) {
        const QImage Tile = Pictures.Picture(v);
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 24; ++x)
                ASSERT_EQ(Sheet.pixel(v % 5 * 24 + x, v / 5 * 24 + y), Tile.pixel(x, y))
                    << "tile " << v << " at " << x << ", " << y;
    }
    // Beyond the last tile the sheet is black.
    EXPECT_EQ(Sheet.pixel(119, 1247), qRgb(0, 0, 0));
}
