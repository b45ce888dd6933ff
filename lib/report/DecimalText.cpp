#include "report/DecimalText.h"

#include <charconv>
#include <cmath>

namespace zarvo {

std::string decimalText(double value) {
    // The longest plain decimal of a double (the smallest subnormal) takes
    // about 330 characters.
    char buffer[512];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value + 0.0, std::chars_format::fixed).ptr;
    return std::string(buffer, end);
}

double roundedToDecimals(double value, int decimals) {
    const double perUnit = std::pow(10.0, decimals);
    return std::round(value * perUnit) / perUnit + 0.0;
}

}  // namespace zarvo
