// SPDX-License-Identifier: MIT
// The map readers (TMX and JSON) on any bytes: never crash, refuse what they cannot take with an
// error, and otherwise yield width x height cells that the writer writes back to the same cells.
// The tileset readers (TSX and JSON) take the same bytes: they read or refuse, never crash.

#include "fuzz/FuzzCheck.h"
#include "maps/MapLoader.h"
#include "maps/TmxFile.h"

using namespace velkora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    try {
        const TTmxTilesetInfo t = TmxFile::DecodeTileset(Data, Size, QStringLiteral("fuzz.tsx"));
        FUZZ_CHECK(t.HasGeometry);
    } catch (const EFormatError&) {
    }
    int32_t w = -1, h = -1;
    TMyByteArray Cells;
    try {
        Cells = TmxFile::DecodeTmx(Data, Size, w, h, QStringLiteral("fuzz.tmx"));
    } catch (const EFormatError&) {
        FUZZ_CHECK(w == -1 && h == -1);
        return 0;
    }
    FUZZ_CHECK(w >= 0 && w <= 65535 && h >= 0 && h <= 65535);
    FUZZ_CHECK(int64_t(w) * h <= MaxMapCells);
    FUZZ_CHECK(Cells.size() == size_t(w) * size_t(h));
    const QByteArray Text = TmxFile::EncodeTmx(Cells, w, h, TTmxTileset(), {});
    int32_t w2 = -1, h2 = -1;
    const TMyByteArray Back = TmxFile::DecodeTmx(reinterpret_cast<const uint8_t*>(Text.constData()),
                                                 size_t(Text.size()), w2, h2, QString());
    FUZZ_CHECK(w2 == w && h2 == h && Back == Cells);
    return 0;
}
