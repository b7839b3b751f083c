// SPDX-License-Identifier: MIT
// Map write then read returns the cells: the first two bytes choose the width, the rest are cells.

#include "fuzz/FuzzCheck.h"
#include "maps/MapLoader.h"

using namespace velkora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    if (Size < 2)
        return 0;
    const int32_t w = 1 + (MyTypes::ReadBE16(Data) % 512);
    const size_t Rest = Size - 2;
    const int32_t h = int32_t(Rest / size_t(w));
    const TMyByteArray Cells(Data + 2, Data + 2 + size_t(w) * size_t(h));
    const TMyByteArray File = MapLoader::EncodeMap(Cells, w, h);
    FUZZ_CHECK(File.size() % 2 == 0);
    int32_t PackType = 0, w2 = 0, h2 = 0;
    const TMyByteArray Back =
        MapLoader::DecodeMap(File.data(), File.size(), PackType, w2, h2, QString());
    FUZZ_CHECK(PackType == 1 && w2 == w && h2 == h);
    FUZZ_CHECK(Back == Cells);
    return 0;
}
