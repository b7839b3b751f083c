// SPDX-License-Identifier: MIT
// TMX write then read returns the cells: the first two bytes choose the width, the third the
// firstgid, the rest are cells; the map's properties are any text.

#include "fuzz/FuzzCheck.h"
#include "maps/TmxFile.h"

using namespace velkora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    if (Size < 3)
        return 0;
    const int32_t w = 1 + (MyTypes::ReadBE16(Data) % 512);
    const size_t Rest = Size - 3;
    const int32_t h = int32_t(Rest / size_t(w));
    const TMyByteArray Cells(Data + 3, Data + 3 + size_t(w) * size_t(h));
    TTmxTileset Tileset;
    Tileset.FirstGid = 1 + Data[2] * 1000;
    Tileset.Name = QStringLiteral("fuzz");
    Tileset.ImageSource = QStringLiteral("fuzz-tiles.png");
    const QString Any = QString::fromLatin1(reinterpret_cast<const char*>(Data + 3),
                                            qsizetype(std::min<size_t>(Rest, 64)));
    const QByteArray Text =
        TmxFile::EncodeTmx(Cells, w, h, Tileset, {{Any, QStringLiteral("string"), Any}});
    int32_t w2 = -1, h2 = -1;
    const TMyByteArray Back = TmxFile::DecodeTmx(reinterpret_cast<const uint8_t*>(Text.constData()),
                                                 size_t(Text.size()), w2, h2, QString());
    FUZZ_CHECK(w2 == w && h2 == h);
    FUZZ_CHECK(Back == Cells);
    return 0;
}
