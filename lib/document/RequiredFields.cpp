#include "document/RequiredFields.h"

namespace zarvo {

namespace {

// The edits come before the lists: a missing selection is reported only when
// every edit holds text.
constexpr RequiredField blockFields[] = {
    {"ED_name", "名稱不可為空白"},
    {"ED_left", "左上角 x 座標不可為空白"},
    {"ED_top", "左上角 y 座標不可為空白"},
    {"ED_width", "寬度不可為空白"},
    {"ED_height", "高度不可為空白"},
    {"ED_rowgap", "列距不可為空白"},
    {"ED_colgap", "行距不可為空白"},
    {"ED_ychar", "字型高度不可為空白"},
    {"ED_xmargin", "X 方向間距不可為空白"},
    {"ED_ymargin", "y 方向間距不可為空白"},
    {"CB_style", "樣式不可為空白"},
    {"CB_distrb", "分佈方式不可為空白"},
    {"CB_font", "字型不可為空白"},
};

// The end point's messages say 終止 where its field captions say 結束.
constexpr RequiredField lineFields[] = {
    {"ED_width", "寬度不可為空白"},
    {"ED_fx", "線段起始 x 座標不可為空白"},
    {"ED_fy", "線段起始 y 座標不可為空白"},
    {"ED_tx", "線段終止 x 座標不可為空白"},
    {"ED_ty", "線段終止 y 座標不可為空白"},
    {"CB_style", "種類不可為空白"},
};

}  // namespace

std::span<const RequiredField> blockRequiredFields() { return blockFields; }

std::span<const RequiredField> lineRequiredFields() { return lineFields; }

const RequiredField* firstMissingField(std::span<const RequiredField> order,
                                       const std::function<bool(std::string_view control)>& isFilled) {
    for (const RequiredField& field : order)
        if (!isFilled(field.control)) return &field;
    return nullptr;
}

}  // namespace zarvo
