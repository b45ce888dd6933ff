#pragma once
// An exact decimal number held as its decimal digits, for the amounts and
// quantities of a form: parsed from the text of a data field, added (sums of
// detail rows), rounded half away from zero on the decimal digits themselves
// (never through binary floating point, so 2.675 rounds to 2.68) and printed
// with or without thousands separators.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace zarvo {

class Decimal {
public:
    // The longest number parse accepts: digits before and after the point
    // together. Longer text is refused rather than carried around.
    static constexpr std::size_t kMaxDigits = 40;

    // Whether parse accepts a leading "-".
    enum class Sign { Unsigned, MayBeNegative };

    // Zero, without decimals.
    Decimal() = default;

    // Parses ASCII text: an optional "-" (only with Sign::MayBeNegative), one
    // or more digits, either plain or with "," between groups of three
    // ("12,345", the first group 1 to 3 digits), then optionally "." and one
    // or more digits. Nothing else: no "+", blanks or exponent. nullopt when
    // the text is not such a number or holds more than kMaxDigits digits.
    // The number keeps the decimals it was written with ("1.50" has two).
    static std::optional<Decimal> parse(std::string_view text, Sign sign = Sign::MayBeNegative);

    // The exact sum; it has as many decimals as the longer of the two.
    Decimal operator+(const Decimal& other) const;

    // This number with exactly `decimals` decimals (0 or more): rounded half
    // away from zero when it has more, padded with zeros when it has fewer.
    Decimal rounded(int decimals) const;

    // The number as text: "-" when negative, the integer digits (at least
    // one, no leading zeros), with "," between groups of three when
    // `grouping`, then "." and the decimals when there are any.
    std::string toString(bool grouping = false) const;

    bool isNegative() const { return negative_; }
    bool isZero() const;
    // The integer digits without leading zeros ("0" for a number below one).
    const std::string& integerDigits() const { return integer_; }
    // The decimal digits as written or rounded, trailing zeros kept.
    const std::string& fractionDigits() const { return fraction_; }

    // Same value and same decimals.
    bool operator==(const Decimal&) const = default;

private:
    Decimal(bool negative, std::string integer, std::string fraction);

    bool negative_ = false;      // never set for zero
    std::string integer_ = "0";  // ASCII digits, no leading zeros
    std::string fraction_;       // ASCII digits
};

}  // namespace zarvo
