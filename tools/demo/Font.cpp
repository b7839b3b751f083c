// SPDX-License-Identifier: MIT
// The 8 x 8 font and the banners drawn with it.

#include "tools/demo/Sheets.h"
#include "tools/demo/TerrainKit.h"

#include <cstring>

namespace velkora::demo {

namespace {

// Glyphs of 5 x 7 pixels for the characters 32 to 95, each as seven rows of five.
const char* const Glyphs[64] = {
    ".....|.....|.....|.....|.....|.....|.....", // space
    "..#..|..#..|..#..|..#..|..#..|.....|..#..", // !
    ".#.#.|.#.#.|.....|.....|.....|.....|.....", // "
    ".#.#.|#####|.#.#.|.#.#.|.#.#.|#####|.#.#.", // #
    "..#..|.####|#.#..|.###.|..#.#|####.|..#..", // $
    "##..#|##..#|...#.|..#..|.#...|#..##|#..##", // %
    ".##..|#..#.|.##..|.#...|#.#.#|#..#.|.##.#", // &
    "..#..|..#..|.....|.....|.....|.....|.....", // '
    "...#.|..#..|.#...|.#...|.#...|..#..|...#.", // (
    ".#...|..#..|...#.|...#.|...#.|..#..|.#...", // )
    ".....|..#..|#.#.#|.###.|#.#.#|..#..|.....", // *
    ".....|..#..|..#..|#####|..#..|..#..|.....", // +
    ".....|.....|.....|.....|.##..|..#..|.#...", // ,
    ".....|.....|.....|#####|.....|.....|.....", // -
    ".....|.....|.....|.....|.....|.##..|.##..", // .
    "....#|...#.|...#.|..#..|.#...|.#...|#....", // /
    ".###.|#...#|#..##|#.#.#|##..#|#...#|.###.", // 0
    "..#..|.##..|..#..|..#..|..#..|..#..|.###.", // 1
    ".###.|#...#|....#|..##.|.#...|#....|#####", // 2
    ".###.|#...#|....#|..##.|....#|#...#|.###.", // 3
    "...#.|..##.|.#.#.|#..#.|#####|...#.|...#.", // 4
    "#####|#....|####.|....#|....#|#...#|.###.", // 5
    "..##.|.#...|#....|####.|#...#|#...#|.###.", // 6
    "#####|....#|...#.|..#..|.#...|.#...|.#...", // 7
    ".###.|#...#|#...#|.###.|#...#|#...#|.###.", // 8
    ".###.|#...#|#...#|.####|....#|...#.|.##..", // 9
    ".....|.##..|.##..|.....|.##..|.##..|.....", // :
    ".....|.##..|.##..|.....|.##..|..#..|.#...", // ;
    "...#.|..#..|.#...|#....|.#...|..#..|...#.", // <
    ".....|.....|#####|.....|#####|.....|.....", // =
    ".#...|..#..|...#.|....#|...#.|..#..|.#...", // >
    ".###.|#...#|....#|...#.|..#..|.....|..#..", // ?
    ".###.|#...#|#.###|#.#.#|#.###|#....|.###.", // @
    ".###.|#...#|#...#|#####|#...#|#...#|#...#", // A
    "####.|#...#|#...#|####.|#...#|#...#|####.", // B
    ".###.|#...#|#....|#....|#....|#...#|.###.", // C
    "###..|#..#.|#...#|#...#|#...#|#..#.|###..", // D
    "#####|#....|#....|####.|#....|#....|#####", // E
    "#####|#....|#....|####.|#....|#....|#....", // F
    ".###.|#...#|#....|#.###|#...#|#...#|.####", // G
    "#...#|#...#|#...#|#####|#...#|#...#|#...#", // H
    ".###.|..#..|..#..|..#..|..#..|..#..|.###.", // I
    "..###|...#.|...#.|...#.|...#.|#..#.|.##..", // J
    "#...#|#..#.|#.#..|##...|#.#..|#..#.|#...#", // K
    "#....|#....|#....|#....|#....|#....|#####", // L
    "#...#|##.##|#.#.#|#.#.#|#...#|#...#|#...#", // M
    "#...#|#...#|##..#|#.#.#|#..##|#...#|#...#", // N
    ".###.|#...#|#...#|#...#|#...#|#...#|.###.", // O
    "####.|#...#|#...#|####.|#....|#....|#....", // P
    ".###.|#...#|#...#|#...#|#.#.#|#..#.|.##.#", // Q
    "####.|#...#|#...#|####.|#.#..|#..#.|#...#", // R
    ".####|#....|#....|.###.|....#|....#|####.", // S
    "#####|..#..|..#..|..#..|..#..|..#..|..#..", // T
    "#...#|#...#|#...#|#...#|#...#|#...#|.###.", // U
    "#...#|#...#|#...#|#...#|#...#|.#.#.|..#..", // V
    "#...#|#...#|#...#|#.#.#|#.#.#|#.#.#|.#.#.", // W
    "#...#|#...#|.#.#.|..#..|.#.#.|#...#|#...#", // X
    "#...#|#...#|.#.#.|..#..|..#..|..#..|..#..", // Y
    "#####|....#|...#.|..#..|.#...|#....|#####", // Z
    ".###.|.#...|.#...|.#...|.#...|.#...|.###.", // [
    "#....|.#...|.#...|..#..|...#.|...#.|....#", // backslash
    ".###.|...#.|...#.|...#.|...#.|...#.|.###.", // ]
    "..#..|.#.#.|#...#|.....|.....|.....|.....", // ^
    ".....|.....|.....|.....|.....|.....|#####", // _
};

// True when pixel (i, j) of the 5 x 7 glyph of Ch is set.
bool GlyphPixel(char Ch, int i, int j) {
    const int Code = static_cast<unsigned char>(Ch);
    if (Code < 32 || Code > 95 || i < 0 || i > 4 || j < 0 || j > 6)
        return false;
    return Glyphs[Code - 32][j * 6 + i] == '#';
}

// A title over a night sky in a frame.
void TitleBanner(TCanvas& c, int Top) {
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 96; ++x)
            c.Put(x, Top + y, Dither(x, y, y / 40.0) ? Ink : DeepBlue);
    for (int k = 0; k < 14; ++k) {
        const uint32_t r = Hash(k, 1, 6001);
        c.Put(2 + int(r % 92), Top + 2 + int((r >> 8) % 28), (r >> 16) % 3 ? LightBlue : White);
    }
    c.FrameRect(0, Top, 96, 32, Grey);
    c.FrameRect(1, Top + 1, 94, 30, Ink);
    for (int x : {0, 94})
        for (int y : {0, 30})
            c.FillRect(x, Top + y, 2, 2, Yellow);
    const char* Title = "VELKORA";
    const int x0 = (96 - TextWidth(Title, 2)) / 2;
    const int y0 = 5;
    TCanvas Letters(96, 32, Ink);
    DrawText(Letters, x0, y0, Title, Yellow, 2);
    // A black outline with a drop shadow, then the letters in a golden gradient.
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 96; ++x)
            if (Letters.At(x, y) != Ink)
                c.FillRect(x - 1, Top + y - 1, 4, 4, Ink);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 96; ++x) {
            if (Letters.At(x, y) == Ink)
                continue;
            const int Row = y - y0;
            uint8_t Colour = Yellow;
            if (Row < 2)
                Colour = Dither(x, y, 0.5) ? White : Yellow;
            else if (Row >= 12)
                Colour = Red;
            else if (Row >= 9)
                Colour = Sand;
            c.Put(x, Top + y, Colour);
        }
    DrawText(c, (96 - TextWidth("DEMO")) / 2 + 1, Top + 23, "DEMO", Ink);
    DrawText(c, (96 - TextWidth("DEMO")) / 2, Top + 22, "DEMO", LightGrey);
}

