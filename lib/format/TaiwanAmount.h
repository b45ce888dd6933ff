#pragma once
// An amount written in capital numerals as on Taiwanese cheques, receipts
// and invoices: 12345.67 -> 壹萬貳仟參佰肆拾伍元陸角柒分.

#include <string>

#include "format/Decimal.h"

namespace zarvo {

// The largest amount that can be written: 9,999,999,999,999,999.99
// (sixteen integer digits, up to 兆, and two decimals).
constexpr std::size_t kMaxAmountIntegerDigits = 16;
constexpr std::size_t kMaxAmountDecimals = 2;

// Whether amount can be written in capitals: not negative, at most
// kMaxAmountIntegerDigits integer digits and kMaxAmountDecimals decimals.
bool isWritableAmount(const Decimal& amount);

// The amount in capitals as UTF-8 (a writable amount): digits 零壹貳參肆伍陸柒捌玖,
// units 拾佰仟 within a group of four and 萬億兆 for the groups; one 零 for each
// run of zeros between non-zero digits; 10 is 壹拾. No cents: "元整"; else 角
// and 分 without 整, a zero 角 before 分 written 零; below one 元 is left out
// (0.05 -> 伍分), and zero is 零元整.
std::string amountInCapitals(const Decimal& amount);

}  // namespace zarvo
