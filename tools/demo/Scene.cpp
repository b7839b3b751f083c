// SPDX-License-Identifier: MIT
#include "tools/demo/Scene.h"

#include "tools/demo/Canvas.h"
#include "tools/demo/Items.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace velkora::demo {

namespace {

double SegmentDistance(TPt p, TPt a, TPt b) {
    const double vx = b.x - a.x;
    const double vy = b.y - a.y;
    const double Len2 = vx * vx + vy * vy;
    double t = Len2 > 0 ? ((p.x - a.x) * vx + (p.y - a.y) * vy) / Len2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    const double dx = p.x - (a.x + t * vx);
    const double dy = p.y - (a.y + t * vy);
    return std::sqrt(dx * dx + dy * dy);
}

double LineDistance(TPt p, const std::vector<TPt>& Points) {
    double Best = std::numeric_limits<double>::max();
    for (size_t k = 0; k + 1 < Points.size(); ++k)
        Best = std::min(Best, SegmentDistance(p, Points[k], Points[k + 1]));
    if (Points.size() == 1)
        Best = SegmentDistance(p, Points[0], Points[0]);
    return Best;
}

} // namespace

TScene::TScene(int Width, int Height, uint32_t Seed)
    : fWidth(Width), fHeight(Height), fSeed(Seed),
      fWater(size_t(Width + 1) * size_t(Height + 1), 0),
      fSand(size_t(Width + 1) * size_t(Height + 1), 0), fPlaced(size_t(Width) * size_t(Height), -1),
      fWood(size_t(Width) * size_t(Height), 0) {}

double TScene::Noise(double x, double y, uint32_t Salt) const {
    return FractalNoise(x, y, 3.0, 2, fSeed + Salt) - 0.5;
}

void TScene::SetWater(int i, int j, bool Water) {
    if (i >= 0 && j >= 0 && i <= fWidth && j <= fHeight)
        fWater[Corner(i, j)] = Water;
}

void TScene::SetSand(int i, int j, bool Sand) {
    if (i >= 0 && j >= 0 && i <= fWidth && j <= fHeight)
        fSand[Corner(i, j)] = Sand;
}

bool TScene::Water(int i, int j) const {
    i = std::clamp(i, 0, fWidth);
    j = std::clamp(j, 0, fHeight);
    return fWater[Corner(i, j)] != 0;
}

bool TScene::Sand(int i, int j) const {
    i = std::clamp(i, 0, fWidth);
    j = std::clamp(j, 0, fHeight);
    return fSand[Corner(i, j)] != 0;
}

void TScene::Ellipse(double cx, double cy, double rx, double ry, double Rough, bool Water) {
    for (int j = 0; j <= fHeight; ++j)
        for (int i = 0; i <= fWidth; ++i) {
            const double u = (i - cx) / rx;
            const double v = (j - cy) / ry;
            if (std::sqrt(u * u + v * v) + Rough * Noise(i, j, 1) / std::min(rx, ry) <= 1.0)
                SetWater(i, j, Water);
        }
}

void TScene::WaterEllipse(double cx, double cy, double rx, double ry, double Rough) {
    Ellipse(cx, cy, rx, ry, Rough, true);
}

void TScene::LandEllipse(double cx, double cy, double rx, double ry, double Rough) {
    Ellipse(cx, cy, rx, ry, Rough, false);
}

void TScene::WaterLine(const std::vector<TPt>& Points, double HalfWidth, double Rough) {
    for (int j = 0; j <= fHeight; ++j)
        for (int i = 0; i <= fWidth; ++i)
            if (LineDistance({double(i), double(j)}, Points) + Rough * Noise(i, j, 2) <= HalfWidth)
                SetWater(i, j, true);
}

void TScene::SandLine(const std::vector<TPt>& Points, double HalfWidth) {
    for (int j = 0; j <= fHeight; ++j)
        for (int i = 0; i <= fWidth; ++i)
            if (LineDistance({double(i), double(j)}, Points) <= HalfWidth)
                SetSand(i, j, true);
}

