// SPDX-License-Identifier: MIT
// velkora-tool: the editor's command-line companion for batch work and scripting.

#include "shell/Version.h"
#include "tools/ToolProgress.h"
#include "tools/ToolSupport.h"

#include <QCoreApplication>
#include <QTextStream>

#include <csignal>
#include <cstdio>
#include <new>

using namespace velkora;
using namespace velkora::tool;

namespace {

const CommandGroup* const Groups[] = {&SpriteGroup,  &LibraryGroup,  &MapGroup,
                                      &PaletteGroup, &PalettesGroup, &DemoGroup};

void PrintOverview(FILE* To) {
    QTextStream Out(To);
    Out << "Usage: velkora-tool COMMAND [ARGS...]\n\n"
           "Reads and writes the game's sprite files, map files and parameters file.\n\n"
           "Exit status: 0 on success, 1 when a file cannot be read or written, 2 for wrong "
           "arguments.\n\nCommands:\n";
    for (const CommandGroup* g : Groups)
        Out << GroupUsage(*g);
    Out << "\nvelkora-tool COMMAND --help describes the commands of a group, and\n"
           "velkora-tool COMMAND SUBCOMMAND --help one command, with an example.\n\n"
           "Options:\n"
           "  -h, --help      show this help and exit\n"
           "      --version   show the version and exit\n";
}

void Report(const QString& Message) {
    QTextStream Err(stderr);
    Err << "velkora-tool: " << Message << '\n';
}

// A usage error: one line, and where to read more.
int Refuse(const QString& Message, const QString& HelpOf) {
    Report(Message);
    QTextStream(stderr) << "Try \"velkora-tool " << HelpOf << " --help\" for more information.\n";
    return 2;
}

bool IsHelp(const QString& Arg) {
    return Arg == QLatin1String("--help") || Arg == QLatin1String("-h");
}

// Runs the command that Args names within Group (Args: the arguments after the group's name).
int RunGroup(const CommandGroup& Group, QStringList Args) {
    const QString GroupName = QLatin1String(Group.Name);
    const SubCommand* Command = nullptr;
    QString Named = GroupName;
    if (Group.Commands.size() == 1 && !Group.Commands.front()->Name) {
        Command = Group.Commands.front();
    } else {
        QStringList Names;
        for (const SubCommand* c : Group.Commands)
            Names << QLatin1String(c->Name);
        if (Args.isEmpty())
            return Refuse(QStringLiteral("%1 needs a command: %2")
                              .arg(GroupName, Names.join(QStringLiteral(", "))),
                          GroupName);
        if (IsHelp(Args.first())) {
            QTextStream(stdout) << "Usage:\n" << GroupUsage(Group);
            return 0;
        }
        const QString Name = Args.takeFirst();
        for (const SubCommand* c : Group.Commands)
            if (Name == QLatin1String(c->Name))
                Command = c;
        if (!Command)
            return Refuse(QStringLiteral("unknown %1 command \"%2\"").arg(GroupName, Name),
                          GroupName);
        Named += QLatin1Char(' ') + Name;
    }
    try {
        if (WantsHelp(Args)) {
            QTextStream(stdout) << CommandHelp(*Command);
            return 0;
        }
        return Command->Run(Args);
    } catch (const ECancelled&) {
        Report(QStringLiteral("interrupted; nothing was written."));
        return 130;
    } catch (const UsageError& e) {
        return Refuse(e.Message(), Named);
    } catch (const Exception& e) {
        Report(e.Message());
    } catch (const std::bad_alloc&) {
        Report(QStringLiteral("Out of memory."));
    } catch (const std::exception& e) {
        Report(QString::fromLocal8Bit(e.what()));
    }
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    // A write over the file size limit must fail with an error, not kill the process.
    std::signal(SIGXFSZ, SIG_IGN);
    // Ctrl+C stops a long command cleanly, leaving no output file.
    CatchInterrupts();
    QCoreApplication App(argc, argv);
    // Taken from argv as the bytes they are: a file name that is not valid UTF-8 stays apart from
    // every other name, and each command refuses to open or write it, saying why.
    QStringList Args;
    for (int i = 1; i < argc; ++i)
        Args << MyTypes::DecodeFileName(QByteArray(argv[i]));
    if (Args.isEmpty()) {
        PrintOverview(stderr);
        return 2;
    }
    if (IsHelp(Args.first()) || Args.first() == QLatin1String("help")) {
        PrintOverview(stdout);
        return 0;
    }
    if (Args.first() == QLatin1String("--version")) {
        QTextStream(stdout) << "velkora-tool " VELKORA_VERSION "\n";
        return 0;
    }
    const QString Name = Args.takeFirst();
    for (const CommandGroup* g : Groups)
        if (Name == QLatin1String(g->Name))
            return RunGroup(*g, Args);
    QString Known;
    for (const CommandGroup* g : Groups)
        Known += (Known.isEmpty() ? QString() : QStringLiteral(", ")) + QLatin1String(g->Name);
    Report(QStringLiteral("unknown command \"%1\"; the commands are %2").arg(Name, Known));
    QTextStream(stderr) << "Try \"velkora-tool --help\" for more information.\n";
    return 2;
}
