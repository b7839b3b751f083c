// SPDX-License-Identifier: MIT
// Texture 2: sand paths and squares, trees, fields, a house, bridges and a well.

#include "tools/demo/Items.h"
#include "tools/demo/Sheets.h"
#include "tools/demo/TerrainKit.h"

#include <cmath>

namespace velkora::demo {

namespace {

const uint8_t Leaves[3] = {DarkGreen, Green, LightGreen};
const uint8_t Stone[3] = {DarkGrey, Grey, LightGrey};

void Trunk(TCanvas& c, int x, int Top, int Bottom) {
    c.FillRect(x, Top, 4, Bottom - Top, Brown);
    c.Line(x + 3, Top, x + 3, Bottom - 1, Ink);
    c.Line(x, Top, x, Bottom - 2, Sand);
    c.Put(x - 1, Bottom - 1, Brown);
    c.Put(x + 4, Bottom - 1, Ink);
}

TCanvas Tree(const TCanvas& Grass) {
    TCanvas c = Grass;
    Shadow(c, 14, 19.5, 9.5, 4);
    Trunk(c, 10, 13, 21);
    ShadedBlob(c, 11.5, 9, 10.5, 8.5, Leaves, 0.9, 3001);
    return c;
}

TCanvas Forest() {
    TCanvas c(ItemSize, ItemSize, DarkGreen);
    c.SetWrap(true);
    for (int y = 0; y < ItemSize; ++y)
        for (int x = 0; x < ItemSize; ++x)
            if (Dither(x, y, 0.5))
                c.Put(x, y, Ink);
    // Crowns in staggered rows, lower ones overlapping higher ones; the ones further back in
    // shadow.
    const uint8_t Shaded[3] = {Ink, DarkGreen, Green};
    const double Crowns[][4] = {{3, 1, 6, 1},    {15, 0, 6.5, 0}, {9, 7, 6, 1},    {21, 7, 6, 0},
                                {3, 13, 6.5, 0}, {15, 13, 6, 1},  {9, 19, 6.5, 0}, {21, 19, 6, 1}};
    uint32_t Seed = 3101;
    for (const auto& k : Crowns)
        ShadedBlob(c, k[0], k[1], k[2], k[2] * 0.85, k[3] > 0 ? Shaded : Leaves, 0.9, Seed++);
    c.SetWrap(false);
    return c;
}

TCanvas Pine(const TCanvas& Grass) {
    TCanvas c = Grass;
    Shadow(c, 14, 20.5, 8, 3);
    Trunk(c, 10, 17, 22);
    // Three tiers of needles, each wider than the one above it.
    const int Tiers[][3] = {{1, 8, 5}, {5, 13, 7}, {9, 18, 9}};
    for (const auto& t : Tiers) {
        const int Top = t[0];
        const int Bottom = t[1];
        for (int y = Top; y <= Bottom; ++y) {
            const double Half = 1.0 + double(t[2]) * (y - Top) / double(Bottom - Top);
            const int x0 = int(std::lround(11.5 - Half));
            const int x1 = int(std::lround(11.5 + Half));
            for (int x = x0; x <= x1; ++x) {
                uint8_t Colour = x < 12 ? Green : DarkGreen;
                if (x < 9 && (x + y) % 3 == 0)
                    Colour = LightGreen;
                if (x == x0 || x == x1 || y == Bottom)
                    Colour = Ink;
                c.Put(x, y, Colour);
            }
        }
    }
    c.Put(11, 0, Ink);
    c.Put(12, 0, Ink);
    return c;
}

TCanvas Boulder(const TCanvas& Grass) {
    TCanvas c = Grass;
    Shadow(c, 14, 17, 10, 5);
    ShadedBlob(c, 11.5, 12, 10, 8, Stone, 0.5, 3201);
    c.Line(9, 9, 12, 12, Ink);
    c.Line(12, 12, 12, 16, Ink);
    c.Line(10, 9, 13, 12, LightGrey);
    // Moss on the top.
    const int Moss[][2] = {{8, 6}, {9, 6}, {10, 5}, {11, 5}, {12, 5}, {9, 7}, {14, 6}, {15, 6}};
    for (const auto& m : Moss)
        c.Put(m[0], m[1], (m[0] + m[1]) % 2 ? Green : LightGreen);
    return c;
}

TCanvas Crops() {
    TCanvas c(ItemSize, ItemSize, Brown);
    for (int y = 0; y < ItemSize; ++y)
        for (int x = 0; x < ItemSize; ++x) {
            const int Row = y % 6;
            if (Row == 5 && Dither(x, y, 0.6))
                c.Put(x, y, Ink);
            if (Row == 0 && Dither(x, y, 0.4))
                c.Put(x, y, Sand);
        }
    for (int Row = 0; Row < 4; ++Row)
        for (int k = 0; k < 6; ++k) {
            const int x = 4 * k + 1 + (Row % 2) * 2;
            const int y = 6 * Row + 3;
            c.Put(x, y, DarkGreen);
            c.Put(x - 1, y - 1, Green);
            c.Put(x + 1, y - 1, Green);
            c.Put(x, y - 2, LightGreen);
            if ((k + Row) % 3 == 0)
                c.Put(x, y - 2, Yellow);
        }
    return c;
}

// The deck of a bridge running west-east, on a White background that marks what stays water.
TCanvas BridgeDeck() {
    TCanvas c(ItemSize, ItemSize, White);
    c.FillRect(0, 18, ItemSize, 3, DeepBlue);
    c.FillRect(0, 5, ItemSize, 13, Sand);
    for (int x = 0; x < ItemSize; ++x) {
        for (int y = 5; y < 18; ++y) {
            if (x % 4 == 3)
                c.Put(x, y, Brown);
            else if (x % 4 == 0 && Dither(x, y, 0.4))
                c.Put(x, y, PaleSand);
        }
        // Nail heads.
        if (x % 4 == 1) {
            c.Put(x, 7, Brown);
            c.Put(x, 15, Brown);
        }
    }
    c.FillRect(0, 3, ItemSize, 2, Brown);
    c.Line(0, 3, ItemSize - 1, 3, Sand);
    c.Line(0, 2, ItemSize - 1, 2, Ink);
    c.FillRect(0, 17, ItemSize, 1, Brown);
    c.Line(0, 18, ItemSize - 1, 18, Ink);
    for (int x = 2; x < ItemSize; x += 12) {
        c.FillRect(x, 1, 3, 5, Brown);
        c.Line(x, 1, x + 2, 1, PaleSand);
        c.Line(x + 2, 2, x + 2, 5, Ink);
        c.FillRect(x, 17, 3, 3, Brown);
        c.Line(x + 2, 17, x + 2, 19, Ink);
    }
    return c;
}

TCanvas Well(const TCanvas& Grass) {
    TCanvas c = Grass;
    Shadow(c, 14, 18, 10, 5);
    c.Ellipse(11.5, 15, 9, 6.5, Ink);
    ShadedBlob(c, 11.5, 15, 8.5, 6, Stone, 0.2, 3301, 16);
    c.Ellipse(11.5, 14, 5.5, 3.5, Ink);
    c.Ellipse(11.5, 14.5, 4.5, 2.5, DeepBlue);
    c.Line(9, 14, 11, 14, Blue);
    // Stones of the ring.
    for (int x = 4; x < 20; x += 3) {
        c.Put(x, 18 + (x % 2), DarkGrey);
        c.Put(x, 11 - (x % 2), DarkGrey);
    }
    // Posts, beam, roof and bucket.
    c.FillRect(3, 4, 2, 12, Brown);
    c.FillRect(19, 4, 2, 12, Brown);
    c.Line(4, 4, 4, 15, Ink);
    c.Line(20, 4, 20, 15, Ink);
    c.FillRect(3, 5, 18, 2, Brown);
    c.Line(3, 5, 20, 5, Sand);
    for (int y = 0; y < 5; ++y)
        c.Line(7 - y, y, 16 + y, y, y == 4 ? Ink : Red);
    c.Line(7, 0, 16, 0, Yellow);
    c.Line(12, 7, 12, 9, Ink);
    c.FillRect(11, 10, 3, 3, Grey);
    c.Line(11, 10, 13, 10, LightGrey);
    c.Line(13, 11, 13, 12, Ink);
    return c;
}

// A house of 2 x 2 items, 48 x 48 pixels: a tiled roof over a timbered wall with a window and a
// door.
TCanvas House(const TCanvas& Grass) {
    TCanvas c(2 * ItemSize, 2 * ItemSize);
    for (int y = 0; y < 2 * ItemSize; y += ItemSize)
        for (int x = 0; x < 2 * ItemSize; x += ItemSize)
            c.Blit(Grass, x, y);
    for (int y = 8; y < 47; ++y)
        for (int x = 43; x < 47; ++x)
            c.Put(x, y, Darker(c.At(x, y)));
    for (int y = 45; y < 47; ++y)
        for (int x = 6; x < 43; ++x)
            c.Put(x, y, Darker(c.At(x, y)));

    // Wall: plaster between timbers, on a stone footing.
    c.FillRect(5, 25, 38, 18, PaleSand);
    for (int y = 25; y < 43; ++y)
        for (int x = 5; x < 43; ++x)
            if (Dither(x, y, 0.12 + 0.5 * (y < 28)))
                c.Put(x, y, Sand);
    c.FillRect(5, 40, 38, 2, Brown);
    for (int x : {5, 23, 41})
        c.FillRect(x, 25, 2, 16, Brown);
    c.FillRect(4, 42, 40, 3, Grey);
    for (int x = 4; x < 44; x += 4) {
        c.Put(x, 43 + (x / 4) % 2, DarkGrey);
        c.Put(x + 1, 42, LightGrey);
    }
    c.Line(4, 45, 43, 45, Ink);
    c.Line(4, 25, 4, 44, Ink);
    c.Line(43, 25, 43, 44, Ink);

    // Window with a flower box.
    c.FillRect(10, 28, 10, 9, Brown);
    c.FillRect(11, 29, 8, 7, LightBlue);
    c.Line(15, 29, 15, 35, Brown);
    c.Line(11, 32, 18, 32, Brown);
    c.Put(12, 30, White);
    c.Put(13, 30, White);
    c.Put(12, 31, White);
    c.Put(16, 33, White);
    c.Line(11, 35, 14, 35, Blue);
    c.Line(16, 35, 18, 35, Blue);
    c.FillRect(9, 37, 12, 2, Brown);
    c.Line(9, 39, 20, 39, Ink);
    for (int x = 10; x < 20; x += 2) {
        c.Put(x, 36, x % 4 ? Red : Yellow);
        c.Put(x + 1, 36, Green);
    }

    // Door under a lintel, a step and a lamp.
    c.FillRect(28, 29, 10, 14, Ink);
    c.FillRect(29, 30, 8, 13, Brown);
    for (int x = 29; x < 37; x += 3)
        c.Line(x, 30, x, 42, Sand);
    c.Line(29, 30, 36, 30, Sand);
    c.Put(35, 36, Yellow);
    c.FillRect(27, 43, 12, 2, LightGrey);
    c.Line(27, 44, 38, 44, Grey);
    c.Put(39, 30, Ink);
    c.FillRect(39, 31, 2, 3, Yellow);
    c.Put(40, 31, White);
    c.Line(39, 34, 40, 34, Ink);

    // Roof: rows of staggered tiles, lit on the left, under a ridge, with its shadow on the wall.
    c.FillRect(2, 2, 44, 23, Red);
    for (int y = 4; y < 24; ++y) {
        const int Row = (y - 4) % 4;
        const int Shift = ((y - 4) / 4 % 2) * 2;
        for (int x = 2; x < 46; ++x) {
            if (Row == 3)
                c.Put(x, y, Brown);
            else if ((x + Shift) % 4 == 0)
                c.Put(x, y, Brown);
            else if (Row == 0 && Dither(x, y, 0.6 - 0.013 * x))
                c.Put(x, y, Yellow);
        }
    }
    c.FillRect(2, 2, 44, 2, Brown);
    c.Line(2, 2, 45, 2, Sand);
    c.FrameRect(1, 1, 46, 24, Ink);
    c.Line(5, 25, 42, 25, Ink);
    for (int x = 6; x < 43; ++x)
        if (Dither(x, 26, 0.5))
            c.Put(x, 26, Sand);

    // Chimney.
    c.FillRect(32, 0, 6, 10, Grey);
    c.Line(32, 0, 32, 9, LightGrey);
    c.Line(37, 0, 37, 9, DarkGrey);
    c.FillRect(31, 0, 8, 2, DarkGrey);
    c.Line(31, 0, 38, 0, LightGrey);
    c.Line(30, 0, 30, 10, Ink);
    c.Line(39, 0, 39, 10, Ink);
    c.Line(31, 10, 38, 10, Brown);
    return c;
}

} // namespace

TCanvas VillageSheet() {
    const TCanvas Grass = GrassPattern();
    const TCanvas Water = WaterPattern();
    TCanvas Sheet = TextureSheet();
    auto Put = [&](int Value, const TCanvas& Picture) { PlaceItem(Sheet, Value - 25, Picture); };
    Put(Village::Tree, Tree(Grass));
    Put(Village::Forest, Forest());
    Put(Village::Pine, Pine(Grass));
    Put(Village::Boulder, Boulder(Grass));
    Put(Village::Crops, Crops());
    // Grass, a darker edge, the worn border of the path, sand.
    const std::vector<TEdgeBand> Path = {
        {-1.6, 0.0, DarkGreen, Green, 0.35},
        {0.0, 1.3, Brown, Sand, 0.5},
    };
    const TCanvas Sand = SandPattern();
    for (int Mask = 1; Mask < 16; ++Mask)
        if (Mask != 6 && Mask != 9)
            PlaceItem(Sheet, ItemOfMask[Mask], Transition(Mask, Grass, Sand, Path, 3401, 0.3));
    const TCanvas Building = House(Grass);
    Put(Village::RoofLeft, Building.Crop(0, 0, ItemSize, ItemSize));
    Put(Village::RoofRight, Building.Crop(ItemSize, 0, ItemSize, ItemSize));
    Put(Village::WallWindow, Building.Crop(0, ItemSize, ItemSize, ItemSize));
    Put(Village::WallDoor, Building.Crop(ItemSize, ItemSize, ItemSize, ItemSize));
    TCanvas Across = Water;
    Across.Blit(BridgeDeck(), 0, 0, White);
    Put(Village::BridgeAcross, Across);
    TCanvas Down = Water;
    Down.Blit(Transposed(BridgeDeck()), 0, 0, White);
    Put(Village::BridgeDown, Down);
    Put(Village::Well, Well(Grass));
    return Sheet;
}

} // namespace velkora::demo
