// "sprite export-png" and "sprite import-png": a sprite as an indexed PNG for paint programs,
// and back.

#include "palettes/BmpMaker.h"
#include "palettes/SpritePng.h"
#include "sprites/SpriteEditor.h"
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

// The 16 colours of palette N of the parameters file; the grey ramp when it holds no palette
// N, or when no file was named and XMLParams.xml is not there.
QVector<QRgb> SpriteColours(const QString& Params, bool Named, int N) {
    TPalletteList Palettes;
    if (Named || QFileInfo::exists(Params)) {
        TXMLDocument Doc;
        Doc.FileName = Params;
        Palettes = BmpMaker::ReadPalettes(Doc);
    }
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

} // namespace velkora::tool
