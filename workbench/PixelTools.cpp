// SPDX-License-Identifier: MIT
#include "workbench/PixelTools.h"

#include <QRegion>

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace velkora {

// ---- TPixelCanvas ---------------------------------------------------------------------------

TPixelCanvas::TPixelCanvas(TSpriteInfo& Sprite, const TSpriteLayoutView& Layout)
    : fSprite(Sprite), fLayout(Layout) {
    fLayout.SetSprite(&fSprite.BlocksArray, fLayout.BlockSize(), fLayout.IsCW(), {});
}

int TPixelCanvas::Index(QPoint P) const {
    const int64_t Block = BlockAt(P);
    if (Block < 0)
        return -1;
    const int x = P.x() % 8;
    const uint8_t b = fSprite.BlocksArray[size_t(Block)][size_t(P.y() % 8)][size_t(x / 2)];
    return (x & 1) ? (b & 15) : (b >> 4);
}

void TPixelCanvas::Set(QPoint P, int Value) {
    const int64_t Block = BlockAt(P);
    if (Block < 0)
        return;
    const int x = P.x() % 8;
    const int y = P.y() % 8;
    uint8_t& b = fSprite.BlocksArray[size_t(Block)][size_t(y)][size_t(x / 2)];
    const int Old = (x & 1) ? (b & 15) : (b >> 4);
    Value &= 15;
    if (Old == Value)
        return;
    b = (x & 1) ? uint8_t((b & 0xF0) | Value) : uint8_t((b & 0x0F) | (Value << 4));
    // Word y * 2 + x / 4 of the tile holds the pixel, the leftmost in its top four bits.
    uint16_t& w = fSprite.Bytes[size_t(Block) * 16 + size_t(y) * 2 + size_t(x / 4)];
    const int Shift = (3 - x % 4) * 4;
    w = uint16_t((w & ~(15 << Shift)) | (Value << Shift));
    if (fLogging)
        fLog.push_back({P, Old});
    fChanged = true;
}

void TPixelCanvas::Mark() {
    fLog.clear();
    fLogging = true;
}

void TPixelCanvas::RestoreMark() {
    std::vector<TWrite> Log;
    Log.swap(fLog);
    fLogging = false;
    for (auto i = Log.rbegin(); i != Log.rend(); ++i)
        Set(i->P, i->Old);
    fLogging = true;
    Log.clear();
    // The log's memory serves the next gesture step.
    fLog.swap(Log);
}

std::vector<QPoint> TPixelCanvas::LinePoints(QPoint A, QPoint B) {
    std::vector<QPoint> Points;
    const int dx = std::abs(B.x() - A.x());
    const int dy = -std::abs(B.y() - A.y());
    const int sx = A.x() < B.x() ? 1 : -1;
    const int sy = A.y() < B.y() ? 1 : -1;
    int Err = dx + dy;
    QPoint P = A;
    Points.reserve(size_t(std::max(dx, -dy)) + 1);
    for (;;) {
        Points.push_back(P);
        if (P == B)
            break;
        const int e2 = 2 * Err;
        if (e2 >= dy) {
            Err += dy;
            P.rx() += sx;
        }
        if (e2 <= dx) {
            Err += dx;
            P.ry() += sy;
        }
    }
    return Points;
}

// ---- The tools ------------------------------------------------------------------------------

namespace {

// The rectangle with corners A and B, both included, whichever way it was dragged.
QRect Span(QPoint A, QPoint B) {
    return QRect(QPoint(std::min(A.x(), B.x()), std::min(A.y(), B.y())),
                 QPoint(std::max(A.x(), B.x()), std::max(A.y(), B.y())));
}

void DrawRectangle(TPixelCanvas& Canvas, QPoint A, QPoint B, int Colour, bool Filled) {
    const QRect r = Span(A, B);
    for (int y = r.top(); y <= r.bottom(); ++y) {
        if (Filled || y == r.top() || y == r.bottom()) {
            for (int x = r.left(); x <= r.right(); ++x)
                Canvas.Set(QPoint(x, y), Colour);
        } else {
            Canvas.Set(QPoint(r.left(), y), Colour);
            Canvas.Set(QPoint(r.right(), y), Colour);
        }
    }
}

} // namespace

void TPencilTool::Press(TPixelCanvas& Canvas, QPoint P, int Colour, bool) {
    fColour = Colour;
    fLast = P;
    Canvas.Set(P, Colour);
}

void TPencilTool::Move(TPixelCanvas& Canvas, QPoint P, bool) {
    if (P == fLast)
        return;
    for (const QPoint& q : TPixelCanvas::LinePoints(fLast, P))
        Canvas.Set(q, fColour);
    fLast = P;
}

void TLineTool::Press(TPixelCanvas& Canvas, QPoint P, int Colour, bool) {
    fColour = Colour;
    fStart = P;
    Canvas.Mark();
    Canvas.Set(P, Colour);
}

void TLineTool::Move(TPixelCanvas& Canvas, QPoint P, bool) {
    Canvas.RestoreMark();
    for (const QPoint& q : TPixelCanvas::LinePoints(fStart, P))
        Canvas.Set(q, fColour);
}

void TPixelRectangleTool::Press(TPixelCanvas& Canvas, QPoint P, int Colour, bool Shift) {
    fColour = Colour;
    fStart = P;
    Canvas.Mark();
    DrawRectangle(Canvas, P, P, Colour, Shift);
}

void TPixelRectangleTool::Move(TPixelCanvas& Canvas, QPoint P, bool Shift) {
    Canvas.RestoreMark();
    DrawRectangle(Canvas, fStart, P, fColour, Shift);
}

void TPixelFillTool::Press(TPixelCanvas& Canvas, QPoint P, int Colour, bool Shift) {
    Fill(Canvas, P, Colour, Shift);
}

void TPixelFillTool::Fill(TPixelCanvas& Canvas, QPoint P, int Colour, bool WithinTile) {
    const int Old = Canvas.Index(P);
    Colour &= 15;
    if (Old < 0 || Old == Colour)
        return;
    const int64_t Tile = Canvas.BlockAt(P);
    // Every pixel written takes the new colour, so a pixel of the old one is never seen twice.
    std::vector<QPoint> Stack{P};
    Canvas.Set(P, Colour);
    while (!Stack.empty()) {
        const QPoint q = Stack.back();
        Stack.pop_back();
        for (const QPoint& n : {QPoint(q.x() + 1, q.y()), QPoint(q.x() - 1, q.y()),
                                QPoint(q.x(), q.y() + 1), QPoint(q.x(), q.y() - 1)}) {
            if (WithinTile && Canvas.BlockAt(n) != Tile)
                continue;
            if (Canvas.Index(n) != Old)
                continue;
            Canvas.Set(n, Colour);
            Stack.push_back(n);
        }
    }
}

void TPixelPickTool::Press(TPixelCanvas& Canvas, QPoint P, int, bool) {
    Move(Canvas, P, false);
}

void TPixelPickTool::Move(TPixelCanvas& Canvas, QPoint P, bool) {
    const int i = Canvas.Index(P);
    if (i >= 0)
        fPicked = i;
}

void TPixelSelectTool::Press(TPixelCanvas&, QPoint P, int, bool) {
    fStart = P;
    fRect = QRect(P, QSize(1, 1));
}

void TPixelSelectTool::Move(TPixelCanvas&, QPoint P, bool) {
    fRect = Span(fStart, P);
}

std::unique_ptr<TPixelTool> MakePixelTool(TPixelToolKind Kind) {
    switch (Kind) {
    case TPixelToolKind::Pencil:
        break;
    case TPixelToolKind::Line:
        return std::make_unique<TLineTool>();
    case TPixelToolKind::Rectangle:
        return std::make_unique<TPixelRectangleTool>();
    case TPixelToolKind::Fill:
        return std::make_unique<TPixelFillTool>();
    case TPixelToolKind::Pick:
        return std::make_unique<TPixelPickTool>();
    case TPixelToolKind::Select:
        return std::make_unique<TPixelSelectTool>();
    }
    return std::make_unique<TPencilTool>();
}

// ---- Areas ----------------------------------------------------------------------------------

std::vector<int> PixelArea::Take(const TPixelCanvas& Canvas, QRect Area) {
    std::vector<int> Out;
    Out.reserve(size_t(std::max(0, Area.width())) * size_t(std::max(0, Area.height())));
    for (int y = Area.top(); y <= Area.bottom(); ++y)
        for (int x = Area.left(); x <= Area.right(); ++x)
            Out.push_back(Canvas.Index(QPoint(x, y)));
    return Out;
}

void PixelArea::Put(TPixelCanvas& Canvas, QPoint At, QSize Size, const std::vector<int>& Indices) {
    size_t i = 0;
    for (int y = 0; y < Size.height(); ++y)
        for (int x = 0; x < Size.width(); ++x, ++i)
            if (i < Indices.size() && Indices[i] >= 0)
                Canvas.Set(At + QPoint(x, y), Indices[i]);
}

void PixelArea::FlipHorizontally(TPixelCanvas& Canvas, QRect Area) {
    const std::vector<int> In = Take(Canvas, Area);
    std::vector<int> Out(In.size());
    const int w = Area.width();
    for (int y = 0; y < Area.height(); ++y)
        for (int x = 0; x < w; ++x)
            Out[size_t(y * w + x)] = In[size_t(y * w + (w - 1 - x))];
    Put(Canvas, Area.topLeft(), Area.size(), Out);
}

void PixelArea::FlipVertically(TPixelCanvas& Canvas, QRect Area) {
    const std::vector<int> In = Take(Canvas, Area);
    std::vector<int> Out(In.size());
    const int w = Area.width();
    const int h = Area.height();
    for (int y = 0; y < h; ++y)
        std::copy_n(In.begin() + (h - 1 - y) * w, w, Out.begin() + y * w);
    Put(Canvas, Area.topLeft(), Area.size(), Out);
}

QRect PixelArea::RotateClockwise(TPixelCanvas& Canvas, QRect Area, int Background) {
    const std::vector<int> In = Take(Canvas, Area);
    const int w = Area.width();
    const int h = Area.height();
    // Turned, the picture is h wide and w high: its pixel (x, y) is the source's (y, h - 1 - x).
    std::vector<int> Out(In.size());
    for (int y = 0; y < w; ++y)
        for (int x = 0; x < h; ++x)
            Out[size_t(y * h + x)] = In[size_t((h - 1 - x) * w + y)];
    const QRect Result(Area.topLeft(), QSize(h, w));
    for (const QRect& Left : QRegion(Area).subtracted(QRegion(Result)))
        Clear(Canvas, Left, Background);
    Put(Canvas, Result.topLeft(), Result.size(), Out);
    return Result;
}

void PixelArea::Clear(TPixelCanvas& Canvas, QRect Area, int Colour) {
    for (int y = Area.top(); y <= Area.bottom(); ++y)
        for (int x = Area.left(); x <= Area.right(); ++x)
            Canvas.Set(QPoint(x, y), Colour);
}

} // namespace velkora
