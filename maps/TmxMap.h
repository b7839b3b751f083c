// SPDX-License-Identifier: MIT
#pragma once
// A tile map as the general-purpose map editor saves it (in TMX or in JSON), apart from the file
// format: its size, its tilesets, its tile layers and its properties; and how a map's cells are
// taken from it: the visible tile layers merged top-down, each cell being the tile of the
// topmost visible layer that has one there, less the tileset's firstgid.

#include "shell/MyTypes.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

namespace velkora {

// The top four bits of a gid: horizontal, vertical and diagonal flip, and hexagonal rotation.
constexpr uint32_t TmxGidFlags = 0xF0000000u;

// A map property: Type is "string", "int" or another type of the map editor.
struct TTmxProperty {
    QString Name;
    QString Type;
    QString Value;
};

// One tileset as a map names it, and its geometry where it is known.
struct TTmxTilesetInfo {
    QString Where; // how messages name it: "<tileset> "t" (line 3)", "tileset "t""
    uint32_t FirstGid = 0;
    QString Source; // an external tileset's file as the map names it; empty for an inline one
    // Known for an inline tileset, and for an external one once its file is read.
    bool HasGeometry = false;
    QString Name;
    int64_t TileWidth = 0;
    int64_t TileHeight = 0;
    int64_t Spacing = 0;
    int64_t Margin = 0;
    int64_t Columns = 0;
    int64_t TileCount = 0;
    bool HasImage = false;   // cut from one picture (else a collection of images)
    QString ImageSource;     // the picture, relative to the file holding the tileset
    int64_t ImageWidth = -1; // as recorded or as the picture is; -1 when not known
    int64_t ImageHeight = -1;
};

// One visible tile layer's data.
enum class TTmxLayerFormat { Csv, Base64, Gids };
struct TTmxLayer {
    QString Where; // "<layer> "ground" (line 12)", "layer "ground" (id 3)"
    int64_t Width = 0;
    int64_t Height = 0;
    TTmxLayerFormat Format = TTmxLayerFormat::Csv;
    QString Compression;        // base64 only: empty, "zlib" or "gzip"
    QString Text;               // the CSV or base64 text, whitespace included
    std::vector<uint32_t> Gids; // Format Gids: one per cell, row by row
    bool HaveData = false;
};

// What a reader found in a map file.
struct TTmxMapData {
    QString Prefix; // what every message starts with: "TMX file "level.tmx""
    int32_t Width = 0;
    int32_t Height = 0;
    std::vector<TTmxTilesetInfo> Tilesets;
    std::vector<TTmxLayer> Layers; // the visible tile layers, bottom first
    QStringList HiddenLayers;      // the names of the hidden tile layers
    QStringList OtherLayers;       // "the object layer "o"", "the image layer "sky""
    std::vector<TTmxProperty> Properties;
    uint64_t FileSize = 0;
};

// A map read from a file.
struct TTmxImport {
    int32_t Width = 0;
    int32_t Height = 0;
    TMyByteArray Cells; // row by row
    std::vector<TTmxProperty> Properties;
    TTmxTilesetInfo Tileset;
    // What was left aside or not checked, each a sentence naming the file: layers not read, an
    // external tileset not found.
    QStringList Notes;
};

// Texture and palette positions (-1: none), for RecordedTextures.
struct TTmxTextureChoice {
    int Texture[2] = {-1, -1};
    int Palette[2] = {-1, -1};
};

namespace TmxMap {
// Takes the cells from Map: exactly one tileset; at least one visible tile layer, each of the
// map's size; every cell non-empty in some visible layer, its topmost tile unflipped and among
// the tileset's tiles 0 to 255. An inline tileset's geometry is checked (CheckTileset). Each
// layer's data is measured against width x height before anything the size of the map is
// allocated. Raises EFormatError starting with Map.Prefix, naming the offending cell, layer or
// tileset. Map's layer data is given up as it is decoded.
TTmxImport Resolve(TTmxMapData& Map);

// Raises EFormatError (Prefix, then the tileset's Where) naming what differs when Tileset is
// not cut as a map's cells need: 24 x 24 tiles, no spacing, no margin, one picture whose width
// gives its column count. A picture of unknown width is not checked for its columns.
void CheckTileset(const TTmxTilesetInfo& Tileset, const QString& Prefix);

// The value of the property Name as a whole number from Min to Max; false when there is no such
// property or it holds anything else.
bool IntProperty(const std::vector<TTmxProperty>& Properties, const QString& Name, int Min, int Max,
                 int& Value);

// The textures and palettes an exported map's properties record, as positions in a sprite
// library of the names SpriteNames and among PaletteCount palettes: a texture by its name
// ("tex1-name", any case) where the library holds it, else by its position ("tex1"); a palette
// by its number ("pal1"). -1 where the properties record none that exists there.
TTmxTextureChoice RecordedTextures(const std::vector<TTmxProperty>& Properties,
                                   const QStringList& SpriteNames, int PaletteCount);
} // namespace TmxMap

} // namespace velkora
