#pragma once
// main() for the Qt Test programs: the application object is the editor's own, so errors that
// escape handlers are reported as in the editor (to a sink the tests can read).

#include "shell/Application.h"

#include <QTest>

#include <csignal>

#define VELKORA_GUI_TEST_MAIN(TestClass)                                                           \
    int main(int argc, char** argv) {                                                              \
        std::signal(SIGXFSZ, SIG_IGN);                                                             \
        velkora::TApplication App(argc, argv);                                                     \
        App.setAttribute(Qt::AA_Use96Dpi, true);                                                   \
        TestClass Test;                                                                            \
        return QTest::qExec(&Test, argc, argv);                                                    \
    }
