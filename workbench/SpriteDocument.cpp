#include "workbench/SpriteDocument.h"

#include <new>

namespace velkora {

namespace {

bool IsIdentity(const TPalletteArray& Mapping) {
    for (int c = 0; c < 16; ++c)
        if ((Mapping[size_t(c)] & 15) != c)
            return false;
    return true;
}

// The current sprite made from its words: the blocks are built before anything is replaced, so
// a sprite that does not fit leaves the old one whole.
TSpriteInfo SpriteOf(TMyArray Words) {
    TSpriteInfo Info;
    Info.Bytes = std::move(Words);
    Info.GenerateBlocArray();
    return Info;
}

} // namespace

// One edit of the sprite: the state before it and the state after it.
class TSpriteCommand : public QUndoCommand {
public:
    TSpriteCommand(TSpriteDocument* Doc, TSpriteDocument::TState Before,
                   TSpriteDocument::TState After, const QString& Text)
        : QUndoCommand(Text), fDoc(Doc), fBefore(std::move(Before)), fAfter(std::move(After)) {}
    void redo() override { fDoc->SetState(fAfter); }
    void undo() override { fDoc->SetState(fBefore); }

private:
    TSpriteDocument* fDoc;
    TSpriteDocument::TState fBefore;
    TSpriteDocument::TState fAfter;
};

TSpriteDocument::TSpriteDocument(QObject* Parent) : QObject(Parent) {
    connect(&fUndoStack, &QUndoStack::cleanChanged, this,
            [this](bool Clean) { emit ModifiedChanged(!Clean); });
}

TSpriteDocument::~TSpriteDocument() {
    fUndoStack.clear();
}

bool TSpriteDocument::ChangedOnDisk() const {
    return !fFileName.isEmpty() && MyTypes::FileStampOf(fFileName) != fStamp;
}

void TSpriteDocument::Load(const QString& FileName, const std::optional<TPalletteArray>& Mapping,
                           bool Apply) {
    const TFileStamp Stamp = MyTypes::FileStampOf(FileName);
    TPalletteSwapper Swapper;
    TSpriteInfo Sprite;
    const TPalletteArray NewMapping = Mapping ? *Mapping : fPalSet;
    const bool Recoloured = Mapping && Apply;
    try {
        TSpriteInfo Read;
        if (!FileName.isEmpty())
            Read.Init(FileName);
        Swapper.Init(std::move(Read.Bytes));
        Sprite = SpriteOf(Recoloured ? Swapper.GetCalculate(NewMapping) : Swapper.Bytes());
        Sprite.Form = Read.Form;
    } catch (const std::bad_alloc&) {
        throw EFOpenError(MyTypes::ExpandFileName(FileName), QStringLiteral("Out of memory"));
    }
    fUndoStack.clear();
    fPalletteSwapper = std::move(Swapper);
    fSpriteInfo = std::move(Sprite);
    fPalSet = NewMapping;
    fDerived = Recoloured || IsIdentity(NewMapping);
    fFileName = FileName;
    fForm = Sprite.Form;
    fStamp = Stamp;
    emit SpriteLoaded(fFileName);
    emit MappingChanged();
    emit WordsChanged();
}

TSpriteDocument::TState TSpriteDocument::State() const {
    TState s;
    s.Mapping = fPalSet;
    s.Derived = fDerived;
    if (!fDerived)
        s.Words = fSpriteInfo.Bytes;
    return s;
}

void TSpriteDocument::SetState(const TState& s) {
    TSpriteInfo Sprite = SpriteOf(s.Derived ? fPalletteSwapper.GetCalculate(s.Mapping) : s.Words);
    fSpriteInfo = std::move(Sprite);
    const bool NewMapping = s.Mapping != fPalSet;
    fPalSet = s.Mapping;
    fDerived = s.Derived;
    if (NewMapping)
        emit MappingChanged();
    emit WordsChanged();
}

void TSpriteDocument::Push(TState After, const QString& Text) {
    fUndoStack.push(new TSpriteCommand(this, State(), std::move(After), Text));
}

void TSpriteDocument::Recolour(const TPalletteArray& Mapping) {
    TState After;
    After.Mapping = Mapping;
    Push(std::move(After), QStringLiteral("Recolour"));
}

void TSpriteDocument::Reset() {
    TSpriteInfo Read;
    if (!fFileName.isEmpty())
        Read.Init(fFileName);
    TState After;
    After.Mapping = MyTypes::IdentityPallette();
    After.Derived = false;
    After.Words = std::move(Read.Bytes);
    Push(std::move(After), QStringLiteral("Reset"));
}

void TSpriteDocument::Import(TMyArray Words, const QString& Text) {
    TState After;
    After.Mapping = fPalSet;
    After.Derived = false;
    After.Words = std::move(Words);
    Push(std::move(After), Text);
}

void TSpriteDocument::Save(bool Compressed, bool DropPartial) {
    if (fFileName.isEmpty())
        throw EListError(-1);
    const size_t Partial = SpriteEditor::PartialTileWords(fSpriteInfo.Bytes);
    if (Compressed && Partial != 0 && !DropPartial)
        throw EFormatError(QStringLiteral("\"%1\" ends with %2 words that are not a whole tile; "
                                          "the compressed form holds whole tiles only")
                               .arg(MyTypes::ExpandFileName(fFileName))
                               .arg(Partial));
    if (!Compressed) {
        fSpriteInfo.SaveSprite(fFileName);
    } else if (Partial == 0) {
        fSpriteInfo.SaveAsCompressedSprite(fFileName);
    } else {
        // The whole tiles alone, so that the file describes nothing beyond them.
        TSpriteInfo Whole;
        Whole.Bytes.assign(fSpriteInfo.Bytes.begin(), fSpriteInfo.Bytes.end() - ptrdiff_t(Partial));
        Whole.SaveAsCompressedSprite(fFileName);
    }
    fStamp = MyTypes::FileStampOf(fFileName);
    fUndoStack.setClean();
}

void TSpriteDocument::SetPalettes(int32_t First, int32_t Second) {
    if (First == fFirstPal && Second == fSecondPal)
        return;
    fFirstPal = First;
    fSecondPal = Second;
    emit PalettesChanged();
}

} // namespace velkora
