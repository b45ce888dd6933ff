// The sheets of a file of many orders come out the same whichever order
// they are asked in: one after another as printing asks, or jumping back and
// across the places kept of every 64th order, as the preview's page list may.

#include "compose/DetailPages.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "report/ReportError.h"
#include "tests/common/TempDir.h"

namespace zarvo {
namespace {

constexpr int kOrders = 200;

// Order n has 1 + n % 7 items: one sheet of three items, or two or three.
std::string ordersCsv() {
    std::string csv = "no,item\n";
    for (int order = 1; order <= kOrders; ++order) {
        for (int item = 1; item <= 1 + order % 7; ++item) {
            csv += "A" + std::to_string(order) + ",P" + std::to_string(item) + "\n";
        }
    }
    return csv;
}

std::string sheetText(DetailPages& pages, std::int64_t sheet) {
    std::string text = pages.sheetName(sheet) + ":";
    for (const DataField& field : pages.sheetFields(sheet)) text += " " + field.name + "=" + field.value;
    return text;
}

TEST(DetailPagesTest, SheetsAreTheSameInAnyOrderTheyAreAskedFor) {
    test::TempDir dir;
    DetailSpec spec;
    spec.rows = 3;
    spec.fields = {"item"};
    spec.group = "no";
    DetailPages pages(spec, dir.write("orders.csv", ordersCsv()));
    ASSERT_EQ(pages.orderCount(), kOrders);
    const std::int64_t sheets = pages.summary().records;

    std::vector<std::string> inOrder;
    for (std::int64_t sheet = 0; sheet < sheets; ++sheet) inOrder.push_back(sheetText(pages, sheet));
    EXPECT_EQ(inOrder.front(), "A1 1/1: no=A1 item1=P1 item2=P2");
    EXPECT_EQ(inOrder.back(), "A200 2/2: no=A200 item1=P4 item2=P5");
    for (const std::int64_t sheet : {sheets - 1, std::int64_t(0), sheets / 2, sheets / 3, sheets / 2 + 1, sheets - 2}) {
        EXPECT_EQ(sheetText(pages, sheet), inOrder[std::size_t(sheet)]) << sheet;
    }
    for (const std::int64_t order : {std::int64_t(0), std::int64_t(63), std::int64_t(64), std::int64_t(kOrders - 1)}) {
        const std::int64_t first = pages.firstSheetOf(order);
        EXPECT_EQ(inOrder[std::size_t(first)].substr(0, inOrder[std::size_t(first)].find(' ')),
                  "A" + std::to_string(order + 1));
        EXPECT_NE(inOrder[std::size_t(first)].find(" 1/"), std::string::npos);
    }
    EXPECT_THROW(pages.sheetFields(sheets), ReportError);
}

}  // namespace
}  // namespace zarvo
