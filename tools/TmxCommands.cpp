// "map export-tmx" and "map import-tmx": maps to and from the general-purpose tile map editor.

#include "maps/MapLoader.h"
#include "maps/TmxFile.h"
#include "tools/RenderSupport.h"
#include "tools/ToolSupport.h"

#include <QFileInfo>

#include <cerrno>

namespace velkora::tool {

namespace {

const char ExportUsage[] =
    "map export-tmx IN.Map OUT.tmx --root DIR --tex1 I --tex2 J [--pal1 P] [--pal2 Q]";
const char ImportUsage[] = "map import-tmx IN.tmx OUT.Map";

} // namespace

int MapExportTmx(const QStringList& Arguments) {
    QStringList Args = Arguments;
    const TMapTextureOptions Options = TakeMapTextureOptions(Args);
    ExpectArgs(Args, 2, ExportUsage);
    // A map that cannot be written at all is refused before anything is read.
    if (QFileInfo(MyTypes::ExpandFileName(Args.at(1))).isDir())
        throw EFCreateError(MyTypes::ExpandFileName(Args.at(1)), MyTypes::SystemErrorText(EISDIR));
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
    TmxFile::ExportTmxFiles(Args.at(1), Cells, w, h, Textures.Pictures(), Info);
    return 0;
}

int MapImportTmx(const QStringList& Args) {
    ExpectArgs(Args, 2, ImportUsage);
    int32_t w = 0;
    int32_t h = 0;
    const TMyByteArray Cells = TmxFile::LoadTmx(Args.at(0), w, h);
    MapLoader::SaveMap(Args.at(1), Cells, w, h);
    PrintLine(QStringLiteral("%1 %2").arg(w).arg(h));
    return 0;
}

const SubCommand MapExportTmxCommand = {
    "export-tmx", MapExportTmx, ExportUsage,
    "Writes the map for the general-purpose tile map editor: OUT.tmx, one layer of gids\n"
    "(cell value + 1), and beside it OUT-tiles.png, 256 tiles of 24 x 24 pixels, tile V\n"
    "drawn as map render draws the value V.\n",
    "map export-tmx Maps/Level1.Map Level1.tmx --root . --tex1 0 --tex2 1"};

const SubCommand MapImportTmxCommand = {
    "import-tmx", MapImportTmx, ImportUsage,
    "Writes the first tile layer of an orthogonal TMX map with one tileset as a map file\n"
    "(cell value = gid - firstgid, 0 to 255) and prints \"W H\".\n",
    "map import-tmx Level1.tmx Maps/Level1.Map"};

} // namespace velkora::tool
