// SPDX-License-Identifier: MIT
#pragma once
// The sprite codec has three ways through its inner loops: AVX-512, AVX2 and portable code. The
// codec targets run each input through every way this processor has and require the same result.

#include "sprites/CodecAvx2.h"
#include "sprites/CodecAvx512.h"

#include <vector>

namespace velkora::fuzz {

// Calls Run() once per codec path and returns the results, widest path first.
template <typename F> auto ForEachCodecPath(F Run) -> std::vector<decltype(Run())> {
    std::vector<decltype(Run())> Results;
    Results.push_back(Run());
    if (codec_avx512::Available()) {
        codec_avx512::SetEnabled(false);
        Results.push_back(Run());
    }
    if (codec_avx2::Available()) {
        codec_avx2::SetEnabled(false);
        Results.push_back(Run());
    }
    codec_avx512::SetEnabled(true);
    codec_avx2::SetEnabled(true);
    return Results;
}

} // namespace velkora::fuzz
