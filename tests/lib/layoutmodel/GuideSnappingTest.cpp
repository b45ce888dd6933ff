#include "layoutmodel/GuideSnapping.h"

#include <gtest/gtest.h>

namespace zarvo {
namespace {

// A horizontal line at y = 40 over x 10..190 and a vertical one at
// x = 60.23 over y 40..80; the grid counted from (0, 0).
StationeryGuides ruled() {
    StationeryGuides guides;
    guides.horizontal = {{40, 10, 190}};
    guides.vertical = {{60.23, 40, 80}};
    return guides;
}

constexpr SnapTo kBoth{true, true};
constexpr SnapTo kLinesOnly{false, true};
constexpr SnapTo kGridOnly{true, false};
constexpr SnapTo kNone{};

TEST(GuideSnappingTest, DraggedPointsLandOnLinesBeforeTheGrid) {
    struct Case {
        const char* name;
        PointMm p;
        bool moveX, moveY;
        Span xSpan, ySpan;
        SnapTo snap;
        PointMm landed;
        int guides;  // how many lines it landed on
    };
    const Case cases[] = {
        {"0.8 mm below a line", {30.3, 40.8}, true, true, {20, 50}, {30, 45}, kBoth, {30.5, 40}, 1},
        {"beyond reach: the grid", {30.3, 41.2}, true, true, {20, 50}, {30, 45}, kBoth, {30.5, 41}, 0},
        {"beyond reach, no grid: 0.1 mm", {30.33, 41.24}, true, true, {20, 50}, {30, 45}, kLinesOnly, {30.3, 41.2}, 0},
        {"lines off", {30.3, 40.8}, true, true, {20, 50}, {30, 45}, kGridOnly, {30.5, 41}, 0},
        {"nothing on", {30.33, 40.8}, true, true, {20, 50}, {30, 45}, kNone, {30.3, 40.8}, 0},
        {"a corner near both", {59.5, 40.6}, true, true, {20, 59.5}, {40.6, 70}, kBoth, {60.23, 40}, 2},
        {"an edge beside the line's extent", {30, 40.5}, true, true, {195, 220}, {30, 45}, kBoth, {30, 40.5}, 0},
        {"y alone moves", {60, 40.5}, false, true, {20, 60}, {30, 45}, kBoth, {60, 40}, 1},
        {"x alone moves", {60, 40.5}, true, false, {20, 60}, {30, 45}, kBoth, {60.23, 40.5}, 1},
        {"a line's end at a point", {60.9, 90}, true, true, {60.9, 60.9}, {90, 90}, kBoth, {61, 90}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PointSnap snap = snapPoint(c.p, c.moveX, c.moveY, c.xSpan, c.ySpan, ruled(), c.snap, {0, 0});
        EXPECT_NEAR(snap.point.x, c.landed.x, 1e-9);
        EXPECT_NEAR(snap.point.y, c.landed.y, 1e-9);
        EXPECT_EQ(int(snap.guides.size()), c.guides);
    }
    const PointSnap corner = snapPoint({59.5, 40.6}, true, true, {20, 59.5}, {40.6, 70}, ruled(), kBoth, {0, 0});
    ASSERT_EQ(corner.guides.size(), 2u);
    EXPECT_TRUE(corner.guides[0].vertical);
    EXPECT_DOUBLE_EQ(corner.guides[0].line.position, 60.23);
    EXPECT_FALSE(corner.guides[1].vertical);
}

TEST(GuideSnappingTest, MovedRowsPutTheirNearestEdgeOnALine) {
    struct Case {
        const char* name;
        RectMm bounds;
        PointMm delta;
        SnapTo snap;
        PointMm move;
    };
    const Case cases[] = {
        // A frame 20..50 x 50..60 moved right by 10.5: its right edge, 60.5, comes to the line at 60.23.
        {"right edge to the line", {20, 50, 50, 60}, {10.5, 0}, kBoth, {10.23, 0}},
        {"left edge to the line", {0, 50, 10, 60}, {60.6, 0}, kBoth, {60.23, 0}},
        {"bottom edge to the line", {20, 10, 50, 20}, {0, 20.7}, kBoth, {0, 20}},
        {"too far: the grid", {20, 50, 50, 60}, {11.4, 0}, kBoth, {11.5, 0}},
        {"lines off", {20, 50, 50, 60}, {10.5, 0}, kGridOnly, {10.5, 0}},
        {"nothing on", {20, 50, 50, 60}, {10.46, 0.04}, kNone, {10.5, 0}},
        {"both axes", {20, 35, 50, 45}, {10.5, 4.6}, kBoth, {10.23, 5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PointSnap snap =
            snapMove(c.bounds, {c.bounds.left, c.bounds.top}, c.delta, ruled(), c.snap, {0, 0});
        EXPECT_NEAR(snap.point.x, c.move.x, 1e-9);
        EXPECT_NEAR(snap.point.y, c.move.y, 1e-9);
    }
}

}  // namespace
}  // namespace zarvo
