// SPDX-License-Identifier: MIT
#pragma once
// Changes of a sprite's tile count and order, as functions from words to words: a tile is 16
// words, and words after the last whole tile stay at the end. Each raises EFormatError for a
// tile or group the words do not hold, and changes nothing then.

#include "shell/MyTypes.h"

namespace velkora {
namespace TileEdits {

// The most tiles one insert adds.
constexpr int64_t MaxInsertedTiles = 65536;

// The whole tiles Words holds.
int64_t TileCount(const TMyArray& Words);
// Count empty tiles (colour index 0) before tile At (At may be TileCount: after the last).
TMyArray InsertTiles(const TMyArray& Words, int64_t At, int64_t Count);
// Tiles First to First + Count - 1 taken out.
TMyArray DeleteTiles(const TMyArray& Words, int64_t First, int64_t Count);
// Group Group of PerGroup tiles copied right after itself (a last group with tiles missing is
// copied as it is).
TMyArray DuplicateGroup(const TMyArray& Words, int64_t Group, int64_t PerGroup);
// Group Group of PerGroup tiles swapped with the group before it (Earlier) or after it; the
// group after may be a last group with tiles missing.
TMyArray MoveGroup(const TMyArray& Words, int64_t Group, int64_t PerGroup, bool Earlier);

} // namespace TileEdits
} // namespace velkora
