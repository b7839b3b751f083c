#include "workbench/SpritesFrm.h"

#include "ui_SpritesFrm.h"

#include "palettes/BmpMaker.h"
#include "palettes/ChangePalletteFrm.h"
#include "palettes/ErrorReport.h"
#include "palettes/Questions.h"
#include "shell/Session.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QShowEvent>
#include <QSignalBlocker>

#include <algorithm>

namespace velkora {

namespace {

const QString AnyFileFilter = QStringLiteral("Any file (*)");

void SelectQuietly(QComboBox* Combo, int Index) {
    const QSignalBlocker Block(Combo);
    Combo->setCurrentIndex(Index);
}

} // namespace

TSpriteFrm::TSpriteFrm(TSession& Session, QWidget* Parent) : QWidget(Parent), fSession(Session) {
    fUi = std::make_unique<Ui::TSpriteFrm>();
    fUi->setupUi(this);
    Panel2 = fUi->Panel2;
    Label6 = fUi->Label6;
    ComboBox1 = fUi->ComboBox1;
    CheckBox1 = fUi->CheckBox1;
    BitBtn4 = fUi->BitBtn4;
    Panel1 = fUi->Panel1;
    Label3 = fUi->Label3;
    SaveToIdaBtn = fUi->SaveToIdaBtn;
    LoadFromIdaBtn = fUi->LoadFromIdaBtn;
    Panel3 = fUi->Panel3;
    Label1 = fUi->Label1;
    SizeCmb = fUi->SizeCmb;
    Label4 = fUi->Label4;
    PalCmb = fUi->PalCmb;
    Label5 = fUi->Label5;
    CwCmb = fUi->CwCmb;
    Panel4 = fUi->Panel4;
    Image1 = fUi->Image1;
    PalPanel = fUi->PalPanel;
    // Where Tahoma is missing, a narrow face of its height keeps the designed captions whole.
    QFont Font = font();
    Font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans Condensed")});
    setFont(Font);
    OpenDialog1 = [this] {
        return QFileDialog::getOpenFileName(this, QString(), QString(), AnyFileFilter);
    };
    SaveDialog1 = [this] {
        return QFileDialog::getSaveFileName(this, QString(), QString(), AnyFileFilter, nullptr,
                                            QFileDialog::DontConfirmOverwrite);
    };
    connect(ComboBox1, &QComboBox::currentIndexChanged, this, [this] { ComboBox1Change(); });
    for (QComboBox* Box : {SizeCmb, PalCmb, CwCmb})
        connect(Box, &QComboBox::currentIndexChanged, this, [this] { SizeCmbChange(); });
    connect(BitBtn4, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    connect(LoadFromIdaBtn, &QPushButton::clicked, this, [this] { LoadFromIdaBtnClick(); });
    connect(SaveToIdaBtn, &QPushButton::clicked, this, [this] { SaveToIdaBtnClick(); });
    // Whatever changes the words (a load, an edit, its undo) shows at once; a palette change
    // shows when there is a tile to show.
    connect(&fDocument, &TSpriteDocument::WordsChanged, this, [this] { SetImage(); });
    connect(&fDocument, &TSpriteDocument::PalettesChanged, this, [this] { ChangeFirstPal(); });
    connect(&fDocument, &TSpriteDocument::ModifiedChanged, this, &TSpriteFrm::TitleChanged);
    connect(&fDocument, &TSpriteDocument::SpriteLoaded, this, &TSpriteFrm::TitleChanged);

    SaveAction = new QAction(QStringLiteral("&Save sprite"), this);
    SaveAction->setShortcuts(QKeySequence::Save);
    connect(SaveAction, &QAction::triggered, this, [this] { BitBtn1Click(); });
    FileActions = {SaveAction};

    RunReported([&] { FormCreate(); });

    // Without a sprite there is nothing to save, into the library or as an edit file.
    const bool HasSprites = ComboBox1->count() > 0;
    BitBtn4->setEnabled(HasSprites);
    SaveToIdaBtn->setEnabled(HasSprites);
}

TSpriteFrm::~TSpriteFrm() {
    FormDestroy();
}

void TSpriteFrm::showEvent(QShowEvent* Event) {
    QWidget::showEvent(Event);
    if (!Event->spontaneous())
        FormShow();
}

void TSpriteFrm::FormCreate() {
    // The parameters document and the palettes belong to the session, which read them first.
    const TPalletteList& PalletteArray = fSession.PalletteArray();
    {
        const QSignalBlocker Block(PalCmb);
        PalCmb->clear();
        for (size_t i = 0; i < PalletteArray.size(); ++i)
            PalCmb->addItem(QString::number(i));
        PalCmb->setCurrentIndex(2);
    }
    {
        // The sprite is loaded by the show handler, not here.
        const QSignalBlocker Block(ComboBox1);
        ComboBox1->clear();
        ComboBox1->addItems(fSession.SpriteContainer().SpriteNames());
        ComboBox1->setCurrentIndex(0);
    }
}

void TSpriteFrm::DockPalFrm(TChPalFrm* Frame) {
    fChPalFrm = Frame;
    if (!Frame)
        return;
    Frame->setParent(PalPanel);
    PalPanel->layout()->addWidget(Frame);
    Frame->hide();
    Frame->show();
    // The callbacks reach this workbench only while it exists: the frame may outlive it.
    // A palette choice reaches the workbench as the document's PalettesChanged, which repaints.
    const std::shared_ptr<TSpriteFrm*> Self = fSelf;
    Frame->SetOnChangeFirstPal([] {});
    Frame->SetOnSetPalSwap([Self](int32_t, int32_t) {
        if (*Self)
            (*Self)->SetPalSwap();
    });
    Frame->SetOnResetbtnClick([Self] {
        if (*Self)
            (*Self)->ResetbtnClick();
    });
}

TChPalFrm* TSpriteFrm::ChPalFrm() const {
    return fChPalFrm;
}

void TSpriteFrm::FormShow() {
    // The first show loads the first sprite as it is, without the selected set; every later show
    // loads it recoloured by the set, as a choice of sprite does.
    const auto Shown = qScopeGuard([this] { fShown = true; });
    ComboBox1Change();
}

void TSpriteFrm::FormDestroy() {
    // From here on the callbacks left on the frame do nothing.
    *fSelf = nullptr;
}

QString TSpriteFrm::DocumentTitle() const {
    return QFileInfo(fDocument.FileName()).fileName();
}

QWidget* TSpriteFrm::StatusWidget() {
    if (!fStatus)
        fStatus = new QLabel(this);
    return fStatus;
}

bool TSpriteFrm::MayDiscard() {
    if (!fDocument.IsModified())
        return true;
    switch (AskSaveChanges(this, DocumentTitle())) {
    case TSaveAnswer::Discard:
        return true;
    case TSaveAnswer::Cancel:
        return false;
    case TSaveAnswer::Save:
        break;
    }
    try {
        BitBtn1Click();
    } catch (...) {
        ReportException();
        return false;
    }
    return !fDocument.IsModified();
}

void TSpriteFrm::ComboBox1Change() {
    const int I = ComboBox1->currentIndex();
    // Another sprite, or this one read anew, takes the place of unsaved changes only when the
    // user says so; Cancel keeps the sprite and the chooser as they were.
    if (!MayDiscard()) {
        SelectQuietly(ComboBox1, fSpriteIndex);
        return;
    }
    const QString FileName = I >= 0 ? fSession.SpriteContainer().FileName(I) : QString();
    // A sprite that cannot be read leaves the sprite in memory, and the chooser goes back to it,
    // so that a save writes that sprite to its own file.
    auto Restore = qScopeGuard([this] { SelectQuietly(ComboBox1, fSpriteIndex); });
    const std::optional<TPalletteArray> Set =
        fChPalFrm ? fChPalFrm->SelectedSet() : std::optional<TPalletteArray>();
    fDocument.Load(FileName, Set, fShown);
    Restore.dismiss();
    fSpriteIndex = I;
}

void TSpriteFrm::SetImage() {
    const TSpriteInfo& Sprite = fDocument.SpriteInfo();
    if (Sprite.BlocksArray.empty()) {
        // A sprite without a whole tile has no picture; keeping the last one would show another
        // sprite under this one's name.
        fBMP = QImage();
    } else {
        const int Size = std::clamp(SizeCmb->currentIndex(), 0, int(SpriteSize.size()) - 1);
        const bool IsCW = CwCmb->currentIndex() == 0;
        MakeBMPImage(fBMP, Sprite.BlocksArray, SpriteSize[size_t(Size)],
                     ColorTable(fSession.PalletteArray(), fDocument.SecondPalIndex()), IsCW,
                     Image1->width(), Image1->height());
    }
    // The bitmap is sized from Image1, so Image1 keeps its size; the picture is shown 1:1.
    if (fBMP.isNull())
        Image1->clear();
    else
        Image1->setPixmap(QPixmap::fromImage(fBMP));
    Image1->repaint();
}

void TSpriteFrm::SizeCmbChange() {
    if (!fDocument.SpriteInfo().BlocksArray.empty())
        SetImage();
}

void TSpriteFrm::BitBtn1Click() {
    // Always the file the sprite in memory was read from; the save replaces it atomically.
    if (fDocument.FileName().isEmpty())
        throw EListError(ComboBox1->currentIndex());
    // Another program's version of the file is not overwritten without a word.
    if (fDocument.ChangedOnDisk() && !AskOverwriteChanged(this, fDocument.FileName()))
        return;
    fDocument.Save(CheckBox1->isChecked());
}

void TSpriteFrm::LoadFromIdaBtnClick() {
    const QString FileName = OpenDialog1 ? OpenDialog1() : QString();
    if (FileName.isEmpty())
        return;
    // The words as read become the current sprite; the loaded words stay, so a later set change
    // recolours those instead.
    TSpriteInfo Imported;
    Imported.LoadAfterEdt(FileName);
    fDocument.Import(std::move(Imported.Bytes), QStringLiteral("Import edit file"));
}

void TSpriteFrm::SaveToIdaBtnClick() {
    const QString FileName = SaveDialog1 ? SaveDialog1() : QString();
    if (FileName.isEmpty())
        return;
    fDocument.SpriteInfo().SaveToEdit(FileName);
}

void TSpriteFrm::ChangeFirstPal() {
    if (!fDocument.SpriteInfo().BlocksArray.empty())
        SetImage();
}

void TSpriteFrm::SetPalSwap() {
    // The frame's arguments are not needed: its whole current mapping is applied to the words as
    // loaded.
    if (fChPalFrm)
        fDocument.Recolour(fChPalFrm->PalletteSet());
}

void TSpriteFrm::ResetbtnClick() {
    // Back to the library file, read anew; the loaded words stay as they were.
    fDocument.Reset();
}

} // namespace velkora
