#pragma once
// The main window: a toolbar of two workspace buttons above the client area in which exactly one
// workspace (the sprite workbench or the map workspace) is shown at a time.

#include <QList>
#include <QPixmap>
#include <QWidget>

#include <memory>

class QFrame;
class QGridLayout;
class QToolButton;
class QWidget;

namespace Ui {
class TMainFrm;
}

namespace velkora {

class TChPalFrm;
class TMainForm;
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

protected:
    void showEvent(QShowEvent* Event) override;

private:
    // Builds the workspaces at the first show.
    void FormShow();
    void SpriteLoadFrameClick();
    void MapEditFrameClick();

    TSession& fSession;
    TSpriteFrm* fSpritesFrm = nullptr;
    TMainForm* fMapFrm = nullptr;
    TChPalFrm* fChPalFrm = nullptr;
    QWidget* fVisibleFrm = nullptr;
    bool fFormShown = false;

    std::unique_ptr<Ui::TMainFrm> fUi;
};

} // namespace velkora
