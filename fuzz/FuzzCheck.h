// SPDX-License-Identifier: MIT
#pragma once
// A property that fails in a fuzz target aborts, so that libFuzzer and the replays report it.

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(Cond)                                                                           \
    do {                                                                                           \
        if (!(Cond)) {                                                                             \
            std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #Cond);       \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)
