// SPDX-License-Identifier: MIT
#pragma once
// Builds small data roots for tests: Sprites/, Maps/ and XMLParams.xml, written with the
// project's own writers.

#include "shell/MyTypes.h"

#include <QString>

#include <array>
#include <vector>

namespace velkora::test {

// 16 colours as 0xRRGGBB.
using TestPalette = std::array<uint32_t, 16>;

// Palette p of a test set: colour c = (16p + c, 8c, 255 - 16c), all distinct.
TestPalette DistinctPalette(int p);

// The words of n tiles whose pixels follow a simple pattern seeded by Seed (every value 0..15).
TMyArray PatternWords(int Tiles, int Seed);

class DataRoot {
public:
    // Creates Root/Sprites and Root/Maps.
    explicit DataRoot(const QString& Root);

    QString Root() const { return fRoot; }
    QString SpritePath(const QString& Name) const;
    QString MapPath(const QString& Name) const;

    // Writes a sprite file: compressed (Compress) or uncompressed (the SaveSprite layout).
    void AddSprite(const QString& Name, const TMyArray& Words, bool Compressed = true);
    // Writes a map file of pack type 1.
    void AddMap(const QString& Name, int32_t w, int32_t h, const TMyByteArray& Cells);

    // Parameters file content; written by WriteParams.
    std::vector<TestPalette> Palettes;
    struct MapSet {
        QString Name;
        int Tex1, Tex2;
    };
    std::vector<MapSet> MapSets;
    std::vector<TPalletteArray> PalSets;
    // Writes XMLParams.xml: root, palettes container (Pal0, Pal1, ...), map set container,
    // palette set container.
    void WriteParams() const;

private:
    QString fRoot;
};

} // namespace velkora::test
