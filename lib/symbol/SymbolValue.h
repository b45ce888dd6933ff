#pragma once
// A data frame's value checked against the symbology that is to hold it.

#include "symbol/SymbolSpec.h"

#include <string>
#include <string_view>

namespace zarvo {

// The bytes the symbol is to hold for the value (Big5 bytes, as the engine
// keeps them): EAN-13 with its check digit, 2D codes in the encoding their SymbolSpec names.
// Throws SymbolError naming the symbology and the character it cannot hold,
// the wrong length or the wrong check digit. spec.kind must not be Text.
std::string symbolData(const SymbolSpec& spec, std::string_view value);

// The EAN-13 check digit ('0'..'9') of twelve digits.
char ean13CheckDigit(std::string_view twelveDigits);

}  // namespace zarvo
