#pragma once
// Where a row lies: a frame's rectangle or a line's two ends, read from the
// row's field texts, and the grips by which a selected row is resized.

#include <optional>
#include <vector>

#include "layoutmodel/SceneTypes.h"

namespace zarvo {

// A row's shape in row coordinates (mm). Frames: the rectangle from
// (left, top) to (left + width, top + height), normalised. Lines: the ends.
struct RowShape {
    RowKind kind = RowKind::Line;
    RectMm frame;
    PointMm start;
    PointMm end;
    // The rectangle that holds the shape (a line's ends span it).
    RectMm bounds() const;
};

// The shape of row of kind; nullopt when a field it needs is missing or is
// not a decimal number (parseMillimetres).
std::optional<RowShape> rowShape(RowKind kind, const RowText& row);

// Distance in mm from p to the segment a-b.
double distanceToSegment(PointMm p, PointMm a, PointMm b);

// The grips of a selected row: a frame has eight, its corners and the
// middles of its edges; a line has its two ends.
enum class Grip { TopLeft, Top, TopRight, Right, BottomRight, Bottom, BottomLeft, Left, Start, End };

struct GripPoint {
    Grip grip = Grip::TopLeft;
    PointMm at;
};

// The grips of shape, frames in the order of Grip.
std::vector<GripPoint> grips(const RowShape& shape);

// The grip of shape nearest to p within radius mm (Chebyshev distance, as a
// square handle is hit); nullopt when none.
std::optional<Grip> gripAt(const RowShape& shape, PointMm p, double radius);

}  // namespace zarvo
