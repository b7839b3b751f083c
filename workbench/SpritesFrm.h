// SPDX-License-Identifier: MIT
#pragma once
// The sprite workbench: pick a library sprite, view it in a size, order and palette, recolour it
// through the palette-set frame, export and import the edit file, save it back into the library.
//
// What is shown, exported and saved is always the words of the one current sprite; the library
// file changes only when the user saves into it.

#include "palettes/SpritePng.h"
#include "sprites/SpriteEditor.h"
#include "widgets/Workspace.h"
#include "workbench/PixelTools.h"
#include "workbench/SpriteDocument.h"
#include "workbench/SpriteView.h"

#include <QImage>
#include <QList>
#include <QPixmap>
#include <QPointer>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QCheckBox;
class QComboBox;
class QFrame;
class QKeyEvent;
class QMouseEvent;
class QLabel;
class QMenu;
class QPushButton;
class QScrollBar;

namespace Ui {
class TSpriteFrm;
}

namespace velkora {

class TChPalFrm;
class TDrawingPanel;
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
    // Asks how many empty tiles Tile > Insert tiles... inserts (1 to Most); false when the user
    // cancels. Tests put their own answer here.
    using TCountQuestion = std::function<bool(int Most, int& Count)>;
    TCountQuestion InsertTilesDialog;

    // Holds no image; nothing uses it.
    QList<QPixmap> ImageList1;

    // The sprite being worked on; the palette-set frame edits the same one.
    TSpriteDocument& Document() { return fDocument; }
    // Places the palette-set frame into PalPanel, where it fills the panel, and binds its three
    // callbacks to this workbench (once: they reach the workbench while it lives). The frame
    // edits the document itself; the callbacks only tell the workbench it did.
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

    // The current sprite; Image1 shows it.
    const TSpriteInfo& SpriteInfo() const { return fDocument.SpriteInfo(); }

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

    // Drawing: the tools (Tools menu and the buttons beside the picture, one key each), the two
    // current colours, the selection and the tile commands (Edit and Tile menus).
    QMenu* ToolsMenu = nullptr;
    QMenu* TileMenu = nullptr;
    std::array<QAction*, PixelToolCount> ToolActions{};
    QAction* ShowGridAction = nullptr;
    QAction* ShowNumbersAction = nullptr;
    QAction* CopyAction = nullptr;
    QAction* CutAction = nullptr;
    QAction* PasteAction = nullptr;
    QAction* DeleteAction = nullptr;
    QAction* FlipHorizontallyAction = nullptr;
    QAction* FlipVerticallyAction = nullptr;
    QAction* RotateAction = nullptr;
    QAction* InsertTilesAction = nullptr;
    QAction* DeleteTilesAction = nullptr;
    QAction* DuplicateGroupAction = nullptr;
    QAction* MoveEarlierAction = nullptr;
    QAction* MoveLaterAction = nullptr;
    TDrawingPanel* DrawingPanel = nullptr;
    TPixelToolKind Tool() const { return fToolKind; }
    void SetTool(TPixelToolKind Kind);
    // The pixel cursor of the keys and the selection, in pixels of the picture's layout.
    QPoint Cursor() const { return fCursor; }
    std::optional<QRect> Selection() const { return fSelection; }
    // True while a paste floats under the pointer.
    bool Floating() const { return fFloating.has_value(); }
    // The form's size at which the picture has its designed size; beyond it the picture takes
    // what the form grows by. The main window gives its client area at the designed window size.
    void SetRestingSize(QSize Size);

    // The picture's zoom (1x to 16x) and the view of every tile group it shows in Image1.
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
    void resizeEvent(QResizeEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    // Shows every tile group of the current sprite in Image1 at the zoom, in the size, order and
    // second palette chosen.
    void SetImage();
    // Shows the view's window at the scroll bars' place.
    void ShowView();
    void UpdateScrollBars();
    void UpdateStatus();
    // CheckBox1 and the status bar show the form of the sprite's file.
    void ShowForm();
    QPoint Scroll() const;
    // A palette change shows when there is a tile to show.
    void ChangeFirstPal();
    // What the three callbacks bound on the palette-set frame do: the frame changed the
    // document, whose signals repainted the picture and the status.
    void PalFrmChanged();

    // The drawing actions and menus.
    void MakeDrawingActions();
    // The Edit menu's selection commands and the Tile menu.
    void MakeEditActions();
    // The drawing panel, the picture's part in drawing and its place in a grown form.
    void SetUpDrawing();
    // Places the picture, its scroll bars, the drawing panel and the palette panel for the size.
    void Relayout();
    // The picture's mouse and keys.
    bool PictureEvent(QEvent* Event);
    bool PicturePress(const QMouseEvent* Mouse);
    bool PictureMove(const QMouseEvent* Mouse);
    bool PictureRelease(const QMouseEvent* Mouse);
    bool PictureKey(const QKeyEvent* Key);
    // A gesture of the current tool on a copy of the sprite; its end gives the copy's words to
    // the document as one edit.
    void BeginGesture();
    void EndGesture();
    void CancelGesture();
    // One edit of the sprite's pixels as it is shown, named Text; nothing when Edit changes none.
    void EditPixels(const QString& Text, const std::function<void(TPixelCanvas&)>& Edit);
    // The selection clipped to the layout; empty without one.
    QRect Target() const;
    QRect LayoutRect() const;
    void CopySelection();
    void DeleteSelection();
    void PasteClipboard();
    // The tile commands act on the selection's tiles, or else on the tile under the cursor.
    std::pair<int64_t, int64_t> TargetTiles() const;
    void InsertTiles();
    void DeleteTiles();
    void DuplicateGroup();
    void MoveGroup(bool Earlier);
    // The selection, the cursor and a floating paste drawn over Picture.
    void DrawMarks(QImage& Picture) const;
    // The layout pixel under the pointer while it is over the picture.
    std::optional<QPoint> Pointer() const;
    void UpdateDrawingColours();

    TSession& fSession;
    TSpriteDocument fDocument;
    QPointer<TChPalFrm> fChPalFrm;
    QLabel* fStatus = nullptr;
    TSpriteLayoutView fView;
    // The pixel under the pointer over Image1, if any, and where the pointer is.
    bool fHasPixel = false;
    QPoint fPointer;
    bool fPointerInside = false;
    TSpriteLayoutView::TPixel fPixel;
    TPixelToolKind fToolKind = TPixelToolKind::Pencil;
    std::unique_ptr<TPixelTool> fTool;
    // The copy a gesture draws on, and the canvas over it; null outside a gesture.
    std::unique_ptr<TSpriteInfo> fWorking;
    std::unique_ptr<TPixelCanvas> fCanvas;
    QPoint fCursor{0, 0};
    bool fCursorShown = false;
    std::optional<QRect> fSelection;
    struct TFloating {
        QSize Size;
        std::vector<int> Indices;
        QPoint At;
    };
    std::optional<TFloating> fFloating;
    QSize fRestingSize;
    QRect fDesignedPanel4;
    QRect fDesignedPalPanel;
    // The position in ComboBox1 of the sprite in memory (-1: none).
    int fSpriteIndex = -1;
    bool fShown = false;
    // This workbench while it lives, null once it is being destroyed; shared with the callbacks.
    std::shared_ptr<TSpriteFrm*> fSelf = std::make_shared<TSpriteFrm*>(this);

    std::unique_ptr<Ui::TSpriteFrm> fUi;
};

} // namespace velkora
