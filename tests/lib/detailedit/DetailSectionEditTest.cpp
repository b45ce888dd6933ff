#include "detailedit/DetailSectionEdit.h"

#include <gtest/gtest.h>

#include "detail/DetailSpec.h"
#include "report/FormProfile.h"

namespace zarvo {
namespace {

using Names = std::vector<std::string>;

// The delivery note's blocks: its header, ten rows of five fields, its totals.
Names noteBlocks() {
    Names names = {"customer", "no", "subtotal", "tax", "total", "total_words", "page", "pages"};
    for (int row = 1; row <= 10; ++row) {
        for (const char* field : {"item", "qty", "unit", "price", "amount"}) names.push_back(detailBlock(field, row));
    }
    return names;
}

DetailFormTexts typed(std::string fields, std::string sums = "", std::string last = "", std::string continued = "接下頁",
                      bool carry = false, std::string group = "", std::string source = "") {
    return DetailFormTexts{std::move(fields), std::move(sums),  std::move(last),  std::move(continued),
                           carry,             std::move(group), std::move(source)};
}

// The sections with entries, their keys and values in order, however the
// values are quoted.
std::string entriesOf(const FormProfile& profile) {
    std::string text;
    for (const ProfileSection& section : profile.sections) {
        if (!section.entries.empty()) text += "[" + section.name + "]\n";
        for (const ProfileEntry& entry : section.entries) text += entry.key + "=" + entry.value + "\n";
    }
    return text;
}

TEST(DetailSectionEditTest, TheTextsWriteTheSectionKeepingWhatTheDialogDoesNotShow) {
    const std::string kept = "[Block total_words]\nformat=amount-tw\n";
    const struct {
        const char* what;
        std::string profile;
        DetailFormTexts texts;
        std::string written;
    } cases[] = {
        {"a new section", kept, typed("item qty unit price amount", "amount=subtotal", "tax total total_words"),
         kept + "\n[Detail]\nrows=10\nfields=item qty unit price amount\nsum.amount=subtotal\nlast=tax total total_words\n"},
        {"blanks and full-width marks", "",
         typed("  item\u3000qty amount ", " qty ＝ subtotal total ； ;amount=tax", "", "(續)", true),
         "[Detail]\nrows=10\nfields=item qty amount\nsum.qty=subtotal total\nsum.amount=tax\ncontinued=(續)\n"
         "carry=yes\n"},
        {"the keys not shown kept",
         "[Detail]\ngroup=order_no\nrows=3\nfields=item\npages=pages\nsum.qty=total\nsource=lines\npage=page\n"
         "carry=yes\n",
         typed("item amount", "amount=subtotal", "", "接下頁", false, "order_no", "lines"),
         "[Detail]\nrows=10\nfields=item amount\npage=page\npages=pages\nsum.amount=subtotal\ngroup=order_no\n"
         "source=lines\n"},
        {"the grouping column typed, the JSON member emptied", "[Detail]\nrows=3\nfields=item\nsource=lines\n",
         typed("item", "", "", "接下頁", false, " 單號 ", ""), "[Detail]\nrows=10\nfields=item\ngroup=單號\n"},
        {"the default text said before is kept", "[Detail]\nrows=10\nfields=item\ncontinued=接下頁\n", typed("item"),
         "[Detail]\nrows=10\nfields=item\ncontinued=接下頁\n"},
        {"an empty text before the last sheet", "", typed("item", "", "", ""),
         "[Detail]\nrows=10\nfields=item\ncontinued=\n"},
        {"emptied fields remove the section", kept + "[Detail]\nrows=10\nfields=item\nsource=lines\n",
         typed("  ", "amount=subtotal"), kept},
        {"no fields and no section", kept, typed(""), kept},
        {"comments kept", "; above\n[Detail]\n; rows\nrows=3\nfields=item\n; end\n", typed("item"),
         "; above\n[Detail]\n; rows\nrows=10\nfields=item\n; end\n"},
    };
    for (const auto& c : cases) {
        const DetailEdit edit = detailProfileFrom(parseFormProfile(c.profile), c.texts, noteBlocks());
        ASSERT_TRUE(edit.profile) << c.what << ": " << edit.error;
        const std::string text = formProfileText(*edit.profile);
        EXPECT_EQ(entriesOf(parseFormProfile(text)), entriesOf(parseFormProfile(c.written))) << c.what;
        if (c.written.starts_with(';')) {
            EXPECT_EQ(text, c.written) << c.what;
        }
        // What is written reads back as detail rows.
        const FormProfile reread = parseFormProfile(text);
        EXPECT_EQ(reread.section("Detail") != nullptr, detailSpecOf(reread).has_value()) << c.what;
    }
}

TEST(DetailSectionEditTest, InputThatCannotBeUsedIsRefusedWithAMessage) {
    const struct {
        const char* what;
        DetailFormTexts texts;
        std::string error;
    } cases[] = {
        {"a field without numbered blocks", typed("item memo"),
         "欄位「memo」沒有編號的區塊 (memo1, memo2 …), 無法當作明細列"},
        {"a header field", typed("customer"), "欄位「customer」沒有編號的區塊 (customer1, customer2 …), 無法當作明細列"},
        {"a name Big5 cannot hold", typed("item ☃"), "欄位「☃」有 Big5 無法表示的字元"},
        {"a field twice", typed("item qty item"), "明細列的設定無法使用: fields 的「item」重複"},
        {"a sum without '='", typed("item amount", "amount subtotal"),
         "合計「amount subtotal」要寫成 欄位=區塊, 例如 amount=subtotal (多個合計以 ; 分開)"},
        {"a sum without blocks", typed("item amount", "amount="),
         "合計「amount=」要寫成 欄位=區塊, 例如 amount=subtotal (多個合計以 ; 分開)"},
        {"a sum of two fields", typed("item amount", "qty amount=subtotal"),
         "合計「qty amount=subtotal」要寫成 欄位=區塊, 例如 amount=subtotal (多個合計以 ; 分開)"},
        {"a sum twice", typed("item amount", "amount=subtotal; amount=total"), "合計的欄位「amount」重複"},
        {"a sum of an unknown field", typed("item qty", "amount=subtotal"),
         "明細列的設定無法使用: sum.amount 的欄位「amount」不在 fields 中"},
        {"a sum into an unknown block", typed("item amount", "amount=subtotal grand"),
         "表單設定檔的 [Detail] 用到報表中沒有的區塊: grand"},
        {"an unknown last-sheet block", typed("item", "", "tax vat total"),
         "表單設定檔的 [Detail] 用到報表中沒有的區塊: vat"},
        {"a text Big5 cannot hold", typed("item", "", "", "☃"), "明細列的設定無法使用: continued 有 Big5 無法表示的字元"},
    };
    const FormProfile before = parseFormProfile("[Detail]\nrows=10\nfields=item\n");
    for (const auto& c : cases) {
        const DetailEdit edit = detailProfileFrom(before, c.texts, noteBlocks());
        EXPECT_FALSE(edit.profile) << c.what;
        EXPECT_EQ(edit.error, c.error) << c.what;
    }
    // Carried totals need a first and a last row besides the items.
    const Names twoRows = {"item1", "item2"};
    const DetailEdit carried = detailProfileFrom(FormProfile{}, typed("item", "", "", "接下頁", true), twoRows);
    EXPECT_EQ(carried.error, "明細列的設定無法使用: carry=yes 時 rows 至少要是 3");
    // A page block kept from before that the report no longer has is named.
    const DetailEdit page =
        detailProfileFrom(parseFormProfile("[Detail]\nrows=2\nfields=item\npage=sheet_no\n"), typed("item"), twoRows);
    EXPECT_EQ(page.error, "表單設定檔的 [Detail] 用到報表中沒有的區塊: sheet_no");
}

TEST(DetailSectionEditTest, TheDialogShowsTheSectionOrTheFieldsSelected) {
    const FormProfile note = parseFormProfile(
        "[Detail]\nrows=10\nfields=item qty\nsum.amount=subtotal\nsum.qty=count total\nlast=tax\n"
        "continued=續\ncarry=yes\ngroup=no\nsource=lines\n");
    const struct {
        const char* what;
        FormProfile profile;
        Names selected;
        DetailFormTexts texts;
    } cases[] = {
        {"no section", FormProfile{}, {}, typed("")},
        {"fields from the selection", FormProfile{}, {"qty4", "customer", "item4", "qty5"}, typed("qty item")},
        {"the section", note, {"customer"},
         typed("item qty", "amount=subtotal; qty=count total", "tax", "續", true, "no", "lines")},
        {"the selection over the section's fields", note, {"price2"},
         typed("price", "amount=subtotal; qty=count total", "tax", "續", true, "no", "lines")},
    };
    for (const auto& c : cases) EXPECT_EQ(detailFormTextsOf(c.profile, c.selected), c.texts) << c.what;
}

}  // namespace
}  // namespace zarvo
