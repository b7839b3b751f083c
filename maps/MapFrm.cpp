#include "maps/MapFrm.h"

#include "maps/MapLoader.h"
#include "palettes/BmpMaker.h"
#include "shell/Application.h"
#include "sprites/SpriteEditor.h"

#include <QPainter>
#include <QResizeEvent>
#include <QScopeGuard>
#include <QSignalBlocker>

namespace velkora {

namespace {

constexpr int ItemColumns = 5; // the item grid: 5 columns, 10 rows
constexpr int ItemRows = MapItemCount / ItemColumns;

// Fills a selection-only combo box without running its change handler.
void FillCombo(QComboBox* Combo, const QStringList& Items) {
    const QSignalBlocker Block(Combo);
    Combo->clear();
    Combo->addItems(Items);
    Combo->setCurrentIndex(Items.isEmpty() ? -1 : 0);
}

void SelectQuietly(QComboBox* Combo, int Index) {
    const QSignalBlocker Block(Combo);
    Combo->setCurrentIndex(Index);
}

const QStringList& LibraryNames() {
    static const QStringList None;
    return SpriteContainer ? SpriteContainer->SpriteNames() : None;
}

TXMLDocument& Document(TXMLDocument* XMLDoc) {
    if (!XMLDoc)
        throw Exception(QStringLiteral("The parameters document has not been created"));
    return *XMLDoc;
}

} // namespace

// ---- TMapParams -----------------------------------------------------------------------------

uint8_t TMapParams::GetValue(int W, int H) const {
    if (!Contains(W, H))
        throw EListError(W * Width + H);
    return DecomBytes[size_t(W) * size_t(Width) + size_t(H)];
}

void TMapParams::SetValue(int W, int H, int Value) {
    if (!Contains(W, H))
        throw EListError(W * Width + H);
    DecomBytes[size_t(W) * size_t(Width) + size_t(H)] = uint8_t(Value & 0xFF);
}

// ---- TMainForm ------------------------------------------------------------------------------

TMainForm::TMainForm(QWidget* Parent)
    : QWidget(Parent), fS(std::make_unique<QStringList>()),
      fMapItems1(std::make_unique<TMapImageItems>()),
      fMapItems2(std::make_unique<TMapImageItems>()) {
    setupUi(this);

    DrawGrid1->SetDefaultColWidth(MapCellSize);
    DrawGrid1->SetDefaultRowHeight(MapCellSize);
    DrawGrid1->SetGridLineWidth(0);
    DrawGrid1->SetBorderWidth(1);
    DrawGrid1->setMouseTracking(true);
    DrawGrid1->OnDrawCell = [this](QPainter& c, int Col, int Row, const QRect& r) {
        DrawGrid1DrawCell(c, Col, Row, r);
    };
    DrawGrid1->OnClick = [this] { DrawGrid1Click(); };
    DrawGrid1->OnMouseDown = [this](Qt::MouseButton b, Qt::KeyboardModifiers s, int x, int y) {
        DrawGrid1MouseDown(b, s, x, y);
    };
    DrawGrid1->OnMouseMove = [this](Qt::MouseButtons b, Qt::KeyboardModifiers s, int x, int y) {
        DrawGrid1MouseMove(b, s, x, y);
    };

    DrawGrid2->SetColCount(ItemColumns);
    DrawGrid2->SetRowCount(ItemRows);
    DrawGrid2->SetDefaultColWidth(25);
    DrawGrid2->SetDefaultRowHeight(MapCellSize);
    DrawGrid2->SetGridLineWidth(1);
    DrawGrid2->SetBorderWidth(2);
    DrawGrid2->SetShowSelection(true);
    DrawGrid2->OnDrawCell = [this](QPainter& c, int Col, int Row, const QRect& r) {
        DrawGrid2DrawCell(c, Col, Row, r);
    };
    DrawGrid2->OnSelectCell = [this](int Col, int Row) { return DrawGrid2SelectCell(Col, Row); };

    SaveBtn->setEnabled(false);
    LeftPanel->raise();

    connect(LevelCmb, &QComboBox::currentIndexChanged, this, [this] { LevelCmbChange(); });
    connect(SaveBtn, &QPushButton::clicked, this, [this] { SaveBtnClick(); });
    connect(Tex1cmb, &QComboBox::currentIndexChanged, this, [this] { Tex1cmbChange(); });
    connect(FirstPalCmb, &QComboBox::currentIndexChanged, this, [this] { Tex1cmbChange(); });
    connect(Tex2cmb, &QComboBox::currentIndexChanged, this, [this] { Tex2cmbChange(); });
    connect(SecPalCmb, &QComboBox::currentIndexChanged, this, [this] { Tex2cmbChange(); });
    connect(SetsCMB, &QComboBox::currentIndexChanged, this, [this] { SetsCMBChange(); });
    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });

    RunReported([&] { FormCreate(); });
}

