#include "shell/VelkoraProjectEditor.h"

#include "ui_VelkoraProjectEditor.h"

#include "maps/MapFrm.h"
#include "palettes/ChangePalletteFrm.h"
#include "palettes/ErrorReport.h"
#include "shell/Session.h"
#include "workbench/SpritesFrm.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QShowEvent>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOption>
#include <QToolButton>

#include <cerrno>

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

TMainFrm::TMainFrm(TSession& Session, QWidget* Parent) : QWidget(Parent), fSession(&Session) {
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
    MakeBars();
}

TMainFrm::~TMainFrm() = default;

void TMainFrm::MakeBars() {
    // The bars sit above the toolbar and below the workspaces, which keep their designed places;
    // the window grows by the bars' height.
    MenuBar = new QMenuBar(this);
    fUi->MainLayout->setMenuBar(MenuBar);
    StatusBar = new QStatusBar(this);
    StatusBar->setSizeGripEnabled(false);
    StatusBar->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    fUi->MainLayout->addWidget(StatusBar);
    fUi->MainLayout->setStretchFactor(ClientArea, 1);
    FileMenu = MenuBar->addMenu(QStringLiteral("&File"));
    EditMenu = MenuBar->addMenu(QStringLiteral("&Edit"));
    ViewMenu = MenuBar->addMenu(QStringLiteral("&View"));

    UndoAction = fUndoGroup.createUndoAction(this, QStringLiteral("&Undo"));
    UndoAction->setShortcuts(QKeySequence::Undo);
    RedoAction = fUndoGroup.createRedoAction(this, QStringLiteral("&Redo"));
    RedoAction->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    EditMenu->addAction(UndoAction);
    EditMenu->addAction(RedoAction);
    fEditSeparator = EditMenu->addSeparator();

    fFileSeparator = FileMenu->addSeparator();
    OpenRootAction = FileMenu->addAction(QStringLiteral("Open &data root..."), this,
                                         [this] { OpenDataRootClick(); });
    OpenRootDialog = [this] {
        return QFileDialog::getExistingDirectory(this, QStringLiteral("Open data root"),
                                                 fSession->CurrentDir());
    };
    FileMenu->addSeparator();
    QuitAction = FileMenu->addAction(QStringLiteral("&Quit"), this, &QWidget::close);
    QuitAction->setShortcuts(QKeySequence::Quit);

    // The designed client area of the map workspace below the toolbar.
    resize(MapWorkspaceSize.width(), ToolBar->height() + MapWorkspaceSize.height() +
                                         MenuBar->sizeHint().height() +
                                         StatusBar->sizeHint().height());
}

void TMainFrm::AddWorkspace(QWidget* Frm, TWorkspace* Workspace) {
    fWorkspaces.push_back({Frm, Workspace});
    FileMenu->insertActions(fFileSeparator, Workspace->FileActions);
    EditMenu->addActions(Workspace->EditActions);
    ViewMenu->addActions(Workspace->ViewActions);
    if (QUndoStack* Stack = Workspace->UndoStack())
        fUndoGroup.addStack(Stack);
    if (QWidget* Status = Workspace->StatusWidget())
        StatusBar->addWidget(Status, 1);
}

TWorkspace* TMainFrm::VisibleWorkspace() const {
    for (const auto& w : fWorkspaces)
        if (w.first == fVisibleFrm)
            return w.second;
    return nullptr;
}

void TMainFrm::WorkspaceShown() {
    // Only the shown workspace's actions are in the menus and answer their keys.
    for (const auto& [Frm, Workspace] : fWorkspaces) {
        const bool Shown = Frm == fVisibleFrm;
        for (const QList<QAction*>* List :
             {&Workspace->FileActions, &Workspace->EditActions, &Workspace->ViewActions})
            for (QAction* a : *List)
                a->setVisible(Shown);
        if (QWidget* Status = Workspace->StatusWidget())
            Status->setVisible(Shown);
    }
    TWorkspace* Workspace = VisibleWorkspace();
    fUndoGroup.setActiveStack(Workspace ? Workspace->UndoStack() : nullptr);
    UpdateTitle();
}

