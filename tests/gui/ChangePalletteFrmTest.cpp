#include "tests/gui/GuiTestMain.h"

class ChangePalletteFrmTest : public QObject {
    Q_OBJECT
};

VELKORA_GUI_TEST_MAIN(ChangePalletteFrmTest)
#include "ChangePalletteFrmTest.moc"
