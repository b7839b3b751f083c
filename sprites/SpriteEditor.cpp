// SPDX-License-Identifier: MIT
#include "sprites/SpriteEditor.h"

#include "sprites/CompDecompUnit.h"

#include <QFile>

#include <algorithm>
#include <dirent.h>
#include <new>
#include <string>

namespace velkora {

// ---- Sprite files -----------------------------------------------------------------------------

TMyByteArray SpriteEditor::EditFileImage(const TMyArray& Words) {
    TMyByteArray Out(2 * Words.size());
    uint8_t* p = Out.data();
    for (uint16_t w : Words) {
        *p++ = uint8_t(w >> 8);
        *p++ = uint8_t(w & 0xFF);
    }
    return Out;
}

TMyArray SpriteEditor::WordsOfEditFile(const uint8_t* S, size_t Size) {
    TMyArray Words(Size / 2);
    for (size_t i = 0; i < Words.size(); ++i)
        Words[i] = MyTypes::ReadBE16(S + 2 * i);
    return Words;
}

TMyByteArray SpriteEditor::UncompressedSpriteImage(const TMyArray& Words, size_t BlockCount) {
    TMyByteArray Out;
    Out.reserve(5 + 2 * Words.size());
    Out.push_back(0x00);
    Out.push_back(0x01);
    Out.push_back(uint8_t(BlockCount & 0xFF));
    Out.push_back(uint8_t((BlockCount >> 8) & 0xFF));
    const TMyByteArray Body = EditFileImage(Words);
    Out.insert(Out.end(), Body.begin(), Body.end());
    if (Words.size() % 2)
        Out.push_back(0x00);
    return Out;
}

void TSpriteInfo::Init(const QString& FileName) {
    const TMyByteArray Image = MyTypes::ReadFileBytes(FileName);
    TMyArray Words;
    try {
        CompDecompUnit::DeCompress(Image, Words);
    } catch (const std::bad_alloc&) {
        // A header of a few bytes may claim more words than there is memory for.
        throw EFOpenError(MyTypes::ExpandFileName(FileName), QStringLiteral("Out of memory"));
    }
    Bytes = std::move(Words);
    Form = CompDecompUnit::SpriteFormOf(Image.data(), Image.size());
}

void TSpriteInfo::GenerateBlocArray() {
    BlocksArray = CompDecompUnit::MakeBlockArray(Bytes);
}

void TSpriteInfo::SaveToEdit(const QString& FileName) const {
    MyTypes::WriteFileAtomically(FileName, SpriteEditor::EditFileImage(Bytes));
}

void TSpriteInfo::LoadAfterEdt(const QString& FileName) {
    const TMyByteArray Image = MyTypes::ReadFileBytes(FileName);
    Bytes = SpriteEditor::WordsOfEditFile(Image.data(), Image.size());
}

void TSpriteInfo::SaveAsCompressedSprite(const QString& FileName) const {
    // Encoded first: a sprite the encoder refuses leaves the file as it was.
    MyTypes::WriteFileAtomically(FileName, CompDecompUnit::Compress(Bytes));
}

void TSpriteInfo::SaveSprite(const QString& FileName) const {
    // The block count is that of Bytes' whole tiles (the length of BlocksArray whenever it is
    // current), so the reader always recognises the layout and gets the words back.
    MyTypes::WriteFileAtomically(FileName,
                                 SpriteEditor::UncompressedSpriteImage(Bytes, Bytes.size() / 16));
}

// ---- The sprite library -----------------------------------------------------------------------

namespace {

// The ASCII digits of s, joined, without leading zeros ("" for none or all zeros).
std::string DigitsOf(const QString& s) {
    std::string d;
    for (QChar c : s) {
        const char16_t u = c.unicode();
        if (u >= u'0' && u <= u'9' && !(d.empty() && u == u'0'))
            d.push_back(char(u));
    }
    return d;
}

// Compares two digit strings without leading zeros by numeric value.
int CompareIndex(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    const int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

// Code unit order of two whole names.
int CompareUnits(const QString& a, const QString& b) {
    const char16_t* pa = reinterpret_cast<const char16_t*>(a.utf16());
    const char16_t* pb = reinterpret_cast<const char16_t*>(b.utf16());
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i)
        if (pa[i] != pb[i])
            return pa[i] < pb[i] ? -1 : 1;
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return 0;
}

// A name's sort key, computed once: its first code unit (an empty name before all others), its
// index as digits, the name itself for ties.
struct TSortKey {
    int First;
    std::string Index;
    const QString* Name;
};

TSortKey KeyOf(const QString& Name) {
    return {Name.isEmpty() ? -1 : int(Name.at(0).unicode()), DigitsOf(Name), &Name};
}

int CompareKeys(const TSortKey& a, const TSortKey& b) {
    if (a.First != b.First)
        return a.First < b.First ? -1 : 1;
    if (const int c = CompareIndex(a.Index, b.Index))
        return c;
    return CompareUnits(*a.Name, *b.Name);
}

} // namespace

QString SpriteEditor::GetIndex(const QString& s) {
    return QString::fromStdString(DigitsOf(s));
}

int SpriteEditor::SortFunc(const QString& Name1, const QString& Name2) {
    return CompareKeys(KeyOf(Name1), KeyOf(Name2));
}

void SpriteEditor::SortNames(QStringList& Names) {
    std::vector<TSortKey> Keys;
    Keys.reserve(size_t(Names.size()));
    for (const QString& n : Names)
        Keys.push_back(KeyOf(n));
    std::sort(Keys.begin(), Keys.end(),
              [](const TSortKey& a, const TSortKey& b) { return CompareKeys(a, b) < 0; });
    QStringList Sorted;
    Sorted.reserve(Names.size());
    for (const TSortKey& k : Keys)
        Sorted.push_back(*k.Name);
    Names = std::move(Sorted);
}

QStringList SpriteEditor::FindFiles(const QString& Folder, const QString& Suffix) {
    QStringList Found;
    // Read the folder directly: entries of every kind count, and no entry needs to be examined
    // beyond its name.
    DIR* d = ::opendir(MyTypes::EncodeFileName(Folder).constData());
    if (!d)
        return Found;
    while (const dirent* e = ::readdir(d)) {
        const QString Name = MyTypes::DecodeFileName(QByteArray(e->d_name));
        if (Name == QLatin1String(".") || Name == QLatin1String(".."))
            continue;
        if (Name.size() < Suffix.size())
            continue;
        bool Match = true;
        for (qsizetype i = 0; i < Suffix.size() && Match; ++i) {
            const QChar a = Name.at(Name.size() - Suffix.size() + i), b = Suffix.at(i);
            Match = a == b || (a.unicode() < 128 && b.unicode() < 128 &&
                               a.toLower().unicode() == b.toLower().unicode());
        }
        if (Match)
            Found.push_back(Name);
    }
    ::closedir(d);
    return Found;
}

TSpriteContainer::TSpriteContainer(const QString& Root) : fRoot(Root) {
    FindFiles(fSpriteNames);
    SpriteEditor::SortNames(fSpriteNames);
}

void TSpriteContainer::FindFiles(QStringList& S) const {
    S += velkora::SpriteEditor::FindFiles(MyTypes::DataPath(fRoot, SpriteFolderName),
                                          QStringLiteral(".spr"));
}

QString TSpriteContainer::FileName(int I) const {
    if (I < 0 || I >= fSpriteNames.size())
        throw EListError(I);
    return MyTypes::DataPath(fRoot, SpriteFolderName, fSpriteNames.at(I));
}

TSpriteInfo TSpriteContainer::GetSpriteInfo(int I) const {
    const QString Name = FileName(I);
    TSpriteInfo Info;
    Info.Init(Name);
    try {
        Info.GenerateBlocArray();
    } catch (const std::bad_alloc&) {
        throw EFOpenError(MyTypes::ExpandFileName(Name), QStringLiteral("Out of memory"));
    }
    return Info;
}

} // namespace velkora