void TScene::SandRect(int x0, int y0, int x1, int y1) {
    for (int j = y0; j <= y1; ++j)
        for (int i = x0; i <= x1; ++i)
            SetSand(i, j, true);
}

void TScene::SmoothGround() {
    auto Majority = [&](const std::vector<uint8_t>& Grid) {
        std::vector<uint8_t> Out = Grid;
        for (int j = 0; j <= fHeight; ++j)
            for (int i = 0; i <= fWidth; ++i) {
                int Count = 0;
                for (int dj = -1; dj <= 1; ++dj)
                    for (int di = -1; di <= 1; ++di) {
                        const int x = std::clamp(i + di, 0, fWidth);
                        const int y = std::clamp(j + dj, 0, fHeight);
                        Count += Grid[Corner(x, y)] != 0;
                    }
                Out[Corner(i, j)] = Count >= 5;
            }
        return Out;
    };
    fWater = Majority(fWater);
    fSand = Majority(fSand);
}

void TScene::Place(int x, int y, uint8_t Value) {
    if (x >= 0 && y >= 0 && x < fWidth && y < fHeight)
        fPlaced[Cell(x, y)] = Value;
}

bool TScene::Placed(int x, int y) const {
    return x >= 0 && y >= 0 && x < fWidth && y < fHeight && fPlaced[Cell(x, y)] >= 0;
}

void TScene::House(int x, int y) {
    Place(x, y, Village::RoofLeft);
    Place(x + 1, y, Village::RoofRight);
    Place(x, y + 1, Village::WallWindow);
    Place(x + 1, y + 1, Village::WallDoor);
}

void TScene::SetWood(int x, int y, bool Wood) {
    if (x >= 0 && y >= 0 && x < fWidth && y < fHeight)
        fWood[Cell(x, y)] = Wood;
}

bool TScene::Wooded(int x, int y) const {
    return x >= 0 && y >= 0 && x < fWidth && y < fHeight && fWood[Cell(x, y)];
}

void TScene::Wood(double cx, double cy, double rx, double ry, double Rough) {
    for (int y = 0; y < fHeight; ++y)
        for (int x = 0; x < fWidth; ++x) {
            const double u = (x + 0.5 - cx) / rx;
            const double v = (y + 0.5 - cy) / ry;
            if (std::sqrt(u * u + v * v) + Rough * Noise(x, y, 3) / std::min(rx, ry) <= 1.0)
                SetWood(x, y, true);
        }
}

void TScene::Sprinkle(uint8_t Value, double Chance, uint32_t Salt) {
    for (int y = 0; y < fHeight; ++y)
        for (int x = 0; x < fWidth; ++x)
            if (!fWood[Cell(x, y)] && PlainGrass(x, y) && Random01(x, y, fSeed + Salt) < Chance)
                Place(x, y, Value);
}

int TScene::WaterMask(int x, int y) const {
    return int(Water(x, y)) | int(Water(x + 1, y)) << 1 | int(Water(x, y + 1)) << 2 |
           int(Water(x + 1, y + 1)) << 3;
}

int TScene::SandMask(int x, int y) const {
    return int(Sand(x, y)) | int(Sand(x + 1, y)) << 1 | int(Sand(x, y + 1)) << 2 |
           int(Sand(x + 1, y + 1)) << 3;
}

bool TScene::PlainGrass(int x, int y) const {
    return !Placed(x, y) && WaterMask(x, y) == 0 && SandMask(x, y) == 0;
}

// A cell cannot show water and sand at once: sand gives way within one corner of water.
void TScene::ClearSandNearWater() {
    std::vector<uint8_t> Keep = fSand;
    for (int j = 0; j <= fHeight; ++j)
        for (int i = 0; i <= fWidth; ++i)
            for (int dj = -1; dj <= 1; ++dj)
                for (int di = -1; di <= 1; ++di)
                    if (Water(i + di, j + dj))
                        Keep[Corner(i, j)] = 0;
    fSand = Keep;
}

