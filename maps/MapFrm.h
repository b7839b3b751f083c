#pragma once
// The map workspace: choose a map, paint its cells with items of two textures, pan, save.

#include "ui_MapFrm.h"

#include <QWidget>

namespace velkora {

class TMainForm : public QWidget, public Ui::TMainForm {
    Q_OBJECT
public:
    explicit TMainForm(QWidget* Parent = nullptr);
    ~TMainForm() override;
};

} // namespace velkora
