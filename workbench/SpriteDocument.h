// SPDX-License-Identifier: MIT
#pragma once
// The sprite being worked on, apart from any view of it: the words recolouring starts from (the
// base), the colour mapping, the current words (the base recoloured) with their tile blocks, and
// the two palettes it is shown with. Recolouring, Reset and every change of the words themselves
// are undo commands; views repaint from the signals.

#include "palettes/PalSwapper.h"
#include "shell/Document.h"
#include "sprites/SpriteEditor.h"

#include <memory>
#include <optional>

namespace velkora {

class TSpriteDocument : public TDocument {
    Q_OBJECT
public:
    explicit TSpriteDocument(QObject* Parent = nullptr);
    ~TSpriteDocument() override;

    // The current sprite: what is shown, exported and saved.
    const TSpriteInfo& SpriteInfo() const { return fSpriteInfo; }
    // The base: the words every recolouring starts from. A load sets it to the words read; every
    // change of the words themselves (ChangeWords) to the words it leaves.
    const TMyArray& BaseWords() const { return fPalletteSwapper.Bytes(); }
    // The colour mapping shown: entry c is the colour index that the base's colour c becomes.
    const TPalletteArray& PalletteSet() const { return fPalSet; }
    // The mapping the words show: PalletteSet() but after a load that did not apply it.
    const TPalletteArray& AppliedMapping() const { return fApplied; }
    // The first palette (shown on its own) and the second (the sprite is drawn in it).
    int32_t FirstPalIndex() const { return fFirstPal; }
    int32_t SecondPalIndex() const { return fSecondPal; }
    // FileName(): the file the sprite was read from; empty before a load (or in an empty
    // library).
    // The layout of the file: as it was loaded, then as it was last saved here.
    TSpriteForm Form() const { return fForm; }

    // Reads FileName as the sprite; its words become the base. With a Mapping it becomes the
    // mapping, and the words are the base recoloured by it when Apply is true, the base as it is
    // otherwise; without one the mapping stays as it is and the words are the base. A file that
    // cannot be read raises its error ("... Out of memory" when the sprite does not fit) and
    // leaves everything as it was. The edit history is cleared. An empty FileName gives an empty
    // sprite.
    void Load(const QString& FileName, const std::optional<TPalletteArray>& Mapping, bool Apply);
    // Undoable edits; each undo gives back the words, the base and the mapping before it.
    // Recolour: the mapping becomes Mapping and the words the base recoloured by it.
    void Recolour(const TPalletteArray& Mapping);
    // Reset: the identity mapping and the base's own words. When another program changed the
    // file since it was read or saved here, the file is read anew and its words become the base
    // (a file that cannot be read raises its error and changes nothing); a later save no longer
    // asks about that change. Where the result is the file as it stands, the sprite is not
    // modified; where nothing would change, nothing is done.
    void Reset();
    // A change of the words themselves (an edit-file or PNG import, a pixel edit): Words become
    // the words shown and the new base of recolouring, with the identity mapping, as one step
    // named Text.
    void ChangeWords(TMyArray Words, const QString& Text);
    // Writes the current words into the file they were read from, compressed or in the
    // uncompressed form; the sprite is then not modified. A failed write raises its error. The
    // compressed form holds whole tiles only: words after the last whole tile are written only
    // uncompressed, and a compressed save of such a sprite raises EFormatError and writes nothing
    // unless DropPartial says to leave them out.
    void Save(bool Compressed, bool DropPartial = false);

    // The memory the edit history holds, in bytes: the words of every state it keeps, each
    // counted once however many steps share it.
    size_t UndoMemoryUsed() const;

    // The palettes it is shown with; not an edit of the sprite.
    void SetPalettes(int32_t First, int32_t Second);

signals:
    // The current words changed (a load, an edit, its undo or redo).
    void WordsChanged();
    // The mapping changed (a load that brought another, an edit, its undo or redo).
    void MappingChanged();
    void PalettesChanged();
    // Another sprite (or none) was loaded.
    void SpriteLoaded(const QString& FileName);
    // Form() changed, or may have: a save, or a Reset that read the file anew.
    void FormChanged();

private:
    friend class TSpriteCommand;
    using TWords = std::shared_ptr<const TMyArray>;
    // What an edit changes. The words shown are always Base recoloured by Applied, so no state
    // holds words of its own; Applied differs from Mapping only after a load that shows the
    // mapping without applying it.
    struct TState {
        TWords Base;
        TPalletteArray Mapping{};
        TPalletteArray Applied{};
        bool operator==(const TState& o) const {
            return Base == o.Base && Mapping == o.Mapping && Applied == o.Applied;
        }
    };
    TState State() const;
    // Makes State the document's; a state that does not fit changes nothing.
    void SetState(const TState& State);
    // SetState, with memory that runs out reported as the edit Text of the sprite's file.
    void Apply(const TState& State, const QString& Text);
    void Push(TState After, const QString& Text);

    TPalletteSwapper fPalletteSwapper;
    TSpriteInfo fSpriteInfo;
    TPalletteArray fPalSet = MyTypes::IdentityPallette();
    TPalletteArray fApplied = MyTypes::IdentityPallette();
    // The base whose words the file holds (after a load, or a save of the base unrecoloured).
    TWords fFileBase;
    int32_t fFirstPal = 0;
    int32_t fSecondPal = 0;
    TSpriteForm fForm = TSpriteForm::Plain;
};

} // namespace velkora
