#pragma once
// The ruled lines and boxes printed on the stationery, as found in a scan of
// it: horizontal and vertical lines, the smallest boxes they close, the
// scan's skew, and which boxes hold a caption. Everything is in millimetres
// from the picture's top-left corner, after the picture has been turned
// straight about its centre. Plain data, for the model to place and snap to;
// stationery/ScanLines finds them.

#include <vector>

namespace zarvo {

// One ruled line: horizontal lines lie at y = position from x = from to
// x = to; vertical ones at x = position from y = from to y = to.
struct ScanLine {
    double position = 0;   // the middle of the line's ink, mm
    double from = 0;       // where it starts, mm (from < to)
    double to = 0;         // where it ends, mm
    double thickness = 0;  // the ink's thickness across the line, mm
    bool operator==(const ScanLine&) const = default;
};

// A box closed by found lines on all four sides, and no smaller one inside it.
struct ScanBox {
    double left = 0;    // the middle of its left line, mm
    double top = 0;     // the middle of its top line, mm
    double right = 0;   // the middle of its right line, mm
    double bottom = 0;  // the middle of its bottom line, mm
    bool hasInk = false;  // printed ink inside beyond its own lines (a caption box)
    bool operator==(const ScanBox&) const = default;
};

struct ScanLines {
    double skewDegrees = 0;            // how far the scan's horizontals fall from left to right (clockwise on screen)
    std::vector<ScanLine> horizontal;  // top to bottom, then left to right
    std::vector<ScanLine> vertical;    // left to right, then top to bottom
    std::vector<ScanBox> boxes;        // top to bottom, then left to right
    bool operator==(const ScanLines&) const = default;
};

}  // namespace zarvo
