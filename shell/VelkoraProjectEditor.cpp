// SPDX-License-Identifier: MIT
#include "shell/VelkoraProjectEditor.h"

#include "ui_VelkoraProjectEditor.h"

#include "maps/MapFrm.h"
#include "palettes/ChangePalletteFrm.h"
#include "palettes/PaletteEditor.h"
#include "shell/FileDialogs.h"
#include "shell/HelpWindows.h"
#include "shell/Session.h"
#include "shell/Settings.h"
#include "shell/StartPage.h"
#include "tools/demo/Demo.h"
#include "widgets/ErrorReport.h"
#include "widgets/Questions.h"
#include "workbench/SpritesFrm.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <QShowEvent>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOption>
#include <QToolButton>

#include <algorithm>
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

// The settings' keys.
const QString GeometryKey = QStringLiteral("Window/Geometry");
const QString WorkspaceKey = QStringLiteral("Window/Workspace");
const QString SpriteZoomKey = QStringLiteral("Sprites/Zoom");
const QString SpriteSizeKey = QStringLiteral("Sprites/Size");
const QString SpriteOrderKey = QStringLiteral("Sprites/Order");
const QString MapZoomKey = QStringLiteral("Maps/Zoom");
const QString MapGridKey = QStringLiteral("Maps/ShowGrid");

// Selects the item with Text, if the box has one.
void SelectText(QComboBox* Box, const QString& Text) {
    const int i = Box->findText(Text);
    if (i >= 0)
        Box->setCurrentIndex(i);
}

} // namespace

TMainFrm::TMainFrm(TSession& Session, QWidget* Parent) : TMainFrm(&Session, Parent) {}

TMainFrm::TMainFrm(TSession* Session, QWidget* Parent) : QWidget(Parent), fSession(Session) {
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
    for (QToolButton* b : {SpriteLoadFrame, MapEditFrame})
        b->setAccessibleName(b->toolTip());
    MakeBars();
    // The window as it was left, else the designed size.
    restoreGeometry(Settings::Value(GeometryKey).toByteArray());
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
    // The palettes are shared by both workspaces: their menu is there in each.
    PaletteMenu = MenuBar->addMenu(QStringLiteral("&Palette"));
    PaletteMenu->menuAction()->setVisible(false);

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
        return FileDialogs::Folder(this, QStringLiteral("DataRoot"),
                                   QStringLiteral("Open data root"),
                                   fSession ? fSession->CurrentDir() : QDir::homePath());
    };
    MakeDemoAction = FileMenu->addAction(QStringLiteral("Make a de&mo data root..."), this,
                                         [this] { MakeDemoClick(); });
    DemoRootDialog = [this] {
        return FileDialogs::Folder(this, QStringLiteral("Demo"),
                                   QStringLiteral("Make a demo data root in"), QDir::homePath());
    };
    FileMenu->addSeparator();
    QuitAction = FileMenu->addAction(QStringLiteral("&Quit"), this, &QWidget::close);
    QuitAction->setShortcuts(QKeySequence::Quit);

    HelpMenu = MenuBar->addMenu(QStringLiteral("&Help"));
    UserGuideAction =
        HelpMenu->addAction(QStringLiteral("&User guide"), this, &TMainFrm::ShowUserGuide);
    UserGuideAction->setShortcuts(QKeySequence::HelpContents);
    ShortcutsAction =
        HelpMenu->addAction(QStringLiteral("&Keyboard shortcuts"), this, &TMainFrm::ShowShortcuts);
    HelpMenu->addSeparator();
    ResetSettingsAction = HelpMenu->addAction(QStringLiteral("&Reset settings..."), this,
                                              &TMainFrm::ResetSettingsClick);
    HelpMenu->addSeparator();
    AboutAction = HelpMenu->addAction(QStringLiteral("&About Velkora"), this, &TMainFrm::ShowAbout);

    // The designed client area of the map workspace below the toolbar.
    resize(MapWorkspaceSize.width(), ToolBar->height() + MapWorkspaceSize.height() +
                                         MenuBar->sizeHint().height() +
                                         StatusBar->sizeHint().height());
    fDefaultSize = size();
}

