#include "layoutmodel/Snapping.h"

#include <gtest/gtest.h>

#include <tuple>

namespace zarvo {
namespace {

TEST(SnappingTest, SnapsToTheGridFromItsOriginWithoutBinaryNoise) {
    const double cases[][3] = {{22.24, 0, 22},    {22.25, 0, 22.5},     {-0.25, 0, -0.5},
                               {10.1, 0.3, 10.3}, {10.0, -3.25, 10.25}, {-3.9, -4.9, -3.9}};
    for (const auto& [v, origin, snapped] : cases) {
        SCOPED_TRACE(v);
        EXPECT_EQ(snapToGrid(v, origin), snapped);
    }
}

TEST(SnappingTest, DragMovesBringTheAnchorOntoTheGridOrOntoTenths) {
    const std::tuple<PointMm, bool, PointMm> cases[] = {
        {{1.04, -0.96}, false, {23.3, 33}}, {{1.04, -0.96}, true, {23.5, 33}}, {{}, true, {22.5, 34}}};
    const PointMm anchor{22.3, 34};
    for (const auto& [delta, snap, landed] : cases) {
        SCOPED_TRACE(snap);
        PointMm d = dragMove(anchor, delta, snap, {0, 0});
        EXPECT_NEAR(anchor.x + d.x, landed.x, 1e-9);
        EXPECT_NEAR(anchor.y + d.y, landed.y, 1e-9);
    }
}

}  // namespace
}  // namespace zarvo
