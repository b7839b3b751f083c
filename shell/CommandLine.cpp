// SPDX-License-Identifier: MIT
#include "shell/CommandLine.h"

#include "shell/MyTypes.h"
#include "shell/Version.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <vector>

namespace velkora {

QString CommandLineHelp() {
    return QStringLiteral(
        "Usage: velkora [DATA-ROOT]\n"
        "Edits the graphics and map data of a tile-based 16-bit console game: sprites of\n"
        "8 x 8 tiles in the game's compressed format, 16-colour palettes and tile maps.\n"
        "\n"
        "The editor works on the data root DATA-ROOT; without one, on the current directory\n"
        "when it holds Sprites or Maps, or else on the data root used last, or else it shows\n"
        "a start page to open one or to make the demo. A data root holds:\n"
        "  Sprites/*.spr   the sprite library\n"
        "  Maps/*.Map      the maps\n"
        "  XMLParams.xml   the palettes, map texture sets and palette sets\n"
        "\"velkora-tool make-demo DIR\" writes a demo data root into DIR.\n"
        "\n"
        "The editor keeps its settings (the data roots used last, the window, the views)\n"
        "in ~/.config/velkora/velkora.conf.\n"
        "\n"
        "Exit status: 0 when the editor is closed, 1 when there is no display to show it on,\n"
        "2 for wrong arguments.\n"
        "\n"
        "Options:\n"
        "  -h, --help      show this help and exit\n"
        "      --version   show the version and exit\n");
}

QString CommandLineVersion() {
    return QStringLiteral("velkora " VELKORA_VERSION "\n");
}

TCommandLine ParseCommandLine(const QStringList& Args) {
    TCommandLine Result;
    const auto Refuse = [&Result](const QString& Error) {
        Result.Action = TCommandLine::Refuse;
        Result.Error = Error;
        return Result;
    };
    QStringList Roots;
    bool Options = true;
    for (const QString& a : Args) {
        if (Options && a == QLatin1String("--")) {
            Options = false;
        } else if (Options && (a == QLatin1String("--help") || a == QLatin1String("-h"))) {
            Result.Action = TCommandLine::ShowHelp;
            return Result;
        } else if (Options && a == QLatin1String("--version")) {
            Result.Action = TCommandLine::ShowVersion;
            return Result;
        } else if (Options && a.size() > 1 && a.startsWith(QLatin1Char('-'))) {
            return Refuse(QStringLiteral("Unknown option \"%1\".").arg(a));
        } else {
            Roots << a;
        }
    }
    if (Roots.size() > 1)
        return Refuse(QStringLiteral("Only one data root can be given, not \"%1\" and \"%2\".")
                          .arg(Roots.at(0), Roots.at(1)));
    if (Roots.isEmpty())
        return Result;
    const QString& Root = Roots.first();
    // An empty name is no folder, not the current directory that it would resolve to.
    const QString Full = Root.isEmpty() ? Root : MyTypes::ExpandFileName(Root);
    const QFileInfo Info(Full);
    if (Full.isEmpty() || !Info.isDir())
        return Refuse(QStringLiteral("Cannot open folder \"%1\". %2")
                          .arg(Full, MyTypes::SystemErrorText(Info.exists() ? ENOTDIR : ENOENT)));
    Result.DataRoot = Full;
    return Result;
}

namespace {

// Writes Text to To; false when it could not be written (a full disk, a closed pipe).
bool Print(FILE* To, const QString& Text) {
    const QByteArray Bytes = Text.toLocal8Bit();
    return std::fwrite(Bytes.constData(), 1, size_t(Bytes.size()), To) == size_t(Bytes.size()) &&
           std::fflush(To) == 0;
}

int Refused(const QString& Error) {
    Print(stderr,
          QStringLiteral("velkora: %1\nTry \"velkora --help\" for more information.\n").arg(Error));
    return 2;
}

} // namespace

int HandleCommandLine(int argc, char** argv, QString* NamedRoot) {
    QStringList Args;
    for (int i = 1; i < argc; ++i)
        Args << QFile::decodeName(argv[i]);
    const TCommandLine Line = ParseCommandLine(Args);
    switch (Line.Action) {
    case TCommandLine::ShowHelp:
    case TCommandLine::ShowVersion:
        if (!Print(stdout, Line.Action == TCommandLine::ShowHelp ? CommandLineHelp()
                                                                 : CommandLineVersion())) {
            Print(stderr, QStringLiteral("velkora: Cannot write to the standard output. %1\n")
                              .arg(MyTypes::SystemErrorText(errno)));
            return 1;
        }
        return 0;
    case TCommandLine::Refuse:
        return Refused(Line.Error);
    case TCommandLine::Run:
        break;
    }
    // The folder can have gone, or be one that may be listed but not entered.
    if (!Line.DataRoot.isEmpty() && ::chdir(QFile::encodeName(Line.DataRoot).constData()) != 0)
        return Refused(QStringLiteral("Cannot open folder \"%1\". %2")
                           .arg(Line.DataRoot, MyTypes::SystemErrorText(errno)));
    if (NamedRoot)
        *NamedRoot = Line.DataRoot;
    return -1;
}

QString NoDisplayMessage() {
    const QByteArray Display = qgetenv("DISPLAY");
    const QString Which = Display.isEmpty() && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
                              ? QStringLiteral("there is no display (DISPLAY is not set)")
                              : QStringLiteral("cannot open the display \"%1\"")
                                    .arg(QString::fromLocal8Bit(
                                        Display.isEmpty() ? qgetenv("WAYLAND_DISPLAY") : Display));
    return QStringLiteral("%1 to show the editor on; start it in a virtual display with "
                          "\"xvfb-run -a velkora\", or unseen with QT_QPA_PLATFORM=offscreen")
        .arg(Which);
}

namespace {

struct THeldMessage {
    QtMsgType Type;
    QString Category;
    QString Text;
};

QtMessageHandler PreviousHandler = nullptr;
std::vector<THeldMessage>& HeldMessages() {
    static std::vector<THeldMessage> Held;
    return Held;
}

void WhileLookingForDisplay(QtMsgType Type, const QMessageLogContext& Context,
                            const QString& Message) {
    if (Type == QtFatalMsg) {
        Print(stderr, QStringLiteral("velkora: %1\n").arg(NoDisplayMessage()));
        std::_Exit(1);
    }
    HeldMessages().push_back(
        {Type, QString::fromLatin1(Context.category ? Context.category : ""), Message});
}

} // namespace

void ExpectDisplay() {
    HeldMessages().clear();
    PreviousHandler = qInstallMessageHandler(WhileLookingForDisplay);
}

void DisplayFound() {
    qInstallMessageHandler(PreviousHandler);
    for (const THeldMessage& m : HeldMessages()) {
        const QByteArray Category = m.Category.toLatin1();
        const QMessageLogContext Context(nullptr, 0, nullptr, Category.constData());
        qt_message_output(m.Type, Context, m.Text);
    }
    HeldMessages().clear();
}

} // namespace velkora
