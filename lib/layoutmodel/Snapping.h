#pragma once
// The grid that dragged edges and line ends snap to, counted from the
// printer origin.

#include "layoutmodel/SceneTypes.h"

namespace zarvo {

inline constexpr double kGridStepMm = 0.5;

// v snapped to the nearest origin + k * step (halves away from zero).
double snapToGrid(double v, double origin, double step = kGridStepMm);
PointMm snapToGrid(PointMm p, PointMm origin, double step = kGridStepMm);

// How far a drag moves its rows when the pointer has moved by pointerDelta
// and the row it grabbed has its reference point (a frame's top-left, a
// line's start) at anchor: with snap, the move that brings anchor + delta
// onto the grid counted from gridOrigin; without, the move that brings it to
// the nearest 0.1 mm.
PointMm dragMove(PointMm anchor, PointMm pointerDelta, bool snap, PointMm gridOrigin);

}  // namespace zarvo
