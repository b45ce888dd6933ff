// Frames placed by typed numbers: what the texts mean, what a move or a
// place does to the rows, and what cannot be done.

#include "layoutmodel/PositionEdit.h"

#include <gtest/gtest.h>

namespace zarvo {
namespace {

using Values = std::vector<std::string>;

LayoutScene twoBlocks() {
    LayoutScene scene;
    scene.setRows(RowKind::Block, {RowText{"a", {"0", "22", "34", "98", "8", "0", "0", "7", "0", "4", "2.5", "0"}},
                                   RowText{"b", {"0", "142", "34", "48", "8", "0", "0", "7", "0", "4", "2.5", "0"}}});
    scene.setRows(RowKind::Line, {RowText{"0", {"3", "0", "30", "190", "30"}}});
    return scene;
}

Values placing(const RowChange& change) { return Values(change.after->values.begin() + 1, change.after->values.begin() + 5); }

TEST(PositionEditTest, TheTextsMakeAMoveOrAPlaceOrSayWhyNot) {
    struct Case {
        PositionTexts texts;
        std::optional<PositionRequest> request;
        std::string error;
    };
    using Kind = PositionRequest::Kind;
    const Case cases[] = {
        {{true, " 4.0", "-6.9 ", "", ""}, PositionRequest{Kind::Move, 4, -6.9}, ""},
        {{true, "", "2", "x", "y"}, PositionRequest{Kind::Move, 0, 2}, ""},
        {{true, "4mm", "0", "", ""}, std::nullopt, "x「4mm」不是數字"},
        {{false, "10", "20", "30.5", "8"}, PositionRequest{Kind::Set, 10, 20, 30.5, 8}, ""},
        {{false, "10", "20", "0", "8"}, std::nullopt, "請輸入欄位框的 x、y 與大於 0 的寬、高 (mm)"},
        {{false, "", "20", "3", "8"}, std::nullopt, "請輸入欄位框的 x、y 與大於 0 的寬、高 (mm)"},
        {{false, "1", "2", "3", "高"}, std::nullopt, "高「高」不是數字"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.texts.x + " " + c.texts.y + " " + c.texts.width + " " + c.texts.height);
        std::string error;
        const std::optional<PositionRequest> request = positionRequestFrom(c.texts, error);
        ASSERT_EQ(request.has_value(), c.request.has_value()) << error;
        EXPECT_EQ(error, c.error);
        if (!request) continue;
        EXPECT_EQ(request->kind, c.request->kind);
        EXPECT_DOUBLE_EQ(request->x, c.request->x);
        EXPECT_DOUBLE_EQ(request->y, c.request->y);
        EXPECT_DOUBLE_EQ(request->width, c.request->width);
        EXPECT_DOUBLE_EQ(request->height, c.request->height);
    }
}

TEST(PositionEditTest, AMoveShiftsEverySelectedRowAndAPlaceTakesOneFrame) {
    const LayoutScene scene = twoBlocks();
    const RowRef a{RowKind::Block, 0}, b{RowKind::Block, 1}, line{RowKind::Line, 0};
    std::string error;
    const EditStep moved = positionStep(scene, {line, a, b}, {PositionRequest::Kind::Move, 4, 6.9}, error);
    ASSERT_EQ(moved.size(), 3u);
    EXPECT_EQ(placing(moved[1]), (Values{"26", "40.9", "98", "8"}));
    EXPECT_EQ(placing(moved[2]), (Values{"146", "40.9", "48", "8"}));

    const EditStep placed = positionStep(scene, {b}, {PositionRequest::Kind::Set, 100, 50.25, 30, 10}, error);
    ASSERT_EQ(placed.size(), 1u);
    EXPECT_EQ(placing(placed[0]), (Values{"100", "50.3", "30", "10"}));
    EXPECT_EQ(error, "");

    for (const std::vector<RowRef>& selection : {std::vector<RowRef>{a, b}, std::vector<RowRef>{line}}) {
        error.clear();
        EXPECT_TRUE(positionStep(scene, selection, {PositionRequest::Kind::Set, 1, 1, 1, 1}, error).empty());
        EXPECT_EQ(error, "設定位置與大小時, 請只選一個欄位或標籤的框");
    }
    const PositionTexts shown = positionTextsOf(scene, b);
    EXPECT_EQ((Values{shown.x, shown.y, shown.width, shown.height}), (Values{"142", "34", "48", "8"}));
}

}  // namespace
}  // namespace zarvo
