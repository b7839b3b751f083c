// SPDX-License-Identifier: MIT
// The level-building tools without widgets: the selection and the select tool, stamps painted by
// the brush, the rectangle and the fill, the floating paste, and the map's resize, each checked by
// the cells it leaves, its undo steps and its preview.

#include "maps/BrushTool.h"
#include "maps/FillTool.h"
#include "maps/MapClipboard.h"
#include "maps/MapSelection.h"
#include "maps/MapToolBox.h"
#include "maps/PasteTool.h"
#include "maps/RectangleTool.h"
#include "maps/SelectTool.h"

#include <QMimeData>

#include <gtest/gtest.h>

#include <memory>

using namespace velkora;

namespace {

struct Map {
    TMapDocument Doc;
    int w, h;
    Map(int W, int H, uint8_t Fill = 0) : w(W), h(H) {
        Doc.NewMap(w, h, TMyByteArray(size_t(w) * size_t(h), Fill));
    }
    uint8_t At(int x, int y) const { return Doc.Value(QPoint(x, y)); }
    int Steps() { return Doc.UndoStack()->count(); }
    // The cells as rows of digits (values 0 to 9), '#' for larger ones.
    std::string Picture() const {
        std::string s;
        for (int y = 0; y < Doc.Height(); ++y) {
            for (int x = 0; x < Doc.Width(); ++x)
                s += At(x, y) < 10 ? char('0' + At(x, y)) : '#';
            s += '\n';
        }
        return s;
    }
};

// 2 x 2: 1 2 / 3 4.
TCellBlock Stamp() {
    return TCellBlock(2, 2, {1, 2, 3, 4});
}

} // namespace

TEST(SelectTool, ShiftAddsCtrlRemovesAndTheOutlineShowsTheResultWhileDragged) {
    Map m(6, 4);
    TMapSelection Selection(m.Doc);
    TSelectTool Select(m.Doc, Selection);
    int Changes = 0;
    QObject::connect(&Selection, &TMapSelection::Changed, [&] { ++Changes; });

    Select.Press({0, 0}, {});
    Select.Move({2, 1});
    ASSERT_TRUE(Select.Outline());
    EXPECT_EQ(*Select.Outline(), QRegion(0, 0, 3, 2));
    EXPECT_TRUE(Selection.IsEmpty()); // only the release selects
    Select.Release({2, 1});
    EXPECT_EQ(Selection.Cells(), QRegion(0, 0, 3, 2));
    EXPECT_FALSE(Select.Outline());

    // Shift adds a rectangle that reaches beyond the map: only its cells on the map count.
    Select.Press({4, 2}, Qt::ShiftModifier);
    Select.Release({9, 9});
    EXPECT_EQ(Selection.Cells(), QRegion(0, 0, 3, 2) | QRegion(4, 2, 2, 2));
    EXPECT_EQ(Selection.CellCount(), 6 + 4);
    // Ctrl takes a part away, dragged from its lower right.
    Select.Press({1, 1}, Qt::ControlModifier);
    Select.Release({0, 0});
    EXPECT_EQ(Selection.CellCount(), 6 + 4 - 4);
    EXPECT_EQ(Selection.Bounds(), QRect(2, 0, 4, 4));
    // A cancel drops the rectangle being dragged; a plain drag replaces.
    Select.Press({0, 0}, {});
    EXPECT_TRUE(Select.Cancel());
    EXPECT_EQ(Selection.CellCount(), 6);
    EXPECT_EQ(Changes, 3);
    Selection.SelectAll();
    EXPECT_EQ(Selection.Cells(), QRegion(0, 0, 6, 4));
    // A smaller map keeps the selected cells inside it.
    m.Doc.Resize(2, 3, 0, 0, 0);
    EXPECT_EQ(Selection.Cells(), QRegion(0, 0, 2, 3));
    EXPECT_EQ(m.Steps(), 1); // selecting is no edit
    // Another map selects nothing.
    m.Doc.NewMap(8, 8, TMyByteArray(64, 0));
    EXPECT_TRUE(Selection.IsEmpty());
    Selection.Set(QRect(1, 1, 2, 2));
    Selection.Clear();
    EXPECT_TRUE(Selection.IsEmpty());
}

