#include "layoutmodel/StationeryGuides.h"

#include <gtest/gtest.h>

#include <string>

namespace zarvo {
namespace {

RowText frame(std::string left, std::string top, std::string width, std::string height) {
    return {"f", {"0", left, top, width, height, "0", "0", "7", "0", "4", "2.5", "0"}};
}

TEST(StationeryGuidesTest, FoundLinesAndBoxesLandInRowCoordinates) {
    ScanLines found;
    found.horizontal = {{40, 10, 190, 0.3}};
    found.vertical = {{60, 40, 80, 0.3}};
    found.boxes = {{10, 40, 60, 80, true}};
    struct Case {
        PointMm shift, origin;
        GuideLine horizontal, vertical;
        RectMm box;
    };
    const Case cases[] = {
        {{0, 0}, {0, 0}, {40, 10, 190}, {60, 40, 80}, {10, 40, 60, 80}},
        {{2, 2}, {0, 0}, {42, 12, 192}, {62, 42, 82}, {12, 42, 62, 82}},  // a picture shifted 2 mm
        {{0, 0}, {5, 10}, {30, 5, 185}, {55, 30, 70}, {5, 30, 55, 70}},    // a printable corner and offset
        {{-1.5, 3}, {4, 6}, {37, 4.5, 184.5}, {54.5, 37, 77}, {4.5, 37, 54.5, 77}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.shift.x << "," << c.shift.y << " / " << c.origin.x << "," << c.origin.y);
        const StationeryGuides guides = stationeryGuides(found, c.shift, c.origin);
        ASSERT_EQ(guides.horizontal.size(), 1u);
        ASSERT_EQ(guides.vertical.size(), 1u);
        ASSERT_EQ(guides.boxes.size(), 1u);
        EXPECT_DOUBLE_EQ(guides.horizontal[0].position, c.horizontal.position);
        EXPECT_DOUBLE_EQ(guides.horizontal[0].from, c.horizontal.from);
        EXPECT_DOUBLE_EQ(guides.horizontal[0].to, c.horizontal.to);
        EXPECT_DOUBLE_EQ(guides.vertical[0].position, c.vertical.position);
        EXPECT_DOUBLE_EQ(guides.vertical[0].from, c.vertical.from);
        EXPECT_DOUBLE_EQ(guides.vertical[0].to, c.vertical.to);
        EXPECT_EQ(guides.boxes[0], (GuideBox{c.box, true}));
    }
    EXPECT_TRUE(stationeryGuides(ScanLines{}, {}, {}).empty());
}

TEST(StationeryGuidesTest, APointFindsTheSmallestEmptyBoxAroundIt) {
    StationeryGuides guides;
    guides.boxes = {{{0, 0, 100, 100}, false},   // a large empty box
                    {{10, 10, 30, 20}, false},   // a small one inside it
                    {{40, 10, 60, 20}, true},    // a caption box inside it
                    {{200, 0, 210, 5}, true}};   // a caption box alone
    struct Case {
        PointMm p;
        std::optional<RectMm> box;
    };
    const Case cases[] = {
        {{20, 15}, RectMm{10, 10, 30, 20}},
        {{10, 10}, RectMm{10, 10, 30, 20}},  // on its lines
        {{50, 15}, RectMm{0, 0, 100, 100}},  // the caption box's empty parent
        {{90, 90}, RectMm{0, 0, 100, 100}},
        {{205, 2}, std::nullopt},            // only a caption box holds it
        {{150, 50}, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.p.x << "," << c.p.y);
        EXPECT_EQ(emptyBoxAt(guides, c.p), c.box);
    }
}

TEST(StationeryGuidesTest, FramesFitTheirBoxLessTheMargin) {
    struct Case {
        RectMm box;
        double margin;
        RectMm inset;
    };
    const Case cases[] = {
        {{10, 20, 60, 30}, 0.5, {10.5, 20.5, 59.5, 29.5}},
        {{10, 20, 60, 30}, 0, {10, 20, 60, 30}},
        {{10, 20, 60, 21}, 0.5, {10.5, 20.5, 59.5, 20.5}},  // exactly used up
        {{10, 20, 60, 20.4}, 0.5, {10.5, 20.2, 59.5, 20.2}},  // too low: its middle
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.box.left << "," << c.box.top << " margin " << c.margin);
        const RectMm inset = insetFrame(c.box, c.margin);
        EXPECT_DOUBLE_EQ(inset.left, c.inset.left);
        EXPECT_DOUBLE_EQ(inset.top, c.inset.top);
        EXPECT_DOUBLE_EQ(inset.right, c.inset.right);
        EXPECT_DOUBLE_EQ(inset.bottom, c.inset.bottom);
    }

    LayoutScene scene;
    scene.setRows(RowKind::Block, {frame("22", "34", "98", "8")});
    scene.setRows(RowKind::Label, {frame("100", "100", "5", "5")});
    scene.setRows(RowKind::Line, {{"0", {"0.3", "0", "200", "100", "200"}}});
    struct FitCase {
        RowRef ref;
        RectMm frame;
        std::optional<RowText> after;  // nullopt: no step
    };
    const FitCase fits[] = {
        {{RowKind::Block, 0}, {10.5, 20.5, 59.5, 29.5}, frame("10.5", "20.5", "49", "9")},
        {{RowKind::Block, 0}, {130, 50, 140, 60}, frame("130", "50", "10", "10")},  // wholly beyond the old frame
        {{RowKind::Block, 0}, {22.04, 33.96, 120, 42}, std::nullopt},               // the same to 0.1 mm
        {{RowKind::Label, 0}, {1.25, 2, 3, 4}, frame("1.3", "2", "1.7", "2")},
        {{RowKind::Line, 0}, {1, 2, 3, 4}, std::nullopt},                           // no frame
    };
    for (const FitCase& c : fits) {
        SCOPED_TRACE(testing::Message() << int(c.ref.kind) << " to " << c.frame.left << "," << c.frame.top);
        const EditStep step = fitFrameStep(scene, c.ref, c.frame);
        if (!c.after) {
            EXPECT_TRUE(step.empty());
            continue;
        }
        ASSERT_EQ(step.size(), 1u);
        EXPECT_EQ(step[0].before, scene.row(c.ref));
        EXPECT_EQ(step[0].after, c.after);
    }
}

}  // namespace
}  // namespace zarvo
