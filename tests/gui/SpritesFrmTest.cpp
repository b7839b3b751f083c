#include "tests/gui/GuiTestMain.h"

class SpritesFrmTest : public QObject {
    Q_OBJECT
};

VELKORA_GUI_TEST_MAIN(SpritesFrmTest)
#include "SpritesFrmTest.moc"
