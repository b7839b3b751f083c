#include "tests/gui/GuiTestMain.h"

class MapFrmTest : public QObject {
    Q_OBJECT
};

VELKORA_GUI_TEST_MAIN(MapFrmTest)
#include "MapFrmTest.moc"
