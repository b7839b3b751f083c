// SPDX-License-Identifier: MIT
// Editing a map apart from the widgets: where the map grid may lie, how a zoom keeps the point
// under the pointer, what a cell value is called, and which names a map may be saved under.

#include "maps/MapEditing.h"
#include "shell/MyTypes.h"

#include <gtest/gtest.h>

using namespace velkora;

namespace {

// Whether a whole cell of a Cols x Rows grid at Pos (one-pixel border) lies inside View.
bool ShowsAWholeCell(QPoint Pos, int Cols, int Rows, int Pitch, const QRect& View) {
    for (int r = 0; r < Rows; ++r)
        for (int c = 0; c < Cols; ++c)
            if (View.contains(
                    QRect(Pos + QPoint(1 + c * Pitch, 1 + r * Pitch), QSize(Pitch, Pitch))))
                return true;
    return false;
}

} // namespace

TEST(MapEditing, TheGridKeepsAWholeCellInViewAndMovesNoFurtherThanItMust) {
    const QRect View(0, 0, 578, 574);
    for (const int Pitch : {24, 48, 72, 96}) {
        for (const QSize Map : {QSize(1, 1), QSize(5, 3), QSize(300, 200)}) {
            for (const QPoint Pos : {QPoint(24, 16), QPoint(-100000, 50), QPoint(7000, -7000),
                                     QPoint(577, 573), QPoint(-Map.width() * Pitch, 0)}) {
                const QPoint p = ClampGridPos(Pos, Map.width(), Map.height(), Pitch, 1, View);
                EXPECT_TRUE(ShowsAWholeCell(p, Map.width(), Map.height(), Pitch, View))
                    << Pitch << " " << Pos.x() << "," << Pos.y();
                // One pixel further the way it was pushed back would show none.
                if (p.x() != Pos.x()) {
                    const QPoint Beyond = p + QPoint(Pos.x() < p.x() ? -1 : 1, 0);
                    EXPECT_FALSE(ShowsAWholeCell(Beyond, Map.width(), Map.height(), Pitch, View));
                }
            }
        }
    }
    // Where a whole cell shows, the grid stays; a map without cells, or a view not yet laid out,
    // is not held.
    EXPECT_EQ(ClampGridPos({-276, -234}, 300, 200, 24, 1, View), QPoint(-276, -234));
    EXPECT_EQ(ClampGridPos({-276, -234}, 5, 5, 24, 1, View), QPoint(-97, -97));
    EXPECT_EQ(ClampGridPos({-9999, 9999}, 0, 0, 24, 1, View), QPoint(-9999, 9999));
    EXPECT_EQ(ClampGridPos({-9999, 9999}, 5, 5, 24, 1, QRect(0, 0, 10, 10)), QPoint(-9999, 9999));
}

TEST(MapEditing, AZoomKeepsTheMapPointUnderTheAnchor) {
    for (const QPoint Pos : {QPoint(24, 16), QPoint(-5003, -77), QPoint(301, 2)}) {
        for (const QPoint Anchor : {QPoint(0, 0), QPoint(152, 100), QPoint(577, 573)}) {
            for (int From = 1; From <= 4; ++From) {
                for (int To = 1; To <= 4; ++To) {
                    const QPoint p = ZoomGridPos(Pos, Anchor, 24 * From, 24 * To, 1);
                    // The map pixel (in 1x pixels) under the anchor, before and after.
                    const auto MapPixel = [&](QPoint g, int z) {
                        const QPoint o = Anchor - g - QPoint(1, 1);
                        return QPointF(o) / z;
                    };
                    const QPointF Before = MapPixel(Pos, From);
                    const QPointF After = MapPixel(p, To);
                    EXPECT_LE(std::abs(Before.x() - After.x()), 1.0 / To);
                    EXPECT_LE(std::abs(Before.y() - After.y()), 1.0 / To);
                    // The same cell, to the pixel, when zooming in by whole steps from 1x.
                    if (From == 1) {
                        EXPECT_EQ(Anchor - p - QPoint(1, 1), (Anchor - Pos - QPoint(1, 1)) * To);
                    }
                }
            }
        }
    }
}

TEST(MapEditing, ValuesAreNamedByTextureAndItem) {
    EXPECT_EQ(CellValueText(0), "texture 1 item 0");
    EXPECT_EQ(CellValueText(7), "texture 1 item 7");
    EXPECT_EQ(CellValueText(24), "texture 1 item 24");
    EXPECT_EQ(CellValueText(25), "texture 2 item 0");
    EXPECT_EQ(CellValueText(28), "texture 2 item 3");
    EXPECT_EQ(CellValueText(49), "texture 2 item 24");
    EXPECT_EQ(CellValueText(50), "unknown value 50");
    EXPECT_EQ(CellValueText(200), "unknown value 200");
}

TEST(MapEditing, AMapIsSavedOnlyUnderANameInsideTheMapsFolder) {
    EXPECT_EQ(MapFileNameFor("Level4"), "Level4.Map");
    EXPECT_EQ(MapFileNameFor("  Level4.map "), "Level4.map");
    EXPECT_EQ(MapFileNameFor("a.b"), "a.b.Map");
    EXPECT_EQ(MapFileNameFor(".hidden"), ".hidden.Map");
    EXPECT_EQ(MapFileNameFor("   "), "");
    for (const char* Bad : {"../Level", "Sub/Level", "C:\\Level", "/etc/passwd", "..", "a..b",
                            ".Map", " .MAP", "tab\there"})
        EXPECT_THROW(MapFileNameFor(QString::fromUtf8(Bad)), Exception) << Bad;
}
