#include "sprites/SpriteEditor.h"
#include "tools/ToolSupport.h"

namespace velkora::tool {

namespace {

const char Usage[] =
    "  velkora-tool sprite decode IN.spr OUT.bin\n"
    "      Decodes a sprite file (compressed, uncompressed or plain) into an edit file.\n"
    "  velkora-tool sprite encode IN.bin OUT.spr [--drop-partial]\n"
    "      Reads an edit file and writes it as a compressed sprite file. The compressed form\n"
    "      holds whole tiles (16 words) only: an edit file that ends with words that are not a\n"
    "      whole tile, or with an odd byte, is refused unless --drop-partial drops them.\n"
    "  velkora-tool sprite pack IN.bin OUT.spr [--drop-partial]\n"
    "      Reads an edit file and writes it as an uncompressed sprite file, which keeps every\n"
    "      word; an odd last byte is refused unless --drop-partial drops it.\n"
    "  velkora-tool sprite render IN.spr OUT.png --params FILE [--palette N] "
    "[--size 8x8|16x16|24x24|48x48|96x32] [--order cw|ccw] [--width W] [--height H]\n"
    "      Draws a sprite in one of the game's palettes into a PNG image.\n"
    "      Defaults: XMLParams.xml, palette 0, 24x24, cw, 230 x 96. The PNG is indexed, its\n"
    "      colour table the palette; a sprite without a whole tile gives an image of colour 0.\n"
    "  velkora-tool sprite export-png IN.spr OUT.png [--params FILE] [--palette N] [--size S] "
    "[--order cw|ccw] [--columns C]\n"
    "      Writes every block of a sprite as an indexed PNG (4 bits, the palette's 16 colours) "
    "for\n"
    "      paint programs: tile groups of size S (default 8x8) in the order given (default cw),\n"
    "      C groups to a row (default: as many as fit in 128 pixels). The layout is kept in the\n"
    "      PNG's velkora-layout text. Without a parameters file: a grey ramp (said on stderr);\n"
    "      a palette N that the file does not hold is a usage error.\n"
    "  velkora-tool sprite import-png IN.png OUT.spr [--uncompressed] [--params FILE] "
    "[--palette N] [--size S] [--order cw|ccw] [--blocks B]\n"
    "      The inverse: the layout comes from the PNG's velkora-layout text, the options override\n"
    "      it (without either: 8x8, cw, every group of the picture). Indexed PNGs give their\n"
    "      indices (0 to 15); other PNGs must use the exact colours of palette N (fully\n"
    "      transparent pixels are colour 0). Writes OUT.spr compressed (or uncompressed) and\n"
    "      prints the block count.\n";

int Decode(const QStringList& Args) {
    ExpectArgs(Args, 2, "velkora-tool sprite decode IN.spr OUT.bin");
    RefuseOtherFormat(Args.at(0), TInputKind::Sprite);
    TSpriteInfo Sprite;
    Sprite.Init(Args.at(0));
    Sprite.SaveToEdit(Args.at(1));
    return 0;
}

// The words of an edit file for a sprite file that holds whole tiles only (Compressed) or any
// number of words. What such a file cannot hold (the words after the last whole tile, an odd last
// byte) is refused, or dropped with a note when DropPartial says so.
TSpriteInfo ReadEditFile(const QString& FileName, bool Compressed, bool DropPartial) {
    const TMyByteArray Image = MyTypes::ReadFileBytes(FileName);
    TSpriteInfo Sprite;
    Sprite.Bytes = SpriteEditor::WordsOfEditFile(Image.data(), Image.size());
    const size_t Words = Compressed ? SpriteEditor::PartialTileWords(Sprite.Bytes) : 0;
    const size_t Bytes = Image.size() % 2;
    if (Words == 0 && Bytes == 0)
        return Sprite;
    QStringList Parts;
    if (Words != 0)
        Parts << QStringLiteral("%1 %2").arg(Words).arg(Words == 1 ? QLatin1String("word")
                                                                   : QLatin1String("words"));
    if (Bytes != 0)
        Parts << QStringLiteral("an odd byte");
    const QString Tail = Parts.join(QStringLiteral(" and "));
    const bool One = Words + Bytes == 1;
    const QString Whole =
        Words != 0 ? QStringLiteral("a whole tile") : QStringLiteral("a whole word");
    if (!DropPartial)
        throw EFormatError(
            QStringLiteral("Edit file \"%1\" ends with %2 that %3 not %4; --drop-partial drops %5")
                .arg(MyTypes::ExpandFileName(FileName), Tail,
                     One ? QLatin1String("is") : QLatin1String("are"), Whole,
                     One ? QLatin1String("it") : QLatin1String("them")));
    Sprite.Bytes.resize(Sprite.Bytes.size() - Words);
    PrintNote(QStringLiteral("dropped the last %1 of \"%2\"")
                  .arg(Tail, MyTypes::ExpandFileName(FileName)));
    return Sprite;
}

int Encode(const QStringList& Arguments) {
    QStringList Args = Arguments;
    const bool Drop = Args.removeAll(QStringLiteral("--drop-partial")) > 0;
    ExpectArgs(Args, 2, "velkora-tool sprite encode IN.bin OUT.spr [--drop-partial]");
    const TSpriteInfo Sprite = ReadEditFile(Args.at(0), true, Drop);
    Sprite.SaveAsCompressedSprite(Args.at(1));
    return 0;
}

int Pack(const QStringList& Arguments) {
    QStringList Args = Arguments;
    const bool Drop = Args.removeAll(QStringLiteral("--drop-partial")) > 0;
    ExpectArgs(Args, 2, "velkora-tool sprite pack IN.bin OUT.spr [--drop-partial]");
    TSpriteInfo Sprite = ReadEditFile(Args.at(0), false, Drop);
    Sprite.GenerateBlocArray();
    Sprite.SaveSprite(Args.at(1));
    return 0;
}

int Run(const QStringList& Args) {
    return Dispatch("sprite",
                    {{"decode", Decode},
                     {"encode", Encode},
                     {"pack", Pack},
                     {"render", SpriteRender},
                     {"export-png", SpriteExportPng},
                     {"import-png", SpriteImportPng}},
                    Args);
}

} // namespace

const CommandGroup SpriteGroup = {"sprite", Usage, &Run};

} // namespace velkora::tool
