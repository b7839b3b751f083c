// SPDX-License-Identifier: MIT
#include "maps/MapStatus.h"

#include "maps/MapDocument.h"
#include "maps/MapEditing.h"
#include "widgets/StatusField.h"

#include <QHBoxLayout>

#include <utility>

namespace velkora {

TMapStatus::TMapStatus(QWidget* Parent) : QWidget(Parent) {
    hide();
    auto* Row = new QHBoxLayout(this);
    Row->setContentsMargins(0, 0, 0, 0);
    Row->setSpacing(16);
    // Each as wide as its longest text.
    const std::pair<TStatusField**, QString> Fields[] = {
        {&CellStatus, QStringLiteral("Cell (65535, 65535): 255, unknown value 255")},
        {&ItemStatus, QStringLiteral("Selected: 49, texture 2 item 24")},
        {&ZoomStatus, QStringLiteral("Zoom 4x")},
        {&SizeStatus, QStringLiteral("Map 65535 x 65535")},
        {&ToolStatus, QStringLiteral("Select: 65535 x 65535 selected")}};
    for (const auto& [Field, Widest] : Fields) {
        *Field = new TStatusField(Widest, this);
        Row->addWidget(*Field);
    }
    Row->addStretch(1);
}

void TMapStatus::ShowCell(const TMapDocument& Document, const std::optional<QPoint>& Cell) {
    QString Text;
    if (Cell && Document.Contains(*Cell)) {
        const int Value = Document.Value(*Cell);
        Text = QStringLiteral("Cell (%1, %2): %3, %4")
                   .arg(Cell->x())
                   .arg(Cell->y())
                   .arg(Value)
                   .arg(CellValueText(Value));
    }
    CellStatus->setText(Text);
}

void TMapStatus::ShowItem(int Item) {
    ItemStatus->setText(QStringLiteral("Selected: %1, %2").arg(Item).arg(CellValueText(Item)));
}

void TMapStatus::ShowZoom(int Zoom) {
    ZoomStatus->setText(QStringLiteral("Zoom %1x").arg(Zoom));
}

void TMapStatus::ShowMap(const TMapDocument& Document) {
    SizeStatus->setText(
        Document.HasMap()
            ? QStringLiteral("Map %1 x %2").arg(Document.Width()).arg(Document.Height())
            : QStringLiteral("No map"));
}

void TMapStatus::ShowTool(const QString& Text) {
    ToolStatus->setText(Text);
}

} // namespace velkora
