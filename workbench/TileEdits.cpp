// SPDX-License-Identifier: MIT
#include "workbench/TileEdits.h"

#include <algorithm>

namespace velkora {

namespace {

constexpr int64_t TileWords = 16;

void Check(bool Held, const QString& What) {
    if (!Held)
        throw EFormatError(What);
}

// Where group Group of PerGroup tiles starts and ends, in tiles.
std::pair<int64_t, int64_t> GroupTiles(const TMyArray& Words, int64_t Group, int64_t PerGroup) {
    const int64_t Tiles = TileEdits::TileCount(Words);
    Check(PerGroup > 0 && Group >= 0 && Group * PerGroup < Tiles,
          QStringLiteral("The sprite has no tile group %1").arg(Group));
    return {Group * PerGroup, std::min(Tiles, (Group + 1) * PerGroup)};
}

} // namespace

int64_t TileEdits::TileCount(const TMyArray& Words) {
    return int64_t(Words.size()) / TileWords;
}

TMyArray TileEdits::InsertTiles(const TMyArray& Words, int64_t At, int64_t Count) {
    Check(At >= 0 && At <= TileCount(Words), QStringLiteral("The sprite has no tile %1").arg(At));
    Check(Count > 0 && Count <= MaxInsertedTiles,
          QStringLiteral("%1 tiles cannot be inserted").arg(Count));
    TMyArray Out;
    Out.reserve(Words.size() + size_t(Count * TileWords));
    Out.insert(Out.end(), Words.begin(), Words.begin() + At * TileWords);
    Out.resize(Out.size() + size_t(Count * TileWords), 0);
    Out.insert(Out.end(), Words.begin() + At * TileWords, Words.end());
    return Out;
}

TMyArray TileEdits::DeleteTiles(const TMyArray& Words, int64_t First, int64_t Count) {
    Check(First >= 0 && Count > 0 && First + Count <= TileCount(Words),
          QStringLiteral("The sprite has no tiles %1 to %2").arg(First).arg(First + Count - 1));
    TMyArray Out(Words.begin(), Words.begin() + First * TileWords);
    Out.insert(Out.end(), Words.begin() + (First + Count) * TileWords, Words.end());
    return Out;
}

TMyArray TileEdits::DuplicateGroup(const TMyArray& Words, int64_t Group, int64_t PerGroup) {
    const auto [Begin, End] = GroupTiles(Words, Group, PerGroup);
    TMyArray Out;
    Out.reserve(Words.size() + size_t((End - Begin) * TileWords));
    Out.insert(Out.end(), Words.begin(), Words.begin() + End * TileWords);
    Out.insert(Out.end(), Words.begin() + Begin * TileWords, Words.begin() + End * TileWords);
    Out.insert(Out.end(), Words.begin() + End * TileWords, Words.end());
    return Out;
}

TMyArray TileEdits::MoveGroup(const TMyArray& Words, int64_t Group, int64_t PerGroup,
                              bool Earlier) {
    const int64_t Other = Earlier ? Group - 1 : Group + 1;
    const auto [Begin, End] = GroupTiles(Words, std::min(Group, Other), PerGroup);
    const auto [OtherBegin, OtherEnd] = GroupTiles(Words, std::max(Group, Other), PerGroup);
    Q_UNUSED(OtherBegin);
    // The two groups side by side change places: the second's tiles first.
    TMyArray Out = Words;
    std::rotate(Out.begin() + Begin * TileWords, Out.begin() + End * TileWords,
                Out.begin() + OtherEnd * TileWords);
    return Out;
}

} // namespace velkora
