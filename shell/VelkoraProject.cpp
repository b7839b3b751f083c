// SPDX-License-Identifier: MIT
// The program body: the session of the data root, the main window, the message loop.

#include "shell/Application.h"
#include "shell/CommandLine.h"
#include "shell/Session.h"
#include "shell/Settings.h"
#include "shell/VelkoraProjectEditor.h"

#include <QDir>

#include <csignal>
#include <memory>

int main(int argc, char** argv) {
    // A save past the file size limit must fail with an error, not end the program.
    std::signal(SIGXFSZ, SIG_IGN);
    QString NamedRoot;
    if (const int Exit = velkora::HandleCommandLine(argc, argv, &NamedRoot); Exit >= 0)
        return Exit;
    int QtArgc = 1; // the arguments are the editor's own, none is for Qt
    velkora::ExpectDisplay();
    velkora::TApplication App(QtArgc, argv);
    velkora::DisplayFound();
    QApplication::setApplicationName(QStringLiteral("VelkoraProject"));
    QApplication::setApplicationDisplayName(QStringLiteral("Velkora"));
    QApplication::setDesktopFileName(QStringLiteral("org.velkora.Velkora"));

    // The data root is the one the argument named, as it was named, or else the folder the
    // editor was started in when it is a data root, or else the one used last; its sprite
    // library is listed before any window exists. Without any, the window opens on the start
    // page.
    const QString Root = NamedRoot.isEmpty()
                             ? velkora::Settings::StartDataRoot(velkora::MyTypes::GetCurrentDir())
                             : NamedRoot;
    std::unique_ptr<velkora::TSession> Session;
    if (!Root.isEmpty()) {
        QDir::setCurrent(Root);
        Session = std::make_unique<velkora::TSession>(Root);
    }
    velkora::TMainFrm MainFrm(Session.get());
    MainFrm.show();
    return App.exec();
}
