#include "maps/MapImageItems.h"
#include "maps/MapLoader.h"
#include "palettes/BmpMaker.h"
#include "sprites/SpriteEditor.h"
#include "tools/ToolSupport.h"

#include <QBuffer>
#include <QDir>
#include <QImageWriter>

namespace velkora::tool {

int SpriteRender(const QStringList& Args) {
    Q_UNUSED(Args);
    throw Exception(QStringLiteral("not built yet"));
}

namespace {

const char MapRenderUsage[] =
    "map render IN.Map OUT.png --root DIR --tex1 I --tex2 J [--pal1 P] [--pal2 Q]";

// Reads the palettes of the parameters file FileName into PalletteArray, through the shared
// document reference as the editor does.
void ReadMapPalettes(const QString& FileName) {
    TXMLDocument Doc;
    Doc.FileName = FileName;
    struct Publish {
        explicit Publish(TXMLDocument* d) { XMLDocument = d; }
        ~Publish() { XMLDocument = nullptr; }
    } Scope(&Doc);
    Init();
}

QString RequiredOption(QStringList& Args, const QString& Name) {
    const QString Value = TakeOption(Args, Name);
    if (Value.isNull())
        throw UsageError(QStringLiteral("%1 is required").arg(Name));
    return Value;
}

// Replaces FileName with Image encoded as PNG.
void WriteMapPng(const QImage& Image, const QString& FileName) {
    QByteArray Data;
    QBuffer Buffer(&Data);
    Buffer.open(QIODevice::WriteOnly);
    QImageWriter Writer(&Buffer, "png");
    if (!Writer.write(Image))
        throw EInOutError(QStringLiteral("Cannot write file \"%1\". %2")
                              .arg(ExpandFileName(FileName), Writer.errorString()));
    WriteFileAtomically(FileName, reinterpret_cast<const uint8_t*>(Data.constData()),
                        size_t(Data.size()));
}

} // namespace

int MapRender(const QStringList& Arguments) {
    QStringList Args = Arguments;
    const QString Root = RequiredOption(Args, QStringLiteral("--root"));
    const QString Tex1 = RequiredOption(Args, QStringLiteral("--tex1"));
    const QString Tex2 = RequiredOption(Args, QStringLiteral("--tex2"));
    const QString Pal1 = TakeOption(Args, QStringLiteral("--pal1"), QStringLiteral("0"));
    const QString Pal2 = TakeOption(Args, QStringLiteral("--pal2"), QStringLiteral("0"));
    ExpectArgs(Args, 2, MapRenderUsage);

    if (!QDir(Root).exists())
        throw EFOpenError(ExpandFileName(Root), QStringLiteral("No such directory"));
    const QString RootPath = QDir(Root).absolutePath();
    const TSpriteContainer Library(RootPath);
    const int Count = int(Library.SpriteNames().size());
    if (Count == 0)
        throw Exception(QStringLiteral("The sprite library \"%1\" holds no sprite")
                            .arg(DataPath(RootPath, SpriteFolderName)));
    const int I = int(ParseNumber(Tex1, QStringLiteral("--tex1"), 0, Count - 1));
    const int J = int(ParseNumber(Tex2, QStringLiteral("--tex2"), 0, Count - 1));

    ReadMapPalettes(RootPath + QStringLiteral("/XMLParams.xml"));
    const long long Palettes = (long long)(PalletteArray.size());
    if (Palettes == 0)
        throw Exception(QStringLiteral("The parameters file \"%1\" holds no palette")
                            .arg(RootPath + QStringLiteral("/XMLParams.xml")));
    const int P = int(ParseNumber(Pal1, QStringLiteral("--pal1"), 0, Palettes - 1));
    const int Q = int(ParseNumber(Pal2, QStringLiteral("--pal2"), 0, Palettes - 1));

    int32_t w = 0;
    int32_t h = 0;
    const TMyByteArray Cells = LoadMap(Args.at(0), w, h);

    // The strips as the workspace builds them: the palette first, then the sprite.
    TMapImageItems Items1;
    TMapImageItems Items2;
    Items1.SetPaletteIndex(P);
    Items1.SetSpriteInfo(Library.SpriteInfo(I));
    Items2.SetPaletteIndex(Q);
    Items2.SetSpriteInfo(Library.SpriteInfo(J));
    TMapCellPictures Pictures;
    Pictures.Rebuild(Items1, Items2);

    WriteMapPng(RenderMap(Cells, w, h, Pictures), Args.at(1));
    return 0;
}

} // namespace velkora::tool
