#include "compose/SheetOrder.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace zarvo {
namespace {

std::vector<int> pagesOf(const SheetOrder& order) {
    std::vector<int> pages;
    for (std::int64_t sheet = 0; sheet < order.count(); ++sheet) pages.push_back(order.pageOf(sheet) + 1);
    return pages;
}

TEST(SheetOrderTest, SheetsArePassMajorAndEmptyForNoPassesRepeatsOrRange) {
    struct Case {
        int first, last, passes, repeats;
        std::vector<int> pages;  // 1-based
    };
    const Case cases[] = {
        {0, 2, 2, 1, {1, 2, 3, 1, 2, 3}},
        {0, 2, 1, 2, {1, 1, 2, 2, 3, 3}},
        {1, 1, 3, 1, {2, 2, 2}},
        {0, 1, 2, 2, {1, 1, 2, 2, 1, 1, 2, 2}},
        {0, 2, 0, 1, {}},
        {0, 2, 1, 0, {}},
        {2, 0, 1, 1, {}},
        {0, 2, -1, 1, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.first << ".." << c.last << " x" << c.passes << " x" << c.repeats);
        EXPECT_EQ(pagesOf(SheetOrder(c.first, c.last, c.passes, c.repeats)), c.pages);
    }
}

TEST(SheetOrderTest, HugeCountsNeitherOverflowNorAllocate) {
    SheetOrder order(INT_MIN, INT_MAX, INT_MAX, INT_MAX);
    EXPECT_EQ(order.count(), INT64_MAX);
    EXPECT_EQ(order.pageOf(0), INT_MIN);
    SheetOrder twoPages(0, 1, INT_MAX, 1);
    EXPECT_EQ(twoPages.count(), 2LL * INT_MAX);
    EXPECT_EQ(twoPages.pageOf(twoPages.count() - 1), 1);
}

}  // namespace
}  // namespace zarvo
