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

const CommandGroup* const Groups[] = {&SpriteGroup, &LibraryGroup, &MapGroup, &PalettesGroup,
                                      &DemoGroup};

void PrintOverview(FILE* To) {
    QTextStream Out(To);
    Out << "Usage: velkora-tool COMMAND [ARGS...]\n\n"
           "Reads and writes the game's sprite files, map files and parameters file.\n\n"
           "Exit status: 0 on success, 1 when a file cannot be read or written, 2 for wrong "
           "arguments.\n\nCommands:\n";
    for (const CommandGroup* g : Groups)
        Out << g->Usage;
    Out << "\nvelkora-tool COMMAND --help describes one command.\n\n"
           "Options:\n"
           "  -h, --help      show this help and exit\n"
           "      --version   show the version and exit\n";
}

void Report(const QString& Message) {
    QTextStream Err(stderr);
    Err << "velkora-tool: " << Message << '\n';
}

} // namespace

int main(int argc, char** argv) {
    // A write over the file size limit must fail with an error, not kill the process.
    std::signal(SIGXFSZ, SIG_IGN);
    // Ctrl+C stops a long command cleanly, leaving no output file.
    CatchInterrupts();
    QCoreApplication App(argc, argv);
    QStringList Args = App.arguments();
    Args.removeFirst();
    if (Args.isEmpty()) {
        PrintOverview(stderr);
        return 2;
    }
    if (Args.first() == QLatin1String("--help") || Args.first() == QLatin1String("-h") ||
        Args.first() == QLatin1String("help")) {
        PrintOverview(stdout);
        return 0;
    }
    if (Args.first() == QLatin1String("--version")) {
        QTextStream(stdout) << "velkora-tool " VELKORA_VERSION "\n";
        return 0;
    }
    const QString Name = Args.takeFirst();
    for (const CommandGroup* g : Groups) {
        if (Name != QLatin1String(g->Name))
            continue;
        try {
            if (WantsHelp(Args))
                return PrintUsage(*g);
            return g->Run(Args);
        } catch (const ECancelled&) {
            Report(QStringLiteral("interrupted; nothing was written."));
            return 130;
        } catch (const UsageError& e) {
            Report(e.Message());
            QTextStream(stderr) << "Usage:\n" << g->Usage;
            return 2;
        } catch (const Exception& e) {
            Report(e.Message());
            return 1;
        } catch (const std::bad_alloc&) {
            Report(QStringLiteral("Out of memory."));
            return 1;
        } catch (const std::exception& e) {
            Report(QString::fromLocal8Bit(e.what()));
            return 1;
        }
    }
    Report(QStringLiteral("unknown command \"%1\"").arg(Name));
    PrintOverview(stderr);
    return 2;
}
