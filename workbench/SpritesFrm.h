#pragma once
// The sprite workbench: pick a library sprite, view it in a size, order and palette, recolour it
// through the palette-set frame, export and import the edit file, save it back into the library.

#include "ui_SpritesFrm.h"

#include <QWidget>

namespace velkora {

class TSpriteFrm : public QWidget, public Ui::TSpriteFrm {
    Q_OBJECT
public:
    explicit TSpriteFrm(QWidget* Parent = nullptr);
    ~TSpriteFrm() override;
};

} // namespace velkora
