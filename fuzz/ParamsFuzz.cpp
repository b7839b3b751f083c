// SPDX-License-Identifier: MIT
// The parameters file readers (palettes, texture sets, palette sets) on any bytes: each either
// reads or raises an error; none crashes, and what they read is in range.

#include "fuzz/FuzzCheck.h"
#include "palettes/BmpMaker.h"
#include "shell/ParamsFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

using namespace velkora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    static const QString Name =
        QDir::tempPath() +
        QStringLiteral("/velkora-params-fuzz-%1.xml").arg(QCoreApplication::applicationPid());
    {
        QFile f(Name);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        f.write(reinterpret_cast<const char*>(Data), qint64(Size));
    }
    TXMLDocument Doc;
    Doc.FileName = Name;
    try {
        TPalletteList Palettes;
        BmpMaker::Init(Doc, Palettes);
    } catch (const Exception&) {
    }
    Doc.Close();
    TSetArray MapSets;
    try {
        ParamsFile::ReadMapSets(Doc, MapSets);
    } catch (const Exception&) {
    }
    Doc.Close();
    TPalSetArray PalSets;
    try {
        ParamsFile::ReadPalSets(Doc, PalSets);
        for (const TPalSet& s : PalSets)
            for (int32_t v : s.pal)
                FUZZ_CHECK(v >= 0 && v <= 15);
    } catch (const Exception&) {
    }
    Doc.Close();
    return 0;
}
