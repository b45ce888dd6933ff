// Reading [Detail] from the form profile, and checking its blocks against a report.

#include "detail/DetailSpec.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/FormProfileFile.h"
#include "report/Big5.h"

namespace zarvo {
namespace {

const std::string kBase = "[Detail]\nrows=10\nfields=item qty unit price amount\n";

TEST(DetailSpec, ReadsGoodKeys) {
    const FormProfile profile = profileFromText(kBase +
                                                "page=page_no\npages=page_count\n"
                                                "sum.amount=subtotal subtotal2\nsum.qty=qty_total\n"
                                                "last=tax total total_words\ncontinued=續下頁\n"
                                                "carry=yes\nsource=lines\ngroup=order_no\n");
    EXPECT_FALSE(profile.stoppingFault());
    const std::optional<DetailSpec> spec = detailSpecOf(profile);
    ASSERT_TRUE(spec);
    EXPECT_EQ(spec->rows, 10);
    EXPECT_EQ(spec->fields, (std::vector<std::string>{"item", "qty", "unit", "price", "amount"}));
    EXPECT_EQ(spec->page, "page_no");
    EXPECT_EQ(spec->pages, "page_count");
    EXPECT_EQ(spec->sums, (std::vector<DetailSum>{{"amount", {"subtotal", "subtotal2"}}, {"qty", {"qty_total"}}}));
    EXPECT_EQ(spec->last, (std::vector<std::string>{"tax", "total", "total_words"}));
    EXPECT_EQ(spec->continued, *utf8ToBig5("續下頁"));
    EXPECT_TRUE(spec->carry);
    EXPECT_EQ(spec->source, "lines");
    EXPECT_EQ(spec->group, "order_no");
}

TEST(DetailSpec, Defaults) {
    const std::optional<DetailSpec> spec = detailSpecOf(profileFromText(kBase));
    ASSERT_TRUE(spec);
    EXPECT_EQ(spec->continued, *utf8ToBig5("接下頁"));
    EXPECT_FALSE(spec->carry);
    EXPECT_EQ(spec->source, "items");
    EXPECT_TRUE(spec->group.empty());
    EXPECT_TRUE(spec->sums.empty());
    EXPECT_FALSE(detailSpecOf(profileFromText("[Paper]\nwidth=100\nheight=200\n")));
}

// Each bad key is a fault of [Detail] on its line, naming the key, and
// stops printing.
TEST(DetailSpec, BadKeysAreFaults) {
    struct Case {
        std::string text;
        int line;
        std::string key;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {"[Detail]\nfields=item\n", 1, "rows", "缺少 rows (明細的列數)"},
        {"[Detail]\nrows=3\n", 1, "fields", "缺少 fields (明細的欄位)"},
        {kBase + "rows2=1\n", 4, "rows2", "[Detail] 沒有 rows2 這個設定"},
        {"[Detail]\nrows=0\nfields=a\n", 2, "rows", "rows 必須是 1 到 1000 的整數"},
        {"[Detail]\nrows=1001\nfields=a\n", 2, "rows", "rows 必須是 1 到 1000 的整數"},
        {"[Detail]\nrows=ten\nfields=a\n", 2, "rows", "rows 必須是 1 到 1000 的整數"},
        {"[Detail]\nrows=2.5\nfields=a\n", 2, "rows", "rows 必須是 1 到 1000 的整數"},
        {"[Detail]\nrows=3\nfields=\n", 3, "fields", "fields 不可以是空的"},
        {"[Detail]\nrows=3\nfields=a b a\n", 3, "fields", "fields 的「a」重複"},
        {"[Detail]\nrows=3\nfields=a 🙂\n", 3, "fields", "fields 的「🙂」有 Big5 無法表示的字元"},
        {kBase + "page=a b\n", 4, "page", "page 只能是一個區塊名稱"},
        {kBase + "sum.total=subtotal\n", 4, "sum.total", "sum.total 的欄位「total」不在 fields 中"},
        {kBase + "sum.amount=\n", 4, "sum.amount", "sum.amount 不可以是空的"},
        {kBase + "sum.=x\n", 4, "sum.", "sum. 沒有指明欄位"},
        {kBase + "carry=maybe\n", 4, "carry", "carry 必須是 yes 或 no"},
        {"[Detail]\nrows=2\nfields=a\ncarry=yes\n", 4, "carry", "carry=yes 時 rows 至少要是 3"},
        {kBase + "continued=🙂\n", 4, "continued", "continued 有 Big5 無法表示的字元"},
        {kBase + "source=\n", 4, "source", "source 不可以是空的"},
        {kBase + "group=a b\n", 4, "group", "group 只能是一個欄位名稱"},
        {kBase + "group=\n", 4, "group", "group 不可以是空的"},
        {kBase + "last=@Variant(x)\n", 4, "last", "last 的值無法讀取"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const FormProfile profile = profileFromText(c.text);
        const std::optional<ProfileFault> fault = profile.stoppingFault();
        ASSERT_TRUE(fault);
        EXPECT_EQ(*fault, (ProfileFault{c.line, c.reason, c.key}));
        EXPECT_FALSE(detailSpecOf(profile));
        EXPECT_EQ(profile.withoutStoppingFaults().section(kDetailSection), nullptr);
    }
}

TEST(DetailSpec, MissingBlocksAreNamed) {
    DetailSpec spec;
    spec.rows = 2;
    spec.fields = {"item", "qty"};
    spec.page = "page_no";
    spec.sums = {{"qty", {"qty_total"}}};
    spec.last = {"total"};
    struct Case {
        std::vector<std::string> blocks;
        std::vector<std::string> missing;
    };
    const std::vector<Case> cases = {
        {{"item1", "qty1", "item2", "qty2", "page_no", "qty_total", "total"}, {}},
        {{"item1", "qty1", "item2", "page_no", "total"}, {"qty2", "qty_total"}},
        {{}, {"item1", "qty1", "item2", "qty2", "page_no", "qty_total", "total"}},
    };
    for (const Case& c : cases) EXPECT_EQ(missingDetailBlocks(spec, c.blocks), c.missing);
    EXPECT_EQ(missingDetailBlocksMessage({"qty2", "qty_total"}),
              "表單設定檔的 [Detail] 用到報表中沒有的區塊: qty2, qty_total");
}

}  // namespace
}  // namespace zarvo
