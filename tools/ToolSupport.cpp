#include "tools/ToolSupport.h"

#include <QTextStream>

#include <cerrno>
#include <cstdio>

namespace velkora::tool {

namespace {

// Text with every line indented by Indent spaces.
QString Indented(const char* Text, int Indent) {
    QString Result;
    for (const QString& Line : QString::fromUtf8(Text).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        Result += QString(Indent, QLatin1Char(' ')) + Line + QLatin1Char('\n');
    return Result;
}

} // namespace

QString CommandHelp(const SubCommand& Command) {
    return QStringLiteral("Usage: velkora-tool %1\n\n%2\nExample:\n  velkora-tool %3\n")
        .arg(QLatin1String(Command.Synopsis), QString::fromUtf8(Command.Description),
             QLatin1String(Command.Example));
}

QString GroupUsage(const CommandGroup& Group) {
    QString Text;
    for (const SubCommand* c : Group.Commands)
        Text += QStringLiteral("  velkora-tool %1\n").arg(QLatin1String(c->Synopsis)) +
                Indented(c->Description, 6);
    return Text;
}

bool WantsHelp(const QStringList& Args) {
    return Args.contains(QLatin1String("--help")) || Args.contains(QLatin1String("-h"));
}

QString TakeOption(QStringList& Args, const QString& Name, const QString& Default) {
    const int i = Args.indexOf(Name);
    if (i < 0)
        return Default;
    if (i + 1 >= Args.size())
        throw UsageError(QStringLiteral("option %1 needs a value").arg(Name));
    const QString Value = Args.at(i + 1);
    Args.remove(i, 2);
    return Value;
}

long long ParseNumber(const QString& Text, const QString& What, long long Min, long long Max) {
    bool Ok = false;
    const long long v = Text.toLongLong(&Ok, 10);
    if (!Ok || v < Min || v > Max)
        throw UsageError(QStringLiteral("%1 must be a whole number from %2 to %3, not \"%4\"")
                             .arg(What)
                             .arg(Min)
                             .arg(Max)
                             .arg(Text));
    return v;
}

void ExpectArgs(const QStringList& Args, int Count, const char* Usage) {
    for (const QString& a : Args)
        if (a.startsWith(QLatin1String("--")))
            throw UsageError(QStringLiteral("unknown option %1").arg(a));
    if (Args.size() != Count)
        throw UsageError(QStringLiteral("expected: %1").arg(QLatin1String(Usage)));
}

void PrintLine(const QString& Line) {
    // Checked and flushed line by line: output lost to a full disk or a closed pipe is a failure,
    // not a success.
    const QByteArray Text = (Line + QLatin1Char('\n')).toUtf8();
    if (std::fwrite(Text.constData(), 1, size_t(Text.size()), stdout) != size_t(Text.size()) ||
        std::fflush(stdout) != 0)
        throw EInOutError(QStringLiteral("Cannot write to the standard output. %1")
                              .arg(MyTypes::SystemErrorText(errno)));
}

} // namespace velkora::tool
