#include "layoutmodel/RowEdits.h"

#include <gtest/gtest.h>

#include <string>

namespace zarvo {
namespace {

using Values = std::vector<std::string>;

const RowText kBlock{"customer", {"0", "22", "34", "98", "8", "0", "0", "7", "0", "4", "2.5", "0"}};

Values placing(const RowText& row) { return Values(row.values.begin() + 1, row.values.begin() + 5); }

TEST(RowEditsTest, MovesRewriteOnlyTheFieldsThatMoveAndStayOnTenths) {
    struct Case { RowKind kind; Values values; double dx, dy; Values moved; };
    const Case cases[] = {
        {RowKind::Block, {"0", "22.00", "34", "98.0", "8"}, 0, 1, {"0", "22.00", "35", "98.0", "8"}},
        {RowKind::Label, {"0", "22", "34", "-5", "8"}, -22.04, 0.06, {"0", "0", "34.1", "-5", "8"}},
        {RowKind::Line, {"0.3", "1", "2", "3.30", "4"}, 0.2, 0, {"0.3", "1.2", "2", "3.5", "4"}},
        {RowKind::Line, {"0.3", "1", "2", "3"}, 5, 5, {"0.3", "1", "2", "3"}},
        {RowKind::Block, {"0", "x", "34", "98", "8"}, 5, 5, {"0", "x", "34", "98", "8"}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.values[1]);
        EXPECT_EQ(movedRow(c.kind, {"c", c.values}, c.dx, c.dy).values, c.moved);
    }
    RowText row = kBlock;
    for (int i = 0; i < 5; ++i) row = movedRow(RowKind::Block, row, 0.1, 1);
    EXPECT_EQ(placing(row), (Values{"22.5", "39", "98", "8"}));
}

TEST(RowEditsTest, ResizesTheEdgesAGripHoldsWithoutTurningInsideOut) {
    const RowText reversed{"c", {"0", "50", "10", "-10", "5"}};
    const RowText line{"0", {"0.3", "1", "2", "3", "4.00"}};
    struct Case { RowKind kind; const RowText* row; Grip grip; PointMm p; Values resized; };
    const Case cases[] = {{RowKind::Block, &kBlock, Grip::TopLeft, {20, 30.5}, {"20", "30.5", "100", "11.5"}},
                          {RowKind::Block, &kBlock, Grip::Right, {130.3, 99}, {"22", "34", "108.3", "8"}},
                          {RowKind::Block, &kBlock, Grip::Left, {150, 0}, {"120", "34", "0", "8"}},
                          {RowKind::Block, &kBlock, Grip::Bottom, {0, 10}, {"22", "34", "98", "0"}},
                          {RowKind::Label, &kBlock, Grip::BottomRight, {22, 42}, {"22", "34", "0", "8"}},
                          {RowKind::Block, &kBlock, Grip::Start, {0, 0}, {"22", "34", "98", "8"}},
                          {RowKind::Block, &reversed, Grip::Right, {60, 0}, {"40", "10", "20", "5"}},
                          {RowKind::Line, &line, Grip::End, {7.25, 4}, {"1", "2", "7.3", "4.00"}},
                          {RowKind::Line, &line, Grip::TopLeft, {7, 4}, {"1", "2", "3", "4.00"}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.grip));
        EXPECT_EQ(placing(resizedRow(c.kind, *c.row, c.grip, c.p)), c.resized);
    }
}

TEST(RowEditsTest, StepsLeaveOutUnchangedRowsAndRemoveFromTheHighestIndex) {
    LayoutScene scene;
    scene.setRows(RowKind::Block, {kBlock, {"broken", {"0"}}, kBlock});
    scene.setRows(RowKind::Line, {{"0", {"0.3", "1", "2", "3", "4"}}});
    const std::vector<RowRef> all{{RowKind::Block, 2}, {RowKind::Line, 0}, {RowKind::Block, 1}, {RowKind::Block, 0}};
    EditStep move = moveStep(scene, all, 1, 0);
    ASSERT_EQ(move.size(), 3u);
    EXPECT_EQ(move[1].after->values[1], "23");

    LayoutScene removed = scene;
    removed.apply(removeStep(scene, all));
    EXPECT_EQ(removed.rowCount(RowKind::Block) + removed.rowCount(RowKind::Line), 0);
    removed.apply(invertedStep(removeStep(scene, all)));
    EXPECT_EQ(removed.rows(RowKind::Block), scene.rows(RowKind::Block));
}

}  // namespace
}  // namespace zarvo
