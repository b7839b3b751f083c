// SPDX-License-Identifier: MIT
#pragma once
// Sprite files and the sprite library.

#include "shell/MyTypes.h"
#include "sprites/CompDecompUnit.h"

#include <QStringList>

namespace velkora {

// The in-memory sprite: decoded words plus the tile blocks made from them. A value: copies are
// independent. Init and LoadAfterEdt replace Bytes only; callers call GenerateBlocArray next.
struct TSpriteInfo {
    TMyArray Bytes;
    TBlocksArray BlocksArray;
    // The layout the file was read in (Init); plain for words that came from elsewhere.
    TSpriteForm Form = TSpriteForm::Plain;

    // Reads a sprite file (compressed, uncompressed or plain) into Bytes. On failure Bytes is
    // left as it was; a sprite too large for the memory there is raises EFOpenError naming the
    // file ("Out of memory").
    void Init(const QString& FileName);
    // Rebuilds BlocksArray from Bytes.
    void GenerateBlocArray();
    // Writes Bytes as an edit file: the words big-endian, no header. Every save replaces its
    // file atomically: a failed one raises an error and leaves the old file whole.
    void SaveToEdit(const QString& FileName) const;
    // Reads an edit file into Bytes; an odd last byte is ignored. On failure Bytes is unchanged.
    void LoadAfterEdt(const QString& FileName);
    // Writes Bytes in the compressed form. An encoder failure leaves any old file untouched.
    void SaveAsCompressedSprite(const QString& FileName) const;
    // Writes the uncompressed form: 00 01, the block count (low 16 bits, little-endian), the
    // words big-endian, a 00 pad byte when the word count is odd. The count is that of the whole
    // blocks in Bytes (BlocksArray's length whenever it is current), so Init reads the file
    // back as these words.
    void SaveSprite(const QString& FileName) const;
};

namespace SpriteEditor {
// File images of the edit file and of the uncompressed sprite file.
TMyByteArray EditFileImage(const TMyArray& Words);
TMyArray WordsOfEditFile(const uint8_t* S, size_t Size);
TMyByteArray UncompressedSpriteImage(const TMyArray& Words, size_t BlockCount);
// The words after the last whole tile (Words.size() mod 16): the compressed form cannot hold
// them: SaveAsCompressedSprite leaves them out, SaveSprite keeps them.
inline size_t PartialTileWords(const TMyArray& Words) {
    return Words.size() % 16;
}
} // namespace SpriteEditor

// ---- The sprite library ---------------------------------------------------------------------

namespace SpriteEditor {
// The index of a name: all its ASCII digits joined, as a decimal number without leading zeros
// ("" stands for 0). A digit string of any length is an index; none makes the listing fail.
QString GetIndex(const QString& s);
// The library's order: first character (UTF-16 code unit), then index by numeric value, then
// the full name (code unit order), so equal keys still give one fixed order. <0, 0, >0.
int SortFunc(const QString& Name1, const QString& Name2);
// Sorts names into the library's order.
void SortNames(QStringList& Names);
// Bare names of all entries of Folder (files, hidden files and sub-folders) whose names end
// with Suffix, compared case-insensitively (".spr" for "*.spr"). A missing folder gives none.
QStringList FindFiles(const QString& Folder, const QString& Suffix);
} // namespace SpriteEditor

// The sorted list of the sprite files under Root/Sprites, built once.
class TSpriteContainer {
public:
    // Lists and sorts Root/Sprites.
    explicit TSpriteContainer(const QString& Root);

    const QStringList& SpriteNames() const { return fSpriteNames; }
    // The sprite at position I, read and decoded from its file anew on every call; blocks built.
    // Raises EListError for an I outside the list.
    TSpriteInfo SpriteInfo(int I) const { return GetSpriteInfo(I); }
    // Root/Sprites/name of the sprite at position I (EListError outside the list).
    QString FileName(int I) const;

private:
    TSpriteInfo GetSpriteInfo(int I) const;
    void FindFiles(QStringList& S) const;

    QString fRoot;
    QStringList fSpriteNames;
};

} // namespace velkora
