// SPDX-License-Identifier: MIT
#include "workbench/SpriteDocument.h"

#include <new>
#include <set>

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

// The blocks of Words written over Blocks, which holds as many blocks as Words has whole tiles:
// the layout MakeBlockArray gives, without allocating.
void FillBlocks(const TMyArray& Words, TBlocksArray& Blocks) noexcept {
    const uint16_t* w = Words.data();
    for (TBlock& Block : Blocks)
        for (auto& Row : Block) {
            Row[0] = uint8_t(w[0] >> 8);
            Row[1] = uint8_t(w[0] & 0xFF);
            Row[2] = uint8_t(w[1] >> 8);
            Row[3] = uint8_t(w[1] & 0xFF);
            w += 2;
        }
}

} // namespace

// One edit of the sprite: the state before it and the state after it. The document has already
// made the after state when the command is pushed, so its first redo does nothing.
class TSpriteCommand : public QUndoCommand {
public:
    TSpriteCommand(TSpriteDocument* Doc, TSpriteDocument::TState Before,
                   TSpriteDocument::TState After, const QString& Text)
        : QUndoCommand(Text), fDoc(Doc), fBefore(std::move(Before)), fAfter(std::move(After)) {}
    void redo() override {
        if (fDone)
            fDone = false;
        else
            fDoc->Apply(fAfter, text());
    }
    void undo() override { fDoc->Apply(fBefore, text()); }

    // The bases of the two states.
    const TSpriteDocument::TWords& Before() const { return fBefore.Base; }
    const TSpriteDocument::TWords& After() const { return fAfter.Base; }

private:
    TSpriteDocument* fDoc;
    TSpriteDocument::TState fBefore;
    TSpriteDocument::TState fAfter;
    bool fDone = true;
};

TSpriteDocument::TSpriteDocument(QObject* Parent) : TDocument(Parent) {
    fPalletteSwapper.Init(TMyArray());
}

TSpriteDocument::~TSpriteDocument() {
    // The commands refer to this document: they go before anything else of it.
    fUndoStack.clear();
}

void TSpriteDocument::Load(const QString& FileName, const std::optional<TPalletteArray>& Mapping,
                           bool Apply) {
    const TFileStamp Stamp = MyTypes::FileStampOf(FileName);
    const TPalletteArray NewMapping = Mapping ? *Mapping : fPalSet;
    const TPalletteArray Applied = Mapping && Apply ? *Mapping : MyTypes::IdentityPallette();
    TPalletteSwapper Swapper;
    TSpriteInfo Sprite;
    TSpriteForm Form = TSpriteForm::Plain;
    try {
        TSpriteInfo Read;
        if (!FileName.isEmpty())
            Read.Init(FileName);
        Form = Read.Form;
        Swapper.Init(std::move(Read.Bytes));
        Sprite = SpriteOf(Swapper.GetCalculate(Applied));
    } catch (const std::bad_alloc&) {
        throw EFOpenError(MyTypes::ExpandFileName(FileName), QStringLiteral("Out of memory"));
    }
    fUndoStack.clear();
    fPalletteSwapper = std::move(Swapper);
    fSpriteInfo = std::move(Sprite);
    const bool MappingDiffers = NewMapping != fPalSet;
    fPalSet = NewMapping;
    fApplied = Applied;
    fFileBase = fPalletteSwapper.SharedBytes();
    fFileName = FileName;
    fForm = Form;
    fStamp = Stamp;
    emit SpriteLoaded(fFileName);
    if (MappingDiffers)
        emit MappingChanged();
    emit WordsChanged();
}

TSpriteDocument::TState TSpriteDocument::State() const {
    return TState{fPalletteSwapper.SharedBytes(), fPalSet, fApplied};
}

