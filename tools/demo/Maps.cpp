// SPDX-License-Identifier: MIT
// The demo maps: small painted scenes and one large generated world.

#include "tools/demo/Canvas.h"
#include "tools/demo/Demo.h"
#include "tools/demo/Items.h"
#include "tools/demo/Scene.h"

namespace velkora::demo {

namespace {

// Bridges over every cell of row y between x0 and x1 that touches water.
void BridgeAcross(TScene& s, int y, int x0, int x1) {
    for (int x = x0; x <= x1; ++x)
        if (s.Water(x, y) || s.Water(x + 1, y) || s.Water(x, y + 1) || s.Water(x + 1, y + 1))
            s.Place(x, y, Village::BridgeAcross);
}

void PlaceIfGrass(TScene& s, int x, int y, uint8_t Value) {
    if (s.PlainGrass(x, y))
        s.Place(x, y, Value);
}

TDemoMap Finish(const QString& Name, TScene& s, bool ColumnByColumn = false) {
    TDemoMap m;
    m.Name = Name;
    m.Width = s.Width();
    m.Height = s.Height();
    m.Cells = s.Cells();
    m.ColumnByColumn = ColumnByColumn;
    return m;
}

} // namespace

TDemoMap MeadowMap() {
    TScene s(20, 15, 101);
    s.SetDeepWater(false);
    s.WaterEllipse(6.5, 4.5, 4.5, 3.2, 1.2);
    s.WaterLine({{7, 7}, {8.5, 10}, {8, 13}, {9, 16}}, 0.9, 0.4);
    s.SandLine({{-1, 11.5}, {16.5, 11.5}}, 0.55);
    s.SandLine({{14.5, 11.5}, {14.5, 5.5}}, 0.55);
    s.SandRect(11, 4, 18, 6);
    s.Settle();
    BridgeAcross(s, 11, 5, 12);
    s.House(11, 2);
    s.House(16, 2);
    s.Place(14, 3, Village::Well);
    for (int y = 13; y < 15; ++y)
        for (int x = 14; x < 19; ++x)
            s.Place(x, y, Village::Crops);
    s.Wood(1.5, 13.5, 3.5, 2.5, 0.5);
    s.Wood(19, 10, 2.5, 4, 0.5);
    PlaceIfGrass(s, 1, 1, Village::Tree);
    PlaceIfGrass(s, 13, 0, Village::Pine);
    PlaceIfGrass(s, 11, 9, Village::Tree);
    PlaceIfGrass(s, 10, 13, Village::Boulder);
    return Finish(QStringLiteral("Level1.Map"), s);
}

TDemoMap VillageMap() {
    TScene s(64, 48, 202);
    s.SetDeepWater(false);
    // A lake in the north-west draining into a river that winds south-east.
    s.WaterEllipse(14, 11, 11, 7, 2.5);
    s.LandEllipse(11, 10, 2.2, 1.6, 0.5);
    s.WaterLine({{23, 13}, {31, 16}, {36, 23}, {34, 31}, {38, 39}, {41, 49}}, 1.3, 0.6);
    s.WaterEllipse(9, 37, 4, 3, 1);
    // The high road west to east, a lane to the square and the south gate.
    s.SandLine({{-1, 27.5}, {18, 27.5}, {28, 26.5}, {52, 26.5}, {65, 27.5}}, 0.55);
    s.SandLine({{50.5, 26.5}, {50.5, 20}}, 0.55);
    s.SandLine({{50.5, 26.5}, {51.5, 36}, {51.5, 49}}, 0.55);
    s.SandLine({{44, 34.5}, {51.5, 34.5}}, 0.55);
    s.SandRect(43, 17, 58, 19);
    s.Settle();
    BridgeAcross(s, 26, 30, 42);
    // The village around the square, houses south of the road, its fields and well.
    s.House(43, 15);
    s.House(47, 15);
    s.House(53, 15);
    s.House(56, 15);
    s.House(42, 32);
    s.House(46, 32);
    s.Place(51, 16, Village::Well);
    for (int y = 30; y < 36; ++y)
        for (int x = 55; x < 62; ++x)
            s.Place(x, y, Village::Crops);
    for (int y = 31; y < 35; ++y)
        for (int x = 20; x < 27; ++x)
            s.Place(x, y, Village::Crops);
    // Woods, and trees, stones and flowers over the meadows.
    s.Wood(56, 5, 12, 6, 2);
    s.Wood(7, 45, 10, 5, 2);
    s.Wood(26, 41, 5, 3.5, 1.5);
    s.Wood(3, 22, 3, 3, 1);
    s.Sprinkle(Village::Tree, 0.035, 1);
    s.Sprinkle(Village::Pine, 0.015, 2);
    s.Sprinkle(Village::Boulder, 0.008, 3);
    return Finish(QStringLiteral("Level2.Map"), s);
}

TDemoMap IslandMap() {
    TScene s(32, 32, 303);
    s.WaterEllipse(16, 16, 40, 40, 0);
    s.LandEllipse(16, 15, 11.5, 10, 3);
    s.LandEllipse(24, 22, 4, 3, 1);
    s.WaterEllipse(12, 17, 2.2, 1.6, 0.4);
    s.SandLine({{16.5, 12}, {16.5, 24}}, 0.55);
    s.SandRect(15, 11, 19, 13);
    s.Settle();
    s.House(16, 9);
    s.Place(19, 10, Village::Well);
    for (int y = 23; y < 31; ++y)
        s.Place(16, y, Village::BridgeDown);
    for (int y = 15; y < 18; ++y)
        for (int x = 20; x < 24; ++x)
            s.Place(x, y, Village::Crops);
    s.Wood(10, 8, 6, 4, 1.5);
    s.Sprinkle(Village::Tree, 0.06, 1);
    s.Sprinkle(Village::Boulder, 0.02, 2);
    return Finish(QStringLiteral("Level3.Map"), s, true);
}

// A generated world: height and moisture noise make seas, lakes, meadows, woods, rocky hills and
// sandy heaths; a few hamlets lie on open grass.
TDemoMap WorldMap() {
    const int n = 512;
    TScene s(n, n, 404);
    for (int j = 0; j <= n; ++j)
        for (int i = 0; i <= n; ++i) {
            const double h = FractalNoise(i, j, 48, 4, 405);
            const double Dry = FractalNoise(i, j, 40, 3, 406);
            if (h < 0.43)
                s.SetWater(i, j, true);
            else if (Dry > 0.67)
                s.SetSand(i, j, true);
        }
    s.SmoothGround();
    s.Settle();
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const double h = FractalNoise(x + 0.5, y + 0.5, 48, 4, 405);
            const double Wood = FractalNoise(x, y, 24, 3, 407);
            if (Wood > 0.6 && h > 0.47)
                s.SetWood(x, y, true);
            if (h > 0.66 && s.PlainGrass(x, y) && Random01(x, y, 408) < 0.25)
                s.Place(x, y, h > 0.7 ? Village::Boulder : Village::Pine);
        }
    // Hamlets: in each 32 x 32 block, maybe one house with a field where the grass is open.
    for (int by = 0; by < n / 32; ++by)
        for (int bx = 0; bx < n / 32; ++bx) {
            const uint32_t r = Hash(bx, by, 409);
            if (r % 3 != 0)
                continue;
            const int x = bx * 32 + 4 + int((r >> 4) % 22);
            const int y = by * 32 + 4 + int((r >> 12) % 22);
            bool Open = true;
            for (int j = y - 1; j < y + 4 && Open; ++j)
                for (int i = x - 1; i < x + 6 && Open; ++i)
                    Open = s.PlainGrass(i, j) && !s.Wooded(i, j);
            if (!Open)
                continue;
            s.House(x, y);
            s.Place(x + 2, y + 1, Village::Well);
            for (int i = x; i < x + 5; ++i)
                s.Place(i, y + 2, Village::Crops);
        }
    return Finish(QStringLiteral("World512.Map"), s);
}

} // namespace velkora::demo
