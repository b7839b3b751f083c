// SPDX-License-Identifier: MIT
#pragma once
// A map under construction: water and sand held at the cells' corners (so that every cell can
// be given the transition item its four corners ask for), woods and things held per cell.
// Cells() turns it into map cell values for texture set 0 (Land with Village).

#include "shell/MyTypes.h"

#include <cstdint>
#include <vector>

namespace velkora::demo {

struct TPt {
    double x;
    double y;
};

class TScene {
public:
    TScene(int Width, int Height, uint32_t Seed);

    int Width() const { return fWidth; }
    int Height() const { return fHeight; }

    // Ground at the corners, in corner coordinates (0 to Width, 0 to Height); Rough (in corners)
    // roughens the outline with noise.
    void WaterEllipse(double cx, double cy, double rx, double ry, double Rough);
    // Takes the water away inside the ellipse (an island).
    void LandEllipse(double cx, double cy, double rx, double ry, double Rough);
    void WaterLine(const std::vector<TPt>& Points, double HalfWidth, double Rough);
    void SandLine(const std::vector<TPt>& Points, double HalfWidth);
    void SandRect(int x0, int y0, int x1, int y1); // corners x0..x1, y0..y1
    void SetWater(int i, int j, bool Water);
    void SetSand(int i, int j, bool Sand);
    bool Water(int i, int j) const;
    bool Sand(int i, int j) const;
    // Gives every corner the water and sand of most of its 3 x 3 neighbourhood, which removes
    // single-corner notches and spikes from long shores.
    void SmoothGround();

    // Whether water far from any shore shows as deep water (on by default; lakes and rivers
    // look better without).
    void SetDeepWater(bool Deep) { fDeep = Deep; }

    // Resolves the ground: sand gives way near water, and cells with sand at two opposite corners
    // only (which have no item) get a third, or lose one where a third would touch water. Call
    // it after the ground is laid and before things are placed by the ground they stand on;
    // Cells() calls it again.
    void Settle();

    // Things on cells (cell coordinates). A placed value wins over everything else.
    void Place(int x, int y, uint8_t Value);
    bool Placed(int x, int y) const;
    // A house of 2 x 2 cells with its top left at (x, y).
    void House(int x, int y);
    // Marks the cells of an ellipse (cell coordinates) as wood; Rough as for the ground.
    void Wood(double cx, double cy, double rx, double ry, double Rough);
    void SetWood(int x, int y, bool Wood);
    bool Wooded(int x, int y) const;
    // Places Value on a share Chance of the plain grass cells outside the woods.
    void Sprinkle(uint8_t Value, double Chance, uint32_t Salt);
    // True when the cell has neither water nor sand at a corner and nothing placed on it.
    bool PlainGrass(int x, int y) const;

    // The map cells, row by row.
    TMyByteArray Cells();

private:
    size_t Corner(int i, int j) const { return size_t(j) * size_t(fWidth + 1) + size_t(i); }
    size_t Cell(int x, int y) const { return size_t(y) * size_t(fWidth) + size_t(x); }
    int WaterMask(int x, int y) const;
    int SandMask(int x, int y) const;
    double Noise(double x, double y, uint32_t Salt) const;
    void Ellipse(double cx, double cy, double rx, double ry, double Rough, bool Water);
    void ClearSandNearWater();
    void RemoveSandDiagonals();
    uint8_t WaterItem(int x, int y, int Mask) const;
    uint8_t GrassItem(int x, int y) const;

    int fWidth;
    int fHeight;
    uint32_t fSeed;
    bool fDeep = true;
    std::vector<uint8_t> fWater;  // per corner
    std::vector<uint8_t> fSand;   // per corner
    std::vector<int16_t> fPlaced; // per cell, -1 when nothing is placed
    std::vector<uint8_t> fWood;   // per cell
};

} // namespace velkora::demo
