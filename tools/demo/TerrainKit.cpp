// SPDX-License-Identifier: MIT
#include "tools/demo/TerrainKit.h"

#include <algorithm>
#include <cmath>

namespace velkora::demo {

TCanvas TextureSheet() {
    return TCanvas(5 * ItemSize, 5 * ItemSize, Ink);
}

void PlaceItem(TCanvas& Sheet, int Item, const TCanvas& Picture) {
    Sheet.Blit(Picture, (Item % 5) * ItemSize, (Item / 5) * ItemSize);
}

TCanvas ItemOf(const TCanvas& Sheet, int Item) {
    return Sheet.Crop((Item % 5) * ItemSize, (Item / 5) * ItemSize, ItemSize, ItemSize);
}

namespace {

TCanvas Pattern(uint8_t Base) {
    TCanvas c(ItemSize, ItemSize, Base);
    c.SetWrap(true);
    return c;
}

// Noise that repeats every 24 pixels: two octaves on cells of 6 and 3 pixels.
double TileNoise(int x, int y, uint32_t Seed) {
    return FractalNoise(x + 0.5, y + 0.5, 6, 2, Seed, 4);
}

// Lighter and darker patches over a base colour.
void Mottle(TCanvas& c, uint32_t Seed, uint8_t Light, double LightFrom, uint8_t Dark,
            double DarkTo) {
    for (int y = 0; y < ItemSize; ++y)
        for (int x = 0; x < ItemSize; ++x) {
            const double n = TileNoise(x, y, Seed);
            if (n > LightFrom && Dither(x, y, (n - LightFrom) * 3))
                c.Put(x, y, Light);
            else if (n < DarkTo && Dither(x, y, (DarkTo - n) * 3))
                c.Put(x, y, Dark);
        }
}

// One feature per cell of a Cols x Rows grid, at a hashed position inside the cell.
template <class F> void Scatter(int Cols, int Rows, uint32_t Seed, F Draw) {
    const int w = ItemSize / Cols;
    const int h = ItemSize / Rows;
    for (int j = 0; j < Rows; ++j)
        for (int i = 0; i < Cols; ++i) {
            const uint32_t r = Hash(i, j, Seed);
            Draw(i * w + int(r % uint32_t(w)), j * h + int((r >> 8) % uint32_t(h)), r >> 16);
        }
}

} // namespace

TCanvas GrassPattern() {
    TCanvas c = Pattern(Green);
    Mottle(c, 11, LightGreen, 0.70, DarkGreen, 0.30);
    Scatter(4, 4, 12, [&](int x, int y, uint32_t r) {
        if (r % 4 == 0)
            return;
        c.Put(x, y, DarkGreen);
        c.Put(x - 1, y - 1, LightGreen);
        c.Put(x + 1, y - 1, LightGreen);
    });
    return c;
}

TCanvas WaterPattern() {
    TCanvas c = Pattern(Blue);
    Mottle(c, 21, Blue, 2.0, DeepBlue, 0.25);
    Scatter(3, 4, 22, [&](int x, int y, uint32_t r) {
        const int Len = 3 + int(r % 3);
        for (int i = 0; i < Len; ++i)
            c.Put(x + i, y, LightBlue);
        c.Put(x + Len, y + 1, DeepBlue);
        c.Put(x - 1, y + 1, DeepBlue);
        if (r & 8)
            c.Put(x + 1, y, White);
    });
    return c;
}

TCanvas DeepWaterPattern() {
    TCanvas c = Pattern(DeepBlue);
    for (int y = 0; y < ItemSize; ++y)
        for (int x = 0; x < ItemSize; ++x)
            if (Dither(x, y, 0.45 + 0.5 * TileNoise(x, y, 31)))
                c.Put(x, y, Blue);
    Scatter(3, 4, 32, [&](int x, int y, uint32_t r) {
        const int Len = 2 + int(r % 3);
        for (int i = 0; i < Len; ++i)
            c.Put(x + i, y, (r & 16) ? LightBlue : Blue);
        c.Put(x + Len, y + 1, DeepBlue);
        c.Put(x - 1, y + 1, DeepBlue);
    });
    return c;
}

TCanvas SandPattern() {
    TCanvas c = Pattern(Sand);
    Mottle(c, 41, PaleSand, 0.62, Brown, 0.30);
    Scatter(4, 4, 42, [&](int x, int y, uint32_t r) {
        if (r % 3 == 0) {
            c.Put(x, y, Grey);
            c.Put(x + 1, y, DarkGrey);
            c.Put(x, y - 1, LightGrey);
        } else {
            c.Put(x, y, Brown);
            c.Put(x - 1, y - 1, PaleSand);
        }
    });
    return c;
}

TCanvas CaveFloorPattern() {
    TCanvas c = Pattern(Brown);
    Mottle(c, 51, Sand, 0.68, Ink, 0.34);
    Scatter(3, 3, 52, [&](int x, int y, uint32_t r) {
        c.Put(x, y, (r & 1) ? DarkGrey : Ink);
        c.Put(x + 1, y - 1, Sand);
    });
    return c;
}

TCanvas RockPattern() {
    TCanvas c = Pattern(Grey);
    Mottle(c, 61, LightGrey, 0.60, DarkGrey, 0.40);
    // Cracks between the stones.
    Scatter(2, 2, 62, [&](int x, int y, uint32_t r) {
        const int dx = (r & 1) ? 1 : -1;
        for (int i = 0; i < 5; ++i) {
            c.Put(x + dx * i, y + i / 2, Ink);
            c.Put(x + dx * i, y + i / 2 - 1, LightGrey);
        }
    });
    return c;
}

TCanvas Transition(int Mask, const TCanvas& Outside, const TCanvas& Inside,
                   const std::vector<TEdgeBand>& Bands, uint32_t Seed, double Wiggle) {
    const double a = (Mask & 1) ? 1 : 0;
    const double b = (Mask & 2) ? 1 : 0;
    const double c = (Mask & 4) ? 1 : 0;
    const double d = (Mask & 8) ? 1 : 0;
    TCanvas Out(ItemSize, ItemSize);
    for (int y = 0; y < ItemSize; ++y)
        for (int x = 0; x < ItemSize; ++x) {
            const double u = (x + 0.5) / ItemSize;
            const double v = (y + 0.5) / ItemSize;
            // Halfway between linear and smooth steps: round pond corners without turning a
            // staircase of corners into a row of bumps.
            const double su = 0.5 * u + 0.5 * u * u * (3 - 2 * u);
            const double sv = 0.5 * v + 0.5 * v * v * (3 - 2 * v);
            const double f =
                a * (1 - su) * (1 - sv) + b * su * (1 - sv) + c * (1 - su) * sv + d * su * sv;
            const double n = FractalNoise(x + 0.5, y + 0.5, 8, 2, Seed, 3);
            const double gu = ((b - a) * (1 - sv) + (d - c) * sv) * (0.5 + 3 * u * (1 - u));
            const double gv = ((c - a) * (1 - su) + (d - b) * su) * (0.5 + 3 * v * (1 - v));
            const double Slope = std::max(std::sqrt(gu * gu + gv * gv), 0.5) / ItemSize;
            const double Dist = (f + Wiggle * (n - 0.5) - 0.5) / Slope;
            uint8_t Colour = Dist >= 0 ? Inside.At(x, y) : Outside.At(x, y);
            for (const TEdgeBand& Band : Bands)
                if (Dist >= Band.From && Dist < Band.To)
                    Colour = Dither(x, y, Band.ShareOfB) ? Band.B : Band.A;
            Out.Put(x, y, Colour);
        }
    return Out;
}

TCanvas Transposed(const TCanvas& C) {
    TCanvas Out(C.Height(), C.Width());
    for (int y = 0; y < C.Height(); ++y)
        for (int x = 0; x < C.Width(); ++x)
            Out.Put(y, x, C.At(x, y));
    return Out;
}

uint8_t Darker(uint8_t Colour) {
    static const uint8_t Table[16] = {
        Ink, // Ink
        Ink, // DarkGreen
        DarkGreen, Green,
        Ink, // DeepBlue
        DeepBlue,  Blue,
        Ink, // Brown
        Brown,     Sand,
        Ink, // DarkGrey
        DarkGrey,  Grey,
        Brown, // Red
        Sand,  // Yellow
        LightGrey,
    };
    return Table[Colour & 15];
}

void Shadow(TCanvas& C, double cx, double cy, double rx, double ry, double Strength) {
    const int x0 = int(std::floor(cx - rx));
    const int y0 = int(std::floor(cy - ry));
    for (int y = y0; y <= int(std::ceil(cy + ry)); ++y)
        for (int x = x0; x <= int(std::ceil(cx + rx)); ++x) {
            const double u = (x - cx) / rx;
            const double v = (y - cy) / ry;
            if (u * u + v * v <= 1.0 && Dither(x, y, Strength))
                C.Put(x, y, Darker(C.At(x, y)));
        }
}

void ShadedBlob(TCanvas& C, double cx, double cy, double rx, double ry, const uint8_t (&Ramp)[3],
                double Lumpiness, uint32_t Seed, int Edge) {
    const int x0 = int(std::floor(cx - rx)) - 1;
    const int y0 = int(std::floor(cy - ry)) - 1;
    const int w = int(std::ceil(cx + rx)) + 2 - x0;
    const int h = int(std::ceil(cy + ry)) + 2 - y0;
    std::vector<char> In(size_t(w) * size_t(h), 0);
    auto Inside = [&](int i, int j) {
        return i >= 0 && j >= 0 && i < w && j < h && In[size_t(j) * size_t(w) + size_t(i)];
    };
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) {
            const int x = x0 + i;
            const int y = y0 + j;
            const double dx = (x - cx) / rx;
            const double dy = (y - cy) / ry;
            const double r = std::sqrt(dx * dx + dy * dy);
            const double Rim = 1.0 - Lumpiness * 0.35 * ValueNoise(x, y, 2.5, Seed);
            In[size_t(j) * size_t(w) + size_t(i)] = r <= Rim;
        }
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) {
            if (!Inside(i, j))
                continue;
            const int x = x0 + i;
            const int y = y0 + j;
            const bool Border =
                !Inside(i - 1, j) || !Inside(i + 1, j) || !Inside(i, j - 1) || !Inside(i, j + 1);
            if (Border && Edge <= 15) {
                C.Put(x, y, uint8_t(Edge));
                continue;
            }
            const double dx = (x - cx) / rx;
            const double dy = (y - cy) / ry;
            const double nz = std::sqrt(std::max(0.0, 1.0 - dx * dx - dy * dy));
            double Light = -0.5 * dx - 0.6 * dy + 0.45 * nz;
            Light += (ValueNoise(x, y, 1.7, Seed + 1) - 0.5) * 0.7 * Lumpiness;
            uint8_t Colour = Ramp[1];
            if (Light < 0.05)
                Colour = (Light > -0.05 && Dither(x, y, 0.5)) ? Ramp[1] : Ramp[0];
            else if (Light > 0.45)
                Colour = (Light < 0.55 && Dither(x, y, 0.5)) ? Ramp[1] : Ramp[2];
            C.Put(x, y, Colour);
        }
}

} // namespace velkora::demo
