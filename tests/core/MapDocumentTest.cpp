// SPDX-License-Identifier: MIT
// The map document without any view: every edit is an undo step that restores the exact cells,
// the paints of one stroke are one step, and the modified state follows saves and undos.

#include "maps/MapDocument.h"
#include "maps/MapLoader.h"
#include "tests/support/TestSupport.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <queue>

using namespace velkora;
using namespace velkora::test;

namespace {

// A w x h map of seeded random cells, every byte value possible, in runs of 1 to 8.
TMyByteArray RandomCells(int w, int h, unsigned Seed) {
    Rng r(Seed);
    TMyByteArray Cells(size_t(w) * size_t(h));
    for (size_t i = 0; i < Cells.size();) {
        const uint8_t v = uint8_t(r() % 256);
        for (size_t n = 1 + r() % 8; n > 0 && i < Cells.size(); --n)
            Cells[i++] = v;
    }
    return Cells;
}

// The 4-connected region of Start's value, filled by the plainest breadth-first search.
TMyByteArray Flooded(TMyByteArray Cells, int w, int h, QPoint Start, uint8_t Value) {
    const uint8_t Old = Cells[size_t(Start.y() * w + Start.x())];
    if (Old == Value)
        return Cells;
    std::queue<QPoint> q;
    q.push(Start);
    Cells[size_t(Start.y() * w + Start.x())] = Value;
    while (!q.empty()) {
        const QPoint p = q.front();
        q.pop();
        for (const QPoint d : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)}) {
            const QPoint n = p + d;
            if (n.x() < 0 || n.y() < 0 || n.x() >= w || n.y() >= h)
                continue;
            uint8_t& c = Cells[size_t(n.y() * w + n.x())];
            if (c == Old) {
                c = Value;
                q.push(n);
            }
        }
    }
    return Cells;
}

struct Doc {
    TempDir Dir;
    TMapDocument Map;
    Doc(int w, int h, const TMyByteArray& Cells) {
        MapLoader::SaveMap(Dir.file("m.Map"), Cells, w, h);
        Map.Load(Dir.file("m.Map"));
    }
    const TMyByteArray& Cells() const { return Map.MapParams().DecomBytes; }
};

} // namespace

TEST(MapDocument, EveryToolUndoesAndRedoesToTheExactCells) {
    const int w = 37;
    const int h = 23;
    const TMyByteArray Start = RandomCells(w, h, 7);
    Doc d(w, h, Start);
    EXPECT_FALSE(d.Map.IsModified());
    EXPECT_EQ(d.Map.PackType(), 1);

    std::vector<TMyByteArray> States{Start};
    const int s = d.Map.BeginStroke();
    d.Map.Paint(s, {{0, 0}, {36, 22}, {5, 5}, {5, 5}, {-1, 3}, {37, 0}}, 9);
    TMyByteArray Want = Start;
    Want[0] = Want[size_t(22 * w + 36)] = Want[size_t(5 * w + 5)] = 9;
    EXPECT_EQ(d.Cells(), Want);
    States.push_back(d.Cells());

    d.Map.FillRect(QPoint(30, 20), QPoint(3, 2), 200);
    Want = States.back();
    for (int y = 2; y <= 20; ++y)
        for (int x = 3; x <= 30; ++x)
            Want[size_t(y * w + x)] = 200;
    EXPECT_EQ(d.Cells(), Want);
    States.push_back(d.Cells());

    for (const QPoint p : {QPoint(1, 1), QPoint(36, 0), QPoint(10, 22), QPoint(20, 10)}) {
        const TMyByteArray Before = d.Cells();
        d.Map.FloodFill(p, 77);
        EXPECT_EQ(d.Cells(), Flooded(Before, w, h, p, 77)) << p.x() << "," << p.y();
        States.push_back(d.Cells());
    }
    ASSERT_EQ(d.Map.UndoStack()->count(), int(States.size()) - 1);

    // Back to the start step by step, values of 50 and more included, and forward again.
    for (size_t k = States.size() - 1; k > 0; --k) {
        d.Map.UndoStack()->undo();
        ASSERT_EQ(d.Cells(), States[k - 1]) << k;
    }
    EXPECT_FALSE(d.Map.IsModified());
    for (size_t k = 1; k < States.size(); ++k) {
        d.Map.UndoStack()->redo();
        ASSERT_EQ(d.Cells(), States[k]) << k;
    }
}

