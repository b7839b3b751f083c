// SPDX-License-Identifier: MIT
// "sprite export-png" and "sprite import-png": a sprite as an indexed PNG for paint programs,
// and back.

#include "palettes/BmpMaker.h"
#include "palettes/SpritePng.h"
#include "sprites/SpriteEditor.h"
#include "tools/RenderSupport.h"
#include "tools/ToolSupport.h"

#include <QFileInfo>
#include <QTextStream>

namespace velkora::tool {

namespace {

const char ExportUsage[] = "sprite export-png IN.spr OUT.png [--params FILE] [--palette N] "
                           "[--size S] [--order cw|ccw] [--columns C]";
const char ImportUsage[] = "sprite import-png IN.png OUT.spr [--uncompressed] [--params FILE] "
                           "[--palette N] [--size S] [--order cw|ccw] [--blocks B] "
                           "[--keep-indices]";

// The 16 colours of palette N of the parameters file (a palette it does not hold is a usage
// error); the grey ramp, with a note, only when no file was named and XMLParams.xml is not there.
QVector<QRgb> SpriteColours(const QString& Params, bool Named, int N) {
    if (!Named && !QFileInfo::exists(Params)) {
        PrintNote(QStringLiteral("there is no parameters file \"%1\": palette %2 is taken as a "
                                 "grey ramp")
                      .arg(MyTypes::ExpandFileName(Params))
                      .arg(N));
        return BmpMaker::GreyRamp();
    }
    TXMLDocument Doc;
    Doc.FileName = Params;
    const TPalletteList Palettes = BmpMaker::ReadPalettes(Doc);
    CheckPaletteNumber(N, Palettes.size(), Params);
    return BmpMaker::ColorTable(Palettes, N);
}

struct TCommonOptions {
    QString Params;
    bool ParamsNamed = false;
    int Palette = 0;
    std::optional<int> SizeIndex;
    std::optional<bool> IsCW;
};

TCommonOptions TakeCommonOptions(QStringList& Args) {
    TCommonOptions o;
    o.Params = TakeOption(Args, QStringLiteral("--params"));
    o.ParamsNamed = !o.Params.isNull();
    if (!o.ParamsNamed)
        o.Params = QStringLiteral("XMLParams.xml");
    o.Palette = int(ParseNumber(TakeOption(Args, QStringLiteral("--palette"), "0"),
                                QStringLiteral("--palette"), 0, 1000000));
    const QString Size = TakeOption(Args, QStringLiteral("--size"));
    if (!Size.isNull()) {
        o.SizeIndex = SpritePng::SpriteSizeIndex(Size);
        if (*o.SizeIndex < 0)
            throw UsageError(
                QStringLiteral("--size must be 8x8, 16x16, 24x24, 48x48 or 96x32, not \"%1\"")
                    .arg(Size));
    }
    const QString Order = TakeOption(Args, QStringLiteral("--order"));
    if (!Order.isNull()) {
        if (Order.compare(QLatin1String("cw"), Qt::CaseInsensitive) == 0)
            o.IsCW = true;
        else if (Order.compare(QLatin1String("ccw"), Qt::CaseInsensitive) == 0)
            o.IsCW = false;
        else
            throw UsageError(QStringLiteral("--order must be cw or ccw, not \"%1\"").arg(Order));
    }
    return o;
}

} // namespace

int SpriteExportPng(const QStringList& Arguments) {
    QStringList Args = Arguments;
    const TCommonOptions o = TakeCommonOptions(Args);
    const int SizeIndex = o.SizeIndex.value_or(0);
    const QString Columns = TakeOption(Args, QStringLiteral("--columns"));
    const int64_t C = Columns.isNull()
                          ? SpritePng::DefaultSpriteColumns(SizeIndex)
                          : ParseNumber(Columns, QStringLiteral("--columns"), 1, 1000000);
    ExpectArgs(Args, 2, ExportUsage);

    TSpriteInfo Sprite;
    Sprite.Init(Args.at(0));
    Sprite.GenerateBlocArray();
    if (Sprite.BlocksArray.empty())
        throw EFormatError(QStringLiteral("Sprite file \"%1\" has no whole tile, so there is "
                                          "nothing to export")
                               .arg(MyTypes::ExpandFileName(Args.at(0))));
    const QVector<QRgb> Colours = SpriteColours(o.Params, o.ParamsNamed, o.Palette);
    SpritePng::ExportSpritePng(Args.at(1), Sprite.BlocksArray, SizeIndex, o.IsCW.value_or(true), C,
                               Colours);
    return 0;
}

int SpriteImportPng(const QStringList& Arguments) {
    QStringList Args = Arguments;
    const bool Uncompressed = Args.removeAll(QStringLiteral("--uncompressed")) > 0;
    const bool KeepIndices = Args.removeAll(QStringLiteral("--keep-indices")) > 0;
    const TCommonOptions o = TakeCommonOptions(Args);
    TSpriteImportOptions Options;
    Options.SizeIndex = o.SizeIndex;
    Options.IsCW = o.IsCW;
    const QString Blocks = TakeOption(Args, QStringLiteral("--blocks"));
    if (!Blocks.isNull())
        Options.Blocks = ParseNumber(Blocks, QStringLiteral("--blocks"), 1, 2147483647);
    ExpectArgs(Args, 2, ImportUsage);

    const QVector<QRgb> Colours = SpriteColours(o.Params, o.ParamsNamed, o.Palette);
    // Without a parameters file there is no palette to match an indexed picture's colours to.
    Options.KeepIndices = KeepIndices || (!o.ParamsNamed && !QFileInfo::exists(o.Params));
    TSpriteInfo Sprite;
    TSpriteImportReport Report;
    Sprite.Bytes = SpritePng::ImportSpritePng(Args.at(0), Options, Colours, o.Palette, &Report);
    if (Report.ColoursMatched)
        QTextStream(stderr) << "velkora-tool: the palette of " << Args.at(0) << " is not palette "
                            << o.Palette
                            << " at the indices its pixels use; its colours were matched to "
                               "palette "
                            << o.Palette << " (--keep-indices takes its indices as they stand)\n";
    Sprite.GenerateBlocArray();
    if (Uncompressed)
        Sprite.SaveSprite(Args.at(1));
    else
        Sprite.SaveAsCompressedSprite(Args.at(1));
    PrintLine(QString::number(Sprite.BlocksArray.size()));
    return 0;
}

const SubCommand SpriteExportPngCommand = {
    "export-png", SpriteExportPng, ExportUsage,
    "Writes every block of a sprite as an indexed PNG (4 bits, the palette's 16 colours) for\n"
    "paint programs: tile groups of size S (default 8x8) in the order given (default cw),\n"
    "C groups to a row (default: as many as fit in 128 pixels). The layout is kept in the\n"
    "PNG's velkora-layout text. Without a parameters file: a grey ramp (said on stderr); a\n"
    "palette N that the file does not hold is a usage error.\n",
    "sprite export-png Sprites/Hero.spr Hero.png --palette 2 --size 16x16"};

const SubCommand SpriteImportPngCommand = {
    "import-png", SpriteImportPng, ImportUsage,
    "The inverse: the layout comes from the PNG's velkora-layout text or its comment, the\n"
    "options override it (without either: 8x8, cw, every group of the picture). An indexed\n"
    "PNG whose palette is palette N where its pixels use it gives its indices (0 to 15);\n"
    "any other PNG must use the exact colours of palette N, each pixel taking the lowest\n"
    "index of its colour (fully transparent pixels are colour 0). --keep-indices, or no\n"
    "parameters file, takes an indexed PNG's indices as they stand. Writes OUT.spr\n"
    "compressed (or uncompressed) and prints the block count.\n",
    "sprite import-png Hero.png Sprites/Hero.spr --palette 2"};

} // namespace velkora::tool
