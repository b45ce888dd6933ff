#include "layoutmodel/LayoutScene.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace zarvo {
namespace {

RowText frame(std::string left, std::string top, std::string width, std::string height) {
    return {"f", {"0", left, top, width, height}};
}
RowText line(std::string x1, std::string y1, std::string x2, std::string y2) { return {"0", {"0.3", x1, y1, x2, y2}}; }

// A block over a label, two crossing lines beside them, and a damaged block.
class LayoutSceneTest : public testing::Test {
protected:
    LayoutSceneTest() {
        scene.setRows(RowKind::Line, {line("0", "30", "100", "30"), line("50", "0", "50", "100")});
        scene.setRows(RowKind::Label, {frame("0", "0", "60", "20")});
        scene.setRows(RowKind::Block, {frame("40", "5", "20", "10"), {"broken", {"0", "1"}}});
    }
    LayoutScene scene;
};

TEST_F(LayoutSceneTest, HitsTheTopmostRowUnderThePointer) {
    const std::pair<PointMm, std::optional<RowRef>> cases[] = {
        {{45, 10}, RowRef{RowKind::Block, 0}}, {{60, 15}, RowRef{RowKind::Block, 0}},
        {{10, 10}, RowRef{RowKind::Label, 0}}, {{80, 30.9}, RowRef{RowKind::Line, 0}},
        {{50.2, 30}, RowRef{RowKind::Line, 1}}, {{80, 31.1}, {}}, {{-0.01, 0}, {}}};
    for (const auto& [p, hit] : cases) {
        SCOPED_TRACE(testing::Message() << p.x << "," << p.y);
        EXPECT_EQ(scene.rowAt(p, 1.0), hit);
    }
    EXPECT_EQ(scene.rowsInside({100, 30, 0, 0}),
              (std::vector<RowRef>{{RowKind::Line, 0}, {RowKind::Label, 0}, {RowKind::Block, 0}}));
    EXPECT_EQ(scene.rowsInside({39, 0, 60, 20}), (std::vector<RowRef>{{RowKind::Block, 0}}));
}

TEST_F(LayoutSceneTest, FindsTheRowsABandTouches) {
    const RowRef line0{RowKind::Line, 0}, line1{RowKind::Line, 1}, label{RowKind::Label, 0}, block{RowKind::Block, 0};
    const std::pair<RectMm, std::vector<RowRef>> cases[] = {
        {{55, 12, 70, 40}, {line0, label, block}},
        {{70, 40, 55, 12}, {line0, label, block}},
        {{61, 21, 70, 29}, {}},
        {{60, 20, 70, 25}, {label}},
        {{45, 35, 55, 99}, {line1}},
        {{50, 100, 51, 120}, {line1}},
    };
    for (const auto& [band, touched] : cases) {
        SCOPED_TRACE(testing::Message() << band.left << "," << band.top);
        EXPECT_EQ(scene.rowsTouching(band), touched);
    }
    EXPECT_EQ(scene.allRows(), (std::vector<RowRef>{line0, line1, label, block, {RowKind::Block, 1}}));

    // A slanting line touches a band only where it passes, not wherever its
    // bounds overlap it.
    LayoutScene slant;
    slant.setRows(RowKind::Line, {line("0", "0", "100", "100")});
    const std::pair<RectMm, bool> slantCases[] = {{{60, 10, 90, 40}, false}, {{30, 20, 40, 35}, true},
                                                  {{95, 95, 120, 120}, true}, {{50, 50, 50, 50}, true},
                                                  {{-10, 1, -1, 20}, false}, {{101, 0, 120, 120}, false}};
    for (const auto& [band, touched] : slantCases) {
        SCOPED_TRACE(testing::Message() << "slant " << band.left << "," << band.top);
        EXPECT_EQ(slant.rowsTouching(band).size(), touched ? 1u : 0u);
    }
}

TEST_F(LayoutSceneTest, FindsTheRowsWhollyOutsideAnArea) {
    scene.setRows(RowKind::Block, {frame("99999999999", "5", "20", "10"), frame("-99999999999", "5", "20", "10"),
                                   frame("40", "5", "20", "10"), {"broken", {"0", "1"}}});
    const RowRef line0{RowKind::Line, 0}, line1{RowKind::Line, 1}, label{RowKind::Label, 0};
    const RowRef far{RowKind::Block, 0}, farLeft{RowKind::Block, 1}, near{RowKind::Block, 2};
    const std::pair<RectMm, std::vector<RowRef>> cases[] = {
        {{0, 0, 210, 297}, {far, farLeft}},
        {{297, 210, 0, 0}, {far, farLeft}},
        {{61, 21, 70, 29}, {line0, line1, label, far, farLeft, near}},
        {{60, 20, 70, 30}, {line1, far, farLeft, near}},
        {{-1e12, 0, 1e12, 297}, {}},
    };
    for (const auto& [area, outside] : cases) {
        SCOPED_TRACE(testing::Message() << area.left << "," << area.top);
        EXPECT_EQ(scene.rowsOutside(area), outside);
    }
}

TEST_F(LayoutSceneTest, AppliesChangesInOrderAndStopsAtTheFirstBadIndex) {
    const RowText moved = frame("0", "50", "5", "5");
    scene.apply(EditStep{{RowKind::Label, 0, scene.row({RowKind::Label, 0}), moved},
                         {RowKind::Block, 2, std::nullopt, frame("1", "1", "1", "1")},
                         {RowKind::Line, 0, scene.row({RowKind::Line, 0}), std::nullopt}});
    EXPECT_EQ(scene.rowCount(RowKind::Line), 1);
    EXPECT_EQ(scene.rowAt({2, 52}, 1.0), (RowRef{RowKind::Label, 0}));
    EXPECT_EQ(scene.rowAt({1, 1}, 1.0), (RowRef{RowKind::Block, 2}));
    EXPECT_FALSE(scene.shape({RowKind::Block, 1}).has_value());

    const RowText added = line("0", "0", "1", "1");
    const RowChange bad[] = {{RowKind::Line, 3, std::nullopt, added},
                             {RowKind::Line, 2, added, std::nullopt},
                             {RowKind::Label, -1, moved, moved}};
    for (const RowChange& change : bad) {
        SCOPED_TRACE(change.index);
        EXPECT_THROW(scene.apply(EditStep{{RowKind::Line, 1, std::nullopt, added}, change}), std::out_of_range);
        EXPECT_EQ(scene.rowCount(RowKind::Line), 2);
        scene.apply({RowKind::Line, 1, added, std::nullopt});
    }
}

}  // namespace
}  // namespace zarvo
