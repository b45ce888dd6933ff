#include "layoutmodel/RulerScale.h"

#include <algorithm>
#include <cmath>

#include "report/Units.h"

namespace zarvo {
namespace {

constexpr RulerScale kFine{1, 5, 10, 10};
constexpr RulerScale kCoarse{5, 10, 50, 50};
constexpr int kLabelSteps[] = {10, 50, 100, 500};

// The largest multiple of step not above v.
int floorToMultiple(int v, int step) {
    const int quotient = v / step - (v % step < 0 ? 1 : 0);
    return quotient * step;
}

TickSize sizeOf(const RulerScale& scale, int mm) {
    if (mm % scale.largeMm == 0) return TickSize::Large;
    if (mm % scale.middleMm == 0) return TickSize::Middle;
    return TickSize::Small;
}

}  // namespace

int rulerPixel(int mm, int dpi) { return mmToDevice(static_cast<float>(mm), dpi); }

// Two truncations each lose less than a pixel, one on either side of the
// origin, so the distance loses less than two.
int smallestGap(int stepMm, int dpi) {
    return static_cast<int>(std::floor(stepMm * dpi / kMmPerInch)) - 1;
}

RulerScale rulerScale(int dpi, int labelPixels) {
    RulerScale scale = smallestGap(kFine.smallMm, dpi) >= kMinTickGap ? kFine : kCoarse;
    scale.labelMm = kLabelSteps[std::size(kLabelSteps) - 1];
    for (int step : kLabelSteps) {
        if (step % scale.largeMm != 0 || smallestGap(step, dpi) < labelPixels) continue;
        scale.labelMm = step;
        break;
    }
    return scale;
}

std::vector<RulerTick> rulerTicks(const RulerScale& scale, int dpi, int fromPixel, int toPixel) {
    std::vector<RulerTick> ticks;
    if (dpi <= 0 || fromPixel > toPixel) return ticks;
    // One step before the millimetre at fromPixel, so that truncation cannot
    // leave out the first tick.
    const int near = static_cast<int>(std::floor(fromPixel * kMmPerInch / dpi));
    for (int mm = floorToMultiple(near, scale.smallMm) - scale.smallMm;; mm += scale.smallMm) {
        const int pixel = rulerPixel(mm, dpi);
        if (pixel > toPixel) break;
        if (pixel < fromPixel) continue;
        ticks.push_back({mm, pixel, sizeOf(scale, mm), mm % scale.labelMm == 0});
    }
    return ticks;
}

std::vector<RulerTick> gridLines(const RulerScale& scale, int dpi, int fromPixel, int toPixel) {
    const TickSize finest = smallestGap(scale.smallMm, dpi) >= kMinGridGap    ? TickSize::Small
                            : smallestGap(scale.middleMm, dpi) >= kMinGridGap ? TickSize::Middle
                                                                              : TickSize::Large;
    std::vector<RulerTick> lines = rulerTicks(scale, dpi, fromPixel, toPixel);
    std::erase_if(lines, [finest](const RulerTick& tick) { return tick.size < finest; });
    return lines;
}

}  // namespace zarvo
