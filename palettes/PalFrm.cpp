#include "palettes/PalFrm.h"

namespace velkora {

TPalSel::TPalSel(QWidget* Parent) : QWidget(Parent) {
    setupUi(this);
}

TPalSel::~TPalSel() = default;

} // namespace velkora
