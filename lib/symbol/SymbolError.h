#pragma once
// A symbol option or value that cannot be drawn as a barcode or 2D code.

#include <stdexcept>

namespace zarvo {

// what() is a UTF-8 message in the interface's language naming the option and
// why its value is refused, or the symbology and the character or limit.
class SymbolError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace zarvo
