#pragma once
// Where a dragged point or a moved row lands: on the stationery's nearest
// ruled line within reach, else on the grid, else on 0.1 mm, and which
// lines it landed on, for the view to show as guides.

#include <vector>

#include "layoutmodel/LineSnapping.h"
#include "layoutmodel/SceneTypes.h"
#include "layoutmodel/StationeryGuides.h"

namespace zarvo {

// What a drag snaps to: the grid, the stationery's lines (Alt turns off both).
struct SnapTo {
    bool grid = false;
    bool lines = false;
};

// A line a drag landed on: horizontal (y = line.position) or vertical.
struct ShownGuide {
    bool vertical = false;
    GuideLine line;
    bool operator==(const ShownGuide& other) const {
        return vertical == other.vertical && line.position == other.line.position && line.from == other.line.from &&
               line.to == other.line.to;
    }
};

// A dragged point, or a move, after snapping, with the lines it landed on.
struct PointSnap {
    PointMm point;
    std::vector<ShownGuide> guides;
};

// The extent along a dragged edge, mm: a vertical edge's top and bottom,
// a horizontal edge's left and right.
struct Span {
    double from = 0;
    double to = 0;
};

// p dragged by a grip: its x (when moveX) lands on a vertical line that
// overlaps ySpan, its y (when moveY) on a horizontal line that overlaps
// xSpan, each within reach (with snap.lines); else on the grid (with
// snap.grid, counted from gridOrigin); else on 0.1 mm. A coordinate that
// does not move is returned as it is.
PointSnap snapPoint(PointMm p, bool moveX, bool moveY, Span xSpan, Span ySpan, const StationeryGuides& guides,
                    SnapTo snap, PointMm gridOrigin);

// How far rows move when the pointer has moved by pointerDelta and the row
// grabbed spans bounds with its reference point at anchor: with snap.lines,
// the move that puts the nearest of bounds' edges within reach on its line,
// for each axis by itself; an axis with none moves as dragMove says.
PointSnap snapMove(const RectMm& bounds, PointMm anchor, PointMm pointerDelta, const StationeryGuides& guides,
                   SnapTo snap, PointMm gridOrigin);

}  // namespace zarvo
