// SPDX-License-Identifier: MIT
#include "maps/MapToolBox.h"

#include "maps/BrushTool.h"
#include "maps/FillTool.h"
#include "maps/MapSelection.h"
#include "maps/PasteTool.h"
#include "maps/PickTool.h"
#include "maps/RectangleTool.h"
#include "maps/SelectTool.h"

namespace velkora {

TMapToolBox::TMapToolBox(TMapDocument& Document, QObject* Parent)
    : QObject(Parent), TCellTool(Document), fSelection(std::make_unique<TMapSelection>(Document)),
      fPaste(std::make_unique<TPasteTool>(Document)) {
    fTools[size_t(TMapTool::Brush)] = std::make_unique<TBrushTool>(Document);
    fTools[size_t(TMapTool::Rectangle)] = std::make_unique<TRectangleTool>(Document);
    fTools[size_t(TMapTool::Fill)] = std::make_unique<TFillTool>(Document);
    auto Pick = std::make_unique<TPickTool>(Document);
    Pick->Picked = [this](int Item) { SetItem(Item); };
    fTools[size_t(TMapTool::Pick)] = std::move(Pick);
    fTools[size_t(TMapTool::Select)] = std::make_unique<TSelectTool>(Document, *fSelection);
    // What a tool began on a map is dropped with it.
    connect(&Document, &TMapDocument::MapReplaced, this, [this] { Cancel(); });
}

TMapToolBox::~TMapToolBox() = default;

void TMapToolBox::SetCurrent(TMapTool Tool) {
    Cancel();
    fCurrent = Tool;
}

void TMapToolBox::SetItem(int Item) {
    SetStamp(TCellBlock(1, 1, uint8_t(Item)));
}

void TMapToolBox::SetStamp(const TCellBlock& Stamp) {
    if (Stamp.IsEmpty())
        return;
    fStamp = Stamp;
    fItem = Stamp.Value(0, 0);
    for (const auto& t : fTools)
        if (auto* Painter = dynamic_cast<TPaintTool*>(t.get()))
            Painter->SetStamp(Stamp);
    emit ItemChanged(fItem);
}

void TMapToolBox::Flip(bool Horizontal, bool Vertical) {
    SetStamp(fStamp.Flipped(Horizontal, Vertical));
}

void TMapToolBox::Paste(const TCellBlock& Block) {
    if (Block.IsEmpty())
        return;
    Tool(fCurrent).Cancel();
    fPressed = nullptr;
    fPaste->Start(Block);
    emit PastingChanged(true);
}

bool TMapToolBox::Pasting() const {
    return fPaste->Active();
}

const TCellBlock& TMapToolBox::PasteBlock() const {
    return fPaste->Block();
}

TCellTool& TMapToolBox::InUse() const {
    return fPaste->Active() ? *fPaste : *fTools[size_t(fCurrent)];
}

void TMapToolBox::Press(QPoint Cell, Qt::KeyboardModifiers Keys) {
    if (fPaste->Active()) {
        fPressed = nullptr;
        fPaste->Press(Cell, Keys);
        emit PastingChanged(false);
        return;
    }
    fPressed = Keys & Qt::AltModifier ? &Tool(TMapTool::Pick) : &Tool(fCurrent);
    fPressed->Press(Cell, Keys);
}

void TMapToolBox::Move(QPoint Cell) {
    if (fPressed)
        fPressed->Move(Cell);
}

void TMapToolBox::Release(QPoint Cell) {
    TCellTool* Pressed = fPressed;
    fPressed = nullptr;
    if (Pressed)
        Pressed->Release(Cell);
}

bool TMapToolBox::Cancel() {
    fPressed = nullptr;
    if (fPaste->Cancel()) {
        emit PastingChanged(false);
        return true;
    }
    return Tool(fCurrent).Cancel();
}

bool TMapToolBox::Floating() const {
    return fPaste->Active();
}

QRect TMapToolBox::PreviewCells(const std::optional<QPoint>& Pointer) const {
    return InUse().PreviewCells(Pointer);
}

int TMapToolBox::Preview(QPoint Cell, const std::optional<QPoint>& Pointer) const {
    return InUse().Preview(Cell, Pointer);
}

std::optional<QRegion> TMapToolBox::Outline() const {
    return InUse().Outline();
}

} // namespace velkora
