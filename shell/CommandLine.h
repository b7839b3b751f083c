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
// 2) and returns the exit status; or makes the data root the current directory, so that every
// start-up step reads it as it would the folder the editor was started in, and returns -1.
// Needs no application object, so it works without a display.
int HandleCommandLine(int argc, char** argv);

} // namespace velkora
