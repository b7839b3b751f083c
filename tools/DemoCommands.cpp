// make-demo: writes the bundled demo data root, drawn by tools/demo.

#include "sprites/SpriteEditor.h"
#include "tools/ToolSupport.h"
#include "tools/demo/Demo.h"
#include "tools/demo/Params.h"

#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>

namespace velkora::tool {

namespace {

// Creates Folder and every missing parent, like mkdir -p, naming the reason when it cannot.
void MakeFolders(const QString& Folder) {
    const QString Parent = QFileInfo(Folder).path();
    if (Parent != Folder && !QFileInfo(Parent).exists())
        MakeFolders(Parent);
    if (QFileInfo(Folder).isDir())
        return;
    if (::mkdir(QFile::encodeName(Folder).constData(), 0777) != 0 && errno != EEXIST)
        throw Exception(QStringLiteral("Cannot create folder \"%1\". %2")
                            .arg(Folder, MyTypes::SystemErrorText(errno)));
    if (!QFileInfo(Folder).isDir())
        throw Exception(QStringLiteral("Cannot create folder \"%1\". %2")
                            .arg(Folder, MyTypes::SystemErrorText(EEXIST)));
}

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

    const QString SpriteFolder = MyTypes::DataPath(Root, SpriteFolderName);
    const QString MapFolder = MyTypes::DataPath(Root, MapFolderName);
    MakeFolders(SpriteFolder);
    MakeFolders(MapFolder);

    const std::vector<demo::TDemoSprite> Sprites = demo::DemoSprites();
    for (const demo::TDemoSprite& s : Sprites)
        MyTypes::WriteFileAtomically(MyTypes::DataPath(Root, SpriteFolderName, s.Name),
                                     demo::SpriteFileImage(s));
    const std::vector<demo::TDemoMap> Maps = demo::DemoMaps();
    for (const demo::TDemoMap& m : Maps)
        MyTypes::WriteFileAtomically(MyTypes::DataPath(Root, MapFolderName, m.Name),
                                     demo::MapFileImage(m));

    // The texture sets name sprites by position in the library as the editor will list it, so
    // the positions come from the folder itself (with --force it may hold other sprites too).
    QStringList Library = SpriteEditor::FindFiles(SpriteFolder, QStringLiteral(".spr"));
    SpriteEditor::SortNames(Library);
    const QByteArray Params = demo::ParamsFileImage(Library);
    MyTypes::WriteFileAtomically(Root + QStringLiteral("/XMLParams.xml"),
                                 reinterpret_cast<const uint8_t*>(Params.constData()),
                                 size_t(Params.size()));

    PrintLine(QStringLiteral("Wrote %1 sprites, %2 maps and XMLParams.xml to %3")
                  .arg(Sprites.size())
                  .arg(Maps.size())
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
