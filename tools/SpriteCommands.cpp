#include "sprites/SpriteEditor.h"
#include "tools/ToolSupport.h"

namespace velkora::tool {

namespace {

const char Usage[] =
    "  velkora-tool sprite decode IN.spr OUT.bin\n"
    "      Decodes a sprite file (compressed, uncompressed or plain) into an edit file.\n"
    "  velkora-tool sprite encode IN.bin OUT.spr\n"
    "      Reads an edit file and writes it as a compressed sprite file.\n"
    "  velkora-tool sprite pack IN.bin OUT.spr\n"
    "      Reads an edit file and writes it as an uncompressed sprite file.\n"
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
    "      PNG's velkora-layout text. Without the parameters file or palette N: a grey ramp.\n"
    "  velkora-tool sprite import-png IN.png OUT.spr [--uncompressed] [--params FILE] "
    "[--palette N] [--size S] [--order cw|ccw] [--blocks B] [--keep-indices]\n"
    "      The inverse: the layout comes from the PNG's velkora-layout text or its comment, the\n"
    "      options override it (without either: 8x8, cw, every group of the picture). An indexed\n"
    "      PNG whose palette is palette N where its pixels use it gives its indices (0 to 15);\n"
    "      any other PNG must use the exact colours of palette N, each pixel taking the lowest\n"
    "      index of its colour (fully transparent pixels are colour 0). --keep-indices, or no\n"
    "      parameters file, takes an indexed PNG's indices as they stand. Writes OUT.spr\n"
    "      compressed (or uncompressed) and prints the block count.\n";

int Decode(const QStringList& Args) {
    ExpectArgs(Args, 2, "velkora-tool sprite decode IN.spr OUT.bin");
    TSpriteInfo Sprite;
    Sprite.Init(Args.at(0));
    Sprite.SaveToEdit(Args.at(1));
    return 0;
}

int Encode(const QStringList& Args) {
    ExpectArgs(Args, 2, "velkora-tool sprite encode IN.bin OUT.spr");
    TSpriteInfo Sprite;
    Sprite.LoadAfterEdt(Args.at(0));
    Sprite.SaveAsCompressedSprite(Args.at(1));
    return 0;
}

int Pack(const QStringList& Args) {
    ExpectArgs(Args, 2, "velkora-tool sprite pack IN.bin OUT.spr");
    TSpriteInfo Sprite;
    Sprite.LoadAfterEdt(Args.at(0));
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
