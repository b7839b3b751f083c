#include "maps/MapFrm.h"

#include "ui_MapFrm.h"

#include "maps/MapEditing.h"
#include "maps/MapLoader.h"
#include "maps/MapNavigator.h"
#include "maps/TmxExport.h"
#include "maps/TmxFile.h"
#include "palettes/BmpMaker.h"
#include "shell/FileDialogs.h"
#include "shell/Session.h"
#include "sprites/SpriteEditor.h"
#include "widgets/ErrorReport.h"
#include "widgets/LongTask.h"
#include "widgets/Questions.h"

#include <QAction>
#include <QActionGroup>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QResizeEvent>
#include <QScopeGuard>
#include <QSignalBlocker>
#include <QToolButton>
#include <QWheelEvent>

#include <algorithm>

namespace velkora {

namespace {

constexpr int ItemColumns = 5; // the item grid: 5 columns, 10 rows
constexpr int ItemRows = MapItemCount / ItemColumns;
// Where the map grid starts, and where Actual size puts it back.
const QPoint GridHome(24, 16);

const QString TmxFilter = QStringLiteral("TMX maps (*.tmx)");
const QString TileMapFilter =
    QStringLiteral("Tile maps (*.tmx *.tmj *.json);;TMX maps (*.tmx);;JSON maps (*.tmj *.json)");
// The tool strip: buttons beside the item grid, clear of every designed control.
constexpr int ToolButtonSize = 26;
const QPoint ToolStripTop(157, 160);
// The grid overlay: light enough to show on dark items, faint enough not to hide light ones.
const QColor GridLineColor(255, 255, 255, 96);
// How far a notch of the wheel scrolls: three cells at 1x.
constexpr int WheelScrollPixels = 3 * MapCellSize;

int FloorDiv(int a, int b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

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
    // A left press is handled by DrawGrid1MouseDown, which knows the keys held (Alt picks);
    // the brush paints through DrawGrid1Click from there.
    DrawGrid1->OnMouseDown = [this](Qt::MouseButton b, Qt::KeyboardModifiers s, int x, int y) {
        DrawGrid1MouseDown(b, s, x, y);
    };
    DrawGrid1->OnMouseUp = [this](Qt::MouseButton b, Qt::KeyboardModifiers s, int x, int y) {
        DrawGrid1MouseUp(b, s, x, y);
    };
    DrawGrid1->OnMouseMove = [this](Qt::MouseButtons b, Qt::KeyboardModifiers s, int x, int y) {
        DrawGrid1MouseMove(b, s, x, y);
    };
    DrawGrid1->OnMouseLeave = [this] {
        // Off the map nothing is previewed or named.
        fPointerOnGrid = false;
        DrawGrid1->InvalidateCell(fHLCell.x(), fHLCell.y());
        UpdateCellStatus();
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
    fNavigator = new TMapNavigator(this, DrawGrid1, fDocument, fCellPictures, GridHome);
    fNavigator->Layout(QRect(0, 0, width() - LeftPanel->width(), height()));
    connect(fNavigator, &TMapNavigator::MoveGrid, this, [this](QPoint Pos) {
        PlaceGrid(Pos);
        FollowPointer();
    });

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
    // A palette's colours changed: the items and the cells drawn in it are drawn anew.
    connect(&fSession.Palettes(), &TPaletteDocument::PalettesChanged, this, [this](int P) {
        for (const int Texture : {0, 1})
            if (P < 0 || (Texture == 0 ? FirstPalCmb : SecPalCmb)->currentIndex() == P)
                RunReported([&] { ApplyTexture(Texture); });
    });

    MakeActions();
    MakeToolStrip();
    MakeStatus();
    NewMapDialog = [this](TNewMapChoice& Choice) {
        TNewMapDialog Dialog(Choice, fCellPictures, this);
        if (Dialog.exec() != QDialog::Accepted)
            return false;
        Choice = Dialog.Choice();
        return true;
    };
    TmxSaveDialog = [this](const QString& Suggested) {
        // The TMX file last imported or exported is proposed as it is; otherwise the map's name
        // ("Level1.tmx") in the folder of the last TMX file.
        const QString Proposed =
            fDocument.TmxFileName().isEmpty() ? QFileInfo(Suggested).fileName() : Suggested;
        return FileDialogs::SaveFile(this, QStringLiteral("Tmx"),
                                     QStringLiteral("Export map as TMX"), TmxFilter, Proposed,
                                     QStringLiteral("tmx"), true);
    };
    TmxOpenDialog = [this] {
        return FileDialogs::OpenFile(this, QStringLiteral("Tmx"), QStringLiteral("Import TMX"),
                                     TileMapFilter);
    };
    SaveAsDialog = [this](const QString& Suggested) {
        bool Ok = false;
        const QString Name =
            QInputDialog::getText(this, QStringLiteral("Save map as"),
                                  QStringLiteral("Name of the map file in the Maps folder:"),
                                  QLineEdit::Normal, Suggested, &Ok);
        return Ok ? Name : QString();
    };

    RunReported([&] { FormCreate(); });
}

TMainForm::~TMainForm() {
    FormDestroy();
}

void TMainForm::MakeActions() {
    // Each runs its handler under the general error report.
    const auto Action = [this](const QString& Text, const QList<QKeySequence>& Keys, auto Handler) {
        auto* a = new QAction(Text, this);
        a->setShortcuts(Keys);
        connect(a, &QAction::triggered, this, [Handler] { RunReported(Handler); });
        return a;
    };
    NewAction = Action(QStringLiteral("&New map..."), QKeySequence::keyBindings(QKeySequence::New),
                       [this] { NewMapClick(); });
    SaveAction = Action(QStringLiteral("&Save map"), QKeySequence::keyBindings(QKeySequence::Save),
                        [this] { SaveBtnClick(); });
    SaveAsAction =
        Action(QStringLiteral("Save map &as..."), QKeySequence::keyBindings(QKeySequence::SaveAs),
               [this] { SaveAsClick(); });
    if (SaveAsAction->shortcuts().isEmpty())
        SaveAsAction->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    // Until a map is loaded there is nothing to save.
    SaveAction->setEnabled(false);
    SaveAsAction->setEnabled(false);
    ExportTmxAction =
        Action(QStringLiteral("&Export map as TMX..."), {}, [this] { ExportTmxClick(); });
    ImportTmxAction = Action(QStringLiteral("&Import TMX..."), {}, [this] { ImportTmxClick(); });
    ReimportTmxAction = Action(QStringLiteral("&Reimport TMX"), {}, [this] { ReimportTmxClick(); });
    ExportTmxAction->setEnabled(false);
    ReimportTmxAction->setEnabled(false);
    FileActions = {NewAction,       SaveAction,      SaveAsAction,
                   ExportTmxAction, ImportTmxAction, ReimportTmxAction};

    fToolGroup = new QActionGroup(this);
    fToolGroup->setExclusive(true);
    for (int t = 0; t < MapToolCount; ++t) {
        const TMapTool Tool = TMapTool(t);
        QAction* a = Action(ToolText(Tool), {ToolKey(Tool)}, [this, Tool] { SetTool(Tool); });
        a->setCheckable(true);
        a->setChecked(Tool == fTool);
        a->setIcon(ToolIcon(Tool, palette().color(QPalette::WindowText)));
        a->setToolTip(
            QStringLiteral("%1 (%2)").arg(QString(ToolText(Tool)).remove(QLatin1Char('&')),
                                          ToolKey(Tool).toString(QKeySequence::NativeText)));
        fToolGroup->addAction(a);
        ToolActions[size_t(t)] = a;
        EditActions << a;
    }

    // Zooming by keys goes about the pointer when it is over the map, else about the view's
    // centre.
    const auto Anchor = [this] { return fPointerOnGrid ? fPointer : MapView().center(); };
    // Ctrl+= as well, the same key as Ctrl++ without Shift on many layouts.
    QList<QKeySequence> ZoomInKeys = QKeySequence::keyBindings(QKeySequence::ZoomIn);
    if (!ZoomInKeys.contains(QKeySequence(Qt::CTRL | Qt::Key_Equal)))
        ZoomInKeys << QKeySequence(Qt::CTRL | Qt::Key_Equal);
    ZoomInAction = Action(QStringLiteral("Zoom &in"), ZoomInKeys,
                          [this, Anchor] { SetZoom(fZoom + 1, Anchor()); });
    ZoomOutAction =
        Action(QStringLiteral("Zoom &out"), QKeySequence::keyBindings(QKeySequence::ZoomOut),
               [this, Anchor] { SetZoom(fZoom - 1, Anchor()); });
    ActualSizeAction = Action(QStringLiteral("&Actual size"),
                              {QKeySequence(Qt::Key_Home), QKeySequence(Qt::CTRL | Qt::Key_0)},
                              [this] { ActualSize(); });
    ShowGridAction = Action(QStringLiteral("Show &grid"), {QKeySequence(Qt::CTRL | Qt::Key_G)},
                            [this] { SetShowGrid(ShowGridAction->isChecked()); });
    ShowGridAction->setCheckable(true);
    ZoomOutAction->setEnabled(false);
    ViewActions = {ZoomInAction,   ZoomOutAction,          ActualSizeAction,
                   ShowGridAction, fNavigator->GoToAction, fNavigator->OverviewAction};
    Gestures = {
        {QStringLiteral("Click or drag on the map"), QStringLiteral("Paint with the tool chosen")},
        {QStringLiteral("Alt+click on the map"), QStringLiteral("Pick the clicked cell's item")},
        {QStringLiteral("Click an item beside the map"),
         QStringLiteral("Choose the item to paint")},
        {QStringLiteral("Right-button drag"), QStringLiteral("Move the map")},
        {QStringLiteral("Ctrl+wheel"), QStringLiteral("Zoom in or out about the pointer")},
        {QStringLiteral("Wheel, Shift+wheel"), QStringLiteral("Scroll up and down, sideways")},
        {QStringLiteral("Esc while dragging a rectangle"), QStringLiteral("Drop the rectangle")}};
}

void TMainForm::MakeToolStrip() {
    for (int t = 0; t < MapToolCount; ++t) {
        auto* b = new QToolButton(LeftPanel);
        b->setObjectName(QStringLiteral("ToolButton%1").arg(t));
        b->setDefaultAction(ToolActions[size_t(t)]);
        b->setAutoRaise(true);
        b->setIconSize(QSize(20, 20));
        b->setFocusPolicy(Qt::NoFocus);
        b->setGeometry(QRect(ToolStripTop + QPoint(0, t * (ToolButtonSize + 2)),
                             QSize(ToolButtonSize, ToolButtonSize)));
        ToolButtons[size_t(t)] = b;
    }
}

void TMainForm::MakeStatus() {
    // Made hidden: the main window shows it while the workspace is shown.
    fStatus = new QWidget(this);
    fStatus->hide();
    auto* Row = new QHBoxLayout(fStatus);
    Row->setContentsMargins(0, 0, 0, 0);
    Row->setSpacing(16);
    // Each as wide as its longest text.
    const std::pair<TStatusField**, QString> Fields[] = {
        {&CellStatus, QStringLiteral("Cell (65535, 65535): 255, unknown value 255")},
        {&ItemStatus, QStringLiteral("Selected: 49, texture 2 item 24")},
        {&ZoomStatus, QStringLiteral("Zoom 4x")},
        {&SizeStatus, QStringLiteral("Map 65535 x 65535")}};
    for (const auto& [Field, Widest] : Fields) {
        *Field = new TStatusField(Widest, fStatus);
        Row->addWidget(*Field);
    }
    Row->addStretch(1);
    UpdateCellStatus();
    UpdateItemStatus();
    UpdateMapStatus();
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
    fZoomedPictures.Clear();

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
    fNavigator->Layout(QRect(0, 0, width() - LeftPanel->width(), height()));
    fNavigator->Sync();
}

void TMainForm::FindFiles(QStringList& S) const {
    S += velkora::SpriteEditor::FindFiles(MyTypes::DataPath(fSession.CurrentDir(), MapFolderName),
                                          QStringLiteral(".Map"));
}

QString TMainForm::GetFullName(const QString& Name) const {
    return fSession.MapPath(Name);
}

QString TMainForm::DocumentTitle() const {
    if (fDocument.FileName().isEmpty())
        return !fDocument.HasMap()             ? QString()
               : fDocument.NewName().isEmpty() ? QStringLiteral("New map")
                                               : fDocument.NewName();
    return QFileInfo(fDocument.FileName()).fileName();
}

QWidget* TMainForm::StatusWidget() {
    return fStatus;
}

void TMainForm::SaveDocument() {
    SaveBtnClick();
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
    // A file of a few bytes may declare gigabytes of cells: asked before they are made.
    const QString Name = fS->at(Index);
    const auto MayOpen = [this, &Name](const TMapSummary& Map) {
        return !Map.Sparse() || AskOpenSparseMap(this, Map.SparseText(Name));
    };
    bool Opened = false;
    if (!LongTask::Run(
            this, QStringLiteral("Opening %1...").arg(Name),
            [&](const TProgress& p) { Opened = fDocument.Load(FileName, p, MayOpen); }) ||
        !Opened)
        return;
    Restore.dismiss();
    fMapIndex = Index;
}

void TMainForm::MapReplaced() {
    EndDrag();
    SaveBtn->setEnabled(fDocument.HasMap());
    SaveAction->setEnabled(fDocument.HasMap());
    SaveAsAction->setEnabled(fDocument.HasMap());
    ExportTmxAction->setEnabled(fDocument.HasMap());
    ReimportTmxAction->setEnabled(fDocument.HasMap() && !fDocument.TmxFileName().isEmpty());
    DrawGrid1->SetColCount(fDocument.Width());
    DrawGrid1->SetRowCount(fDocument.Height());
    SizeGrid();
    // The grid keeps its place as long as it shows a whole cell of the new map.
    PlaceGrid(DrawGrid1->pos());
    DrawGrid1->InvalidateGrid();
    DrawGrid2->update();
    UpdateCellStatus();
    UpdateMapStatus();
}

void TMainForm::CellsChanged(const QRect& Cells) {
    DrawGrid1->InvalidateCells(Cells);
    if (Cells.contains(fHLCell))
        UpdateCellStatus();
}

void TMainForm::SaveBtnClick() {
    // The file the map was read from; a new map is saved under a name first.
    if (fDocument.FileName().isEmpty()) {
        if (fDocument.HasMap())
            SaveAsClick();
        return;
    }
    // A map file that leads outside the data root is written only when the user says so.
    if (!MayWriteOutsideRoot(this, fSession.CurrentDir(), fDocument.FileName()))
        return;
    // Another program's version of the file is not overwritten without a word.
    if (fDocument.ChangedOnDisk() && !AskOverwriteChanged(this, fDocument.FileName()))
        return;
    LongTask::Run(this, QStringLiteral("Saving %1...").arg(DocumentTitle()),
                  [&](const TProgress& p) { fDocument.Save(p); });
}

void TMainForm::SaveAsClick() {
    if (!fDocument.HasMap())
        return;
    const QString Typed = SaveAsDialog ? SaveAsDialog(DocumentTitle()) : QString();
    QString Name = MapFileNameFor(Typed);
    if (Name.isEmpty())
        return;
    // Names match case-insensitively: a listed map of that name is that file.
    for (const QString& Listed : *fS)
        if (Listed.compare(Name, Qt::CaseInsensitive) == 0)
            Name = Listed;
    const QString FileName = GetFullName(Name);
    if (FileName != fDocument.FileName() && QFileInfo::exists(FileName) &&
        !AskReplaceFile(this, Name))
        return;
    if (!MayWriteOutsideRoot(this, fSession.CurrentDir(), FileName))
        return;
    // Its own file, changed by another program, is not overwritten without a word either.
    if (FileName == fDocument.FileName() && fDocument.ChangedOnDisk() &&
        !AskOverwriteChanged(this, FileName))
        return;
    // A data root without a Maps folder gets one.
    const QString Folder = QFileInfo(FileName).path();
    if (!QDir().mkpath(Folder))
        throw EFCreateError(MyTypes::ExpandFileName(FileName),
                            QStringLiteral("The folder \"%1\" cannot be made.").arg(Folder));
    if (!LongTask::Run(this, QStringLiteral("Saving %1...").arg(Name),
                       [&](const TProgress& p) { fDocument.SaveAs(FileName, p); }))
        return;
    ListMaps(Name);
}

void TMainForm::ListMaps(const QString& Name) {
    if (!fS->contains(Name)) {
        fS->append(Name);
        SpriteEditor::SortNames(*fS);
        FillCombo(LevelCmb, *fS);
    }
    fMapIndex = int(fS->indexOf(Name));
    SelectQuietly(LevelCmb, fMapIndex);
}

void TMainForm::NewMapClick() {
    TNewMapChoice Choice;
    if (fDocument.HasMap()) {
        Choice.Width = std::clamp(fDocument.Width(), 1, MaxNewMapSide);
        Choice.Height = std::clamp(fDocument.Height(), 1, MaxNewMapSide);
    }
    Choice.Item = fSelImage;
    if (!NewMapDialog || !NewMapDialog(Choice))
        return;
    if (Choice.Width < 1 || Choice.Width > MaxNewMapSide || Choice.Height < 1 ||
        Choice.Height > MaxNewMapSide || Choice.Item < 0 || Choice.Item >= MapItemCount)
        throw Exception(QStringLiteral("A new map has 1 to %1 cells a side and is filled with "
                                       "one of the items 0 to %2")
                            .arg(MaxNewMapSide)
                            .arg(MapItemCount - 1));
    OpenNewMap(Choice.Width, Choice.Height,
               TMyByteArray(size_t(Choice.Width) * size_t(Choice.Height), uint8_t(Choice.Item)));
}

void TMainForm::ExportTmxClick() {
    if (!fDocument.HasMap())
        return;
    const QString FileName =
        TmxSaveDialog ? TmxSaveDialog(TmxExport::ProposedFileName(
                            fDocument.TmxFileName(), DocumentTitle(), fSession.CurrentDir()))
                      : QString();
    if (FileName.isEmpty())
        return;
    // The dialog asked about the map's file; its tileset picture is asked about too, before
    // either is written.
    const TTmxExportPlan Plan = TmxExport::PlanExport(FileName);
    if (QFileInfo::exists(Plan.PictureFile) &&
        !AskReplaceFile(this, QFileInfo(Plan.PictureFile).fileName()))
        return;
    TTmxExportInfo Info;
    Info.Texture1 = Tex1cmb->currentIndex();
    Info.Texture2 = Tex2cmb->currentIndex();
    Info.Texture1Name = Tex1cmb->currentText();
    Info.Texture2Name = Tex2cmb->currentText();
    Info.Palette1 = std::max(FirstPalCmb->currentIndex(), 0);
    Info.Palette2 = std::max(SecPalCmb->currentIndex(), 0);
    TmxExport::Export(Plan, fDocument.MapParams().DecomBytes, fDocument.Width(), fDocument.Height(),
                      fCellPictures, Info);
    fDocument.SetTmxFileName(Plan.MapFile);
    ReimportTmxAction->setEnabled(true);
}

void TMainForm::ImportTmxClick() {
    const QString FileName = TmxOpenDialog ? TmxOpenDialog() : QString();
    if (FileName.isEmpty())
        return;
    TTmxImport Map = TmxFile::LoadTileMap(FileName);
    if (!OpenNewMap(Map.Width, Map.Height, std::move(Map.Cells),
                    QFileInfo(FileName).completeBaseName()))
        return;
    fDocument.SetTmxFileName(MyTypes::ExpandFileName(FileName));
    ReimportTmxAction->setEnabled(true);
    // The textures and palettes the map was exported with, where this data root has them.
    QStringList Names;
    for (int i = 0; i < Tex1cmb->count(); ++i)
        Names << Tex1cmb->itemText(i);
    const TTmxTextureChoice Choice =
        TmxMap::RecordedTextures(Map.Properties, Names, FirstPalCmb->count());
    QComboBox* const Palettes[2] = {FirstPalCmb, SecPalCmb};
    QComboBox* const Textures[2] = {Tex1cmb, Tex2cmb};
    for (int t = 0; t < 2; ++t) {
        if (Choice.Palette[t] >= 0)
            SelectQuietly(Palettes[t], Choice.Palette[t]);
        if (Choice.Texture[t] >= 0)
            SelectQuietly(Textures[t], Choice.Texture[t]);
        if (Choice.Palette[t] >= 0 || Choice.Texture[t] >= 0)
            ApplyTexture(t);
    }
}

void TMainForm::ReimportTmxClick() {
    if (!fDocument.HasMap() || fDocument.TmxFileName().isEmpty())
        return;
    TTmxImport Map = TmxFile::LoadTileMap(fDocument.TmxFileName());
    fDocument.ReplaceCells(
        Map.Width, Map.Height, std::move(Map.Cells),
        QStringLiteral("Reimport %1").arg(QFileInfo(fDocument.TmxFileName()).fileName()));
}

bool TMainForm::OpenNewMap(int32_t w, int32_t h, TMyByteArray Cells, const QString& Name) {
    if (!MayDiscard())
        return false;
    fDocument.NewMap(w, h, std::move(Cells), Name);
    fMapIndex = -1;
    SelectQuietly(LevelCmb, -1);
    return true;
}

void TMainForm::DrawGrid1DrawCell(QPainter& Canvas, int ACol, int ARow, const QRect& Rect) {
    const TMapParams& Map = fDocument.MapParams();
    if (!Map.Contains(ARow, ACol)) {
        Canvas.fillRect(Rect, palette().color(QPalette::Base));
        return;
    }
    // Only while the pointer is over the map: a preview where it is not would look painted.
    const bool Highlighted = fPointerOnGrid && fHLCell.x() == ACol && fHLCell.y() == ARow;
    // The highlighted cell previews what a click would paint, a rectangle being dragged what
    // its release will; the pick tool paints nothing, so its highlight frames the cell as it is.
    const bool InRect = fRectDrag && CellSpan(fRectAnchor, fRectEnd).contains(ACol, ARow);
    const int Value = InRect || (Highlighted && fTool != TMapTool::Pick)
                          ? fSelImage
                          : int(Map.GetValue(ARow, ACol));
    if (Highlighted) {
        QImage Preview = ItemPicture(Value);
        MapImageItems::DrawHighlightFrame(Preview);
        DrawCellPicture(Canvas, Rect, Preview);
        return;
    }
    if (fZoom == 1) {
        Canvas.drawImage(Rect.topLeft(), ItemPicture(Value));
        return;
    }
    const QImage& Zoomed =
        fZoomedPictures.Picture(fCellPictures, Value, fZoom, DrawGrid1->devicePixelRatioF());
    if (Zoomed.isNull())
        DrawCellPicture(Canvas, Rect, ItemPicture(Value));
    else
        Canvas.drawImage(Rect.topLeft(), Zoomed);
}

void TMainForm::DrawCellPicture(QPainter& Canvas, const QRect& Rect, const QImage& Picture) {
    // Scaled to the nearest pixel (the painter's default), never smoothed, at any zoom and on a
    // screen of a fractional pixel ratio.
    if (fZoom == 1)
        Canvas.drawImage(Rect.topLeft(), Picture);
    else
        Canvas.drawImage(Rect, Picture);
}

void TMainForm::DrawGrid1Click() {
    if (!fDocument.Contains(fHLCell))
        return;
    fDocument.PaintCell(fStroke > 0 ? fStroke : fDocument.BeginStroke(), fHLCell,
                        uint8_t(fSelImage));
    // The highlighted cell shows the selected item whatever it holds.
    DrawGrid1->InvalidateCell(fHLCell.x(), fHLCell.y());
}

QPoint TMainForm::CellAt(QPoint Client) const {
    return QPoint(FloorDiv(Client.x(), Pitch()), FloorDiv(Client.y(), Pitch()));
}

void TMainForm::SetHLCell(QPoint Cell) {
    const QPoint Old = fHLCell;
    fHLCell = Cell;
    if (Old != fHLCell) {
        DrawGrid1->InvalidateCell(Old.x(), Old.y());
        DrawGrid1->InvalidateCell(fHLCell.x(), fHLCell.y());
    }
    UpdateCellStatus();
}

void TMainForm::DrawGrid1MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X,
                                   int Y) {
    if (Button == Qt::RightButton) {
        fPp = QPoint(X, Y);
        fPointer = GridToWorkspace(fPp);
        return;
    }
    fPointer = GridToWorkspace(QPoint(X, Y));
    if (Button != Qt::LeftButton)
        return;
    // The press acts on the cell under it, moved to or not.
    fPointerOnGrid = true;
    SetHLCell(CellAt(QPoint(X, Y)));
    DrawGrid1->setFocus();
    if (Shift & Qt::AltModifier) {
        PickCell(fHLCell);
        return;
    }
    switch (fTool) {
    case TMapTool::Brush:
        // A stroke begins wherever the press is; the cells it crosses on the map are painted.
        fStroke = fDocument.BeginStroke();
        fStrokeCell = fHLCell;
        DrawGrid1Click();
        break;
    case TMapTool::Rectangle:
        fRectDrag = true;
        fRectAnchor = fRectEnd = fHLCell;
        InvalidateRectPreview();
        break;
    case TMapTool::Fill:
        fDocument.FloodFill(fHLCell, uint8_t(fSelImage));
        break;
    case TMapTool::Pick:
        PickCell(fHLCell);
        break;
    }
}

void TMainForm::DrawGrid1MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X,
                                 int Y) {
    Q_UNUSED(Shift);
    if (Button != Qt::LeftButton)
        return;
    if (fRectDrag) {
        fRectEnd = CellAt(QPoint(X, Y));
        const QPoint A = fRectAnchor;
        const QPoint B = fRectEnd;
        EndDrag();
        fDocument.FillRect(A, B, uint8_t(fSelImage));
        return;
    }
    EndDrag();
}

void TMainForm::EndDrag() {
    fStroke = 0;
    if (fRectDrag) {
        InvalidateRectPreview();
        fRectDrag = false;
    }
}

void TMainForm::InvalidateRectPreview() {
    DrawGrid1->InvalidateCells(CellSpan(fRectAnchor, fRectEnd));
}

void TMainForm::DrawGrid1MouseMove(Qt::MouseButtons Buttons, Qt::KeyboardModifiers Shift, int X,
                                   int Y) {
    const Qt::KeyboardModifiers Keys = Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier;
    QPoint Cursor(X, Y);
    fPointer = GridToWorkspace(Cursor);
    const bool Entered = !fPointerOnGrid;
    fPointerOnGrid = true;
    if (Buttons == Qt::RightButton && !(Shift & Keys)) {
        // The grabbed point of the map stays under the cursor, as far as the map may go.
        fCp = Cursor;
        const QPoint Before = DrawGrid1->pos();
        PlaceGrid(Before + (fCp - fPp));
        // The grid moved under the cursor; the highlight goes to the cell now under it, so that
        // a click right after the pan paints the cell the user sees.
        Cursor -= DrawGrid1->pos() - Before;
    }
    const QPoint Old = fHLCell;
    fHLCell = CellAt(Cursor);
    DrawGrid1->setFocus();
    if (fGridStale) {
        fGridStale = false;
        DrawGrid1->InvalidateGrid();
    } else if (Old != fHLCell || Entered) {
        DrawGrid1->InvalidateCell(Old.x(), Old.y());
        DrawGrid1->InvalidateCell(fHLCell.x(), fHLCell.y());
    }
    if (Old != fHLCell || Entered)
        UpdateCellStatus();
    if (!(Buttons & Qt::LeftButton))
        return;
    if (fStroke > 0 && fHLCell != fStrokeCell) {
        // Every cell between the last position and this one, however fast the pointer moved.
        fDocument.Paint(fStroke, TMapDocument::LineCells(fStrokeCell, fHLCell), uint8_t(fSelImage));
        fStrokeCell = fHLCell;
    } else if (fRectDrag && fHLCell != fRectEnd) {
        InvalidateRectPreview();
        fRectEnd = fHLCell;
        InvalidateRectPreview();
    }
}

void TMainForm::PickCell(QPoint Cell) {
    if (!fDocument.Contains(Cell))
        return;
    const int Value = fDocument.Value(Cell);
    if (Value >= MapItemCount)
        return;
    const QPoint ItemCell(Value % ItemColumns, Value / ItemColumns);
    DrawGrid2SelectCell(ItemCell.x(), ItemCell.y());
    DrawGrid2->SetSelection(ItemCell);
}

// ---- Navigation -----------------------------------------------------------------------------

QRect TMainForm::MapView() const {
    return fNavigator->View();
}

void TMainForm::SizeGrid() {
    DrawGrid1->SetDefaultColWidth(Pitch());
    DrawGrid1->SetDefaultRowHeight(Pitch());
    DrawGrid1->resize(DrawGrid1->GridSize());
}

void TMainForm::PlaceGrid(QPoint Pos) {
    DrawGrid1->move(ClampGridPos(Pos, fDocument.Width(), fDocument.Height(), Pitch(),
                                 DrawGrid1->BorderWidth(), MapView()));
    fNavigator->Sync();
}

QPoint TMainForm::GridToWorkspace(QPoint Client) const {
    return DrawGrid1->mapTo(this,
                            Client + QPoint(DrawGrid1->BorderWidth(), DrawGrid1->BorderWidth()));
}

void TMainForm::FollowPointer() {
    if (!fPointerOnGrid)
        return;
    SetHLCell(CellAt(DrawGrid1->mapFrom(this, fPointer) -
                     QPoint(DrawGrid1->BorderWidth(), DrawGrid1->BorderWidth())));
}

void TMainForm::SetZoom(int Zoom, QPoint Anchor) {
    Zoom = std::clamp(Zoom, MinZoom, MaxZoom);
    if (Zoom == fZoom || !fDocument.HasMap())
        return;
    const int Old = Pitch();
    fZoom = Zoom;
    const QPoint Pos =
        ZoomGridPos(DrawGrid1->pos(), Anchor, Old, Pitch(), DrawGrid1->BorderWidth());
    SizeGrid();
    PlaceGrid(Pos);
    DrawGrid1->InvalidateGrid();
    FollowPointer();
    ZoomInAction->setEnabled(fZoom < MaxZoom);
    ZoomOutAction->setEnabled(fZoom > MinZoom);
    UpdateMapStatus();
}

void TMainForm::ActualSize() {
    SetZoom(1, GridHome);
    PlaceGrid(GridHome);
    DrawGrid1->InvalidateGrid();
    // The highlight and the status go to the cell now under the pointer, which did not move.
    FollowPointer();
}

bool TMainForm::ShowGrid() const {
    return DrawGrid1->OverlayLines().isValid();
}

void TMainForm::SetShowGrid(bool Show) {
    DrawGrid1->SetOverlayLines(Show ? GridLineColor : QColor());
    ShowGridAction->setChecked(Show);
}

void TMainForm::SetTool(TMapTool Tool) {
    EndDrag();
    fTool = Tool;
    ToolActions[size_t(Tool)]->setChecked(true);
    // The highlight's preview depends on the tool.
    DrawGrid1->InvalidateCell(fHLCell.x(), fHLCell.y());
}

void TMainForm::wheelEvent(QWheelEvent* Event) {
    const QPoint At = Event->position().toPoint();
    if (!MapView().contains(At) || !fDocument.HasMap()) {
        Event->ignore();
        return;
    }
    Event->accept();
    const QPoint Angle = Event->angleDelta();
    if (Event->modifiers() & Qt::ControlModifier) {
        // One step per notch; finer wheels add up to a notch first.
        fZoomWheel += Angle.y() != 0 ? Angle.y() : Angle.x();
        const int Steps = fZoomWheel / 120;
        fZoomWheel -= Steps * 120;
        if (Steps != 0)
            SetZoom(fZoom + Steps, At);
        return;
    }
    QPoint Delta = Event->pixelDelta();
    if (Delta.isNull())
        Delta = Angle * WheelScrollPixels / 120;
    // Shift turns a vertical wheel sideways.
    if ((Event->modifiers() & Qt::ShiftModifier) && Delta.x() == 0)
        Delta = QPoint(Delta.y(), 0);
    const QPoint Before = DrawGrid1->pos();
    PlaceGrid(Before + Delta);
    fPointer = At;
    if (DrawGrid1->pos() != Before)
        FollowPointer();
}

void TMainForm::keyPressEvent(QKeyEvent* Event) {
    if (Event->key() == Qt::Key_Escape && fRectDrag) {
        EndDrag();
        return;
    }
    if (fNavigator->PanKey(Event))
        return;
    QWidget::keyPressEvent(Event);
}

// ---- Status ---------------------------------------------------------------------------------

void TMainForm::UpdateCellStatus() {
    QString Text;
    if (fPointerOnGrid && fDocument.Contains(fHLCell)) {
        const int Value = fDocument.Value(fHLCell);
        Text = QStringLiteral("Cell (%1, %2): %3, %4")
                   .arg(fHLCell.x())
                   .arg(fHLCell.y())
                   .arg(Value)
                   .arg(CellValueText(Value));
    }
    CellStatus->setText(Text);
}

void TMainForm::UpdateItemStatus() {
    ItemStatus->setText(
        QStringLiteral("Selected: %1, %2").arg(fSelImage).arg(CellValueText(fSelImage)));
}

void TMainForm::UpdateMapStatus() {
    ZoomStatus->setText(QStringLiteral("Zoom %1x").arg(fZoom));
    SizeStatus->setText(
        fDocument.HasMap()
            ? QStringLiteral("Map %1 x %2").arg(fDocument.Width()).arg(fDocument.Height())
            : QStringLiteral("No map"));
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
    UpdateItemStatus();
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
    fZoomedPictures.Clear();
    fGridStale = true;
    DrawGrid2->update();
    fNavigator->PicturesChanged();
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
    if (!MayWriteOutsideRoot(this, fSession.CurrentDir(), fSession.XMLDocument()->FileName))
        return;
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
    ParamsFile::AppendMapSet(ParamsDocument(XMLDoc), cSet);
}

} // namespace velkora