// The village texture has no items for sand at two opposite corners only: such a cell gets a
// third sand corner, or loses one where a third would touch water. A corner that lost its sand
// never gets it back, so this ends.
void TScene::RemoveSandDiagonals() {
    auto NearWater = [&](int i, int j) {
        for (int dj = -1; dj <= 1; ++dj)
            for (int di = -1; di <= 1; ++di)
                if (Water(i + di, j + dj))
                    return true;
        return false;
    };
    std::vector<uint8_t> Lost(fSand.size(), 0);
    for (bool Changed = true; Changed;) {
        Changed = false;
        for (int y = 0; y < fHeight; ++y)
            for (int x = 0; x < fWidth; ++x) {
                const int m = SandMask(x, y);
                if (m != 6 && m != 9)
                    continue;
                // The two empty corners, the one north first.
                const int Empty[2][2] = {{m == 6 ? x : x + 1, y}, {m == 6 ? x + 1 : x, y + 1}};
                bool Done = false;
                for (const auto& e : Empty)
                    if (!Done && !NearWater(e[0], e[1]) && !Lost[Corner(e[0], e[1])]) {
                        SetSand(e[0], e[1], true);
                        Done = true;
                    }
                if (!Done) {
                    const int i = m == 6 ? x + 1 : x;
                    SetSand(i, y, false);
                    Lost[Corner(i, y)] = 1;
                }
                Changed = true;
            }
    }
}

uint8_t TScene::WaterItem(int x, int y, int Mask) const {
    if (Mask != 15)
        return ItemOfMask[size_t(Mask)];
    bool Deep = fDeep;
    for (int j = y - 2; j <= y + 3 && Deep; ++j)
        for (int i = x - 2; i <= x + 3 && Deep; ++i)
            Deep = Water(i, j);
    if (Deep)
        return Land::DeepWater;
    const double r = Random01(x, y, fSeed + 11);
    if (r < 0.06)
        return Land::Lilies;
    if (r < 0.08)
        return Land::WaterRock;
    return Land::Water;
}

uint8_t TScene::GrassItem(int x, int y) const {
    const double r = Random01(x, y, fSeed + 12);
    const uint8_t Decor[] = {Land::GrassTufts, Land::GrassTufts, Land::Daisies, Land::Poppies,
                             Land::TallGrass,  Land::TallGrass,  Land::Stones,  Land::Bush};
    if (r < 0.74)
        return Land::Grass;
    return Decor[size_t((r - 0.74) / 0.26 * 8)];
}

void TScene::Settle() {
    ClearSandNearWater();
    RemoveSandDiagonals();
}

TMyByteArray TScene::Cells() {
    Settle();
    TMyByteArray Out(size_t(fWidth) * size_t(fHeight), Land::Grass);
    for (int y = 0; y < fHeight; ++y)
        for (int x = 0; x < fWidth; ++x) {
            uint8_t& v = Out[Cell(x, y)];
            const int Wm = WaterMask(x, y);
            const int Sm = SandMask(x, y);
            if (Placed(x, y))
                v = uint8_t(fPlaced[Cell(x, y)]);
            else if (Wm != 0)
                v = WaterItem(x, y, Wm);
            else if (Sm != 0)
                v = uint8_t(25 + ItemOfMask[size_t(Sm)]);
            else if (fWood[Cell(x, y)]) {
                static const int Steps[4][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
                bool Inner = true;
                for (const auto& d : Steps) {
                    const int i = x + d[0];
                    const int j = y + d[1];
                    if (i >= 0 && j >= 0 && i < fWidth && j < fHeight &&
                        (!fWood[Cell(i, j)] || !PlainGrass(i, j)))
                        Inner = false;
                }
                const double r = Random01(x, y, fSeed + 13);
                v = Inner     ? (r < 0.04 ? Village::Tree : Village::Forest)
                    : r < 0.6 ? Village::Tree
                              : Village::Pine;
            } else
                v = GrassItem(x, y);
        }
    return Out;
}

} // namespace velkora::demo
