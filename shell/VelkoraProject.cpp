// The program body: unit start-up steps in order, the main window, the message loop.

#include "shell/Application.h"
#include "sprites/SpriteEditor.h"

#include <QMainWindow>

#include <csignal>

int main(int argc, char** argv) {
    std::signal(SIGXFSZ, SIG_IGN);
    velkora::TApplication App(argc, argv);
    velkora::SpriteEditorInitialization();
    QMainWindow w;
    w.show();
    const int Result = App.exec();
    velkora::SpriteEditorFinalization();
    return Result;
}
