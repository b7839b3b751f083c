// SPDX-License-Identifier: MIT
#pragma once
// The game's palettes as the editor edits them: the colours read from the parameters file,
// changed with undo (a colour, or a whole palette taken from a palette file), and saved back into
// the file, where only the colours that changed are written. Every view that draws with the
// palettes repaints from PalettesChanged.

#include "palettes/BmpMaker.h"

#include <QObject>
#include <QUndoStack>

namespace velkora {

class TPaletteDocument : public QObject {
    Q_OBJECT
public:
    // The palettes of the parameters file Doc (not read here: see Reset).
    explicit TPaletteDocument(TXMLDocument& Doc, QObject* Parent = nullptr);

    const TPalletteList& Palettes() const { return fPalettes; }
    int Count() const { return int(fPalettes.size()); }
    // Colour c of palette p (black outside the palettes).
    TCol Colour(int p, int c) const;

    // The palettes as the file holds them now: the undo history goes and nothing is modified.
    void Reset(const TPalletteList& Palettes);

    // One step of the undo stack each; nothing happens when the palette holds the colours
    // already. A palette or colour number outside the palettes raises EListError.
    void SetColour(int p, int c, const TCol& Value);
    // Palette p takes Pal's 16 colours (from a palette file); What names the step ("import of
    // dusk.gpl").
    void SetPalette(int p, const TPallette& Pal, const QString& What);

    QUndoStack* UndoStack() { return &fUndoStack; }
    // Whether the palettes differ from the file as last read or saved, as the undo stack tells.
    bool IsModified() const { return !fUndoStack.isClean(); }

    // Writes every colour that differs from the file as last read or saved into the parameters
    // file (PaletteParams::WriteColours): one atomic save that leaves every other byte as it was.
    // The palettes are then no longer modified. On an error (reported by the exception) nothing
    // is written and everything stays as it was.
    void Save();

    // "XMLParams.xml": what the title and the question before unsaved changes name.
    QString FileTitle() const;

signals:
    // The colours of palette Palette changed (an edit, its undo or redo); -1 for all of them.
    void PalettesChanged(int Palette);
    void ModifiedChanged(bool Modified);

private:
    class TSetPalette;
    // Palette p becomes Pal, and every view hears of it.
    void Apply(int p, const TPallette& Pal);
    void CheckPalette(int p) const;

    TXMLDocument& fDoc;
    TPalletteList fPalettes;
    // The file's palettes as last read or saved.
    TPalletteList fSaved;
    QUndoStack fUndoStack;
};

} // namespace velkora
