#include "tools/demo/Params.h"

#include "shell/MyTypes.h"
#include "tools/demo/Canvas.h"

#include <QXmlStreamWriter>

namespace velkora::demo {

const std::vector<TDemoPalette>& DemoPalettes() {
    // Index roles: 0 ink, 1-3 greens, 4-6 blues, 7-9 earth and sand, 10-12 greys, 13 red,
    // 14 yellow, 15 white.
    static const std::vector<TDemoPalette> Palettes = {
        {"PalDay",
         {{{16, 16, 24},
           {32, 96, 40},
           {64, 152, 56},
           {136, 200, 80},
           {32, 64, 144},
           {56, 112, 208},
           {128, 184, 240},
           {112, 72, 40},
           {208, 168, 96},
           {240, 216, 160},
           {72, 72, 88},
           {128, 128, 144},
           {192, 192, 208},
           {200, 56, 48},
           {248, 208, 72},
           {248, 248, 248}}}},
        {"PalDusk",
         {{{16, 8, 24},
           {40, 56, 48},
           {80, 96, 56},
           {144, 136, 72},
           {40, 40, 104},
           {88, 72, 152},
           {200, 128, 144},
           {96, 48, 40},
           {192, 120, 80},
           {232, 176, 120},
           {64, 48, 72},
           {112, 88, 104},
           {176, 144, 144},
           {216, 72, 56},
           {248, 168, 72},
           {248, 224, 192}}}},
        {"PalNight",
         {{{4, 4, 12},
           {16, 40, 48},
           {32, 64, 72},
           {56, 96, 96},
           {12, 20, 64},
           {24, 44, 104},
           {64, 96, 160},
           {48, 40, 56},
           {88, 88, 112},
           {128, 128, 152},
           {32, 32, 56},
           {64, 64, 96},
           {104, 112, 144},
           {112, 48, 72},
           {248, 224, 128},
           {200, 216, 248}}}},
        {"PalAutumn",
         {{{24, 16, 16},
           {120, 56, 24},
           {184, 96, 32},
           {232, 160, 48},
           {40, 64, 120},
           {72, 112, 176},
           {144, 184, 216},
           {104, 64, 32},
           {200, 152, 88},
           {236, 208, 152},
           {80, 72, 72},
           {136, 128, 128},
           {200, 192, 184},
           {176, 40, 32},
           {248, 200, 56},
           {248, 240, 224}}}},
        {"PalWinter",
         {{{16, 24, 40},
           {120, 136, 160},
           {200, 208, 224},
           {240, 244, 252},
           {48, 80, 128},
           {104, 152, 200},
           {176, 208, 240},
           {88, 64, 56},
           {176, 168, 160},
           {224, 220, 216},
           {72, 80, 96},
           {128, 136, 152},
           {192, 200, 216},
           {176, 48, 56},
           {240, 216, 120},
           {255, 255, 255}}}},
        {"PalDesert",
         {{{32, 20, 16},
           {120, 104, 48},
           {176, 152, 72},
           {216, 192, 104},
           {24, 88, 112},
           {40, 136, 152},
           {120, 200, 192},
           {136, 80, 40},
           {224, 176, 104},
           {248, 224, 160},
           {96, 72, 64},
           {152, 120, 96},
           {208, 184, 152},
           {200, 72, 40},
           {248, 216, 96},
           {255, 248, 232}}}},
        {"PalEmber",
         {{{8, 4, 4},
           {40, 32, 32},
           {72, 56, 48},
           {112, 88, 64},
           {136, 16, 8},
           {216, 64, 16},
           {248, 168, 40},
           {56, 32, 24},
           {104, 72, 56},
           {152, 112, 80},
           {40, 32, 40},
           {80, 64, 72},
           {136, 112, 112},
           {232, 80, 24},
           {255, 216, 64},
           {255, 240, 200}}}},
    };
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
