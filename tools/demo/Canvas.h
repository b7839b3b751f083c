// SPDX-License-Identifier: MIT
#pragma once
// Drawing support for the bundled demo data: an indexed-pixel canvas with a few primitives,
// deterministic noise, ordered dithering, and the conversion of a sheet of tile groups into
// sprite words.
//
// Everything here is integer or plain double arithmetic driven by a fixed hash, so the demo comes
// out byte for byte the same on every run.

#include "shell/MyTypes.h"

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace velkora::demo {

// Colour indices. Every palette of the demo keeps these roles, so that any palette suits any
// sprite: a palette may recolour a role (autumn turns the greens orange, night darkens them all)
// but never gives an index another role.
enum TColour : uint8_t {
    Ink = 0,        // background, outlines, deepest shadow; the transparent index of the sprites
    DarkGreen = 1,  // shadowed foliage, grass edges
    Green = 2,      // grass, leaves
    LightGreen = 3, // lit leaves, grass blades
    DeepBlue = 4,   // deep water, water shadows
    Blue = 5,       // water
    LightBlue = 6,  // ripples, glass, ice
    Brown = 7,      // earth, wood, tree trunks
    Sand = 8,       // sand, paths, light wood
    PaleSand = 9,   // lit sand, skin, plaster walls
    DarkGrey = 10,  // rock shadows, iron
    Grey = 11,      // rock, stone
    LightGrey = 12, // lit stone, bone
    Red = 13,       // roofs, blossoms, cloth, fire
    Yellow = 14,    // highlights, gold, flowers, light
    White = 15,     // foam, glints, text
};

// A deterministic 32-bit hash of a point and a seed.
uint32_t Hash(int32_t x, int32_t y, uint32_t Seed);
// The hash mapped to [0, 1).
double Random01(int32_t x, int32_t y, uint32_t Seed);
// Smooth value noise in [0, 1) on a lattice of Cell pixels. With Period > 0 the lattice wraps
// after Period cells, so the noise repeats every Period x Cell pixels in both directions.
double ValueNoise(double x, double y, double Cell, uint32_t Seed, int Period = 0);
// Several octaves of value noise (cell size halving each octave), in [0, 1).
double FractalNoise(double x, double y, double Cell, int Octaves, uint32_t Seed, int Period = 0);
// Ordered (4 x 4 Bayer) dithering: true when Level (0 to 1) covers pixel (x, y).
bool Dither(int x, int y, double Level);

// A rectangle of colour indices 0 to 15. Drawing outside the canvas is clipped, unless the canvas
// wraps, in which case coordinates are taken modulo its size (for patterns that tile seamlessly).
class TCanvas {
public:
    TCanvas(int Width, int Height, uint8_t Colour = Ink);

    int Width() const { return fWidth; }
    int Height() const { return fHeight; }
    void SetWrap(bool Wrap) { fWrap = Wrap; }

    // The pixel at (x, y); Ink outside a canvas that does not wrap.
    uint8_t At(int x, int y) const;
    void Put(int x, int y, uint8_t Colour);

    void Fill(uint8_t Colour);
    void FillRect(int x, int y, int w, int h, uint8_t Colour);
    void FrameRect(int x, int y, int w, int h, uint8_t Colour);
    void Line(int x0, int y0, int x1, int y1, uint8_t Colour);
    // A filled ellipse centred on the pixel centre (cx, cy) with radii rx and ry (in pixels).
    void Ellipse(double cx, double cy, double rx, double ry, uint8_t Colour);
    void Disc(double cx, double cy, double r, uint8_t Colour) { Ellipse(cx, cy, r, r, Colour); }
    // Replaces every pixel of colour From inside the rectangle by To.
    void Replace(int x, int y, int w, int h, uint8_t From, uint8_t To);
    // Draws an outline of colour Outline around every pixel that is not Background (the 4
    // neighbours of each drawn pixel that are Background take the outline colour).
    void Outline(uint8_t Background, uint8_t Outline);
    // Copies Src with its top left at (x, y); pixels of colour Transparent are skipped (pass a
    // value above 15 to copy every pixel).
    void Blit(const TCanvas& Src, int x, int y, int Transparent = 16);
    // Copies Src mirrored left to right.
    void BlitMirrored(const TCanvas& Src, int x, int y, int Transparent = 16);
    TCanvas Crop(int x, int y, int w, int h) const;
    // Draws pixel art with its top left at (x, y): one string per row, one character per pixel,
    // a hexadecimal digit for a colour index and any other character for a pixel left alone.
    void Art(int x, int y, std::initializer_list<const char*> Rows);

private:
    bool Map(int& x, int& y) const;

    int fWidth;
    int fHeight;
    bool fWrap = false;
    std::vector<uint8_t> fPixels;
};

// Converts a sheet of tile groups into sprite words. The sheet is cut into groups of TilesX x
// TilesY tiles (8 x 8 pixels each), taken left to right and top to bottom; within a group the
// tiles follow row by row (the "CW" order of the views), so group g is blocks
// g x TilesX x TilesY onward. Each tile becomes 16 words: row r is words 2r and 2r + 1, four
// pixels per word, the leftmost pixel in the top nibble. The sheet's size must be a whole number
// of groups.
TMyArray SheetToWords(const TCanvas& Sheet, int TilesX, int TilesY);

} // namespace velkora::demo
