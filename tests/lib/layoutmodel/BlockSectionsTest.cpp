#include "layoutmodel/BlockSections.h"

#include <gtest/gtest.h>

namespace zarvo {
namespace {

RowChange blockChange(std::optional<std::string> before, std::optional<std::string> after) {
    const auto row = [](const std::optional<std::string>& name) -> std::optional<RowText> {
        if (!name) return std::nullopt;
        return RowText{*name, {"0", "10", "10", "30", "8"}};
    };
    return RowChange{RowKind::Block, 0, row(before), row(after)};
}

TEST(BlockSectionsTest, SectionsFollowRenamedAndRemovedBlocks) {
    const FormProfile profile = parseFormProfile(
        "[Paper]\nwidth=100\nheight=50\n[Block total]\nformat=amount\n[Block code]\nkind=qr\n");
    struct Case {
        const char* what;
        EditStep step;
        std::vector<std::string> names;  // the blocks after the step
        std::optional<std::string> expected;  // the profile's text after, nullopt: unchanged
    };
    const std::vector<Case> cases{
        {"renamed", {blockChange("total", "總計")}, {"總計", "code"},
         "[Paper]\nwidth=100\nheight=50\n\n[Block 總計]\nformat=amount\n\n[Block code]\nkind=qr\n"},
        {"removed", {blockChange("code", std::nullopt)}, {"total"},
         "[Paper]\nwidth=100\nheight=50\n\n[Block total]\nformat=amount\n"},
        {"removed, another of that name remains", {blockChange("code", std::nullopt)}, {"total", "code"}, std::nullopt},
        {"renamed onto a name with a section", {blockChange("total", "code")}, {"code", "code"}, std::nullopt},
        {"moved only", {blockChange("total", "total")}, {"total", "code"}, std::nullopt},
        {"a block without a section", {blockChange("date", "day")}, {"total", "code", "day"}, std::nullopt},
        {"a new name Big5 cannot hold", {blockChange("total", "\xF0\x9F\x98\x80")}, {"\xF0\x9F\x98\x80", "code"},
         std::nullopt},
        {"a label of that name", {RowChange{RowKind::Label, 0, RowText{"total", {}}, std::nullopt}},
         {"code"}, std::nullopt},
    };
    for (const Case& c : cases) {
        const std::optional<FormProfile> after = profileFollowingBlocks(profile, c.step, c.names);
        ASSERT_EQ(after.has_value(), c.expected.has_value()) << c.what;
        if (after) {
            EXPECT_EQ(formProfileText(*after), *c.expected) << c.what;
        }
    }
}

}  // namespace
}  // namespace zarvo
