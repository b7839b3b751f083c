// SPDX-License-Identifier: MIT
// The map reader on any bytes: never crashes, refuses what it cannot take with an error, and
// otherwise yields exactly width x height cells.

#include "fuzz/FuzzCheck.h"
#include "maps/MapLoader.h"

using namespace velkora;

// Large maps are decoded in the unit tests; here headers over a million cells are skipped, so that
// the fuzzer spends its time on the stream paths and stays within its memory limit.
constexpr int64_t MaxFuzzCells = int64_t(1) << 20;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    if (Size >= 6) {
        const int64_t Cells = int64_t(MyTypes::ReadBE16(Data + 2)) * MyTypes::ReadBE16(Data + 4);
        if (Cells > MaxFuzzCells)
            return 0;
    }
    int32_t PackType = -1, w = -1, h = -1;
    try {
        const TMyByteArray Cells =
            MapLoader::DecodeMap(Data, Size, PackType, w, h, QStringLiteral("fuzz.Map"));
        FUZZ_CHECK(w >= 0 && w <= 65535 && h >= 0 && h <= 65535);
        FUZZ_CHECK(Cells.size() == size_t(w) * size_t(h));
    } catch (const EFormatError&) {
        FUZZ_CHECK(Size < 6); // a header of a million cells or fewer can always be held
    }
    return 0;
}
