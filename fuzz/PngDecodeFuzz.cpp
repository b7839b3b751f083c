// SPDX-License-Identifier: MIT
// The PNG reader on any bytes: never crashes, refuses what it cannot take with EFormatError, and
// otherwise yields a whole picture (one byte a pixel with its palette, or four bytes a pixel)
// and only the texts asked for, each within the cap.

#include "fuzz/FuzzCheck.h"
#include "palettes/PngFile.h"

using namespace velkora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    for (bool KeepIndices : {true, false}) {
        try {
            const std::vector<QByteArray> Keywords = {"velkora-layout", "Comment"};
            const TPngPicture p =
                PngFile::DecodePng(Data, Size, KeepIndices, QStringLiteral("fuzz.png"), Keywords);
            FUZZ_CHECK(p.Texts.size() <= Keywords.size());
            for (const TPngText& t : p.Texts) {
                FUZZ_CHECK(t.Keyword == Keywords[0] || t.Keyword == Keywords[1]);
                FUZZ_CHECK(size_t(t.Text.size()) <= PngMaxTextBytes);
            }
            FUZZ_CHECK(p.Width >= 1 && p.Height >= 1);
            FUZZ_CHECK(uint64_t(p.Width) * p.Height <= PngMaxReadPixels);
            FUZZ_CHECK(p.Pixels.size() == size_t(p.Width) * p.Height * (p.Indexed ? 1 : 4));
            FUZZ_CHECK(p.Indexed == (KeepIndices && p.ColorType == 3));
            FUZZ_CHECK(p.Palette.size() <= 256);
        } catch (const EFormatError&) {
        }
    }
    return 0;
}
