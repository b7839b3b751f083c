// SPDX-License-Identifier: MIT
#pragma once
// What editing a map needs apart from any widget: the zoom steps, where the map grid may lie in
// the view, the words the status bar gives a cell value, and the file name a map is saved under.

#include <QPoint>
#include <QRect>
#include <QString>

namespace velkora {

// The zoom steps: each cell picture drawn 1 to 4 times its size, pixel for pixel.
constexpr int MinZoom = 1;
constexpr int MaxZoom = 4;

// The map grid's top-left corner Pos moved as little as possible so that at least one whole
// cell of a Cols x Rows map of Pitch-pixel cells (inside a Border-pixel frame) lies in View.
// A map without cells, or a view smaller than a cell, keeps Pos.
QPoint ClampGridPos(QPoint Pos, int Cols, int Rows, int Pitch, int Border, const QRect& View);

// The grid's top-left corner after the cells change from OldPitch to NewPitch pixels, such that
// the map point under Anchor (in the grid's parent) stays under it, to the pixel.
QPoint ZoomGridPos(QPoint Pos, QPoint Anchor, int OldPitch, int NewPitch, int Border);

// The cells of the rectangle whose corner cells are A and B, both included, in any order.
QRect CellSpan(QPoint A, QPoint B);

// What a cell of value Value shows: "texture 1 item 7" (0 to 24), "texture 2 item 3" (25 to
// 49), "unknown value 200" (any other).
QString CellValueText(int Value);

// The file name, inside the Maps folder, that the name Typed saves a map under: Typed without
// surrounding blanks, with ".Map" added unless it ends with ".map" in any case. An empty Typed
// gives an empty name. A name that would leave the folder or name no map (a path separator,
// "..", nothing before the suffix, a control character) raises Exception.
QString MapFileNameFor(const QString& Typed);

} // namespace velkora
