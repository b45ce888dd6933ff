// Spreading one order over the sheets of a form with detail rows.

#include "detail/DetailSheets.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "report/Big5.h"
#include "report/ReportError.h"

namespace zarvo {
namespace {

using Fields = std::vector<DataField>;

std::string big5(const char* utf8) { return *utf8ToBig5(utf8); }

DetailSpec noteSpec(bool carry) {
    DetailSpec spec;
    spec.rows = 10;
    spec.fields = {"item", "qty", "amount"};
    spec.page = "page_no";
    spec.pages = "page_count";
    spec.sums = {{"amount", {"subtotal"}}};
    spec.last = {"total"};
    spec.continued = big5("接下頁");
    spec.carry = carry;
    return spec;
}

// An order A1 of count items: item "Pn", qty n, amount "n.5" (n from 1).
DetailOrder order(int count) {
    DetailOrder made;
    made.fields = {{"order_no", "A1"}, {"total", "999"}, {"page_no", "stale"}};
    for (int n = 1; n <= count; ++n) {
        made.items.push_back({{"item", "P" + std::to_string(n)}, {"qty", std::to_string(n)},
                              {"amount", std::to_string(n) + ".5"}});
    }
    return made;
}

std::map<std::string, std::string> byName(const Fields& fields) {
    std::map<std::string, std::string> named;
    for (const DataField& field : fields) {
        EXPECT_FALSE(named.count(field.name)) << field.name << " twice";
        named[field.name] = field.value;
    }
    return named;
}

TEST(DetailSheets, SpansPerSheet) {
    struct Case {
        bool carry;
        int rows;
        std::int64_t items;
        std::vector<SheetSpan> spans;
    };
    const std::vector<Case> cases = {
        {false, 10, 0, {{0, 0}}},
        {false, 10, 10, {{0, 10}}},
        {false, 10, 11, {{0, 10}, {10, 1}}},
        {false, 10, 23, {{0, 10}, {10, 10}, {20, 3}}},
        {true, 10, 10, {{0, 10}}},
        {true, 10, 11, {{0, 9}, {9, 2}}},
        {true, 10, 18, {{0, 9}, {9, 9}}},
        {true, 10, 19, {{0, 9}, {9, 8}, {17, 2}}},
        {true, 10, 23, {{0, 9}, {9, 8}, {17, 6}}},
        {true, 3, 7, {{0, 2}, {2, 1}, {3, 1}, {4, 1}, {5, 2}}},
    };
    for (const Case& c : cases) {
        DetailSpec spec = noteSpec(c.carry);
        spec.rows = c.rows;
        EXPECT_EQ(detailSpans(spec, c.items), c.spans) << c.carry << " " << c.rows << " " << c.items;
    }
}

// 23 items on a 10-row form: 3 sheets, items in order, page numbers, the
// exact subtotal on the last sheet, "接下頁" before it, total on the last only.
TEST(DetailSheets, TwentyThreeItemsWithoutCarry) {
    const std::vector<Fields> sheets = detailSheets(noteSpec(false), order(23));
    ASSERT_EQ(sheets.size(), 3u);
    int item = 1;
    for (std::size_t s = 0; s < sheets.size(); ++s) {
        SCOPED_TRACE(s);
        std::map<std::string, std::string> named = byName(sheets[s]);
        EXPECT_EQ(sheets[s].front(), (DataField{"order_no", "A1"}));
        EXPECT_EQ(named["page_no"], std::to_string(s + 1));
        EXPECT_EQ(named["page_count"], "3");
        EXPECT_EQ(named["subtotal"], s == 2 ? "287.5" : big5("接下頁"));
        EXPECT_EQ(named.count("total"), s == 2 ? 1u : 0u);
        for (int row = 1; row <= 10; ++row) {
            const std::string value = named["item" + std::to_string(row)];
            if (item > 23) {
                EXPECT_EQ(value, "");
                continue;
            }
            EXPECT_EQ(value, "P" + std::to_string(item));
            EXPECT_EQ(named["amount" + std::to_string(row)], std::to_string(item) + ".5");
            ++item;
        }
    }
    EXPECT_EQ(item, 24);
    // Fields in drawing order: order fields, rows, page, pages, sums.
    const Fields& last = sheets[2];
    EXPECT_EQ(last[0].name, "order_no");
    EXPECT_EQ(last[1], (DataField{"total", "999"}));
    EXPECT_EQ(last[2], (DataField{"item1", "P21"}));
    EXPECT_EQ(last[last.size() - 3], (DataField{"page_no", "3"}));
    EXPECT_EQ(last.back(), (DataField{"subtotal", "287.5"}));
}

// With carry the first row of sheets 2.. and the last row of sheets ..n-1
// hold the running sums, which add up to the total.
TEST(DetailSheets, CarriedTotalsAddUp) {
    const std::vector<Fields> sheets = detailSheets(noteSpec(true), order(23));
    ASSERT_EQ(sheets.size(), 3u);
    struct Expect {
        std::string firstItem;  // in row 1
        std::string carriedIn;  // amount1, when row 1 is "承上頁"
        std::string lastRow;    // item10
        std::string carriedOut; // amount10
    };
    // Sheet 1: P1..P9 (sum 45 + 4.5), sheet 2: P10..P17, sheet 3: P18..P23.
    const std::vector<Expect> expect = {
        {"P1", "1.5", big5("過次頁"), "49.5"},
        {big5("承上頁"), "49.5", big5("過次頁"), "161.5"},
        {big5("承上頁"), "161.5", "", ""},
    };
    for (std::size_t s = 0; s < 3; ++s) {
        SCOPED_TRACE(s);
        std::map<std::string, std::string> named = byName(sheets[s]);
        EXPECT_EQ(named["item1"], expect[s].firstItem);
        EXPECT_EQ(named["amount1"], expect[s].carriedIn);
        EXPECT_EQ(named["item10"], expect[s].lastRow);
        EXPECT_EQ(named["amount10"], expect[s].carriedOut);
        if (s > 0) {
            EXPECT_EQ(named.count("qty1"), 0u);  // a carry row has no item
        }
    }
    std::map<std::string, std::string> last = byName(sheets[2]);
    EXPECT_EQ(last["item2"], "P18");
    EXPECT_EQ(last["item7"], "P23");
    EXPECT_EQ(last["item8"], "");
    EXPECT_EQ(last["subtotal"], "287.5");
}

TEST(DetailSheets, SumsAreExactDecimals) {
    struct Case {
        std::vector<std::string> amounts;
        std::string sum;
    };
    const std::vector<Case> cases = {
        {{"0.1", "0.2"}, "0.3"},
        {{"1", "2.50", "0.125"}, "3.625"},
        {{"1.10", "2"}, "3.10"},
        {{"1,000", "-0.5"}, "999.5"},
        {{"7", ""}, "7"},
        {{}, "0"},
    };
    for (const Case& c : cases) {
        DetailOrder made;
        for (const std::string& amount : c.amounts) {
            made.items.push_back(amount.empty() ? Fields{{"item", "x"}} : Fields{{"amount", amount}});
        }
        const std::vector<Fields> sheets = detailSheets(noteSpec(false), made);
        ASSERT_EQ(sheets.size(), 1u);
        EXPECT_EQ(sheets[0].back(), (DataField{"subtotal", c.sum}));
    }
}

TEST(DetailSheets, EmptyOrderIsOneSheetOfEmptyRows) {
    DetailOrder made;
    made.fields = {{"order_no", "A9"}, {"total", "0"}};
    const std::vector<Fields> sheets = detailSheets(noteSpec(true), made);
    ASSERT_EQ(sheets.size(), 1u);
    EXPECT_EQ(sheets[0], (Fields{{"order_no", "A9"}, {"total", "0"}, {"page_no", "1"}, {"page_count", "1"},
                                 {"subtotal", "0"}}));
}

TEST(DetailSheets, NonNumberInSummedColumnNamesOrderItemAndField) {
    DetailOrder made = order(3);
    made.number = 4;
    made.items[1][2].value = "12a";
    try {
        detailSheets(noteSpec(false), made);
        FAIL() << "no error";
    } catch (const ReportError& error) {
        EXPECT_STREQ(error.what(), "第 4 筆訂單 (A1) 第 2 項, 欄位「amount」:「12a」不是數字, 無法加總");
    }
}

TEST(DetailSheets, SheetNames) {
    DetailOrder made;
    made.number = 7;
    EXPECT_EQ(detailSheetName(orderLabel(made), 1, 1), "7 1/1");
    made.fields = {{"order_no", big5("甲1")}};
    EXPECT_EQ(detailSheetName(orderLabel(made), 2, 3), "甲1 2/3");
}

}  // namespace
}  // namespace zarvo
