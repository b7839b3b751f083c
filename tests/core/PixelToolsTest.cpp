// SPDX-License-Identifier: MIT
// The workbench's pixel tools, selection commands and tile edits without any widget: what each
// writes into the words, read back from the words themselves.

#include "workbench/PixelTools.h"
#include "workbench/SpriteDocument.h"
#include "workbench/SpriteView.h"
#include "workbench/TileEdits.h"

#include <QGuiApplication>

#include <gtest/gtest.h>

#include <set>

using namespace velkora;

namespace {

// The colour index of pixel (x, y) of tile Block, read from the words alone.
int WordIndex(const TMyArray& Words, int64_t Block, int x, int y) {
    const uint16_t w = Words[size_t(Block * 16 + y * 2 + x / 4)];
    return (w >> ((3 - x % 4) * 4)) & 15;
}

// A sprite of Tiles tiles laid out in 16 x 16 groups of four (clockwise), 64 pixels wide at 1x:
// group g's tile k lies at x = 16 g + 8 (k % 2), y = 8 (k / 2), three groups a band.
struct Sprite {
    TSpriteInfo Info;
    TSpriteLayoutView Layout;
    explicit Sprite(int Tiles, uint16_t Fill = 0) {
        Info.Bytes.assign(size_t(Tiles) * 16, Fill);
        Info.GenerateBlocArray();
        Layout.SetSprite(&Info.BlocksArray, QPoint(2, 2), true, {});
        Layout.SetViewSize(QSize(64, 64));
    }
    // The index at layout pixel P from the words (-1 where no tile is drawn).
    int At(QPoint P) const {
        const int64_t b = Layout.BlockAt(P.x(), P.y());
        return b < 0 ? -1 : WordIndex(Info.Bytes, b, P.x() % 8, P.y() % 8);
    }
    std::set<std::pair<int, int>> Painted(int Colour) const {
        std::set<std::pair<int, int>> Out;
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x)
                if (At(QPoint(x, y)) == Colour)
                    Out.insert({x, y});
        return Out;
    }
    // The blocks agree with the words.
    bool Consistent() const {
        TSpriteInfo Fresh;
        Fresh.Bytes = Info.Bytes;
        Fresh.GenerateBlocArray();
        return Fresh.BlocksArray == Info.BlocksArray;
    }
};

} // namespace

TEST(PixelTools, PencilStrokesHaveNoGapsAndLinesAndRectanglesFollowThePointer) {
    Sprite s(8);
    {
        TPixelCanvas c(s.Info, s.Layout);
        TPencilTool Pencil;
        // A fast drag: three far-apart pointer positions, across tiles and groups and out of the
        // sprite (no group is drawn right of x = 31).
        Pencil.Press(c, QPoint(0, 0), 5, false);
        Pencil.Move(c, QPoint(15, 3), false);
        Pencil.Move(c, QPoint(20, 15), false);
        Pencil.Release(c, QPoint(40, 15), false);
        EXPECT_TRUE(c.Changed());
    }
    std::set<std::pair<int, int>> Want;
    for (const auto& [a, b] :
         {std::pair(QPoint(0, 0), QPoint(15, 3)), std::pair(QPoint(15, 3), QPoint(20, 15)),
          std::pair(QPoint(20, 15), QPoint(31, 15))})
        for (const QPoint& p : TPixelCanvas::LinePoints(a, b))
            Want.insert({p.x(), p.y()});
    EXPECT_EQ(s.Painted(5), Want);
    EXPECT_EQ(WordIndex(s.Info.Bytes, 0, 0, 0), 5);
    EXPECT_TRUE(s.Consistent());
    // Each point of a line is a neighbour of the one before.
    const std::vector<QPoint> Line = TPixelCanvas::LinePoints(QPoint(3, 9), QPoint(-4, 30));
    ASSERT_EQ(Line.size(), 22u);
    for (size_t i = 1; i < Line.size(); ++i)
        EXPECT_LE((Line[i] - Line[i - 1]).manhattanLength(), 2);

    // A line and a rectangle show only their last shape; Shift fills the rectangle.
    Sprite t(8);
    {
        TPixelCanvas c(t.Info, t.Layout);
        TLineTool Line;
        Line.Press(c, QPoint(0, 0), 3, false);
        Line.Move(c, QPoint(7, 7), false);
        Line.Release(c, QPoint(7, 0), false);
        TPixelRectangleTool Rect;
        Rect.Press(c, QPoint(16, 0), 4, false);
        Rect.Move(c, QPoint(31, 15), false);
        Rect.Release(c, QPoint(20, 3), false);
        // Dragged up and to the left.
        Rect.Press(c, QPoint(26, 9), 6, true);
        Rect.Release(c, QPoint(24, 8), true);
    }
    EXPECT_EQ(t.Painted(3).size(), 8u);
    EXPECT_EQ(t.At(QPoint(4, 0)), 3);
    EXPECT_EQ(t.At(QPoint(4, 4)), 0);
    EXPECT_EQ(t.Painted(4).size(), 14u); // the 5 x 4 outline
    EXPECT_EQ(t.At(QPoint(18, 2)), 0);
    EXPECT_EQ(t.Painted(6).size(), 6u);
    EXPECT_EQ(t.At(QPoint(24, 8)), 6);
    EXPECT_TRUE(t.Consistent());
    // A selection dragged up and to the left holds both corners.
    TPixelCanvas c(t.Info, t.Layout);
    TPixelSelectTool Select;
    Select.Press(c, QPoint(9, 7), 0, false);
    Select.Release(c, QPoint(2, 3), false);
    EXPECT_EQ(Select.Marked(), QRect(2, 3, 8, 5));
}

