#include "format/CalendarDate.h"

namespace zarvo {

namespace {

constexpr int kRocFirstYear = 1912;

bool isLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int daysInMonth(int year, int month) {
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : days[month - 1];
}

// The number written by `count` ASCII digits at the front of text; -1 when
// they are not all digits.
int digitsAt(std::string_view text, std::size_t count) {
    if (text.size() < count) return -1;
    int value = 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (text[i] < '0' || text[i] > '9') return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

}  // namespace

std::optional<CalendarDate> parseCalendarDate(std::string_view text) {
    std::string compact;
    if (text.size() == 10 && text[4] == '-' && text[7] == '-') {
        compact = std::string(text.substr(0, 4)) + std::string(text.substr(5, 2)) + std::string(text.substr(8, 2));
    } else if (text.size() == 8) {
        compact = std::string(text);
    } else {
        return std::nullopt;
    }
    const int year = digitsAt(compact, 4);
    const int month = digitsAt(std::string_view(compact).substr(4), 2);
    const int day = digitsAt(std::string_view(compact).substr(6), 2);
    if (year < 1 || month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month)) return std::nullopt;
    return CalendarDate{year, month, day};
}

int rocYear(int year) { return year - kRocFirstYear + 1; }

std::string rocYearText(int year) {
    const int roc = rocYear(year);
    // No year 0: the year before 民國元年 is 民國前1年.
    return roc >= 1 ? std::to_string(roc) : "前" + std::to_string(1 - roc);
}

}  // namespace zarvo
