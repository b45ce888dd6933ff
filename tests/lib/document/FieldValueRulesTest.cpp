#include "document/FieldValueRules.h"

#include <map>

#include <gtest/gtest.h>

namespace zarvo {
namespace {

TEST(FieldValueRulesTest, TheFirstFieldThatIsNoNumberIsNamed) {
    const std::map<std::string_view, QString> typed = {
        {"ED_width", QStringLiteral("1")}, {"ED_fx", QStringLiteral("5")},   {"ED_fy", QStringLiteral("15O")},
        {"ED_tx", QStringLiteral("3a2")},  {"ED_ty", QStringLiteral("8")},
    };
    const auto text = [&](std::string_view control) { return typed.at(control); };
    EXPECT_EQ(firstNonNumber(lineNumericFields(), text), QStringLiteral("「y1」必須是數字"));
    EXPECT_EQ(firstNonNumber(lineNumericFields().first(2), text), std::nullopt);
    for (const NumericField& field : blockNumericFields()) EXPECT_FALSE(field.integer) << field.name;
}

TEST(FieldValueRulesTest, NamesThatWouldNotStayOneFieldOfTheirRow) {
    const std::pair<const char*, const char*> cases[] = {
        {"customer", nullptr},
        {"全形　空白", nullptr},
        {"hello world", "「label」不能有空白"},
        {"a\tb", "「label」不能有空白"},
        {"a\nb", "「label」不能有空白"},
        {"see_block_info", "「label」不能含有 BLOCK_INFO"},
        {"xLine_Infox", "「label」不能含有 LINE_INFO"},
        {"label_string", "「label」不能含有 LABEL_STRING"},
    };
    for (const auto& [name, message] : cases) {
        const std::optional<QString> problem = nameProblem(QString::fromUtf8(name), QStringLiteral("label"));
        EXPECT_EQ(problem, message ? std::optional(QString::fromUtf8(message)) : std::nullopt) << name;
    }
}

}  // namespace
}  // namespace zarvo
