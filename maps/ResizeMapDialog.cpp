// SPDX-License-Identifier: MIT
#include "maps/ResizeMapDialog.h"

#include "maps/CellBlock.h"
#include "maps/MapEditing.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

namespace velkora {

TResizePreview::TResizePreview(QWidget* Parent) : QWidget(Parent) {
    setMinimumSize(220, 160);
}

void TResizePreview::Show(QSize Old, const TResizeChoice& Choice) {
    fOld = Old;
    fChoice = Choice;
    Place();
    update();
}

void TResizePreview::resizeEvent(QResizeEvent* Event) {
    QWidget::resizeEvent(Event);
    Place();
}

void TResizePreview::Place() {
    const QSize Old = fOld;
    const TResizeChoice& c = fChoice;
    // Both maps in one picture: the box around them both, scaled into the widget.
    const QRect OldCells(QPoint(c.DX, c.DY), Old);
    const QRect NewCells(0, 0, c.Width, c.Height);
    const QRect All = OldCells | NewCells;
    const QRect Area = rect().adjusted(6, 6, -6, -6);
    const double Scale = std::min(double(Area.width()) / std::max(All.width(), 1),
                                  double(Area.height()) / std::max(All.height(), 1));
    const auto Map = [&](const QRect& r) {
        return QRect(Area.left() + int((r.left() - All.left()) * Scale),
                     Area.top() + int((r.top() - All.top()) * Scale),
                     std::max(1, int(r.width() * Scale)), std::max(1, int(r.height() * Scale)));
    };
    fOldRect = Map(OldCells);
    fNewRect = Map(NewCells);
}

void TResizePreview::paintEvent(QPaintEvent* Event) {
    Q_UNUSED(Event);
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Base));
    // The new map's cells, the part of the old map that lands in them, and the new map's edge.
    p.fillRect(fNewRect, palette().color(QPalette::AlternateBase));
    p.fillRect(fOldRect, QColor(128, 128, 128, 110));
    p.fillRect(fOldRect & fNewRect, QColor(80, 120, 200, 170));
    p.setPen(QPen(palette().color(QPalette::Text), 1));
    p.drawRect(fNewRect.adjusted(0, 0, -1, -1));
}

TResizeMapDialog::TResizeMapDialog(QSize Old, const TResizeChoice& Start,
                                   const TMapCellPictures& Pictures, QWidget* Parent)
    : QDialog(Parent), fOld(Old), fPictures(Pictures) {
    setWindowTitle(QStringLiteral("Resize map"));
    const auto Box = [&](int Value, int Min, int Max, const QString& Suffix) {
        auto* b = new QSpinBox(this);
        b->setRange(Min, Max);
        b->setValue(Value);
        b->setSuffix(Suffix);
        connect(b, &QSpinBox::valueChanged, this, &TResizeMapDialog::Changed);
        return b;
    };
    const int Side = CellBlocks::MaxSide;
    WidthBox = Box(Start.Width, 1, Side, QStringLiteral(" cells"));
    HeightBox = Box(Start.Height, 1, Side, QStringLiteral(" cells"));
    DXBox = Box(Start.DX, -Side, Side, QStringLiteral(" cells"));
    DYBox = Box(Start.DY, -Side, Side, QStringLiteral(" cells"));
    FillBox = Box(Start.Fill, 0, 255, QString());
    fFillPicture = new QLabel(this);
    fFillPicture->setFixedSize(MapCellSize, MapCellSize);
    auto* FillRow = new QHBoxLayout;
    FillRow->addWidget(FillBox, 1);
    FillRow->addWidget(fFillPicture);

    auto* Form = new QFormLayout;
    Form->addRow(QStringLiteral("&Width:"), WidthBox);
    Form->addRow(QStringLiteral("&Height:"), HeightBox);
    Form->addRow(QStringLiteral("Old cells move &right by:"), DXBox);
    Form->addRow(QStringLiteral("Old cells move &down by:"), DYBox);
    auto* FillLabel = new QLabel(QStringLiteral("&New cells get item:"), this);
    FillLabel->setBuddy(FillBox);
    Form->addRow(FillLabel, FillRow);
    Preview = new TResizePreview(this);
    auto* Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* Main = new QVBoxLayout(this);
    Main->addWidget(
        new QLabel(QStringLiteral("Now %1 x %2 cells.").arg(Old.width()).arg(Old.height()), this));
    Main->addLayout(Form);
    Main->addWidget(Preview, 1);
    Main->addWidget(new QLabel(QStringLiteral("Blue: old cells kept. Grey: old cells cut off. "
                                              "Framed: the new map."),
                               this));
    Main->addWidget(Buttons);
    Changed();
}

TResizeChoice TResizeMapDialog::Choice() const {
    return {WidthBox->value(), HeightBox->value(), DXBox->value(), DYBox->value(),
            FillBox->value()};
}

void TResizeMapDialog::Changed() {
    Preview->Show(fOld, Choice());
    fFillPicture->setPixmap(QPixmap::fromImage(fPictures.Picture(FillBox->value())));
    fFillPicture->setToolTip(CellValueText(FillBox->value()));
}

} // namespace velkora
