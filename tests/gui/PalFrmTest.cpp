#include "tests/gui/GuiTestMain.h"

class PalFrmTest : public QObject {
    Q_OBJECT
};

VELKORA_GUI_TEST_MAIN(PalFrmTest)
#include "PalFrmTest.moc"
