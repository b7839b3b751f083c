#pragma once
// The selector popup: a borderless grid of equal, clickable, coloured and labelled items with a
// hover highlight. It knows nothing of palettes: its owner supplies colours and texts.

#include "ui_PalFrm.h"

#include <QWidget>

namespace velkora {

class TPalSel : public QWidget, public Ui::TPalSel {
    Q_OBJECT
public:
    explicit TPalSel(QWidget* Parent = nullptr);
    ~TPalSel() override;
};

} // namespace velkora
