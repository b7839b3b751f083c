// SPDX-License-Identifier: MIT
#include "workbench/SpritesFrm.h"

#include "ui_SpritesFrm.h"

#include "palettes/BmpMaker.h"
#include "palettes/ChangePalletteFrm.h"
#include "palettes/SpritePng.h"
#include "shell/FileDialogs.h"
#include "shell/Session.h"
#include "widgets/ErrorReport.h"
#include "widgets/Questions.h"
#include "workbench/DrawingPanel.h"
#include "workbench/PngLayoutDialog.h"
#include "workbench/TileEdits.h"

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QResizeEvent>
#include <QScopeGuard>
#include <QScrollBar>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QWheelEvent>

#include <algorithm>

namespace velkora {

namespace {

const QString AnyFileFilter = QStringLiteral("Any file (*)");
const QString PngFilter = QStringLiteral("PNG pictures (*.png)");

const char* FormName(TSpriteForm Form) {
    switch (Form) {
    case TSpriteForm::Compressed:
        return "compressed";
    case TSpriteForm::Uncompressed:
        return "uncompressed";
    case TSpriteForm::Plain:
        break;
    }
    return "plain";
}

// The name a save dialog proposes: the sprite's name with Suffix ("Hero.png").
QString ProposedName(const QString& SpriteFile, const QString& Suffix) {
    const QString Base = QFileInfo(SpriteFile).completeBaseName();
    return (Base.isEmpty() ? QStringLiteral("Sprite") : Base) + QLatin1Char('.') + Suffix;
}

// Runs Work, naming FileName (read, or else written) when the memory runs out in it.
template <typename F> void NamingFile(const QString& FileName, bool Reading, F&& Work) {
    try {
        Work();
    } catch (const std::bad_alloc&) {
        const QString Full = MyTypes::ExpandFileName(FileName);
        if (Reading)
            throw EFOpenError(Full, QStringLiteral("Out of memory"));
        throw EFCreateError(Full, QStringLiteral("Out of memory"));
    }
}

void SelectQuietly(QComboBox* Combo, int Index) {
    const QSignalBlocker Block(Combo);
    Combo->setCurrentIndex(Index);
}

QString Tiles(qint64 Count) {
    return QStringLiteral("%1 %2").arg(QLocale(QLocale::English).toString(Count),
                                       Count == 1 ? QStringLiteral("tile")
                                                  : QStringLiteral("tiles"));
}

// An edit file is a whole number of tiles. One that is not, or that is more than 16 times the
// sprite it would replace, is most likely some other file chosen by mistake: the user is asked
// before it replaces the sprite.
bool MayImportEditFile(QWidget* Parent, const QString& FileName, const TSpriteDocument& Document) {
    constexpr qint64 TileBytes = 32;
    const qint64 Size = QFileInfo(FileName).size();
    const qint64 Current = qint64(Document.SpriteInfo().Bytes.size()) * 2;
    if (Size % TileBytes == 0 && (Current == 0 || Size <= 16 * Current))
        return true;
    QString Words = Tiles(Size / TileBytes);
    if (Size % TileBytes != 0)
        Words += QStringLiteral(" and %1 %2 more")
                     .arg(Size % TileBytes)
                     .arg(Size % TileBytes == 1 ? QStringLiteral("byte") : QStringLiteral("bytes"));
    const QString Sprite = QFileInfo(Document.FileName()).fileName();
    return AskProceed(
        Parent,
        QStringLiteral("%1 is %2 bytes: %3 of raw words. Replace %4 with it?")
            .arg(QFileInfo(FileName).fileName(), QLocale(QLocale::English).toString(Size), Words,
                 Sprite.isEmpty()
                     ? QStringLiteral("the sprite")
                     : QStringLiteral("%1's %2").arg(
                           Sprite, Tiles(qint64(Document.SpriteInfo().BlocksArray.size())))),
        QStringLiteral("An edit file holds a sprite's words as they are exported: 32 bytes a tile, "
                       "big-endian, without a header."),
        QStringLiteral("Replace"));
}

} // namespace

TSpriteFrm::TSpriteFrm(TSession& Session, QWidget* Parent) : QWidget(Parent), fSession(Session) {
    fUi = std::make_unique<Ui::TSpriteFrm>();
    fUi->setupUi(this);
    Panel2 = fUi->Panel2;
    Label6 = fUi->Label6;
    ComboBox1 = fUi->ComboBox1;
    CheckBox1 = fUi->CheckBox1;
    BitBtn4 = fUi->BitBtn4;
    Panel1 = fUi->Panel1;
    Label3 = fUi->Label3;
    SaveToIdaBtn = fUi->SaveToIdaBtn;
    LoadFromIdaBtn = fUi->LoadFromIdaBtn;
    Panel3 = fUi->Panel3;
    Label1 = fUi->Label1;
    SizeCmb = fUi->SizeCmb;
    Label4 = fUi->Label4;
    PalCmb = fUi->PalCmb;
    Label5 = fUi->Label5;
    CwCmb = fUi->CwCmb;
    Panel4 = fUi->Panel4;
    Image1 = fUi->Image1;
    PalPanel = fUi->PalPanel;
    // Where Tahoma is missing, a narrow face of its height keeps the designed captions whole.
    QFont Font = font();
    Font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans Condensed")});
    setFont(Font);
    OpenDialog1 = [this] {
        return FileDialogs::OpenFile(this, QStringLiteral("EditFile"), QString(), AnyFileFilter);
    };
    SaveDialog1 = [this] {
        return FileDialogs::SaveFile(this, QStringLiteral("EditFile"), QString(), AnyFileFilter,
                                     ProposedName(fDocument.FileName(), QStringLiteral("bin")),
                                     QString(), false);
    };
    connect(ComboBox1, &QComboBox::currentIndexChanged, this, [this] { ComboBox1Change(); });
    for (QComboBox* Box : {SizeCmb, PalCmb, CwCmb})
        connect(Box, &QComboBox::currentIndexChanged, this, [this] { SizeCmbChange(); });
    connect(BitBtn4, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    connect(LoadFromIdaBtn, &QPushButton::clicked, this, [this] { LoadFromIdaBtnClick(); });
    connect(SaveToIdaBtn, &QPushButton::clicked, this, [this] { SaveToIdaBtnClick(); });
    // Whatever changes the words (a load, an edit, its undo) shows at once; a palette change
    // shows when there is a tile to show.
    connect(&fDocument, &TSpriteDocument::WordsChanged, this, [this] { SetImage(); });
    connect(&fDocument, &TSpriteDocument::PalettesChanged, this, [this] { ChangeFirstPal(); });
    // The colours of a palette changed (an edit, its undo): the picture is drawn anew.
    connect(&Session.Palettes(), &TPaletteDocument::PalettesChanged, this,
            [this] { RunReported([this] { SetImage(); }); });
    connect(&fDocument, &TSpriteDocument::ModifiedChanged, this, &TSpriteFrm::TitleChanged);
    connect(&fDocument, &TSpriteDocument::SpriteLoaded, this, &TSpriteFrm::TitleChanged);
    connect(&fDocument, &TSpriteDocument::SpriteLoaded, this, [this] {
        // Another sprite is shown from its top left corner, and saved in the form it was read in.
        VScroll->setValue(0);
        HScroll->setValue(0);
        ShowForm();
    });
    connect(&fDocument, &TSpriteDocument::FormChanged, this, [this] { ShowForm(); });

    SaveAction = new QAction(QStringLiteral("&Save sprite"), this);
    SaveAction->setShortcuts(QKeySequence::Save);
    connect(SaveAction, &QAction::triggered, this, [this] { BitBtn1Click(); });
    ExportPngAction = new QAction(QStringLiteral("&Export PNG..."), this);
    connect(ExportPngAction, &QAction::triggered, this, [this] { ExportPngClick(); });
    ImportPngAction = new QAction(QStringLiteral("&Import PNG..."), this);
    connect(ImportPngAction, &QAction::triggered, this, [this] { ImportPngClick(); });
    FileActions = {SaveAction, ExportPngAction, ImportPngAction};
    ZoomInAction = new QAction(QStringLiteral("Zoom &in"), this);
    ZoomInAction->setShortcuts(QKeySequence::ZoomIn);
    connect(ZoomInAction, &QAction::triggered, this, [this] { SetZoom(Zoom() + 1); });
    ZoomOutAction = new QAction(QStringLiteral("Zoom &out"), this);
    ZoomOutAction->setShortcuts(QKeySequence::ZoomOut);
    connect(ZoomOutAction, &QAction::triggered, this, [this] { SetZoom(Zoom() - 1); });
    ActualSizeAction = new QAction(QStringLiteral("&Actual size"), this);
    ActualSizeAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
    connect(ActualSizeAction, &QAction::triggered, this, [this] { SetZoom(1); });
    ViewActions = {ZoomInAction, ZoomOutAction, ActualSizeAction};
    MakeDrawingActions();
    Gestures = {{QStringLiteral("Ctrl+wheel over the picture"),
                 QStringLiteral("Zoom in or out about the pointer")},
                {QStringLiteral("Wheel, Shift+wheel over the picture"),
                 QStringLiteral("Scroll up and down, sideways")},
                {QStringLiteral("Wheel over a palette number"),
                 QStringLiteral("The next or the previous palette")},
                {QStringLiteral("Click a palette number"), QStringLiteral("The list of palettes")},
                {QStringLiteral("Click a colour of the lower strip"),
                 QStringLiteral("Choose the colour that colour index becomes")},
                {QStringLiteral("Double-click a colour of either strip"),
                 QStringLiteral("Change that colour of its palette")},
                {QStringLiteral("Left, right button on the picture"),
                 QStringLiteral("Draw with the left, the right colour")},
                {QStringLiteral("Alt+click on the picture"),
                 QStringLiteral("Pick the colour under the pointer")},
                {QStringLiteral("Shift with Rectangle, Fill"),
                 QStringLiteral("A filled rectangle, a fill within the tile")},
                {QStringLiteral("Arrow keys, Space on the picture"),
                 QStringLiteral("Move the pixel cursor, paint its pixel")},
                {QStringLiteral("Click a swatch, right-click it"),
                 QStringLiteral("The left, the right colour")}};
    PngOpenDialog = [this] {
        return FileDialogs::OpenFile(this, QStringLiteral("Png"), QStringLiteral("Import PNG"),
                                     PngFilter);
    };
    PngLayoutDialog = [this](const QString& FileName, QSize Picture, TSpriteLayout& Layout) {
        TPngLayoutDialog Dialog(QFileInfo(FileName).fileName(), Picture, Layout, this);
        if (Dialog.exec() != QDialog::Accepted)
            return false;
        Layout = Dialog.Choice();
        return true;
    };
    PngSaveDialog = [this] {
        return FileDialogs::SaveFile(
            this, QStringLiteral("Png"), QStringLiteral("Export PNG"), PngFilter,
            ProposedName(fDocument.FileName(), QStringLiteral("png")), QStringLiteral("png"), true);
    };

    // The picture shows every tile group: Image1 keeps its designed place and size, and the
    // scroll bars sit beside and along the bottom of its panel when the picture needs them.
    Image1->setMouseTracking(true);
    Image1->installEventFilter(this);
    fView.SetViewSize(Image1->size());
    VScroll = new QScrollBar(Qt::Vertical, this);
    VScroll->setGeometry(Panel4->geometry().right() + 2, Panel4->y(), 16, Panel4->height());
    HScroll = new QScrollBar(Qt::Horizontal, Panel4);
    HScroll->setGeometry(Image1->x(), Image1->geometry().bottom() - 15, Image1->width(), 16);
    for (QScrollBar* Bar : {VScroll, HScroll}) {
        Bar->hide();
        connect(Bar, &QScrollBar::valueChanged, this, [this] { ShowView(); });
    }
    SetUpDrawing();

    RunReported([&] { FormCreate(); });

    // Without a sprite there is nothing to save, into the library or as an edit file.
    const bool HasSprites = ComboBox1->count() > 0;
    BitBtn4->setEnabled(HasSprites);
    SaveAction->setEnabled(HasSprites);
    SaveToIdaBtn->setEnabled(HasSprites);
}

TSpriteFrm::~TSpriteFrm() {
    FormDestroy();
}

void TSpriteFrm::showEvent(QShowEvent* Event) {
    QWidget::showEvent(Event);
    if (!Event->spontaneous())
        FormShow();
}

void TSpriteFrm::FormCreate() {
    // The parameters document and the palettes belong to the session, which read them first.
    const TPalletteList& PalletteArray = fSession.PalletteArray();
    {
        const QSignalBlocker Block(PalCmb);
        PalCmb->clear();
        for (size_t i = 0; i < PalletteArray.size(); ++i)
            PalCmb->addItem(QString::number(i));
        PalCmb->setCurrentIndex(2);
    }
    {
        // The sprite is loaded by the show handler, not here.
        const QSignalBlocker Block(ComboBox1);
        ComboBox1->clear();
        ComboBox1->addItems(fSession.SpriteContainer().SpriteNames());
        ComboBox1->setCurrentIndex(0);
    }
}

void TSpriteFrm::DockPalFrm(TChPalFrm* Frame) {
    fChPalFrm = Frame;
    if (!Frame)
        return;
    Frame->setParent(PalPanel);
    PalPanel->layout()->addWidget(Frame);
    Frame->hide();
    Frame->show();
    // The callbacks reach this workbench only while it exists: the frame may outlive it.
    const std::shared_ptr<TSpriteFrm*> Self = fSelf;
    const auto Changed = [Self] {
        if (*Self)
            (*Self)->PalFrmChanged();
    };
    Frame->SetOnChangeFirstPal(Changed);
    Frame->SetOnSetPalSwap([Changed](int32_t, int32_t) { Changed(); });
    Frame->SetOnResetbtnClick(Changed);
}

TChPalFrm* TSpriteFrm::ChPalFrm() const {
    return fChPalFrm;
}

void TSpriteFrm::FormShow() {
    // The first show loads the first sprite as it is, without the selected set; every later show
    // loads it recoloured by the set, as a choice of sprite does.
    const auto Shown = qScopeGuard([this] { fShown = true; });
    ComboBox1Change();
}

void TSpriteFrm::FormDestroy() {
    // From here on the callbacks left on the frame do nothing.
    *fSelf = nullptr;
}

QString TSpriteFrm::DocumentTitle() const {
    return QFileInfo(fDocument.FileName()).fileName();
}

QWidget* TSpriteFrm::StatusWidget() {
    if (!fStatus) {
        fStatus = new QLabel(this);
        UpdateStatus();
    }
    return fStatus;
}

void TSpriteFrm::SaveDocument() {
    BitBtn1Click();
}

void TSpriteFrm::ComboBox1Change() {
    const int I = ComboBox1->currentIndex();
    // Another sprite, or this one read anew, takes the place of unsaved changes only when the
    // user says so; Cancel keeps the sprite and the chooser as they were.
    if (!MayDiscard()) {
        SelectQuietly(ComboBox1, fSpriteIndex);
        return;
    }
    const QString FileName = I >= 0 ? fSession.SpriteContainer().FileName(I) : QString();
    // A sprite that cannot be read leaves the sprite in memory, and the chooser goes back to it,
    // so that a save writes that sprite to its own file.
    auto Restore = qScopeGuard([this] { SelectQuietly(ComboBox1, fSpriteIndex); });
    const std::optional<TPalletteArray> Set =
        fChPalFrm ? fChPalFrm->SelectedSet() : std::optional<TPalletteArray>();
    fDocument.Load(FileName, Set, fShown);
    Restore.dismiss();
    fSpriteIndex = I;
}

void TSpriteFrm::SetImage() {
    const TSpriteInfo& Sprite = fDocument.SpriteInfo();
    const int Size = std::clamp(SizeCmb->currentIndex(), 0, int(SpriteSize.size()) - 1);
    const bool IsCW = CwCmb->currentIndex() == 0;
    const QVector<QRgb> Colors =
        BmpMaker::ColorTable(fSession.PalletteArray(), fDocument.SecondPalIndex());
    // A sprite without a whole tile has no picture: the view shows none rather than keep the
    // last one, which would show another sprite under this one's name.
    fView.SetSprite(&Sprite.BlocksArray, SpriteSize[size_t(Size)], IsCW, Colors);
    UpdateDrawingColours();
    UpdateScrollBars();
    ShowView();
}

QPoint TSpriteFrm::Scroll() const {
    return QPoint(HScroll->isVisible() ? HScroll->value() : 0,
                  VScroll->isVisible() ? VScroll->value() : 0);
}

void TSpriteFrm::UpdateScrollBars() {
    const QSize View = Image1->size();
    const int64_t W = fView.ContentWidth();
    const int64_t H = fView.Groups() > 0 ? fView.ContentHeight() : 0;
    const int64_t MaxX = std::max<int64_t>(0, W - View.width());
    // The horizontal bar lies over the view's bottom rows: the vertical range reaches past them,
    // so that the last rows can be scrolled above it.
    const int Covered = MaxX > 0 ? HScroll->height() : 0;
    const int64_t MaxY = std::max<int64_t>(0, H - (View.height() - Covered));
    VScroll->setRange(0, int(std::min<int64_t>(MaxY, INT32_MAX)));
    VScroll->setPageStep(View.height() - Covered);
    VScroll->setSingleStep(8 * fView.Zoom());
    VScroll->setVisible(MaxY > 0);
    HScroll->setRange(0, int(std::min<int64_t>(MaxX, INT32_MAX)));
    HScroll->setPageStep(View.width());
    HScroll->setSingleStep(8 * fView.Zoom());
    HScroll->setVisible(MaxX > 0);
}

void TSpriteFrm::ShowView() {
    QImage Picture = fView.Render(Scroll(), Image1->devicePixelRatioF());
    if (!Picture.isNull())
        DrawMarks(Picture);
    if (Picture.isNull())
        Image1->clear();
    else
        Image1->setPixmap(QPixmap::fromImage(Picture));
    Image1->repaint();
    // The pixel under the pointer may be another one, or show another colour, now.
    if (fHasPixel)
        fHasPixel = fView.PixelAt(fPointer, Scroll(), fPixel);
    UpdateStatus();
}

void TSpriteFrm::SetZoom(int NewZoom, QPoint About) {
    NewZoom = std::clamp(NewZoom, TSpriteLayoutView::MinZoom, TSpriteLayoutView::MaxZoom);
    if (NewZoom == fView.Zoom())
        return;
    // The layout flows anew for the new width; the block under About (or at the view's top left)
    // stays where it was in the view.
    if (About.x() < 0)
        About = QPoint(0, 0);
    TSpriteLayoutView::TPixel Pixel;
    const bool Anchored = fView.PixelAt(About, Scroll(), Pixel);
    fView.SetZoom(NewZoom);
    UpdateScrollBars();
    if (Anchored) {
        const QPoint Origin = fView.BlockOrigin(Pixel.Block);
        VScroll->setValue(Origin.y() + Pixel.Y * NewZoom - About.y());
        HScroll->setValue(Origin.x() + Pixel.X * NewZoom - About.x());
    }
    ShowView();
}

bool TSpriteFrm::eventFilter(QObject* Watched, QEvent* Event) {
    if (Watched != Image1)
        return QWidget::eventFilter(Watched, Event);
    if (PictureEvent(Event))
        return true;
    if (Event->type() == QEvent::Wheel) {
        const auto* Wheel = static_cast<QWheelEvent*>(Event);
        const int Delta =
            Wheel->angleDelta().y() != 0 ? Wheel->angleDelta().y() : Wheel->angleDelta().x();
        if (Delta == 0)
            return true;
        const int Steps = Delta > 0 ? 1 : -1;
        if (Wheel->modifiers() & Qt::ControlModifier)
            SetZoom(Zoom() + Steps, Wheel->position().toPoint());
        else if (Wheel->modifiers() & Qt::ShiftModifier)
            HScroll->setValue(HScroll->value() - Steps * 3 * HScroll->singleStep());
        else
            VScroll->setValue(VScroll->value() - Steps * 3 * VScroll->singleStep());
        return true;
    }
    if (Event->type() == QEvent::MouseMove) {
        fPointer = static_cast<QMouseEvent*>(Event)->position().toPoint();
        fPointerInside = true;
        fHasPixel = fView.PixelAt(fPointer, Scroll(), fPixel);
        UpdateStatus();
    } else if (Event->type() == QEvent::Leave) {
        fHasPixel = false;
        fPointerInside = false;
        UpdateStatus();
    }
    return QWidget::eventFilter(Watched, Event);
}

QString TSpriteFrm::StatusText() const {
    if (fDocument.FileName().isEmpty())
        return QString();
    QString Text = QStringLiteral("%1, %2, %3 blocks, %4x")
                       .arg(DocumentTitle(), QLatin1String(FormName(fDocument.Form())))
                       .arg(fDocument.SpriteInfo().BlocksArray.size())
                       .arg(fView.Zoom());
    if (DrawingPanel)
        Text += QStringLiteral(", colours %1 / %2")
                    .arg(DrawingPanel->Colour(0))
                    .arg(DrawingPanel->Colour(1));
    if (fHasPixel)
        Text += QStringLiteral("    tile %1 (%2, %3): colour %4 #%5")
                    .arg(fPixel.Block)
                    .arg(fPixel.X)
                    .arg(fPixel.Y)
                    .arg(fPixel.Index)
                    .arg(fPixel.Color & 0xFFFFFF, 6, 16, QLatin1Char('0'));
    return Text;
}

void TSpriteFrm::UpdateStatus() {
    if (fStatus)
        fStatus->setText(StatusText());
}

void TSpriteFrm::ShowForm() {
    // A plain file cannot be written back as it is: the box keeps its choice for it.
    if (fDocument.Form() != TSpriteForm::Plain)
        CheckBox1->setChecked(fDocument.Form() == TSpriteForm::Compressed);
    UpdateStatus();
}

void TSpriteFrm::SizeCmbChange() {
    if (!fDocument.SpriteInfo().BlocksArray.empty())
        SetImage();
}

void TSpriteFrm::BitBtn1Click() {
    // Always the file the sprite in memory was read from; the save replaces it atomically.
    if (fDocument.FileName().isEmpty())
        throw EListError(ComboBox1->currentIndex());
    // A file of the library that leads outside the data root is written only when the user says.
    if (!MayWriteOutsideRoot(this, fSession.CurrentDir(), fDocument.FileName()))
        return;
    // Another program's version of the file is not overwritten without a word.
    if (fDocument.ChangedOnDisk() && !AskOverwriteChanged(this, fDocument.FileName()))
        return;
    // Words the compressed form cannot hold are dropped only when the user says so.
    bool Compressed = CheckBox1->isChecked();
    bool DropPartial = false;
    if (const size_t Partial = SpriteEditor::PartialTileWords(fDocument.SpriteInfo().Bytes);
        Compressed && Partial != 0) {
        switch (AskPartialTile(this, DocumentTitle(), Partial)) {
        case TPartialTileAnswer::Uncompressed:
            Compressed = false;
            break;
        case TPartialTileAnswer::Drop:
            DropPartial = true;
            break;
        case TPartialTileAnswer::Cancel:
            return;
        }
    }
    fDocument.Save(Compressed, DropPartial);
}

void TSpriteFrm::LoadFromIdaBtnClick() {
    const QString FileName = OpenDialog1 ? OpenDialog1() : QString();
    if (FileName.isEmpty())
        return;
    // The words as read become the current sprite and what later recolouring starts from.
    TSpriteInfo Imported;
    NamingFile(FileName, true, [&] { Imported.LoadAfterEdt(FileName); });
    if (!MayImportEditFile(this, FileName, fDocument))
        return;
    fDocument.ChangeWords(std::move(Imported.Bytes), QStringLiteral("Import edit file"));
}

void TSpriteFrm::SaveToIdaBtnClick() {
    const QString FileName = SaveDialog1 ? SaveDialog1() : QString();
    if (FileName.isEmpty())
        return;
    NamingFile(FileName, false, [&] { fDocument.SpriteInfo().SaveToEdit(FileName); });
}

void TSpriteFrm::ExportPngClick() {
    const TSpriteInfo& Sprite = fDocument.SpriteInfo();
    if (Sprite.BlocksArray.empty())
        throw Exception(QStringLiteral("The sprite has no whole tile to export"));
    const QString FileName = PngSaveDialog ? PngSaveDialog() : QString();
    if (FileName.isEmpty())
        return;
    const int Size = std::clamp(SizeCmb->currentIndex(), 0, int(SpriteSize.size()) - 1);
    NamingFile(FileName, false, [&] {
        SpritePng::ExportSpritePng(
            FileName, Sprite.BlocksArray, Size, CwCmb->currentIndex() == 0,
            SpritePng::DefaultSpriteColumns(Size),
            BmpMaker::ColorTable(fSession.PalletteArray(), fDocument.SecondPalIndex()));
    });
}

void TSpriteFrm::ImportPngClick() {
    const QString FileName = PngOpenDialog ? PngOpenDialog() : QString();
    if (FileName.isEmpty())
        return;
    TSpritePngPicture Picture;
    NamingFile(FileName, true, [&] { Picture = SpritePng::ReadSpritePng(FileName); });
    TSpriteImportOptions Options;
    // Without palettes there are no colours to match: an indexed picture's indices stand.
    Options.KeepIndices = fSession.PalletteArray().empty();
    if (!Picture.Layout) {
        // A paint program dropped the layout: the size and order shown, and this sprite's block
        // count where the picture has the size this sprite's export has.
        TSpriteLayout Shown;
        Shown.SizeIndex = std::clamp(SizeCmb->currentIndex(), 0, int(SpriteSize.size()) - 1);
        Shown.IsCW = CwCmb->currentIndex() == 0;
        Shown.Blocks = int64_t(fDocument.SpriteInfo().BlocksArray.size());
        Shown.Columns = SpritePng::DefaultSpriteColumns(Shown.SizeIndex);
        const QSize Size(int(Picture.Png.Width), int(Picture.Png.Height));
        const bool Whole = int64_t(Picture.Png.Width) % Shown.GroupWidth() == 0 &&
                           int64_t(Picture.Png.Height) % Shown.GroupHeight() == 0;
        if (!Whole) {
            if (Shown.Blocks == 0)
                Shown.Blocks = int64_t(Picture.Png.Width / 8) * (Picture.Png.Height / 8);
            if (!PngLayoutDialog || !PngLayoutDialog(FileName, Size, Shown))
                return;
            Options.Blocks = Shown.Blocks;
        } else if (Shown.Blocks > 0 && Shown.Width() == Picture.Png.Width &&
                   Shown.Height() == Picture.Png.Height) {
            Options.Blocks = Shown.Blocks;
        }
        Options.SizeIndex = Shown.SizeIndex;
        Options.IsCW = Shown.IsCW;
    }
    const int Palette = fDocument.SecondPalIndex();
    TMyArray Words;
    NamingFile(FileName, true, [&] {
        Words = SpritePng::SpriteWordsOfPng(
            Picture, Options, BmpMaker::ColorTable(fSession.PalletteArray(), Palette), Palette);
    });
    fDocument.ChangeWords(std::move(Words), QStringLiteral("Import PNG"));
}

void TSpriteFrm::ChangeFirstPal() {
    if (!fDocument.SpriteInfo().BlocksArray.empty())
        SetImage();
}

void TSpriteFrm::PalFrmChanged() {
    UpdateStatus();
}

// ---- Drawing --------------------------------------------------------------------------------

void TSpriteFrm::MakeDrawingActions() {
    static const std::array<std::pair<const char*, Qt::Key>, PixelToolCount> Tools = {
        {{"&Pencil", Qt::Key_P},
         {"&Line", Qt::Key_L},
         {"&Rectangle", Qt::Key_R},
         {"&Fill", Qt::Key_G},
         {"P&ick colour", Qt::Key_I},
         {"&Select", Qt::Key_M}}};
    static const std::array<const char*, PixelToolCount> Short = {"P", "L", "R", "G", "I", "M"};
    ToolsMenu = new QMenu(QStringLiteral("&Tools"), this);
    auto* Group = new QActionGroup(this);
    for (int i = 0; i < PixelToolCount; ++i) {
        QAction* a = ToolsMenu->addAction(QString::fromUtf8(Tools[size_t(i)].first));
        a->setShortcut(QKeySequence(Tools[size_t(i)].second));
        a->setCheckable(true);
        a->setIconText(QString::fromLatin1(Short[size_t(i)]));
        a->setToolTip(QStringLiteral("%1 (%2)").arg(a->text().remove(QLatin1Char('&')),
                                                    QString::fromLatin1(Short[size_t(i)])));
        Group->addAction(a);
        connect(a, &QAction::triggered, this, [this, i] { SetTool(TPixelToolKind(i)); });
        ToolActions[size_t(i)] = a;
    }
    ToolActions[0]->setChecked(true);
    fTool = MakePixelTool(fToolKind);

    ShowGridAction = new QAction(QStringLiteral("Show tile &grid"), this);
    ShowGridAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
    ShowGridAction->setCheckable(true);
    connect(ShowGridAction, &QAction::toggled, this, [this](bool On) {
        fView.SetShowGrid(On);
        ShowView();
    });
    ShowNumbersAction = new QAction(QStringLiteral("Show tile &numbers"), this);
    ShowNumbersAction->setCheckable(true);
    ShowNumbersAction->setToolTip(
        QStringLiteral("Each tile's number in its corner, at 4x and above"));
    connect(ShowNumbersAction, &QAction::toggled, this, [this](bool On) {
        fView.SetShowNumbers(On);
        ShowView();
    });
    ViewActions << ShowGridAction << ShowNumbersAction;
    MakeEditActions();
}

void TSpriteFrm::MakeEditActions() {
    const auto Make = [this](const char* Text, QKeySequence Key, auto Slot) {
        auto* a = new QAction(QString::fromUtf8(Text), this);
        a->setShortcut(Key);
        connect(a, &QAction::triggered, this, [Slot] { RunReported([&] { Slot(); }); });
        return a;
    };
    CutAction = Make("Cu&t", QKeySequence::Cut, [this] {
        CopySelection();
        DeleteSelection();
    });
    CopyAction = Make("&Copy", QKeySequence::Copy, [this] { CopySelection(); });
    PasteAction = Make("&Paste", QKeySequence::Paste, [this] { PasteClipboard(); });
    DeleteAction = Make("&Delete", QKeySequence::Delete, [this] { DeleteSelection(); });
    FlipHorizontallyAction =
        Make("Flip &horizontally", QKeySequence(Qt::SHIFT | Qt::Key_H), [this] {
            EditPixels(QStringLiteral("Flip horizontally"),
                       [this](TPixelCanvas& c) { PixelArea::FlipHorizontally(c, Target()); });
        });
    FlipVerticallyAction = Make("Flip &vertically", QKeySequence(Qt::SHIFT | Qt::Key_V), [this] {
        EditPixels(QStringLiteral("Flip vertically"),
                   [this](TPixelCanvas& c) { PixelArea::FlipVertically(c, Target()); });
    });
    RotateAction = Make("R&otate 90\u00B0", QKeySequence(Qt::SHIFT | Qt::Key_R), [this] {
        QRect Turned;
        EditPixels(QStringLiteral("Rotate"), [&](TPixelCanvas& c) {
            Turned = PixelArea::RotateClockwise(c, Target(), DrawingPanel->Colour(1));
        });
        if (fSelection && Turned.isValid())
            fSelection = Turned & LayoutRect();
        ShowView();
    });
    EditActions = {CutAction,
                   CopyAction,
                   PasteAction,
                   DeleteAction,
                   FlipHorizontallyAction,
                   FlipVerticallyAction,
                   RotateAction};

    TileMenu = new QMenu(QStringLiteral("T&ile"), this);
    InsertTilesAction = Make("&Insert tiles...", QKeySequence(Qt::CTRL | Qt::Key_Insert),
                             [this] { InsertTiles(); });
    DeleteTilesAction =
        Make("&Delete tiles", QKeySequence(Qt::CTRL | Qt::Key_Delete), [this] { DeleteTiles(); });
    DuplicateGroupAction = Make("D&uplicate tile group", QKeySequence(Qt::CTRL | Qt::Key_D),
                                [this] { DuplicateGroup(); });
    MoveEarlierAction = Make("Move group &earlier", QKeySequence(Qt::CTRL | Qt::Key_BracketLeft),
                             [this] { MoveGroup(true); });
    MoveLaterAction = Make("Move group &later", QKeySequence(Qt::CTRL | Qt::Key_BracketRight),
                           [this] { MoveGroup(false); });
    TileMenu->addActions({InsertTilesAction, DeleteTilesAction, DuplicateGroupAction,
                          MoveEarlierAction, MoveLaterAction});
    Menus = {ToolsMenu, TileMenu};
}

void TSpriteFrm::SetUpDrawing() {
    // The drawing controls sit right of the picture's scroll bar; the picture takes what the
    // form grows by beyond its resting size, the palette panel staying below it.
    Image1->setFocusPolicy(Qt::StrongFocus);
    DrawingPanel = new TDrawingPanel(QList<QAction*>(ToolActions.begin(), ToolActions.end()), this);
    connect(DrawingPanel, &TDrawingPanel::ColoursChosen, this, [this] { UpdateStatus(); });
    fDesignedPanel4 = Panel4->geometry();
    fDesignedPalPanel = PalPanel->geometry();
    fRestingSize = size();
    InsertTilesDialog = [this](int Most, int& Count) {
        bool Ok = false;
        Count = QInputDialog::getInt(this, QStringLiteral("Insert tiles"),
                                     QStringLiteral("Empty tiles to insert before the cursor's:"),
                                     1, 1, Most, 1, &Ok);
        return Ok;
    };
    // An edit made elsewhere during a gesture ends the gesture unapplied.
    connect(&fDocument, &TSpriteDocument::WordsChanged, this, [this] {
        if (fCanvas)
            CancelGesture();
    });
    connect(&fDocument, &TSpriteDocument::SpriteLoaded, this, [this] {
        fSelection.reset();
        fFloating.reset();
        fCursor = QPoint(0, 0);
    });
    connect(&fDocument, &TSpriteDocument::PalettesChanged, this,
            [this] { UpdateDrawingColours(); });
    Relayout();
}

void TSpriteFrm::SetTool(TPixelToolKind Kind) {
    CancelGesture();
    fToolKind = Kind;
    fTool = MakePixelTool(Kind);
    ToolActions[size_t(Kind)]->setChecked(true);
}

void TSpriteFrm::SetRestingSize(QSize Size) {
    fRestingSize = Size;
    Relayout();
}

void TSpriteFrm::resizeEvent(QResizeEvent* Event) {
    QWidget::resizeEvent(Event);
    Relayout();
}

void TSpriteFrm::Relayout() {
    if (!DrawingPanel)
        return;
    const int dw = std::max(0, width() - fRestingSize.width());
    const int dh = std::max(0, height() - fRestingSize.height());
    Panel4->setGeometry(fDesignedPanel4.adjusted(0, 0, dw, dh));
    Image1->resize(Panel4->width() - 4, Panel4->height() - 4);
    VScroll->setGeometry(Panel4->geometry().right() + 2, Panel4->y(), 16, Panel4->height());
    HScroll->setGeometry(Image1->x(), Image1->geometry().bottom() - 15, Image1->width(), 16);
    DrawingPanel->move(VScroll->geometry().right() + 6, Panel4->y());
    PalPanel->move(fDesignedPalPanel.topLeft() + QPoint(0, dh));
    if (fView.ViewSize() != Image1->size()) {
        fView.SetViewSize(Image1->size());
        UpdateScrollBars();
        ShowView();
    }
}

void TSpriteFrm::UpdateDrawingColours() {
    if (DrawingPanel)
        DrawingPanel->SetColours(
            BmpMaker::ColorTable(fSession.PalletteArray(), fDocument.SecondPalIndex()));
}

std::optional<QPoint> TSpriteFrm::Pointer() const {
    if (!fPointerInside)
        return std::nullopt;
    return fView.LayoutPixel(fPointer, Scroll());
}

QRect TSpriteFrm::LayoutRect() const {
    return QRect(0, 0, fView.LayoutWidth(),
                 int(std::min<int64_t>(fView.LayoutHeight(), INT32_MAX)));
}

QRect TSpriteFrm::Target() const {
    return fSelection ? *fSelection & LayoutRect() : QRect();
}

bool TSpriteFrm::PictureEvent(QEvent* Event) {
    switch (Event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        return PicturePress(static_cast<QMouseEvent*>(Event));
    case QEvent::MouseMove:
        return PictureMove(static_cast<QMouseEvent*>(Event));
    case QEvent::MouseButtonRelease:
        return PictureRelease(static_cast<QMouseEvent*>(Event));
    case QEvent::KeyPress:
        return PictureKey(static_cast<QKeyEvent*>(Event));
    default:
        return false;
    }
}

bool TSpriteFrm::PicturePress(const QMouseEvent* Mouse) {
    Image1->setFocus(Qt::MouseFocusReason);
    if (fView.Groups() == 0 || fCanvas)
        return true;
    const QPoint P = fView.LayoutPixel(Mouse->position().toPoint(), Scroll());
    const int Button = Mouse->button() == Qt::RightButton ? 1 : 0;
    if (fFloating) {
        // A click places the floating paste; the right button drops it.
        if (Button == 0) {
            const TFloating f = *fFloating;
            fFloating.reset();
            // The placed picture stays selected; the edit shows it.
            fSelection = QRect(P, f.Size) & LayoutRect();
            const int Steps = fDocument.UndoStack()->index();
            RunReported([&] {
                EditPixels(QStringLiteral("Paste"),
                           [&](TPixelCanvas& c) { PixelArea::Put(c, P, f.Size, f.Indices); });
            });
            if (fDocument.UndoStack()->index() != Steps)
                return true;
        } else {
            fFloating.reset();
        }
        ShowView();
        return true;
    }
    if (Mouse->modifiers() & Qt::AltModifier) {
        TSpriteLayoutView::TPixel Pixel;
        if (fView.PixelAt(Mouse->position().toPoint(), Scroll(), Pixel))
            DrawingPanel->SetColour(Button, Pixel.Index);
        return true;
    }
    if (Mouse->button() != Qt::LeftButton && Mouse->button() != Qt::RightButton)
        return true;
    fCursor = P;
    BeginGesture();
    fTool->Press(*fCanvas, P, DrawingPanel->Colour(Button), Mouse->modifiers() & Qt::ShiftModifier);
    if (const auto Picked = fTool->Picked())
        DrawingPanel->SetColour(Button, *Picked);
    fSelection = fTool->Marked();
    ShowView();
    return true;
}

bool TSpriteFrm::PictureMove(const QMouseEvent* Mouse) {
    const QPoint P = fView.LayoutPixel(Mouse->position().toPoint(), Scroll());
    if (fFloating) {
        fFloating->At = P;
        ShowView();
    } else if (fCanvas) {
        fTool->Move(*fCanvas, P, Mouse->modifiers() & Qt::ShiftModifier);
        if (const auto Picked = fTool->Picked())
            DrawingPanel->SetColour(Mouse->buttons() & Qt::RightButton ? 1 : 0, *Picked);
        if (fTool->Marked())
            fSelection = fTool->Marked();
        ShowView();
    }
    return false;
}

bool TSpriteFrm::PictureRelease(const QMouseEvent* Mouse) {
    if (!fCanvas)
        return true;
    const QPoint P = fView.LayoutPixel(Mouse->position().toPoint(), Scroll());
    fTool->Release(*fCanvas, P, Mouse->modifiers() & Qt::ShiftModifier);
    if (fTool->Marked())
        fSelection = *fTool->Marked() & LayoutRect();
    RunReported([&] { EndGesture(); });
    return true;
}

bool TSpriteFrm::PictureKey(const QKeyEvent* Key) {
    QPoint Step;
    switch (Key->key()) {
    case Qt::Key_Left:
        Step = QPoint(-1, 0);
        break;
    case Qt::Key_Right:
        Step = QPoint(1, 0);
        break;
    case Qt::Key_Up:
        Step = QPoint(0, -1);
        break;
    case Qt::Key_Down:
        Step = QPoint(0, 1);
        break;
    case Qt::Key_Space: {
        const QPoint At = fCursor;
        const int Colour = DrawingPanel->Colour(0);
        fCursorShown = true;
        RunReported([&] {
            EditPixels(QStringLiteral("Pencil"), [&](TPixelCanvas& c) { c.Set(At, Colour); });
        });
        return true;
    }
    case Qt::Key_Escape:
        if (fCanvas)
            CancelGesture();
        else if (fFloating)
            fFloating.reset();
        else
            fSelection.reset();
        ShowView();
        return true;
    default:
        return false;
    }
    const QRect Bounds = LayoutRect();
    fCursor = QPoint(std::clamp(fCursor.x() + Step.x(), 0, std::max(0, Bounds.right())),
                     std::clamp(fCursor.y() + Step.y(), 0, std::max(0, Bounds.bottom())));
    fCursorShown = true;
    // The cursor stays in sight.
    const int z = fView.Zoom();
    const QRect Shown(Scroll(), Image1->size());
    const QRect Pixel(fCursor * z, QSize(z, z));
    if (!Shown.contains(Pixel)) {
        if (Pixel.left() < Shown.left() || Pixel.right() > Shown.right())
            HScroll->setValue(Pixel.center().x() - Shown.width() / 2);
        if (Pixel.top() < Shown.top() || Pixel.bottom() > Shown.bottom())
            VScroll->setValue(Pixel.center().y() - Shown.height() / 2);
    }
    ShowView();
    return true;
}

void TSpriteFrm::BeginGesture() {
    fWorking = std::make_unique<TSpriteInfo>(fDocument.SpriteInfo());
    fCanvas = std::make_unique<TPixelCanvas>(*fWorking, fView);
    // The picture shows the copy while the gesture lasts.
    fView.SetSprite(&fWorking->BlocksArray, fView.BlockSize(), fView.IsCW(),
                    BmpMaker::ColorTable(fSession.PalletteArray(), fDocument.SecondPalIndex()));
}

void TSpriteFrm::EndGesture() {
    if (!fCanvas)
        return;
    const bool Changed = fCanvas->Changed();
    fCanvas.reset();
    // The view shows the copy until the document's words replace it.
    auto Done = qScopeGuard([this] {
        SetImage();
        fWorking.reset();
    });
    if (Changed) {
        fDocument.ChangeWords(std::move(fWorking->Bytes), fTool->EditName());
        // The document's new words are shown already.
        Done.dismiss();
        fWorking.reset();
    }
}

void TSpriteFrm::CancelGesture() {
    if (!fCanvas)
        return;
    fCanvas.reset();
    SetImage();
    fWorking.reset();
}

void TSpriteFrm::EditPixels(const QString& Text, const std::function<void(TPixelCanvas&)>& Edit) {
    if (fView.Groups() == 0)
        return;
    TSpriteInfo Working = fDocument.SpriteInfo();
    TPixelCanvas Canvas(Working, fView);
    Edit(Canvas);
    if (Canvas.Changed())
        fDocument.ChangeWords(std::move(Working.Bytes), Text);
}

void TSpriteFrm::DrawMarks(QImage& Picture) const {
    if (!fSelection && !fFloating && !fCursorShown)
        return;
    QPainter p(&Picture);
    const int z = fView.Zoom();
    const QPoint Origin = -Scroll();
    const auto ViewRect = [&](QRect r) {
        return QRect(Origin + r.topLeft() * z, r.size() * z).adjusted(0, 0, -1, -1);
    };
    if (fFloating) {
        // The floating picture, each pixel a square of the zoom (no smoothing).
        QImage Float(fFloating->Size, QImage::Format_ARGB32);
        const QVector<QRgb> Colours = DrawingPanel->Colours();
        for (int y = 0; y < Float.height(); ++y) {
            QRgb* Line = reinterpret_cast<QRgb*>(Float.scanLine(y));
            for (int x = 0; x < Float.width(); ++x) {
                const int i = fFloating->Indices[size_t(y * Float.width() + x)];
                Line[x] = i >= 0 ? Colours.value(i) : qRgba(0, 0, 0, 0);
            }
        }
        p.drawImage(QRect(Origin + fFloating->At * z, fFloating->Size * z), Float);
    }
    const auto Dashed = [&](QRect r) {
        p.setPen(QPen(Qt::white, 0));
        p.drawRect(r);
        p.setPen(QPen(Qt::black, 0, Qt::DashLine));
        p.drawRect(r);
    };
    if (fFloating)
        Dashed(ViewRect(QRect(fFloating->At, fFloating->Size)));
    else if (fSelection)
        Dashed(ViewRect(*fSelection));
    if (fCursorShown && Image1->hasFocus()) {
        p.setPen(QPen(Qt::red, 0));
        p.drawRect(ViewRect(QRect(fCursor, QSize(1, 1))));
    }
}

// ---- Selection and clipboard ----------------------------------------------------------------

void TSpriteFrm::CopySelection() {
    const QRect Area = Target();
    if (Area.isEmpty() || fView.Groups() == 0)
        return;
    TSpriteInfo Copy = fDocument.SpriteInfo();
    TPixelCanvas Canvas(Copy, fView);
    const std::vector<int> Indices = PixelArea::Take(Canvas, Area);
    // An indexed picture in the palette the sprite is drawn in: a paint program keeps the indices.
    QImage Image(Area.size(), QImage::Format_Indexed8);
    QVector<QRgb> Colours = DrawingPanel->Colours();
    Colours.resize(16);
    Image.setColorTable(Colours);
    for (int y = 0; y < Area.height(); ++y) {
        uchar* Line = Image.scanLine(y);
        for (int x = 0; x < Area.width(); ++x)
            Line[x] = uchar(std::max(0, Indices[size_t(y * Area.width() + x)]));
    }
    QGuiApplication::clipboard()->setImage(Image);
}

void TSpriteFrm::DeleteSelection() {
    const QRect Area = Target();
    if (Area.isEmpty())
        return;
    const int Colour = DrawingPanel->Colour(1);
    EditPixels(QStringLiteral("Delete"),
               [&](TPixelCanvas& c) { PixelArea::Clear(c, Area, Colour); });
}

void TSpriteFrm::PasteClipboard() {
    const QImage Image = QGuiApplication::clipboard()->image();
    if (Image.isNull())
        throw Exception(QStringLiteral("The clipboard holds no picture to paste"));
    // The picture read as an imported PNG is: by its indices when its palette is the second
    // palette, by exact colour otherwise.
    TPngPicture Picture;
    Picture.Width = uint32_t(Image.width());
    Picture.Height = uint32_t(Image.height());
    if (Image.format() == QImage::Format_Indexed8) {
        Picture.Indexed = true;
        const QVector<QRgb> Table = Image.colorTable();
        Picture.Palette.assign(Table.begin(), Table.end());
        Picture.Pixels.resize(size_t(Image.width()) * size_t(Image.height()));
        for (int y = 0; y < Image.height(); ++y)
            std::copy_n(Image.constScanLine(y), Image.width(),
                        Picture.Pixels.begin() + ptrdiff_t(y) * Image.width());
    } else {
        const QImage Rgba = Image.convertToFormat(QImage::Format_RGBA8888);
        Picture.Pixels.resize(size_t(Image.width()) * size_t(Image.height()) * 4);
        for (int y = 0; y < Rgba.height(); ++y)
            std::copy_n(Rgba.constScanLine(y), Rgba.width() * 4,
                        Picture.Pixels.begin() + ptrdiff_t(y) * Rgba.width() * 4);
    }
    const int Palette = fDocument.SecondPalIndex();
    const TMyByteArray Indices =
        SpritePng::PictureIndices(Picture, fSession.PalletteArray().empty(),
                                  BmpMaker::ColorTable(fSession.PalletteArray(), Palette), Palette);
    TFloating f;
    f.Size = Image.size();
    f.Indices.assign(Indices.begin(), Indices.end());
    const std::optional<QPoint> Under = Pointer();
    f.At = Under && LayoutRect().contains(*Under) ? *Under : fCursor;
    fFloating = std::move(f);
    ShowView();
}

// ---- Tiles ----------------------------------------------------------------------------------

std::pair<int64_t, int64_t> TSpriteFrm::TargetTiles() const {
    // The lowest and the highest tile the selection covers, or the cursor's tile.
    const QRect Area = fSelection
                           ? Target()
                           : QRect(fCursor.x() / 8 * 8, fCursor.y() / 8 * 8, 8, 8) & LayoutRect();
    int64_t First = -1, Last = -1;
    for (int y = Area.top() / 8 * 8; y <= Area.bottom(); y += 8)
        for (int x = Area.left() / 8 * 8; x <= Area.right(); x += 8) {
            const int64_t b = fView.BlockAt(x, y);
            if (b < 0)
                continue;
            First = First < 0 ? b : std::min(First, b);
            Last = std::max(Last, b);
        }
    return {First, Last};
}

void TSpriteFrm::InsertTiles() {
    if (fDocument.FileName().isEmpty())
        return;
    const int64_t Tiles = int64_t(fDocument.SpriteInfo().BlocksArray.size());
    const int64_t At = fView.Groups() == 0 ? Tiles : std::max<int64_t>(0, TargetTiles().first);
    int Count = 1;
    if (!InsertTilesDialog || !InsertTilesDialog(int(TileEdits::MaxInsertedTiles), Count))
        return;
    fDocument.ChangeWords(TileEdits::InsertTiles(fDocument.SpriteInfo().Bytes, At, Count),
                          QStringLiteral("Insert tiles"));
}

void TSpriteFrm::DeleteTiles() {
    const auto [First, Last] = TargetTiles();
    if (First < 0)
        return;
    fSelection.reset();
    fDocument.ChangeWords(
        TileEdits::DeleteTiles(fDocument.SpriteInfo().Bytes, First, Last - First + 1),
        QStringLiteral("Delete tiles"));
}

void TSpriteFrm::DuplicateGroup() {
    const int64_t Tile = TargetTiles().first;
    if (Tile < 0)
        return;
    const int64_t PerGroup = int64_t(fView.BlockSize().x()) * fView.BlockSize().y();
    fDocument.ChangeWords(
        TileEdits::DuplicateGroup(fDocument.SpriteInfo().Bytes, Tile / PerGroup, PerGroup),
        QStringLiteral("Duplicate tile group"));
}

void TSpriteFrm::MoveGroup(bool Earlier) {
    const int64_t Tile = TargetTiles().first;
    if (Tile < 0)
        return;
    const int64_t PerGroup = int64_t(fView.BlockSize().x()) * fView.BlockSize().y();
    const int64_t Group = Tile / PerGroup;
    const int64_t Other = Earlier ? Group - 1 : Group + 1;
    if (Other < 0 || Other >= fView.Groups())
        return;
    fDocument.ChangeWords(
        TileEdits::MoveGroup(fDocument.SpriteInfo().Bytes, Group, PerGroup, Earlier),
        Earlier ? QStringLiteral("Move group earlier") : QStringLiteral("Move group later"));
    // The cursor and the selection go with the group.
    const QPoint Shift = fView.BlockOrigin(Other * PerGroup) / fView.Zoom() -
                         fView.BlockOrigin(Group * PerGroup) / fView.Zoom();
    fCursor += Shift;
    if (fSelection)
        fSelection->translate(Shift);
    ShowView();
}

} // namespace velkora
