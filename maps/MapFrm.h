// SPDX-License-Identifier: MIT
#pragma once
// The map workspace: choose a map, paint its cells with items of two textures, zoom, pan and
// scroll, undo, save; make new maps. The form lays out the designed controls and wires the parts
// that do the work: the map view (MapView), the item grid (ItemGrid), the tools (MapToolBox), the
// textures (MapTextures), the map's files (MapFiles) and the status bar (MapStatus).

#include "maps/ItemGrid.h"
#include "maps/LevelEdit.h"
#include "maps/MapDocument.h"
#include "maps/MapFiles.h"
#include "maps/MapTextures.h"
#include "maps/MapToolBox.h"
#include "maps/MapTools.h"
#include "maps/MapView.h"
#include "maps/NewMapDialog.h"
#include "shell/ParamsFile.h"
#include "widgets/DrawGrid.h"
#include "widgets/StatusField.h"
#include "widgets/Workspace.h"

#include <QPoint>
#include <QStringList>
#include <QWidget>

#include <array>
#include <memory>

class QActionGroup;
class QComboBox;
class QFrame;
class QLabel;
class QPushButton;
class QToolButton;

namespace Ui {
class TMainForm;
}

namespace velkora {

class TMapNavigator;
class TMapStatus;
class TSession;

// The questions of the map's files (TMapFileDialogs: NewMapDialog, SaveAsDialog, TmxSaveDialog,
// TmxOpenDialog) are the form's, so that tests can answer them.
class TMainForm : public QWidget, public TWorkspace, public TMapFileDialogs {
    Q_OBJECT
public:
    // The controls, as the form file lays them out.
    TMapView* DrawGrid1 = nullptr;
    QFrame* LeftPanel = nullptr;
    QLabel* Label1 = nullptr;
    QComboBox* LevelCmb = nullptr;
    QPushButton* SaveBtn = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label4 = nullptr;
    QComboBox* FirstPalCmb = nullptr;
    QComboBox* SecPalCmb = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QComboBox* Tex1cmb = nullptr;
    QComboBox* Tex2cmb = nullptr;
    TItemGrid* DrawGrid2 = nullptr;
    QLabel* Sets = nullptr;
    QComboBox* SetsCMB = nullptr;
    QPushButton* BitBtn1 = nullptr;
    // The tool strip beside the item grid: brush, rectangle, flood fill, pick.
    std::array<QToolButton*, MapToolCount> ToolButtons{};

    // The workspace of Session's data root.
    explicit TMainForm(TSession& Session, QWidget* Parent = nullptr);
    ~TMainForm() override;

    // The map being edited, its textures and its tools.
    TMapDocument& Document() { return fDocument; }
    TMapTextures& Textures() { return fTextures; }
    TMapToolBox& Tools() { return fTools; }
    // The selection's and the clipboard's actions, the stamp's flips, Resize map....
    TLevelEdit& Level() { return *fLevel; }
    // What the workspace shows, for reading.
    QPoint HLCell() const { return DrawGrid1->HLCell(); }
    int32_t SelImage() const { return fTools.Item(); }
    const TMapParams& MapParams() const { return fDocument.MapParams(); }
    // The file the map in memory was read from; empty while no map is loaded.
    const QString& MapFileName() const { return fDocument.FileName(); }
    // The texture sets, as the session holds them.
    const TSetArray& SetArray() const;
    // The pictures the map grid and the item grid draw, per cell value.
    const TMapCellPictures& CellPictures() const { return fTextures.CellPictures(); }

