// "map export-tmx" and "map import-tmx": maps to and from the general-purpose tile map editor.

#include "maps/MapLoader.h"
#include "maps/TmxFile.h"
#include "tools/RenderSupport.h"
#include "tools/ToolProgress.h"
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
    TToolProgress Progress(QStringLiteral("map export-tmx"));
    const TMyByteArray Cells = LoadMapFile(Args.at(0), w, h, Progress.Step(0, 0.2));
    TTmxExportInfo Info;
    Info.Texture1 = Textures.Texture1();
    Info.Texture2 = Textures.Texture2();
    Info.Texture1Name = Textures.Texture1Name();
    Info.Texture2Name = Textures.Texture2Name();
    Info.Palette1 = Textures.Palette1();
    Info.Palette2 = Textures.Palette2();
    TmxFile::ExportTmxFiles(Args.at(1), Cells, w, h, Textures.Pictures(), Info,
                            Progress.Step(0.2, 0.8));
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

} // namespace velkora::tool
