// SPDX-License-Identifier: MIT
#pragma once
// Long operations (reading, writing or drawing a large map) tell how far they are through a
// TProgress, and may be stopped there: the function they are given raises ECancelled to stop them,
// after which they leave nothing half done (no file written, the state as before).

#include "shell/MyTypes.h"

#include <cstdint>
#include <functional>

namespace velkora {

// Done of Total units (cells, rows) are finished. An empty function is allowed and does nothing.
using TProgress = std::function<void(uint64_t Done, uint64_t Total)>;

// The user stopped an operation.
class ECancelled : public Exception {
public:
    ECancelled();
};

// Calls Progress if it is set.
inline void Report(const TProgress& Progress, uint64_t Done, uint64_t Total) {
    if (Progress)
        Progress(Done, Total);
}

// The progress of one of several consecutive steps: Step's Done of Total units become the part
// [First, First + Share) of 0 to 1,000,000 of the whole.
TProgress PartOf(const TProgress& Whole, double First, double Share);

} // namespace velkora
