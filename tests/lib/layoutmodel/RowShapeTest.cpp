#include "layoutmodel/RowShape.h"

#include <gtest/gtest.h>

#include <string>

namespace zarvo {
namespace {

TEST(RowShapeTest, ReadsFramesNormalisedAndLinesByTheirEndsButNotDamagedRows) {
    struct Case { RowKind kind; std::vector<std::string> values; std::optional<RectMm> bounds; };
    const Case cases[] = {
        {RowKind::Block, {"0", "22", "34", "98", "8", "0", "0", "7", "0", "4", "2.5", "0"}, RectMm{22, 34, 120, 42}},
        {RowKind::Label, {"0", "50", "10", "-10", "-4"}, RectMm{40, 6, 50, 10}},
        {RowKind::Line, {"0.3", "100", "20", "10", "25"}, RectMm{10, 20, 100, 25}},
        {RowKind::Block, {"0", "22", "34", "98"}, {}}, {RowKind::Line, {"0.3", "1", "2", "x", "4"}, {}},
        {RowKind::Label, {}, {}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.values.size());
        std::optional<RowShape> shape = rowShape(c.kind, {"c", c.values});
        EXPECT_EQ(shape ? std::optional(shape->bounds()) : std::nullopt, c.bounds);
    }
    EXPECT_DOUBLE_EQ(distanceToSegment({13, 4}, {0, 0}, {10, 0}), 5);
    EXPECT_DOUBLE_EQ(distanceToSegment({3, 4}, {0, 0}, {0, 0}), 5);
}

TEST(RowShapeTest, TakesTheNearestGripWithinTheSquareRadius) {
    const RowShape frame{RowKind::Block, {10, 10, 30, 20}, {}, {}};
    const RowShape narrow{RowKind::Block, {10, 10, 10.5, 20}, {}, {}};
    const RowShape line{RowKind::Line, {}, {0, 0}, {10, 10}};
    struct Case { const RowShape* shape; PointMm p; std::optional<Grip> grip; };
    const Case cases[] = {{&frame, {10.9, 9.1}, Grip::TopLeft}, {&frame, {20, 20.5}, Grip::Bottom},
                          {&frame, {30, 15}, Grip::Right},     {&frame, {11.1, 10}, {}},
                          {&frame, {15, 15}, {}},              {&narrow, {10.45, 20}, Grip::BottomRight},
                          {&line, {10.5, 9.5}, Grip::End},     {&line, {0.2, 0.9}, Grip::Start},
                          {&line, {5, 5}, {}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.p.x << "," << c.p.y);
        EXPECT_EQ(gripAt(*c.shape, c.p, 1.0), c.grip);
    }
}

}  // namespace
}  // namespace zarvo
