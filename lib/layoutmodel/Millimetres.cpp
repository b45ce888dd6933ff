#include "layoutmodel/Millimetres.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "report/DecimalText.h"

namespace zarvo {
namespace {

// Beyond this a value is clamped, so that its tenths fit in a long long.
constexpr double kLargestMm = 1e12;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Digits with at most one point and at least one digit: "5", ".5", "5.".
bool isUnsignedDecimal(std::string_view text) {
    bool digit = false;
    bool point = false;
    for (char c : text) {
        if (isDigit(c)) {
            digit = true;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    return digit;
}

// mm as a whole number of tenths, halves away from zero; not a number counts as 0.
long long tenths(double mm) {
    if (std::isnan(mm)) return 0;
    return std::llround(std::clamp(mm, -kLargestMm, kLargestMm) * 10);
}

}  // namespace

std::optional<double> parseMillimetres(std::string_view text) {
    bool negative = !text.empty() && text.front() == '-';
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) text.remove_prefix(1);
    if (!isUnsignedDecimal(text)) return std::nullopt;
    double value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
    return negative ? -value : value;
}

double roundToTenth(double mm) { return static_cast<double>(tenths(mm)) / 10; }

std::string formatTenths(double mm) { return decimalText(roundToTenth(mm)); }

}  // namespace zarvo
