#pragma once
// Millimetres to device pixels.

#include <climits>

namespace zarvo {

// The resolution at which frame text is laid out on every device: each
// character's place is worked out at it and then scaled to the device, so
// that the screen, PDF files and every printer set a text alike.
inline constexpr int kLayoutDpi = 1200;

// The printer whose modules a barcode or 2D code takes on screen (the
// preview, the Layout page, PNG files), scaled to the screen's resolution.
inline constexpr int kScreenSymbolDpi = 300;

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

}  // namespace zarvo