void TMainFrm::UpdateTitle() {
    TWorkspace* Workspace = VisibleWorkspace();
    const QString Title = Workspace ? Workspace->DocumentTitle() : QString();
    setWindowTitle(Title.isEmpty() ? QString() : Title + QStringLiteral("[*]"));
    setWindowModified(Workspace && Workspace->IsModified());
}

bool TMainFrm::MayDiscard() {
    for (const auto& w : fWorkspaces)
        if (!w.second->MayDiscard())
            return false;
    return true;
}

void TMainFrm::OpenDataRootClick() {
    const QString Root = OpenRootDialog ? OpenRootDialog() : QString();
    if (Root.isEmpty())
        return;
    OpenDataRoot(Root);
}

void TMainFrm::OpenDataRoot(const QString& Root) {
    if (!QFileInfo(Root).isDir())
        throw EFOpenError(MyTypes::ExpandFileName(Root), MyTypes::SystemErrorText(ENOTDIR));
    if (!MayDiscard())
        return;
    // The workspaces of the old root go, with their documents; a fresh session of the new root
    // makes them again, as at start-up. The root becomes the current directory, as when the
    // editor is started on it.
    auto Session = std::make_unique<TSession>(Root);
    for (const auto& w : fWorkspaces) {
        if (QUndoStack* Stack = w.second->UndoStack())
            fUndoGroup.removeStack(Stack);
    }
    fWorkspaces.clear();
    fVisibleFrm = nullptr;
    delete fSpritesFrm;
    delete fMapFrm;
    fSpritesFrm = nullptr;
    fMapFrm = nullptr;
    fChPalFrm = nullptr;
    fOpenedSession = std::move(Session);
    fSession = fOpenedSession.get();
    QDir::setCurrent(fSession->CurrentDir());
    PressButton(0);
    FormShow();
}

void TMainFrm::closeEvent(QCloseEvent* Event) {
    // Nothing unsaved goes without a question; Cancel keeps the window open as it was.
    if (MayDiscard())
        Event->accept();
    else
        Event->ignore();
}

void TMainFrm::showEvent(QShowEvent* Event) {
    QWidget::showEvent(Event);
    if (fFormShown || Event->spontaneous())
        return;
    fFormShown = true;
    FormShow();
}

void TMainFrm::FormShow() {
    // What both workspaces fail to read at start-up (a first sprite too large, say) is reported
    // once.
    const TReportOnce Once;
    // The parameters file is read once, for all three: a file that cannot be read is reported
    // once and the workspaces open with what could be read of it.
    RunReported([&] { fSession->ReadParameters(); });

    fSpritesFrm = new TSpriteFrm(*fSession);
    fSpritesFrm->setParent(ClientArea);
    ClientLayout->addWidget(fSpritesFrm, 0, 0);
    fVisibleFrm = fSpritesFrm;

    fMapFrm = new TMainForm(*fSession);
    fMapFrm->setParent(ClientArea);
    ClientLayout->addWidget(fMapFrm, 0, 0);
    fMapFrm->hide();

    fChPalFrm = new TChPalFrm(*fSession, &fSpritesFrm->Document());
    fSpritesFrm->DockPalFrm(fChPalFrm);

    AddWorkspace(fSpritesFrm, fSpritesFrm);
    AddWorkspace(fMapFrm, fMapFrm);
    connect(fSpritesFrm, &TSpriteFrm::TitleChanged, this, &TMainFrm::UpdateTitle);
    connect(fMapFrm, &TMainForm::TitleChanged, this, &TMainFrm::UpdateTitle);
    fSpritesFrm->show();
    WorkspaceShown();
}

void TMainFrm::SpriteLoadFrameClick() {
    // Showing the workbench reloads its sprite from disk; it asks about unsaved changes first.
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
    WorkspaceShown();
}

} // namespace velkora
