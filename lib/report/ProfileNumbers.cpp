#include "report/ProfileNumbers.h"

#include <charconv>
#include <cmath>
#include <cstdint>

namespace zarvo {

namespace {

// Whether text is an optional sign, digits and at most one '.' among them.
bool isDecimalText(std::string_view text, bool fractionAllowed) {
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) text.remove_prefix(1);
    bool digit = false, point = false;
    for (const char c : text) {
        if (c >= '0' && c <= '9') {
            digit = true;
        } else if (c == '.' && fractionAllowed && !point) {
            point = true;
        } else {
            return false;
        }
    }
    return digit;
}

}  // namespace

std::optional<double> profileNumber(std::string_view text) {
    if (!isDecimalText(text, true)) return std::nullopt;
    if (text.front() == '+') text.remove_prefix(1);
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::optional<double> profileInteger(std::string_view text) {
    if (!isDecimalText(text, false)) return std::nullopt;
    if (text.front() == '+') text.remove_prefix(1);
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return static_cast<double>(value);
}

}  // namespace zarvo
