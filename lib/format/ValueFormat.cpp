#include "format/ValueFormat.h"

#include <algorithm>
#include <iterator>
#include <map>

#include "format/Decimal.h"
#include "format/DigitCells.h"
#include "format/TaiwanAmount.h"
#include "report/Big5.h"

namespace zarvo {

namespace {

constexpr std::string_view kOwnKeys[] = {"format", "prefix", "decimals", "grouping", "pattern", "cells"};

// How many bytes of a value an error message quotes.
constexpr std::size_t kQuotedBytes = 32;

struct KindName {
    std::string_view name;
    FormatKind kind;
};

constexpr KindName kKindNames[] = {
    {"amount-tw", FormatKind::AmountTw},
    {"number", FormatKind::Number},
    {"roc-date", FormatKind::RocDate},
    {"date", FormatKind::Date},
};

std::string_view trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// A whole number written in at most three ASCII digits, within [low, high].
std::optional<int> smallInteger(std::string_view text, int low, int high) {
    text = trimmed(text);
    if (text.empty() || text.size() > 3) return std::nullopt;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value < low || value > high) return std::nullopt;
    return value;
}

std::string rangeError(std::string_view key, int low, int high) {
    return std::string(key) + " 必須是 " + std::to_string(low) + " 到 " + std::to_string(high) + " 的整數";
}

// The values of our own keys by name; an error for a key given twice.
std::map<std::string_view, std::string_view> ownValues(const FormatKeys& keys, std::string& error) {
    std::map<std::string_view, std::string_view> values;
    for (const auto& [key, value] : keys) {
        if (std::find(std::begin(kOwnKeys), std::end(kOwnKeys), key) == std::end(kOwnKeys)) continue;
        if (!values.emplace(key, value).second) {
            error = key + " 設定了兩次";
            break;
        }
    }
    return values;
}

using OptionReader = std::string (*)(std::string_view value, ValueFormat& format);

// Reads one option into format: nothing when absent; an error when it is
// given for another format than the one named or read refuses its value.
std::string readOption(const std::map<std::string_view, std::string_view>& values, std::string_view key,
                       bool applies, std::string_view usedBy, OptionReader read, ValueFormat& format) {
    const auto found = values.find(key);
    if (found == values.end()) return {};
    if (!applies) return std::string(key) + " 只用於 " + std::string(usedBy);
    return read(found->second, format);
}

std::string readKind(std::string_view value, ValueFormat& format) {
    value = trimmed(value);
    for (const KindName& entry : kKindNames) {
        if (entry.name == value) {
            format.kind = entry.kind;
            return {};
        }
    }
    return "format 必須是 amount-tw、number、roc-date 或 date";
}

std::string readCells(std::string_view value, ValueFormat& format) {
    const std::optional<int> cells = smallInteger(value, 1, kMaxCells);
    if (!cells) return rangeError("cells", 1, kMaxCells);
    format.cells = *cells;
    return {};
}

std::string readDecimals(std::string_view value, ValueFormat& format) {
    format.decimals = smallInteger(value, 0, kMaxDecimals);
    return format.decimals ? std::string() : rangeError("decimals", 0, kMaxDecimals);
}

std::string readGrouping(std::string_view value, ValueFormat& format) {
    value = trimmed(value);
    if (value != "yes" && value != "no") return "grouping 必須是 yes 或 no";
    format.grouping = value == "yes";
    return {};
}

DateStyle dateStyleOf(FormatKind kind) { return kind == FormatKind::RocDate ? DateStyle::Roc : DateStyle::Western; }

std::string readPrefix(std::string_view value, ValueFormat& format) {
    const std::optional<std::string> big5 = utf8ToBig5(value);
    if (!big5) return "prefix 含有 Big5 無法表示的字";
    if (big5->size() > kMaxPrefixBytes) {
        return "prefix 太長，最多 " + std::to_string(kMaxPrefixBytes) + " 個位元組（" +
               std::to_string(kMaxPrefixBytes / 2) + " 個中文字）";
    }
    format.prefix = *big5;
    return {};
}

std::string readPattern(std::string_view value, ValueFormat& format) {
    std::string error;
    std::optional<DatePattern> pattern = parseDatePattern(value, dateStyleOf(format.kind), error);
    if (pattern) format.pattern = std::move(*pattern);
    return error;
}

// A Big5 value in UTF-8 between quotes for an error message: 「12a」; one
// longer than kQuotedBytes is cut at a character's start and ends with "…".
std::string quoted(std::string_view big5Value) {
    std::string_view shown = big5Value;
    if (shown.size() > kQuotedBytes) {
        std::size_t end = 0;
        while (end < kQuotedBytes) end += static_cast<unsigned char>(shown[end]) >= 0x80 ? 2 : 1;
        shown = shown.substr(0, std::min(end, shown.size()));
    }
    return "「" + big5ToUtf8(shown) + (shown.size() < big5Value.size() ? "…」" : "」");
}

FormattedValue refused(std::string reason) { return {"", std::move(reason)}; }

// Whether the value holds more digits than any number parse accepts.
bool hasTooManyDigits(std::string_view value) {
    return static_cast<std::size_t>(std::count_if(value.begin(), value.end(), [](char c) {
               return c >= '0' && c <= '9';
           })) > Decimal::kMaxDigits;
}

// Capitals are all Big5 characters: the conversion cannot fail.
std::string toBig5(const std::string& utf8) { return utf8ToBig5(utf8).value_or(std::string()); }

FormattedValue formatAmount(const ValueFormat& format, std::string_view value) {
    const std::string notAmount = quoted(value) + "不是金額";
    const std::string overLimit = notAmount + "（上限是 9,999,999,999,999,999.99）";
    const std::optional<Decimal> amount = Decimal::parse(value, Decimal::Sign::Unsigned);
    if (!amount) {
        if (hasTooManyDigits(value)) return refused(overLimit);
        const bool negative = !value.empty() && value.front() == '-' && Decimal::parse(value.substr(1));
        return refused(notAmount + (negative ? "（金額不可以是負數）" : ""));
    }
    if (amount->fractionDigits().size() > kMaxAmountDecimals) return refused(notAmount + "（最多兩位小數，到分為止）");
    if (!isWritableAmount(*amount)) return refused(overLimit);
    return {format.prefix + toBig5(amountInCapitals(*amount)), ""};
}

FormattedValue formatNumber(const ValueFormat& format, std::string_view value) {
    std::optional<Decimal> number = Decimal::parse(value);
    if (!number) {
        const std::string limit = "（最多 " + std::to_string(Decimal::kMaxDigits) + " 位數）";
        return refused(quoted(value) + "不是數字" + (hasTooManyDigits(value) ? limit : ""));
    }
    if (format.decimals) number = number->rounded(*format.decimals);
    return {number->toString(format.grouping), ""};
}

FormattedValue formatDate(const ValueFormat& format, std::string_view value) {
    const std::optional<CalendarDate> date = parseCalendarDate(value);
    if (!date) return refused(quoted(value) + "不是日期");
    std::optional<std::string> text = writeDate(format.pattern, *date);
    if (!text) return refused(quoted(value) + "早於民國元年，{yyy} 寫不出三位數的民國年");
    return {std::move(*text), ""};
}

FormattedValue formatKind(const ValueFormat& format, std::string_view value) {
    switch (format.kind) {
    case FormatKind::None: return {std::string(value), ""};
    case FormatKind::AmountTw: return formatAmount(format, value);
    case FormatKind::Number: return formatNumber(format, value);
    case FormatKind::RocDate:
    case FormatKind::Date: return formatDate(format, value);
    }
    return {std::string(value), ""};
}

}  // namespace

