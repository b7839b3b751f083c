#include "tools/ToolSupport.h"

#include "maps/MapLoader.h"

#include <QTextStream>

#include <cerrno>
#include <cstdio>

namespace velkora::tool {

int Dispatch(const char* Group, std::initializer_list<SubCommand> Commands,
             const QStringList& Args) {
    QStringList Names;
    for (const SubCommand& c : Commands)
        Names << QLatin1String(c.Name);
    if (Args.isEmpty())
        throw UsageError(QStringLiteral("%1 needs a command: %2")
                             .arg(QLatin1String(Group), Names.join(QStringLiteral(", "))));
    for (const SubCommand& c : Commands)
        if (Args.first() == QLatin1String(c.Name))
            return c.Run(Args.mid(1));
    throw UsageError(
        QStringLiteral("unknown %1 command \"%2\"").arg(QLatin1String(Group), Args.first()));
}

bool WantsHelp(const QStringList& Args) {
    return Args.contains(QLatin1String("--help")) || Args.contains(QLatin1String("-h"));
}

int PrintUsage(const CommandGroup& Group) {
    QTextStream(stdout) << "Usage:\n" << Group.Usage;
    return 0;
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

void WarnIfSparse(const TMapSummary& Summary, const QString& FileName) {
    if (Summary.Sparse())
        QTextStream(stderr) << "velkora-tool: warning: " << Summary.SparseText(FileName)
                            << " The other cells are 0.\n";
}

TMyByteArray LoadMapFile(const QString& FileName, int32_t& w, int32_t& h,
                         const TProgress& Progress) {
    const TMyByteArray Data = MyTypes::ReadFileBytes(FileName, MaxMapFileSize);
    const QString Name = MyTypes::ExpandFileName(FileName);
    const TMapSummary Summary = MapLoader::SummarizeMap(Data.data(), Data.size(), Name);
    WarnIfSparse(Summary, FileName);
    int32_t PackType = 0;
    int32_t Width = 0;
    int32_t Height = 0;
    TMyByteArray Cells =
        MapLoader::DecodeMap(Data.data(), Data.size(), PackType, Width, Height, Name, Progress);
    w = Width;
    h = Height;
    return Cells;
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
