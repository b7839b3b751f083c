#pragma once
// The map workspace: choose a map, paint its cells with items of two textures, pan, save.

#include "maps/MapImageItems.h"
#include "shell/ParamsFile.h"
#include "ui_MapFrm.h"

#include <QPoint>
#include <QStringList>
#include <QWidget>

#include <memory>

namespace velkora {

// The current map: its size and its cells row by row.
struct TMapParams {
    int32_t Width = 0;
    int32_t Height = 0;
    TMyByteArray DecomBytes;

    // The cell in row W, column H (callers pass the row first). A cell outside the map raises
    // EListError.
    uint8_t GetValue(int W, int H) const;
    // Stores the low byte of Value into the cell in row W, column H.
    void SetValue(int W, int H, int Value);
    bool Contains(int Row, int Col) const {
        return Row >= 0 && Col >= 0 && Row < Height && Col < Width &&
               DecomBytes.size() == size_t(Width) * size_t(Height);
    }
};

class TMainForm : public QWidget, public Ui::TMainForm {
    Q_OBJECT
public:
    explicit TMainForm(QWidget* Parent = nullptr);
    ~TMainForm() override;

    // What the workspace holds, for reading.
    QPoint HLCell() const { return fHLCell; }
    int32_t SelImage() const { return fSelImage; }
    const TMapParams& MapParams() const { return fMapParams; }
    // The file the map in memory was read from; empty while no map is loaded.
    const QString& MapFileName() const { return fMapFileName; }
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
    static QString GetFullName(const QString& Name);
    // Reads the map texture sets of the parameters file into sa.
    void LoadSets(TSetArray& sa, TXMLDocument* XMLDoc);
    // Appends cSet to the parameters file as "Set_<number of sets held>" and saves it.
    void AddSet(const TSet& cSet, TXMLDocument* XMLDoc);

protected:
    void paintEvent(QPaintEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;

private:
    // Applies the texture and palette choosers of one texture (0 or 1) to its strip.
    void ApplyTexture(int Texture);
    void FillSetsCMB();
    // The item picture a cell value names, for the item grid and the map grid.
    const QImage& ItemPicture(int Value) const { return fCellPictures.Picture(Value); }

    QPoint fPp;
    QPoint fCp;
    QPoint fHLCell{0, 0};
    int32_t fSelImage = 0;
    std::unique_ptr<QStringList> fS;
    std::unique_ptr<TMapImageItems> fMapItems1;
    std::unique_ptr<TMapImageItems> fMapItems2;
    TSetArray fSetArray;
    TMapParams fMapParams;

    // The pictures of all cell values in the current textures and palettes.
    TMapCellPictures fCellPictures;
    // A texture or palette changed after the map grid was last invalidated whole: its next
    // redraw (a mouse move over it, a repaint of the workspace) covers every visible cell.
    bool fGridStale = false;
    // Where the map in memory came from: its file and its position in fS (-1: none).
    QString fMapFileName;
    int fMapIndex = -1;
};

} // namespace velkora