    // Handlers of the form's events; each hands its work to the part that does it.
    void FormCreate();
    void FormDestroy();
    void FormPaint();
    void LevelCmbChange();
    void SaveBtnClick();
    void DrawGrid1DrawCell(QPainter& Canvas, int ACol, int ARow, const QRect& Rect);
    // Paints the highlighted cell with the brush.
    void DrawGrid1Click();
    void DrawGrid1MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);
    void DrawGrid1MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);
    void DrawGrid1MouseMove(Qt::MouseButtons Buttons, Qt::KeyboardModifiers Shift, int X, int Y);
    void DrawGrid2DrawCell(QPainter& Canvas, int ACol, int ARow, const QRect& Rect);
    bool DrawGrid2SelectCell(int ACol, int ARow);
    void Tex1cmbChange();
    void Tex2cmbChange();
    void SetsCMBChange();
    void BitBtn1Click();

    // Appends the names of the map files under CurrentDir/Maps ("*.Map", any case).
    void FindFiles(QStringList& S) const;
    // CurrentDir/Maps/Name.
    QString GetFullName(const QString& Name) const;
    // Reads the map texture sets of the parameters file into sa.
    void LoadSets(TSetArray& sa, TXMLDocument* XMLDoc);
    // Appends cSet to the parameters file as "Set_<number of sets the file holds>", through the
    // session, which reads the sets again.
    void AddSet(const TSet& cSet, TXMLDocument* XMLDoc);

    // The tool a left press on the map grid uses (Alt with the left button always picks).
    TMapTool Tool() const { return fTools.Current(); }
    void SetTool(TMapTool Tool);
    // The zoom, 1 to 4: cells of 24 x Zoom pixels.
    int Zoom() const { return DrawGrid1->Zoom(); }
    // Zooms to Zoom (kept within 1 to 4) so that the map point under Anchor (workspace
    // coordinates) stays under it.
    void SetZoom(int Zoom, QPoint Anchor) { DrawGrid1->SetZoom(Zoom, Anchor); }
    // 1x, the map's top-left cell where the map grid starts.
    void ActualSize() { DrawGrid1->ActualSize(); }
    // The lines over the cell edges.
    bool ShowGrid() const { return DrawGrid1->ShowGrid(); }
    void SetShowGrid(bool Show);
    // The part of the workspace the map shows in: all of it but the side panel and the scroll
    // bars.
    QRect MapView() const { return DrawGrid1->View(); }
    // The scroll bars, the navigation keys, Go to cell and the overview.
    TMapNavigator* Navigator() const { return DrawGrid1->Navigator(); }

    // File > New map...: asks the size and the fill item, then makes the map (asking first
    // about unsaved changes).
    void NewMapClick();
    // File > Save map as...: asks a name inside Maps and saves the map under it.
    void SaveAsClick();
    // Makes Cells (w x h, row by row) the map, a new one without a file that counts as modified,
    // once the edits in memory may go (MayDiscard); false when the user keeps them. The map
    // chooser then names no map. New map uses it, and so can an import.
    bool OpenNewMap(int32_t w, int32_t h, TMyByteArray Cells, const QString& Name = QString());
    // File > Export map as TMX..., Import TMX..., Reimport TMX (see TMapFiles).
    void ExportTmxClick();
    void ImportTmxClick();
    void ReimportTmxClick();

    // The workspace's part of the main window.
    QUndoStack* UndoStack() override { return fDocument.UndoStack(); }
    QString DocumentTitle() const override;
    bool IsModified() const override { return fDocument.IsModified(); }
    QWidget* StatusWidget() override;

    // File: new map, save, save as (the export and import items follow them).
    QAction* NewAction = nullptr;
    QAction* SaveAction = nullptr;
    QAction* SaveAsAction = nullptr;
    QAction* ExportTmxAction = nullptr;
    QAction* ImportTmxAction = nullptr;
    QAction* ReimportTmxAction = nullptr;
    // Edit: one checkable action per tool, with its key.
    std::array<QAction*, MapToolCount> ToolActions{};
    // View.
    QAction* ZoomInAction = nullptr;
    QAction* ZoomOutAction = nullptr;
    QAction* ActualSizeAction = nullptr;
    QAction* ShowGridAction = nullptr;

    // The status bar's parts: the cell under the pointer, the selected item, the zoom, the
    // map's size.
    TStatusField* CellStatus = nullptr;
    TStatusField* ItemStatus = nullptr;
    TStatusField* ZoomStatus = nullptr;
    TStatusField* SizeStatus = nullptr;
    // The tool in use, its stamp, its paste or the selection's size.
    TStatusField* ToolStatus = nullptr;

signals:
    // The name or the modified state of the map changed.
    void TitleChanged();

protected:
    void SaveDocument() override;
    QWidget* QuestionParent() override { return this; }
    void paintEvent(QPaintEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;
    // Over the map view: zoom and scroll (TMapView::Wheel).
    void wheelEvent(QWheelEvent* Event) override;
    // Escape drops what the tool began; the arrows and Page keys move the view.
    void keyPressEvent(QKeyEvent* Event) override;

private:
    void TakeControls();
    void Wire();
    void MakeFileActions();
    void MakeToolActions();
    void MakeViewActions();
    void MakeToolStrip();
    void MakeStatus();
    // Each new action runs its handler under the general error report.
    QAction* MakeAction(const QString& Text, const QList<QKeySequence>& Keys,
                        std::function<void()> Handler);
    // The choosers follow the textures of texture t.
    void ShowTexture(int t);
    void FillSetsCMB();
    void ItemChanged(int Item);
    void ShowPointerCell();
    void MapReplaced();
    // The tool in use in the status bar, with its stamp, its paste or the selection.
    void ShowTool();

    TSession& fSession;
    TMapDocument fDocument;
    TMapTextures fTextures;
    TMapToolBox fTools;
    TMapFiles* fFiles = nullptr;
    TMapStatus* fStatus = nullptr;
    TLevelEdit* fLevel = nullptr;
    QActionGroup* fToolGroup = nullptr;

    std::unique_ptr<Ui::TMainForm> fUi;
};

} // namespace velkora