TEST(MapDocument, AStrokeIsOneStepAndEditsThatChangeNothingAreNone) {
    Doc d(20, 10, TMyByteArray(200, 3));
    QSignalSpy Changed(&d.Map, &TMapDocument::CellsChanged);
    const int s = d.Map.BeginStroke();
    QPoint Last(1, 1);
    for (const QPoint p : {QPoint(8, 1), QPoint(8, 6), QPoint(1, 1)}) {
        d.Map.Paint(s, TMapDocument::LineCells(Last, p), 40);
        Last = p;
    }
    EXPECT_EQ(d.Map.UndoStack()->count(), 1);
    // Every repaint names the cells it changed.
    ASSERT_FALSE(Changed.isEmpty());
    EXPECT_EQ(Changed.first().at(0).toRect(), QRect(1, 1, 8, 1));
    d.Map.UndoStack()->undo();
    EXPECT_EQ(d.Cells(), TMyByteArray(200, 3));
    EXPECT_EQ(Changed.last().at(0).toRect(), QRect(1, 1, 8, 6));

    // A second stroke is a second step; painting a cell its own value, filling a region with its
    // own value or outside the map adds none.
    d.Map.UndoStack()->redo();
    d.Map.PaintCell(d.Map.BeginStroke(), {15, 5}, 41);
    d.Map.PaintCell(d.Map.BeginStroke(), {15, 5}, 41);
    d.Map.FloodFill({0, 0}, 3);
    d.Map.FloodFill({-1, 0}, 9);
    d.Map.FillRect(QPoint(40, 40), QPoint(44, 44), 9);
    EXPECT_EQ(d.Map.UndoStack()->count(), 2);
}

TEST(MapDocument, TheModifiedStateFollowsSavesAndUndos) {
    Doc d(4, 3, TMyByteArray(12, 0));
    QSignalSpy Modified(&d.Map, &TMapDocument::ModifiedChanged);
    d.Map.PaintCell(d.Map.BeginStroke(), {1, 1}, 5);
    EXPECT_TRUE(d.Map.IsModified());
    d.Map.Save();
    EXPECT_FALSE(d.Map.IsModified());
    int32_t w = 0, h = 0;
    EXPECT_EQ(MapLoader::LoadMap(d.Dir.file("m.Map"), w, h)[5], 5);
    // Undoing past the save modifies the map; redoing back to it does not.
    d.Map.UndoStack()->undo();
    EXPECT_TRUE(d.Map.IsModified());
    d.Map.UndoStack()->redo();
    EXPECT_FALSE(d.Map.IsModified());
    EXPECT_EQ(Modified.size(), 4);

    // A new map counts as modified until saved under a name; Save without one is refused.
    d.Map.NewMap(2, 2, TMyByteArray(4, 7));
    EXPECT_TRUE(d.Map.IsModified());
    EXPECT_TRUE(d.Map.FileName().isEmpty());
    EXPECT_THROW(d.Map.Save(), Exception);
    d.Map.SaveAs(d.Dir.file("new.Map"));
    EXPECT_FALSE(d.Map.IsModified());
    EXPECT_EQ(d.Map.FileName(), d.Dir.file("new.Map"));

    // A load that fails changes nothing.
    d.Map.PaintCell(d.Map.BeginStroke(), {0, 0}, 1);
    EXPECT_THROW(d.Map.Load(d.Dir.file("missing.Map")), EFOpenError);
    EXPECT_EQ(d.Map.Width(), 2);
    EXPECT_TRUE(d.Map.IsModified());
}

