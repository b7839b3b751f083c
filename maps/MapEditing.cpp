// SPDX-License-Identifier: MIT
#include "maps/MapEditing.h"

#include "shell/MyTypes.h"

#include <algorithm>
#include <cstdint>

namespace velkora {

namespace {

// One axis of ClampGridPos: the cells start at Pos + Border and span Count cells of Pitch.
int ClampAxis(int Pos, int Count, int Pitch, int Border, int ViewFirst, int ViewEnd) {
    if (ViewEnd - ViewFirst < Pitch)
        return Pos; // no whole cell fits: a view being laid out, not one to keep the map in
    // The first cell ends inside the view at the latest, the last begins in it at the earliest.
    const int64_t Low = int64_t(ViewFirst) - int64_t(Count - 1) * Pitch - Border;
    const int64_t High = std::max(Low, int64_t(ViewEnd) - Pitch - Border);
    return int(std::clamp(int64_t(Pos), Low, High));
}

// Division rounding toward minus infinity.
int64_t FloorDiv(int64_t a, int64_t b) {
    const int64_t q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

} // namespace

QPoint ClampGridPos(QPoint Pos, int Cols, int Rows, int Pitch, int Border, const QRect& View) {
    if (Cols <= 0 || Rows <= 0 || Pitch <= 0)
        return Pos;
    return QPoint(ClampAxis(Pos.x(), Cols, Pitch, Border, View.left(), View.right() + 1),
                  ClampAxis(Pos.y(), Rows, Pitch, Border, View.top(), View.bottom() + 1));
}

QPoint ZoomGridPos(QPoint Pos, QPoint Anchor, int OldPitch, int NewPitch, int Border) {
    if (OldPitch <= 0 || NewPitch <= 0)
        return Pos;
    const auto Axis = [&](int p, int a) {
        const int64_t Offset = int64_t(a) - p - Border; // the anchor from the cells' corner
        return int(a - Border - FloorDiv(Offset * NewPitch, OldPitch));
    };
    return QPoint(Axis(Pos.x(), Anchor.x()), Axis(Pos.y(), Anchor.y()));
}

QRect CellSpan(QPoint A, QPoint B) {
    return QRect(QPoint(std::min(A.x(), B.x()), std::min(A.y(), B.y())),
                 QPoint(std::max(A.x(), B.x()), std::max(A.y(), B.y())));
}

QString CellValueText(int Value) {
    constexpr int Items = 25;
    if (Value >= 0 && Value < Items)
        return QStringLiteral("texture 1 item %1").arg(Value);
    if (Value >= Items && Value < 2 * Items)
        return QStringLiteral("texture 2 item %1").arg(Value - Items);
    return QStringLiteral("unknown value %1").arg(Value);
}

QString MapFileNameFor(const QString& Typed) {
    const QString Name = Typed.trimmed();
    if (Name.isEmpty())
        return Name;
    if (Name.contains(QLatin1Char('/')) || Name.contains(QLatin1Char('\\')))
        throw Exception(QStringLiteral("A map name cannot hold a folder: \"%1\" has a path "
                                       "separator")
                            .arg(Name));
    if (Name.contains(QStringLiteral("..")))
        throw Exception(QStringLiteral("A map name cannot hold \"..\": \"%1\"").arg(Name));
    if (std::any_of(Name.begin(), Name.end(),
                    [](QChar c) { return c.category() == QChar::Other_Control; }))
        throw Exception(QStringLiteral("A map name cannot hold control characters"));
    const QString Suffix = QStringLiteral(".Map");
    const bool HasSuffix = Name.endsWith(Suffix, Qt::CaseInsensitive);
    if (HasSuffix && Name.size() == Suffix.size())
        throw Exception(QStringLiteral("A map name needs something before \"%1\"").arg(Suffix));
    return HasSuffix ? Name : Name + Suffix;
}

} // namespace velkora