void TMainFrm::AddWorkspace(QWidget* Frm, TWorkspace* Workspace) {
    fWorkspaces.push_back({Frm, Workspace});
    FileMenu->insertActions(fFileSeparator, Workspace->FileActions);
    EditMenu->addActions(Workspace->EditActions);
    ViewMenu->addActions(Workspace->ViewActions);
    for (QMenu* Menu : Workspace->Menus)
        MenuBar->insertMenu(HelpMenu->menuAction(), Menu);
    if (QUndoStack* Stack = Workspace->UndoStack())
        fUndoGroup.addStack(Stack);
    if (QWidget* Status = Workspace->StatusWidget()) {
        // A status text never widens the window: the bar cuts what does not fit.
        Status->setSizePolicy(QSizePolicy::Ignored, Status->sizePolicy().verticalPolicy());
        StatusBar->addWidget(Status, 1);
        // The bar outlives the workspace; its part goes with it.
        connect(Frm, &QObject::destroyed, StatusBar,
                [Status = QPointer<QWidget>(Status)] { delete Status.data(); });
    }
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
        for (QMenu* Menu : Workspace->Menus)
            Menu->menuAction()->setVisible(Shown);
        for (QAction* a : Workspace->MenuActions())
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
    QString Title = Workspace ? Workspace->DocumentTitle() : QString();
    if (!Title.isEmpty())
        Title += QStringLiteral("[*]");
    // Palettes changed and not saved show beside the workspace's document, as the parameters
    // file they are saved into.
    if (fPaletteEditor && fPaletteEditor->IsModified())
        Title += (Title.isEmpty() ? QString() : QStringLiteral(" \u2014 ")) +
                 fPaletteEditor->Title() + QLatin1Char('*');
    setWindowTitle(Title);
    setWindowModified(Workspace && Workspace->IsModified());
}

bool TMainFrm::MayDiscard() {
    for (const auto& w : fWorkspaces)
        if (!w.second->MayDiscard())
            return false;
    return !fPaletteEditor || fPaletteEditor->MayDiscard();
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
    // makes them again, as at start-up, with the same views. The root becomes the current
    // directory, as when the editor is started on it.
    auto Session = std::make_unique<TSession>(Root);
    StoreViewSettings();
    if (fStartPage) {
        // It may be the sender of the click that opens the root.
        fStartPage->hide();
        fStartPage->deleteLater();
        fStartPage = nullptr;
    }
    // The window keeps its size (the view settings keep the workspace shown).
    const QSize Size = size();
    for (const auto& w : fWorkspaces) {
        if (QUndoStack* Stack = w.second->UndoStack())
            fUndoGroup.removeStack(Stack);
    }
    fWorkspaces.clear();
    fVisibleFrm = nullptr;
    delete fPaletteEditor;
    fPaletteEditor = nullptr;
    PaletteMenu->menuAction()->setVisible(false);
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
    resize(Size);
}

void TMainFrm::closeEvent(QCloseEvent* Event) {
    // Nothing unsaved goes without a question; Cancel keeps the window open as it was.
    if (!MayDiscard()) {
        Event->ignore();
        return;
    }
    StoreSettings();
    Event->accept();
}

void TMainFrm::showEvent(QShowEvent* Event) {
    QWidget::showEvent(Event);
    if (fFormShown || Event->spontaneous())
        return;
    fFormShown = true;
    FormShow();
    FitToScreen();
}

void TMainFrm::FitToScreen() {
    // The designed size, frame included, as far as the screen's free area allows; a window larger
    // than its screen (a high scale factor) would hide the workspaces' panels.
    const QRect Free = screen()->availableGeometry();
    const QRect Frame = frameGeometry();
    const QSize Extra = Frame.size() - size();
    const QSize Fits = size().boundedTo(Free.size() - Extra);
    if (Fits != size())
        resize(Fits);
    const QSize Whole = size() + Extra;
    move(
        std::clamp(Frame.x(), Free.left(), std::max(Free.left(), Free.right() + 1 - Whole.width())),
        std::clamp(Frame.y(), Free.top(),
                   std::max(Free.top(), Free.bottom() + 1 - Whole.height())));
}

