#pragma once
// The map workspace: choose a map, paint its cells with items of two textures, pan, save.

#include "maps/DrawGrid.h"
#include "maps/MapDocument.h"
#include "maps/MapImageItems.h"
#include "palettes/Workspace.h"
#include "shell/ParamsFile.h"

#include <QPoint>
#include <QStringList>
#include <QWidget>

#include <memory>

class QComboBox;
class QFrame;
class QLabel;
class QPushButton;

namespace Ui {
class TMainForm;
}

namespace velkora {

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
    // Appends cSet to the parameters file as "Set_<number of sets held>" and saves it.
    void AddSet(const TSet& cSet, TXMLDocument* XMLDoc);

    // The workspace's part of the main window.
    QUndoStack* UndoStack() override { return fDocument.UndoStack(); }
    QString DocumentTitle() const override;
    bool IsModified() const override { return fDocument.IsModified(); }
    QWidget* StatusWidget() override;
    bool MayDiscard() override;
    QAction* SaveAction = nullptr;

signals:
    // The name or the modified state of the map changed.
    void TitleChanged();

protected:
    void paintEvent(QPaintEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;

private:
    // Applies the texture and palette choosers of one texture (0 or 1) to its strip.
    void ApplyTexture(int Texture);
    void FillSetsCMB();
    // The item picture a cell value names, for the item grid and the map grid.
    const QImage& ItemPicture(int Value) const { return fCellPictures.Picture(Value); }
    // The document's signals.
    void CellsChanged(const QRect& Cells);
    void MapReplaced();

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
    // A texture or palette changed after the map grid was last invalidated whole: its next
    // redraw (a mouse move over it, a repaint of the workspace) covers every visible cell.
    bool fGridStale = false;
    QLabel* fStatus = nullptr;
    // The position in fS of the map in memory (-1: none).
    int fMapIndex = -1;

    std::unique_ptr<Ui::TMainForm> fUi;
};

} // namespace velkora
