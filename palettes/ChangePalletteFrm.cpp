// SPDX-License-Identifier: MIT
#include "palettes/ChangePalletteFrm.h"

#include "ui_ChangePalletteFrm.h"

#include "palettes/BmpMaker.h"
#include "shell/Session.h"
#include "widgets/ErrorReport.h"
#include "widgets/Questions.h"
#include "workbench/SpriteDocument.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalBlocker>
#include <QStyle>
#include <QWheelEvent>

#include <algorithm>

namespace velkora {

namespace {

// Calls a callback of the owner when it is set. A copy runs: the owner may replace its
// callbacks from inside one.
template <typename F, typename... A> void CallIfSet(const F& Callback, A... Args) {
    if (Callback) {
        const F Copy = Callback;
        Copy(Args...);
    }
}

} // namespace

TChPalFrm::TChPalFrm(TSession& Session, TSpriteDocument* Document, QWidget* Parent)
    : QWidget(Parent), fSession(Session), fDocument(Document) {
    fUi = std::make_unique<Ui::TChPalFrm>();
    fUi->setupUi(this);
    Panel1 = fUi->Panel1;
    FirstPalPanel = fUi->FirstPalPanel;
    FirstPalCmbPanel = fUi->FirstPalCmbPanel;
    CmbIcon = fUi->CmbIcon;
    SecondPalCMB = fUi->SecondPalCMB;
    SecondCmbIcon = fUi->SecondCmbIcon;
    Resetbtn = fUi->Resetbtn;
    PalCmb = fUi->PalCmb;
    Addbtn = fUi->Addbtn;
    ImageList1 = {QImage(QStringLiteral(":/palettes/images/chevron.png")),
                  QImage(QStringLiteral(":/palettes/images/chevron_hot.png"))};
    for (TImageControl* Icon : {CmbIcon, SecondCmbIcon}) {
        connect(Icon, &TImageControl::Click, this, [this](TImageControl* s) { CmbIconClick(s); });
        connect(Icon, &TImageControl::MouseEnter, this,
                [this](TImageControl* s) { CmbIconMouseEnter(s); });
        connect(Icon, &TImageControl::MouseLeave, this,
                [this](TImageControl* s) { CmbIconMouseLeave(s); });
    }
    connect(Resetbtn, &QPushButton::clicked, this, [this] { ResetbtnClick(); });
    connect(Addbtn, &QPushButton::clicked, this, [this] { AddbtnClick(); });
    connect(PalCmb, &QComboBox::currentIndexChanged, this, [this](int Index) {
        fChangedTo = Index;
        PalCmbChange();
    });
    // Choosing the set the list shows once more applies it again where it is not what the
    // sprite shows (after an undo, say); a choice that changed the selection applied it already.
    connect(PalCmb, &QComboBox::activated, this, [this](int Index) {
        const bool JustChanged = fChangedTo == Index;
        fChangedTo = -1;
        if (!JustChanged && !SetIsApplied(Index))
            PalCmbChange();
    });
    // Wheel notifications over any part of the frame, whichever child is under the pointer and
    // whether or not that child uses the wheel itself.
    qApp->installEventFilter(this);
    // The palettes start as the first two of the session's.
    if (fDocument)
        fDocument->SetPalettes(0, 0);
    RunReported([&] { FormCreate(); });
    // The set list follows the session's palette sets.
    connect(&fSession, &TSession::PalSetsChanged, this, [this] { FillPalCmb(); });
    connect(&fSession.Palettes(), &TPaletteDocument::PalettesChanged, this,
            &TChPalFrm::RepaintSwatches);
    if (fDocument) {
        connect(fDocument, &TSpriteDocument::MappingChanged, this,
                &TChPalFrm::DocumentMappingChanged);
        connect(fDocument, &TSpriteDocument::PalettesChanged, this, &TChPalFrm::ShowPalettes);
        connect(fDocument, &TSpriteDocument::SpriteLoaded, this, &TChPalFrm::DocumentLoaded);
        // Without its document the frame shows the palettes and mapping it falls back on.
        connect(fDocument, &QObject::destroyed, this, [this] { ShowDocument(); });
    }
}

TChPalFrm::~TChPalFrm() {
    if (qApp)
        qApp->removeEventFilter(this);
}

const TPalletteList& TChPalFrm::Palettes() const {
    return fSession.PalletteArray();
}

int32_t TChPalFrm::FirstPalIndex() const {
    return fDocument ? fDocument->FirstPalIndex() : 0;
}

int32_t TChPalFrm::SecondPalIndex() const {
    return fDocument ? fDocument->SecondPalIndex() : 0;
}

const TPalletteArray& TChPalFrm::PalletteSet() const {
    static const TPalletteArray Identity = MyTypes::IdentityPallette();
    return fDocument ? fDocument->PalletteSet() : Identity;
}

void TChPalFrm::SetPalletteSet(const TPalletteArray& Value) {
    Recolour(Value);
}

void TChPalFrm::Recolour(const TPalletteArray& Mapping) {
    if (fDocument)
        fDocument->Recolour(Mapping);
}

const TPalSetArray& TChPalFrm::PalSetArray() const {
    return fSession.PalSets();
}

void TChPalFrm::FormCreate() {
    fFocusedCmb = -1;
    wc = 0;
    fStripShowsFirst = true;

    const int32_t N = int32_t(Palettes().size());
    fFirstPalCMB = new TPalSel(this);
    fFirstPalCMB->SetItemWidth(73);
    fFirstPalCMB->Init(N, 1);
    fFirstPalCMB->SetSelectMode(smFull);
    fFirstPalCMB->SetfColorProc([this](int32_t) { return palette().color(QPalette::Base); });
    fFirstPalCMB->SetTextOutProc([](int32_t i) { return QString::number(i + 1); });
    fFirstPalCMB->SetOnSelectItem([this](TImageControl* Item) { FirstPalCMBSelectItem(Item); });
    fFirstPalCMB->hide();

    // The three strips take their colours from the document whenever ShowDocument repaints them.
    fFirstPal = new TPalSel(FirstPalPanel);
    fFirstPal->Init(1, 16);
    fFirstPal->SetSelecteble(false);
    fFirstPal->hide();

    fPalSel = new TPalSel(Panel1);
    fPalSel->Init(1, 16);
    fPalSel->SetOnSelectItem([this](TImageControl* Item) { PalSelSelectItem(Item); });
    fPalSel->SetOnChangeHL([this](TImageControl* Item) { PalSelChangeHL(Item); });

    fComboSel = new TPalSel(this);
    fComboSel->Init(4, 4);
    fComboSel->SetOnSelectItem([this](TImageControl* Item) { ComboSelSelectItem(Item); });
    fComboSel->SetCloseAfterSelect(true);
    fComboSel->hide();

    const std::pair<TPalSel*, std::pair<const char*, const char*>> Words[] = {
        {fFirstPalCMB, {"Palette list", "The game's palettes, numbered from 1"}},
        {fFirstPal, {"First palette's colours", "The first palette's 16 colours, index 0 to 15"}},
        {fPalSel,
         {"Colour mapping",
          "The sprite's colour indices 0 to 15 as they show now, in the second palette: click "
          "one to choose the colour it becomes"}},
        {fComboSel, {"Colour chooser", "Choose the colour this colour index becomes"}}};
    for (const auto& [Selector, Text] : Words) {
        Selector->setAccessibleName(QString::fromUtf8(Text.first));
        Selector->setToolTip(QString::fromUtf8(Text.second));
    }

    ShowDocument();
    for (TImageControl* Icon : {CmbIcon, SecondCmbIcon})
        DrawChevron(Icon, 0);

    // The sets as the session holds them (a list that could not be read was reported at start-up
    // and holds what was read before the error).
    FillPalCmb();
}

// ---- Colours --------------------------------------------------------------------------------

QColor TChPalFrm::PalColor(int32_t p, int32_t c) const {
    const TPalletteList& PalletteArray = Palettes();
    if (p < 0 || size_t(p) >= PalletteArray.size() || c < 0 || c > 15)
        return palette().color(QPalette::Base);
    const TCol& Col = PalletteArray[size_t(p)].Col[size_t(c)];
    return QColor(Col.R, Col.G, Col.B);
}

QColor TChPalFrm::SecondColorFunc(int32_t i) const {
    if (i < 0 || i > 15)
        return palette().color(QPalette::Base);
    return PalColor(SecondPalIndex(), PalletteSet()[size_t(i)]);
}

void TChPalFrm::ShowDocument() {
    fShownFirst = fShownSecond = -1;
    ShowPalettes();
}

void TChPalFrm::ShowPalettes() {
    if (!fPalSel)
        return;
    // What shows a palette that is shown already is left as it is.
    const int32_t First = FirstPalIndex();
    const int32_t Second = SecondPalIndex();
    if (First != fShownFirst) {
        WritePalNumber(CmbIcon, First + 1);
        fFirstPal->SetfColorProc([this, First](int32_t i) { return PalColor(First, i); });
    }
    if (Second != fShownSecond) {
        WritePalNumber(SecondCmbIcon, Second + 1);
        // Chooser item t stands for colour index t - 1, so it shows that colour of the palette
        // the sprite is drawn in, whatever the mapping is.
        fComboSel->SetfColorProc([this, Second](int32_t i) { return PalColor(Second, i); });
    }
    fShownFirst = First;
    fShownSecond = Second;
    ShowMapping();
}

void TChPalFrm::ShowMapping() {
    if (!fPalSel)
        return;
    const int32_t First = FirstPalIndex();
    if (fStripShowsFirst)
        fPalSel->SetfColorProc([this, First](int32_t i) { return PalColor(First, i); });
    else
        fPalSel->SetfColorProc([this](int32_t i) { return SecondColorFunc(i); });
}

void TChPalFrm::ShowMappedStrip() {
    fStripShowsFirst = false;
    ShowMapping();
}

// ---- Palette selectors ----------------------------------------------------------------------

void TChPalFrm::WritePalNumber(TImageControl* Icon, int32_t Number) {
    // Clear the number field first, so that a shorter number leaves no digit of a longer one.
    Icon->BrushColor = Qt::white;
    Icon->FillRect(QRect(0, 0, std::max(Icon->width() - 24, 0), Icon->height()));
    Icon->FontHeight = 15;
    Icon->TextOut(4, 4, QString::number(Number));
    Icon->update();
}

void TChPalFrm::DrawChevron(TImageControl* Icon, int Picture) {
    Icon->Draw(Icon->width() - 24, 0, ImageList1[size_t(Picture)]);
    Icon->repaint();
}

void TChPalFrm::CmbIconMouseEnter(TImageControl* Sender) {
    fFocusedCmb = Sender->Tag();
    DrawChevron(Sender, 1);
}

void TChPalFrm::CmbIconMouseLeave(TImageControl* Sender) {
    // While the palette list is open, the selector last entered stays the one it acts on.
    if (fFirstPalCMB->isHidden())
        fFocusedCmb = -1;
    DrawChevron(Sender, 0);
}

void TChPalFrm::CmbIconClick(TImageControl* Sender) {
    if (fFirstPalCMB->isHidden()) {
        fFirstPalCMB->show();
        fFirstPalCMB->raise();
    } else {
        fFirstPalCMB->hide();
    }
    PlacePaletteList(Sender->parentWidget());
}

void TChPalFrm::PlacePaletteList(const QWidget* Panel) {
    const int Top = Panel->y() + Panel->height() + 1;
    fFirstPalCMB->move(Panel->x() + 2, Top);
    // A list taller than the room below the selector shows as many whole items as fit and
    // scrolls the rest, so that every palette stays reachable.
    const QSize Grid = fFirstPalCMB->GridSize();
    const int Pitch = std::max(fFirstPalCMB->ItemHeight() - 1, 1);
    const int Room = std::max(height() - Top, Pitch);
    if (Grid.height() <= Room) {
        fFirstPalCMB->resize(Grid);
        return;
    }
    const int BarWidth = fFirstPalCMB->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    fFirstPalCMB->resize(Grid.width() + BarWidth, Room / Pitch * Pitch);
}

void TChPalFrm::FirstPalCMBSelectItem(TImageControl* Item) {
    const int32_t t = Item->Tag();
    if (fFocusedCmb == 1) {
        // The mapping strip shows the first palette unmapped until the mapping changes.
        fStripShowsFirst = true;
        ChoosePalettes(t - 1, SecondPalIndex());
    } else if (fFocusedCmb == 2) {
        fStripShowsFirst = false;
        ChoosePalettes(FirstPalIndex(), t - 1);
    }
    fFirstPalCMB->hide();
    fFocusedCmb = -1;
}

void TChPalFrm::ChoosePalettes(int32_t First, int32_t Second) {
    // A change shows through the document's PalettesChanged; the same palettes chosen again
    // are shown here (the mapping strip may show another palette now).
    const bool Same = First == FirstPalIndex() && Second == SecondPalIndex();
    if (fDocument)
        fDocument->SetPalettes(First, Second);
    if (!fDocument || Same)
        ShowPalettes();
    CallIfSet(fOnChangeFirstPal);
}

std::optional<std::pair<int32_t, int32_t>> TChPalFrm::SwatchColour(const QObject* Swatch) const {
    for (int i = 0; fFirstPal && i < fFirstPal->ItemCount(); ++i)
        if (fFirstPal->Item(i) == Swatch)
            return std::pair(FirstPalIndex(), int32_t(i));
    for (int i = 0; fPalSel && i < fPalSel->ItemCount(); ++i) {
        if (fPalSel->Item(i) != Swatch)
            continue;
        // The mapping strip shows entry i of the mapping in the second palette, or, just after a
        // first palette is chosen, that palette's colour i.
        if (fStripShowsFirst)
            return std::pair(FirstPalIndex(), int32_t(i));
        return std::pair(SecondPalIndex(), PalletteSet()[size_t(i)]);
    }
    return std::nullopt;
}

void TChPalFrm::RepaintSwatches() {
    for (TPalSel* Strip : {fFirstPal, fPalSel, fComboSel})
        if (Strip && Strip->ColorProc())
            Strip->SetfColorProc(Strip->ColorProc());
}

// ---- Mouse wheel ----------------------------------------------------------------------------

bool TChPalFrm::eventFilter(QObject* Watched, QEvent* Event) {
    if (Event->type() == QEvent::MouseButtonDblClick) {
        const auto Swatch = SwatchColour(Watched);
        if (!Swatch || static_cast<const QMouseEvent*>(Event)->button() != Qt::LeftButton)
            return false;
        fComboSel->hide();
        emit EditColour(Swatch->first, Swatch->second);
        return true;
    }
    if (Event->type() != QEvent::Wheel || !Watched->isWidgetType())
        return false;
    auto* Receiver = static_cast<QWidget*>(Watched);
    if (Receiver != this && !isAncestorOf(Receiver))
        return false;
    const auto* Wheel = static_cast<const QWheelEvent*>(Event);
    // Sideways scrolling and the empty begin/end events of some devices are no wheel steps.
    if (Wheel->angleDelta().y() == 0)
        return false;
    // A notification from the device arrives spontaneous at the widget under the pointer; when
    // that widget ignores it, Qt hands the same notification on to its parents, no longer
    // spontaneous and with the same time stamp. Only its first arrival counts.
    if (Wheel->spontaneous()) {
        fWheelReceiver = Receiver;
        fWheelTime = Wheel->timestamp();
    } else if (fWheelReceiver && Wheel->timestamp() == fWheelTime &&
               Receiver->isAncestorOf(fWheelReceiver)) {
        return false;
    }
    // The palette list scrolls under the wheel when it is too tall for the frame.
    if (fFirstPalCMB && fFirstPalCMB->isVisible() && fFirstPalCMB->Scrolls() &&
        (Receiver == fFirstPalCMB || fFirstPalCMB->isAncestorOf(Receiver)))
        return false;
    FormMouseWheel(Wheel->angleDelta().y());
    return false;
}

void TChPalFrm::FormMouseWheel(int WheelDelta) {
    ++wc;
    if (wc % 2 == 0)
        return;
    if (fFocusedCmb != 1 && fFocusedCmb != 2)
        return;
    const int32_t N = int32_t(Palettes().size());
    if (N == 0)
        return;
    const int32_t Step = WheelDelta < 0 ? 1 : -1;
    fStripShowsFirst = false;
    if (fFocusedCmb == 1) {
        // The first selector's wheel moves both palettes together.
        const int32_t Both = std::max(std::min(FirstPalIndex() + Step, N - 1), 0);
        ChoosePalettes(Both, Both);
    } else {
        ChoosePalettes(FirstPalIndex(), std::max(std::min(SecondPalIndex() + Step, N - 1), 0));
    }
}

// ---- Editing one mapping entry --------------------------------------------------------------

void TChPalFrm::PalSelSelectItem(TImageControl* Item) {
    fComboSel->show();
    fComboSel->raise();
    fComboSel->move(Panel1->x() + Item->x() + 2, Panel1->y() + Item->y() + Item->height());
    fCurSelpalIndex = Item->Tag();
}

void TChPalFrm::PalSelChangeHL(TImageControl*) {
    fComboSel->hide();
}

void TChPalFrm::ComboSelSelectItem(TImageControl* Item) {
    const int32_t t = Item->Tag();
    if (fCurSelpalIndex < 1 || fCurSelpalIndex > 16)
        return;
    TPalletteArray Mapping = PalletteSet();
    Mapping[size_t(fCurSelpalIndex - 1)] = t - 1;
    {
        // An entry edited by hand leaves the set list as it is: the selected set is what the
        // next sprite is loaded with.
        fEditingEntry = true;
        const auto Edited = qScopeGuard([this] { fEditingEntry = false; });
        Recolour(Mapping);
    }
    // A changed mapping showed through the document's MappingChanged.
    if (fStripShowsFirst)
        ShowMappedStrip();
    CallIfSet(fOnSetPalSwap, fCurSelpalIndex, t);
}

void TChPalFrm::FormClick() {
    fComboSel->hide();
}

void TChPalFrm::mousePressEvent(QMouseEvent* Event) {
    fBackgroundPressed = Event->button() == Qt::LeftButton;
    Event->accept();
}

void TChPalFrm::mouseReleaseEvent(QMouseEvent* Event) {
    Event->accept();
    if (Event->button() != Qt::LeftButton)
        return;
    const bool Clicked = fBackgroundPressed && rect().contains(Event->position().toPoint());
    fBackgroundPressed = false;
    if (Clicked)
        FormClick();
}

// ---- Painting -------------------------------------------------------------------------------

void TChPalFrm::paintEvent(QPaintEvent*) {
    FormPaint();
}

void TChPalFrm::FormPaint() {
    if (fPalSel && fPalSel->isHidden())
        fPalSel->show();
    if (fFirstPal && fFirstPal->isHidden())
        fFirstPal->show();
}

// ---- Palette sets ---------------------------------------------------------------------------

void TChPalFrm::PalCmbChange() {
    const std::optional<TPalletteArray> Set = SelectedSet();
    if (!Set)
        return;
    Recolour(*Set);
    if (fStripShowsFirst)
        ShowMappedStrip();
    CallIfSet(fOnSetPalSwap, 0, 0);
}

std::optional<TPalletteArray> TChPalFrm::SelectedSet() const {
    const int Index = PalCmb->currentIndex();
    if (Index < 0 || size_t(Index) >= PalSetArray().size())
        return std::nullopt;
    return PalSetArray()[size_t(Index)].pal;
}

void TChPalFrm::DocumentMappingChanged() {
    if (!fEditingEntry)
        ShowAppliedSet();
    ShowMappedStrip();
}

void TChPalFrm::ShowAppliedSet() {
    // The selected set when it is the mapping, else the first set that is, else none.
    const TPalletteArray& Mapping = PalletteSet();
    const TPalSetArray& Sets = PalSetArray();
    const int Selected = PalCmb->currentIndex();
    if (Selected >= 0 && size_t(Selected) < Sets.size() && Sets[size_t(Selected)].pal == Mapping)
        return;
    const auto Found = std::find_if(Sets.begin(), Sets.end(),
                                    [&](const TPalSet& Set) { return Set.pal == Mapping; });
    const QSignalBlocker Blocker(PalCmb);
    PalCmb->setCurrentIndex(Found == Sets.end() ? -1 : int(Found - Sets.begin()));
}

bool TChPalFrm::SetIsApplied(int Index) const {
    if (!fDocument || Index < 0 || size_t(Index) >= PalSetArray().size())
        return true;
    const TPalletteArray& Set = PalSetArray()[size_t(Index)].pal;
    return fDocument->PalletteSet() == Set && fDocument->AppliedMapping() == Set;
}

void TChPalFrm::DocumentLoaded() {
    // A load takes the selected set as the mapping, as a change of the set list does.
    if (SelectedSet())
        ShowMappedStrip();
}

void TChPalFrm::FillPalCmb() {
    const QSignalBlocker Blocker(PalCmb);
    PalCmb->clear();
    for (const TPalSet& Set : PalSetArray())
        PalCmb->addItem(Set.Name);
    PalCmb->setCurrentIndex(PalSetArray().empty() ? -1 : 0);
}

void TChPalFrm::AddbtnClick() {
    TPalSet cSet;
    cSet.pal = PalletteSet();
    // A parameters file that leads outside the data root is written only when the user says so.
    if (!MayWriteOutsideRoot(this, fSession.CurrentDir(), fSession.XMLDocument()->FileName))
        return;
    AddPalSet(cSet, fSession.XMLDocument());
}

void TChPalFrm::ResetbtnClick() {
    if (fDocument)
        fDocument->Reset();
    if (fStripShowsFirst)
        ShowMappedStrip();
    CallIfSet(fOnResetbtnClick);
}

void TChPalFrm::ResetPalSet() {
    Recolour(MyTypes::IdentityPallette());
}

namespace {

TXMLDocument& Document(TXMLDocument* XMLDoc) {
    if (!XMLDoc)
        throw Exception(QStringLiteral("The parameters document has not been created"));
    return *XMLDoc;
}

} // namespace

void TChPalFrm::LoadPalSets(TPalSetArray& sa, TXMLDocument* XMLDoc) const {
    ParamsFile::ReadPalSets(Document(XMLDoc), sa);
}

void TChPalFrm::AddPalSet(const TPalSet& cSet, TXMLDocument* XMLDoc) const {
    // The session's document is the one the frame was given.
    Q_UNUSED(XMLDoc);
    fSession.AddPalSet(cSet.pal);
}

} // namespace velkora
