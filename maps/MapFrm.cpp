// SPDX-License-Identifier: MIT
#include "maps/MapFrm.h"

#include "ui_MapFrm.h"

#include "maps/MapEditing.h"
#include "maps/MapNavigator.h"
#include "maps/MapSelection.h"
#include "maps/MapStatus.h"
#include "palettes/PaletteDocument.h"
#include "shell/Session.h"
#include "widgets/ErrorReport.h"
#include "widgets/Questions.h"

#include <QAction>
#include <QActionGroup>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QResizeEvent>
#include <QSignalBlocker>
#include <QToolButton>
#include <QWheelEvent>

namespace velkora {

namespace {

// Where the map grid starts, and where Actual size puts it back.
const QPoint GridHome(24, 16);
// The tool strip: buttons beside the item grid, clear of every designed control.
constexpr int ToolButtonSize = 26;
const QPoint ToolStripTop(157, 160);

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

// ---- Making the workspace -----------------------------------------------------------------------

TMainForm::TMainForm(TSession& Session, QWidget* Parent)
    : QWidget(Parent), fSession(Session), fTextures(Session), fTools(fDocument) {
    fUi = std::make_unique<Ui::TMainForm>();
    fUi->setupUi(this);
    TakeControls();
    DrawGrid1->Attach(fDocument, fTextures, GridHome);
    DrawGrid1->SetTool(&fTools);
    DrawGrid1->SetSelection(&fTools.Selection());
    DrawGrid2->Attach(fDocument, fTextures);
    SaveBtn->setEnabled(false);
    LeftPanel->raise();
    DrawGrid1->Layout(QRect(0, 0, width() - LeftPanel->width(), height()));
    fFiles = new TMapFiles(fSession, fDocument, fTextures, *this, this, LevelCmb, *this);
    fLevel = new TLevelEdit(fDocument, fTools, fTextures, this);
    MakeFileActions();
    MakeToolActions();
    MakeViewActions();
    MakeToolStrip();
    MakeStatus();
    Wire();
    RunReported([&] { FormCreate(); });
}

TMainForm::~TMainForm() {
    FormDestroy();
}

void TMainForm::TakeControls() {
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
}

void TMainForm::Wire() {
    connect(LevelCmb, &QComboBox::currentIndexChanged, this, [this] { LevelCmbChange(); });
    connect(SaveBtn, &QPushButton::clicked, this, [this] { SaveBtnClick(); });
    connect(Tex1cmb, &QComboBox::currentIndexChanged, this, [this] { Tex1cmbChange(); });
    connect(FirstPalCmb, &QComboBox::currentIndexChanged, this, [this] { Tex1cmbChange(); });
    connect(Tex2cmb, &QComboBox::currentIndexChanged, this, [this] { Tex2cmbChange(); });
    connect(SecPalCmb, &QComboBox::currentIndexChanged, this, [this] { Tex2cmbChange(); });
    connect(SetsCMB, &QComboBox::currentIndexChanged, this, [this] { SetsCMBChange(); });
    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    connect(DrawGrid2, &TItemGrid::ItemClicked, this,
            [this](int Col, int Row) { DrawGrid2SelectCell(Col, Row); });
    connect(DrawGrid2, &TItemGrid::BlockPicked, this, [this](const QRect& Block) {
        fTools.SetStamp(TItemGrid::Stamp(Block));
        DrawGrid2->ShowBlock(Block);
    });
    connect(&fDocument, &TMapDocument::MapReplaced, this, &TMainForm::MapReplaced);
    connect(&fDocument, &TMapDocument::ModifiedChanged, this, &TMainForm::TitleChanged);
    connect(&fDocument, &TMapDocument::FileNameChanged, this, &TMainForm::TitleChanged);
    connect(&fTextures, &TMapTextures::Changed, this, &TMainForm::ShowTexture);
    connect(&fTools, &TMapToolBox::ItemChanged, this, &TMainForm::ItemChanged);
    connect(DrawGrid1, &TMapView::PointerCellChanged, this, &TMainForm::ShowPointerCell);
    connect(DrawGrid1, &TMapView::ZoomChanged, this, [this](int Zoom) {
        ZoomInAction->setEnabled(Zoom < MaxZoom);
        ZoomOutAction->setEnabled(Zoom > MinZoom);
        fStatus->ShowZoom(Zoom);
    });
    connect(&fSession, &TSession::MapSetsChanged, this, &TMainForm::FillSetsCMB);
    // A palette's colours changed: the items and the cells drawn in it are drawn anew.
    connect(&fSession.Palettes(), &TPaletteDocument::PalettesChanged, this, [this](int P) {
        for (const int Texture : {0, 1})
            if (P < 0 || fTextures.Palette(Texture) == P)
                RunReported([&] { fTextures.Choose(Texture, -1, fTextures.Palette(Texture)); });
    });
    connect(fLevel, &TLevelEdit::Changed, this, [this] {
        DrawGrid1->RefreshPreview();
        DrawGrid1->SelectionChanged();
        ShowTool();
    });
}

QAction* TMainForm::MakeAction(const QString& Text, const QList<QKeySequence>& Keys,
                               std::function<void()> Handler) {
    auto* a = new QAction(Text, this);
    a->setShortcuts(Keys);
    connect(a, &QAction::triggered, this, [Handler] { RunReported(Handler); });
    return a;
}

void TMainForm::MakeFileActions() {
    NewAction = MakeAction(QStringLiteral("&New map..."),
                           QKeySequence::keyBindings(QKeySequence::New), [this] { NewMapClick(); });
    SaveAction =
        MakeAction(QStringLiteral("&Save map"), QKeySequence::keyBindings(QKeySequence::Save),
                   [this] { SaveBtnClick(); });
    SaveAsAction =
        MakeAction(QStringLiteral("Save map &as..."),
                   QKeySequence::keyBindings(QKeySequence::SaveAs), [this] { SaveAsClick(); });
    if (SaveAsAction->shortcuts().isEmpty())
        SaveAsAction->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    // Until a map is loaded there is nothing to save.
    SaveAction->setEnabled(false);
    SaveAsAction->setEnabled(false);
    ExportTmxAction =
        MakeAction(QStringLiteral("&Export map as TMX..."), {}, [this] { ExportTmxClick(); });
    ImportTmxAction =
        MakeAction(QStringLiteral("&Import TMX..."), {}, [this] { ImportTmxClick(); });
    ReimportTmxAction =
        MakeAction(QStringLiteral("&Reimport TMX"), {}, [this] { ReimportTmxClick(); });
    ExportTmxAction->setEnabled(false);
    ReimportTmxAction->setEnabled(false);
    FileActions = {NewAction,       SaveAction,      SaveAsAction,
                   ExportTmxAction, ImportTmxAction, ReimportTmxAction};
}

void TMainForm::MakeToolActions() {
    fToolGroup = new QActionGroup(this);
    fToolGroup->setExclusive(true);
    for (int t = 0; t < MapToolCount; ++t) {
        const TMapTool Tool = TMapTool(t);
        QAction* a = MakeAction(ToolText(Tool), {ToolKey(Tool)}, [this, Tool] { SetTool(Tool); });
        a->setCheckable(true);
        a->setChecked(Tool == fTools.Current());
        a->setIcon(ToolIcon(Tool, palette().color(QPalette::WindowText)));
        a->setToolTip(
            QStringLiteral("%1 (%2)").arg(QString(ToolText(Tool)).remove(QLatin1Char('&')),
                                          ToolKey(Tool).toString(QKeySequence::NativeText)));
        fToolGroup->addAction(a);
        ToolActions[size_t(t)] = a;
        EditActions << a;
    }
    EditActions << fLevel->EditActions();
    auto* MapMenu = new QMenu(QStringLiteral("&Map"), this);
    MapMenu->addActions(fLevel->MapActions());
    Menus = {MapMenu};
    Gestures = {
        {QStringLiteral("Click or drag on the map"), QStringLiteral("Paint with the tool chosen")},
        {QStringLiteral("Alt+click on the map"), QStringLiteral("Pick the clicked cell's item")},
        {QStringLiteral("Click an item beside the map"),
         QStringLiteral("Choose the item to paint")},
        {QStringLiteral("Right-button drag"), QStringLiteral("Move the map")},
        {QStringLiteral("Ctrl+wheel"), QStringLiteral("Zoom in or out about the pointer")},
        {QStringLiteral("Wheel, Shift+wheel"), QStringLiteral("Scroll up and down, sideways")},
        {QStringLiteral("Esc while dragging a rectangle"), QStringLiteral("Drop the rectangle")},
        {QStringLiteral("Shift+drag, Ctrl+drag with Select"),
         QStringLiteral("Add cells to the selection, take them away")},
        {QStringLiteral("Drag across the items beside the map"),
         QStringLiteral("Choose a block of items as the stamp")},
        {QStringLiteral("Click while a paste floats"), QStringLiteral("Put the pasted cells")},
        {QStringLiteral("Esc, right button while a paste floats"),
         QStringLiteral("Drop the pasted cells")},
        {QStringLiteral("Esc"), QStringLiteral("Select none")}};
}

void TMainForm::MakeViewActions() {
    // Ctrl+= as well, the same key as Ctrl++ without Shift on many layouts. Zooming by keys goes
    // about the pointer when it is over the map, else about the view's centre.
    QList<QKeySequence> ZoomInKeys = QKeySequence::keyBindings(QKeySequence::ZoomIn);
    if (!ZoomInKeys.contains(QKeySequence(Qt::CTRL | Qt::Key_Equal)))
        ZoomInKeys << QKeySequence(Qt::CTRL | Qt::Key_Equal);
    ZoomInAction =
        MakeAction(QStringLiteral("Zoom &in"), ZoomInKeys, [this] { DrawGrid1->ZoomBy(1); });
    ZoomOutAction =
        MakeAction(QStringLiteral("Zoom &out"), QKeySequence::keyBindings(QKeySequence::ZoomOut),
                   [this] { DrawGrid1->ZoomBy(-1); });
    ActualSizeAction = MakeAction(QStringLiteral("&Actual size"),
                                  {QKeySequence(Qt::Key_Home), QKeySequence(Qt::CTRL | Qt::Key_0)},
                                  [this] { ActualSize(); });
    ShowGridAction = MakeAction(QStringLiteral("Show &grid"), {QKeySequence(Qt::CTRL | Qt::Key_G)},
                                [this] { SetShowGrid(ShowGridAction->isChecked()); });
    ShowGridAction->setCheckable(true);
    ZoomOutAction->setEnabled(false);
    TMapNavigator* n = Navigator();
    ViewActions = {ZoomInAction,   ZoomOutAction, ActualSizeAction,
                   ShowGridAction, n->GoToAction, n->OverviewAction};
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
    fStatus = new TMapStatus(this);
    CellStatus = fStatus->CellStatus;
    ItemStatus = fStatus->ItemStatus;
    ZoomStatus = fStatus->ZoomStatus;
    SizeStatus = fStatus->SizeStatus;
    ToolStatus = fStatus->ToolStatus;
    ShowPointerCell();
    fStatus->ShowItem(fTools.Item());
    fStatus->ShowZoom(Zoom());
    fStatus->ShowMap(fDocument);
    ShowTool();
}

// ---- Start-up ---------------------------------------------------------------------------------

void TMainForm::FormCreate() {
    // 1. The maps, in the library's order.
    fFiles->ListMaps();

    // 2. The textures.
    const QStringList& Names = fSession.SpriteContainer().SpriteNames();
    FillCombo(Tex1cmb, Names);
    FillCombo(Tex2cmb, Names);
    BitBtn1->setEnabled(!Names.isEmpty());

    // 3., 4. One entry per palette, as the session read them at start-up.
    QStringList Palettes;
    for (size_t p = 0; p < fSession.PalletteArray().size(); ++p)
        Palettes << QString::number(p);
    FillCombo(FirstPalCmb, Palettes);
    FillCombo(SecPalCmb, Palettes);

    // 5. Both strips from the first sprite, drawn in palette 0. An empty library leaves them
    // empty and the start-up goes on.
    fTextures.Start();

    // 6. The first map. An empty Maps folder or an empty library leaves the workspace empty (a map
    // chosen later still loads); a first map that cannot be read is reported and leaves it empty
    // too: either way the start-up goes on.
    if (Names.isEmpty())
        SelectQuietly(LevelCmb, -1);
    else if (!fFiles->Names().isEmpty())
        RunReported([&] { LevelCmbChange(); });

    // 7. The texture sets, as the session read them at start-up.
    FillSetsCMB();

    // 8. The first set, if any. Without a library there is no texture to apply it to.
    if (!Names.isEmpty())
        SetsCMBChange();
}

void TMainForm::FormDestroy() {
    // The parts free what they own; the view stops asking the tools, which go before it.
    DrawGrid1->SetTool(nullptr);
}

void TMainForm::FormPaint() {
    DrawGrid1->RepaintIfStale();
}

void TMainForm::paintEvent(QPaintEvent* Event) {
    QWidget::paintEvent(Event);
    FormPaint();
}

void TMainForm::resizeEvent(QResizeEvent* Event) {
    QWidget::resizeEvent(Event);
    // The panel keeps to the right edge, full height.
    LeftPanel->setGeometry(width() - LeftPanel->width(), 0, LeftPanel->width(), height());
    DrawGrid1->Layout(QRect(0, 0, width() - LeftPanel->width(), height()));
}

void TMainForm::wheelEvent(QWheelEvent* Event) {
    if (DrawGrid1->Wheel(Event))
        Event->accept();
    else
        Event->ignore();
}

void TMainForm::keyPressEvent(QKeyEvent* Event) {
    if (DrawGrid1->Key(Event))
        return;
    // Escape with nothing to drop selects none.
    if (Event->key() == Qt::Key_Escape && !fTools.Selection().IsEmpty()) {
        fTools.Selection().Clear();
        return;
    }
    QWidget::keyPressEvent(Event);
}

// ---- The workspace in the main window -----------------------------------------------------------

QString TMainForm::DocumentTitle() const {
    return fFiles->Title();
}

QWidget* TMainForm::StatusWidget() {
    return fStatus;
}

void TMainForm::SaveDocument() {
    SaveBtnClick();
}

void TMainForm::MapReplaced() {
    const bool HasMap = fDocument.HasMap();
    SaveBtn->setEnabled(HasMap);
    SaveAction->setEnabled(HasMap);
    SaveAsAction->setEnabled(HasMap);
    ExportTmxAction->setEnabled(HasMap);
    ReimportTmxAction->setEnabled(HasMap && !fDocument.TmxFileName().isEmpty());
    fStatus->ShowMap(fDocument);
}

void TMainForm::ShowTool() {
    const QString Name = QString(ToolText(fTools.Current())).remove(QLatin1Char('&'));
    QString Text = Name;
    const TCellBlock& Stamp = fTools.Stamp();
    if (fTools.Pasting()) {
        const QSize Size = fTools.PasteBlock().Size();
        fStatus->ShowTool(QStringLiteral("Paste %1 x %2: click puts, Esc drops")
                              .arg(Size.width())
                              .arg(Size.height()));
        return;
    }
    if (fTools.Current() != TMapTool::Select && fTools.Current() != TMapTool::Pick &&
        (Stamp.Width() > 1 || Stamp.Height() > 1))
        Text += QStringLiteral(", stamp %1 x %2").arg(Stamp.Width()).arg(Stamp.Height());
    const TMapSelection& Selection = fTools.Selection();
    if (!Selection.IsEmpty()) {
        const QRect b = Selection.Bounds();
        Text += QStringLiteral(": %1 x %2 selected").arg(b.width()).arg(b.height());
        if (Selection.CellCount() != qint64(b.width()) * b.height())
            Text += QStringLiteral(" (%1 cells)").arg(Selection.CellCount());
    }
    fStatus->ShowTool(Text);
}

void TMainForm::ShowPointerCell() {
    fStatus->ShowCell(fDocument,
                      DrawGrid1->PointerOnGrid() ? std::optional<QPoint>(HLCell()) : std::nullopt);
}

// ---- The map's files --------------------------------------------------------------------------

void TMainForm::FindFiles(QStringList& S) const {
    fFiles->FindFiles(S);
}

QString TMainForm::GetFullName(const QString& Name) const {
    return fFiles->GetFullName(Name);
}

void TMainForm::LevelCmbChange() {
    fFiles->OpenChosen();
}

void TMainForm::SaveBtnClick() {
    fFiles->Save();
}

void TMainForm::SaveAsClick() {
    fFiles->SaveAs();
}

void TMainForm::NewMapClick() {
    fFiles->NewMap(fTools.Item());
}

bool TMainForm::OpenNewMap(int32_t w, int32_t h, TMyByteArray Cells, const QString& Name) {
    return fFiles->OpenNewMap(w, h, std::move(Cells), Name);
}

void TMainForm::ExportTmxClick() {
    fFiles->ExportTmx();
    ReimportTmxAction->setEnabled(!fDocument.TmxFileName().isEmpty());
}

void TMainForm::ImportTmxClick() {
    fFiles->ImportTmx();
    ReimportTmxAction->setEnabled(!fDocument.TmxFileName().isEmpty());
}

void TMainForm::ReimportTmxClick() {
    fFiles->ReimportTmx();
}

// ---- The map grid, the tools and the item grid ------------------------------------------------

void TMainForm::DrawGrid1DrawCell(QPainter& Canvas, int ACol, int ARow, const QRect& Rect) {
    DrawGrid1->DrawCell(Canvas, ACol, ARow, Rect);
}

void TMainForm::DrawGrid1Click() {
    TCellTool& Brush = fTools.Tool(TMapTool::Brush);
    Brush.Press(HLCell(), {});
    Brush.Release(HLCell());
}

void TMainForm::DrawGrid1MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X,
                                   int Y) {
    DrawGrid1->MouseDown(Button, Shift, X, Y);
}

void TMainForm::DrawGrid1MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X,
                                 int Y) {
    DrawGrid1->MouseUp(Button, Shift, X, Y);
}

