// SPDX-License-Identifier: MIT
#include "shell/Progress.h"

namespace velkora {

ECancelled::ECancelled() : Exception(QStringLiteral("Cancelled.")) {}

TProgress PartOf(const TProgress& Whole, double First, double Share) {
    if (!Whole)
        return {};
    return [Whole, First, Share](uint64_t Done, uint64_t Total) {
        const double Part = Total == 0 ? 1.0 : double(Done) / double(Total);
        Whole(uint64_t((First + Share * Part) * 1e6), 1000000);
    };
}

} // namespace velkora
