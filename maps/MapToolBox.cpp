#include "maps/MapToolBox.h"

#include "maps/BrushTool.h"
#include "maps/FillTool.h"
#include "maps/PickTool.h"
#include "maps/RectangleTool.h"

namespace velkora {

TMapToolBox::TMapToolBox(TMapDocument& Document, QObject* Parent)
    : QObject(Parent), TCellTool(Document) {
    fTools[size_t(TMapTool::Brush)] = std::make_unique<TBrushTool>(Document);
    fTools[size_t(TMapTool::Rectangle)] = std::make_unique<TRectangleTool>(Document);
    fTools[size_t(TMapTool::Fill)] = std::make_unique<TFillTool>(Document);
    auto Pick = std::make_unique<TPickTool>(Document);
    Pick->Picked = [this](int Item) { SetItem(Item); };
    fTools[size_t(TMapTool::Pick)] = std::move(Pick);
    // What a tool began on a map is dropped with it.
    connect(&Document, &TMapDocument::MapReplaced, this, [this] { Cancel(); });
}

TMapToolBox::~TMapToolBox() = default;

void TMapToolBox::SetCurrent(TMapTool Tool) {
    Cancel();
    fCurrent = Tool;
}

void TMapToolBox::SetItem(int Item) {
    fItem = Item;
    for (const auto& t : fTools)
        if (auto* Painter = dynamic_cast<TPaintTool*>(t.get()))
            Painter->SetItem(uint8_t(Item));
    emit ItemChanged(Item);
}

void TMapToolBox::Press(QPoint Cell, Qt::KeyboardModifiers Keys) {
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
    return Tool(fCurrent).Cancel();
}

QRect TMapToolBox::PreviewCells(const std::optional<QPoint>& Pointer) const {
    return fTools[size_t(fCurrent)]->PreviewCells(Pointer);
}

int TMapToolBox::Preview(QPoint Cell, const std::optional<QPoint>& Pointer) const {
    return fTools[size_t(fCurrent)]->Preview(Cell, Pointer);
}

} // namespace velkora
