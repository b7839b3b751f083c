// SPDX-License-Identifier: MIT
#pragma once
// The game's palettes written into the parameters file: colours into their colour elements, a
// palette replaced, a palette added. Each change is made with TParamsFileEdit, under the file's
// lock and from the file as it is then: only the colour elements that change (or are added) are
// written, every other byte of the file stays as it was.

#include "palettes/BmpMaker.h"

#include <vector>

namespace velkora {

namespace PaletteParams {

// Colour Colour (0 to 15) of palette Palette (counted as the readers count palettes) becomes
// Value.
struct TColourChange {
    int Palette = 0;
    int Colour = 0;
    TCol Value;
};

// Writes the changes in one atomic save (a later change of the same colour wins). A colour element
// that holds the value already (its low bytes, as the readers take them) is left as it is; one
// that changes keeps its name and its other attributes, in the file's order, with new "R", "G"
// and "B". A palette element with fewer colour elements than a change needs gets new ones after
// its last, named as its siblings are, black where no change gives their colour (as the readers
// took them). A palette the file does not hold, or a colour element that is not an empty element
// (a comment, an element with content), raises EFormatError naming it; nothing is written then.
// Returns whether anything was written.
bool WriteColours(TXMLDocument& Doc, const std::vector<TColourChange>& Changes);
// All 16 colours of palette N.
bool ReplacePalette(TXMLDocument& Doc, int N, const TPallette& Pal);
// Adds a palette element with Pal's 16 colours right after the file's last palette, so that it
// is read as the next one, and returns its number. It is named as the last palette is, with the
// number its name ends in one higher ("Pal7" after "Pal6", "Pal" + the palette number when the
// name ends in none), and its colour elements as the last palette's are ("Col" + index where
// there is none).
int AppendPalette(TXMLDocument& Doc, const TPallette& Pal);

} // namespace PaletteParams

} // namespace velkora