void TMainFrm::FormShow() {
    if (!fSession) {
        ShowStartPage();
        return;
    }
    Settings::AddRecentRoot(fSession->CurrentDir());
    SpriteLoadFrame->setEnabled(true);
    MapEditFrame->setEnabled(true);
    // What both workspaces fail to read at start-up (a first sprite too large, say) is reported
    // once.
    const TReportOnce Once;
    // The parameters file is read once, for all three: a file that cannot be read is reported
    // once and the workspaces open with what could be read of it.
    RunReported([&] { fSession->ReadParameters(); });

    fSpritesFrm = new TSpriteFrm(*fSession);
    fSpritesFrm->setParent(ClientArea);
    // At the designed window size the workbench's picture has its designed size.
    fSpritesFrm->SetRestingSize(MapWorkspaceSize);
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
    fPaletteEditor = new TPaletteEditor(*fSession, fChPalFrm, this);
    FileMenu->insertAction(fFileSeparator, fPaletteEditor->SaveAction);
    PaletteMenu->addActions(fPaletteEditor->MenuActions());
    PaletteMenu->menuAction()->setVisible(true);
    connect(fPaletteEditor, &TPaletteEditor::ModifiedChanged, this, &TMainFrm::UpdateTitle);
    connect(fSpritesFrm, &TSpriteFrm::TitleChanged, this, &TMainFrm::UpdateTitle);
    connect(fMapFrm, &TMainForm::TitleChanged, this, &TMainFrm::UpdateTitle);
    ApplyViewSettings();
    fSpritesFrm->show();
    WorkspaceShown();
    if (Settings::Value(WorkspaceKey).toString() == QLatin1String("maps"))
        MapEditFrameClick();
}

void TMainFrm::ShowStartPage() {
    if (!fStartPage) {
        fStartPage = new TStartPage(ClientArea);
        ClientLayout->addWidget(fStartPage, 0, 0);
        connect(fStartPage, &TStartPage::OpenRootClicked, this,
                [this] { RunReported([this] { OpenDataRootClick(); }); });
        connect(fStartPage, &TStartPage::MakeDemoClicked, this, &TMainFrm::MakeDemoClick);
        connect(fStartPage, &TStartPage::RecentRootClicked, this,
                [this](const QString& Root) { RunReported([this, Root] { OpenDataRoot(Root); }); });
    }
    fStartPage->ShowRecentRoots();
    fStartPage->show();
    // There is no workspace to switch to.
    PressButton(-1);
    SpriteLoadFrame->setEnabled(false);
    MapEditFrame->setEnabled(false);
    UpdateTitle();
}

void TMainFrm::MakeDemoClick() {
    RunReported([this] {
        const QString Chosen = DemoRootDialog ? DemoRootDialog() : QString();
        if (Chosen.isEmpty())
            return;
        // The demo goes into a folder of its own where the chosen one holds files already.
        QString Root = Chosen;
        const QDir::Filters Everything =
            QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System;
        if (QFileInfo(Chosen).isDir() && !QDir(Chosen).isEmpty(Everything)) {
            Root = QDir(Chosen).filePath(QStringLiteral("Velkora demo"));
            for (int n = 2; QFileInfo::exists(Root); ++n)
                Root = QDir(Chosen).filePath(QStringLiteral("Velkora demo %1").arg(n));
        }
        demo::WriteDemoRoot(Root);
        OpenDataRoot(Root);
    });
}

void TMainFrm::ApplyViewSettings() {
    if (fSpritesFrm) {
        SelectText(fSpritesFrm->SizeCmb,
                   Settings::Value(SpriteSizeKey, QStringLiteral("24x24")).toString());
        SelectText(fSpritesFrm->CwCmb,
                   Settings::Value(SpriteOrderKey, QStringLiteral("CW")).toString());
        fSpritesFrm->SetZoom(Settings::Value(SpriteZoomKey, 1).toInt());
    }
    if (fMapFrm) {
        fMapFrm->SetZoom(Settings::Value(MapZoomKey, 1).toInt(), fMapFrm->DrawGrid1->pos());
        fMapFrm->SetShowGrid(Settings::Value(MapGridKey, false).toBool());
    }
}

