#pragma once
// The sprite workbench: pick a library sprite, view it in a size, order and palette, recolour it
// through the palette-set frame, export and import the edit file, save it back into the library.
//
// What is shown, exported and saved is always the words of the one current sprite; the library
// file changes only when the user saves into it.

#include "palettes/Workspace.h"
#include "sprites/SpriteEditor.h"
#include "workbench/SpriteDocument.h"

#include <QImage>
#include <QList>
#include <QPixmap>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QPushButton;

namespace Ui {
class TSpriteFrm;
}

namespace velkora {

class TChPalFrm;
class TSession;

class TSpriteFrm : public QWidget, public TWorkspace {
    Q_OBJECT
public:
    // The controls, as the form file lays them out.
    QFrame* Panel2 = nullptr;
    QLabel* Label6 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QPushButton* BitBtn4 = nullptr;
    QFrame* Panel1 = nullptr;
    QLabel* Label3 = nullptr;
    QPushButton* SaveToIdaBtn = nullptr;
    QPushButton* LoadFromIdaBtn = nullptr;
    QFrame* Panel3 = nullptr;
    QLabel* Label1 = nullptr;
    QComboBox* SizeCmb = nullptr;
    QLabel* Label4 = nullptr;
    QComboBox* PalCmb = nullptr;
    QLabel* Label5 = nullptr;
    QComboBox* CwCmb = nullptr;
    QFrame* Panel4 = nullptr;
    QLabel* Image1 = nullptr;
    QFrame* PalPanel = nullptr;

    // The workbench of Session's data root.
    explicit TSpriteFrm(TSession& Session, QWidget* Parent = nullptr);
    ~TSpriteFrm() override;

    // The file dialogs: each returns the chosen file name, or an empty text when the user
    // cancels. Both offer "Any file (*)", start in no particular folder, add no suffix, and the
    // save dialog replaces an existing file without asking. Tests put their own choice here.
    using TFileDialog = std::function<QString()>;
    TFileDialog OpenDialog1;
    TFileDialog SaveDialog1;

    // Holds no image; nothing uses it.
    QList<QPixmap> ImageList1;

    // The sprite being worked on; the palette-set frame edits the same one.
    TSpriteDocument& Document() { return fDocument; }
    // Places the palette-set frame into PalPanel, where it fills the panel, and binds its three
    // callbacks to this workbench (once: they act on the workbench while it lives).
    void DockPalFrm(TChPalFrm* Frame);
    TChPalFrm* ChPalFrm() const;

    // Handlers.
    void FormCreate();
    void FormShow();
    void FormDestroy();
    // Loads the selected library sprite anew from its file with the palette-set frame's
    // selected set, and shows it. A sprite that cannot be read is reported and the chooser goes
    // back to the sprite still shown.
    void ComboBox1Change();
    // Serves SizeCmb, PalCmb and CwCmb: renders again when the sprite has a tile.
    void SizeCmbChange();
    // Saves the current sprite into the file it was read from, compressed when CheckBox1 is
    // ticked.
    void BitBtn1Click();
    // Imports an edit file as the current sprite ("Open").
    void LoadFromIdaBtnClick();
    // Exports the current sprite's words as an edit file ("Save").
    void SaveToIdaBtnClick();

    // The current sprite and its rendering, as shown in Image1.
    const TSpriteInfo& SpriteInfo() const { return fDocument.SpriteInfo(); }
    const QImage& BMP() const { return fBMP; }

    // The workspace's part of the main window.
    QUndoStack* UndoStack() override { return fDocument.UndoStack(); }
    QString DocumentTitle() const override;
    bool IsModified() const override { return fDocument.IsModified(); }
    QWidget* StatusWidget() override;
    bool MayDiscard() override;
    QAction* SaveAction = nullptr;

signals:
    // The name or the modified state of the sprite changed.
    void TitleChanged();

protected:
    void showEvent(QShowEvent* Event) override;

private:
    // Renders the current sprite into fBMP and shows it in Image1 at once, 1:1.
    void SetImage();
    // The three callbacks bound on the palette-set frame.
    void ChangeFirstPal();
    void SetPalSwap();
    void ResetbtnClick();

    TSession& fSession;
    TSpriteDocument fDocument;
    QPointer<TChPalFrm> fChPalFrm;
    QImage fBMP;
    QLabel* fStatus = nullptr;
    // The position in ComboBox1 of the sprite in memory (-1: none).
    int fSpriteIndex = -1;
    bool fShown = false;
    // This workbench while it lives, null once it is being destroyed; shared with the callbacks.
    std::shared_ptr<TSpriteFrm*> fSelf = std::make_shared<TSpriteFrm*>(this);

    std::unique_ptr<Ui::TSpriteFrm> fUi;
};

} // namespace velkora
