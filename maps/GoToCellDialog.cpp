// SPDX-License-Identifier: MIT
#include "maps/GoToCellDialog.h"

#include "widgets/LimitedBox.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace velkora {

TGoToCellDialog::TGoToCellDialog(QPoint Start, QSize Map, QWidget* Parent) : QDialog(Parent) {
    setWindowTitle(QStringLiteral("Go to cell"));
    const auto Box = [this](int Value, int Count) {
        auto* b = new TLimitedBox(0, std::max(0, Count - 1), this);
        b->setValue(Value);
        return b;
    };
    ColumnBox = Box(Start.x(), Map.width());
    RowBox = Box(Start.y(), Map.height());
    Refusal = new QLabel(this);
    QPalette Red = Refusal->palette();
    Red.setColor(QPalette::WindowText, QColor(200, 0, 0));
    Refusal->setPalette(Red);
    auto* Form = new QFormLayout;
    Form->addRow(QStringLiteral("&Column:"), ColumnBox);
    Form->addRow(QStringLiteral("&Row:"), RowBox);
    auto* Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    OkButton = Buttons->button(QDialogButtonBox::Ok);
    connect(Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* Main = new QVBoxLayout(this);
    Main->addLayout(Form);
    Main->addWidget(Refusal);
    Main->addWidget(Buttons);
    for (TLimitedBox* b : {ColumnBox, RowBox})
        connect(b, &QSpinBox::valueChanged, this, [this] { Check(); });
    Check();
    ColumnBox->selectAll();
}

void TGoToCellDialog::Check() {
    QStringList Wrong;
    for (const auto& [Box, What] : {std::pair(ColumnBox, QStringLiteral("The column")),
                                    std::pair(RowBox, QStringLiteral("The row"))}) {
        const QString Refused = Box->Refusal(What);
        if (!Refused.isEmpty())
            Wrong << Refused;
    }
    Refusal->setText(Wrong.join(QLatin1Char('\n')));
    Refusal->setVisible(!Wrong.isEmpty());
    OkButton->setEnabled(Wrong.isEmpty());
}

void TGoToCellDialog::accept() {
    if (OkButton->isEnabled())
        QDialog::accept();
}

QPoint TGoToCellDialog::Cell() const {
    return QPoint(ColumnBox->value(), RowBox->value());
}

} // namespace velkora
