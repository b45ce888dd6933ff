#pragma once
// Numbers as the form profile writes them: plain decimal text.

#include <optional>
#include <string_view>

namespace zarvo {

// A finite decimal number ("12", "-0.5", "241.3"); nullopt for anything
// else (blanks, hex, exponents, inf, nan, trailing text).
std::optional<double> profileNumber(std::string_view text);

// A whole number ("12", "-3"); nullopt for anything else.
std::optional<double> profileInteger(std::string_view text);

}  // namespace zarvo
