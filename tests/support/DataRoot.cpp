// SPDX-License-Identifier: MIT
#include "tests/support/DataRoot.h"

#include "maps/MapLoader.h"
#include "sprites/CompDecompUnit.h"
#include "sprites/SpriteEditor.h"

#include <QDir>

namespace velkora::test {

TestPalette DistinctPalette(int p) {
    TestPalette t{};
    for (int c = 0; c < 16; ++c)
        t[c] =
            (uint32_t((16 * p + c) & 0xFF) << 16) | (uint32_t(8 * c) << 8) | uint32_t(255 - 16 * c);
    return t;
}

TMyArray PatternWords(int Tiles, int Seed) {
    TMyArray w(size_t(Tiles) * 16);
    for (size_t i = 0; i < w.size(); ++i) {
        uint16_t v = 0;
        for (int k = 0; k < 4; ++k)
            v = uint16_t((v << 4) | ((i * 4 + k + size_t(Seed) * 7 + (i / 16)) % 16));
        w[i] = v;
    }
    return w;
}

DataRoot::DataRoot(const QString& Root) : fRoot(Root) {
    QDir().mkpath(MyTypes::DataPath(Root, SpriteFolderName));
    QDir().mkpath(MyTypes::DataPath(Root, MapFolderName));
}

QString DataRoot::SpritePath(const QString& Name) const {
    return MyTypes::DataPath(fRoot, SpriteFolderName, Name);
}

QString DataRoot::MapPath(const QString& Name) const {
    return MyTypes::DataPath(fRoot, MapFolderName, Name);
}

void DataRoot::AddSprite(const QString& Name, const TMyArray& Words, bool Compressed) {
    MyTypes::WriteFileAtomically(
        SpritePath(Name), Compressed
                              ? CompDecompUnit::Compress(Words)
                              : SpriteEditor::UncompressedSpriteImage(Words, Words.size() / 16));
}

void DataRoot::AddMap(const QString& Name, int32_t w, int32_t h, const TMyByteArray& Cells) {
    MyTypes::WriteFileAtomically(MapPath(Name), MapLoader::EncodeMap(Cells, w, h));
}

void DataRoot::WriteParams() const {
    QString x =
        QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Params>\n <Palettes>\n");
    for (size_t p = 0; p < Palettes.size(); ++p) {
        x += QStringLiteral("  <Pal%1>\n").arg(p);
        for (int c = 0; c < 16; ++c) {
            const uint32_t v = Palettes[p][c];
            x += QStringLiteral("   <Col R=\"%1\" G=\"%2\" B=\"%3\"/>\n")
                     .arg(v >> 16)
                     .arg((v >> 8) & 0xFF)
                     .arg(v & 0xFF);
        }
        x += QStringLiteral("  </Pal%1>\n").arg(p);
    }
    x += QStringLiteral(" </Palettes>\n <MapSets>\n");
    for (size_t i = 0; i < MapSets.size(); ++i)
        x += QStringLiteral("  <Set_%1 Name=\"%2\" Tex1=\"%3\" Tex2=\"%4\"/>\n")
                 .arg(i)
                 .arg(MapSets[i].Name.toHtmlEscaped())
                 .arg(MapSets[i].Tex1)
                 .arg(MapSets[i].Tex2);
    x += QStringLiteral(" </MapSets>\n <PalSets>\n");
    for (size_t i = 0; i < PalSets.size(); ++i) {
        x += QStringLiteral("  <Set_%1 name=\"%1\"").arg(i);
        for (int j = 0; j < 16; ++j)
            x += QStringLiteral(" p%1=\"%2\"").arg(j + 1).arg(PalSets[i][j]);
        x += QStringLiteral("/>\n");
    }
    x += QStringLiteral(" </PalSets>\n</Params>\n");
    const QByteArray b = x.toUtf8();
    MyTypes::WriteFileAtomically(fRoot + QStringLiteral("/XMLParams.xml"),
                                 reinterpret_cast<const uint8_t*>(b.constData()), size_t(b.size()));
}

} // namespace velkora::test
