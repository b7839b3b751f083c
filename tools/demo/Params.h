// SPDX-License-Identifier: MIT
#pragma once
// The palettes, texture sets and palette sets of the demo's parameters file.

#include <QByteArray>
#include <QStringList>

#include <array>
#include <cstdint>
#include <vector>

namespace velkora::demo {

struct TRgb {
    uint8_t R;
    uint8_t G;
    uint8_t B;
};

struct TDemoPalette {
    const char* Name; // element name, beginning with "Pal"
    std::array<TRgb, 16> Col;
};

// The demo's palettes; the first is the daylight palette both workspaces start with. All of
// them follow the colour roles of Canvas.h.
const std::vector<TDemoPalette>& DemoPalettes();

// The whole parameters file. SortedSprites is the sprite library in its order; the texture sets
// name their textures by position in it. Raises Exception when a texture is missing there.
QByteArray ParamsFileImage(const QStringList& SortedSprites);

} // namespace velkora::demo
