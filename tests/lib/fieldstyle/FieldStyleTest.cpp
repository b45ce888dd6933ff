#include "fieldstyle/FieldStyle.h"

#include <gtest/gtest.h>

namespace zarvo {
namespace {

std::string keys(const ProfileSection& section) {
    std::string text;
    for (const ProfileEntry& entry : section.entries) text += entry.key + "=" + entry.value + ";";
    return text;
}

TEST(FieldStyleTest, TheSectionHoldsTheChosenKindFormatAndTheOptionsTheyTake) {
    ProfileSection old{"Block total", 3, {{"mine", "1", 4}, {"kind", "code39", 5}, {"height", "8", 6}}, {}};
    const struct {
        const char* kind;
        const char* format;
        std::map<std::string, std::string> options;
        const char* expected;
    } cases[] = {
        {"qr", "", {{"module", "0.5"}, {"ecc", "H"}, {"height", "9"}, {"prefix", "x"}}, "mine=1;kind=qr;module=0.5;ecc=H;"},
        {"text", "amount-tw", {{"prefix", "新臺幣"}, {"cells", ""}}, "mine=1;format=amount-tw;prefix=新臺幣;"},
        {"text", "number", {{"decimals", "2"}, {"cells", "10"}}, "mine=1;format=number;cells=10;decimals=2;"},
        {"text", "", {}, "mine=1;"},
        {"text", "", {{"shrink", "yes"}, {"min", "1.5"}}, "mine=1;shrink=yes;min=1.5;"},
        {"code39", "", {{"shrink", "yes"}}, "mine=1;kind=code39;"},
    };
    for (const auto& c : cases) {
        const ProfileSection made = fieldSection(old, c.kind, c.format, c.options);
        EXPECT_EQ(keys(made), c.expected) << c.kind << " " << c.format;
        EXPECT_EQ(made.name, "Block total");
    }
    EXPECT_EQ(fieldChoiceIndex(fieldKinds(), old, "kind"), 1u);
    EXPECT_EQ(fieldChoiceIndex(fieldFormats(), old, "format"), 0u);
}

}  // namespace
}  // namespace zarvo
