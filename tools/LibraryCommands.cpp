#include "sprites/SpriteEditor.h"
#include "tools/ToolSupport.h"

#include <QFileInfo>

#include <cerrno>

namespace velkora::tool {

namespace {

const char Usage[] =
    "  velkora-tool library list [--root DIR]\n"
    "      Lists DIR/Sprites (DIR: the current directory) in library order, one name a line.\n";

int List(QStringList Args) {
    const QString Root = TakeOption(Args, QStringLiteral("--root"), GetCurrentDir());
    ExpectArgs(Args, 0, "velkora-tool library list [--root DIR]");
    // A missing Sprites folder is an empty library, but a data root that is not there at all is
    // most likely a mistyped name.
    const QFileInfo Info(Root);
    if (!Info.isDir())
        throw Exception(
            QStringLiteral("Cannot open folder \"%1\". %2")
                .arg(ExpandFileName(Root), SystemErrorText(Info.exists() ? ENOTDIR : ENOENT)));
    const TSpriteContainer Library(Root);
    for (const QString& Name : Library.SpriteNames())
        PrintLine(Name);
    return 0;
}

int Run(const QStringList& Args) {
    if (Args.isEmpty())
        throw UsageError(QStringLiteral("library needs a command: list"));
    if (Args.first() == QLatin1String("list"))
        return List(Args.mid(1));
    throw UsageError(QStringLiteral("unknown library command \"%1\"").arg(Args.first()));
}

} // namespace

const CommandGroup LibraryGroup = {"library", Usage, &Run};

} // namespace velkora::tool