TEST(PixelTools, FillStaysWithinItsRegionOrItsTileAndPickReads) {
    Sprite s(8);
    TPixelCanvas c(s.Info, s.Layout);
    // A wall of colour 1 down column 3 of group 0.
    TLineTool Wall;
    Wall.Press(c, QPoint(3, 0), 1, false);
    Wall.Release(c, QPoint(3, 15), false);
    // Across tiles 0 and 2, stopped by the wall; then with Shift within tile 2 only.
    TPixelFillTool::Fill(c, QPoint(1, 1), 7, false);
    EXPECT_EQ(s.Painted(7).size(), 48u);
    TPixelFillTool::Fill(c, QPoint(0, 9), 2, true);
    EXPECT_EQ(s.Painted(2).size(), 24u);
    EXPECT_EQ(s.Painted(7).size(), 24u);
    // Right of the wall the region runs on into group 1, which lies beside group 0.
    TPixelFillTool Fill;
    Fill.Press(c, QPoint(10, 10), 9, false);
    EXPECT_EQ(s.Painted(9).size(), size_t(8 * 64 - 48 - 16));
    EXPECT_EQ(s.At(QPoint(31, 15)), 9);
    // A fill where no tile is drawn, or with the colour already there, does nothing.
    TPixelFillTool::Fill(c, QPoint(40, 40), 4, false);
    TPixelFillTool::Fill(c, QPoint(10, 10), 9, false);
    EXPECT_TRUE(s.Painted(4).empty());
    EXPECT_TRUE(s.Consistent());

    TPixelPickTool Pick;
    Pick.Press(c, QPoint(3, 4), 0, false);
    EXPECT_EQ(Pick.Picked(), 1);
    Pick.Move(c, QPoint(50, 50), false);
    EXPECT_EQ(Pick.Picked(), 1);
    Pick.Release(c, QPoint(0, 0), false);
    EXPECT_EQ(Pick.Picked(), 7);
}

