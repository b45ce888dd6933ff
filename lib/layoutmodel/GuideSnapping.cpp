#include "layoutmodel/GuideSnapping.h"

#include <cmath>
#include <optional>

#include "layoutmodel/Millimetres.h"
#include "layoutmodel/Snapping.h"

namespace zarvo {
namespace {

// One coordinate of a dragged point: on a line of guides within reach, else
// on the grid, else on 0.1 mm; the line, if any, noted in shown.
double snapCoordinate(double v, Span along, const std::vector<GuideLine>& guides, bool vertical, SnapTo snap,
                      double gridOrigin, std::vector<ShownGuide>& shown) {
    static const std::vector<GuideLine> none;
    const EdgeSnap landed = snapEdge(v, along.from, along.to, snap.lines ? guides : none, snap.grid, gridOrigin);
    if (landed.line) {
        shown.push_back({vertical, guides[*landed.line]});
        return landed.value;
    }
    return snap.grid ? landed.value : roundToTenth(v);
}

// The move along one axis that brings the nearer of the edges low + d and
// high + d onto a line of guides within reach; nullopt when neither comes near one.
std::optional<double> lineMove(double low, double high, double d, Span along, const std::vector<GuideLine>& guides,
                               bool vertical, std::vector<ShownGuide>& shown) {
    std::optional<double> best;
    std::optional<std::size_t> bestLine;
    for (double edge : {low + d, high + d}) {
        const EdgeSnap landed = snapEdge(edge, along.from, along.to, guides, false, 0);
        if (!landed.line) continue;
        const double move = landed.value - edge;
        if (!best || std::abs(move) < std::abs(*best)) {
            best = move;
            bestLine = landed.line;
        }
    }
    if (!best) return std::nullopt;
    shown.push_back({vertical, guides[*bestLine]});
    return d + *best;
}

}  // namespace

PointSnap snapPoint(PointMm p, bool moveX, bool moveY, Span xSpan, Span ySpan, const StationeryGuides& guides,
                    SnapTo snap, PointMm gridOrigin) {
    PointSnap result{p, {}};
    if (moveX) result.point.x = snapCoordinate(p.x, ySpan, guides.vertical, true, snap, gridOrigin.x, result.guides);
    if (moveY) {
        result.point.y = snapCoordinate(p.y, xSpan, guides.horizontal, false, snap, gridOrigin.y, result.guides);
    }
    return result;
}

PointSnap snapMove(const RectMm& bounds, PointMm anchor, PointMm pointerDelta, const StationeryGuides& guides,
                   SnapTo snap, PointMm gridOrigin) {
    const PointMm fallback = dragMove(anchor, pointerDelta, snap.grid, gridOrigin);
    PointSnap result{fallback, {}};
    if (!snap.lines) return result;
    const Span across{bounds.top + pointerDelta.y, bounds.bottom + pointerDelta.y};
    const Span along{bounds.left + pointerDelta.x, bounds.right + pointerDelta.x};
    if (auto dx = lineMove(bounds.left, bounds.right, pointerDelta.x, across, guides.vertical, true, result.guides)) {
        result.point.x = *dx;
    }
    if (auto dy = lineMove(bounds.top, bounds.bottom, pointerDelta.y, along, guides.horizontal, false, result.guides)) {
        result.point.y = *dy;
    }
    return result;
}

}  // namespace zarvo
