#pragma once
// Maps in TMX, the XML map format of the general-purpose tile map editor: one orthogonal tile
// layer whose global tile ids (gids) are the cell values plus the tileset's firstgid.

#include "maps/MapImageItems.h"
#include "shell/MyTypes.h"
#include "shell/ParamsFile.h"
#include "shell/Progress.h"

#include <QByteArray>
#include <QImage>
#include <QString>

#include <vector>

namespace velkora {

// Limits of the TMX files DecodeTmx accepts, in the manner of the parameters file's: size,
// nesting of elements, and nodes (elements, attributes, comments and non-blank texts). The size
// is that of every reader (MaxReadFileSize: some 200 million cells of uncompressed base64, and
// compressed data holds far more); the nodes and the depth are those of the parameters file.
constexpr uint64_t MaxTmxFileSize = MaxReadFileSize;
constexpr int MaxTmxDepth = MaxParamsDepth;
constexpr int64_t MaxTmxNodes = MaxParamsNodes;

// The top four bits of a gid: horizontal, vertical and diagonal flip, and hexagonal rotation.
constexpr uint32_t TmxGidFlags = 0xF0000000u;

// The tileset of an exported map: one tile per cell value, cut from one picture.
constexpr int TmxTileCount = 256;
constexpr int TmxTilesetColumns = 16;

// The tileset a written map names: its tiles are the cells' values (tile v = value v).
struct TTmxTileset {
    QString Name;
    int32_t FirstGid = 1;
    int32_t TileWidth = MapCellSize;
    int32_t TileHeight = MapCellSize;
    int32_t TileCount = TmxTileCount;
    int32_t Columns = TmxTilesetColumns;
    QString ImageSource; // the picture's path, relative to the TMX file
    int32_t ImageWidth = TmxTilesetColumns * MapCellSize;
    int32_t ImageHeight = TmxTileCount / TmxTilesetColumns * MapCellSize;
};

// A map property: Type is "string" or "int".
struct TTmxProperty {
    QString Name;
    QString Type;
    QString Value;
};

// The texture sprites and palettes an exported map is drawn with, recorded in its properties.
struct TTmxExportInfo {
    int32_t Texture1 = 0;
    int32_t Texture2 = 0;
    QString Texture1Name;
    QString Texture2Name;
    int32_t Palette1 = 0;
    int32_t Palette2 = 0;
};

namespace TmxFile {
// The TMX text of a map (Cells row by row, w x h): the map's properties, the tileset and one
// layer "cells" whose data is base64 of the zlib-compressed little-endian 32-bit gids
// (value + FirstGid). Raises EFormatError for a size a map file cannot hold, a cell array whose
// length is not w x h, a cell value the tileset has no tile for (naming the cell), a tileset name
// or picture path that XML cannot hold, or layer data the memory cannot hold. Characters XML
// cannot hold in a property value become U+FFFD: the properties are for the reader's
// information only.
// Progress counts the cells encoded and may stop the encoding.
QByteArray EncodeTmx(const TMyByteArray& Cells, int32_t w, int32_t h, const TTmxTileset& Tileset,
                     const std::vector<TTmxProperty>& Properties, const TProgress& Progress = {});

// Decodes a TMX map into its cells, row by row: an orthogonal, finite map with exactly one
// tileset (inline or external; only its firstgid is read) and its first tile layer, whose data
// is CSV, base64, or base64 of zlib or gzip data. Every cell's gid must be firstgid + 0 to 255.
// Raises EFormatError (naming FileName) for anything else, naming the first offending cell
// (column, row) or element (with its line): empty cells (gid 0), flip or rotation bits, a second
// tileset, a missing tileset, layer or data, chunks (infinite maps), zstd, data of the wrong
// length, files beyond MaxTmxFileSize, MaxTmxDepth or MaxTmxNodes, and maps whose cells the
// memory cannot hold (refused before anything is allocated when they exceed the machine's
// memory). A document type that declares entities is refused; one without is ignored, and
// nothing outside the file is read.
TMyByteArray DecodeTmx(const uint8_t* S, size_t Size, int32_t& w, int32_t& h,
                       const QString& FileName);

// Reads FileName (at most MaxTmxFileSize bytes). On failure w and h are left unchanged.
TMyByteArray LoadTmx(const QString& FileName, int32_t& w, int32_t& h);

// The tileset picture of an exported map: TmxTileCount tiles of MapCellSize pixels in
// TmxTilesetColumns columns, tile v being Pictures.Picture(v) (Format_RGB32).
QImage TmxTilesetPicture(const TMapCellPictures& Pictures);

// Writes the map (Cells row by row, w x h) as the TMX file FileName and, beside the file it
// finally names (through links), its tileset picture NAME-tiles.png drawn from Pictures; both
// atomically, the picture first, so that a map written is never without its tiles. The map's
// properties record the textures and palettes of Info. A FileName that is a folder is refused
// before anything is written.
// Progress counts the cells encoded; a stop there writes neither file.
void ExportTmxFiles(const QString& FileName, const TMyByteArray& Cells, int32_t w, int32_t h,
                    const TMapCellPictures& Pictures, const TTmxExportInfo& Info,
                    const TProgress& Progress = {});
} // namespace TmxFile

} // namespace velkora
