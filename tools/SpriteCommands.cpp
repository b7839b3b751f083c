#include "sprites/SpriteEditor.h"
#include "tools/ToolSupport.h"

namespace velkora::tool {

namespace {

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

const SubCommand DecodeCommand = {
    "decode", Decode, "sprite decode IN.spr OUT.bin",
    "Decodes a sprite file (compressed, uncompressed or plain) into an edit file: the sprite's\n"
    "words, big-endian, without a header, 32 bytes a tile.\n",
    "sprite decode Sprites/Hero.spr Hero.bin"};

const SubCommand EncodeCommand = {"encode", Encode, "sprite encode IN.bin OUT.spr",
                                  "Reads an edit file and writes it as a compressed sprite file.\n",
                                  "sprite encode Hero.bin Sprites/Hero.spr"};

const SubCommand PackCommand = {
    "pack", Pack, "sprite pack IN.bin OUT.spr",
    "Reads an edit file and writes it as an uncompressed sprite file.\n",
    "sprite pack Hero.bin Sprites/Hero.spr"};

} // namespace

const CommandGroup SpriteGroup = {"sprite",
                                  {&DecodeCommand, &EncodeCommand, &PackCommand,
                                   &SpriteRenderCommand, &SpriteExportPngCommand,
                                   &SpriteImportPngCommand}};

} // namespace velkora::tool
