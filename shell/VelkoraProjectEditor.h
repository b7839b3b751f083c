// SPDX-License-Identifier: MIT
#pragma once
// The main window: a toolbar of two workspace buttons above the client area in which exactly one
// workspace (the sprite workbench or the map workspace) is shown at a time.

#include <QHash>
#include <QList>
#include <QPixmap>
#include <QUndoGroup>
#include <QWidget>

#include <QPointer>
#include <functional>

#include <memory>
#include <utility>
#include <vector>

class QAction;
class QDialog;
class QFrame;
class QMessageBox;
class QMenu;
class QMenuBar;
class QStatusBar;
class QGridLayout;
class QToolButton;
class QWidget;

namespace Ui {
class TMainFrm;
}

namespace velkora {

class TChPalFrm;
class TMainForm;
class TPaletteEditor;
class TWorkspace;
class TSession;
class TSpriteFrm;
class TStartPage;

class TMainFrm : public QWidget {
    Q_OBJECT
public:
    // The controls, as the form file lays them out.
    QFrame* ToolBar = nullptr;
    QToolButton* SpriteLoadFrame = nullptr;
    QToolButton* MapEditFrame = nullptr;
    QWidget* ClientArea = nullptr;
    QGridLayout* ClientLayout = nullptr;

    // The main window over Session's data root.
    explicit TMainFrm(TSession& Session, QWidget* Parent = nullptr);
    // Over Session's data root; without a session it shows the start page until a data root is
    // opened.
    explicit TMainFrm(TSession* Session, QWidget* Parent = nullptr);
    ~TMainFrm() override;

    // Marks toolbar button i as pressed and every other button as released.
    void PressButton(int i);
    // Hides the workspace shown now (even when it is Frm itself), then shows Frm.
    void ShowFrm(QWidget* Frm);

    TSpriteFrm* SpritesFrm() const { return fSpritesFrm; }
    TMainForm* MapFrm() const { return fMapFrm; }
    TChPalFrm* ChPalFrm() const { return fChPalFrm; }
    // The palettes' menu, save and question; null while no data root is open.
    TPaletteEditor* PaletteEditor() const { return fPaletteEditor; }
    QWidget* VisibleFrm() const { return fVisibleFrm; }

    // The toolbar's images: 0 a folder with a picture, 1 a map, 2 colour swatches.
    QList<QPixmap> ImageList1;

    // The bars around the toolbar and the workspaces. The menus hold the shown workspace's
    // actions besides these.
    QMenuBar* MenuBar = nullptr;
    QMenu* FileMenu = nullptr;
    QMenu* EditMenu = nullptr;
    QMenu* ViewMenu = nullptr;
    QMenu* PaletteMenu = nullptr;
    QMenu* HelpMenu = nullptr;
    QStatusBar* StatusBar = nullptr;
    QAction* UndoAction = nullptr;
    QAction* RedoAction = nullptr;
    QAction* QuitAction = nullptr;
    QAction* OpenRootAction = nullptr;
    QAction* MakeDemoAction = nullptr;
    QAction* UserGuideAction = nullptr;
    QAction* ShortcutsAction = nullptr;
    QAction* ResetSettingsAction = nullptr;
    QAction* AboutAction = nullptr;
    // The folder dialogs of File > Open data root... and Make a demo data root...; tests put
    // their own choice here.
    std::function<QString()> OpenRootDialog;
    std::function<QString()> DemoRootDialog;

    // The page shown while no data root is open; null while one is.
    TStartPage* StartPage() const { return fStartPage; }
    // The Help menu's windows as last opened (null once closed).
    QDialog* ShortcutsWindow() const;
    QDialog* UserGuideWindow() const;
    QMessageBox* AboutBox() const;
    // Help > Keyboard shortcuts: every key and mouse action, general and per workspace, read
    // from the actions as they are now.
    void ShowShortcuts();
    void ShowUserGuide();
    void ShowAbout();
    // Help > Reset settings...: asks, then forgets every setting and puts the window and the
    // workspaces' views back to their defaults.
    void ResetSettingsClick();
    // File > Make a demo data root...: writes the demo into the chosen folder (into a new folder
    // "Velkora demo" inside it when it holds files already) and opens it.
    void MakeDemoClick();

    // Closes the root worked on (asking about unsaved changes first; Cancel keeps everything)
    // and opens Root with a fresh session. A Root that is not a folder raises EFOpenError.
    void OpenDataRoot(const QString& Root);
    // Asks every workspace, and then the palettes, about unsaved changes; false when one answer
    // is Cancel.
    bool MayDiscard();
    TSession& Session() const { return *fSession; }
    bool HasSession() const { return fSession != nullptr; }

    // The settings of the window and of the workspaces' views: written at close and before
    // another data root opens, read at the first show and for each data root opened.
    void StoreSettings();

    // The map workspace's designed client size: the window's default size shows all of it.
    static constexpr QSize MapWorkspaceSize{776, 574};

protected:
    void showEvent(QShowEvent* Event) override;
    void closeEvent(QCloseEvent* Event) override;

private:
    // Builds the workspaces at the first show.
    void FormShow();
    // Keeps the window, frame included, on the free area of its screen.
    void FitToScreen();
    void SpriteLoadFrameClick();
    void MapEditFrameClick();
    void MakeBars();
    void AddWorkspace(QWidget* Frm, TWorkspace* Workspace);
    TWorkspace* VisibleWorkspace() const;
    // After a switch: the shown workspace's actions, undo stack, status and title.
    void WorkspaceShown();
    void UpdateTitle();
    void OpenDataRootClick();
    void ShowStartPage();
    // The views of the workspaces (zoom, size, order, grid) from the settings, and back.
    void ApplyViewSettings();
    void StoreViewSettings();

    // The session of the root worked on: main()'s, or the one opened since; null while the
    // start page is shown.
    TSession* fSession;
    TStartPage* fStartPage = nullptr;
    QPointer<QDialog> fShortcutsWindow;
    QPointer<QDialog> fUserGuideWindow;
    QPointer<QMessageBox> fAboutBox;
    // The window's size when no setting says otherwise.
    QSize fDefaultSize;
    std::unique_ptr<TSession> fOpenedSession;
    TSpriteFrm* fSpritesFrm = nullptr;
    TMainForm* fMapFrm = nullptr;
    TChPalFrm* fChPalFrm = nullptr;
    TPaletteEditor* fPaletteEditor = nullptr;
    QWidget* fVisibleFrm = nullptr;
    bool fFormShown = false;
    std::vector<std::pair<QWidget*, TWorkspace*>> fWorkspaces;
    QUndoGroup fUndoGroup;
    QAction* fFileSeparator = nullptr;
    QAction* fEditSeparator = nullptr;

    std::unique_ptr<Ui::TMainFrm> fUi;
};

} // namespace velkora