void TSpriteDocument::SetState(const TState& s) {
    // Everything that can fail comes first, so that a state that does not fit changes nothing.
    TPalletteSwapper Swapper = fPalletteSwapper;
    if (s.Base != Swapper.SharedBytes())
        Swapper.InitShared(s.Base);
    TMyArray Words = Swapper.GetCalculate(s.Applied);
    if (Words.size() / 16 == fSpriteInfo.BlocksArray.size()) {
        // The same tiles recoloured: the blocks are rewritten where they are, so the sprite
        // needs no second set of blocks on the way.
        FillBlocks(Words, fSpriteInfo.BlocksArray);
        fSpriteInfo.Bytes = std::move(Words);
    } else {
        fSpriteInfo = SpriteOf(std::move(Words));
    }
    fPalletteSwapper = std::move(Swapper);
    const bool NewMapping = s.Mapping != fPalSet;
    fPalSet = s.Mapping;
    fApplied = s.Applied;
    if (NewMapping)
        emit MappingChanged();
    emit WordsChanged();
}

void TSpriteDocument::Apply(const TState& s, const QString& Text) {
    try {
        SetState(s);
    } catch (const std::bad_alloc&) {
        throw Exception(QStringLiteral("Out of memory: \"%1\" of \"%2\" was not done.")
                            .arg(Text, fFileName.isEmpty() ? QStringLiteral("the sprite")
                                                           : MyTypes::ExpandFileName(fFileName)));
    }
}

void TSpriteDocument::Push(TState After, const QString& Text) {
    auto Command = std::make_unique<TSpriteCommand>(this, State(), After, Text);
    Apply(After, Text);
    fUndoStack.push(Command.release());
}

void TSpriteDocument::Recolour(const TPalletteArray& Mapping) {
    TState After = State();
    After.Mapping = Mapping;
    After.Applied = Mapping;
    if (After == State())
        return;
    Push(std::move(After), QStringLiteral("Recolour"));
}

void TSpriteDocument::Reset() {
    TState After = State();
    After.Mapping = MyTypes::IdentityPallette();
    After.Applied = MyTypes::IdentityPallette();
    // The file another program wrote is what Reset shows; a file that is gone leaves the base.
    const TFileStamp Stamp = MyTypes::FileStampOf(fFileName);
    const bool Reread = !fFileName.isEmpty() && Stamp.Exists && Stamp != fStamp;
    TSpriteForm Form = fForm;
    if (Reread) {
        TSpriteInfo Read;
        Read.Init(fFileName);
        Form = Read.Form;
        After.Base = std::make_shared<const TMyArray>(std::move(Read.Bytes));
    } else if (After == State()) {
        return;
    }
    Push(After, QStringLiteral("Reset"));
    if (Reread) {
        fFileBase = After.Base;
        fStamp = Stamp;
        fForm = Form;
        emit FormChanged();
    }
    if (After.Base == fFileBase)
        fUndoStack.setClean();
}

void TSpriteDocument::ChangeWords(TMyArray Words, const QString& Text) {
    TState After;
    After.Base = std::make_shared<const TMyArray>(std::move(Words));
    After.Mapping = MyTypes::IdentityPallette();
    After.Applied = MyTypes::IdentityPallette();
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
    fForm = Compressed ? TSpriteForm::Compressed : TSpriteForm::Uncompressed;
    fFileBase = IsIdentity(fApplied) ? fPalletteSwapper.SharedBytes() : nullptr;
    emit FormChanged();
}

size_t TSpriteDocument::UndoMemoryUsed() const {
    std::set<const TMyArray*> Seen;
    size_t n = 0;
    const auto Count = [&](const TWords& w) {
        if (w && Seen.insert(w.get()).second)
            n += w->size() * sizeof(uint16_t) + sizeof(TMyArray);
    };
    for (int i = 0; i < fUndoStack.count(); ++i)
        if (const auto* c = dynamic_cast<const TSpriteCommand*>(fUndoStack.command(i))) {
            Count(c->Before());
            Count(c->After());
            n += sizeof(TSpriteCommand);
        }
    return n;
}

void TSpriteDocument::SetPalettes(int32_t First, int32_t Second) {
    if (First == fFirstPal && Second == fSecondPal)
        return;
    fFirstPal = First;
    fSecondPal = Second;
    emit PalettesChanged();
}

} // namespace velkora
