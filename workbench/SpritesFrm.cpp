#include "workbench/SpritesFrm.h"

#include "palettes/BmpMaker.h"
#include "palettes/ChangePalletteFrm.h"
#include "shell/Application.h"

#include <QComboBox>
#include <QFileDialog>
#include <QShowEvent>
#include <QSignalBlocker>

#include <algorithm>

namespace velkora {

namespace {

const QString AnyFileFilter = QStringLiteral("Any file (*)");

// Runs its action when it goes out of scope, also while an error passes through.
class TOnExit {
public:
    explicit TOnExit(std::function<void()> Action) : fAction(std::move(Action)) {}
    ~TOnExit() { fAction(); }
    TOnExit(const TOnExit&) = delete;
    TOnExit& operator=(const TOnExit&) = delete;

private:
    std::function<void()> fAction;
};

} // namespace

TSpriteFrm::TSpriteFrm(QWidget* Parent)
    : QWidget(Parent), fPalletteSwapper(std::make_unique<TPalletteSwapper>()) {
    setupUi(this);
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
    // The document is named and published first: every later reader of the parameters file
    // (the palettes below, the map workspace, the palette-set frame) goes through it.
    XMLDocument1.FileName = QStringLiteral("XMLParams.xml");
    XMLDocument = &XMLDocument1;
    velkora::Init();

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
        if (SpriteContainer)
            ComboBox1->addItems(SpriteContainer->SpriteNames());
        ComboBox1->setCurrentIndex(0);
    }
}

void TSpriteFrm::FormShow() {
    // The callbacks reach this workbench only while it exists: the frame may outlive it.
    const std::shared_ptr<TSpriteFrm*> Self = fSelf;
    TRefProc OnChangeFirstPal = [Self] {
        if (*Self)
            (*Self)->ChangeFirstPal();
    };
    TOnSetPalSwap OnSetPalSwap = [Self](int32_t, int32_t) {
        if (*Self)
            (*Self)->SetPalSwap();
    };
    TRefProc OnResetbtnClick = [Self] {
        if (*Self)
            (*Self)->ResetbtnClick();
    };

    // Registered after the load, so at the very first show the sprite appears without the
    // selected set; registered also when the load fails, so the frame keeps acting on the
    // workbench after a sprite that cannot be read.
    const TOnExit Register([&] {
        if (!fChPalFrm)
            return;
        fChPalFrm->SetOnChangeFirstPal(OnChangeFirstPal);
        fChPalFrm->SetOnSetPalSwap(OnSetPalSwap);
        fChPalFrm->SetOnResetbtnClick(OnResetbtnClick);
    });
    ComboBox1Change();
}

void TSpriteFrm::FormDestroy() {
    // From here on the callbacks left on the frame do nothing.
    *fSelf = nullptr;
    // Another workbench may have published its own document since.
    if (XMLDocument == &XMLDocument1)
        XMLDocument = nullptr;
}

TSpriteInfo TSpriteFrm::SelectedSprite() const {
    const int I = ComboBox1->currentIndex();
    if (I < 0 || !SpriteContainer)
        return TSpriteInfo();
    return SpriteContainer->SpriteInfo(I);
}

void TSpriteFrm::ComboBox1Change() {
    fSpriteInfo = SelectedSprite();
    SetImage();
    // The swapper recolours this library sprite from now on, also after an import.
    fPalletteSwapper->Init(fSpriteInfo.Bytes);
    if (fChPalFrm)
        fChPalFrm->PalCmbChange();
}

void TSpriteFrm::SetImage() {
    if (fSpriteInfo.BlocksArray.empty()) {
        // A sprite without a whole tile has no picture; keeping the last one would show another
        // sprite under this one's name.
        fBMP = QImage();
    } else {
        const int Size = std::clamp(SizeCmb->currentIndex(), 0, int(SpriteSize.size()) - 1);
        const int PalI = fChPalFrm ? fChPalFrm->SecondPalIndex() : 0;
        const bool IsCW = CwCmb->currentIndex() == 0;
        MakeBMPImage(fBMP, fSpriteInfo.BlocksArray, SpriteSize[size_t(Size)], PalI, IsCW,
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
    if (!fSpriteInfo.BlocksArray.empty())
        SetImage();
}

void TSpriteFrm::BitBtn1Click() {
    const int I = ComboBox1->currentIndex();
    if (!SpriteContainer)
        throw EListError(I);
    // The library file under the data root; the save replaces it atomically, without a question.
    const QString FileName = SpriteContainer->FileName(I);
    if (CheckBox1->isChecked())
        fSpriteInfo.SaveAsCompressedSprite(FileName);
    else
        fSpriteInfo.SaveSprite(FileName);
}

void TSpriteFrm::LoadFromIdaBtnClick() {
    const QString FileName = OpenDialog1 ? OpenDialog1() : QString();
    if (FileName.isEmpty())
        return;
    // The swapper keeps the library sprite: a later set change recolours that one instead.
    fSpriteInfo.LoadAfterEdt(FileName);
    fSpriteInfo.GenerateBlocArray();
    SetImage();
}

void TSpriteFrm::SaveToIdaBtnClick() {
    const QString FileName = SaveDialog1 ? SaveDialog1() : QString();
    if (FileName.isEmpty())
        return;
    fSpriteInfo.SaveToEdit(FileName);
}

void TSpriteFrm::ChangeFirstPal() {
    if (!fSpriteInfo.BlocksArray.empty())
        SetImage();
}

void TSpriteFrm::SetPalSwap() {
    // The frame's arguments are not needed: its whole current mapping is applied to the sprite
    // last loaded from the library.
    if (!fChPalFrm)
        return;
    fSpriteInfo.Bytes = fPalletteSwapper->GetCalculate(fChPalFrm->PalletteSet());
    fSpriteInfo.GenerateBlocArray();
    SetImage();
}

void TSpriteFrm::ResetbtnClick() {
    // Back to the library file; the swapper still holds that sprite.
    fSpriteInfo = SelectedSprite();
    SetImage();
}

} // namespace velkora