TMainForm::~TMainForm() {
    FormDestroy();
}

void TMainForm::FormCreate() {
    // 1. The maps, in the library's order.
    FindFiles(*fS);
    SortNames(*fS);
    FillCombo(LevelCmb, *fS);

    // 2. The textures.
    const QStringList& Names = LibraryNames();
    FillCombo(Tex1cmb, Names);
    FillCombo(Tex2cmb, Names);
    BitBtn1->setEnabled(!Names.isEmpty());

    // 3. The palettes, read again.
    Init();

    // 4. One entry per palette.
    QStringList Palettes;
    for (size_t p = 0; p < PalletteArray.size(); ++p)
        Palettes << QString::number(p);
    FillCombo(FirstPalCmb, Palettes);
    FillCombo(SecPalCmb, Palettes);

    // 5. Both strips from the first sprite, drawn in palette 0. An empty library leaves them
    // empty and the start-up goes on.
    if (!Names.isEmpty()) {
        fMapItems1->SetSpriteInfo(SpriteContainer->SpriteInfo(Tex1cmb->currentIndex()));
        fMapItems1->SetPaletteIndex(FirstPalCmb->currentIndex());
        fMapItems2->SetSpriteInfo(SpriteContainer->SpriteInfo(Tex2cmb->currentIndex()));
        fMapItems2->SetPaletteIndex(SecPalCmb->currentIndex());
    }
    fCellPictures.Rebuild(*fMapItems1, *fMapItems2);

    // 6. The first map. An empty Maps folder or an empty library leaves the workspace empty (a map
    // chosen later still loads); a first map that cannot be read is reported and leaves it empty
    // too: either way the start-up goes on.
    if (Names.isEmpty())
        SelectQuietly(LevelCmb, -1);
    else if (!fS->isEmpty())
        RunReported([&] { LevelCmbChange(); });

    // 7. The texture sets.
    fSetArray.clear();
    LoadSets(fSetArray, XMLDocument);
    FillSetsCMB();

    // 8. The first set, if any. Without a library there is no texture to apply it to.
    if (!Names.isEmpty())
        SetsCMBChange();
}

void TMainForm::FormDestroy() {
    fS.reset();
    fMapItems1.reset();
    fMapItems2.reset();
}

void TMainForm::FormPaint() {
    if (fGridStale) {
        fGridStale = false;
        DrawGrid1->InvalidateGrid();
    }
}

void TMainForm::paintEvent(QPaintEvent* Event) {
    QWidget::paintEvent(Event);
    FormPaint();
}

void TMainForm::resizeEvent(QResizeEvent* Event) {
    QWidget::resizeEvent(Event);
    // The panel keeps to the right edge, full height.
    LeftPanel->setGeometry(width() - LeftPanel->width(), 0, LeftPanel->width(), height());
}

