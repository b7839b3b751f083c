// SPDX-License-Identifier: MIT
// Figures of 16 x 16 pixels: the hero, three creatures and the item icons. Colour 0 around them
// is the game's transparent colour.

#include "tools/demo/Sheets.h"
#include "tools/demo/TerrainKit.h"

#include <cmath>

namespace velkora::demo {

namespace {

constexpr int Figure = 16;

TCanvas Row(int Count) {
    return TCanvas(Count * Figure, Figure, Ink);
}

// The hero's head and body seen from the front; the legs are drawn per frame.
void HeroFront(TCanvas& c, int x, bool Back) {
    c.Art(x, 0,
          {"................", ".....888888.....", "....8eeeeee8....", "...8eeeeeeee8...",
           "...8ee8ee8ee8...", "...8999999998...", "...8990990998...", "....99999999....",
           ".....988889.....", "...ddddddddd7...", "..9dddddddd7d9..", "..97777ee77779..",
           "...ddddddddd7..."});
    if (Back)
        c.Art(x, 4,
              {"...8eeeeeeee8...", "...8eeeeeeee8...", "...8e8eeee8e8...", "....88eeee88....",
               ".....999999.....", "", "", "..977777777779.."});
}

void HeroSide(TCanvas& c, int x) {
    c.Art(x, 0,
          {"................", "......88888.....", ".....8eeeee8....", "....8eeeeeee8...",
           "....eeeeeeee8...", "...9999eeeee8...", "...9099eeeee8...", "....9999eee8....",
           ".....9998.......", ".....dddddd.....", "....ddddddd7....", "....99ddddd7....",
           ".....777e77.....", ".....dddd7d....."});
}

TCanvas Hero() {
    TCanvas c = Row(8);
    for (int f = 0; f < 4; ++f) {
        const int x = f * Figure;
        HeroFront(c, x, f >= 2);
        const bool Step = f % 2 == 1;
        const bool Left = f < 2;
        if (!Step)
            c.Art(x, 13, {"....555..555....", "....545..545....", "....777..777...."});
        else if (Left)
            c.Art(x, 13, {"....555..555....", "....777..545....", ".........777...."});
        else
            c.Art(x, 13, {"....555..555....", "....545..777....", "....777........."});
    }
    for (int f = 0; f < 2; ++f) {
        TCanvas Side(Figure, Figure);
        HeroSide(Side, 0);
        if (f == 0)
            Side.Art(0, 14, {"......5445......", "......7777......"});
        else
            Side.Art(0, 14, {".....55..54.....", "....77....77...."});
        c.Blit(Side, (4 + f) * Figure, 0);
        c.BlitMirrored(Side, (6 + f) * Figure, 0);
    }
    return c;
}

void Slime(TCanvas& c, int x, bool Squashed) {
    const uint8_t Gel[3] = {DarkGreen, Green, LightGreen};
    if (Squashed)
        ShadedBlob(c, x + 7.5, 11.5, 7.4, 4.2, Gel, 0.1, 5001, DarkGreen);
    else
        ShadedBlob(c, x + 7.5, 10, 6.2, 5.6, Gel, 0.1, 5001, DarkGreen);
    const int Eyes = Squashed ? 10 : 8;
    for (int e : {5, 9}) {
        c.FillRect(x + e, Eyes, 2, 2, White);
        c.Put(x + e + 1, Eyes + 1, Ink);
    }
    c.Line(x + 6, Eyes + 3, x + 9, Eyes + 3, DarkGreen);
    c.Put(x + 4, Squashed ? 9 : 6, White);
}

void Bat(TCanvas& c, int x, bool WingsUp) {
    if (WingsUp)
        c.Art(x, 0,
              {"................", "................", ".a............a.", ".ba..........ab.",
               ".bba........abb.", ".bbba.a..a.abbb.", ".bbbbaaaaaabbbb.", "..bbbaaaaaabbb..",
               "..b.baddadab.b..", "......aaaa......", "......a..a......"});
    else
        c.Art(x, 0,
              {"................", "................", "................", "................",
               "................", "......a..a......", "....baaaaaab....", "..bbbaaaaaabbb..",
               ".bbbbaddadabbbb.", ".bbbb.aaaa.bbbb.", ".bbb..a..a..bbb.", ".bb..........bb.",
               ".b............b."});
}

void Ghost(TCanvas& c, int x, bool Shift) {
    TCanvas g(Figure, Figure);
    g.Disc(7.5, 6.5, 5.5, LightGrey);
    g.FillRect(2, 6, 12, 7, LightGrey);
    for (int i = 0; i < 12; ++i) {
        const int Wave = ((i + (Shift ? 2 : 0)) / 2) % 2;
        g.FillRect(2 + i, 13, 1, 1 + Wave, LightGrey);
    }
    // Light from the upper left.
    for (int y = 0; y < Figure; ++y)
        for (int i = 0; i < Figure; ++i)
            if (g.At(i, y) == LightGrey) {
                if (i + y < 11 && Dither(i, y, 0.7))
                    g.Put(i, y, White);
                else if (i > 10 && Dither(i, y, 0.5))
                    g.Put(i, y, Grey);
            }
    g.FillRect(5, 5, 2, 3, Ink);
    g.FillRect(9, 5, 2, 3, Ink);
    g.Ellipse(8, 10, 1.5, 1.2, Ink);
    c.Blit(g, x, Shift ? 1 : 0, Ink);
}

TCanvas Creatures() {
    TCanvas c = Row(6);
    Slime(c, 0, false);
    Slime(c, Figure, true);
    Bat(c, 2 * Figure, true);
    Bat(c, 3 * Figure, false);
    Ghost(c, 4 * Figure, false);
    Ghost(c, 5 * Figure, true);
    return c;
}

void Heart(TCanvas& c, int x) {
    c.Disc(x + 4.5, 5.5, 3.6, Red);
    c.Disc(x + 10.5, 5.5, 3.6, Red);
    for (int y = 6; y < 14; ++y)
        c.Line(x + 1 + (y - 6), y, x + 14 - (y - 6), y, Red);
    for (int y = 9; y < 14; ++y)
        c.Line(x + 14 - (y - 6) - 2, y, x + 14 - (y - 6), y, Brown);
    c.Line(x + 3, 4, x + 4, 3, White);
    c.Put(x + 3, 5, White);
}

void Coin(TCanvas& c, int x) {
    c.Ellipse(x + 7.5, 8, 6, 6.5, Brown);
    c.Ellipse(x + 7, 7.5, 5.2, 5.8, Yellow);
    c.Ellipse(x + 7.5, 8, 3, 3.6, Sand);
    c.Ellipse(x + 7, 7.5, 2.4, 3, Yellow);
    c.Line(x + 7, 5, x + 7, 10, Sand);
    c.Line(x + 4, 3, x + 5, 2, White);
}

void Key(TCanvas& c, int x) {
    c.Disc(x + 5, 5, 3.8, Yellow);
    c.Disc(x + 5, 5, 1.5, Ink);
    c.Line(x + 7, 7, x + 13, 13, Yellow);
    c.Line(x + 8, 7, x + 14, 13, Sand);
    c.Line(x + 10, 12, x + 9, 13, Yellow);
    c.Line(x + 12, 14, x + 11, 15, Yellow);
    c.Put(x + 3, 3, White);
}

void Sword(TCanvas& c, int x) {
    c.Line(x + 5, 10, x + 13, 2, LightGrey);
    c.Line(x + 6, 10, x + 14, 2, Grey);
    c.Line(x + 5, 9, x + 12, 2, White);
    c.Line(x + 3, 8, x + 8, 13, Yellow);
    c.Line(x + 4, 8, x + 8, 12, Sand);
    c.Line(x + 2, 13, x + 4, 11, Brown);
    c.Disc(x + 1.5, 14, 1.2, Yellow);
}

void Shield(TCanvas& c, int x) {
    for (int y = 1; y < 15; ++y) {
        const int Half = y < 9 ? 6 : 6 - (y - 8);
        c.Line(x + 8 - Half, y, x + 7 + Half, y, Yellow);
        if (Half > 1)
            c.Line(x + 9 - Half, y, x + 6 + Half, y, y < 2 ? Yellow : Blue);
    }
    c.FillRect(x + 7, 2, 2, 11, White);
    c.FillRect(x + 3, 6, 10, 2, White);
    c.Line(x + 9, 3, x + 9, 12, LightGrey);
    c.Line(x + 11, 2, x + 11, 9, DeepBlue);
    c.Line(x + 12, 2, x + 12, 8, DeepBlue);
}

void Potion(TCanvas& c, int x) {
    c.FillRect(x + 6, 1, 4, 2, Brown);
    c.FillRect(x + 6, 3, 4, 3, LightBlue);
    c.Disc(x + 7.5, 10, 5, LightBlue);
    c.Disc(x + 7.5, 10.5, 4, Red);
    c.FillRect(x + 4, 7, 8, 2, LightBlue);
    c.Line(x + 5, 8, x + 10, 8, Red);
    c.Line(x + 4, 9, x + 5, 8, White);
    c.Put(x + 5, 11, White);
    c.Line(x + 9, 13, x + 11, 11, Brown);
    c.Put(x + 6, 4, White);
}

void Gem(TCanvas& c, int x) {
    for (int y = 2; y < 15; ++y) {
        const int Half = y < 6 ? 3 + (y - 2) : 6 - (y - 6) * 3 / 4;
        for (int i = -Half; i < Half; ++i) {
            uint8_t Colour = i < 0 ? LightGreen : Green;
            if (y < 6)
                Colour = i < -1 ? White : LightGreen;
            if (i >= Half - 2 && y >= 6)
                Colour = DarkGreen;
            c.Put(x + 8 + i, y, Colour);
        }
    }
    c.Line(x + 4, 6, x + 11, 6, White);
}

void Scroll(TCanvas& c, int x) {
    c.FillRect(x + 3, 3, 10, 10, PaleSand);
    c.FillRect(x + 2, 2, 12, 2, Sand);
    c.FillRect(x + 2, 12, 12, 2, Sand);
    c.Line(x + 2, 3, x + 13, 3, Brown);
    c.Line(x + 2, 13, x + 13, 13, Brown);
    for (int y = 5; y < 11; y += 2)
        c.Line(x + 5, y, x + 10 - (y % 4 == 1 ? 2 : 0), y, Brown);
    c.Line(x + 12, 4, x + 12, 11, Sand);
    c.Put(x + 1, 2, Red);
    c.Put(x + 14, 13, Red);
}

TCanvas Icons() {
    TCanvas c = Row(8);
    Heart(c, 0);
    Coin(c, Figure);
    Key(c, 2 * Figure);
    Sword(c, 3 * Figure);
    Shield(c, 4 * Figure);
    Potion(c, 5 * Figure);
    Gem(c, 6 * Figure);
    Scroll(c, 7 * Figure);
    return c;
}

} // namespace

TCanvas HeroSheet() {
    return Hero();
}

TCanvas CreatureSheet() {
    return Creatures();
}

TCanvas IconSheet() {
    return Icons();
}

} // namespace velkora::demo
