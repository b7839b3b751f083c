#pragma once
// The map workspace: choose a map, paint its cells with items of two textures (brush,
// rectangle, flood fill, pick), zoom, pan and scroll, undo, save; make new maps.

#include "maps/MapDocument.h"
#include "maps/MapImageItems.h"
#include "maps/MapTools.h"
#include "maps/NewMapDialog.h"
#include "maps/ZoomedPictures.h"
#include "shell/ParamsFile.h"
#include "widgets/DrawGrid.h"
#include "widgets/StatusField.h"
#include "widgets/Workspace.h"

#include <QPoint>
#include <QStringList>
#include <QWidget>

#include <array>
#include <functional>
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
class TSession;

class TMainForm : public QWidget, public TWorkspace {
    Q_OBJECT
public:
    // The controls, as the form file lays them out.
    TDrawGrid* DrawGrid1 = nullptr;
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
    TDrawGrid* DrawGrid2 = nullptr;
    QLabel* Sets = nullptr;
    QComboBox* SetsCMB = nullptr;
    QPushButton* BitBtn1 = nullptr;
    // The tool strip beside the item grid: brush, rectangle, flood fill, pick.
    std::array<QToolButton*, MapToolCount> ToolButtons{};

    // The workspace of Session's data root.
    explicit TMainForm(TSession& Session, QWidget* Parent = nullptr);
    ~TMainForm() override;

    // The map being edited.
    TMapDocument& Document() { return fDocument; }
    // What the workspace holds, for reading.
    QPoint HLCell() const { return fHLCell; }
    int32_t SelImage() const { return fSelImage; }
    const TMapParams& MapParams() const { return fDocument.MapParams(); }
    // The file the map in memory was read from; empty while no map is loaded.
    const QString& MapFileName() const { return fDocument.FileName(); }
    const TSetArray& SetArray() const { return fSetArray; }
    // The pictures the map grid and the item grid draw, per cell value.
    const TMapCellPictures& CellPictures() const { return fCellPictures; }

    // Handlers.
    void FormCreate();
    void FormDestroy();
    void FormPaint();
    void LevelCmbChange();
    void SaveBtnClick();
    void DrawGrid1DrawCell(QPainter& Canvas, int ACol, int ARow, const QRect& Rect);
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
    // Appends cSet to the parameters file as "Set_<number of sets the file holds>".
    void AddSet(const TSet& cSet, TXMLDocument* XMLDoc);

    // The tool a left press on the map grid uses (Alt with the left button always picks).
    TMapTool Tool() const { return fTool; }
    void SetTool(TMapTool Tool);
    // The zoom, 1 to 4: cells of 24 x Zoom pixels.
    int Zoom() const { return fZoom; }
    // Zooms to Zoom (kept within 1 to 4) so that the map point under Anchor (workspace
    // coordinates) stays under it.
    void SetZoom(int Zoom, QPoint Anchor);
    // 1x, the map's top-left cell where the map grid starts.
    void ActualSize();
    // The lines over the cell edges.
    bool ShowGrid() const;
    void SetShowGrid(bool Show);
    // The part of the workspace the map shows in: all of it but the side panel and the scroll
    // bars.
    QRect MapView() const;
    // The scroll bars, the navigation keys, Go to cell and the overview.
    TMapNavigator* Navigator() const { return fNavigator; }

    // File > New map...: asks the size and the fill item, then makes the map (asking first
    // about unsaved changes).
    void NewMapClick();
    // File > Save map as...: asks a name inside Maps and saves the map under it.
    void SaveAsClick();
    // Makes Cells (w x h, row by row) the map, a new one without a file that counts as modified,
    // once the edits in memory may go (MayDiscard); false when the user keeps them. The map
    // chooser then names no map. New map uses it, and so can an import.
    bool OpenNewMap(int32_t w, int32_t h, TMyByteArray Cells, const QString& Name = QString());
    // File > Export map as TMX...: the map in memory with the textures and palettes chosen now,
    // for the general-purpose tile map editor (the TMX and its tileset picture beside it, both
    // asked about before either is written).
    // File > Import TMX...: a TMX or JSON map opens as a new unsaved map named after the file,
    // saved with Save map as..., in the textures and palettes it records.
    // File > Reimport TMX: the cells of the file last imported or exported take the place of
    // the map's, as one edit.
    void ExportTmxClick();
    void ImportTmxClick();
    void ReimportTmxClick();

