// "map export-tmx" and "map import-tmx": maps to and from the general-purpose tile map editor.

#include "maps/MapLoader.h"
#include "maps/TmxFile.h"
#include "tools/RenderSupport.h"
#include "tools/ToolSupport.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageWriter>

#include <cerrno>

namespace velkora::tool {

namespace {

const char ExportUsage[] =
    "map export-tmx IN.Map OUT.tmx --root DIR --tex1 I --tex2 J [--pal1 P] [--pal2 Q]";
const char ImportUsage[] = "map import-tmx IN.tmx OUT.Map";

QByteArray PngBytes(const QImage& Image, const QString& FileName) {
    QByteArray Data;
    QBuffer Buffer(&Data);
    Buffer.open(QIODevice::WriteOnly);
    QImageWriter Writer(&Buffer, "png");
    if (!Writer.write(Image))
        throw EInOutError(QStringLiteral("Cannot write file \"%1\". %2")
                              .arg(MyTypes::ExpandFileName(FileName), Writer.errorString()));
    return Data;
}

} // namespace

int MapExportTmx(const QStringList& Arguments) {
    QStringList Args = Arguments;
    const TMapTextureOptions Options = TakeMapTextureOptions(Args);
    ExpectArgs(Args, 2, ExportUsage);
    // The tileset picture lies beside the file the map goes into (the target of a link, which
    // the save writes through) and is named after it.
    const QFileInfo Given(MyTypes::ExpandFileName(Args.at(1)));
    const QString Real = Given.canonicalFilePath();
    const QFileInfo Out(Real.isEmpty() ? Given.absoluteFilePath() : Real);
    const QString PictureName = Out.completeBaseName() + QStringLiteral("-tiles.png");
    const QString PicturePath = Out.absolutePath() + QLatin1Char('/') + PictureName;
    // A map that cannot be written at all is refused before its picture is.
    if (Out.isDir())
        throw EFCreateError(Given.absoluteFilePath(), MyTypes::SystemErrorText(EISDIR));
    const TMapTextures Textures(Options);

    int32_t w = 0;
    int32_t h = 0;
    const TMyByteArray Cells = MapLoader::LoadMap(Args.at(0), w, h);
    const TMapCellPictures Pictures = Textures.Pictures();

    TTmxTileset Tileset;
    Tileset.Name = Textures.Texture1Name() + QStringLiteral(" : ") + Textures.Texture2Name();
    Tileset.ImageSource = PictureName;
    auto Number = [](int n) { return QString::number(n); };
    const QByteArray Text = TmxFile::EncodeTmx(
        Cells, w, h, Tileset,
        {{QStringLiteral("tex1"), QStringLiteral("int"), Number(Textures.Texture1())},
         {QStringLiteral("tex1-name"), QStringLiteral("string"), Textures.Texture1Name()},
         {QStringLiteral("tex2"), QStringLiteral("int"), Number(Textures.Texture2())},
         {QStringLiteral("tex2-name"), QStringLiteral("string"), Textures.Texture2Name()},
         {QStringLiteral("pal1"), QStringLiteral("int"), Number(Textures.Palette1())},
         {QStringLiteral("pal2"), QStringLiteral("int"), Number(Textures.Palette2())}});
    const QByteArray Png = PngBytes(TmxFile::TmxTilesetPicture(Pictures), PicturePath);

    // The picture first: a map written is never without its tiles.
    MyTypes::WriteFileAtomically(PicturePath, reinterpret_cast<const uint8_t*>(Png.constData()),
                                 size_t(Png.size()));
    MyTypes::WriteFileAtomically(Args.at(1), reinterpret_cast<const uint8_t*>(Text.constData()),
                                 size_t(Text.size()));
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
