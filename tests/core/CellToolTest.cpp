// SPDX-License-Identifier: MIT
// The map workspace's tools without any widget: each is driven by presses, moves, releases and
// cancels in cells on a document, and checked by the cells it leaves, the undo steps it makes
// and the preview it gives.

#include "maps/BrushTool.h"
#include "maps/FillTool.h"
#include "maps/MapToolBox.h"
#include "maps/PickTool.h"
#include "maps/RectangleTool.h"

#include <gtest/gtest.h>

using namespace velkora;

namespace {

// A w x h map made here (no file), every cell Fill.
struct Map {
    TMapDocument Doc;
    int w, h;
    Map(int W, int H, uint8_t Fill = 0) : w(W), h(H) {
        Doc.NewMap(w, h, TMyByteArray(size_t(w) * size_t(h), Fill));
    }
    uint8_t At(int x, int y) const { return Doc.Value(QPoint(x, y)); }
    int Steps() { return Doc.UndoStack()->count(); }
    // The cells holding Value, as a string of '#' and '.' rows.
    std::string Picture(uint8_t Value) const {
        std::string s;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x)
                s += At(x, y) == Value ? '#' : '.';
            s += '\n';
        }
        return s;
    }
};

} // namespace

TEST(BrushTool, PaintsEveryCellADragCrossesAsOneStep) {
    Map m(8, 4);
    TBrushTool Brush(m.Doc);
    Brush.SetItem(7);
    Brush.Press({0, 0}, {});
    EXPECT_EQ(m.At(0, 0), 7);
    // One fast move to the far corner paints the whole line, without gaps.
    Brush.Move({7, 3});
    Brush.Move({7, 3});
    Brush.Release({7, 3});
    EXPECT_EQ(m.Picture(7), "##......\n"
                            "..##....\n"
                            "....##..\n"
                            "......##\n");
    EXPECT_EQ(m.Steps(), 1);
    // Moves after the release paint nothing.
    Brush.Move({0, 3});
    EXPECT_EQ(m.At(0, 3), 0);

    // A stroke begun off the map paints the cells it crosses on it; a cancel ends it, what it
    // painted staying one step.
    Brush.SetItem(9);
    Brush.Press({-2, 1}, {});
    Brush.Move({1, 1});
    EXPECT_FALSE(Brush.Cancel());
    Brush.Move({5, 1});
    Brush.Release({5, 1});
    EXPECT_EQ(m.Picture(9), "........\n"
                            "##......\n"
                            "........\n"
                            "........\n");
    EXPECT_EQ(m.Steps(), 2);
    m.Doc.UndoStack()->undo();
    m.Doc.UndoStack()->undo();
    EXPECT_EQ(m.Doc.MapParams().DecomBytes, TMyByteArray(32, 0));
    // Its preview is the item in the pointer's cell, and nothing without a pointer.
    EXPECT_EQ(Brush.PreviewCells(QPoint(3, 2)), QRect(3, 2, 1, 1));
    EXPECT_EQ(Brush.Preview({3, 2}, QPoint(3, 2)), 9);
    EXPECT_EQ(Brush.Preview({3, 1}, QPoint(3, 2)), -1);
    EXPECT_TRUE(Brush.PreviewCells(std::nullopt).isEmpty());
}

TEST(RectangleTool, PreviewsExactlyWhatItsReleaseFillsAndACancelDropsIt) {
    Map m(6, 5);
    TRectangleTool Rect(m.Doc);
    Rect.SetItem(4);
    Rect.Press({4, 3}, {});
    Rect.Move({1, 1});
    // Nothing changes while it is dragged; the preview is the span, in any direction.
    EXPECT_EQ(m.Steps(), 0);
    EXPECT_TRUE(Rect.Dragging());
    EXPECT_EQ(Rect.PreviewCells(QPoint(1, 1)), QRect(1, 1, 4, 3));
    EXPECT_EQ(Rect.Preview({4, 3}, QPoint(1, 1)), 4);
    EXPECT_EQ(Rect.Preview({0, 3}, QPoint(1, 1)), -1);
    // Without a pointer (it left the grid while dragging) the span still shows.
    EXPECT_EQ(Rect.PreviewCells(std::nullopt), QRect(1, 1, 4, 3));
    Rect.Release({2, 2});
    EXPECT_EQ(m.Picture(4), "......\n"
                            "......\n"
                            "..###.\n"
                            "..###.\n"
                            "......\n");
    EXPECT_EQ(m.Steps(), 1);
    EXPECT_EQ(Rect.PreviewCells(QPoint(5, 0)), QRect(5, 0, 1, 1));

    // A cancel drops the rectangle: no cell, no step, and only the first cancel drops anything.
    Rect.Press({0, 0}, {});
    Rect.Move({5, 4});
    EXPECT_TRUE(Rect.Cancel());
    EXPECT_FALSE(Rect.Cancel());
    Rect.Release({5, 4});
    EXPECT_EQ(m.Steps(), 1);
    // Beyond the map's edges it is clipped.
    Rect.SetItem(8);
    Rect.Press({-3, -2}, {});
    Rect.Release({0, 9});
    EXPECT_EQ(m.Picture(8), "#.....\n"
                            "#.....\n"
                            "#.....\n"
                            "#.....\n"
                            "#.....\n");
}

