#pragma once
// How a form writes a date: a pattern of literal text and fields in braces,
// "{y}年{mm}月{dd}日" (ROC) or "{yyyy}-{mm}-{dd}" (Western).

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "format/CalendarDate.h"

namespace zarvo {

// Which year a pattern writes: the ROC year ({y}, {yyy}) or the Western
// year ({yyyy}). Months and days are the same for both.
enum class DateStyle { Roc, Western };

enum class DateField {
    RocYear,         // {y}: 113, 1, 前1
    RocYearPadded,   // {yyy}: 113, 089, 001; no year before 1912
    WesternYear,     // {yyyy}: 2024, 0999
    Month,           // {m}: 6
    MonthPadded,     // {mm}: 06
    Day,             // {d}: 4
    DayPadded,       // {dd}: 04
};

// One piece of a pattern: literal Big5 bytes, or a field.
struct DatePiece {
    std::string literal;
    std::optional<DateField> field;

    bool operator==(const DatePiece&) const = default;
};

struct DatePattern {
    std::vector<DatePiece> pieces;

    bool operator==(const DatePattern&) const = default;
};

// The longest pattern, in Big5 bytes. A field writes at most twice the bytes
// of its braces ({y}: 前1911), so a date is at most 2 * kMaxPatternBytes bytes.
constexpr std::size_t kMaxPatternBytes = 64;

// The pattern used when a block gives none: "{y}年{mm}月{dd}日" or "{yyyy}-{mm}-{dd}".
std::string_view defaultDatePattern(DateStyle style);

// Parses a UTF-8 pattern for the style; nullopt with a reason in error (UTF-8,
// naming the key "pattern") when it is empty, too long, holds a character
// Big5 cannot, an unclosed "{", a field the style has not, or no field at all.
std::optional<DatePattern> parseDatePattern(std::string_view utf8, DateStyle style, std::string& error);

// The date as the pattern writes it (Big5); nullopt when the pattern has
// {yyy} and the year is before 1912.
std::optional<std::string> writeDate(const DatePattern& pattern, const CalendarDate& date);

}  // namespace zarvo
