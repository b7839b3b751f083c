// SPDX-License-Identifier: MIT
#pragma once
// Blocks of cells on the system clipboard: under a private type, which another map of this
// editor (or a second running editor) pastes exactly, holes and all, and as text (rows of cell
// values separated by spaces) for text editors. Text of that shape pastes too.

#include "maps/CellBlock.h"

#include <QString>

#include <optional>

class QMimeData;

namespace velkora::MapClipboard {

// The private type.
extern const QString CellsMimeType;

// New clipboard data for Block; its forms are made when they are asked for.
QMimeData* ToMimeData(const TCellBlock& Block);
// The block the data holds: the private type first, then text of the clipboard's shape; none for
// anything else.
std::optional<TCellBlock> FromMimeData(const QMimeData* Data);

} // namespace velkora::MapClipboard
