#include "format/Decimal.h"

#include <gtest/gtest.h>

#include <string>

namespace zarvo {
namespace {

std::string reprinted(const std::string& text, bool grouping = false) {
    const std::optional<Decimal> number = Decimal::parse(text);
    return number ? number->toString(grouping) : "refused";
}

TEST(DecimalTest, ParsesPlainAndGroupedNumbers) {
    const struct {
        const char* text;
        const char* plain;
        const char* grouped;
    } cases[] = {
        {"0", "0", "0"},
        {"007", "7", "7"},
        {"12345.670", "12345.670", "12,345.670"},
        {"1,234,567.5", "1234567.5", "1,234,567.5"},
        {"999", "999", "999"},
        {"-1,000", "-1000", "-1,000"},
        {"-0.00", "0.00", "0.00"},
        {"1234567890123456789012345678901234567890", "1234567890123456789012345678901234567890",
         "1,234,567,890,123,456,789,012,345,678,901,234,567,890"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(reprinted(c.text), c.plain);
        EXPECT_EQ(reprinted(c.text, true), c.grouped);
    }
}

TEST(DecimalTest, RefusesWhatIsNotANumber) {
    for (const char* text : {"", "-", ".5", "5.", "+5", "1e3", " 5", "5 ", "1,23", "1234,567", ",123", "1,,234",
                             "12,345,67", "1.2.3", "1.2,3", "--5", "0x10", "12345678901234567890123456789012345678901",
                             "1.2345678901234567890123456789012345678901"}) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(Decimal::parse(text));
    }
    EXPECT_FALSE(Decimal::parse("-5", Decimal::Sign::Unsigned));
    EXPECT_FALSE(Decimal::parse(std::string(100000, '9')));
}

TEST(DecimalTest, RoundsHalfAwayFromZeroOnTheDecimalDigits) {
    const struct {
        const char* text;
        int decimals;
        const char* expected;
    } cases[] = {
        {"0.125", 2, "0.13"},     {"2.675", 2, "2.68"},   {"1.005", 2, "1.01"},    {"2.674999", 2, "2.67"},
        {"-2.675", 2, "-2.68"},   {"-0.004", 2, "0.00"},  {"9.995", 2, "10.00"},   {"999.5", 0, "1000"},
        {"0.5", 0, "1"},          {"0.49", 0, "0"},       {"12", 3, "12.000"},     {"1.5", 2, "1.50"},
        {"-99.95", 1, "-100.0"},  {"0.0000000005", 9, "0.000000001"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Decimal::parse(c.text)->rounded(c.decimals).toString(), c.expected);
    }
}

TEST(DecimalTest, AddsExactly) {
    const struct {
        const char* a;
        const char* b;
        const char* sum;
    } cases[] = {
        {"0.1", "0.2", "0.3"},        {"999.99", "0.01", "1000.00"}, {"1.5", "-2.25", "-0.75"},
        {"-1.5", "2.25", "0.75"},     {"-1.5", "-2.5", "-4.0"},      {"5", "-5.00", "0.00"},
        {"99999999999999999999", "1", "100000000000000000000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " + " + c.b);
        EXPECT_EQ((*Decimal::parse(c.a) + *Decimal::parse(c.b)).toString(), c.sum);
        EXPECT_EQ((*Decimal::parse(c.b) + *Decimal::parse(c.a)).toString(), c.sum);
    }
}

}  // namespace
}  // namespace zarvo
