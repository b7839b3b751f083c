// The program body: the units' start-up steps in order, the main window, the message loop, and
// the shutdown steps in reverse order.

#include "shell/Application.h"
#include "shell/CommandLine.h"
#include "shell/VelkoraProjectEditor.h"
#include "sprites/SpriteEditor.h"

#include <csignal>

int main(int argc, char** argv) {
    // A save past the file size limit must fail with an error, not end the program.
    std::signal(SIGXFSZ, SIG_IGN);
    if (const int Exit = velkora::HandleCommandLine(argc, argv); Exit >= 0)
        return Exit;
    int QtArgc = 1; // the arguments are the editor's own, none is for Qt
    velkora::TApplication App(QtArgc, argv);
    QApplication::setApplicationName(QStringLiteral("VelkoraProject"));
    QApplication::setApplicationDisplayName(QStringLiteral("Velkora"));
    QApplication::setDesktopFileName(QStringLiteral("org.velkora.Velkora"));

    velkora::SpriteEditorInitialization();
    velkora::VelkoraProjectEditorInitialization();
    int Result = 0;
    {
        velkora::TMainFrm MainWindow;
        MainWindow.show();
        Result = App.exec();
    }
    velkora::SpriteEditorFinalization();
    return Result;
}
