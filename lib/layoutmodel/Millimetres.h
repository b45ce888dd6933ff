#pragma once
// Field texts as millimetres and back: what the Layout page reads from a
// row's fields and the shortest text it writes into those it changes.

#include <optional>
#include <string>
#include <string_view>

namespace zarvo {

// The value of a field's whole text as a decimal number: an optional sign,
// digits with an optional fraction (".5", "5." too), by the "C" rules
// whatever the locale; nullopt for anything else (empty, blanks, an
// exponent, trailing characters, a value that is not finite).
std::optional<double> parseMillimetres(std::string_view text);

// mm rounded to the nearest 0.1 mm (halves away from zero).
double roundToTenth(double mm);

// The shortest decimal text that holds mm rounded to 0.1 mm: "22.5", "36",
// "-0.3", "0" (never "-0", "22.50" or an exponent).
std::string formatTenths(double mm);

}  // namespace zarvo
