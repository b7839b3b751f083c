// SPDX-License-Identifier: MIT
// Texture 1: grass and water with their shores.

#include "tools/demo/Items.h"
#include "tools/demo/Sheets.h"
#include "tools/demo/TerrainKit.h"

#include <cstdlib>

namespace velkora::demo {

namespace {

void Flower(TCanvas& c, int x, int y, uint8_t Petal, uint8_t Heart) {
    c.Put(x - 1, y, Petal);
    c.Put(x + 1, y, Petal);
    c.Put(x, y - 1, Petal);
    c.Put(x, y + 1, Darker(Petal));
    c.Put(x, y, Heart);
}

TCanvas Daisies(const TCanvas& Grass) {
    TCanvas c = Grass;
    const int Spots[][2] = {{4, 5}, {15, 3}, {10, 11}, {19, 14}, {5, 18}, {14, 20}};
    for (const auto& s : Spots)
        Flower(c, s[0], s[1], White, Yellow);
    return c;
}

TCanvas Poppies(const TCanvas& Grass) {
    TCanvas c = Grass;
    const int Spots[][2] = {{6, 4}, {17, 6}, {11, 12}, {3, 15}, {20, 18}, {12, 20}};
    for (const auto& s : Spots) {
        c.Put(s[0], s[1] + 1, DarkGreen);
        c.Put(s[0] - 1, s[1] + 2, LightGreen);
        Flower(c, s[0], s[1], Red, Ink);
    }
    return c;
}

TCanvas Tufts(const TCanvas& Grass) {
    TCanvas c = Grass;
    const int Spots[][2] = {{5, 7}, {16, 5}, {11, 15}, {20, 19}, {4, 20}};
    for (const auto& s : Spots) {
        const int x = s[0];
        const int y = s[1];
        c.Line(x - 2, y - 2, x - 1, y, LightGreen);
        c.Line(x, y - 3, x, y, LightGreen);
        c.Line(x + 2, y - 2, x + 1, y, LightGreen);
        c.Put(x, y - 3, White);
        c.Line(x - 1, y + 1, x + 1, y + 1, DarkGreen);
    }
    return c;
}

TCanvas TallGrass(const TCanvas& Grass) {
    TCanvas c = Grass;
    // Three clumps of blades fanning out from a shaded root.
    const int Clumps[][2] = {{6, 10}, {16, 8}, {11, 20}};
    for (const auto& k : Clumps) {
        const int x = k[0];
        const int y = k[1];
        c.Line(x - 3, y + 1, x + 3, y + 1, DarkGreen);
        for (int b = -2; b <= 2; ++b) {
            const int Len = 6 - std::abs(b);
            const int Tip = x + b * 2;
            c.Line(x + b + 1, y, Tip + 1, y - Len + 1, DarkGreen);
            c.Line(x + b, y, Tip, y - Len, LightGreen);
        }
        c.Put(x, y, DarkGreen);
    }
    return c;
}

TCanvas Bush(const TCanvas& Grass) {
    TCanvas c = Grass;
    Shadow(c, 14, 17, 10, 5);
    const uint8_t Leaves[3] = {DarkGreen, Green, LightGreen};
    ShadedBlob(c, 11.5, 12, 9.5, 8, Leaves, 0.9, 2301);
    const int Berries[][2] = {{8, 10}, {14, 8}, {12, 14}, {16, 12}, {7, 15}};
    for (const auto& b : Berries) {
        c.Put(b[0], b[1], Red);
        c.Put(b[0], b[1] - 1, White);
    }
    return c;
}

TCanvas Stones(const TCanvas& Grass) {
    TCanvas c = Grass;
    const uint8_t Stone[3] = {DarkGrey, Grey, LightGrey};
    const double Rocks[][4] = {{7, 8, 3.5, 2.5}, {16, 14, 4.5, 3.2}, {8, 18, 2.5, 2}};
    for (const auto& r : Rocks) {
        Shadow(c, r[0] + 1.5, r[1] + 1.5, r[2], r[3]);
        ShadedBlob(c, r[0], r[1], r[2], r[3], Stone, 0.3, 2311 + uint32_t(r[0]));
    }
    return c;
}

TCanvas Lilies(const TCanvas& Water) {
    TCanvas c = Water;
    const double Pads[][3] = {{7, 7, 3.6}, {16, 13, 4.2}, {6, 18, 2.8}};
    for (const auto& p : Pads) {
        c.Ellipse(p[0] + 0.5, p[1] + 1, p[2], p[2] * 0.8, DeepBlue);
        c.Ellipse(p[0], p[1], p[2], p[2] * 0.8, Green);
        c.Ellipse(p[0] - 1, p[1] - 0.8, p[2] * 0.45, p[2] * 0.35, LightGreen);
        // The notch of the leaf.
        c.Line(int(p[0]), int(p[1]), int(p[0] + p[2]), int(p[1] - 1), Blue);
    }
    Flower(c, 16, 12, White, Yellow);
    c.Put(15, 11, Red);
    c.Put(17, 11, Red);
    return c;
}

TCanvas WaterRock(const TCanvas& Water) {
    TCanvas c = Water;
    c.Ellipse(12, 14, 9, 6, LightBlue);
    for (int y = 6; y < 22; ++y)
        for (int x = 2; x < 22; ++x)
            if (c.At(x, y) == LightBlue && Dither(x, y, 0.35))
                c.Put(x, y, White);
    c.Ellipse(12.5, 15, 7, 4.5, DeepBlue);
    const uint8_t Stone[3] = {DarkGrey, Grey, LightGrey};
    ShadedBlob(c, 11.5, 12, 6.5, 5.5, Stone, 0.5, 2401);
    return c;
}

} // namespace

TCanvas LandSheet() {
    const TCanvas Grass = GrassPattern();
    const TCanvas Water = WaterPattern();
    TCanvas Sheet = TextureSheet();
    PlaceItem(Sheet, Land::Grass, Grass);
    PlaceItem(Sheet, Land::GrassTufts, Tufts(Grass));
    PlaceItem(Sheet, Land::Daisies, Daisies(Grass));
    PlaceItem(Sheet, Land::Bush, Bush(Grass));
    PlaceItem(Sheet, Land::DeepWater, DeepWaterPattern());
    // Grass, a dark edge, a strip of beach, foam, shallows, water.
    const std::vector<TEdgeBand> Shore = {
        {-3.6, -2.3, DarkGreen, Green, 0.25},
        {-2.3, 0.0, Sand, PaleSand, 0.3},
        {0.0, 1.2, LightBlue, White, 0.4},
        {1.2, 2.6, Blue, LightBlue, 0.3},
    };
    for (int Mask = 1; Mask < 15; ++Mask)
        PlaceItem(Sheet, ItemOfMask[Mask], Transition(Mask, Grass, Water, Shore, 2101, 0.28));
    PlaceItem(Sheet, Land::Water, Water);
    PlaceItem(Sheet, Land::Lilies, Lilies(Water));
    PlaceItem(Sheet, Land::WaterRock, WaterRock(Water));
    PlaceItem(Sheet, Land::Stones, Stones(Grass));
    PlaceItem(Sheet, Land::Poppies, Poppies(Grass));
    PlaceItem(Sheet, Land::TallGrass, TallGrass(Grass));
    return Sheet;
}

} // namespace velkora::demo