TEST(PixelTools, FlipsAndTurnsActOnTilesWhenAlignedAndOnPixelsOtherwise) {
    // Tile k holds colour k + 1 everywhere but its top left pixel, which is 15.
    Sprite s(8);
    {
        TPixelCanvas c(s.Info, s.Layout);
        for (int k = 0; k < 4; ++k) {
            const QPoint o((k % 2) * 8, (k / 2) * 8);
            PixelArea::Clear(c, QRect(o, QSize(8, 8)), k + 1);
            c.Set(o, 15);
        }
        // Group 0 flipped as a whole: tiles 0 and 1 change places, each mirrored.
        PixelArea::FlipHorizontally(c, QRect(0, 0, 16, 16));
    }
    EXPECT_EQ(WordIndex(s.Info.Bytes, 0, 0, 0), 2);
    EXPECT_EQ(WordIndex(s.Info.Bytes, 0, 7, 0), 15);
    EXPECT_EQ(WordIndex(s.Info.Bytes, 1, 7, 0), 15);
    EXPECT_EQ(WordIndex(s.Info.Bytes, 1, 0, 0), 1);
    EXPECT_EQ(WordIndex(s.Info.Bytes, 2, 7, 0), 15);
    {
        TPixelCanvas c(s.Info, s.Layout);
        PixelArea::FlipVertically(c, QRect(0, 0, 16, 16));
        // Turned clockwise, the group's top left tile comes from its bottom left one.
        EXPECT_EQ(PixelArea::RotateClockwise(c, QRect(0, 0, 16, 16), 0), QRect(0, 0, 16, 16));
    }
    // Flipped both ways, the group's tiles were 4, 3 / 2, 1 with their marks at their bottom
    // right corners; turned, the top left tile is the bottom left one (2) with its mark at its
    // bottom left corner, the top right the top left one (4).
    EXPECT_EQ(WordIndex(s.Info.Bytes, 0, 0, 7), 15);
    EXPECT_EQ(WordIndex(s.Info.Bytes, 0, 1, 1), 2);
    EXPECT_EQ(WordIndex(s.Info.Bytes, 1, 0, 7), 15);
    EXPECT_EQ(WordIndex(s.Info.Bytes, 1, 1, 1), 4);
    EXPECT_TRUE(s.Consistent());

    // A 3 x 2 area off the tile edges, across tiles 4 and 5 of group 1: pixel by pixel.
    Sprite t(8);
    TPixelCanvas c(t.Info, t.Layout);
    const QRect Area(22, 3, 3, 2);
    int v = 1;
    for (int y = 3; y < 5; ++y)
        for (int x = 22; x < 25; ++x)
            c.Set(QPoint(x, y), v++);
    PixelArea::FlipHorizontally(c, Area);
    EXPECT_EQ(PixelArea::Take(c, Area), (std::vector<int>{3, 2, 1, 6, 5, 4}));
    PixelArea::FlipVertically(c, Area);
    EXPECT_EQ(PixelArea::Take(c, Area), (std::vector<int>{6, 5, 4, 3, 2, 1}));
    const QRect Turned = PixelArea::RotateClockwise(c, Area, 0);
    EXPECT_EQ(Turned, QRect(22, 3, 2, 3));
    EXPECT_EQ(PixelArea::Take(c, Turned), (std::vector<int>{3, 6, 2, 5, 1, 4}));
    EXPECT_EQ(t.At(QPoint(24, 3)), 0); // the corner the turn left
    // Pixels that would land where no tile is drawn are dropped.
    PixelArea::Put(c, QPoint(30, 0), QSize(4, 1), {8, 8, 8, 8});
    EXPECT_EQ(t.Painted(8).size(), 2u);
    EXPECT_TRUE(t.Consistent());
}