ParsedValueFormat parseValueFormat(const FormatKeys& keys) {
    ParsedValueFormat parsed;
    ValueFormat& format = parsed.format;
    std::string& error = parsed.error;
    const auto values = ownValues(keys, error);
    if (error.empty()) error = readOption(values, "format", true, "", readKind, format);
    if (!error.empty()) return {{}, error};

    const FormatKind kind = format.kind;
    const bool isDate = kind == FormatKind::RocDate || kind == FormatKind::Date;
    if (isDate) format.pattern = *parseDatePattern(defaultDatePattern(dateStyleOf(kind)), dateStyleOf(kind), error);
    const bool isNumber = kind == FormatKind::Number;
    error = readOption(values, "cells", true, "", readCells, format);
    if (error.empty()) error = readOption(values, "decimals", isNumber, "format=number", readDecimals, format);
    if (error.empty()) error = readOption(values, "grouping", isNumber, "format=number", readGrouping, format);
    if (error.empty()) {
        error = readOption(values, "prefix", kind == FormatKind::AmountTw, "format=amount-tw", readPrefix, format);
    }
    if (error.empty()) {
        error = readOption(values, "pattern", isDate, "format=roc-date 或 format=date", readPattern, format);
    }
    if (!error.empty()) return {{}, error};
    return parsed;
}

FormattedValue formatValue(const ValueFormat& format, std::string_view big5Value) {
    if (big5Value.empty()) return {};
    FormattedValue formatted = formatKind(format, big5Value);
    if (!formatted.ok() || format.cells == 0) return formatted;
    if (!digitCells(0, 0, format.cells, formatted.text)) {
        const std::string written = formatted.text == big5Value ? "" : "寫成" + quoted(formatted.text) + "，";
        return refused(quoted(big5Value) + written + "超過 " + std::to_string(format.cells) + " 格");
    }
    return formatted;
}

}  // namespace zarvo
