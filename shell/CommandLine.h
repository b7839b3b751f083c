// SPDX-License-Identifier: MIT
#pragma once
// The editor's command line: velkora [--help | --version | DATA-ROOT].

#include <QString>
#include <QStringList>

namespace velkora {

struct TCommandLine {
    enum TAction { Run, ShowHelp, ShowVersion, Refuse };
    TAction Action = Run;
    // Run: the absolute path of the data root to work on; empty for the current directory.
    QString DataRoot;
    // Refuse: what is wrong with the arguments, one sentence.
    QString Error;
};

// The text of --help; the editor's manual page is made from it.
QString CommandLineHelp();
// The text of --version: "velkora VERSION".
QString CommandLineVersion();

// Reads the arguments that follow the program's name. The first --help or --version decides;
// an unknown option, a second data root, or a data root that is not an existing folder is
// refused. "--" ends the options, so a folder whose name starts with "-" can be given.
TCommandLine ParseCommandLine(const QStringList& Args);

// main()'s use of the above: prints the help, the version or the error (on stderr, exit status
// 2) and returns the exit status; or puts the data root, absolute and as it was named, into
// NamedRoot (when given; empty when the arguments named none) and returns -1. The root is also
// made the process's current directory, which refuses a folder that cannot be entered.
// Needs no application object, so it works without a display.
int HandleCommandLine(int argc, char** argv, QString* NamedRoot = nullptr);

// Around the making of the application object: where there is no display to show the editor on,
// Qt would end the program with an abort and several lines of its own. Between these two calls
// that becomes one line on stderr naming the remedies, and exit status 1. Qt's messages about
// the display that arrive meanwhile are held back and, once the application object exists,
// passed on as they would have been.
void ExpectDisplay();
void DisplayFound();
// The line said when there is no display (without the program's name).
QString NoDisplayMessage();

} // namespace velkora
