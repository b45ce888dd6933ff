#include "document/RequiredFields.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace zarvo {
namespace {

struct Case {
    std::set<std::string> empty;  // controls left empty
    const char* message;          // expected warning; nullptr: all filled
};

void expectFirstMissing(std::span<const RequiredField> order, const Case& c) {
    const RequiredField* missing =
        firstMissingField(order, [&](std::string_view control) { return !c.empty.count(std::string(control)); });
    if (!c.message) {
        EXPECT_EQ(missing, nullptr);
        return;
    }
    ASSERT_NE(missing, nullptr) << c.message;
    EXPECT_EQ(missing->message, c.message);
}

TEST(RequiredFieldsTest, BlockDialogReportsTheFirstEmptyFieldInItsOrder) {
    const Case cases[] = {
        {{}, nullptr},
        {{"ED_name"}, "名稱不可為空白"},
        {{"ED_top", "ED_left"}, "左上角 x 座標不可為空白"},
        {{"ED_top"}, "左上角 y 座標不可為空白"},
        {{"ED_height", "ED_rowgap"}, "高度不可為空白"},
        {{"ED_colgap", "ED_ychar"}, "行距不可為空白"},
        {{"ED_ychar"}, "字型高度不可為空白"},
        {{"ED_xmargin"}, "X 方向間距不可為空白"},
        {{"ED_ymargin", "CB_style"}, "y 方向間距不可為空白"},
        // The lists come after every edit, whatever their place on screen.
        {{"CB_style", "ED_width"}, "寬度不可為空白"},
        {{"CB_style", "CB_font"}, "樣式不可為空白"},
        {{"CB_font", "CB_distrb"}, "分佈方式不可為空白"},
        {{"CB_font"}, "字型不可為空白"},
    };
    for (const Case& c : cases) expectFirstMissing(blockRequiredFields(), c);
    EXPECT_EQ(blockRequiredFields().size(), 13u);
}

TEST(RequiredFieldsTest, LineDialogReportsTheFirstEmptyFieldInItsOrder) {
    const Case cases[] = {
        {{}, nullptr},
        {{"CB_style", "ED_width"}, "寬度不可為空白"},
        {{"ED_fx", "ED_fy", "ED_tx", "ED_ty"}, "線段起始 x 座標不可為空白"},
        {{"ED_fy"}, "線段起始 y 座標不可為空白"},
        {{"ED_tx", "ED_ty"}, "線段終止 x 座標不可為空白"},
        {{"ED_ty"}, "線段終止 y 座標不可為空白"},
        {{"CB_style"}, "種類不可為空白"},
    };
    for (const Case& c : cases) expectFirstMissing(lineRequiredFields(), c);
    EXPECT_EQ(lineRequiredFields().size(), 6u);
}

}  // namespace
}  // namespace zarvo
