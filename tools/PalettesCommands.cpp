// SPDX-License-Identifier: MIT
#include "palettes/BmpMaker.h"
#include "tools/ToolSupport.h"

namespace velkora::tool {

namespace {

int Run(const QStringList& Arguments) {
    QStringList Args = Arguments;
    const QString Params = TakeOption(Args, QStringLiteral("--params"), "XMLParams.xml");
    ExpectArgs(Args, 0, "palettes [--params FILE]");
    TXMLDocument Doc;
    Doc.FileName = Params;
    for (const TPallette& p : BmpMaker::ReadPalettes(Doc)) {
        QStringList Colours;
        for (const TCol& c : p.Col)
            Colours.append(QStringLiteral("%1%2%3")
                               .arg(c.R, 2, 16, QLatin1Char('0'))
                               .arg(c.G, 2, 16, QLatin1Char('0'))
                               .arg(c.B, 2, 16, QLatin1Char('0'))
                               .toUpper());
        PrintLine(Colours.join(QLatin1Char(' ')));
    }
    return 0;
}

const SubCommand PalettesCommand = {
    nullptr, Run, "palettes [--params FILE]",
    "Lists the palettes of a parameters file (default XMLParams.xml in the current\n"
    "directory), one line per palette in file order: its 16 colours as RRGGBB in\n"
    "upper-case hex, separated by single spaces. Palette N is line N + 1.\n",
    "palettes --params XMLParams.xml"};

} // namespace

const CommandGroup PalettesGroup = {"palettes", {&PalettesCommand}};

} // namespace velkora::tool
