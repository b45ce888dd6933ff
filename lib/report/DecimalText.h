#pragma once
// Numbers written into files (form profiles, printers.conf, report rows):
// the shortest decimal in plain notation that reads back as the value.

#include <string>

namespace zarvo {

// The shortest plain decimal that reads back as value: "12.5", "0.001",
// "-0.348", "100", "0" (never "-0", an exponent or trailing zeros).
std::string decimalText(double value);

// value rounded to the given number of decimals (0 to 15), halves away from
// zero, never -0: the double nearest that decimal, so decimalText writes it
// with at most that many decimals.
double roundedToDecimals(double value, int decimals);

}  // namespace zarvo