TEST(MapDocument, AWholeMapFillIsStoredCompactly) {
    TCellEdit Edit(9);
    for (int y = 0; y < 4096; ++y)
        Edit.AddRun(uint32_t(y * 4096), 0, y, 4096, 3);
    EXPECT_EQ(Edit.CellCount(), size_t(4096) * 4096);
    EXPECT_LT(Edit.MemoryUsed(), size_t(64) << 10);
    EXPECT_EQ(Edit.Bounds(), QRect(0, 0, 4096, 4096));
}

TEST(MapDocument, AHundredWholeMapFillsKeepLittleAndUndoToTheExactCells) {
    constexpr int Side = 1024;
    const TMyByteArray Start = RandomCells(Side, Side, 11);
    Doc d(Side, Side, Start);
    for (int i = 0; i < 100; ++i)
        d.Map.FillRect(QPoint(Side - 1, Side - 1), QPoint(0, 0), uint8_t(1 + i % 2));
    EXPECT_EQ(d.Map.UndoStack()->count(), 100);
    EXPECT_EQ(d.Cells(), TMyByteArray(Start.size(), 2));
    // The first fill keeps the old runs (a random map: about 2 bytes a cell at most), each
    // later one a few bytes; 100 copies of the cells would be 100 MiB.
    EXPECT_LT(d.Map.UndoMemoryUsed(), Start.size() * 2 + (size_t(100) << 10));
    while (d.Map.UndoStack()->canUndo())
        d.Map.UndoStack()->undo();
    EXPECT_EQ(d.Cells(), Start);
    EXPECT_FALSE(d.Map.IsModified());
}

TEST(MapDocument, AStrokeSegmentHasNoGaps) {
    Rng r(3);
    for (int k = 0; k < 200; ++k) {
        const QPoint A(int(r() % 61) - 30, int(r() % 61) - 30);
        const QPoint B(int(r() % 61) - 30, int(r() % 61) - 30);
        const std::vector<QPoint> Cells = TMapDocument::LineCells(A, B);
        ASSERT_EQ(Cells.front(), A);
        ASSERT_EQ(Cells.back(), B);
        EXPECT_EQ(Cells.size(),
                  size_t(std::max(std::abs(B.x() - A.x()), std::abs(B.y() - A.y())) + 1));
        for (size_t i = 1; i < Cells.size(); ++i) {
            const QPoint Step = Cells[i] - Cells[i - 1];
            ASSERT_TRUE(std::max(std::abs(Step.x()), std::abs(Step.y())) == 1)
                << A.x() << "," << A.y() << " to " << B.x() << "," << B.y();
        }
    }
}

TEST(MapDocument, AFloodFillOfWideRowsTakesTheSameRegionAsThePlainSearch) {
    // Rows far wider than the blocks the fill compares at a time, of long runs with scattered
    // walls, so that spans begin and end at every offset within a block.
    for (const unsigned Seed : {1u, 2u, 3u}) {
        // Walls every 23, 150 and 600 cells on average.
        const unsigned Sparse = Seed == 1 ? 23 : Seed == 2 ? 150 : 600;
        Rng r(Seed);
        const int w = 300 + int(r() % 200);
        const int h = 40;
        TMyByteArray Cells(size_t(w * h), 5);
        for (uint8_t& c : Cells)
            if (r() % Sparse == 0)
                c = uint8_t(r() % 3 == 0 ? 5 : 9);
        Doc d(w, h, Cells);
        for (const QPoint p : {QPoint(0, 0), QPoint(w - 1, h - 1), QPoint(w / 2, h / 2)}) {
            const TMyByteArray Before = d.Cells();
            d.Map.FloodFill(p, uint8_t(Before[size_t(p.y() * w + p.x())] == 7 ? 8 : 7));
            const uint8_t New = d.Cells()[size_t(p.y() * w + p.x())];
            ASSERT_EQ(d.Cells(), Flooded(Before, w, h, p, New)) << Seed << " " << p.x();
        }
        while (d.Map.UndoStack()->canUndo())
            d.Map.UndoStack()->undo();
        EXPECT_EQ(d.Cells(), Cells);
    }
}