    // The dialogs, replaceable by tests: NewMapDialog edits the choice it is given and returns
    // false for Cancel; SaveAsDialog returns the typed name (empty for Cancel).
    using TNewMapQuestion = std::function<bool(TNewMapChoice& Choice)>;
    TNewMapQuestion NewMapDialog;
    using TNameQuestion = std::function<QString(const QString& Suggested)>;
    TNameQuestion SaveAsDialog;
    // The TMX file dialogs (empty for Cancel); the save dialog proposes Suggested, adds ".tmx"
    // and asks before it replaces a file.
    std::function<QString(const QString& Suggested)> TmxSaveDialog;
    std::function<QString()> TmxOpenDialog;

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

signals:
    // The name or the modified state of the map changed.
    void TitleChanged();

protected:
    void SaveDocument() override;
    QWidget* QuestionParent() override { return this; }
    void paintEvent(QPaintEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;
    // Over the map view: Ctrl+wheel zooms about the pointer, the wheel scrolls vertically,
    // Shift+wheel horizontally.
    void wheelEvent(QWheelEvent* Event) override;
    // Escape drops a rectangle being dragged; the arrows and Page keys move the view.
    void keyPressEvent(QKeyEvent* Event) override;

private:
    void MakeActions();
    void MakeToolStrip();
    void MakeStatus();
    // The cell pitch at the current zoom.
    int Pitch() const { return MapCellSize * fZoom; }
    // The cell under a client point of the map grid (off the map for points beyond its cells).
    QPoint CellAt(QPoint Client) const;
    // Moves the highlight, repainting the cells whose look changes.
    void SetHLCell(QPoint Cell);
    // Sizes the map grid to the map at the current zoom.
    void SizeGrid();
    // Moves the map grid to Pos, or as near as leaves a whole cell in view.
    void PlaceGrid(QPoint Pos);
    // After the grid moved or zoomed under the pointer: the highlight goes to the cell now under
    // it.
    void FollowPointer();
    // A client point of the map grid in workspace coordinates.
    QPoint GridToWorkspace(QPoint Client) const;
    // Selects the item a cell holds (0 to 49) in the item grid; other values select nothing.
    void PickCell(QPoint Cell);
    // Ends a stroke or drops a rectangle being dragged.
    void EndDrag();
    void InvalidateRectPreview();
    void UpdateCellStatus();
    void UpdateItemStatus();
    void UpdateMapStatus();
    // Lists the map files again, in library order, selecting Name.
    void ListMaps(const QString& Name);

    // Applies the texture and palette choosers of one texture (0 or 1) to its strip.
    void ApplyTexture(int Texture);
    void FillSetsCMB();
    // The item picture a cell value names, for the item grid and the map grid.
    const QImage& ItemPicture(int Value) const { return fCellPictures.Picture(Value); }
    // The document's signals.
    void CellsChanged(const QRect& Cells);
    void MapReplaced();
    // Draws a 24 x 24 cell picture into a cell's rectangle at the current zoom.
    void DrawCellPicture(QPainter& Canvas, const QRect& Rect, const QImage& Picture);

    TSession& fSession;

    QPoint fPp;
    QPoint fCp;
    QPoint fHLCell{0, 0};
    int32_t fSelImage = 0;
    std::unique_ptr<QStringList> fS;
    std::unique_ptr<TMapImageItems> fMapItems1;
    std::unique_ptr<TMapImageItems> fMapItems2;
    TSetArray fSetArray;
    TMapDocument fDocument;

    // The pictures of all cell values in the current textures and palettes.
    TMapCellPictures fCellPictures;
    // The same, scaled to the zoom.
    TZoomedPictures fZoomedPictures;
    // A texture or palette changed after the map grid was last invalidated whole: its next
    // redraw (a mouse move over it, a repaint of the workspace) covers every visible cell.
    bool fGridStale = false;
    QWidget* fStatus = nullptr;
    TMapNavigator* fNavigator = nullptr;
    QActionGroup* fToolGroup = nullptr;
    TMapTool fTool = TMapTool::Brush;
    int fZoom = 1;
    // The wheel's turn toward the next zoom step (120 a notch).
    int fZoomWheel = 0;
    // The pointer is over the map grid, and where it was last seen there (workspace
    // coordinates, which stay put while the grid moves under it).
    bool fPointerOnGrid = false;
    QPoint fPointer;
    // The stroke the left button paints (0: none) and the cell it reached last.
    int fStroke = 0;
    QPoint fStrokeCell;
    // A rectangle being dragged: its corner cells.
    bool fRectDrag = false;
    QPoint fRectAnchor;
    QPoint fRectEnd;
    // The position in fS of the map in memory (-1: none).
    int fMapIndex = -1;

    std::unique_ptr<Ui::TMainForm> fUi;
};

} // namespace velkora
