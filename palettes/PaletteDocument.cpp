// SPDX-License-Identifier: MIT
#include "palettes/PaletteDocument.h"

#include "palettes/PaletteParams.h"

#include <QFileInfo>

namespace velkora {

namespace {

bool Same(const TCol& a, const TCol& b) {
    return a.R == b.R && a.G == b.G && a.B == b.B;
}

bool Same(const TPallette& a, const TPallette& b) {
    for (size_t c = 0; c < a.Col.size(); ++c)
        if (!Same(a.Col[c], b.Col[c]))
            return false;
    return true;
}

} // namespace

// One step: palette p from Before to After.
class TPaletteDocument::TSetPalette : public QUndoCommand {
public:
    TSetPalette(TPaletteDocument& Document, int p, const TPallette& After, const QString& Text)
        : QUndoCommand(Text), fDocument(Document), fPalette(p),
          fBefore(Document.fPalettes[size_t(p)]), fAfter(After) {}
    void redo() override { fDocument.Apply(fPalette, fAfter); }
    void undo() override { fDocument.Apply(fPalette, fBefore); }

private:
    TPaletteDocument& fDocument;
    int fPalette;
    TPallette fBefore;
    TPallette fAfter;
};

TPaletteDocument::TPaletteDocument(TXMLDocument& Doc, QObject* Parent)
    : QObject(Parent), fDoc(Doc) {
    connect(&fUndoStack, &QUndoStack::cleanChanged, this,
            [this](bool Clean) { emit ModifiedChanged(!Clean); });
}

TCol TPaletteDocument::Colour(int p, int c) const {
    if (p < 0 || p >= Count() || c < 0 || c > 15)
        return TCol();
    return fPalettes[size_t(p)].Col[size_t(c)];
}

void TPaletteDocument::Reset(const TPalletteList& Palettes) {
    fUndoStack.clear();
    fPalettes = Palettes;
    fSaved = Palettes;
    emit PalettesChanged(-1);
}

void TPaletteDocument::CheckPalette(int p) const {
    if (p < 0 || p >= Count())
        throw EListError(p);
}

void TPaletteDocument::SetColour(int p, int c, const TCol& Value) {
    CheckPalette(p);
    if (c < 0 || c > 15)
        throw EListError(c);
    TPallette Pal = fPalettes[size_t(p)];
    if (Same(Pal.Col[size_t(c)], Value))
        return;
    Pal.Col[size_t(c)] = Value;
    // Palette numbers are shown from 1, as the palette selectors show them.
    fUndoStack.push(new TSetPalette(*this, p, Pal,
                                    QStringLiteral("colour %1 of palette %2").arg(c).arg(p + 1)));
}

void TPaletteDocument::SetPalette(int p, const TPallette& Pal, const QString& What) {
    CheckPalette(p);
    if (Same(fPalettes[size_t(p)], Pal))
        return;
    fUndoStack.push(new TSetPalette(*this, p, Pal, What));
}

void TPaletteDocument::Apply(int p, const TPallette& Pal) {
    fPalettes[size_t(p)] = Pal;
    emit PalettesChanged(p);
}

void TPaletteDocument::Save() {
    std::vector<PaletteParams::TColourChange> Changes;
    for (size_t p = 0; p < fPalettes.size(); ++p)
        for (size_t c = 0; c < 16; ++c) {
            const TCol& Now = fPalettes[p].Col[c];
            if (p >= fSaved.size() || !Same(Now, fSaved[p].Col[c]))
                Changes.push_back({int(p), int(c), Now});
        }
    if (!Changes.empty())
        PaletteParams::WriteColours(fDoc, Changes);
    fSaved = fPalettes;
    fUndoStack.setClean();
}

QString TPaletteDocument::FileTitle() const {
    return QFileInfo(fDoc.FileName).fileName();
}

} // namespace velkora
