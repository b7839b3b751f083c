#include "maps/ItemGrid.h"

#include "maps/MapDocument.h"
#include "maps/MapTextures.h"

namespace velkora {

TItemGrid::TItemGrid(QWidget* Parent) : TDrawGrid(Parent) {}

void TItemGrid::Attach(const TMapDocument& Document, const TMapTextures& Textures) {
    fDocument = &Document;
    fTextures = &Textures;
    SetColCount(Columns);
    SetRowCount(Rows);
    SetDefaultColWidth(25);
    SetDefaultRowHeight(MapCellSize);
    SetGridLineWidth(1);
    SetBorderWidth(2);
    SetShowSelection(true);
    OnDrawCell = [this](QPainter& c, int Col, int Row, const QRect& r) {
        DrawCell(c, Col, Row, r);
    };
    OnSelectCell = [this](int Col, int Row) {
        emit ItemClicked(Col, Row);
        return true;
    };
    connect(&Document, &TMapDocument::MapReplaced, this, [this] { update(); });
    connect(&Textures, &TMapTextures::Changed, this, [this] { update(); });
}

void TItemGrid::ShowItem(int Item) {
    if (Item >= 0 && Item < MapItemCount)
        SetSelection(CellOf(Item));
}

void TItemGrid::DrawCell(QPainter& Canvas, int ACol, int ARow, const QRect& Rect) {
    if (!fDocument->HasMap()) {
        Canvas.fillRect(Rect, palette().color(QPalette::Base));
        return;
    }
    // The 24 x 24 item stretched over the 25-pixel-wide cell.
    Canvas.drawImage(Rect, fTextures->CellPictures().Picture(ItemAt(ACol, ARow)));
}

} // namespace velkora
