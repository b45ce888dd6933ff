#include "layoutmodel/LayoutEditor.h"

#include <gtest/gtest.h>

#include <string>

namespace zarvo {
namespace {

using Refs = std::vector<RowRef>;
using Values = std::vector<std::string>;

RowText frame(std::string left, std::string top, std::string width, std::string height) {
    return {"f", {"0", left, top, width, height, "0", "0", "7", "0", "4", "2.5", "0"}};
}

const RowRef kLine{RowKind::Line, 0};
const RowRef kBlock0{RowKind::Block, 0};
const RowRef kBlock1{RowKind::Block, 1};
const Values kBlock0AtRest{"22", "34", "98", "8"};

// Blocks over 22..120 x 34..42 and 10..30 x 100..110 and a line along y = 200;
// a mirror of the rows follows the change handler as the owner's lists do.
class LayoutEditorTest : public testing::Test {
protected:
    LayoutEditorTest() {
        for (LayoutScene* scene : {&editor.scene(), &mirror}) {
            scene->setRows(RowKind::Block, {frame("22", "34", "98", "8"), frame("10", "100", "20", "10")});
            scene->setRows(RowKind::Line, {{"0", {"0.3", "0", "200", "100", "200"}}});
        }
    }
    void TearDown() override {
        for (RowKind kind : {RowKind::Line, RowKind::Label, RowKind::Block})
            EXPECT_EQ(mirror.rows(kind), editor.scene().rows(kind));
    }
    Values placing(RowRef ref) const {
        const Values& values = editor.scene().row(ref).values;
        return {values.begin() + 1, values.begin() + 5};
    }