void TMainForm::DrawGrid1MouseMove(Qt::MouseButtons Buttons, Qt::KeyboardModifiers Shift, int X,
                                   int Y) {
    DrawGrid1->MouseMove(Buttons, Shift, X, Y);
}

void TMainForm::SetTool(TMapTool Tool) {
    fTools.SetCurrent(Tool);
    ToolActions[size_t(Tool)]->setChecked(true);
    // The preview depends on the tool.
    DrawGrid1->RefreshPreview();
    ShowTool();
}

void TMainForm::SetShowGrid(bool Show) {
    DrawGrid1->SetShowGrid(Show);
    ShowGridAction->setChecked(Show);
}

void TMainForm::DrawGrid2DrawCell(QPainter& Canvas, int ACol, int ARow, const QRect& Rect) {
    DrawGrid2->DrawCell(Canvas, ACol, ARow, Rect);
}

bool TMainForm::DrawGrid2SelectCell(int ACol, int ARow) {
    fTools.SetItem(TItemGrid::ItemAt(ACol, ARow));
    return true;
}

void TMainForm::ItemChanged(int Item) {
    DrawGrid2->ShowItem(Item);
    fStatus->ShowItem(Item);
    DrawGrid1->RefreshPreview();
}

// ---- Textures and texture sets ----------------------------------------------------------------

