// SPDX-License-Identifier: MIT
#include "tools/demo/Canvas.h"

#include <algorithm>
#include <cmath>

namespace velkora::demo {

uint32_t Hash(int32_t x, int32_t y, uint32_t Seed) {
    uint32_t h = uint32_t(x) * 0x8DA6B343u ^ uint32_t(y) * 0xD8163841u ^ Seed * 0xCB1AB31Fu;
    h ^= h >> 16;
    h *= 0x85EBCA6Bu;
    h ^= h >> 13;
    h *= 0xC2B2AE35u;
    h ^= h >> 16;
    return h;
}

double Random01(int32_t x, int32_t y, uint32_t Seed) {
    return double(Hash(x, y, Seed) >> 8) / double(1u << 24);
}

namespace {

int FloorDiv(double v) {
    return int(std::floor(v));
}

int WrapIndex(int i, int Period) {
    if (Period <= 0)
        return i;
    const int m = i % Period;
    return m < 0 ? m + Period : m;
}

double Smooth(double t) {
    return t * t * (3.0 - 2.0 * t);
}

} // namespace

double ValueNoise(double x, double y, double Cell, uint32_t Seed, int Period) {
    const double gx = x / Cell;
    const double gy = y / Cell;
    const int ix = FloorDiv(gx);
    const int iy = FloorDiv(gy);
    const double fx = Smooth(gx - ix);
    const double fy = Smooth(gy - iy);
    const int x0 = WrapIndex(ix, Period);
    const int x1 = WrapIndex(ix + 1, Period);
    const int y0 = WrapIndex(iy, Period);
    const int y1 = WrapIndex(iy + 1, Period);
    const double a = Random01(x0, y0, Seed);
    const double b = Random01(x1, y0, Seed);
    const double c = Random01(x0, y1, Seed);
    const double d = Random01(x1, y1, Seed);
    const double top = a + (b - a) * fx;
    const double bottom = c + (d - c) * fx;
    return top + (bottom - top) * fy;
}

double FractalNoise(double x, double y, double Cell, int Octaves, uint32_t Seed, int Period) {
    double Sum = 0;
    double Weight = 1;
    double Total = 0;
    for (int o = 0; o < Octaves; ++o) {
        Sum += Weight * ValueNoise(x, y, Cell, Seed + uint32_t(o) * 7919u, Period);
        Total += Weight;
        Weight *= 0.5;
        Cell *= 0.5;
        Period *= 2;
    }
    return Sum / Total;
}

bool Dither(int x, int y, double Level) {
    static const int Bayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    return Level * 16.0 > Bayer[y & 3][x & 3] + 0.5;
}

TCanvas::TCanvas(int Width, int Height, uint8_t Colour)
    : fWidth(Width), fHeight(Height), fPixels(size_t(Width) * size_t(Height), Colour) {}

bool TCanvas::Map(int& x, int& y) const {
    if (fWrap) {
        x = WrapIndex(x, fWidth);
        y = WrapIndex(y, fHeight);
        return true;
    }
    return x >= 0 && y >= 0 && x < fWidth && y < fHeight;
}

uint8_t TCanvas::At(int x, int y) const {
    if (!Map(x, y))
        return Ink;
    return fPixels[size_t(y) * size_t(fWidth) + size_t(x)];
}

void TCanvas::Put(int x, int y, uint8_t Colour) {
    if (Map(x, y))
        fPixels[size_t(y) * size_t(fWidth) + size_t(x)] = uint8_t(Colour & 15);
}

void TCanvas::Fill(uint8_t Colour) {
    std::fill(fPixels.begin(), fPixels.end(), uint8_t(Colour & 15));
}

void TCanvas::FillRect(int x, int y, int w, int h, uint8_t Colour) {
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i)
            Put(i, j, Colour);
}

void TCanvas::FrameRect(int x, int y, int w, int h, uint8_t Colour) {
    Line(x, y, x + w - 1, y, Colour);
    Line(x, y + h - 1, x + w - 1, y + h - 1, Colour);
    Line(x, y, x, y + h - 1, Colour);
    Line(x + w - 1, y, x + w - 1, y + h - 1, Colour);
}

