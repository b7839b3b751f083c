// SPDX-License-Identifier: MIT
#pragma once
// View > Go to cell...: asks for a cell of the map by its column and row.

#include <QDialog>
#include <QPoint>
#include <QSize>

class QLabel;
class QPushButton;

namespace velkora {

class TLimitedBox;

class TGoToCellDialog : public QDialog {
    Q_OBJECT
public:
    // Starts at Start, offering the cells of a map of Map.width() x Map.height().
    TGoToCellDialog(QPoint Start, QSize Map, QWidget* Parent = nullptr);
    QPoint Cell() const;
    void accept() override;

    // A number beyond the map stays as typed and is refused; OK waits for a cell of the map.
    TLimitedBox* ColumnBox = nullptr;
    TLimitedBox* RowBox = nullptr;
    QLabel* Refusal = nullptr;
    QPushButton* OkButton = nullptr;

private:
    void Check();
};

} // namespace velkora
