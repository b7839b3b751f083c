// TMX maps: hand-written files in every layer encoding, the writer's output read back, and the
// refusals, each with the cell or element it names.

#include "maps/TmxFile.h"
#include "palettes/BmpMaker.h"
#include "tests/support/DataRoot.h"
#include "tests/support/TestSupport.h"

#include <QFile>

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
    "<tileset firstgid=\"5\" name=\"t\" tilewidth=\"16\" tileheight=\"16\" tilecount=\"300\" "
    "columns=\"20\"><image source=\"t.png\" width=\"320\" height=\"240\"/></tileset>";

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
        {Map(3, 2, Layer(Data("csv", SixGids, 3))), "the map has no <tileset>"},
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
         "declares entities or notations"},
        {"<!DOCTYPE map [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;\">]>" +
             QByteArray(Plain).replace("name=\"ground\"", "name=\"&b;\""),
         "declares entities or notations"},
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
    int32_t w = -7, h = -7;
    try {
        TmxFile::LoadTmx(Sparse, w, h);
        ADD_FAILURE() << "an oversized file was read";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(), QString("Cannot open file \"%1\". The file is too large (%2 bytes; "
                                       "the limit is %3)")
                                   .arg(Sparse)
                                   .arg(MaxTmxFileSize + 1)
                                   .arg(MaxTmxFileSize));
    }
    EXPECT_EQ(w, -7);
}

TEST(TmxRead, ReportsMapsTheMemoryCannotHold) {
    // The format's largest map in a few bytes of TMX, where the memory for its cells (and gids)
    // cannot be had: an error naming the file and the sizes, never a crash.
    if (!MemoryLimitsWork)
        GTEST_SKIP() << "the address sanitizer cannot run under a memory limit";
    const QByteArray Csv =
        Map(65535, 65535, Tileset5 + Layer("<data encoding=\"csv\">5</data>", 65535, 65535));
    const QByteArray Zlib =
        Map(65535, 65535,
            Tileset5 + Layer("<data encoding=\"base64\" compression=\"zlib\">" +
                                 Deflate(LittleEndian({5}), 15).toBase64() + "</data>",
                             65535, 65535));
    const struct {
        QByteArray Text;
        qulonglong Need;
    } Cases[] = {{Csv, 65535ull * 65535}, {Zlib, 5 * 65535ull * 65535 + 1}};
    for (const auto& c : Cases) {
        QString Message;
        EXPECT_EQ(RunWithMemoryLimit(
                      512u << 20, [&] { Decode(c.Text); }, &Message),
                  1);
        const QString Cannot = QString("TMX file \"in.tmx\": the map has 65535 x 65535 cells, but "
                                       "the %1 bytes to decode them cannot be allocated")
                                   .arg(c.Need);
        const QString DoNotFit = QString("TMX file \"in.tmx\": the map has 65535 x 65535 cells: "
                                         "the %1 bytes to decode them and the file's %2 do not fit")
                                     .arg(c.Need)
                                     .arg(c.Text.size());
        EXPECT_TRUE(Message == Cannot || Message.startsWith(DoNotFit)) << Message.toStdString();
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
                      "tileheight=\"24\" tilecount=\"256\" columns=\"16\">"),
              QString("<image source=\"level &lt;1&gt;-tiles.png\" width=\"384\" "
                      "height=\"384\"/>"),
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

    const QImage Sheet = TmxFile::TmxTilesetPicture(Pictures);
    ASSERT_EQ(Sheet.size(), QSize(384, 384));
    for (int v = 0; v < 256; ++v) {
        const QImage Tile = Pictures.Picture(v);
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 24; ++x)
                ASSERT_EQ(Sheet.pixel(v % 16 * 24 + x, v / 16 * 24 + y), Tile.pixel(x, y))
                    << "tile " << v << " at " << x << ", " << y;
    }
}