void TMainForm::FindFiles(QStringList& S) const {
    S += velkora::FindFiles(DataPath(CurrentDir, MapFolderName), QStringLiteral(".Map"));
}

QString TMainForm::GetFullName(const QString& Name) {
    return DataPath(CurrentDir, MapFolderName, Name);
}

void TMainForm::LevelCmbChange() {
    const int Index = LevelCmb->currentIndex();
    if (Index < 0 || Index >= fS->size())
        throw EListError(Index);
    const QString FileName = GetFullName(fS->at(Index));
    // A map that cannot be read leaves the map in memory, and the chooser goes back to it, so
    // that a save writes that map to its own file.
    auto Restore = qScopeGuard([this] { SelectQuietly(LevelCmb, fMapIndex); });
    int32_t w = fMapParams.Width;
    int32_t h = fMapParams.Height;
    TMyByteArray Cells = LoadMap(FileName, w, h);
    Restore.dismiss();

    fMapParams.Width = w;
    fMapParams.Height = h;
    fMapParams.DecomBytes = std::move(Cells);
    fMapFileName = FileName;
    fMapIndex = Index;
    SaveBtn->setEnabled(true);

    DrawGrid1->SetColCount(w);
    DrawGrid1->SetRowCount(h);
    DrawGrid1->resize(w * MapCellSize + 2, h * MapCellSize + 2);
    DrawGrid1->InvalidateGrid();
    DrawGrid2->update();
}

void TMainForm::SaveBtnClick() {
    // Always the file the map was read from.
    if (fMapFileName.isEmpty())
        return;
    SaveMap(fMapFileName, fMapParams.DecomBytes, fMapParams.Width, fMapParams.Height);
}

void TMainForm::DrawGrid1DrawCell(QPainter& Canvas, int ACol, int ARow, const QRect& Rect) {
    if (!fMapParams.Contains(ARow, ACol)) {
        Canvas.fillRect(Rect, palette().color(QPalette::Base));
        return;
    }
    if (fHLCell.x() == ACol && fHLCell.y() == ARow) {
        // The highlighted cell previews what a click would paint.
        QImage Preview = ItemPicture(fSelImage);
        DrawHighlightFrame(Preview);
        Canvas.drawImage(Rect.topLeft(), Preview);
        return;
    }
    Canvas.drawImage(Rect.topLeft(), ItemPicture(fMapParams.GetValue(ARow, ACol)));
}

void TMainForm::DrawGrid1Click() {
    if (!fMapParams.Contains(fHLCell.y(), fHLCell.x()))
        return;
    fMapParams.SetValue(fHLCell.y(), fHLCell.x(), fSelImage);
    DrawGrid1->InvalidateCell(fHLCell.x(), fHLCell.y());
}

void TMainForm::DrawGrid1MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X,
                                   int Y) {
    Q_UNUSED(Shift);
    if (Button == Qt::RightButton)
        fPp = QPoint(X, Y);
}

void TMainForm::DrawGrid1MouseMove(Qt::MouseButtons Buttons, Qt::KeyboardModifiers Shift, int X,
                                   int Y) {
    const Qt::KeyboardModifiers Keys = Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier;
    QPoint Cursor(X, Y);
    if (Buttons == Qt::RightButton && !(Shift & Keys)) {
        // The grabbed point of the map stays under the cursor.
        fCp = Cursor;
        DrawGrid1->move(DrawGrid1->x() + (fCp.x() - fPp.x()), DrawGrid1->y() + (fCp.y() - fPp.y()));
        // The grid moved: the cursor is over the grab point again, and the highlight goes to the
        // cell under it, so that a click right after the pan paints the cell the user sees.
        Cursor = fPp;
    }
    const QPoint Old = fHLCell;
    fHLCell = QPoint(Cursor.x() / MapCellSize, Cursor.y() / MapCellSize);
    DrawGrid1->setFocus();
    if (fGridStale) {
        fGridStale = false;
        DrawGrid1->InvalidateGrid();
    } else if (Old != fHLCell) {
        DrawGrid1->InvalidateCell(Old.x(), Old.y());
        DrawGrid1->InvalidateCell(fHLCell.x(), fHLCell.y());
    }
}

