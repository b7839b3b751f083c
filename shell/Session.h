// SPDX-License-Identifier: MIT
#pragma once
// One data root as the editor works on it: the root, its sprite library, its parameters document
// and what was read from that file. main() makes the session for the root it starts on and every
// window is given it when it is made; opening another root makes a new session.
//
// The texture sets and palette sets live here and nowhere else: a window that shows them reads
// them from the session and follows its signals, and adds a set through it.

#include "palettes/BmpMaker.h"
#include "palettes/PaletteDocument.h"
#include "shell/ParamsFile.h"
#include "sprites/SpriteEditor.h"

#include <QObject>

namespace velkora {

class TSession : public QObject {
    Q_OBJECT
public:
    // The session of Root (made absolute, without a trailing separator): lists and sorts
    // Root/Sprites at once (the list is final for the session's life) and names the parameters
    // file Root/XMLParams.xml, which is not read yet.
    explicit TSession(const QString& Root);
    TSession(const TSession&) = delete;
    TSession& operator=(const TSession&) = delete;

    // The data root.
    const QString& CurrentDir() const { return fRoot; }
    // The sprite library of the root.
    const TSpriteContainer& SpriteContainer() const { return fSpriteContainer; }
    // The parameters document; every reader and writer of the parameters file goes through it.
    TXMLDocument* XMLDocument() { return &fXMLDocument; }
    // The palettes as edited: read by ReadParameters, changed and saved through the document,
    // whose PalettesChanged every view that draws with them repaints from.
    TPaletteDocument& Palettes() { return fPalettes; }
    const TPalletteList& PalletteArray() const { return fPalettes.Palettes(); }
    // The map texture sets and the palette sets as ReadParameters last read them.
    const TSetArray& MapSets() const { return fMapSets; }
    const TPalSetArray& PalSets() const { return fPalSets; }

    // Reads the palettes (into Palettes(), whose undo history goes), the map texture sets and the
    // palette sets of the parameters file, each by itself: the palettes and texture sets keep
    // what was read of them before an error, the palette sets stay empty, and the other parts
    // are read all the same. Then raises one Exception holding each distinct message once (a file
    // that cannot be opened or parsed fails all three parts with the same message).
    void ReadParameters();

    // Appends a set to the parameters file (ParamsFile::AppendMapSet, AppendPalSet: only the new
    // element's bytes are written, its number chosen under the file's lock), then reads that kind
    // of set from the file again and signals the change. Raises the errors of either step. When
    // the reading fails the map texture sets hold those read before the error (and the change is
    // signalled), the palette sets stay as they were.
    void AddMapSet(const TSet& Set);
    void AddPalSet(const TPalletteArray& Mapping);

    // Root/Sprites/Name and Root/Maps/Name.
    QString SpritePath(const QString& Name) const;
    QString MapPath(const QString& Name) const;

signals:
    // The list of map texture sets or of palette sets changed.
    void MapSetsChanged();
    void PalSetsChanged();

private:
    QString fRoot;
    TSpriteContainer fSpriteContainer;
    TXMLDocument fXMLDocument;
    TPaletteDocument fPalettes{fXMLDocument};
    TSetArray fMapSets;
    TPalSetArray fPalSets;
};

} // namespace velkora
