// SPDX-License-Identifier: MIT
#include "tools/ToolSupport.h"

#include "maps/MapLoader.h"

#include <QTextStream>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

void RefuseOtherFormat(const QString& FileName, TInputKind Expected) {
    const QString Full = MyTypes::ExpandFileName(FileName);
    if (MyTypes::HasUndecodableBytes(Full))
        return;
    // Non-blocking and regular files only: anything else is the reader's to refuse.
    const int fd =
        ::open(MyTypes::EncodeFileName(Full).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return;
    char Head[64];
    struct stat st {};
    ssize_t n = -1;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode))
        n = ::read(fd, Head, sizeof Head);
    ::close(fd);
    if (n <= 0)
        return;
    QByteArray Text(Head, qsizetype(n));
    const bool Png = Text.startsWith("\x89PNG\r\n\x1a\n");
    if (Text.startsWith("\xEF\xBB\xBF"))
        Text.remove(0, 3);
    qsizetype i = 0;
    const auto SkipSpace = [&] {
        while (i < Text.size() &&
               (Text[i] == ' ' || Text[i] == '\t' || Text[i] == '\n' || Text[i] == '\r'))
            ++i;
    };
    SkipSpace();
    const QByteArray Rest = Text.mid(i);
    const bool Xml = Rest.startsWith("<?xml") || Rest.startsWith("<map");
    bool Json = false;
    if (Rest.startsWith('{')) {
        ++i;
        SkipSpace();
        Json = i < Text.size() && Text[i] == '"';
    }
    const bool IsSprite = Expected == TInputKind::Sprite;
    QString What;
    if (Png)
        What = IsSprite ? QStringLiteral("is a PNG picture; use sprite import-png")
                        : QStringLiteral("is a PNG picture, not a map file");
    else if (Xml)
        What = IsSprite ? QStringLiteral("is an XML file, not a sprite file")
                        : QStringLiteral("is an XML file, not a map file; use map import-tmx for "
                                         "a TMX map");
    else if (Json)
        What = IsSprite ? QStringLiteral("is a JSON file, not a sprite file")
                        : QStringLiteral("is a JSON file, not a map file; save a JSON map as TMX "
                                         "and use map import-tmx");
    else
        return;
    throw EFormatError(QStringLiteral("\"%1\" %2").arg(Full, What));
}

void PrintNote(const QString& Text) {
    QTextStream(stderr) << "velkora-tool: " << Text << '\n';
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
    // A file name that is not valid UTF-8 is written as the bytes it is.
    const QByteArray Text = MyTypes::EncodeFileName(Line + QLatin1Char('\n'));
    if (std::fwrite(Text.constData(), 1, size_t(Text.size()), stdout) != size_t(Text.size()) ||
        std::fflush(stdout) != 0)
        throw EInOutError(QStringLiteral("Cannot write to the standard output. %1")
                              .arg(MyTypes::SystemErrorText(errno)));
}

} // namespace velkora::tool
