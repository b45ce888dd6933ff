#include "layoutmodel/Millimetres.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <string>

namespace zarvo {
namespace {

TEST(MillimetresTest, ParsesWholeDecimalTextsOnly) {
    const std::pair<std::string, std::optional<double>> cases[] = {
        {"22", 22}, {"-0.3", -0.3}, {"+5", 5}, {".5", 0.5}, {"5.", 5}, {"22.00", 22}, {"", {}}, {" 5", {}},
        {"5 ", {}}, {"1e3", {}}, {"5x", {}}, {".", {}}, {"-", {}}, {"inf", {}}, {"1,5", {}}, {"--5", {}},
        {"5..1", {}}, {std::string(400, '9'), {}}};
    for (const auto& [text, value] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(parseMillimetres(text), value);
    }
}

TEST(MillimetresTest, RoundsToTenthsHalvesAwayFromZeroAndWritesTheShortestText) {
    struct Case { double mm, rounded; std::string text; };
    const Case cases[] = {
        {22.5, 22.5, "22.5"}, {36, 36, "36"}, {-0.3, -0.3, "-0.3"}, {-0.04, 0, "0"}, {0.25, 0.3, "0.3"},
        {-0.25, -0.3, "-0.3"}, {99.95, 100, "100"}, {22.1 + 0.1, 22.2, "22.2"}, {1e300, 1e12, "1000000000000"},
        {-1e300, -1e12, "-1000000000000"}, {std::numeric_limits<double>::quiet_NaN(), 0, "0"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mm);
        EXPECT_EQ(roundToTenth(c.mm), c.rounded);
        EXPECT_EQ(formatTenths(c.mm), c.text);
        EXPECT_EQ(parseMillimetres(formatTenths(c.mm)), roundToTenth(c.mm));
    }
}

}  // namespace
}  // namespace zarvo
