// SPDX-License-Identifier: MIT
#include "tools/demo/Params.h"

#include "shell/MyTypes.h"
#include "tools/demo/Canvas.h"

#include <QXmlStreamWriter>

namespace velkora::demo {

namespace {

// The palettes as text: 16 colours RRGGBB in hexadecimal, for the indices 0 to 15. Index roles:
// 0 ink, 1-3 greens, 4-6 blues, 7-9 earth and sand, 10-12 greys, 13 red, 14 yellow, 15 white.
struct TPaletteText {
    const char* Name;
    const char* Colours;
};
const TPaletteText PaletteTexts[] = {
    {"PalDay", "101018 206028 409838 88C850 204090 3870D0 80B8F0 704828 "
               "D0A860 F0D8A0 484858 808090 C0C0D0 C83830 F8D048 F8F8F8"},
    {"PalDusk", "100818 283830 506038 908848 282868 584898 C88090 603028 "
                "C07850 E8B078 403048 705868 B09090 D84838 F8A848 F8E0C0"},
    {"PalNight", "04040C 102830 204048 386060 0C1440 182C68 4060A0 302838 "
                 "585870 808098 202038 404060 687090 703048 F8E080 C8D8F8"},
    {"PalAutumn", "181010 682818 A84820 D88030 284078 4870B0 90B8D8 684020 "
                  "D8B878 F0E0B0 504848 888080 C8C0B8 B02820 F8C838 F8F0E0"},
    {"PalWinter", "101828 7888A0 C8D0E0 F0F4FC 305080 6898C8 B0D0F0 584038 "
                  "B0A8A0 E0DCD8 485060 808898 C0C8D8 B03038 F0D878 FFFFFF"},
    {"PalDesert", "201410 786830 B09848 D8C068 185870 288898 78C8C0 885028 "
                  "E0B068 F8E0A0 604840 987860 D0B898 C84828 F8D860 FFF8E8"},
    {"PalEmber", "080404 282020 483830 705840 881008 D84010 F8A828 382018 "
                 "684838 987050 282028 504048 887070 E85018 FFD840 FFF0C8"},
};

TDemoPalette ParsePalette(const TPaletteText& t) {
    TDemoPalette p{t.Name, {}};
    const QStringList Hex = QString::fromLatin1(t.Colours).split(QLatin1Char(' '));
    for (int c = 0; c < 16; ++c) {
        const uint32_t v = Hex.value(c).toUInt(nullptr, 16);
        p.Col[size_t(c)] = {uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
    }
    return p;
}

} // namespace

const std::vector<TDemoPalette>& DemoPalettes() {
    static const std::vector<TDemoPalette> Palettes = [] {
        std::vector<TDemoPalette> v;
        for (const TPaletteText& t : PaletteTexts)
            v.push_back(ParsePalette(t));
        return v;
    }();
    return Palettes;
}

namespace {

int Position(const QStringList& SortedSprites, const QString& Name) {
    const int i = int(SortedSprites.indexOf(Name));
    if (i < 0)
        throw Exception(
            QStringLiteral("The texture %1 is missing from the sprite library.").arg(Name));
    return i;
}

void MapSet(QXmlStreamWriter& w, int n, const QStringList& Sorted, const QString& Tex1,
            const QString& Tex2) {
    w.writeEmptyElement(QStringLiteral("Set_%1").arg(n));
    w.writeAttribute(QStringLiteral("Name"), Tex1 + QStringLiteral(" : ") + Tex2);
    w.writeAttribute(QStringLiteral("Tex1"), QString::number(Position(Sorted, Tex1)));
    w.writeAttribute(QStringLiteral("Tex2"), QString::number(Position(Sorted, Tex2)));
}

void PalSet(QXmlStreamWriter& w, int n, const std::array<int, 16>& Map) {
    w.writeEmptyElement(QStringLiteral("Set_%1").arg(n));
    w.writeAttribute(QStringLiteral("name"), QString::number(n));
    for (int i = 0; i < 16; ++i)
        w.writeAttribute(QStringLiteral("p%1").arg(i + 1), QString::number(Map[size_t(i)]));
}

} // namespace

QByteArray ParamsFileImage(const QStringList& SortedSprites) {
    QByteArray Out;
    QXmlStreamWriter w(&Out);
    w.setAutoFormatting(true);
    w.setAutoFormattingIndent(2);
    w.writeStartDocument();
    w.writeStartElement(QStringLiteral("Params"));

    w.writeStartElement(QStringLiteral("Palettes"));
    for (const TDemoPalette& p : DemoPalettes()) {
        w.writeStartElement(QLatin1String(p.Name));
        for (int c = 0; c < 16; ++c) {
            w.writeEmptyElement(QStringLiteral("Col%1").arg(c));
            w.writeAttribute(QStringLiteral("R"), QString::number(p.Col[size_t(c)].R));
            w.writeAttribute(QStringLiteral("G"), QString::number(p.Col[size_t(c)].G));
            w.writeAttribute(QStringLiteral("B"), QString::number(p.Col[size_t(c)].B));
        }
        w.writeEndElement();
    }
    w.writeEndElement();

    // Set 0 is what the maps are painted with; set 1 swaps the village for the cave.
    w.writeStartElement(QStringLiteral("MapSets"));
    MapSet(w, 0, SortedSprites, QStringLiteral("A1.spr"), QStringLiteral("A2.spr"));
    MapSet(w, 1, SortedSprites, QStringLiteral("A1.spr"), QStringLiteral("A10.spr"));
    w.writeEndElement();

    // Set 0 leaves every colour as it is; set 1 is a dry season: the greens become earth and sand.
    w.writeStartElement(QStringLiteral("PalSets"));
    PalSet(w, 0, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15});
    PalSet(w, 1,
           {Ink, Brown, Sand, PaleSand, DeepBlue, Blue, LightBlue, Brown, Sand, PaleSand, DarkGrey,
            Grey, LightGrey, Red, Yellow, White});
    w.writeEndElement();

    w.writeEndElement();
    w.writeEndDocument();
    Out.append('\n');
    return Out;
}

} // namespace velkora::demo
