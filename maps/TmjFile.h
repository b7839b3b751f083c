// SPDX-License-Identifier: MIT
#pragma once
// The general-purpose map editor's JSON maps (.tmj, .json) and tilesets (.tsj), read into the
// same form as its TMX files (TmxMap), through Qt's JSON classes.

#include "maps/TmxMap.h"

#include <QByteArray>
#include <QString>

namespace velkora {

namespace TmjFile {
// What a JSON map file holds, for TmxMap::Resolve: the size, the tilesets, the visible tile
// layers (inside groups too; a hidden group hides its layers), the names of the hidden and of
// the other layers, and the map's properties. Raises EFormatError naming FileName (and the line
// and column where the JSON does not parse, or the key and layer at fault) for a file that is
// not a map, an infinite or non-orthogonal map, and layer data that is neither an array of gids
// nor base64 (of zlib or gzip data).
TTmxMapData ReadMap(const QByteArray& Bytes, const QString& FileName);
// The tileset a JSON tileset file holds.
TTmxTilesetInfo ReadTileset(const QByteArray& Bytes, const QString& FileName);
} // namespace TmjFile

} // namespace velkora
