#include "maps/MapImageItems.h"
#include "maps/MapLoader.h"
#include "maps/MapPicture.h"
#include "palettes/BmpMaker.h"
#include "palettes/PngFile.h"
#include "sprites/SpriteEditor.h"
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

QString RequiredOption(QStringList& Args, const QString& Name) {
    const QString Value = TakeOption(Args, Name);
    if (Value.isNull())
        throw UsageError(QStringLiteral("%1 is required").arg(Name));
    return Value;
}

// The palettes of the parameters file FileName.
TPalletteList LoadPalettes(const QString& FileName) {
    TXMLDocument Doc;
    Doc.FileName = FileName;
    return ReadPalettes(Doc);
}

// Writes a Format_Indexed8 image as an indexed PNG of its colour table, replacing FileName
// atomically.
void WriteIndexedPng(const QImage& Image, const QString& FileName) {
    const QVector<QRgb> Table = Image.colorTable();
    TMyByteArray Indices(size_t(Image.width()) * size_t(Image.height()));
    for (int y = 0; y < Image.height(); ++y)
        std::memcpy(Indices.data() + size_t(y) * size_t(Image.width()), Image.constScanLine(y),
                    size_t(Image.width()));
    WriteIndexedPngFile(FileName, Indices.data(), uint32_t(Image.width()), uint32_t(Image.height()),
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
    if (size_t(PalI) >= Palettes.size())
        throw Exception(QStringLiteral("There is no palette %1: \"%2\" holds %3 palettes")
                            .arg(PalI)
                            .arg(ExpandFileName(Params))
                            .arg(Palettes.size()));
    const QVector<QRgb> Colors = ColorTable(Palettes, PalI);

    QImage Image;
    if (Sprite.BlocksArray.empty())
        // Without a whole tile MakeBMPImage draws nothing; the picture is then all colour 0,
        // which is what one blank tile gives.
        MakeBMPImage(Image, TBlocksArray(1), SpriteSize[0], Colors, true, w, h);
    else
        MakeBMPImage(Image, Sprite.BlocksArray, SpriteSize[size_t(SizeIndex)], Colors, IsCW, w, h);
    WriteIndexedPng(Image, Args.at(1));
    return 0;
}

int MapRender(const QStringList& Arguments) {
    QStringList Args = Arguments;
    const bool Fast = Args.removeAll(QStringLiteral("--fast")) > 0;
    const QString Root = RequiredOption(Args, QStringLiteral("--root"));
    const QString Tex1 = RequiredOption(Args, QStringLiteral("--tex1"));
    const QString Tex2 = RequiredOption(Args, QStringLiteral("--tex2"));
    const QString Pal1 = TakeOption(Args, QStringLiteral("--pal1"), QStringLiteral("0"));
    const QString Pal2 = TakeOption(Args, QStringLiteral("--pal2"), QStringLiteral("0"));
    ExpectArgs(Args, 2, MapRenderUsage);

    if (!QDir(Root).exists())
        throw EFOpenError(ExpandFileName(Root), SystemErrorText(ENOENT));
    const QString RootPath = QDir(Root).absolutePath();
    const TSpriteContainer Library(RootPath);
    const int Count = int(Library.SpriteNames().size());
    if (Count == 0)
        throw Exception(QStringLiteral("The sprite library \"%1\" holds no sprite")
                            .arg(DataPath(RootPath, SpriteFolderName)));
    const int I = int(ParseNumber(Tex1, QStringLiteral("--tex1"), 0, Count - 1));
    const int J = int(ParseNumber(Tex2, QStringLiteral("--tex2"), 0, Count - 1));

    const TPalletteList PaletteList = LoadPalettes(RootPath + QStringLiteral("/XMLParams.xml"));
    const long long Palettes = (long long)(PaletteList.size());
    if (Palettes == 0)
        throw Exception(QStringLiteral("The parameters file \"%1\" holds no palette")
                            .arg(RootPath + QStringLiteral("/XMLParams.xml")));
    const int P = int(ParseNumber(Pal1, QStringLiteral("--pal1"), 0, Palettes - 1));
    const int Q = int(ParseNumber(Pal2, QStringLiteral("--pal2"), 0, Palettes - 1));

    int32_t w = 0;
    int32_t h = 0;
    const TMyByteArray Cells = LoadMap(Args.at(0), w, h);
    // Refused before any texture is drawn.
    CheckMapPictureSize(w, h);

    // The strips as the workspace builds them: the palette first, then the sprite.
    TMapImageItems Items1;
    TMapImageItems Items2;
    Items1.SetPalette(P, ColorTable(PaletteList, P));
    Items1.SetSpriteInfo(Library.SpriteInfo(I));
    Items2.SetPalette(Q, ColorTable(PaletteList, Q));
    Items2.SetSpriteInfo(Library.SpriteInfo(J));
    TMapCellPictures Pictures;
    Pictures.Rebuild(Items1, Items2);

    WriteMapPngFile(Args.at(1), Cells, w, h, Pictures,
                    Fast ? MapPngFastCompression() : MapPngCompression());
    return 0;
}

} // namespace velkora::tool