void TMainFrm::StoreViewSettings() {
    if (fSpritesFrm) {
        Settings::SetValue(SpriteSizeKey, fSpritesFrm->SizeCmb->currentText());
        Settings::SetValue(SpriteOrderKey, fSpritesFrm->CwCmb->currentText());
        Settings::SetValue(SpriteZoomKey, fSpritesFrm->Zoom());
    }
    if (fMapFrm) {
        // Without a map the workspace cannot zoom: the zoom set last stays.
        if (fMapFrm->Document().HasMap())
            Settings::SetValue(MapZoomKey, fMapFrm->Zoom());
        Settings::SetValue(MapGridKey, fMapFrm->ShowGrid());
    }
    if (fVisibleFrm)
        Settings::SetValue(WorkspaceKey, fVisibleFrm == fMapFrm ? QStringLiteral("maps")
                                                                : QStringLiteral("sprites"));
}

void TMainFrm::StoreSettings() {
    StoreViewSettings();
    Settings::SetValue(GeometryKey, saveGeometry());
    if (fSession)
        Settings::AddRecentRoot(fSession->CurrentDir());
}

void TMainFrm::ResetSettingsClick() {
    if (!AskProceed(this, QStringLiteral("Reset all settings to their defaults?"),
                    QStringLiteral("The recent data roots, the window's size, the workspace "
                                   "shown, the zooms, the sprite's size and order, the grid and "
                                   "the folders of the file dialogs are forgotten."),
                    QStringLiteral("Reset")))
        return;
    Settings::Reset();
    showNormal();
    resize(fDefaultSize);
    ApplyViewSettings();
    if (fStartPage)
        fStartPage->ShowRecentRoots();
}

void TMainFrm::ShowShortcuts() {
    QList<HelpWindows::TShortcutGroup> Groups;
    // The window's own actions: those in the menus that no workspace brought.
    QList<QAction*> Own;
    QList<QAction*> OfWorkspaces;
    for (const auto& w : fWorkspaces)
        OfWorkspaces << w.second->FileActions << w.second->EditActions << w.second->ViewActions;
    for (QMenu* Menu : {FileMenu, EditMenu, ViewMenu, PaletteMenu, HelpMenu})
        for (QAction* a : Menu->actions())
            if (!OfWorkspaces.contains(a))
                Own << a;
    Groups.append({QStringLiteral("Everywhere"), HelpWindows::ActionRows(Own)});
    for (const auto& [Frm, Workspace] : fWorkspaces) {
        HelpWindows::TShortcutGroup g;
        g.Title =
            Frm == fMapFrm ? QStringLiteral("Map workspace") : QStringLiteral("Sprite workbench");
        g.Rows = HelpWindows::ActionRows(Workspace->FileActions + Workspace->EditActions +
                                         Workspace->ViewActions + Workspace->MenuActions()) +
                 Workspace->Gestures;
        Groups << g;
    }
    if (fShortcutsWindow)
        fShortcutsWindow->close();
    fShortcutsWindow = HelpWindows::MakeShortcutsWindow(this, Groups);
    fShortcutsWindow->show();
}

QDialog* TMainFrm::ShortcutsWindow() const {
    return fShortcutsWindow;
}

QDialog* TMainFrm::UserGuideWindow() const {
    return fUserGuideWindow;
}

QMessageBox* TMainFrm::AboutBox() const {
    return fAboutBox;
}

void TMainFrm::ShowUserGuide() {
    if (!fUserGuideWindow)
        fUserGuideWindow = HelpWindows::MakeUserGuideWindow(this);
    fUserGuideWindow->show();
    fUserGuideWindow->raise();
}

void TMainFrm::ShowAbout() {
    if (!fAboutBox)
        fAboutBox = HelpWindows::MakeAboutBox(this);
    fAboutBox->show();
    fAboutBox->raise();
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