TEST(TileEdits, ChangeTheTileCountAndOrderAndUndoToTheExactWords) {
    // Five tiles, tile k all colour k + 1, and three words of a partial tile.
    TMyArray Words;
    for (uint16_t k = 0; k < 5; ++k)
        Words.insert(Words.end(), 16, uint16_t(0x1111 * (k + 1)));
    Words.insert(Words.end(), {0xABCD, 0x1234, 0x5678});
    const auto Tiles = [](const TMyArray& w) {
        std::vector<int> Out;
        for (int64_t t = 0; t < TileEdits::TileCount(w); ++t)
            Out.push_back(WordIndex(w, t, 0, 0));
        return Out;
    };
    const auto Tail = [](const TMyArray& w) { return TMyArray(w.end() - 3, w.end()); };
    EXPECT_EQ(TileEdits::TileCount(Words), 5);

    const TMyArray Inserted = TileEdits::InsertTiles(Words, 1, 2);
    EXPECT_EQ(Tiles(Inserted), (std::vector<int>{1, 0, 0, 2, 3, 4, 5}));
    EXPECT_EQ(Tail(Inserted), Tail(Words));
    EXPECT_EQ(Tiles(TileEdits::InsertTiles(Words, 5, 1)), (std::vector<int>{1, 2, 3, 4, 5, 0}));
    EXPECT_EQ(Tiles(TileEdits::DeleteTiles(Words, 3, 2)), (std::vector<int>{1, 2, 3}));
    // Groups of two: group 2 is the last tile alone.
    EXPECT_EQ(Tiles(TileEdits::DuplicateGroup(Words, 1, 2)),
              (std::vector<int>{1, 2, 3, 4, 3, 4, 5}));
    EXPECT_EQ(Tiles(TileEdits::DuplicateGroup(Words, 2, 2)), (std::vector<int>{1, 2, 3, 4, 5, 5}));
    EXPECT_EQ(Tiles(TileEdits::MoveGroup(Words, 1, 2, true)), (std::vector<int>{3, 4, 1, 2, 5}));
    EXPECT_EQ(Tiles(TileEdits::MoveGroup(Words, 1, 2, false)), (std::vector<int>{1, 2, 5, 3, 4}));
    EXPECT_EQ(Tail(TileEdits::MoveGroup(Words, 1, 2, false)), Tail(Words));
    // What the words do not hold is refused.
    EXPECT_THROW(TileEdits::InsertTiles(Words, 6, 1), EFormatError);
    EXPECT_THROW(TileEdits::InsertTiles(Words, 0, 0), EFormatError);
    EXPECT_THROW(TileEdits::DeleteTiles(Words, 4, 2), EFormatError);
    EXPECT_THROW(TileEdits::MoveGroup(Words, 0, 2, true), EFormatError);
    EXPECT_THROW(TileEdits::MoveGroup(Words, 2, 2, false), EFormatError);
    EXPECT_THROW(TileEdits::DuplicateGroup(Words, 3, 2), EFormatError);

    // Through the document, each is one step whose undo gives back the words and the blocks.
    TSpriteDocument d;
    d.ChangeWords(Words, "Start");
    d.ChangeWords(TileEdits::InsertTiles(d.SpriteInfo().Bytes, 0, 3), "Insert tiles");
    EXPECT_EQ(d.SpriteInfo().BlocksArray.size(), 8u);
    d.ChangeWords(TileEdits::DeleteTiles(d.SpriteInfo().Bytes, 0, 7), "Delete tiles");
    EXPECT_EQ(d.SpriteInfo().BlocksArray.size(), 1u);
    d.UndoStack()->undo();
    d.UndoStack()->undo();
    EXPECT_EQ(d.SpriteInfo().Bytes, Words);
    EXPECT_EQ(d.SpriteInfo().BlocksArray.size(), 5u);
}

TEST(SpriteLayoutView, DrawsTheGridAndTheTileNumbersOverThePicture) {
    // Text needs the fonts of a GUI application.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int Argc = 1;
    char Name[] = "PixelToolsTest";
    char* Argv[] = {Name, nullptr};
    QGuiApplication App(Argc, Argv);
    Sprite s(8, 0x1111);
    QVector<QRgb> Colours(16, qRgb(10, 20, 30));
    s.Layout.SetSprite(&s.Info.BlocksArray, QPoint(2, 2), true, Colours);
    s.Layout.SetZoom(4);
    s.Layout.SetViewSize(QSize(256, 128));
    const QImage Plain = s.Layout.Render(QPoint(0, 0));
    EXPECT_EQ(Plain.pixel(0, 0), qRgb(10, 20, 30));
    s.Layout.SetShowGrid(true);
    const QImage Grid = s.Layout.Render(QPoint(0, 0));
    // Group edges strong, tile edges thin, the tiles' insides untouched.
    EXPECT_EQ(Grid.pixel(0, 20), TSpriteLayoutView::GridColor(true));
    EXPECT_EQ(Grid.pixel(32, 20), TSpriteLayoutView::GridColor(false));
    EXPECT_EQ(Grid.pixel(64, 20), TSpriteLayoutView::GridColor(true));
    EXPECT_EQ(Grid.pixel(20, 20), qRgb(10, 20, 30));
    s.Layout.SetShowGrid(false);
    s.Layout.SetShowNumbers(true);
    EXPECT_NE(s.Layout.Render(QPoint(0, 0)), Plain);
    // Below 4x the numbers would not fit: none are written.
    s.Layout.SetZoom(2);
    const QImage Small = s.Layout.Render(QPoint(0, 0));
    s.Layout.SetShowNumbers(false);
    EXPECT_EQ(Small, s.Layout.Render(QPoint(0, 0)));
}
