// "map export-tmx" and "map import-tmx": maps to and from the general-purpose tile map editor.

#include "maps/MapLoader.h"
#include "maps/TmxExport.h"
#include "maps/TmxFile.h"
#include "tools/RenderSupport.h"
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
    // Targets that cannot be written, and a tileset that does not fit, are refused before the
    // map and the textures are read.
    const TTmxExportPlan Plan = TmxExport::PlanExport(Args.at(1), TilesetFile);
    const TMapTextures Textures(Options);

    int32_t w = 0;
    int32_t h = 0;
    const TMyByteArray Cells = MapLoader::LoadMap(Args.at(0), w, h);
    TTmxExportInfo Info;
    Info.Texture1 = Textures.Texture1();
    Info.Texture2 = Textures.Texture2();
    Info.Texture1Name = Textures.Texture1Name();
    Info.Texture2Name = Textures.Texture2Name();
    Info.Palette1 = Textures.Palette1();
    Info.Palette2 = Textures.Palette2();
    TmxExport::Export(Plan, Cells, w, h, Textures.Pictures(), Info);
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

} // namespace velkora::tool
