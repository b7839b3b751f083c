// SPDX-License-Identifier: MIT
#pragma once
// Maps in TMX, the XML map format of the general-purpose tile map editor, and its tilesets
// (TSX): one orthogonal map whose global tile ids (gids) are the cell values plus the tileset's
// firstgid. Reading takes the editor's JSON maps and tilesets as well (TmjFile).

#include "maps/MapImageItems.h"
#include "maps/TmxMap.h"
#include "shell/MyTypes.h"
#include "shell/ParamsFile.h"
#include "shell/Progress.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace velkora {

// Limits of the map and tileset files read: size, nesting of elements, and nodes (elements,
// attributes, comments and non-blank texts). The size holds a 4096 x 4096 map in CSV several
// times over, and compressed data holds far more; the nodes and the depth are those of the
// parameters file.
constexpr uint64_t MaxTmxFileSize = uint64_t(256) << 20;
constexpr int MaxTmxDepth = MaxParamsDepth;
constexpr int64_t MaxTmxNodes = MaxParamsNodes;

// The tileset of an exported map: one tile per cell value, cut from one picture in five
// columns, as the item grid shows the items (the 25 items of a texture five to a row), so that a
// picture built of several items stays whole in the map editor's tileset view.
constexpr int TmxTileCount = 256;
constexpr int TmxTilesetColumns = 5;

// The tileset a written map names: its tiles are the cells' values (tile v = value v).
struct TTmxTileset {
    QString Name;
    int32_t FirstGid = 1;
    int32_t TileWidth = MapCellSize;
    int32_t TileHeight = MapCellSize;
    int32_t TileCount = TmxTileCount;
    int32_t Columns = TmxTilesetColumns;
    QString ImageSource; // the picture's path, relative to the file holding the tileset
    int32_t ImageWidth = TmxTilesetColumns * MapCellSize;
    int32_t ImageHeight = (TmxTileCount + TmxTilesetColumns - 1) / TmxTilesetColumns * MapCellSize;
    // An external tileset: the map names this file (relative to the map) instead of holding the
    // tileset; the other fields then go into the tileset file (EncodeTsx).
    QString Source;
};

namespace TmxFile {
// The TMX text of a map (Cells row by row, w x h): the map's properties, the tileset (inline,
// or a reference to Tileset.Source) and one layer "cells" whose data is base64 of the
// zlib-compressed little-endian 32-bit gids (value + FirstGid). Raises EFormatError for a size a
// map file cannot hold, a cell array whose length is not w x h, a cell value the tileset has no
// tile for (naming the cell), a tileset name or path that XML cannot hold, or layer data the
// memory cannot hold. Characters XML cannot hold in a property value become U+FFFD: the
// properties are for the reader's information only. Progress counts the cells encoded and may
// stop the encoding.
QByteArray EncodeTmx(const TMyByteArray& Cells, int32_t w, int32_t h, const TTmxTileset& Tileset,
                     const std::vector<TTmxProperty>& Properties, const TProgress& Progress = {});
// The text of a tileset file (TSX) for Tileset.
QByteArray EncodeTsx(const TTmxTileset& Tileset);

// Decodes a map file, TMX or JSON (told by its first character), into its cells, row by row: an
// orthogonal, finite map with exactly one tileset, its visible tile layers merged top-down
// (TmxMap::Resolve), whose data is CSV, base64, or base64 of zlib or gzip data (or a JSON array).
// An inline tileset's geometry is checked; an external one is only named. Raises EFormatError
// (naming FileName) for anything else, naming the first offending cell (column, row), layer or
// element (with its line): empty cells, flip or rotation bits, a second tileset, a missing
// tileset, layer or data, chunks (infinite maps), zstd, data of the wrong length (refused before
// the map's cells are allocated), files beyond MaxTmxFileSize, MaxTmxDepth or MaxTmxNodes, and
// maps whose cells the memory cannot hold. An XML file is first checked by XmlGuard (entity
// declarations, elements of too many attributes); a document type without declarations is
// ignored, and nothing outside the file is read.
TTmxImport DecodeTileMap(const uint8_t* S, size_t Size, const QString& FileName);
// Reads FileName (at most MaxTmxFileSize bytes) and DecodeTileMap's it; an external tileset it
// names is read (relative to it, LoadTileset) and checked, or, when it cannot be found, noted as
// not checked. Pictures are looked at for their width where they can be read.
TTmxImport LoadTileMap(const QString& FileName);
// The cells of DecodeTileMap, for callers that need only them; on failure w and h are left
// unchanged.
TMyByteArray DecodeTmx(const uint8_t* S, size_t Size, int32_t& w, int32_t& h,
                       const QString& FileName);

// Decodes a tileset file, TSX or JSON, under the same rules of safety as a map. Raises
// EFormatError for a file that is not a tileset or does not parse.
TTmxTilesetInfo DecodeTileset(const uint8_t* S, size_t Size, const QString& FileName);
// Reads FileName as a tileset; its picture, where it can be read, gives the picture's width.
TTmxTilesetInfo LoadTileset(const QString& FileName);
} // namespace TmxFile

} // namespace velkora
