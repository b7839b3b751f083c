// SPDX-License-Identifier: MIT
#include "shell/Session.h"

#include <QDir>

namespace velkora {

namespace {

QString CleanRoot(const QString& Root) {
    QString r = MyTypes::ExpandFileName(Root.isEmpty() ? QStringLiteral(".") : Root);
    while (r.size() > 1 && r.endsWith(QLatin1Char('/')))
        r.chop(1);
    return r;
}

} // namespace

TSession::TSession(const QString& Root) : fRoot(CleanRoot(Root)), fSpriteContainer(fRoot) {
    fXMLDocument.FileName = fRoot + QStringLiteral("/XMLParams.xml");
}

void TSession::ReadParameters() {
    QStringList Errors;
    const auto Read = [&](auto&& Part) {
        try {
            Part();
        } catch (const Exception& e) {
            if (!Errors.contains(e.Message()))
                Errors << e.Message();
        }
    };
    Read([&] {
        TPalletteList Palettes;
        try {
            BmpMaker::Init(fXMLDocument, Palettes);
        } catch (...) {
            fPalettes.Reset(Palettes);
            throw;
        }
        fPalettes.Reset(Palettes);
    });
    Read([&] { ParamsFile::ReadMapSets(fXMLDocument, fMapSets); });
    // A palette set list is taken whole or not at all: a set read wrongly would recolour sprites.
    Read([&] {
        TPalSetArray Sets;
        ParamsFile::ReadPalSets(fXMLDocument, Sets);
        fPalSets = std::move(Sets);
    });
    if (!Errors.isEmpty())
        throw Exception(Errors.join(QLatin1Char('\n')));
}

void TSession::AddMapSet(const TSet& Set) {
    ParamsFile::AppendMapSet(fXMLDocument, Set);
    fMapSets.clear();
    try {
        ParamsFile::ReadMapSets(fXMLDocument, fMapSets);
    } catch (...) {
        emit MapSetsChanged();
        throw;
    }
    emit MapSetsChanged();
}

void TSession::AddPalSet(const TPalletteArray& Mapping) {
    ParamsFile::AppendPalSet(fXMLDocument, Mapping);
    // A palette set list is taken whole or not at all, as at start-up.
    TPalSetArray Sets;
    ParamsFile::ReadPalSets(fXMLDocument, Sets);
    fPalSets = std::move(Sets);
    emit PalSetsChanged();
}

QString TSession::SpritePath(const QString& Name) const {
    return MyTypes::DataPath(fRoot, SpriteFolderName, Name);
}

QString TSession::MapPath(const QString& Name) const {
    return MyTypes::DataPath(fRoot, MapFolderName, Name);
}

} // namespace velkora
