// SPDX-License-Identifier: MIT
#include "maps/MapImageItems.h"
#include "maps/MapLoader.h"
#include "maps/MapPicture.h"
#include "palettes/BmpMaker.h"
#include "palettes/PngFile.h"
#include "sprites/SpriteEditor.h"
#include "tools/RenderSupport.h"
#include "tools/ToolProgress.h"
#include "tools/ToolSupport.h"

#include <QDir>

#include <cerrno>
#include <cstring>

namespace velkora::tool {

namespace {

const char SpriteRenderUsage[] =
    "sprite render IN.spr OUT.png [--params FILE] [--palette N] "
    "[--size 8x8|16x16|24x24|48x48|96x32] [--order cw|ccw] [--width W] [--height H]";

const char MapRenderUsage[] =
    "map render IN.Map OUT.png --root DIR --tex1 I --tex2 J [--pal1 P] [--pal2 Q] [--fast]";

// Writes a Format_Indexed8 image as an indexed PNG of its colour table, replacing FileName
// atomically.
void WriteIndexedPng(const QImage& Image, const QString& FileName) {
    const QVector<QRgb> Table = Image.colorTable();
    TMyByteArray Indices(size_t(Image.width()) * size_t(Image.height()));
    for (int y = 0; y < Image.height(); ++y)
        std::memcpy(Indices.data() + size_t(y) * size_t(Image.width()), Image.constScanLine(y),
                    size_t(Image.width()));
    PngFile::WriteIndexedPngFile(FileName, Indices.data(), uint32_t(Image.width()),
                                 uint32_t(Image.height()),
                                 std::vector<QRgb>(Table.begin(), Table.end()));
}

} // namespace

int SpriteRender(const QStringList& Arguments) {
    QStringList Args = Arguments;
    const QString Params = TakeOption(Args, QStringLiteral("--params"), "XMLParams.xml");
    const int PalI = int(ParseNumber(TakeOption(Args, QStringLiteral("--palette"), "0"),
                                     QStringLiteral("--palette"), 0, 1000000));
    const QString Size = TakeOption(Args, QStringLiteral("--size"), "24x24");
    const QString Order = TakeOption(Args, QStringLiteral("--order"), "cw");
    const int w = int(ParseNumber(TakeOption(Args, QStringLiteral("--width"), "230"),
                                  QStringLiteral("--width"), 1, 32767));
    const int h = int(ParseNumber(TakeOption(Args, QStringLiteral("--height"), "96"),
                                  QStringLiteral("--height"), 1, 32767));
    ExpectArgs(Args, 2, SpriteRenderUsage);

    static const char* const SizeNames[] = {"8x8", "16x16", "24x24", "48x48", "96x32"};
    int SizeIndex = -1;
    for (int i = 0; i < 5; ++i)
        if (Size.compare(QLatin1String(SizeNames[i]), Qt::CaseInsensitive) == 0)
            SizeIndex = i;
    if (SizeIndex < 0)
        throw UsageError(
            QStringLiteral("--size must be 8x8, 16x16, 24x24, 48x48 or 96x32, not \"%1\"")
                .arg(Size));
    bool IsCW = true;
    if (Order.compare(QLatin1String("ccw"), Qt::CaseInsensitive) == 0)
        IsCW = false;
    else if (Order.compare(QLatin1String("cw"), Qt::CaseInsensitive) != 0)
        throw UsageError(QStringLiteral("--order must be cw or ccw, not \"%1\"").arg(Order));

    TSpriteInfo Sprite;
    Sprite.Init(Args.at(0));
    Sprite.GenerateBlocArray();
    const TPalletteList Palettes = LoadPalettes(Params);
    CheckPaletteNumber(PalI, Palettes.size(), Params);
    const QVector<QRgb> Colors = BmpMaker::ColorTable(Palettes, PalI);

    QImage Image;
    if (Sprite.BlocksArray.empty())
        // Without a whole tile MakeBMPImage draws nothing; the picture is then all colour 0,
        // which is what one blank tile gives.
        BmpMaker::MakeBMPImage(Image, TBlocksArray(1), SpriteSize[0], Colors, true, w, h);
    else
        BmpMaker::MakeBMPImage(Image, Sprite.BlocksArray, SpriteSize[size_t(SizeIndex)], Colors,
                               IsCW, w, h);
    WriteIndexedPng(Image, Args.at(1));
    return 0;
}

int MapRender(const QStringList& Arguments) {
    QStringList Args = Arguments;
    const bool Fast = Args.removeAll(QStringLiteral("--fast")) > 0;
    const TMapTextureOptions Options = TakeMapTextureOptions(Args);
    ExpectArgs(Args, 2, MapRenderUsage);
    RefuseOtherFormat(Args.at(0), TInputKind::Map);
    const TMapTextures Textures(Options);

    int32_t w = 0;
    int32_t h = 0;
    TToolProgress Progress(QStringLiteral("map render"));
    const TMyByteArray Cells = LoadMapFile(Args.at(0), w, h, Progress.Step(0, 0.1));
    // Refused before any texture is drawn.
    MapPicture::CheckMapPictureSize(w, h);
    MapPicture::WriteMapPngFile(Args.at(1), Cells, w, h, Textures.Pictures(),
                                Fast ? MapPicture::MapPngFastCompression()
                                     : MapPicture::MapPngCompression(),
                                Progress.Step(0.1, 0.9));
    return 0;
}

const SubCommand SpriteRenderCommand = {
    "render", SpriteRender, SpriteRenderUsage,
    "Draws a sprite in one of the game's palettes into a PNG image, as the workbench shows it.\n"
    "Defaults: XMLParams.xml, palette 0, 24x24, cw, 230 x 96. The PNG is indexed, its colour\n"
    "table the palette; a sprite without a whole tile gives an image of colour 0.\n",
    "sprite render Sprites/Hero.spr Hero.png --params XMLParams.xml --palette 2 --size 48x48"};

const SubCommand MapRenderCommand = {
    "render", MapRender, MapRenderUsage,
    "Draws the map as an indexed PNG picture with the items of the texture sprites I and J\n"
    "of the data root DIR (their positions in \"library list\", from 0), in the palettes P\n"
    "and Q, 24 pixel rows at a time. --fast compresses less, for the fastest run.\n",
    "map render Maps/Level1.Map Level1.png --root . --tex1 0 --tex2 1"};

} // namespace velkora::tool
