// SPDX-License-Identifier: MIT
#include "tools/demo/Demo.h"

#include "maps/MapLoader.h"
#include "sprites/CompDecompUnit.h"
#include "sprites/SpriteEditor.h"
#include "tools/demo/Params.h"
#include "tools/demo/Sheets.h"

#include <QFileInfo>

#include <cerrno>
#include <sys/stat.h>

namespace velkora::demo {

std::vector<TDemoSprite> DemoSprites() {
    // The names exercise the library's order: A1, A2, A10, B1, Font, Hero, Title, a1. The first,
    // the grass and water texture, is what the sprite workbench shows at start.
    return {
        {QStringLiteral("A1.spr"), SheetToWords(LandSheet(), 3, 3)},
        {QStringLiteral("A2.spr"), SheetToWords(VillageSheet(), 3, 3)},
        {QStringLiteral("A10.spr"), SheetToWords(CaveSheet(), 3, 3)},
        {QStringLiteral("B1.spr"), SheetToWords(CreatureSheet(), 2, 2)},
        {QStringLiteral("Font.spr"), SheetToWords(FontSheet(), 1, 1)},
        {QStringLiteral("Hero.spr"), SheetToWords(HeroSheet(), 2, 2)},
        {QStringLiteral("Title.spr"), SheetToWords(BannerSheet(), 12, 4)},
        {QStringLiteral("a1.spr"), SheetToWords(IconSheet(), 2, 2), false},
    };
}

std::vector<TDemoMap> DemoMaps() {
    return {MeadowMap(), VillageMap(), IslandMap(), WorldMap()};
}

TMyByteArray SpriteFileImage(const TDemoSprite& Sprite) {
    if (Sprite.Compressed)
        return CompDecompUnit::Compress(Sprite.Words);
    return SpriteEditor::UncompressedSpriteImage(Sprite.Words, Sprite.Words.size() / 16);
}

namespace {

// Pack type 2: the header, then the cells column by column (each column top to bottom) in the
// run-length code the writer uses for rows: runs of 1 to 3 as literals, longer runs as escapes
// of at most 255 cells; then the end marker and the pad byte.
TMyByteArray ColumnByColumnImage(const TDemoMap& Map) {
    if (Map.Width != Map.Height)
        throw Exception(QStringLiteral("A map stored column by column must be square."));
    const size_t n = size_t(Map.Width);
    TMyByteArray Stream;
    Stream.reserve(n * n);
    for (size_t x = 0; x < n; ++x)
        for (size_t y = 0; y < n; ++y)
            Stream.push_back(Map.Cells[y * n + x]);
    TMyByteArray Out;
    MyTypes::AppendBE16(Out, 2);
    MyTypes::AppendBE16(Out, uint16_t(Map.Width));
    MyTypes::AppendBE16(Out, uint16_t(Map.Height));
    for (size_t i = 0; i < Stream.size();) {
        size_t Run = 1;
        while (i + Run < Stream.size() && Stream[i + Run] == Stream[i] && Run < 255)
            ++Run;
        if (Run >= 4 || Stream[i] == 0xFE) {
            Out.insert(Out.end(), {0xFE, uint8_t(Run), Stream[i]});
        } else {
            Out.insert(Out.end(), Run, Stream[i]);
        }
        i += Run;
    }
    Out.push_back(0xFF);
    if (Out.size() % 2 != 0)
        Out.push_back(0xFF);
    return Out;
}

} // namespace

TMyByteArray MapFileImage(const TDemoMap& Map) {
    if (Map.ColumnByColumn)
        return ColumnByColumnImage(Map);
    return MapLoader::EncodeMap(Map.Cells, Map.Width, Map.Height);
}

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

} // namespace

TDemoCounts WriteDemoRoot(const QString& Root) {
    const QString SpriteFolder = MyTypes::DataPath(Root, SpriteFolderName);
    const QString MapFolder = MyTypes::DataPath(Root, MapFolderName);
    MakeFolders(SpriteFolder);
    MakeFolders(MapFolder);

    const std::vector<TDemoSprite> Sprites = DemoSprites();
    for (const TDemoSprite& s : Sprites)
        MyTypes::WriteFileAtomically(MyTypes::DataPath(Root, SpriteFolderName, s.Name),
                                     SpriteFileImage(s));
    const std::vector<TDemoMap> Maps = DemoMaps();
    for (const TDemoMap& m : Maps)
        MyTypes::WriteFileAtomically(MyTypes::DataPath(Root, MapFolderName, m.Name),
                                     MapFileImage(m));

    // The texture sets name sprites by position in the library as the editor will list it, so
    // the positions come from the folder itself (with --force it may hold other sprites too).
    QStringList Library = SpriteEditor::FindFiles(SpriteFolder, QStringLiteral(".spr"));
    SpriteEditor::SortNames(Library);
    const QByteArray Params = ParamsFileImage(Library);
    MyTypes::WriteFileAtomically(Root + QStringLiteral("/XMLParams.xml"),
                                 reinterpret_cast<const uint8_t*>(Params.constData()),
                                 size_t(Params.size()));

    return {Sprites.size(), Maps.size()};
}

} // namespace velkora::demo
