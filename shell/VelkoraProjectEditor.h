#pragma once
// The main window: a toolbar of two workspace buttons above the client area in which exactly one
// workspace (the sprite workbench or the map workspace) is shown at a time.

#include "ui_VelkoraProjectEditor.h"

#include <QList>
#include <QPixmap>
#include <QWidget>

namespace velkora {

class TSpriteFrm;
class TMainForm;

class TMainFrm : public QWidget, public Ui::TMainFrm {
    Q_OBJECT
public:
    explicit TMainFrm(QWidget* Parent = nullptr);
    ~TMainFrm() override;

    // Marks toolbar button i as pressed and every other button as released.
    void PressButton(int i);
    // Hides the workspace shown now (even when it is Frm itself), then shows Frm.
    void ShowFrm(QWidget* Frm);

    TSpriteFrm* SpritesFrm() const { return fSpritesFrm; }
    TMainForm* MapFrm() const { return fMapFrm; }
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

    TSpriteFrm* fSpritesFrm = nullptr;
    TMainForm* fMapFrm = nullptr;
    QWidget* fVisibleFrm = nullptr;
    bool fFormShown = false;
};

// The one main window.
extern TMainFrm* MainFrm;
// Start-up step of the unit: captures the data root once more (the same value).
void VelkoraProjectEditorInitialization();

} // namespace velkora
