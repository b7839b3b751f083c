// SPDX-License-Identifier: MIT
#include "workbench/PngLayoutDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

#include <limits>

namespace velkora {

TPngLayoutDialog::TPngLayoutDialog(const QString& Name, QSize Picture, const TSpriteLayout& Start,
                                   QWidget* Parent)
    : QDialog(Parent), fPicture(Picture), fStart(Start) {
    setWindowTitle(QStringLiteral("Import PNG"));
    auto* Question = new QLabel(QStringLiteral("\"%1\" (%2 x %3 pixels) does not say how its "
                                               "tiles are laid out. Read it as:")
                                    .arg(Name)
                                    .arg(Picture.width())
                                    .arg(Picture.height()),
                                this);
    Question->setWordWrap(true);
    SizeBox = new QComboBox(this);
    for (const char* Size : SpriteSizeNames)
        SizeBox->addItem(QLatin1String(Size));
    SizeBox->setCurrentIndex(Start.SizeIndex);
    OrderBox = new QComboBox(this);
    OrderBox->addItems({QStringLiteral("CW"), QStringLiteral("CCW")});
    OrderBox->setCurrentIndex(Start.IsCW ? 0 : 1);
    BlocksBox = new QSpinBox(this);
    BlocksBox->setRange(1, std::numeric_limits<int>::max());
    BlocksBox->setValue(int(std::clamp<int64_t>(Start.Blocks, 1, BlocksBox->maximum())));
    fRoom = new QLabel(this);
    auto* Form = new QFormLayout;
    Form->addRow(QStringLiteral("&Size:"), SizeBox);
    Form->addRow(QStringLiteral("&Direction:"), OrderBox);
    Form->addRow(QStringLiteral("&Blocks:"), BlocksBox);
    Form->addRow(QString(), fRoom);

    auto* Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* Main = new QVBoxLayout(this);
    Main->addWidget(Question);
    Main->addLayout(Form);
    Main->addWidget(Buttons);
    connect(SizeBox, &QComboBox::currentIndexChanged, this, [this] { ShowRoom(); });
    ShowRoom();
}

TSpriteLayout TPngLayoutDialog::Choice() const {
    TSpriteLayout Layout = fStart;
    Layout.SizeIndex = SizeBox->currentIndex();
    Layout.IsCW = OrderBox->currentIndex() == 0;
    Layout.Blocks = BlocksBox->value();
    return Layout;
}

void TPngLayoutDialog::ShowRoom() {
    TSpriteLayout Layout = Choice();
    const int w = Layout.GroupWidth();
    const int h = Layout.GroupHeight();
    if (fPicture.width() % w != 0 || fPicture.height() % h != 0) {
        fRoom->setText(
            QStringLiteral("The picture is not a whole number of %1 x %2 groups.").arg(w).arg(h));
        return;
    }
    const int64_t Room =
        int64_t(fPicture.width() / w) * (fPicture.height() / h) * Layout.BlocksPerGroup();
    fRoom->setText(QStringLiteral("The picture holds %1 blocks of this size.").arg(Room));
}

} // namespace velkora