void TMainForm::DrawGrid2DrawCell(QPainter& Canvas, int ACol, int ARow, const QRect& Rect) {
    if (fMapParams.DecomBytes.empty()) {
        Canvas.fillRect(Rect, palette().color(QPalette::Base));
        return;
    }
    // The 24 x 24 item stretched over the 25-pixel-wide cell.
    Canvas.drawImage(Rect, ItemPicture(ARow * ItemColumns + ACol));
}

bool TMainForm::DrawGrid2SelectCell(int ACol, int ARow) {
    fSelImage = ARow * ItemColumns + ACol;
    DrawGrid1->InvalidateCell(fHLCell.x(), fHLCell.y());
    return true;
}

void TMainForm::ApplyTexture(int Texture) {
    TMapImageItems& Items = Texture == 0 ? *fMapItems1 : *fMapItems2;
    QComboBox* const TexCmb = Texture == 0 ? Tex1cmb : Tex2cmb;
    QComboBox* const PalCmb = Texture == 0 ? FirstPalCmb : SecPalCmb;
    Items.SetPaletteIndex(PalCmb->currentIndex());
    const int I = TexCmb->currentIndex();
    if (I >= 0)
        Items.SetSpriteInfo(SpriteContainer->SpriteInfo(I));
    fCellPictures.RebuildTexture(Texture, Items);
    fGridStale = true;
    DrawGrid2->update();
}

void TMainForm::Tex1cmbChange() {
    ApplyTexture(0);
}

void TMainForm::Tex2cmbChange() {
    ApplyTexture(1);
}

void TMainForm::SetsCMBChange() {
    const int Index = SetsCMB->currentIndex();
    if (Index < 0 || size_t(Index) >= fSetArray.size())
        return;
    const TSet& Set = fSetArray[size_t(Index)];
    const int Count = Tex1cmb->count();
    for (const int32_t t : {Set.i1, Set.i2})
        if (t < 0 || t >= Count)
            throw Exception(QStringLiteral("The texture set \"%1\" names the texture %2, but the "
                                           "sprite library has %3 sprites")
                                .arg(Set.Name)
                                .arg(t)
                                .arg(Count));
    const int32_t i2 = Set.i2;
    SelectQuietly(Tex1cmb, Set.i1);
    Tex1cmbChange();
    SelectQuietly(Tex2cmb, i2);
    Tex2cmbChange();
}

void TMainForm::BitBtn1Click() {
    TSet cSet;
    cSet.Name = Tex1cmb->currentText() + QStringLiteral(" : ") + Tex2cmb->currentText();
    cSet.i1 = Tex1cmb->currentIndex();
    cSet.i2 = Tex2cmb->currentIndex();
    if (cSet.i1 < 0 || cSet.i2 < 0)
        throw Exception(QStringLiteral("Choose two textures before adding a texture set"));
    AddSet(cSet, XMLDocument);
    fSetArray.clear();
    LoadSets(fSetArray, XMLDocument);
    // Selecting the first set shows it without applying it.
    FillSetsCMB();
}

void TMainForm::FillSetsCMB() {
    QStringList Names;
    for (const TSet& s : fSetArray)
        Names << s.Name;
    FillCombo(SetsCMB, Names);
}

void TMainForm::LoadSets(TSetArray& sa, TXMLDocument* XMLDoc) {
    ReadMapSets(Document(XMLDoc), sa);
}

void TMainForm::AddSet(const TSet& cSet, TXMLDocument* XMLDoc) {
    AppendMapSet(Document(XMLDoc), cSet, int(fSetArray.size()));
}

} // namespace velkora
