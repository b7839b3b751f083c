// The program body: the session of the data root, the main window, the message loop.

#include "shell/Application.h"
#include "shell/Session.h"
#include "shell/VelkoraProjectEditor.h"

#include <csignal>

int main(int argc, char** argv) {
    // A save past the file size limit must fail with an error, not end the program.
    std::signal(SIGXFSZ, SIG_IGN);
    velkora::TApplication App(argc, argv);
    QApplication::setApplicationName(QStringLiteral("VelkoraProject"));
    QApplication::setApplicationDisplayName(QStringLiteral("Velkora"));

    // The data root is the folder the editor is started in; its sprite library is listed now,
    // before any window exists.
    velkora::TSession Session(velkora::GetCurrentDir());
    velkora::TMainFrm MainFrm(Session);
    MainFrm.show();
    return App.exec();
}
