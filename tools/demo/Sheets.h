// SPDX-License-Identifier: MIT
#pragma once
// The pictures of the demo sprites, each drawn as a sheet of tile groups.

#include "tools/demo/Canvas.h"

namespace velkora::demo {

// Terrain textures: 5 x 5 items of 24 x 24 pixels (see Items.h for what each item is).
TCanvas LandSheet();    // A1.spr: grass, water, shores
TCanvas VillageSheet(); // A2.spr: sand, trees, fields, houses, bridges
TCanvas CaveSheet();    // A10.spr: cave floor, rock, lava, treasure

// Figures in groups of 16 x 16 pixels, one row of groups.
TCanvas HeroSheet();     // Hero.spr: facing down, up, left, right; two steps each
TCanvas CreatureSheet(); // B1.spr: slime, bat and ghost, two frames each
TCanvas IconSheet();     // a1.spr: heart, coin, key, sword, shield, potion, gem, scroll

// The font: 64 glyphs of 8 x 8 pixels for the characters from space to underscore, in code order,
// 16 to a row.
TCanvas FontSheet();
// Banners of 96 x 32 pixels, stacked: the title, "PRESS START", "GAME OVER".
TCanvas BannerSheet();

// Text in the font, Scale times the size, with its top left at (x, y); letters advance by 6
// pixels (times Scale). Characters outside the font are left out.
void DrawText(TCanvas& C, int x, int y, const char* Text, uint8_t Colour, int Scale = 1);
int TextWidth(const char* Text, int Scale = 1);

} // namespace velkora::demo
