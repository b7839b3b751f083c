#include "maps/NewMapDialog.h"

#include "maps/MapEditing.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QSpinBox>
#include <QVBoxLayout>

namespace velkora {

TNewMapDialog::TNewMapDialog(const TNewMapChoice& Start, const TMapCellPictures& Pictures,
                             QWidget* Parent)
    : QDialog(Parent), fPictures(Pictures) {
    setWindowTitle(QStringLiteral("New map"));
    auto* Form = new QFormLayout;
    const auto Side = [&](int Value) {
        auto* Box = new QSpinBox(this);
        Box->setRange(1, MaxNewMapSide);
        Box->setValue(Value);
        Box->setSuffix(QStringLiteral(" cells"));
        return Box;
    };
    WidthBox = Side(Start.Width);
    HeightBox = Side(Start.Height);
    ItemBox = new QSpinBox(this);
    ItemBox->setRange(0, MapItemCount - 1);
    ItemBox->setValue(Start.Item);
    fItemPicture = new QLabel(this);
    fItemPicture->setFixedSize(2 * MapCellSize, 2 * MapCellSize);
    fItemText = new QLabel(this);
    auto* ItemRow = new QHBoxLayout;
    ItemRow->addWidget(ItemBox);
    ItemRow->addWidget(fItemPicture);
    ItemRow->addWidget(fItemText, 1);
    Form->addRow(QStringLiteral("&Width:"), WidthBox);
    Form->addRow(QStringLiteral("&Height:"), HeightBox);
    // A row of a layout gets no buddy by itself: the label names the item box.
    auto* ItemLabel = new QLabel(QStringLiteral("&Fill item:"), this);
    ItemLabel->setBuddy(ItemBox);
    Form->addRow(ItemLabel, ItemRow);

    auto* Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* Main = new QVBoxLayout(this);
    Main->addLayout(Form);
    Main->addWidget(Buttons);

    connect(ItemBox, &QSpinBox::valueChanged, this, [this] { ShowItem(); });
    ShowItem();
}

TNewMapChoice TNewMapDialog::Choice() const {
    return {WidthBox->value(), HeightBox->value(), ItemBox->value()};
}

void TNewMapDialog::ShowItem() {
    const int Item = ItemBox->value();
    // Twice its size, pixel for pixel, as the map grid draws it at 2x.
    fItemPicture->setPixmap(QPixmap::fromImage(fPictures.Picture(Item).scaled(
        2 * MapCellSize, 2 * MapCellSize, Qt::IgnoreAspectRatio, Qt::FastTransformation)));
    fItemText->setText(CellValueText(Item));
}

} // namespace velkora
