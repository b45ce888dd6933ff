#include "layoutmodel/LineSnapping.h"

#include <algorithm>
#include <cmath>

#include "layoutmodel/Snapping.h"

namespace zarvo {

double pictureToRow(double picture, double shift, double formOrigin) { return picture + shift - formOrigin; }

GuideLine guideLine(double position, double from, double to, double acrossShift, double alongShift) {
    return {position + acrossShift, from + alongShift, to + alongShift};
}

EdgeSnap snapEdge(double v, double alongFrom, double alongTo, const std::vector<GuideLine>& guides, bool grid,
                  double gridOrigin, double reach) {
    const double low = std::min(alongFrom, alongTo), high = std::max(alongFrom, alongTo);
    EdgeSnap snap{v, std::nullopt};
    double nearest = reach;
    for (std::size_t i = 0; i < guides.size(); ++i) {
        const GuideLine& guide = guides[i];
        // A line that lies wholly beside the edge is not the one it is meant for.
        if (guide.to < low - reach || guide.from > high + reach) continue;
        const double distance = std::abs(guide.position - v);
        if (distance <= nearest && (!snap.line || distance < nearest)) {
            nearest = distance;
            snap = {guide.position, i};
        }
    }
    if (!snap.line && grid) snap.value = snapToGrid(v, gridOrigin);
    return snap;
}

}  // namespace zarvo
