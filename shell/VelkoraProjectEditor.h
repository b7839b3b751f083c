#pragma once
// The main window: a toolbar of two workspace buttons above the client area in which exactly one
// workspace (the sprite workbench or the map workspace) is shown at a time.

#include <QList>
#include <QPixmap>
#include <QUndoGroup>
#include <QWidget>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include <memory>

class QAction;
class QFrame;
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
class TWorkspace;
class TSession;
class TSpriteFrm;

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
    ~TMainFrm() override;

    // Marks toolbar button i as pressed and every other button as released.
    void PressButton(int i);
    // Hides the workspace shown now (even when it is Frm itself), then shows Frm.
    void ShowFrm(QWidget* Frm);

    TSpriteFrm* SpritesFrm() const { return fSpritesFrm; }
    TMainForm* MapFrm() const { return fMapFrm; }
    TChPalFrm* ChPalFrm() const { return fChPalFrm; }
    QWidget* VisibleFrm() const { return fVisibleFrm; }

    // The toolbar's images: 0 a folder with a picture, 1 a map, 2 colour swatches.
    QList<QPixmap> ImageList1;

    // The bars around the toolbar and the workspaces. The menus hold the shown workspace's
    // actions besides these.
    QMenuBar* MenuBar = nullptr;
    QMenu* FileMenu = nullptr;
    QMenu* EditMenu = nullptr;
    QMenu* ViewMenu = nullptr;
    QStatusBar* StatusBar = nullptr;
    QAction* UndoAction = nullptr;
    QAction* RedoAction = nullptr;
    QAction* QuitAction = nullptr;
    QAction* OpenRootAction = nullptr;
    // The folder dialog of File > Open data root...; tests put their own choice here.
    std::function<QString()> OpenRootDialog;

    // Closes the root worked on (asking about unsaved changes first; Cancel keeps everything)
    // and opens Root with a fresh session. A Root that is not a folder raises EFOpenError.
    void OpenDataRoot(const QString& Root);
    // Asks every workspace about its unsaved changes; false when one answer is Cancel.
    bool MayDiscard();
    TSession& Session() const { return *fSession; }

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

    // The session of the root worked on: main()'s, or the one opened since.
    TSession* fSession;
    std::unique_ptr<TSession> fOpenedSession;
    TSpriteFrm* fSpritesFrm = nullptr;
    TMainForm* fMapFrm = nullptr;
    TChPalFrm* fChPalFrm = nullptr;
    QWidget* fVisibleFrm = nullptr;
    bool fFormShown = false;
    std::vector<std::pair<QWidget*, TWorkspace*>> fWorkspaces;
    QUndoGroup fUndoGroup;
    QAction* fFileSeparator = nullptr;
    QAction* fEditSeparator = nullptr;

    std::unique_ptr<Ui::TMainFrm> fUi;
};

} // namespace velkora
