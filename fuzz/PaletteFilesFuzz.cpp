// SPDX-License-Identifier: MIT
// The palette file readers on any bytes: never crash, refuse what they cannot take with
// EFormatError, and whatever 16 colours one reads are written by every writer and read back the
// same.

#include "fuzz/FuzzCheck.h"
#include "palettes/PaletteFiles.h"

using namespace velkora;

namespace {

bool Same(const TPallette& a, const TPallette& b) {
    for (size_t c = 0; c < a.Col.size(); ++c)
        if (a.Col[c].R != b.Col[c].R || a.Col[c].G != b.Col[c].G || a.Col[c].B != b.Col[c].B)
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    const QByteArray Bytes(reinterpret_cast<const char*>(Data), qsizetype(Size));
    for (const TPaletteFormat Format :
         {TPaletteFormat::Jasc, TPaletteFormat::Gimp, TPaletteFormat::Hex, TPaletteFormat::Png}) {
        TPallette Pal;
        try {
            Pal = PaletteFiles::TakePalette(PaletteFiles::Decode(Format, Bytes, "fuzz"), "fuzz");
        } catch (const EFormatError&) {
            continue;
        }
        for (const TPaletteFormat Out : {TPaletteFormat::Jasc, TPaletteFormat::Gimp,
                                         TPaletteFormat::Hex, TPaletteFormat::Png}) {
            const QByteArray Written = PaletteFiles::Encode(Out, Pal, "fuzz");
            FUZZ_CHECK(
                Same(PaletteFiles::TakePalette(PaletteFiles::Decode(Out, Written, "w"), "w"), Pal));
        }
    }
    return 0;
}
