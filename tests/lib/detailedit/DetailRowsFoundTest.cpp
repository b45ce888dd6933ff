#include "detailedit/DetailRowsFound.h"

#include <gtest/gtest.h>

#include "detail/DetailSpec.h"

namespace zarvo {
namespace {

using Names = std::vector<std::string>;

// item1..itemN, qty1..qtyN, ... for each field.
Names numbered(const Names& fields, int rows) {
    Names names;
    for (int row = 1; row <= rows; ++row) {
        for (const std::string& field : fields) names.push_back(detailBlock(field, row));
    }
    return names;
}

Names plus(Names names, const Names& more) {
    names.insert(names.end(), more.begin(), more.end());
    return names;
}

TEST(DetailRowsFoundTest, SelectedNamesProposeTheirFieldsOnceInOrder) {
    const struct {
        Names selected;
        Names fields;
    } cases[] = {
        {{"item3", "qty3", "unit3", "price3", "amount3"}, {"item", "qty", "unit", "price", "amount"}},
        {{"qty1", "item1", "qty2", "item2"}, {"qty", "item"}},
        {{"customer", "item12", "2024", "total"}, {"item"}},
        {{"a0b7"}, {"a0b"}},
        {{"\xab\x7e" "1"}, {"\xab\x7e"}},  // a Big5 name numbered
        {{}, {}},
    };
    for (const auto& c : cases) EXPECT_EQ(proposedDetailFields(c.selected), c.fields) << testing::PrintToString(c.selected);
}

TEST(DetailRowsFoundTest, RowsCountFromOneWhileEveryFieldHasItsBlock) {
    const Names note = numbered({"item", "qty", "unit", "price", "amount"}, 10);
    const struct {
        const char* what;
        Names fields;
        Names blocks;
        DetailRowsFound found;
        std::string text;
    } cases[] = {
        {"the delivery note", {"item", "qty", "unit", "price", "amount"}, note, {10, {}, {}}, "10 列: item1 … item10"},
        {"one field", {"qty"}, note, {10, {}, {}}, "10 列: qty1 … qty10"},
        {"one row", {"a", "b"}, {"a1", "b1", "a3"}, {1, {}, {}}, "1 列: a1"},
        {"a row short", {"item", "qty"}, plus(numbered({"item", "qty"}, 9), {"item10"}), {9, {"qty10"}, {}},
         "9 列: item1 … item9；缺少 qty10"},
        {"a gap", {"a", "b"}, {"a1", "b1", "a2", "a3", "b3"}, {1, {"b2"}, {}}, "1 列: a1；缺少 b2"},
        {"a field without blocks", {"item", "memo"}, numbered({"item"}, 2), {0, {"memo1", "memo2"}, {"memo"}},
         "找不到明細列: memo 沒有編號的區塊 (例如 memo1)"},
        {"many missing", {"a", "b"}, plus(numbered({"a", "b"}, 9), {"a10", "a11", "a12", "a13", "a14", "a15", "a16", "a17"}),
         {9, {"b10", "b11", "b12", "b13", "b14", "b15", "b16", "b17"}, {}},
         "9 列: a1 … a9；缺少 b10, b11, b12, b13, b14, b15 … (共 8 個)"},
        {"no fields", {}, note, {0, {}, {}}, "請輸入明細的欄位名稱, 或先在版面上選取一列明細的區塊"},
    };
    for (const auto& c : cases) {
        const DetailRowsFound found = findDetailRows(c.fields, c.blocks);
        EXPECT_EQ(found, c.found) << c.what;
        EXPECT_EQ(detailRowsText(c.fields, found), c.text) << c.what;
    }
}

TEST(DetailRowsFoundTest, WordsAreSeparatedByAnyBlank) {
    const struct {
        std::string text;
        Names words;
    } cases[] = {
        {"item qty", {"item", "qty"}},
        {"  item\tqty  ", {"item", "qty"}},
        {"item\u3000qty\u3000\u3000unit", {"item", "qty", "unit"}},
        {"品名 數量", {"品名", "數量"}},
        {"", {}},
        {" \u3000 ", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(typedDetailWords(c.text), c.words) << c.text;
}

}  // namespace
}  // namespace zarvo
