#include "proposals/CaptionNames.h"

#include <gtest/gtest.h>

namespace zarvo {
namespace {

// What two captions are compared by: blanks and punctuation, ASCII or CJK,
// left out; letters, digits and ideographs kept; broken UTF-8 kept as is.
TEST(CaptionNamesTest, KeysLeaveOutBlanksAndPunctuation) {
    const struct {
        const char* text;
        const char* key;
    } cases[] = {
        {"客戶名稱", "客戶名稱"},
        {" 客 戶 名 稱 \n", "客戶名稱"},
        {"客戶名稱：", "客戶名稱"},
        {"「品名」、規格。", "品名規格"},
        {"請款日期:", "請款日期"},
        {"單\xE3\x80\x80價", "單價"},                   // ideographic space
        {"（金額）", "金額"},                             // full-width brackets
        {"qty_1.", "qty1"},
        {"No. 5", "No5"},
        {"…—·", ""},
        {"", ""},
        {"a\xE5\x90", "a\xE5\x90"},                     // cut short: kept
        {"\xFF" "b", "\xFF" "b"},
    };
    for (const auto& c : cases) EXPECT_EQ(captionKey(c.text), c.key) << c.text;
}

// A caption names a column whose key equals its own, as the column spells
// it; else its key is the name.
TEST(CaptionNamesTest, CaptionsNameTheMatchingColumn) {
    const std::vector<DataColumn> columns = {{"客戶 名稱", false}, {"數量", true}, {"amount", true}};
    const struct {
        const char* caption;
        std::vector<DataColumn> columns;
        const char* name;
    } cases[] = {
        {"客戶名稱：", columns, "客戶 名稱"},
        {"數 量", columns, "數量"},
        {"單價", columns, "單價"},
        {"amount:", columns, "amount"},
        {"Amount", columns, "Amount"},
        {"數量", {}, "數量"},
        {"：", columns, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(nameFromCaption(c.caption, c.columns), c.name) << c.caption;
}

}  // namespace
}  // namespace zarvo
