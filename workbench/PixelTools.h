// SPDX-License-Identifier: MIT
#pragma once
// The workbench's pixel tools, apart from any widget: each one turns presses, moves and releases
// at pixels of the picture's layout into colour indices written on a canvas of the sprite's words.
// A gesture works on a copy of the sprite (TPixelCanvas); the workbench gives the words it leaves
// to the document as one edit. A new tool is a new class over TPixelTool.

#include "sprites/SpriteEditor.h"
#include "workbench/SpriteView.h"

#include <QPoint>
#include <QRect>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

namespace velkora {

// A sprite's words and blocks, addressed by pixels of a layout: the point (x, y) is the sprite
// pixel the layout shows there. Writes change the words and the blocks together, and are logged
// so that a gesture can take back what it drew since its mark (a line drawn anew on each move).
class TPixelCanvas {
public:
    // Sprite is edited in place and must outlive the canvas; Layout is copied.
    TPixelCanvas(TSpriteInfo& Sprite, const TSpriteLayoutView& Layout);

    const TSpriteLayoutView& Layout() const { return fLayout; }
    // The block drawn at P, or -1 where no tile is drawn.
    int64_t BlockAt(QPoint P) const { return fLayout.BlockAt(P.x(), P.y()); }
    // The colour index at P; -1 where no tile is drawn.
    int Index(QPoint P) const;
    // Writes colour index Index (0 to 15) at P; nothing where no tile is drawn.
    void Set(QPoint P, int Index);
    // True once a write changed a pixel.
    bool Changed() const { return fChanged; }
    // Starts the log (writes before the first Mark are not logged) or forgets it: what is drawn
    // so far stays.
    void Mark();
    // Takes back every write since the last Mark.
    void RestoreMark();

    // Every pixel from A to B on a line with no gaps (each step to one of the eight neighbours).
    static std::vector<QPoint> LinePoints(QPoint A, QPoint B);

private:
    TSpriteInfo& fSprite;
    TSpriteLayoutView fLayout;
    struct TWrite {
        QPoint P;
        int Old;
    };
    std::vector<TWrite> fLog;
    bool fLogging = false;
    bool fChanged = false;
};

// What a tool does with the buttons: Press starts a gesture at a pixel (the colour of the button
// pressed, Shift held or not), Move follows the pointer (Shift as it is then), Release ends it
// where the pointer is. Points outside the sprite are valid: a tool clips what it draws.
class TPixelTool {
public:
    virtual ~TPixelTool() = default;
    // The name of the edit a gesture makes ("Pencil"), for the Edit menu's Undo.
    virtual QString EditName() const = 0;
    virtual void Press(TPixelCanvas& Canvas, QPoint P, int Colour, bool Shift) = 0;
    virtual void Move(TPixelCanvas& Canvas, QPoint P, bool Shift) = 0;
    virtual void Release(TPixelCanvas& Canvas, QPoint P, bool Shift) { Move(Canvas, P, Shift); }
    // The colour index a gesture read (the pick tool), if any.
    virtual std::optional<int> Picked() const { return std::nullopt; }
    // The rectangle a gesture marked (the select tool), if any.
    virtual std::optional<QRect> Marked() const { return std::nullopt; }
};

// Draws every pixel the pointer crosses.
class TPencilTool : public TPixelTool {
public:
    QString EditName() const override { return QStringLiteral("Pencil"); }
    void Press(TPixelCanvas& Canvas, QPoint P, int Colour, bool Shift) override;
    void Move(TPixelCanvas& Canvas, QPoint P, bool Shift) override;

private:
    QPoint fLast;
    int fColour = 0;
};

// A line from the press to the pointer.
class TLineTool : public TPixelTool {
public:
    QString EditName() const override { return QStringLiteral("Line"); }
    void Press(TPixelCanvas& Canvas, QPoint P, int Colour, bool Shift) override;
    void Move(TPixelCanvas& Canvas, QPoint P, bool Shift) override;

private:
    QPoint fStart;
    int fColour = 0;
};

// The outline of the rectangle from the press to the pointer; filled while Shift is held.
class TPixelRectangleTool : public TPixelTool {
public:
    QString EditName() const override { return QStringLiteral("Rectangle"); }
    void Press(TPixelCanvas& Canvas, QPoint P, int Colour, bool Shift) override;
    void Move(TPixelCanvas& Canvas, QPoint P, bool Shift) override;

private:
    QPoint fStart;
    int fColour = 0;
};

// Fills the 4-connected pixels of the pressed pixel's colour index, across the whole sprite as it
// is laid out, or with Shift within the pressed pixel's tile.
class TPixelFillTool : public TPixelTool {
public:
    QString EditName() const override { return QStringLiteral("Fill"); }
    void Press(TPixelCanvas& Canvas, QPoint P, int Colour, bool Shift) override;
    void Move(TPixelCanvas&, QPoint, bool) override {}
    void Release(TPixelCanvas&, QPoint, bool) override {}
    static void Fill(TPixelCanvas& Canvas, QPoint P, int Colour, bool WithinTile);
};

// Reads the colour index under the press (and under the pointer while the button is held).
class TPixelPickTool : public TPixelTool {
public:
    QString EditName() const override { return QStringLiteral("Pick"); }
    void Press(TPixelCanvas& Canvas, QPoint P, int Colour, bool Shift) override;
    void Move(TPixelCanvas& Canvas, QPoint P, bool Shift) override;
    std::optional<int> Picked() const override { return fPicked; }

private:
    std::optional<int> fPicked;
};

// Marks the rectangle of pixels from the press to the pointer, both ends included.
class TPixelSelectTool : public TPixelTool {
public:
    QString EditName() const override { return QStringLiteral("Select"); }
    void Press(TPixelCanvas& Canvas, QPoint P, int Colour, bool Shift) override;
    void Move(TPixelCanvas& Canvas, QPoint P, bool Shift) override;
    std::optional<QRect> Marked() const override { return fRect; }

private:
    QPoint fStart;
    std::optional<QRect> fRect;
};

enum class TPixelToolKind { Pencil, Line, Rectangle, Fill, Pick, Select };
constexpr int PixelToolCount = 6;
std::unique_ptr<TPixelTool> MakePixelTool(TPixelToolKind Kind);

// What the selection commands do to a rectangle of the canvas. A rectangle whose sides lie on
// tile edges acts on its whole tiles; any other on its pixels; either way the result is the
// rectangle's picture flipped or turned, pixels that would land where no tile is drawn dropped.
namespace PixelArea {
// The colour indices of Area, row by row (-1 where no tile is drawn).
std::vector<int> Take(const TPixelCanvas& Canvas, QRect Area);
// Writes Indices (Size.width() per row) with the top left corner at At; -1 entries are skipped.
void Put(TPixelCanvas& Canvas, QPoint At, QSize Size, const std::vector<int>& Indices);
void FlipHorizontally(TPixelCanvas& Canvas, QRect Area);
void FlipVertically(TPixelCanvas& Canvas, QRect Area);
// Turns Area clockwise about its top left corner: the result covers Area.height() x
// Area.width() pixels from there; the places of Area it no longer covers become Background.
// Returns the rectangle the result covers.
QRect RotateClockwise(TPixelCanvas& Canvas, QRect Area, int Background);
// Writes Colour into every pixel of Area.
void Clear(TPixelCanvas& Canvas, QRect Area, int Colour);
} // namespace PixelArea

} // namespace velkora
