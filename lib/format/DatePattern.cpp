#include "format/DatePattern.h"

#include <cstdio>

#include "report/Big5.h"

namespace zarvo {

namespace {

struct FieldName {
    std::string_view name;
    DateField field;
    std::optional<DateStyle> only;  // nullopt: both styles
};

constexpr FieldName kFieldNames[] = {
    {"y", DateField::RocYear, DateStyle::Roc},         {"yyy", DateField::RocYearPadded, DateStyle::Roc},
    {"yyyy", DateField::WesternYear, DateStyle::Western}, {"m", DateField::Month, std::nullopt},
    {"mm", DateField::MonthPadded, std::nullopt},      {"d", DateField::Day, std::nullopt},
    {"dd", DateField::DayPadded, std::nullopt},
};

std::optional<DateField> fieldNamed(std::string_view name, DateStyle style) {
    for (const FieldName& field : kFieldNames) {
        if (field.name == name && (!field.only || *field.only == style)) return field.field;
    }
    return std::nullopt;
}

std::string_view fieldList(DateStyle style) {
    return style == DateStyle::Roc ? "{y} {yyy} {m} {d} {mm} {dd}" : "{yyyy} {m} {d} {mm} {dd}";
}

std::string padded(int value, int width) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*d", width, value);
    return text;
}

// The field's text for the date (Big5); nullopt for {yyy} before 1912.
std::optional<std::string> fieldText(DateField field, const CalendarDate& date) {
    switch (field) {
    case DateField::RocYear: return utf8ToBig5(rocYearText(date.year));
    case DateField::RocYearPadded:
        if (rocYear(date.year) < 1) return std::nullopt;
        return padded(rocYear(date.year), 3);
    case DateField::WesternYear: return padded(date.year, 4);
    case DateField::Month: return std::to_string(date.month);
    case DateField::MonthPadded: return padded(date.month, 2);
    case DateField::Day: return std::to_string(date.day);
    case DateField::DayPadded: return padded(date.day, 2);
    }
    return std::nullopt;
}

}  // namespace

std::string_view defaultDatePattern(DateStyle style) {
    return style == DateStyle::Roc ? "{y}年{mm}月{dd}日" : "{yyyy}-{mm}-{dd}";
}

std::optional<DatePattern> parseDatePattern(std::string_view utf8, DateStyle style, std::string& error) {
    if (utf8.empty()) {
        error = "pattern 不可以是空的";
        return std::nullopt;
    }
    const std::optional<std::string> whole = utf8ToBig5(utf8);
    if (!whole) {
        error = "pattern 含有 Big5 無法表示的字";
        return std::nullopt;
    }
    if (whole->size() > kMaxPatternBytes) {
        error = "pattern 太長，最多 " + std::to_string(kMaxPatternBytes) + " 個位元組（" +
                std::to_string(kMaxPatternBytes / 2) + " 個中文字）";
        return std::nullopt;
    }
    // Braces are split in UTF-8, where "{" and "}" never occur inside another
    // character (in Big5 they can be the second byte of one).
    DatePattern pattern;
    bool hasField = false;
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const std::size_t open = utf8.find('{', pos);
        if (open != pos) {
            pattern.pieces.push_back({*utf8ToBig5(utf8.substr(pos, open - pos)), std::nullopt});
            if (open == std::string_view::npos) break;
        }
        const std::size_t close = utf8.find('}', open);
        if (close == std::string_view::npos) {
            error = "pattern 的「{」沒有對應的「}」";
            return std::nullopt;
        }
        const std::string_view name = utf8.substr(open + 1, close - open - 1);
        const std::optional<DateField> field = fieldNamed(name, style);
        if (!field) {
            error = "pattern 的「{" + std::string(name) + "}」不是日期欄位，可用 " + std::string(fieldList(style));
            return std::nullopt;
        }
        pattern.pieces.push_back({"", field});
        hasField = true;
        pos = close + 1;
    }
    if (!hasField) {
        error = "pattern 至少要有一個日期欄位，可用 " + std::string(fieldList(style));
        return std::nullopt;
    }
    return pattern;
}

std::optional<std::string> writeDate(const DatePattern& pattern, const CalendarDate& date) {
    std::string text;
    for (const DatePiece& piece : pattern.pieces) {
        if (!piece.field) {
            text += piece.literal;
            continue;
        }
        const std::optional<std::string> field = fieldText(*piece.field, date);
        if (!field) return std::nullopt;
        text += *field;
    }
    return text;
}

}  // namespace zarvo
