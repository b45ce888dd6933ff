#include "detailedit/ProposedDetail.h"

#include <gtest/gtest.h>

#include "detail/DetailSpec.h"
#include "report/Big5.h"

namespace zarvo {
namespace {

FieldProposal column(const std::string& name, double left, double right, int rows) {
    FieldProposal proposal{name, {left, 70, right, 79}, {left + 0.5, 70.5, right - 0.5, 78.5}};
    for (int r = 0; r < rows; ++r) proposal.rowBoxes.push_back({left, 70.0 + 9 * r, right, 79.0 + 9 * r});
    return proposal;
}

std::string big5(const char* utf8) { return *utf8ToBig5(utf8); }

// Accepting detail columns adds their numbered blocks and writes [Detail]
// (rows found, the columns as fields, the dialog's other keys kept) in the
// same step; lone boxes alone leave the profile as it is; what the dialog
// would refuse is refused with its reason and adds nothing.
TEST(ProposedDetailTest, DetailColumnsWriteTheDetailSectionInTheSameStep) {
    const FieldProposal lone{"客戶名稱", {50, 30, 120, 40}, {50.5, 30.5, 119.5, 39.5}};
    const FormProfile plain = parseFormProfile("[General]\nsnapmargin=0.5\n");
    const FormProfile withDetail =
        parseFormProfile("[Detail]\nrows=2\nfields=old\ncontinued=續下頁\npage=pageno\n");
    const FormProfile withSum = parseFormProfile("[Detail]\nrows=2\nfields=old\nsum.old=total\n");
    const std::vector<RowText> blocks = {RowText{"pageno", {}}, RowText{"total", {}}};
    struct Case {
        const char* name;
        std::vector<FieldProposal> chosen;
        FormProfile profile;
        std::size_t blockRows;
        std::optional<DetailSpec> detail;  // nullopt: the form row is not changed
        std::string error;
    };
    // What the rest of the section is when the profile had none.
    const DetailSpec defaults =
        *detailSpecOf(parseFormProfile("[Detail]\nrows=1\nfields=a\n"));
    DetailSpec six = defaults;
    six.rows = 6;
    six.fields = {big5("品名"), big5("數量")};
    DetailSpec kept = six;
    kept.page = "pageno";
    kept.continued = big5("續下頁");
    DetailSpec three = six;
    three.rows = 3;
    const Case cases[] = {
        {"lone boxes only", {lone}, plain, 1, std::nullopt, ""},
        {"two columns of six rows", {lone, column("品名", 20, 90, 6), column("數量", 90, 115, 6)}, plain, 13, six, ""},
        {"the rows of the shortest column", {column("品名", 20, 90, 6), column("數量", 90, 115, 3)}, plain, 9, three, ""},
        {"the section's other keys stay", {column("品名", 20, 90, 6), column("數量", 90, 115, 6)}, withDetail, 12, kept, ""},
        {"a sum of a field no longer listed", {column("品名", 20, 90, 6)}, withSum, 0, std::nullopt,
         "合計的欄位「old」不在欄位中"},
    };
    for (const Case& c : cases) {
        const RowText before{"form", {formProfileText(c.profile)}};
        const ProposalsAccepted accepted = acceptProposals(c.chosen, blocks, before, c.profile);
        const std::size_t formChanges = c.detail ? 1 : 0;
        ASSERT_EQ(accepted.step.size(), c.blockRows + formChanges) << c.name << ": " << accepted.error;
        if (!c.error.empty()) {
            EXPECT_NE(accepted.error.find("old"), std::string::npos) << c.name << ": " << accepted.error;
            continue;
        }
        EXPECT_EQ(accepted.error, "") << c.name;
        for (std::size_t i = 0; i < c.blockRows; ++i) {
            EXPECT_EQ(accepted.step[i].kind, RowKind::Block) << c.name;
            EXPECT_EQ(accepted.step[i].index, int(blocks.size() + i)) << c.name;
        }
        if (!c.detail) continue;
        const RowChange& form = accepted.step.back();
        EXPECT_EQ(form.kind, RowKind::Form) << c.name;
        EXPECT_EQ(form.before, before) << c.name;
        const FormProfile after = parseFormProfile(form.after->values.at(0));
        EXPECT_EQ(detailSpecOf(after), c.detail) << c.name << "\n" << form.after->values.at(0);
    }
}

}  // namespace
}  // namespace zarvo
