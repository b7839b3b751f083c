#pragma once
// The sprite workbench: pick a library sprite, view it in a size, order and palette, recolour it
// through the palette-set frame, export and import the edit file, save it back into the library.
//
// What is shown, exported and saved is always the words of the one current sprite; the library
// file changes only when the user saves into it.

#include "palettes/SpritePng.h"
#include "sprites/SpriteEditor.h"
#include "widgets/Workspace.h"
#include "workbench/SpriteDocument.h"
#include "workbench/SpriteView.h"

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
class QScrollBar;

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
    // The PNG dialogs of File > Export PNG... and Import PNG...: "PNG pictures (*.png)"; the save
    // dialog adds ".png" and asks before it replaces a file.
    TFileDialog PngOpenDialog;
    TFileDialog PngSaveDialog;
    // Asks for the layout of a picture that does not give one: Layout holds the size, order and
    // block count to offer and receives the choice; false when the user cancels. Tests put
    // their own answer here.
    using TLayoutQuestion =
        std::function<bool(const QString& FileName, QSize Picture, TSpriteLayout& Layout)>;
    TLayoutQuestion PngLayoutDialog;

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
    // File > Export PNG...: the current words as shown (size, order, second palette) as an
    // indexed PNG. File > Import PNG...: a PNG's pixels become the current words, as an edit
    // file's do, read in the layout the picture gives or else the size and order shown (asked
    // for when the picture is not whole groups of that size), in the second palette's colours.
    void ExportPngClick();
    void ImportPngClick();

    // The current sprite and its rendering, as shown in Image1.
    const TSpriteInfo& SpriteInfo() const { return fDocument.SpriteInfo(); }
    const QImage& BMP() const { return fBMP; }

    // The workspace's part of the main window.
    QUndoStack* UndoStack() override { return fDocument.UndoStack(); }
    QString DocumentTitle() const override;
    bool IsModified() const override { return fDocument.IsModified(); }
    QWidget* StatusWidget() override;
    QAction* SaveAction = nullptr;
    QAction* ExportPngAction = nullptr;
    QAction* ImportPngAction = nullptr;
    QAction* ZoomInAction = nullptr;
    QAction* ZoomOutAction = nullptr;
    QAction* ActualSizeAction = nullptr;

    // The picture's zoom (1x to 8x) and the view of every tile group it shows in Image1.
    int Zoom() const { return fView.Zoom(); }
    void SetZoom(int Zoom, QPoint About = QPoint(-1, -1));
    const TSpriteLayoutView& View() const { return fView; }
    QScrollBar* VScroll = nullptr;
    QScrollBar* HScroll = nullptr;
    // The status bar's text: the sprite's facts and the pixel under the pointer.
    QString StatusText() const;

signals:
    // The name or the modified state of the sprite changed.
    void TitleChanged();

protected:
    void SaveDocument() override;
    QWidget* QuestionParent() override { return this; }
    void showEvent(QShowEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    // Renders the current sprite into fBMP (the bitmap maker's picture of the designed view) and
    // shows every tile group of it in Image1 at the zoom.
    void SetImage();
    // Shows the view's window at the scroll bars' place.
    void ShowView();
    void UpdateScrollBars();
    void UpdateStatus();
    // CheckBox1 and the status bar show the form of the sprite's file.
    void ShowForm();
    QPoint Scroll() const;
    // The three callbacks bound on the palette-set frame.
    void ChangeFirstPal();
    void SetPalSwap();
    void ResetbtnClick();

    TSession& fSession;
    TSpriteDocument fDocument;
    QPointer<TChPalFrm> fChPalFrm;
    QImage fBMP;
    QLabel* fStatus = nullptr;
    TSpriteLayoutView fView;
    // The pixel under the pointer over Image1, if any.
    bool fHasPixel = false;
    TSpriteLayoutView::TPixel fPixel;
    // The position in ComboBox1 of the sprite in memory (-1: none).
    int fSpriteIndex = -1;
    bool fShown = false;
    // This workbench while it lives, null once it is being destroyed; shared with the callbacks.
    std::shared_ptr<TSpriteFrm*> fSelf = std::make_shared<TSpriteFrm*>(this);

    std::unique_ptr<Ui::TSpriteFrm> fUi;
};

} // namespace velkora
