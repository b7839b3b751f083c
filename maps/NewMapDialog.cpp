// SPDX-License-Identifier: MIT
#include "maps/NewMapDialog.h"

#include "maps/MapEditing.h"
#include "widgets/LimitedBox.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

namespace velkora {

TNewMapDialog::TNewMapDialog(const TNewMapChoice& Start, const TMapCellPictures& Pictures,
                             QWidget* Parent)
    : QDialog(Parent), fPictures(Pictures) {
    setWindowTitle(QStringLiteral("New map"));
    auto* Form = new QFormLayout;
    const auto Box = [&](int Value, int Min, int Max, const QString& Suffix) {
        auto* b = new TLimitedBox(Min, Max, this);
        b->setValue(Value);
        b->setSuffix(Suffix);
        return b;
    };
    WidthBox = Box(Start.Width, 1, MaxNewMapSide, QStringLiteral(" cells"));
    HeightBox = Box(Start.Height, 1, MaxNewMapSide, QStringLiteral(" cells"));
    ItemBox = Box(Start.Item, 0, MapItemCount - 1, QString());
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

    Refusal = new QLabel(this);
    Refusal->setWordWrap(true);
    QPalette Red = Refusal->palette();
    Red.setColor(QPalette::WindowText, QColor(200, 0, 0));
    Refusal->setPalette(Red);
    auto* Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    OkButton = Buttons->button(QDialogButtonBox::Ok);
    connect(Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* Main = new QVBoxLayout(this);
    Main->addLayout(Form);
    Main->addWidget(Refusal);
    Main->addWidget(Buttons);

    for (QSpinBox* b : {WidthBox, HeightBox, ItemBox})
        connect(b, &QSpinBox::valueChanged, this, [this] { Check(); });
    Check();
}

bool TNewMapDialog::IsValid() const {
    return static_cast<const TLimitedBox*>(WidthBox)->InLimits() &&
           static_cast<const TLimitedBox*>(HeightBox)->InLimits() &&
           static_cast<const TLimitedBox*>(ItemBox)->InLimits();
}

void TNewMapDialog::Check() {
    QStringList Wrong;
    const std::pair<QSpinBox*, QString> Boxes[] = {{WidthBox, QStringLiteral("The width")},
                                                   {HeightBox, QStringLiteral("The height")},
                                                   {ItemBox, QStringLiteral("The fill item")}};
    for (const auto& [b, What] : Boxes) {
        const QString Refused = static_cast<TLimitedBox*>(b)->Refusal(What);
        if (!Refused.isEmpty())
            Wrong << Refused;
    }
    Refusal->setText(Wrong.join(QLatin1Char('\n')));
    Refusal->setVisible(!Wrong.isEmpty());
    OkButton->setEnabled(Wrong.isEmpty());
    if (static_cast<TLimitedBox*>(ItemBox)->InLimits())
        ShowItem();
}

void TNewMapDialog::accept() {
    // Enter in a box presses OK, which waits for valid values too.
    if (IsValid())
        QDialog::accept();
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