    LayoutScene mirror;
    LayoutEditor editor{[this](const EditStep& step) { mirror.apply(step); }};
};

TEST_F(LayoutEditorTest, PressSelectsTogglesAndStartsGestures) {
    struct Case { Refs before; PointMm p; PointerKeys keys; Refs after; std::optional<RowRef> current; bool gesture; };
    const Case cases[] = {{{}, {30, 38}, {}, {kBlock0}, kBlock0, true},
                          {{kBlock0}, {50, 200.5}, {}, {kLine}, kLine, true},
                          {{kBlock0}, {15, 105}, {.control = true}, {kBlock0, kBlock1}, kBlock1, false},
                          {{kBlock0, kBlock1}, {30, 38}, {.control = true}, {kBlock1}, kBlock1, false},
                          {{kBlock0, kBlock1}, {15, 105}, {}, {kBlock0, kBlock1}, kBlock1, true},
                          {{kBlock0}, {5, 5}, {}, {}, {}, true},
                          {{kBlock0}, {5, 5}, {.control = true}, {kBlock0}, kBlock0, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.p.x << "," << c.p.y);
        editor.select(c.before);
        editor.press(c.p, c.keys);
        EXPECT_EQ(editor.selection(), c.after);
        EXPECT_EQ(editor.current(), c.current);
        EXPECT_EQ(editor.gestureActive(), c.gesture);
        editor.cancelGesture();
    }
}

TEST_F(LayoutEditorTest, DragsMoveOrResizeTheSelectionAsOneUndoableStep) {
    struct Case { Refs selected; PointMm from, to; bool snap; Values block0; };
    const Case cases[] = {{{}, {30, 38}, {31.3, 38.4}, false, {"23.3", "34.4", "98", "8"}},
                          {{}, {30, 38}, {31.3, 38.4}, true, {"23.5", "34.5", "98", "8"}},
                          {{kBlock0, kBlock1}, {15, 105}, {15.26, 105.26}, true, {"22.5", "34.5", "98", "8"}},
                          {{}, {30, 38}, {30, 38}, true, kBlock0AtRest},
                          {{kBlock0}, {120.4, 42.3}, {130.26, 50.04}, false, {"22", "34", "108.3", "16"}},
                          {{kBlock0}, {120.4, 42.3}, {130.26, 50.04}, true, {"22", "34", "108.5", "16"}},
                          {{kBlock1, kBlock0}, {120.4, 42.3}, {10, 30}, false, {"22", "34", "0", "0"}},
                          {{}, {120.4, 42.3}, {130.26, 50.04}, false, kBlock0AtRest}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.from.x << " to " << c.to.x << " snap " << c.snap);
        editor.select(c.selected);
        editor.press(c.from, {});
        editor.drag({c.from.x + 40, c.from.y + 40}, c.snap);
        EXPECT_FALSE(editor.release(c.to, c.snap, 0));
        EXPECT_EQ(placing(kBlock0), c.block0);
        bool changed = c.block0 != kBlock0AtRest;
        EXPECT_EQ(editor.undo(), changed);
        EXPECT_EQ(placing(kBlock0), kBlock0AtRest);
        EXPECT_TRUE(!changed || editor.isSelected(kBlock0));
    }
}

// The stationery's lines at x = 130.3 (y 30..50) and y = 45 (x 0..200):
// dragged edges within 1 mm land on them before the grid, and show them.
TEST_F(LayoutEditorTest, DraggedEdgesLandOnTheStationerysLinesBeforeTheGrid) {
    StationeryGuides guides;
    guides.vertical = {{130.3, 30, 50}};
    guides.horizontal = {{45, 0, 200}};
    editor.setGuides(guides);
    struct Case { Refs selected; PointMm from, to; SnapTo snap; Values block0; std::size_t shown; };
    const SnapTo both{true, true}, gridOnly{true, false}, none{};
    const Case cases[] = {{{kBlock0}, {120, 38}, {129.6, 38}, both, {"22", "34", "108.3", "8"}, 1},
                          {{kBlock0}, {120, 38}, {129.6, 38}, SnapTo{false, true}, {"22", "34", "108.3", "8"}, 1},
                          {{kBlock0}, {120, 38}, {129.64, 38}, gridOnly, {"22", "34", "107.5", "8"}, 0},
                          {{kBlock0}, {120, 38}, {129.64, 38}, none, {"22", "34", "107.6", "8"}, 0},
                          {{kBlock0}, {120, 38}, {128.9, 38}, both, {"22", "34", "107", "8"}, 0},
                          {{kBlock0}, {71, 42}, {71, 44.2}, both, {"22", "34", "98", "11"}, 1},
                          {{kBlock0}, {120, 42}, {129.8, 45.5}, both, {"22", "34", "108.3", "11"}, 2},
                          {{}, {30, 38}, {39.5, 38}, both, {"32.3", "34", "98", "8"}, 1},
                          {{}, {30, 38}, {39.5, 38}, none, {"31.5", "34", "98", "8"}, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.from.x << "," << c.from.y << " to " << c.to.x << "," << c.to.y);
        editor.select(c.selected);
        editor.press(c.from, {});
        editor.drag(c.to, c.snap);
        EXPECT_EQ(editor.shownGuides().size(), c.shown);
        EXPECT_FALSE(editor.release(c.to, c.snap, 0));
        EXPECT_TRUE(editor.shownGuides().empty());
        EXPECT_EQ(placing(kBlock0), c.block0);
        EXPECT_TRUE(editor.undo());
    }
    // A new frame's corner lands on a line too.
    editor.press({5, 10}, {.shift = true});
    editor.drag({20, 44.5}, both);
    ASSERT_TRUE(editor.shapeInProgress());
    EXPECT_EQ(editor.shapeInProgress()->end, (PointMm{20, 45}));
    EXPECT_EQ(editor.shownGuides().size(), 1u);
    editor.cancelGesture();
    EXPECT_TRUE(editor.shownGuides().empty());
}

TEST_F(LayoutEditorTest, RubberBandsSelectRowsWhollyInsideAndCancelPutsRowsBack) {
    editor.select({kLine});
    editor.press({125, 130}, {.control = true});
    editor.drag({5, 30}, false);
    EXPECT_EQ(editor.rubberBand(), (RectMm{5, 30, 125, 130}));
    editor.release({5, 30}, false, 0);
    EXPECT_EQ(editor.selection(), (Refs{kLine, kBlock0, kBlock1}));
    editor.press({5, 30}, {});
    editor.release({125, 105}, false, 0);
    EXPECT_EQ(editor.selection(), (Refs{kBlock0}));

    editor.press({30, 38}, {});
    editor.drag({40, 48}, true);
    editor.cancelGesture();
    EXPECT_EQ(placing(kBlock0), kBlock0AtRest);
    EXPECT_FALSE(editor.gestureActive() || editor.history().canUndo());
}

TEST_F(LayoutEditorTest, ABandTakesRowsInsideItLeftToRightAndRowsItTouchesRightToLeft) {
    using Rule = LayoutEditor::BandRule;
    struct Case { PointMm from, to; Rule rule; Refs selected; };
    const Case cases[] = {{{125, 105}, {25, 38}, Rule::Touching, {kBlock0, kBlock1}},
                          {{20, 32}, {125, 105}, Rule::Inside, {kBlock0}},
                          {{125, 38}, {25, 105}, Rule::Touching, {kBlock0, kBlock1}},
                          {{5, 30}, {125, 130}, Rule::Inside, {kBlock0, kBlock1}},
                          {{50, 210}, {40, 190}, Rule::Touching, {kLine}},
                          {{40, 190}, {50, 210}, Rule::Inside, {}},
                          {{50, 190}, {50, 210}, Rule::Inside, {}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.from.x << "," << c.from.y << " to " << c.to.x << "," << c.to.y);
        editor.press(c.from, {});
        editor.drag(c.to, false);
        EXPECT_EQ(editor.rubberBandRule(), c.rule);
        editor.release(c.to, false, 0);
        EXPECT_EQ(editor.selection(), c.selected);
        EXPECT_FALSE(editor.rubberBandRule().has_value());
    }
}

TEST_F(LayoutEditorTest, SelectAllTakesEveryRowAndKeepsTheCurrentOne) {
    editor.select({kBlock1});
    editor.selectAll();
    EXPECT_EQ(editor.selection(), (Refs{kLine, kBlock0, kBlock1}));
    EXPECT_EQ(editor.current(), kBlock1);
}

TEST_F(LayoutEditorTest, NewShapesAreReturnedWhenDrawnAndNeverAdded) {
    struct Case { PointerKeys keys; PointMm from, to; bool snap; std::optional<NewShape> shape; };
    const Case cases[] = {
        {{.shift = true}, {50.26, 60}, {40.04, 50}, false, NewShape{RowKind::Block, {40, 50}, {50.3, 60}}},
        {{.shift = true, .alt = true}, {30, 38}, {10.26, 38}, true, NewShape{RowKind::Line, {30, 38}, {10.5, 38}}},
        {{.shift = true}, {1, 1}, {1.02, 1.01}, false, {}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.to.x);
        editor.press(c.from, c.keys);
        std::optional<NewShape> shape = editor.release(c.to, c.snap, 0);
        ASSERT_EQ(shape.has_value(), c.shape.has_value());
        if (shape) {
            EXPECT_TRUE(shape->kind == c.shape->kind && shape->start == c.shape->start && shape->end == c.shape->end);
        }
    }
    EXPECT_EQ(editor.scene().rowCount(RowKind::Block), 2);
    EXPECT_FALSE(editor.history().canUndo());
}

TEST_F(LayoutEditorTest, NudgesShareAStepAndDeletionsComeBackSelected) {
    editor.select({kBlock0});
    for (int press = 0; press < 5; ++press) editor.nudge(0.1, 0, press * 900);
    editor.nudge(0, 1, 5000);
    EXPECT_EQ(placing(kBlock0), (Values{"22.5", "35", "98", "8"}));
    ASSERT_TRUE(editor.undo() && editor.undo());
    EXPECT_EQ(placing(kBlock0), kBlock0AtRest);

    editor.select({kBlock1, kLine});
    editor.deleteSelection(0);
    EXPECT_TRUE(editor.selection().empty());
    EXPECT_EQ(editor.scene().rowCount(RowKind::Block) + editor.scene().rowCount(RowKind::Line), 1);
    ASSERT_TRUE(editor.undo());
    EXPECT_EQ(editor.selection(), (Refs{kLine, kBlock1}));
    ASSERT_TRUE(editor.redo());
    EXPECT_TRUE(editor.selection().empty());
}

TEST_F(LayoutEditorTest, EditsFromElsewhereKeepTheSelectionOnItsRows) {
    const RowRef kBlock2{RowKind::Block, 2};
    editor.select({kBlock0, kBlock1}, kBlock1);
    editor.edit({{RowKind::Block, 0, std::nullopt, frame("1", "1", "1", "1")}}, 0, true);
    EXPECT_EQ(editor.selection(), (Refs{kBlock1, kBlock2}));
    EXPECT_EQ(editor.current(), kBlock2);
    const EditStep removal{{RowKind::Block, 2, editor.scene().row(kBlock2), std::nullopt}};
    mirror.apply(removal);
    editor.edit(removal, 10, false);
    EXPECT_EQ(editor.selection(), (Refs{kBlock1}));
    ASSERT_TRUE(editor.undo());
    EXPECT_EQ(editor.selection(), (Refs{kBlock2}));
}

}  // namespace
}  // namespace zarvo
