#pragma once
// Millimetres to device pixels.

namespace zarvo {

// Converts mm (a single-precision sum of millimetres) to device pixels at
// dpi: mm x dpi x 0.039370078740157 in double precision, truncated toward
// zero, never rounded or clamped.
inline int mmToDevice(float mm, int dpi) {
    return static_cast<int>(static_cast<double>(mm) * dpi * 0.039370078740157);
}

}  // namespace zarvo
