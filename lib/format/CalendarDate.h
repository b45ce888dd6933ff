#pragma once
// A calendar date read from a data field, and what a form writes of it:
// the Western year or the year of the Republic of China (民國).

#include <optional>
#include <string>
#include <string_view>

namespace zarvo {

// A valid date of the Gregorian calendar, years 1 to 9999.
struct CalendarDate {
    int year = 1;
    int month = 1;  // 1..12
    int day = 1;    // 1..days of the month

    bool operator==(const CalendarDate&) const = default;
};

// Parses "YYYY-MM-DD" or "YYYYMMDD" (ASCII digits, exactly that many);
// nullopt when the text is neither or names no day (2023-02-29, 2024-13-01,
// year 0000). Leap years are the Gregorian ones.
std::optional<CalendarDate> parseCalendarDate(std::string_view text);

// The ROC year of a Western year: 1912 is 1; a year before 1912 counts
// backwards, 1911 being 0 and written 前1 (see rocYearText).
int rocYear(int year);

// The ROC year as written on forms (ASCII and UTF-8): "113" for 2024, "1" for
// 1912, "前1" for 1911, "前12" for 1900.
std::string rocYearText(int year);

}  // namespace zarvo
