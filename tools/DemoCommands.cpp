// SPDX-License-Identifier: MIT
// make-demo: writes the bundled demo data root, drawn by tools/demo.

#include "tools/ToolSupport.h"
#include "tools/demo/Demo.h"

#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <dirent.h>

namespace velkora::tool {

namespace {

// Raises an error unless Folder, which exists, holds nothing; a folder that cannot be listed
// counts as in use.
void ExpectEmptyFolder(const QString& Folder) {
    DIR* d = ::opendir(QFile::encodeName(Folder).constData());
    if (!d)
        throw Exception(QStringLiteral("Cannot read folder \"%1\". %2")
                            .arg(Folder, MyTypes::SystemErrorText(errno)));
    bool Empty = true;
    while (const dirent* e = ::readdir(d))
        if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0) {
            Empty = false;
            break;
        }
    ::closedir(d);
    if (!Empty)
        throw Exception(QStringLiteral("The folder \"%1\" is not empty; give --force to write the "
                                       "demo data into it anyway.")
                            .arg(Folder));
}

int Run(const QStringList& Arguments) {
    QStringList Args = Arguments;
    const bool Force = Args.removeAll(QStringLiteral("--force")) > 0;
    ExpectArgs(Args, 1, "velkora-tool make-demo [--force] DIR");
    // An empty name would put the demo into the file-system root.
    if (Args.first().isEmpty())
        throw UsageError(QStringLiteral("DIR is an empty name; give the folder to write the demo "
                                        "data into"));
    const QString Root = MyTypes::ExpandFileName(Args.first());

    const QFileInfo Info(Root);
    if (Info.exists() && !Info.isDir())
        throw Exception(QStringLiteral("\"%1\" is not a folder.").arg(Root));
    if (Info.isDir() && !Force)
        ExpectEmptyFolder(Root);

    const demo::TDemoCounts Written = demo::WriteDemoRoot(Root);
    PrintLine(QStringLiteral("Wrote %1 sprites, %2 maps and XMLParams.xml to %3")
                  .arg(Written.Sprites)
                  .arg(Written.Maps)
                  .arg(Root));
    return 0;
}

const SubCommand DemoCommand = {
    nullptr, Run, "make-demo [--force] DIR",
    "Writes the demo data root (Sprites, Maps, XMLParams.xml) into DIR, creating DIR and\n"
    "its parents. DIR must be missing or empty unless --force is given, which writes the\n"
    "demo's files into it over any of the same names and leaves other files alone.\n",
    "make-demo velkora-demo"};

} // namespace

const CommandGroup DemoGroup = {"make-demo", {&DemoCommand}};

} // namespace velkora::tool