// A line of text on a plain plate.
void PlateBanner(TCanvas& c, int Top, const char* Text, uint8_t Plate, uint8_t Rim,
                 uint8_t Highlight, uint8_t Ink1, uint8_t Ink2) {
    c.FillRect(2, Top + 8, 92, 16, Plate);
    c.FrameRect(2, Top + 8, 92, 16, Rim);
    c.Line(3, Top + 9, 92, Top + 9, Highlight);
    const int x0 = (96 - TextWidth(Text)) / 2;
    DrawText(c, x0 + 1, Top + 13, Text, Ink2);
    DrawText(c, x0, Top + 12, Text, Ink1);
}

} // namespace

void DrawText(TCanvas& C, int x, int y, const char* Text, uint8_t Colour, int Scale) {
    for (int k = 0; Text[k] != 0; ++k)
        for (int j = 0; j < 7 * Scale; ++j)
            for (int i = 0; i < 5 * Scale; ++i)
                if (GlyphPixel(Text[k], i / Scale, j / Scale))
                    C.Put(x + 6 * Scale * k + i, y + j, Colour);
}

int TextWidth(const char* Text, int Scale) {
    const int n = int(std::strlen(Text));
    return n == 0 ? 0 : (6 * n - 1) * Scale;
}

TCanvas FontSheet() {
    TCanvas c(16 * 8, 4 * 8, Ink);
    for (int Code = 32; Code < 96; ++Code) {
        const int x = (Code - 32) % 16 * 8 + 1;
        const int y = (Code - 32) / 16 * 8;
        const char Text[2] = {char(Code), 0};
        DrawText(c, x + 1, y + 1, Text, DarkGrey);
        DrawText(c, x, y, Text, White);
    }
    return c;
}

TCanvas BannerSheet() {
    TCanvas c(96, 3 * 32, Ink);
    TitleBanner(c, 0);
    PlateBanner(c, 32, "PRESS START", DeepBlue, LightBlue, White, White, Ink);
    PlateBanner(c, 64, "GAME OVER", Ink, Red, Red, Red, Brown);
    return c;
}

} // namespace velkora::demo
