// SPDX-License-Identifier: MIT
// "map export-tmx" and "map import-tmx": maps to and from the general-purpose tile map editor.

#include "maps/MapLoader.h"
#include "maps/TmxExport.h"
#include "maps/TmxFile.h"
#include "tools/RenderSupport.h"
#include "tools/ToolProgress.h"
#include "tools/ToolSupport.h"

namespace velkora::tool {

namespace {

const char ExportUsage[] =
    "map export-tmx IN.Map OUT.tmx --root DIR --tex1 I --tex2 J [--pal1 P] [--pal2 Q] "
    "[--tileset FILE.tsx]";
const char ImportUsage[] = "map import-tmx IN.tmx|IN.tmj OUT.Map";

} // namespace

int MapExportTmx(const QStringList& Arguments) {
    QStringList Args = Arguments;
    const QString TilesetFile = TakeOption(Args, QStringLiteral("--tileset"));
    const TMapTextureOptions Options = TakeMapTextureOptions(Args);
    ExpectArgs(Args, 2, ExportUsage);
    RefuseOtherFormat(Args.at(0), TInputKind::Map);
    // Targets that cannot be written, and a tileset that does not fit, are refused before the
    // map and the textures are read.
    const TTmxExportPlan Plan = TmxExport::PlanExport(Args.at(1), TilesetFile);
    const TMapTextures Textures(Options);

    int32_t w = 0;
    int32_t h = 0;
    TToolProgress Progress(QStringLiteral("map export-tmx"));
    const TMyByteArray Cells = LoadMapFile(Args.at(0), w, h, Progress.Step(0, 0.2));
    TTmxExportInfo Info;
    Info.Texture1 = Textures.Texture1();
    Info.Texture2 = Textures.Texture2();
    Info.Texture1Name = Textures.Texture1Name();
    Info.Texture2Name = Textures.Texture2Name();
    Info.Palette1 = Textures.Palette1();
    Info.Palette2 = Textures.Palette2();
    TmxExport::Export(Plan, Cells, w, h, Textures.Pictures(), Info, Progress.Step(0.2, 0.8));
    return 0;
}

int MapImportTmx(const QStringList& Args) {
    ExpectArgs(Args, 2, ImportUsage);
    const TTmxImport Map = TmxFile::LoadTileMap(Args.at(0));
    for (const QString& Note : Map.Notes)
        PrintNote(Note);
    MapLoader::SaveMap(Args.at(1), Map.Cells, Map.Width, Map.Height);
    PrintLine(QStringLiteral("%1 %2").arg(Map.Width).arg(Map.Height));
    return 0;
}

const SubCommand MapExportTmxCommand = {
    "export-tmx", MapExportTmx, ExportUsage,
    "Writes the map for the general-purpose tile map editor: OUT.tmx, one layer of gids\n"
    "(cell value + 1), and its tileset of 256 tiles of 24 x 24 pixels, tile V drawn as\n"
    "map render draws the value V, five to a row as in the item grid: inside OUT.tmx with\n"
    "its picture OUT-tiles.png beside it, or with --tileset the file FILE.tsx. An existing\n"
    "FILE.tsx is kept as it is (its geometry must fit: 24 x 24 tiles, no spacing or margin)\n"
    "and only the picture it names is drawn anew; a new one gets its picture FILE.png.\n"
    "Every file is written, or none.\n",
    "map export-tmx Maps/Level1.Map Level1.tmx --root . --tex1 0 --tex2 1"};

const SubCommand MapImportTmxCommand = {
    "import-tmx", MapImportTmx, ImportUsage,
    "Writes an orthogonal TMX or JSON map with one tileset as a map file and prints\n"
    "\"W H\": each cell takes the topmost visible tile layer's tile (cell value = gid -\n"
    "firstgid, 0 to 255). The layers and tilesets not read are named on stderr.\n",
    "map import-tmx Level1.tmx Maps/Level1.Map"};

} // namespace velkora::tool
