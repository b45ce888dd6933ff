#include "format/Decimal.h"

#include <algorithm>
#include <utility>

namespace zarvo {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool allDigits(std::string_view text) { return std::all_of(text.begin(), text.end(), isDigit); }

// The digits of an integer part written plainly or with "," between groups of
// three; nullopt when it is neither.
std::optional<std::string> integerDigitsOf(std::string_view text) {
    if (text.empty()) return std::nullopt;
    if (text.find(',') == std::string_view::npos) {
        if (!allDigits(text)) return std::nullopt;
        return std::string(text);
    }
    std::string digits;
    std::size_t start = 0;
    for (bool first = true;; first = false) {
        const std::size_t comma = text.find(',', start);
        const std::string_view group = text.substr(start, comma - start);
        const bool sized = first ? !group.empty() && group.size() <= 3 : group.size() == 3;
        if (!sized || !allDigits(group)) return std::nullopt;
        digits += group;
        if (comma == std::string_view::npos) return digits;
        start = comma + 1;
    }
}

// Adds one to a string of digits, in place; a carry out of the first digit
// puts a "1" in front.
void increment(std::string& digits) {
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        if (*it != '9') {
            ++*it;
            return;
        }
        *it = '0';
    }
    digits.insert(digits.begin(), '1');
}

// a + b for digit strings of equal length; the result may be one digit longer.
std::string addDigits(const std::string& a, const std::string& b) {
    std::string sum(a.size(), '0');
    int carry = 0;
    for (std::size_t i = a.size(); i-- > 0;) {
        const int digit = (a[i] - '0') + (b[i] - '0') + carry;
        sum[i] = static_cast<char>('0' + digit % 10);
        carry = digit / 10;
    }
    if (carry) sum.insert(sum.begin(), '1');
    return sum;
}

// a - b for digit strings of equal length with a >= b.
std::string subtractDigits(const std::string& a, const std::string& b) {
    std::string difference(a.size(), '0');
    int borrow = 0;
    for (std::size_t i = a.size(); i-- > 0;) {
        int digit = (a[i] - '0') - (b[i] - '0') - borrow;
        borrow = digit < 0;
        if (borrow) digit += 10;
        difference[i] = static_cast<char>('0' + digit);
    }
    return difference;
}

// The integer and decimal digits side by side, the integer part padded in
// front to integerWidth and the decimals behind to fractionWidth, so that two
// numbers line up digit by digit.
std::string alignedDigits(const Decimal& number, std::size_t integerWidth, std::size_t fractionWidth) {
    std::string digits(integerWidth - number.integerDigits().size(), '0');
    digits += number.integerDigits();
    digits += number.fractionDigits();
    digits.append(fractionWidth - number.fractionDigits().size(), '0');
    return digits;
}

std::string withGrouping(const std::string& digits) {
    std::string grouped;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ',';
        grouped += digits[i];
    }
    return grouped;
}

}  // namespace

Decimal::Decimal(bool negative, std::string integer, std::string fraction)
    : integer_(std::move(integer)), fraction_(std::move(fraction)) {
    const std::size_t first = integer_.find_first_not_of('0');
    integer_ = first == std::string::npos ? "0" : integer_.substr(first);
    negative_ = negative && !isZero();
}

std::optional<Decimal> Decimal::parse(std::string_view text, Sign sign) {
    // Checked before anything is scanned or copied, so an absurd field costs nothing.
    constexpr std::size_t longestText = 1 + kMaxDigits + kMaxDigits / 3 + 1;
    if (text.size() > longestText) return std::nullopt;
    const bool negative = sign == Sign::MayBeNegative && !text.empty() && text.front() == '-';
    if (negative) text.remove_prefix(1);

    const std::size_t point = text.find('.');
    const std::string_view fraction = point == std::string_view::npos ? std::string_view{} : text.substr(point + 1);
    if (point != std::string_view::npos && fraction.empty()) return std::nullopt;
    if (!allDigits(fraction)) return std::nullopt;
    std::optional<std::string> integer = integerDigitsOf(text.substr(0, point));
    if (!integer || integer->size() + fraction.size() > kMaxDigits) return std::nullopt;
    return Decimal(negative, std::move(*integer), std::string(fraction));
}

bool Decimal::isZero() const {
    return integer_ == "0" && fraction_.find_first_not_of('0') == std::string::npos;
}

Decimal Decimal::operator+(const Decimal& other) const {
    const std::size_t integerWidth = std::max(integer_.size(), other.integer_.size());
    const std::size_t fractionWidth = std::max(fraction_.size(), other.fraction_.size());
    const std::string a = alignedDigits(*this, integerWidth, fractionWidth);
    const std::string b = alignedDigits(other, integerWidth, fractionWidth);

    std::string digits;
    bool negative = negative_;
    if (negative_ == other.negative_) {
        digits = addDigits(a, b);
    } else if (a >= b) {  // equal lengths: text order is numeric order
        digits = subtractDigits(a, b);
    } else {
        digits = subtractDigits(b, a);
        negative = other.negative_;
    }
    const std::size_t split = digits.size() - fractionWidth;
    return Decimal(negative, digits.substr(0, split), digits.substr(split));
}

Decimal Decimal::rounded(int decimals) const {
    const std::size_t kept = static_cast<std::size_t>(std::max(decimals, 0));
    if (fraction_.size() <= kept) {
        return Decimal(negative_, integer_, fraction_ + std::string(kept - fraction_.size(), '0'));
    }
    // Half away from zero on the magnitude: the first dropped digit decides.
    std::string digits = integer_ + fraction_.substr(0, kept);
    if (fraction_[kept] >= '5') increment(digits);
    const std::size_t split = digits.size() - kept;
    return Decimal(negative_, digits.substr(0, split), digits.substr(split));
}

std::string Decimal::toString(bool grouping) const {
    std::string text = negative_ ? "-" : "";
    text += grouping ? withGrouping(integer_) : integer_;
    if (!fraction_.empty()) text += '.' + fraction_;
    return text;
}

}  // namespace zarvo
