#pragma once
// How a block of a form writes its value: the format named by the keys of
// the block's section in the form profile ([Block NAME]: format=amount-tw,
// decimals=2, pattern={y}年{mm}月{dd}日, cells=10 ...), and the formatting of
// one raw Big5 value with it.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "format/DatePattern.h"

namespace zarvo {

enum class FormatKind {
    None,      // no key `format`: the value as it is (cells may still apply)
    AmountTw,  // format=amount-tw: 12345.67 -> 壹萬貳仟參佰肆拾伍元陸角柒分
    Number,    // format=number: 12345.678 -> 12,345.68 (decimals=2, grouping=yes)
    RocDate,   // format=roc-date: 2024-06-14 -> 113年06月14日
    Date,      // format=date: 20240614 -> 2024-06-14
};

// The most decimals format=number writes (the key `decimals` takes 0..kMaxDecimals).
constexpr int kMaxDecimals = 10;
// The longest prefix of an amount, in Big5 bytes.
constexpr std::size_t kMaxPrefixBytes = 64;
// The longest text formatValue returns, in Big5 bytes: an amount is at most
// kMaxPrefixBytes + 114 (57 characters for 16 digits, their units, 元, 零,
// 角 and 分), a number at most 70 (Decimal::kMaxDigits digits, padding to
// kMaxDecimals, a carry, commas, sign and point), a date at most
// 2 * kMaxPatternBytes, and a value in cells at most 2 * kMaxCells. Only a
// value with neither format nor cells comes back as it is, of any length.
constexpr std::size_t kMaxFormattedBytes = 256;

struct ValueFormat {
    FormatKind kind = FormatKind::None;
    std::string prefix;            // amount-tw: Big5 bytes written before the capitals ("新臺幣")
    std::optional<int> decimals;   // number: fixed decimals, rounded half away from zero; nullopt keeps the value's
    bool grouping = false;         // number: "," between groups of three
    DatePattern pattern;           // roc-date and date: the pattern (the style's default when no key)
    int cells = 0;                 // 1..kMaxCells: digit cells (see DigitCells.h); 0: none

    bool operator==(const ValueFormat&) const = default;
};

// The keys of a block's section, in file order, as UTF-8 key/value pairs.
using FormatKeys = std::vector<std::pair<std::string, std::string>>;

struct ParsedValueFormat {
    ValueFormat format;
    std::string error;  // UTF-8, in Chinese, naming the key: "decimals 必須是 0 到 10 的整數"
    bool ok() const { return error.empty(); }
};

// Reads the keys format, prefix, decimals, grouping, pattern and cells;
// every other key (kind, module, text, ...) belongs to someone else and is
// ignored. Blanks around the values of format, decimals, grouping and cells
// are ignored; prefix and pattern are taken as they are. An error when a
// value is not allowed, a key is given twice, or an option belongs to
// another format than the one named (decimals without format=number ...).
ParsedValueFormat parseValueFormat(const FormatKeys& keys);

struct FormattedValue {
    std::string text;   // Big5; empty on error
    std::string error;  // UTF-8, in Chinese: 「12a」不是金額
    bool ok() const { return error.empty(); }
};

// Formats a raw Big5 value of a data field. An empty value gives an empty
// text (nothing is drawn); with cells, a text of more characters than cells
// is an error. The error quotes the value (its first 32 bytes) and says why;
// the caller names the record and the field.
FormattedValue formatValue(const ValueFormat& format, std::string_view big5Value);

}  // namespace zarvo
