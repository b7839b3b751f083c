#include "workbench/SpritesFrm.h"

namespace velkora {

TSpriteFrm::TSpriteFrm(QWidget* Parent) : QWidget(Parent) {
    setupUi(this);
}

TSpriteFrm::~TSpriteFrm() = default;

} // namespace velkora
