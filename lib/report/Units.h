#pragma once
// Lengths: millimetres, inches, the screen's resolution and the
// conversions between millimetres and device dots.

#include <climits>
#include <optional>

namespace zarvo {

inline constexpr double kMmPerInch = 25.4;

// The screen's resolution: the preview image, the field dialog's sample,
// the renderer's trace, the Layout page at 100 % and the dash lengths on
// screen.
inline constexpr int kPreviewDpi = 114;

// The resolution at which frame text is laid out on every device: each
// character's place is worked out at it and then scaled to the device, so
// that the screen, PDF files and every printer set a text alike.
inline constexpr int kLayoutDpi = 1200;

// The resolution whose modules a barcode or 2D code takes on screen (the
// preview, the Layout page, PNG files), scaled to the screen's, when no
// printer is chosen or the chosen one does not say its own.
inline constexpr int kScreenSymbolDpi = 300;

// The resolution a symbol on screen takes for a printer that says printerDpi:
// kScreenSymbolDpi when it says none or one no printer has.
inline int symbolDpiOf(std::optional<int> printerDpi) {
    return printerDpi && *printerDpi >= 60 && *printerDpi <= 4800 ? *printerDpi : kScreenSymbolDpi;
}

// Converts mm (a single-precision sum of millimetres) to device pixels at
// dpi: mm x dpi x 0.039370078740157 in double precision, truncated toward
// zero, never rounded. A length beyond the device range (an absurd value in
// a damaged file, or a sum of such values that overflowed) is held at the
// range's edge; a sum that is not a number gives 0.
inline int mmToDevice(float mm, int dpi) {
    const double device = static_cast<double>(mm) * dpi * 0.039370078740157;
    if (device != device) return 0;
    if (device >= 2147483648.0) return INT_MAX;
    if (device <= -2147483649.0) return INT_MIN;
    return static_cast<int>(device);
}

// Millimetres to device dots at dpi, unrounded: mm x dpi / 25.4.
inline double mmToDots(double mm, double dpi) { return mm * dpi / kMmPerInch; }

// Device dots at dpi to millimetres: dots x 25.4 / dpi.
inline double dotsToMm(double dots, double dpi) { return dots * kMmPerInch / dpi; }

}  // namespace zarvo
