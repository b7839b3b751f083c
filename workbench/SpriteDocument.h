#pragma once
// The sprite being worked on, apart from any view of it: the words as they were loaded from the
// library file, the current words (recoloured or imported) with their tile blocks, the colour
// mapping applied, and the two palettes it is shown with. Recolouring, Reset and imports are undo
// commands; views repaint from the signals.

#include "palettes/PalSwapper.h"
#include "sprites/SpriteEditor.h"

#include <QObject>
#include <QUndoStack>

#include <optional>

namespace velkora {

class TSpriteDocument : public QObject {
    Q_OBJECT
public:
    explicit TSpriteDocument(QObject* Parent = nullptr);
    ~TSpriteDocument() override;

    // The current sprite: what is shown, exported and saved.
    const TSpriteInfo& SpriteInfo() const { return fSpriteInfo; }
    // The words as the last Load read them; every recolouring starts from these.
    const TMyArray& LoadedWords() const { return fPalletteSwapper.Bytes(); }
    // The colour mapping: entry c is the colour index that the loaded colour c shows as.
    const TPalletteArray& PalletteSet() const { return fPalSet; }
    // The first palette (shown on its own) and the second (the sprite is drawn in it).
    int32_t FirstPalIndex() const { return fFirstPal; }
    int32_t SecondPalIndex() const { return fSecondPal; }
    // The file the sprite was read from; empty before a load (or in an empty library).
    const QString& FileName() const { return fFileName; }
    // The layout the file was in when it was loaded.
    TSpriteForm Form() const { return fForm; }

    QUndoStack* UndoStack() { return &fUndoStack; }
    bool IsModified() const { return !fUndoStack.isClean(); }
    // True when FileName() is no longer the file as it was read or last saved here.
    bool ChangedOnDisk() const;

    // Reads FileName as the sprite. With a Mapping it becomes the mapping, and the words are the
    // loaded words recoloured by it when Apply is true, the loaded words as they are otherwise;
    // without one the mapping stays as it is and the words are the loaded words. A file that
    // cannot be read raises its error ("... Out of memory" when the sprite does not fit) and
    // leaves everything as it was. The edit history is cleared. An empty FileName gives an empty
    // sprite.
    void Load(const QString& FileName, const std::optional<TPalletteArray>& Mapping, bool Apply);
    // Undoable edits. Recolour: the mapping becomes Mapping and the words the loaded words
    // recoloured by it. Reset: the mapping becomes the identity and the words those of the file
    // read anew (a file that cannot be read raises its error and changes nothing). Import: the
    // words become Words; the loaded words and the mapping stay.
    void Recolour(const TPalletteArray& Mapping);
    void Reset();
    void Import(TMyArray Words, const QString& Text);
    // Writes the current words into the file they were read from, compressed or in the
    // uncompressed form; the sprite is then not modified. A failed write raises its error. The
    // compressed form holds whole tiles only: words after the last whole tile are written only
    // uncompressed, and a compressed save of such a sprite raises EFormatError and writes nothing
    // unless DropPartial says to leave them out.
    void Save(bool Compressed, bool DropPartial = false);

    // The palettes it is shown with; not an edit of the sprite.
    void SetPalettes(int32_t First, int32_t Second);

signals:
    // The current words changed (a load, an edit, its undo or redo).
    void WordsChanged();
    void MappingChanged();
    void PalettesChanged();
    void ModifiedChanged(bool Modified);
    // Another sprite (or none) was loaded.
    void SpriteLoaded(const QString& FileName);

private:
    friend class TSpriteCommand;
    // What an edit changes: the mapping and the words. Words recoloured from the loaded words by
    // the mapping are not stored (Derived), only words that cannot be made again.
    struct TState {
        TPalletteArray Mapping{};
        bool Derived = true;
        TMyArray Words;
    };
    TState State() const;
    void SetState(const TState& State);
    void SetWords(TMyArray Words);
    void Push(TState After, const QString& Text);

    TPalletteSwapper fPalletteSwapper;
    TSpriteInfo fSpriteInfo;
    TPalletteArray fPalSet = MyTypes::IdentityPallette();
    bool fDerived = true;
    int32_t fFirstPal = 0;
    int32_t fSecondPal = 0;
    QString fFileName;
    TSpriteForm fForm = TSpriteForm::Plain;
    TFileStamp fStamp;
    QUndoStack fUndoStack;
};

} // namespace velkora
