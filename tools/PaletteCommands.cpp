// SPDX-License-Identifier: MIT
// "palette export" and "palette import": one palette of a parameters file to and from the palette
// files of paint programs.

#include "palettes/BmpMaker.h"
#include "palettes/PaletteFiles.h"
#include "palettes/PaletteParams.h"
#include "tools/RenderSupport.h"
#include "tools/ToolSupport.h"

#include <QFileInfo>

namespace velkora::tool {

namespace {

const char ExportUsage[] = "palette export OUT.(pal|gpl|hex|png) [--params FILE] [--palette N]";
const char ImportUsage[] =
    "palette import IN.(pal|gpl|hex|png) [--params FILE] (--palette N | --append)";

// The format of a palette file named on the command line; another suffix is a wrong argument.
void CheckFormat(const QString& FileName) {
    if (!PaletteFiles::FormatOf(FileName))
        throw UsageError(
            QStringLiteral("\"%1\" must end in %2").arg(FileName, PaletteFiles::Suffixes()));
}

int ExportRun(const QStringList& Arguments) {
    QStringList Args = Arguments;
    const QString Params = TakeOption(Args, QStringLiteral("--params"), "XMLParams.xml");
    const int N = int(ParseNumber(TakeOption(Args, QStringLiteral("--palette"), "0"),
                                  QStringLiteral("--palette"), 0, 1000000));
    ExpectArgs(Args, 1, ExportUsage);
    const QString Out = Args.at(0);
    CheckFormat(Out);
    TXMLDocument Doc;
    Doc.FileName = Params;
    const TPalletteList Palettes = BmpMaker::ReadPalettes(Doc);
    CheckPaletteNumber(N, Palettes.size(), Params);
    PaletteFiles::WritePaletteFile(Out, Palettes[size_t(N)], QStringLiteral("Palette %1").arg(N));
    return 0;
}

int ImportRun(const QStringList& Arguments) {
    QStringList Args = Arguments;
    const QString Params = TakeOption(Args, QStringLiteral("--params"), "XMLParams.xml");
    const QString Number = TakeOption(Args, QStringLiteral("--palette"));
    const bool Append = Args.removeAll(QStringLiteral("--append")) > 0;
    ExpectArgs(Args, 1, ImportUsage);
    if (Number.isNull() == !Append)
        throw UsageError(QStringLiteral("give either --palette N (the palette to replace) or "
                                        "--append (a new palette)"));
    const QString In = Args.at(0);
    CheckFormat(In);
    TXMLDocument Doc;
    Doc.FileName = Params;
    // The palette number is checked against the file before the palette file is read.
    int N = -1;
    if (!Append) {
        N = int(ParseNumber(Number, QStringLiteral("--palette"), 0, 1000000));
        CheckPaletteNumber(N, BmpMaker::ReadPalettes(Doc).size(), Params);
    }
    const TPallette Pal = PaletteFiles::ReadPaletteFile(In);
    if (Append)
        PrintLine(QString::number(PaletteParams::AppendPalette(Doc, Pal)));
    else
        PaletteParams::ReplacePalette(Doc, N, Pal);
    return 0;
}

const SubCommand ExportCommand = {
    "export", ExportRun, ExportUsage,
    "Writes palette N (default 0) of a parameters file (default XMLParams.xml in the\n"
    "current directory) into a palette file for a paint program, in the format its\n"
    "suffix names: .pal JASC-PAL, .gpl GIMP palette, .hex one RRGGBB a line, .png a\n"
    "16 x 1 indexed picture whose pixel x shows colour x.\n",
    "palette export Palette2.gpl --palette 2"};

const SubCommand ImportCommand = {
    "import", ImportRun, ImportUsage,
    "Reads the 16 colours of a palette file (.pal, .gpl, .hex, or the palette of a\n"
    ".png picture) into a parameters file (default XMLParams.xml in the current\n"
    "directory): --palette N replaces palette N's colours, --append adds a new\n"
    "palette after the last one and prints its number. Only the colours that change\n"
    "are written; every other byte of the file stays as it was. A file of other than\n"
    "16 colours is refused.\n",
    "palette import Palette2.gpl --append"};

} // namespace

const CommandGroup PaletteGroup = {"palette", {&ExportCommand, &ImportCommand}};

} // namespace velkora::tool
