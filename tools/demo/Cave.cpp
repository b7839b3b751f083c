// SPDX-License-Identifier: MIT
// Texture 3: a cave of earth floor and rock, with lava, water and treasure.

#include "tools/demo/Items.h"
#include "tools/demo/Sheets.h"
#include "tools/demo/TerrainKit.h"

#include <cmath>
#include <iterator>

namespace velkora::demo {

namespace {

const uint8_t Stone[3] = {DarkGrey, Grey, LightGrey};

TCanvas Cracked(const TCanvas& Floor) {
    TCanvas c = Floor;
    const int Crack[][2] = {{3, 5},   {7, 8},  {9, 12}, {14, 13}, {17, 17},
                            {21, 19}, {9, 12}, {8, 17}, {5, 20}};
    for (size_t k = 0; k + 1 < std::size(Crack); ++k) {
        if (k == 5)
            continue; // the second branch starts anew
        c.Line(Crack[k][0], Crack[k][1], Crack[k + 1][0], Crack[k + 1][1], Ink);
        c.Line(Crack[k][0], Crack[k][1] + 1, Crack[k + 1][0], Crack[k + 1][1] + 1, Sand);
    }
    return c;
}

TCanvas Rubble(const TCanvas& Floor) {
    TCanvas c = Floor;
    const double Rocks[][3] = {{6, 6, 2.5}, {15, 5, 2}, {11, 13, 3.5}, {19, 16, 2.5}, {5, 18, 2}};
    uint32_t Seed = 4101;
    for (const auto& r : Rocks) {
        Shadow(c, r[0] + 1, r[1] + 1.5, r[2] * 1.1, r[2] * 0.8);
        ShadedBlob(c, r[0], r[1], r[2], r[2] * 0.8, Stone, 0.4, Seed++);
    }
    return c;
}

TCanvas Stalagmite(const TCanvas& Floor) {
    TCanvas c = Floor;
    Shadow(c, 14, 20, 9, 3.5);
    for (int y = 1; y < 21; ++y) {
        const double Half = 1.0 + 7.0 * (y - 1) / 20.0;
        const int x0 = int(std::lround(11.5 - Half));
        const int x1 = int(std::lround(11.5 + Half));
        for (int x = x0; x <= x1; ++x) {
            uint8_t Colour = x < 10 ? LightGrey : x < 14 ? Grey : DarkGrey;
            if (y % 5 == 0 && x > x0 && x < x1)
                Colour = Darker(Colour);
            if (x == x0 || x == x1 || y == 20)
                Colour = Ink;
            c.Put(x, y, Colour);
        }
    }
    c.Put(11, 0, Ink);
    c.Put(12, 0, Ink);
    return c;
}

TCanvas Crystals(const TCanvas& Floor) {
    TCanvas c = Floor;
    Shadow(c, 12, 19, 10, 3, 0.75);
    // Each crystal: a slanted prism from its foot (x, y) to its tip.
    const int Shards[][4] = {{7, 19, 4, 8}, {12, 20, 12, 3}, {16, 19, 19, 9}, {10, 20, 9, 12}};
    for (const auto& s : Shards) {
        for (int w = -2; w <= 2; ++w)
            c.Line(s[0] + w, s[1], s[2] + w / 2, s[3] + std::abs(w),
                   w < 0    ? White
                   : w == 0 ? LightBlue
                            : Blue);
        c.Line(s[0] - 3, s[1], s[2] - 1, s[3] + 2, Ink);
        c.Line(s[0] + 3, s[1], s[2] + 1, s[3] + 2, Ink);
        c.Put(s[2], s[3] - 1, Ink);
    }
    c.Line(4, 21, 20, 21, Ink);
    return c;
}

TCanvas Lava() {
    TCanvas c(ItemSize, ItemSize, Red);
    for (int y = 0; y < ItemSize; ++y)
        for (int x = 0; x < ItemSize; ++x) {
            const double n = FractalNoise(x + 0.5, y + 0.5, 8, 2, 4201, 3);
            if (n > 0.7)
                c.Put(x, y, Dither(x, y, (n - 0.7) * 4) ? White : Yellow);
            else if (n > 0.6)
                c.Put(x, y, Yellow);
            else if (n > 0.54 && Dither(x, y, 0.5))
                c.Put(x, y, Yellow);
            else if (n < 0.36)
                c.Put(x, y, Dither(x, y, (0.36 - n) * 5) ? Ink : Brown);
        }
    return c;
}

TCanvas Pool(const TCanvas& Floor) {
    TCanvas c = Floor;
    c.Ellipse(11.5, 12, 10, 8, Ink);
    c.Ellipse(11.5, 12, 9, 7, Grey);
    c.Ellipse(11.5, 12.5, 8, 6, DeepBlue);
    c.Ellipse(12, 13.5, 6.5, 4.2, Blue);
    c.Line(8, 10, 11, 10, LightBlue);
    c.Line(14, 15, 16, 15, LightBlue);
    c.Put(9, 9, White);
    c.Line(5, 7, 9, 5, LightGrey);
    return c;
}

TCanvas Stairs() {
    TCanvas c(ItemSize, ItemSize, Grey);
    c.FrameRect(0, 0, ItemSize, ItemSize, Ink);
    c.FillRect(1, 1, 22, 2, LightGrey);
    const uint8_t Steps[] = {LightGrey, Grey, DarkGrey, Brown, Ink};
    for (int k = 0; k < 5; ++k) {
        const int y = 3 + 4 * k;
        const int Inset = 2 + k;
        c.FillRect(Inset, y, ItemSize - 2 * Inset, 4, Steps[k]);
        c.Line(Inset, y + 3, ItemSize - Inset - 1, y + 3, k < 4 ? Darker(Steps[k]) : uint8_t(Ink));
    }
    c.FillRect(7, 19, 10, 4, Ink);
    return c;
}

TCanvas Chest(const TCanvas& Floor) {
    TCanvas c = Floor;
    Shadow(c, 13, 20, 10, 3);
    c.FillRect(3, 7, 18, 13, Ink);
    c.FillRect(4, 8, 16, 5, Brown);  // lid
    c.FillRect(4, 14, 16, 5, Brown); // body
    c.Line(4, 8, 19, 8, Sand);
    c.Line(4, 13, 19, 13, Ink);
    for (int x : {6, 16}) {
        c.FillRect(x, 8, 2, 11, Yellow);
        c.Line(x + 1, 8, x + 1, 18, Sand);
    }
    c.FillRect(10, 12, 4, 4, Yellow);
    c.Put(11, 14, Ink);
    c.Put(10, 12, White);
    return c;
}

TCanvas Bones(const TCanvas& Floor) {
    TCanvas c = Floor;
    Shadow(c, 10, 13, 7, 4);
    // Skull.
    c.Ellipse(9, 8, 6, 5.5, Ink);
    c.Ellipse(9, 8, 5, 4.5, LightGrey);
    c.FillRect(6, 11, 7, 3, LightGrey);
    c.FrameRect(5, 11, 9, 4, Ink);
    c.FillRect(6, 8, 2, 2, Ink);
    c.FillRect(10, 8, 2, 2, Ink);
    c.Put(9, 11, Ink);
    c.Put(7, 13, Ink);
    c.Put(9, 13, Ink);
    c.Put(11, 13, Ink);
    c.Line(6, 5, 8, 4, White);
    // Crossed bones.
    for (int k = 0; k < 2; ++k) {
        const int x0 = k ? 21 : 11;
        const int x1 = k ? 11 : 21;
        c.Line(x0, 15, x1, 21, Ink);
        c.Line(x0, 14, x1, 20, LightGrey);
        c.Put(x0, 13, White);
        c.Put(x1, 21, White);
        c.Put(x0 + (k ? 1 : -1), 14, White);
        c.Put(x1 + (k ? -1 : 1), 20, White);
    }
    return c;
}

} // namespace

TCanvas CaveSheet() {
    const TCanvas Floor = CaveFloorPattern();
    TCanvas Sheet = TextureSheet();
    PlaceItem(Sheet, Cave::Floor, Floor);
    PlaceItem(Sheet, Cave::CrackedFloor, Cracked(Floor));
    PlaceItem(Sheet, Cave::Rubble, Rubble(Floor));
    PlaceItem(Sheet, Cave::Stalagmite, Stalagmite(Floor));
    PlaceItem(Sheet, Cave::Crystals, Crystals(Floor));
    // Floor in the shadow of the wall, the wall's dark foot, its lit rim, rock.
    const std::vector<TEdgeBand> Wall = {
        {-2.5, 0.0, Ink, Brown, 0.45},
        {0.0, 1.0, Ink, Ink, 0.0},
        {1.0, 2.5, LightGrey, Grey, 0.4},
    };
    const TCanvas Rock = RockPattern();
    for (int Mask = 1; Mask < 16; ++Mask)
        PlaceItem(Sheet, ItemOfMask[Mask], Transition(Mask, Floor, Rock, Wall, 4001, 0.32));
    PlaceItem(Sheet, Cave::Lava, Lava());
    PlaceItem(Sheet, Cave::Pool, Pool(Floor));
    PlaceItem(Sheet, Cave::Stairs, Stairs());
    PlaceItem(Sheet, Cave::Chest, Chest(Floor));
    PlaceItem(Sheet, Cave::Bones, Bones(Floor));
    return Sheet;
}

} // namespace velkora::demo
