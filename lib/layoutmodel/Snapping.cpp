#include "layoutmodel/Snapping.h"

#include <cmath>

#include "layoutmodel/Millimetres.h"

namespace zarvo {
namespace {

// Beyond this a nanometre is below a double's precision anyway.
constexpr double kNanoRoundLimitMm = 1e9;

// v rounded to 1e-9 mm, which takes away the binary noise of origin + k * step.
double roundToNanometre(double v) { return std::abs(v) < kNanoRoundLimitMm ? std::round(v * 1e9) / 1e9 : v; }

}  // namespace

double snapToGrid(double v, double origin, double step) {
    if (!(step > 0)) return v;
    return roundToNanometre(origin + std::round((v - origin) / step) * step);
}

PointMm snapToGrid(PointMm p, PointMm origin, double step) {
    return {snapToGrid(p.x, origin.x, step), snapToGrid(p.y, origin.y, step)};
}

PointMm dragMove(PointMm anchor, PointMm pointerDelta, bool snap, PointMm gridOrigin) {
    PointMm target{anchor.x + pointerDelta.x, anchor.y + pointerDelta.y};
    PointMm landed = snap ? snapToGrid(target, gridOrigin) : PointMm{roundToTenth(target.x), roundToTenth(target.y)};
    return {landed.x - anchor.x, landed.y - anchor.y};
}

}  // namespace zarvo
