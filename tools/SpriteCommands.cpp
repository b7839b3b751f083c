// SPDX-License-Identifier: MIT
#include "sprites/SpriteEditor.h"
#include "tools/ToolSupport.h"

namespace velkora::tool {

namespace {

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

const SubCommand DecodeCommand = {
    "decode", Decode, "sprite decode IN.spr OUT.bin",
    "Decodes a sprite file (compressed, uncompressed or plain) into an edit file: the sprite's\n"
    "words, big-endian, without a header, 32 bytes a tile.\n",
    "sprite decode Sprites/Hero.spr Hero.bin"};

const SubCommand EncodeCommand = {
    "encode", Encode, "sprite encode IN.bin OUT.spr [--drop-partial]",
    "Reads an edit file and writes it as a compressed sprite file. The compressed form holds\n"
    "whole tiles (16 words) only: an edit file that ends with words that are not a whole tile,\n"
    "or with an odd byte, is refused unless --drop-partial drops them.\n",
    "sprite encode Hero.bin Sprites/Hero.spr"};

const SubCommand PackCommand = {
    "pack", Pack, "sprite pack IN.bin OUT.spr [--drop-partial]",
    "Reads an edit file and writes it as an uncompressed sprite file, which keeps every word;\n"
    "an odd last byte is refused unless --drop-partial drops it.\n",
    "sprite pack Hero.bin Sprites/Hero.spr"};

} // namespace

const CommandGroup SpriteGroup = {"sprite",
                                  {&DecodeCommand, &EncodeCommand, &PackCommand,
                                   &SpriteRenderCommand, &SpriteExportPngCommand,
                                   &SpriteImportPngCommand}};

} // namespace velkora::tool
