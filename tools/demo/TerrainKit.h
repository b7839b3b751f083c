// SPDX-License-Identifier: MIT
#pragma once
// Building blocks of the terrain textures: ground patterns that tile every 24 pixels, the
// corner-mask transitions between two grounds, shaded round shapes and shadows.

#include "tools/demo/Canvas.h"

#include <vector>

namespace velkora::demo {

constexpr int ItemSize = 24;

// A texture sheet: 5 x 5 items of 24 x 24 pixels, item i at column i mod 5, row i div 5, which
// SheetToWords turns into the 225 blocks of a texture.
TCanvas TextureSheet();
void PlaceItem(TCanvas& Sheet, int Item, const TCanvas& Picture);
TCanvas ItemOf(const TCanvas& Sheet, int Item);

// Ground patterns: 24 x 24 canvases that wrap, so that they tile seamlessly.
TCanvas GrassPattern();
TCanvas WaterPattern();
TCanvas DeepWaterPattern();
TCanvas SandPattern();
TCanvas CaveFloorPattern();
TCanvas RockPattern();

// One band along a transition's border: pixels whose signed distance from the border (in pixels,
// positive on the inner ground's side) lies in [From, To) take colour A, dithered with colour B
// at the given share.
struct TEdgeBand {
    double From;
    double To;
    uint8_t A;
    uint8_t B;
    double ShareOfB;
};

// The transition item for a corner mask (bit 1 NW, 2 NE, 4 SW, 8 SE set where the corner lies in
// Inside). The border follows a field that is continuous across item edges and wiggles with a
// noise that repeats every 24 pixels, so neighbouring items always meet.
TCanvas Transition(int Mask, const TCanvas& Outside, const TCanvas& Inside,
                   const std::vector<TEdgeBand>& Bands, uint32_t Seed, double Wiggle);

// The canvas mirrored along its main diagonal (columns become rows).
TCanvas Transposed(const TCanvas& C);

// A colour one step darker in its ramp (greens, blues, earth, greys), for shadows.
uint8_t Darker(uint8_t Colour);
// Darkens the pixels of an ellipse, dithered at Strength (0 to 1).
void Shadow(TCanvas& C, double cx, double cy, double rx, double ry, double Strength = 1.0);

// A lit, lumpy round shape (tree crown, bush, boulder) lit from the upper left. Ramp holds the
// shadow, middle and light colours; Lumpiness (0 to 1) roughens the rim; the rim gets an outline
// of colour Edge unless Edge is above 15.
void ShadedBlob(TCanvas& C, double cx, double cy, double rx, double ry, const uint8_t (&Ramp)[3],
                double Lumpiness, uint32_t Seed, int Edge = Ink);

} // namespace velkora::demo
