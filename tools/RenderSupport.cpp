// SPDX-License-Identifier: MIT
#include "tools/RenderSupport.h"

#include "tools/ToolSupport.h"

#include <QDir>

#include <cerrno>

namespace velkora::tool {

namespace {

QString RequiredOption(QStringList& Args, const QString& Name) {
    const QString Value = TakeOption(Args, Name);
    if (Value.isNull())
        throw UsageError(QStringLiteral("%1 is required").arg(Name));
    return Value;
}

} // namespace

TPalletteList LoadPalettes(const QString& FileName) {
    TXMLDocument Doc;
    Doc.FileName = FileName;
    return BmpMaker::ReadPalettes(Doc);
}

void CheckPaletteNumber(int N, size_t Count, const QString& FileName) {
    if (N >= 0 && size_t(N) < Count)
        return;
    const QString Holds = Count == 0 ? QStringLiteral("no palette")
                          : Count == 1
                              ? QStringLiteral("1 palette (0)")
                              : QStringLiteral("%1 palettes (0 to %2)").arg(Count).arg(Count - 1);
    throw UsageError(QStringLiteral("--palette %1: the parameters file \"%2\" holds %3")
                         .arg(N)
                         .arg(MyTypes::ExpandFileName(FileName), Holds));
}

TMapTextureOptions TakeMapTextureOptions(QStringList& Args) {
    TMapTextureOptions o;
    o.Root = RequiredOption(Args, QStringLiteral("--root"));
    o.Tex1 = RequiredOption(Args, QStringLiteral("--tex1"));
    o.Tex2 = RequiredOption(Args, QStringLiteral("--tex2"));
    o.Pal1 = TakeOption(Args, QStringLiteral("--pal1"), QStringLiteral("0"));
    o.Pal2 = TakeOption(Args, QStringLiteral("--pal2"), QStringLiteral("0"));
    return o;
}

QString TMapTextures::CheckedRoot(const QString& Root) {
    // ".." is resolved as the system resolves it, not struck out with the part before it.
    const QString Full = MyTypes::ExpandFileName(Root);
    if (!QDir(Full).exists())
        throw EFOpenError(MyTypes::PrintableFileName(Full), MyTypes::SystemErrorText(ENOENT));
    return Full;
}

TMapTextures::TMapTextures(const TMapTextureOptions& Options)
    : fRootPath(CheckedRoot(Options.Root)), fLibrary(fRootPath) {
    const int Count = int(fLibrary.SpriteNames().size());
    if (Count == 0)
        throw Exception(QStringLiteral("The sprite library \"%1\" holds no sprite")
                            .arg(MyTypes::DataPath(fRootPath, SpriteFolderName)));
    fI = int(ParseNumber(Options.Tex1, QStringLiteral("--tex1"), 0, Count - 1));
    fJ = int(ParseNumber(Options.Tex2, QStringLiteral("--tex2"), 0, Count - 1));

    fPalettes = LoadPalettes(fRootPath + QStringLiteral("/XMLParams.xml"));
    const long long Palettes = (long long)(fPalettes.size());
    if (Palettes == 0)
        throw Exception(QStringLiteral("The parameters file \"%1\" holds no palette")
                            .arg(fRootPath + QStringLiteral("/XMLParams.xml")));
    fP = int(ParseNumber(Options.Pal1, QStringLiteral("--pal1"), 0, Palettes - 1));
    fQ = int(ParseNumber(Options.Pal2, QStringLiteral("--pal2"), 0, Palettes - 1));
}

TMapCellPictures TMapTextures::Pictures() const {
    // The strips as the workspace builds them: the palette first, then the sprite.
    TMapImageItems Items1;
    TMapImageItems Items2;
    Items1.SetPalette(fP, BmpMaker::ColorTable(fPalettes, fP));
    Items1.SetSpriteInfo(fLibrary.SpriteInfo(fI));
    Items2.SetPalette(fQ, BmpMaker::ColorTable(fPalettes, fQ));
    Items2.SetSpriteInfo(fLibrary.SpriteInfo(fJ));
    TMapCellPictures Pictures;
    Pictures.Rebuild(Items1, Items2);
    return Pictures;
}

} // namespace velkora::tool
