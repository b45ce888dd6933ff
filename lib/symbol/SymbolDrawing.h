#pragma once
// A symbol laid out on a device: filled rectangles in device units, placed in
// a data frame with its quiet zone.

#include "symbol/SymbolMatrix.h"
#include "symbol/SymbolSpec.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zarvo {

// A rectangle in device units. On a device with whole pixels every field is
// a whole number.
struct DeviceRect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;

    bool operator==(const DeviceRect&) const = default;
};

// Where the symbol goes and what the device can do.
struct SymbolPlacement {
    double frameLeft = 0;       // the data frame's top-left, device units
    double frameTop = 0;
    double frameHeight = 0;     // device units; 1D bars fill it (less the text line) unless height is given
    double textLineHeight = 0;  // device units: the height of the form face's line under 1D bars
    int dpi = 300;              // device dots per inch
    bool wholePixels = true;    // paper: modules are whole pixels; false (PDF): the module exactly
};

// The module size on the device and where the symbol's modules begin.
struct SymbolGeometry {
    double module = 0;          // one module's width (and 2D height), device units
    double quiet = 0;           // quiet zone, device units (left and right; for 2D codes also above and below)
    double symbolLeft = 0;      // top-left of the first module: the frame's top-left + the quiet zone
    double symbolTop = 0;
    double totalWidth = 0;      // the symbol with its quiet zones (and text line), device units:
    double totalHeight = 0;     // the frame needs at least this much room
};

struct SymbolDrawing {
    SymbolGeometry geometry;
    std::vector<DeviceRect> rects;  // dark areas: one per bar (1D), runs of dark modules per row (2D)
    std::string text;               // 1D with text=yes: the human-readable line (ASCII); else empty
    DeviceRect textBox;             // where it goes: under the bars, as wide as them; the caller centres it
};

// The module width on the device: on whole-pixel devices the whole number of
// pixels nearest to module mm at dpi (at least one), else exactly module mm.
double moduleOnDevice(double moduleMm, int dpi, bool wholePixels);

// Lays out an encoded symbol. Throws SymbolError when a 1D code's bars would
// have no height left in the frame.
SymbolDrawing layoutSymbol(const SymbolSpec& spec, const SymbolMatrix& matrix, std::string_view text,
                           const SymbolPlacement& placement);

// Checks, encodes and lays out a data frame's value (Big5 bytes); nullopt for
// an empty value (no symbol). Throws SymbolError with the reason otherwise.
std::optional<SymbolDrawing> drawSymbol(const SymbolSpec& spec, std::string_view value,
                                        const SymbolPlacement& placement);

}  // namespace zarvo
