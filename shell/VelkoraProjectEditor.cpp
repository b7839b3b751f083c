#include "shell/VelkoraProjectEditor.h"

#include "ui_VelkoraProjectEditor.h"

#include "maps/MapFrm.h"
#include "palettes/ChangePalletteFrm.h"
#include "palettes/ErrorReport.h"
#include "shell/Session.h"
#include "workbench/SpritesFrm.h"

#include <QShowEvent>
#include <QStyle>
#include <QStyleOption>
#include <QToolButton>

namespace velkora {

namespace {

QIcon ButtonIcon(const QPixmap& Image) {
    QIcon Icon;
    Icon.addPixmap(Image, QIcon::Normal);
    Icon.addPixmap(Image, QIcon::Active);
    return Icon;
}

// The toolbar's indeterminate look: the button stays clickable but its image is greyed.
QIcon GreyedIcon(const QPixmap& Image, const QWidget* Button) {
    QStyleOption Option;
    Option.initFrom(Button);
    const QPixmap Grey = Button->style()->generatedIconPixmap(QIcon::Disabled, Image, &Option);
    QIcon Icon;
    Icon.addPixmap(Grey, QIcon::Normal);
    Icon.addPixmap(Grey, QIcon::Active);
    Icon.addPixmap(Grey, QIcon::Disabled);
    return Icon;
}

} // namespace

TMainFrm::TMainFrm(TSession& Session, QWidget* Parent) : QWidget(Parent), fSession(Session) {
    fUi = std::make_unique<Ui::TMainFrm>();
    fUi->setupUi(this);
    ToolBar = fUi->ToolBar;
    SpriteLoadFrame = fUi->SpriteLoadFrame;
    MapEditFrame = fUi->MapEditFrame;
    ClientArea = fUi->ClientArea;
    ClientLayout = fUi->ClientLayout;
    ImageList1 = {QPixmap(QStringLiteral(":/shell/images/sprites.png")),
                  QPixmap(QStringLiteral(":/shell/images/map.png")),
                  QPixmap(QStringLiteral(":/shell/images/swatches.png"))};
    SpriteLoadFrame->setIcon(ButtonIcon(ImageList1[0]));
    MapEditFrame->setIcon(GreyedIcon(ImageList1[1], MapEditFrame));
    connect(SpriteLoadFrame, &QToolButton::clicked, this, &TMainFrm::SpriteLoadFrameClick);
    connect(MapEditFrame, &QToolButton::clicked, this, &TMainFrm::MapEditFrameClick);
}

TMainFrm::~TMainFrm() = default;

void TMainFrm::showEvent(QShowEvent* Event) {
    QWidget::showEvent(Event);
    if (fFormShown || Event->spontaneous())
        return;
    fFormShown = true;
    FormShow();
}

void TMainFrm::FormShow() {
    // The parameters file is read once, for all three: a file that cannot be read is reported
    // once and the workspaces open with what could be read of it.
    RunReported([&] { fSession.ReadParameters(); });

    fSpritesFrm = new TSpriteFrm(fSession);
    fSpritesFrm->setParent(ClientArea);
    ClientLayout->addWidget(fSpritesFrm, 0, 0);
    fVisibleFrm = fSpritesFrm;

    fMapFrm = new TMainForm(fSession);
    fMapFrm->setParent(ClientArea);
    ClientLayout->addWidget(fMapFrm, 0, 0);
    fMapFrm->hide();

    fChPalFrm = new TChPalFrm(fSession, &fSpritesFrm->Document());
    fSpritesFrm->DockPalFrm(fChPalFrm);

    fSpritesFrm->show();
}

void TMainFrm::SpriteLoadFrameClick() {
    PressButton(0);
    ShowFrm(fSpritesFrm);
}

void TMainFrm::MapEditFrameClick() {
    PressButton(1);
    ShowFrm(fMapFrm);
}

void TMainFrm::PressButton(int i) {
    // Button J carries image J, so the image index names the button.
    QToolButton* const Buttons[] = {SpriteLoadFrame, MapEditFrame};
    for (int J = 0; J < 2; ++J)
        Buttons[J]->setChecked(J == i);
}

void TMainFrm::ShowFrm(QWidget* Frm) {
    if (fVisibleFrm)
        fVisibleFrm->hide();
    if (Frm) {
        Frm->show();
        fVisibleFrm = Frm;
    }
}

} // namespace velkora
