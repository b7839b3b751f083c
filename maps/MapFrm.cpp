#include "maps/MapFrm.h"

#include "ui_MapFrm.h"

#include "maps/MapLoader.h"
#include "palettes/BmpMaker.h"
#include "palettes/ErrorReport.h"
#include "palettes/Questions.h"
#include "shell/Session.h"
#include "sprites/SpriteEditor.h"

#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
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

TXMLDocument& ParamsDocument(TXMLDocument* XMLDoc) {
    if (!XMLDoc)
        throw Exception(QStringLiteral("The parameters document has not been created"));
    return *XMLDoc;
}

} // namespace

// ---- TMainForm ------------------------------------------------------------------------------

TMainForm::TMainForm(TSession& Session, QWidget* Parent)
    : QWidget(Parent), fSession(Session), fS(std::make_unique<QStringList>()),
      fMapItems1(std::make_unique<TMapImageItems>()),
      fMapItems2(std::make_unique<TMapImageItems>()) {
    fUi = std::make_unique<Ui::TMainForm>();
    fUi->setupUi(this);
    DrawGrid1 = fUi->DrawGrid1;
    LeftPanel = fUi->LeftPanel;
    Label1 = fUi->Label1;
    LevelCmb = fUi->LevelCmb;
    SaveBtn = fUi->SaveBtn;
    Label5 = fUi->Label5;
    Label4 = fUi->Label4;
    FirstPalCmb = fUi->FirstPalCmb;
    SecPalCmb = fUi->SecPalCmb;
    Label2 = fUi->Label2;
    Label3 = fUi->Label3;
    Tex1cmb = fUi->Tex1cmb;
    Tex2cmb = fUi->Tex2cmb;
    DrawGrid2 = fUi->DrawGrid2;
    Sets = fUi->Sets;
    SetsCMB = fUi->SetsCMB;
    BitBtn1 = fUi->BitBtn1;

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
    connect(&fDocument, &TMapDocument::CellsChanged, this, &TMainForm::CellsChanged);
    connect(&fDocument, &TMapDocument::MapReplaced, this, &TMainForm::MapReplaced);
    connect(&fDocument, &TMapDocument::ModifiedChanged, this, &TMainForm::TitleChanged);
    connect(&fDocument, &TMapDocument::FileNameChanged, this, &TMainForm::TitleChanged);

    SaveAction = new QAction(QStringLiteral("&Save map"), this);
    SaveAction->setShortcuts(QKeySequence::Save);
    connect(SaveAction, &QAction::triggered, this, [this] { SaveBtnClick(); });
    FileActions = {SaveAction};

    RunReported([&] { FormCreate(); });
}

TMainForm::~TMainForm() {
    FormDestroy();
}

void TMainForm::FormCreate() {
    // 1. The maps, in the library's order.
    FindFiles(*fS);
    SpriteEditor::SortNames(*fS);
    FillCombo(LevelCmb, *fS);

    // 2. The textures.
    const QStringList& Names = fSession.SpriteContainer().SpriteNames();
    FillCombo(Tex1cmb, Names);
    FillCombo(Tex2cmb, Names);
    BitBtn1->setEnabled(!Names.isEmpty());

    // 3. The palettes, as the session read them at start-up.
    const TPalletteList& PalletteArray = fSession.PalletteArray();

    // 4. One entry per palette.
    QStringList Palettes;
    for (size_t p = 0; p < PalletteArray.size(); ++p)
        Palettes << QString::number(p);
    FillCombo(FirstPalCmb, Palettes);
    FillCombo(SecPalCmb, Palettes);

    // 5. Both strips from the first sprite, drawn in palette 0. An empty library leaves them
    // empty and the start-up goes on.
    fMapItems1->SetPalette(0, BmpMaker::ColorTable(PalletteArray, 0));
    fMapItems2->SetPalette(0, BmpMaker::ColorTable(PalletteArray, 0));
    if (!Names.isEmpty()) {
        const TSpriteContainer& Library = fSession.SpriteContainer();
        fMapItems1->SetSpriteInfo(Library.SpriteInfo(Tex1cmb->currentIndex()));
        fMapItems2->SetSpriteInfo(Library.SpriteInfo(Tex2cmb->currentIndex()));
    }
    fCellPictures.Rebuild(*fMapItems1, *fMapItems2);

    // 6. The first map. An empty Maps folder or an empty library leaves the workspace empty (a map
    // chosen later still loads); a first map that cannot be read is reported and leaves it empty
    // too: either way the start-up goes on.
    if (Names.isEmpty())
        SelectQuietly(LevelCmb, -1);
    else if (!fS->isEmpty())
        RunReported([&] { LevelCmbChange(); });

    // 7. The texture sets, as the session read them at start-up.
    fSetArray = fSession.MapSets();
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
    S += velkora::SpriteEditor::FindFiles(MyTypes::DataPath(fSession.CurrentDir(), MapFolderName),
                                          QStringLiteral(".Map"));
}

