#pragma once
// A symbol's modules as libzint encodes them: no quiet zone, no text, no scale.

#include "symbol/SymbolSpec.h"

#include <string_view>
#include <vector>

namespace zarvo {

struct SymbolMatrix {
    int columns = 0;            // modules across
    int rows = 0;               // module rows (1 for the bar codes)
    int rowHeightModules = 1;   // height of one row in modules (3 for PDF417, 1 else)
    std::vector<bool> dark;     // rows x columns, row by row; true = a dark module

    bool isDark(int row, int column) const { return dark[static_cast<std::size_t>(row * columns + column)]; }
};

// Encodes bytes (as symbolData() gives them) with libzint. Throws SymbolError
// when the data is too long for the kind (and QR's ecc) or libzint refuses it.
SymbolMatrix encodeSymbol(const SymbolSpec& spec, std::string_view data);

}  // namespace zarvo
