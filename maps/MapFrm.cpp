#include "maps/MapFrm.h"

namespace velkora {

TMainForm::TMainForm(QWidget* Parent) : QWidget(Parent) {
    setupUi(this);
}

TMainForm::~TMainForm() = default;

} // namespace velkora
