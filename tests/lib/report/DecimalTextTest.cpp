#include "report/DecimalText.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace zarvo {
namespace {

TEST(DecimalTextTest, WritesTheShortestPlainDecimalThatReadsBack) {
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {0, "0"},
        {-0.0, "0"},
        {100, "100"},
        {12.5, "12.5"},
        {-0.348, "-0.348"},
        {-0.347999999999999, "-0.347999999999999"},
        {0.1 + 0.2, "0.30000000000000004"},
        {1e-5, "0.00001"},
        {1e21, "1000000000000000000000"},
        {241.3, "241.3"},
        {std::numeric_limits<double>::denorm_min(), nullptr},
        {-std::numeric_limits<double>::max(), nullptr},
    };
    for (const auto& c : cases) {
        const std::string text = decimalText(c.value);
        if (c.text) EXPECT_EQ(text, c.text) << c.value;
        EXPECT_EQ(text.find_first_not_of("-.0123456789"), std::string::npos) << text;
        double back = 0;
        std::from_chars(text.data(), text.data() + text.size(), back);
        EXPECT_EQ(back, c.value) << text;
    }
}

TEST(DecimalTextTest, RoundsToDecimalsHalvesAwayFromZeroNeverMinusZero) {
    const struct {
        double value;
        int decimals;
        const char* text;
    } cases[] = {
        {-0.347999999999999, 3, "-0.348"},
        {-0.3480000000000001, 3, "-0.348"},
        {0.25, 1, "0.3"},
        {-0.25, 1, "-0.3"},
        {-0.04, 1, "0"},
        {100.404999, 2, "100.4"},
        {1.5, 0, "2"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(decimalText(roundedToDecimals(c.value, c.decimals)), c.text) << c.value << " " << c.decimals;
    }
    EXPECT_FALSE(std::signbit(roundedToDecimals(-0.0004, 3)));
}

}  // namespace
}  // namespace zarvo