QString TMainForm::GetFullName(const QString& Name) const {
    return fSession.MapPath(Name);
}

QString TMainForm::DocumentTitle() const {
    return QFileInfo(fDocument.FileName()).fileName();
}

QWidget* TMainForm::StatusWidget() {
    if (!fStatus)
        fStatus = new QLabel(this);
    return fStatus;
}

bool TMainForm::MayDiscard() {
    if (!fDocument.IsModified())
        return true;
    const QString Name = DocumentTitle();
    switch (AskSaveChanges(this, Name.isEmpty() ? QStringLiteral("the new map") : Name)) {
    case TSaveAnswer::Discard:
        return true;
    case TSaveAnswer::Cancel:
        return false;
    case TSaveAnswer::Save:
        break;
    }
    try {
        SaveBtnClick();
    } catch (...) {
        ReportException();
        return false;
    }
    return !fDocument.IsModified();
}

void TMainForm::LevelCmbChange() {
    // Another map takes the place of unsaved edits only when the user says so; Cancel keeps the
    // map and the chooser as they were.
    if (!MayDiscard()) {
        SelectQuietly(LevelCmb, fMapIndex);
        return;
    }
    const int Index = LevelCmb->currentIndex();
    if (Index < 0 || Index >= fS->size())
        throw EListError(Index);
    const QString FileName = GetFullName(fS->at(Index));
    // A map that cannot be read leaves the map in memory, and the chooser goes back to it, so
    // that a save writes that map to its own file.
    auto Restore = qScopeGuard([this] { SelectQuietly(LevelCmb, fMapIndex); });
    fDocument.Load(FileName);
    Restore.dismiss();
    fMapIndex = Index;
}

void TMainForm::MapReplaced() {
    const int32_t w = fDocument.Width();
    const int32_t h = fDocument.Height();
    SaveBtn->setEnabled(fDocument.HasMap());
    DrawGrid1->SetColCount(w);
    DrawGrid1->SetRowCount(h);
    DrawGrid1->resize(w * MapCellSize + 2, h * MapCellSize + 2);
    DrawGrid1->InvalidateGrid();
    DrawGrid2->update();
}

void TMainForm::CellsChanged(const QRect& Cells) {
    DrawGrid1->InvalidateCells(Cells);
}

void TMainForm::SaveBtnClick() {
    // Always the file the map was read from.
    if (fDocument.FileName().isEmpty())
        return;
    // Another program's version of the file is not overwritten without a word.
    if (fDocument.ChangedOnDisk() && !AskOverwriteChanged(this, fDocument.FileName()))
        return;
    fDocument.Save();
}

void TMainForm::DrawGrid1DrawCell(QPainter& Canvas, int ACol, int ARow, const QRect& Rect) {
    const TMapParams& Map = fDocument.MapParams();
    if (!Map.Contains(ARow, ACol)) {
        Canvas.fillRect(Rect, palette().color(QPalette::Base));
        return;
    }
    if (fHLCell.x() == ACol && fHLCell.y() == ARow) {
        // The highlighted cell previews what a click would paint.
        QImage Preview = ItemPicture(fSelImage);
        MapImageItems::DrawHighlightFrame(Preview);
        Canvas.drawImage(Rect.topLeft(), Preview);
        return;
    }
    Canvas.drawImage(Rect.topLeft(), ItemPicture(Map.GetValue(ARow, ACol)));
}

void TMainForm::DrawGrid1Click() {
    if (!fDocument.Contains(fHLCell))
        return;
    fDocument.PaintCell(fDocument.BeginStroke(), fHLCell, uint8_t(fSelImage));
    // The highlighted cell shows the selected item whatever it holds.
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
    if (!fDocument.HasMap()) {
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
    const int P = PalCmb->currentIndex();
    Items.SetPalette(P, BmpMaker::ColorTable(fSession.PalletteArray(), P));
    const int I = TexCmb->currentIndex();
    if (I >= 0)
        Items.SetSpriteInfo(fSession.SpriteContainer().SpriteInfo(I));
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
    AddSet(cSet, fSession.XMLDocument());
    fSetArray.clear();
    LoadSets(fSetArray, fSession.XMLDocument());
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
    ParamsFile::ReadMapSets(ParamsDocument(XMLDoc), sa);
}

void TMainForm::AddSet(const TSet& cSet, TXMLDocument* XMLDoc) {
    ParamsFile::AppendMapSet(ParamsDocument(XMLDoc), cSet, int(fSetArray.size()));
}

} // namespace velkora
