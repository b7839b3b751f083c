// SPDX-License-Identifier: MIT
#include "sprites/SpriteEditor.h"
#include "tools/ToolSupport.h"

#include <QFileInfo>

#include <cerrno>

namespace velkora::tool {

namespace {

int List(const QStringList& Arguments) {
    QStringList Args = Arguments;
    const QString Root = TakeOption(Args, QStringLiteral("--root"), MyTypes::GetCurrentDir());
    ExpectArgs(Args, 0, "velkora-tool library list [--root DIR]");
    // A missing Sprites folder is an empty library, but a data root that is not there at all is
    // most likely a mistyped name.
    const QFileInfo Info(Root);
    if (!Info.isDir())
        throw Exception(QStringLiteral("Cannot open folder \"%1\". %2")
                            .arg(MyTypes::ExpandFileName(Root),
                                 MyTypes::SystemErrorText(Info.exists() ? ENOTDIR : ENOENT)));
    const TSpriteContainer Library(Root);
    // Every entry keeps its place (texture sets count positions), also one whose name cannot be
    // opened; the standard error says which those are.
    for (const QString& Name : Library.SpriteNames()) {
        PrintLine(Name);
        if (MyTypes::HasUndecodableBytes(Name))
            PrintNote(QStringLiteral("\"%1\": %2")
                          .arg(MyTypes::PrintableFileName(Name), MyTypes::NotUtf8Reason()));
    }
    return 0;
}

const SubCommand ListCommand = {
    "list", List, "library list [--root DIR]",
    "Lists DIR/Sprites (DIR: the current directory) in library order, one name a line. A\n"
    "sprite's position in this list, counted from 0, is its texture number for map render\n"
    "and map export-tmx (--tex1, --tex2).\n",
    "library list --root ."};

} // namespace

const CommandGroup LibraryGroup = {"library", {&ListCommand}};

} // namespace velkora::tool