void TMainForm::Tex1cmbChange() {
    fTextures.Choose(0, Tex1cmb->currentIndex(), FirstPalCmb->currentIndex());
}

void TMainForm::Tex2cmbChange() {
    fTextures.Choose(1, Tex2cmb->currentIndex(), SecPalCmb->currentIndex());
}

void TMainForm::ShowTexture(int t) {
    SelectQuietly(t == 0 ? Tex1cmb : Tex2cmb, fTextures.Texture(t));
    SelectQuietly(t == 0 ? FirstPalCmb : SecPalCmb, fTextures.Palette(t));
}

const TSetArray& TMainForm::SetArray() const {
    return fSession.MapSets();
}

void TMainForm::SetsCMBChange() {
    const int Index = SetsCMB->currentIndex();
    if (Index < 0 || size_t(Index) >= SetArray().size())
        return;
    const TSet Set = SetArray()[size_t(Index)];
    fTextures.ApplySet(Set.Name, Set.i1, Set.i2);
}

void TMainForm::BitBtn1Click() {
    TSet cSet;
    cSet.Name = fTextures.TextureName(0) + QStringLiteral(" : ") + fTextures.TextureName(1);
    cSet.i1 = fTextures.Texture(0);
    cSet.i2 = fTextures.Texture(1);
    if (cSet.i1 < 0 || cSet.i2 < 0)
        throw Exception(QStringLiteral("Choose two textures before adding a texture set"));
    if (!MayWriteOutsideRoot(this, fSession.CurrentDir(), fSession.XMLDocument()->FileName))
        return;
    AddSet(cSet, fSession.XMLDocument());
}

void TMainForm::FillSetsCMB() {
    // Selecting the first set shows it without applying it.
    QStringList Names;
    for (const TSet& s : SetArray())
        Names << s.Name;
    FillCombo(SetsCMB, Names);
}

void TMainForm::LoadSets(TSetArray& sa, TXMLDocument* XMLDoc) {
    ParamsFile::ReadMapSets(ParamsDocument(XMLDoc), sa);
}

void TMainForm::AddSet(const TSet& cSet, TXMLDocument* XMLDoc) {
    // The session's document, which the session reads again and tells every window about.
    Q_UNUSED(XMLDoc);
    fSession.AddMapSet(cSet);
}

} // namespace velkora
