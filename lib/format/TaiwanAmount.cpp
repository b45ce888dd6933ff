#include "format/TaiwanAmount.h"

#include <string_view>

namespace zarvo {

namespace {

constexpr std::string_view kDigits[] = {"零", "壹", "貳", "參", "肆", "伍", "陸", "柒", "捌", "玖"};
// The unit of a place within a group of four, counted from the right.
constexpr std::string_view kPlaceUnits[] = {"", "拾", "佰", "仟"};
// The unit of a group of four, counted from the right.
constexpr std::string_view kGroupUnits[] = {"", "萬", "億", "兆"};

std::string_view digitWord(char digit) { return kDigits[digit - '0']; }

// The integer digits (no leading zeros, not "0") in words, without 元.
std::string integerInCapitals(const std::string& digits) {
    std::string words;
    bool zeroPending = false;  // zeros passed since the last digit written
    bool groupHasDigit = false;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        const std::size_t place = digits.size() - 1 - i;  // 0 for the units
        if (digits[i] == '0') {
            zeroPending = !words.empty();
        } else {
            if (zeroPending) words += kDigits[0];
            zeroPending = false;
            groupHasDigit = true;
            words += digitWord(digits[i]);
            words += kPlaceUnits[place % 4];
        }
        if (place % 4 == 0) {
            if (groupHasDigit) words += kGroupUnits[place / 4];
            groupHasDigit = false;
        }
    }
    return words;
}

}  // namespace

bool isWritableAmount(const Decimal& amount) {
    return !amount.isNegative() && amount.integerDigits().size() <= kMaxAmountIntegerDigits &&
           amount.fractionDigits().size() <= kMaxAmountDecimals;
}

std::string amountInCapitals(const Decimal& amount) {
    const std::string cents = amount.rounded(2).fractionDigits();
    const bool hasYuan = amount.integerDigits() != "0";
    if (cents == "00") return (hasYuan ? integerInCapitals(amount.integerDigits()) : std::string(kDigits[0])) + "元整";

    std::string words;
    if (hasYuan) words = integerInCapitals(amount.integerDigits()) + "元";
    if (cents[0] != '0') {
        words += digitWord(cents[0]);
        words += "角";
    } else if (hasYuan) {
        words += kDigits[0];
    }
    if (cents[1] != '0') {
        words += digitWord(cents[1]);
        words += "分";
    }
    return words;
}

}  // namespace zarvo
