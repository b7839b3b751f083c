#include "palettes/ChangePalletteFrm.h"

namespace velkora {

TChPalFrm* fChPalFrm = nullptr;

TChPalFrm::TChPalFrm(QWidget* Parent) : QWidget(Parent) {
    setupUi(this);
}

TChPalFrm::~TChPalFrm() {
    if (fChPalFrm == this)
        fChPalFrm = nullptr;
}

void TChPalFrm::PalCmbChange() {}

} // namespace velkora
