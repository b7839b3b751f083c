// The program body: the session of the data root, the main window, the message loop.

#include "shell/Application.h"
#include "shell/CommandLine.h"
#include "shell/Session.h"
#include "shell/VelkoraProjectEditor.h"

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

    // The data root is the folder the editor was started in, or the one its argument named (now
    // the current directory); its sprite library is listed before any window exists.
    velkora::TSession Session(velkora::MyTypes::GetCurrentDir());
    velkora::TMainFrm MainFrm(Session);
    MainFrm.show();
    return App.exec();
}