void TCanvas::Line(int x0, int y0, int x1, int y1, uint8_t Colour) {
    const int dx = std::abs(x1 - x0);
    const int dy = -std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1;
    const int sy = y0 < y1 ? 1 : -1;
    int Err = dx + dy;
    for (;;) {
        Put(x0, y0, Colour);
        if (x0 == x1 && y0 == y1)
            break;
        const int e2 = 2 * Err;
        if (e2 >= dy) {
            Err += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            Err += dx;
            y0 += sy;
        }
    }
}

void TCanvas::Ellipse(double cx, double cy, double rx, double ry, uint8_t Colour) {
    if (rx <= 0 || ry <= 0)
        return;
    const int x0 = int(std::floor(cx - rx));
    const int x1 = int(std::ceil(cx + rx));
    const int y0 = int(std::floor(cy - ry));
    const int y1 = int(std::ceil(cy + ry));
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            const double u = (x - cx) / rx;
            const double v = (y - cy) / ry;
            if (u * u + v * v <= 1.0)
                Put(x, y, Colour);
        }
}

void TCanvas::Replace(int x, int y, int w, int h, uint8_t From, uint8_t To) {
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i)
            if (At(i, j) == From)
                Put(i, j, To);
}

void TCanvas::Outline(uint8_t Background, uint8_t Outline) {
    const TCanvas Old = *this;
    for (int y = 0; y < fHeight; ++y)
        for (int x = 0; x < fWidth; ++x) {
            if (Old.At(x, y) != Background)
                continue;
            const bool Edge = (Old.At(x - 1, y) != Background && x > 0) ||
                              (Old.At(x + 1, y) != Background && x + 1 < fWidth) ||
                              (Old.At(x, y - 1) != Background && y > 0) ||
                              (Old.At(x, y + 1) != Background && y + 1 < fHeight);
            if (Edge)
                Put(x, y, Outline);
        }
}

void TCanvas::Blit(const TCanvas& Src, int x, int y, int Transparent) {
    for (int j = 0; j < Src.Height(); ++j)
        for (int i = 0; i < Src.Width(); ++i) {
            const uint8_t c = Src.At(i, j);
            if (c != Transparent)
                Put(x + i, y + j, c);
        }
}

void TCanvas::BlitMirrored(const TCanvas& Src, int x, int y, int Transparent) {
    for (int j = 0; j < Src.Height(); ++j)
        for (int i = 0; i < Src.Width(); ++i) {
            const uint8_t c = Src.At(Src.Width() - 1 - i, j);
            if (c != Transparent)
                Put(x + i, y + j, c);
        }
}

TCanvas TCanvas::Crop(int x, int y, int w, int h) const {
    TCanvas Out(w, h);
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i)
            Out.Put(i, j, At(x + i, y + j));
    return Out;
}

void TCanvas::Art(int x, int y, std::initializer_list<const char*> Rows) {
    int j = y;
    for (const char* Row : Rows) {
        for (int i = 0; Row[i] != 0; ++i) {
            const char ch = Row[i];
            if (ch >= '0' && ch <= '9')
                Put(x + i, j, uint8_t(ch - '0'));
            else if (ch >= 'a' && ch <= 'f')
                Put(x + i, j, uint8_t(ch - 'a' + 10));
        }
        ++j;
    }
}

TMyArray SheetToWords(const TCanvas& Sheet, int TilesX, int TilesY) {
    const int GroupW = 8 * TilesX;
    const int GroupH = 8 * TilesY;
    const int GroupsX = Sheet.Width() / GroupW;
    const int GroupsY = Sheet.Height() / GroupH;
    TMyArray Words;
    Words.reserve(size_t(GroupsX) * size_t(GroupsY) * size_t(TilesX) * size_t(TilesY) * 16);
    for (int gy = 0; gy < GroupsY; ++gy)
        for (int gx = 0; gx < GroupsX; ++gx)
            for (int ty = 0; ty < TilesY; ++ty)
                for (int tx = 0; tx < TilesX; ++tx) {
                    const int Left = gx * GroupW + tx * 8;
                    const int Top = gy * GroupH + ty * 8;
                    for (int r = 0; r < 8; ++r)
                        for (int Half = 0; Half < 2; ++Half) {
                            uint16_t w = 0;
                            for (int p = 0; p < 4; ++p)
                                w = uint16_t(w << 4 |
                                             (Sheet.At(Left + 4 * Half + p, Top + r) & 15));
                            Words.push_back(w);
                        }
                }
    return Words;
}

} // namespace velkora::demo