TEST(MapSelection, CopyKeepsTheShapeAndDeleteFillsItAsOneStep) {
    Map m(4, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            m.Doc.PutBlock({x, y}, TCellBlock(1, 1, uint8_t(4 * y + x)));
    m.Doc.UndoStack()->clear();
    TMapSelection Selection(m.Doc);
    Selection.Set(QRegion(1, 0, 2, 1) | QRegion(2, 1, 2, 2));
    const TCellBlock b = Selection.Copy();
    EXPECT_EQ(b.Size(), QSize(3, 3));
    EXPECT_EQ(CellBlocks::ToText(b), "1 2 -\n- 6 7\n- 10 11\n");
    Selection.Fill(9, QStringLiteral("Delete"));
    EXPECT_EQ(m.Picture(), "0993\n"
                           "4599\n"
                           "8999\n");
    EXPECT_EQ(m.Steps(), 1);
    m.Doc.UndoStack()->undo();
    EXPECT_EQ(m.At(2, 2), 10);
}

TEST(BrushTool, LaysAStampOnAGridOfItsOwnSizeAsOneStep) {
    Map m(7, 5);
    TBrushTool Brush(m.Doc);
    Brush.SetStamp(Stamp());
    // The preview is the stamp at the pointer, clipped nowhere (the view draws what is on the map).
    EXPECT_EQ(Brush.PreviewCells(QPoint(5, 4)), QRect(5, 4, 2, 2));
    EXPECT_EQ(Brush.Preview({6, 4}, QPoint(5, 4)), 2);
    EXPECT_EQ(Brush.Preview({4, 4}, QPoint(5, 4)), -1);

    // A drag from (1, 1) to the right, one cell at a time, lays stamps at x = 1, 3, 5 only; a
    // step down lays the row below, on the same grid; the edge of the map clips.
    Brush.Press({1, 1}, {});
    for (int x = 2; x <= 6; ++x)
        Brush.Move({x, 1});
    Brush.Move({6, 3});
    Brush.Release({6, 3});
    EXPECT_EQ(m.Picture(), "0000000\n"
                           "0121212\n"
                           "0343434\n"
                           "0000012\n"
                           "0000034\n");
    EXPECT_EQ(m.Steps(), 1);
    // Back to where the drag began, with the cells it painted and nothing else.
    m.Doc.UndoStack()->undo();
    EXPECT_EQ(m.Picture(), Map(7, 5).Picture());
    // A stamp pressed left of and above the map puts its cells that fall on it.
    Brush.Press({-1, -1}, {});
    Brush.Release({-1, -1});
    EXPECT_EQ(m.At(0, 0), 4);
    // A 1 x 1 stamp is the item, painted cell by cell as ever.
    Brush.SetItem(5);
    Brush.Press({0, 4}, {});
    Brush.Move({3, 4});
    Brush.Release({3, 4});
    EXPECT_EQ(m.Picture().substr(4 * 8), "5555000\n");
}

TEST(RectangleAndFill, RepeatTheStampFromTheCornerAndTheClickedCell) {
    Map m(6, 4);
    TRectangleTool Rect(m.Doc);
    Rect.SetStamp(Stamp().Flipped(true, false)); // 2 1 / 4 3
    // Dragged from the lower right: the pattern starts at the rectangle's top-left cell.
    Rect.Press({4, 2}, {});
    Rect.Move({1, 0});
    EXPECT_EQ(Rect.Preview({2, 1}, QPoint(1, 0)), 3);
    Rect.Release({1, 0});
    EXPECT_EQ(m.Picture(), "021210\n"
                           "043430\n"
                           "021210\n"
                           "000000\n");
    // The fill repeats the stamp from the clicked cell over the region of 0s.
    TFillTool Fill(m.Doc);
    Fill.SetStamp(TCellBlock(2, 1, {7, 8}));
    Fill.Press({5, 3}, {});
    EXPECT_EQ(m.Picture(), "821217\n"
                           "843437\n"
                           "821217\n"
                           "878787\n");
    EXPECT_EQ(m.Steps(), 2);
    // A stamp with holes leaves the cells under them.
    m.Doc.UndoStack()->undo();
    Fill.SetStamp(TCellBlock(2, 1, {7, 0}, {1, 0}));
    Fill.Press({5, 3}, {});
    EXPECT_EQ(m.Picture(), "021217\n"
                           "043437\n"
                           "021217\n"
                           "070707\n");
}

TEST(PasteTool, FloatsUnderThePointerAndPutsOneClippedStep) {
    Map m(5, 3);
    TPasteTool Paste(m.Doc);
    EXPECT_FALSE(Paste.Floating());
    Paste.Start(TCellBlock(3, 2, {1, 2, 3, 4, 5, 6}, {1, 1, 1, 1, 0, 1}));
    EXPECT_TRUE(Paste.Floating());
    EXPECT_EQ(Paste.PreviewCells(QPoint(3, 2)), QRect(3, 2, 3, 2));
    EXPECT_EQ(Paste.Preview({4, 2}, QPoint(3, 2)), 2);
    EXPECT_EQ(Paste.Preview({4, 3}, QPoint(3, 2)), -1); // a hole
    EXPECT_EQ(Paste.PreviewCells(std::nullopt), QRect());
    // Put at (3, 1): the cells beyond the right edge and below are dropped; the hole keeps 0.
    Paste.Press({3, 1}, {});
    EXPECT_FALSE(Paste.Floating());
    EXPECT_EQ(m.Picture(), "00000\n"
                           "00012\n"
                           "00040\n");
    EXPECT_EQ(m.Steps(), 1);
    // Further presses put nothing; a cancel of a paste drops it.
    Paste.Press({0, 0}, {});
    EXPECT_EQ(m.Steps(), 1);
    Paste.Start(Stamp());
    EXPECT_TRUE(Paste.Cancel());
    Paste.Press({0, 0}, {});
    EXPECT_EQ(m.Steps(), 1);
    EXPECT_FALSE(Paste.Cancel());
}

TEST(MapToolBox, PasteTakesTheButtonStampsFlipAndTheSelectToolSelects) {
    Map m(4, 4);
    TMapToolBox Tools(m.Doc);
    Tools.SetStamp(Stamp());
    EXPECT_EQ(Tools.Item(), 1);
    Tools.Flip(false, true);
    EXPECT_EQ(Tools.Stamp().Values(), TMyByteArray({3, 4, 1, 2}));
    EXPECT_EQ(Tools.Item(), 3);
    // The paste goes before the brush; its press puts the block and the brush comes back.
    Tools.Paste(TCellBlock(1, 1, 9));
    EXPECT_TRUE(Tools.Floating());
    EXPECT_EQ(Tools.Preview({2, 2}, QPoint(2, 2)), 9);
    Tools.Press({2, 2}, {});
    Tools.Release({2, 2});
    EXPECT_FALSE(Tools.Pasting());
    EXPECT_EQ(m.At(2, 2), 9);
    EXPECT_EQ(m.At(3, 3), 0);
    Tools.Press({0, 0}, {});
    Tools.Release({0, 0});
    EXPECT_EQ(m.Picture(), "3400\n"
                           "1200\n"
                           "0090\n"
                           "0000\n");
    Tools.SetCurrent(TMapTool::Select);
    Tools.Press({1, 1}, {});
    Tools.Move({2, 2});
    EXPECT_EQ(Tools.Outline(), QRegion(1, 1, 2, 2));
    Tools.Release({2, 2});
    EXPECT_EQ(Tools.Selection().Copy(), TCellBlock(2, 2, {2, 0, 0, 9}));
    // Escape while a paste floats drops it, and a new map drops it too.
    Tools.Paste(Stamp());
    EXPECT_TRUE(Tools.Cancel());
    Tools.Paste(Stamp());
    m.Doc.NewMap(2, 2, TMyByteArray(4, 0));
    EXPECT_FALSE(Tools.Pasting());
}

TEST(MapDocument, ResizeWithANegativeOffsetIsOneStepThatUndoes) {
    Map m(3, 2);
    m.Doc.PutBlock({0, 0}, TCellBlock(3, 2, {1, 2, 3, 4, 5, 6}));
    const std::string Before = m.Picture();
    int Replaced = 0;
    QObject::connect(&m.Doc, &TMapDocument::MapReplaced, [&] { ++Replaced; });
    m.Doc.Resize(4, 3, -1, 1, 7);
    EXPECT_EQ(m.Picture(), "7777\n"
                           "2377\n"
                           "5677\n");
    EXPECT_EQ(m.Steps(), 2);
    EXPECT_EQ(Replaced, 1);
    m.Doc.UndoStack()->undo();
    EXPECT_EQ(m.Picture(), Before);
    EXPECT_EQ(m.Doc.Width(), 3);
    // The same size and offset 0 is no step; a size out of range changes nothing.
    m.Doc.Resize(3, 2, 0, 0, 7);
    EXPECT_THROW(m.Doc.Resize(0, 2, 0, 0, 7), EFormatError);
    EXPECT_EQ(m.Steps(), 2);
    EXPECT_EQ(m.Doc.UndoStack()->index(), 1);
}

TEST(MapClipboard, TheCopyReadsBackAsAnotherProgramHandsItOver) {
    const TCellBlock b(3, 2, {0, 12, 255, 4, 5, 6}, {1, 1, 1, 0, 1, 1});
    const std::unique_ptr<QMimeData> Own(MapClipboard::ToMimeData(b));
    EXPECT_TRUE(Own->hasFormat(MapClipboard::CellsMimeType));
    EXPECT_EQ(Own->text(), "0 12 255\n- 5 6\n");
    EXPECT_EQ(MapClipboard::FromMimeData(Own.get()), b);
    // What a second editor gets: the private bytes in a plain container, holes and all.
    QMimeData Other;
    Other.setData(MapClipboard::CellsMimeType, Own->data(MapClipboard::CellsMimeType));
    Other.setText("9 9\n");
    EXPECT_EQ(MapClipboard::FromMimeData(&Other), b);
    // Bytes of another shape fall back to the text; text alone pastes; other text does not.
    Other.setData(MapClipboard::CellsMimeType, "VKCB");
    EXPECT_EQ(MapClipboard::FromMimeData(&Other), TCellBlock(2, 1, {9, 9}));
    QMimeData Text;
    Text.setText("1 2 3\n");
    EXPECT_EQ(MapClipboard::FromMimeData(&Text), TCellBlock(3, 1, {1, 2, 3}));
    Text.setText("a map");
    EXPECT_FALSE(MapClipboard::FromMimeData(&Text));
    EXPECT_FALSE(MapClipboard::FromMimeData(nullptr));
}