TEST(FillTool, FillsTheRegionOfThePressedCellsValue) {
    Map m(5, 4);
    // A wall of 3 in column 2.
    m.Doc.FillRect({2, 0}, {2, 3}, 3);
    const int Before = m.Steps();
    TFillTool Fill(m.Doc);
    Fill.SetItem(6);
    Fill.Press({4, 0}, {});
    EXPECT_EQ(m.Picture(6), "...##\n"
                            "...##\n"
                            "...##\n"
                            "...##\n");
    EXPECT_EQ(m.Steps(), Before + 1);
    // Off the map, or on the item already there: nothing.
    Fill.Press({9, 9}, {});
    Fill.Press({4, 1}, {});
    EXPECT_EQ(m.Steps(), Before + 1);
}

TEST(PickTool, ReportsTheItemOfThePressedCellOnly) {
    Map m(3, 1);
    m.Doc.FillRect({0, 0}, {0, 0}, 30);
    m.Doc.FillRect({1, 0}, {1, 0}, 60);
    TPickTool Pick(m.Doc);
    std::vector<int> Picked;
    Pick.Picked = [&](int Item) { Picked.push_back(Item); };
    for (const QPoint p : {QPoint(0, 0), QPoint(1, 0), QPoint(2, 0), QPoint(3, 0)})
        Pick.Press(p, {});
    // A value beyond the items and a cell off the map pick nothing.
    EXPECT_EQ(Picked, std::vector<int>({30, 0}));
    EXPECT_TRUE(Pick.PreviewCells(QPoint(0, 0)).isEmpty());
    EXPECT_EQ(m.Steps(), 2);
}

TEST(MapToolBox, PassesEventsToTheChosenToolAndAltPicks) {
    Map m(6, 3);
    TMapToolBox Tools(m.Doc);
    std::vector<int> Items;
    QObject::connect(&Tools, &TMapToolBox::ItemChanged, [&](int i) { Items.push_back(i); });
    EXPECT_EQ(Tools.Current(), TMapTool::Brush);
    Tools.SetItem(12);
    Tools.Press({1, 1}, {});
    Tools.Release({1, 1});
    EXPECT_EQ(m.At(1, 1), 12);

    // Alt with any tool picks, and the pick's moves paint nothing.
    Tools.SetItem(5);
    Tools.Press({1, 1}, Qt::AltModifier);
    Tools.Move({4, 1});
    Tools.Release({4, 1});
    EXPECT_EQ(Tools.Item(), 12);
    EXPECT_EQ(Items, std::vector<int>({12, 5, 12}));
    EXPECT_EQ(m.Steps(), 1);

    // The item reaches every painting tool: the rectangle previews it and fills with it.
    Tools.SetCurrent(TMapTool::Rectangle);
    Tools.Press({0, 0}, {});
    Tools.Move({2, 2});
    EXPECT_EQ(Tools.PreviewCells(QPoint(2, 2)), QRect(0, 0, 3, 3));
    EXPECT_EQ(Tools.Preview({1, 1}, QPoint(2, 2)), 12);
    // Another tool drops the rectangle: its release fills nothing.
    Tools.SetCurrent(TMapTool::Fill);
    Tools.Release({2, 2});
    EXPECT_EQ(m.Steps(), 1);
    // So does another map.
    Tools.SetCurrent(TMapTool::Rectangle);
    Tools.Press({0, 0}, {});
    m.Doc.NewMap(2, 2, TMyByteArray(4, 1));
    Tools.Release({1, 1});
    EXPECT_EQ(m.Doc.MapParams().DecomBytes, TMyByteArray(4, 1));
    EXPECT_EQ(m.Steps(), 0);
    // The pick previews nothing.
    Tools.SetCurrent(TMapTool::Pick);
    EXPECT_EQ(Tools.Preview({0, 0}, QPoint(0, 0)), -1);
}
