#include "layoutmodel/Zoom.h"

#include <algorithm>
#include <cmath>

namespace zarvo {
namespace {

// Keeps a fit that lands exactly on a whole dpi from losing it to rounding.
constexpr double kFitSlack = 1e-9;

}  // namespace

int zoomIn(int dpi) {
    auto above = std::upper_bound(kZoomSteps.begin(), kZoomSteps.end(), dpi);
    return above == kZoomSteps.end() ? kZoomSteps.back() : *above;
}

int zoomOut(int dpi) {
    auto notBelow = std::lower_bound(kZoomSteps.begin(), kZoomSteps.end(), dpi);
    return notBelow == kZoomSteps.begin() ? kZoomSteps.front() : *(notBelow - 1);
}

int fitDpi(double lengthMm, int pixels) {
    if (!(lengthMm > 0)) return kZoomSteps.back();
    double dpi = pixels * kMmPerInch / lengthMm + kFitSlack;
    return static_cast<int>(std::floor(std::clamp<double>(dpi, kZoomSteps.front(), kZoomSteps.back())));
}

std::string zoomText(int dpi) { return std::to_string(std::lround(dpi * 100.0 / kLayoutBaseDpi)) + " %"; }

double mmToPixels(double mm, int dpi) { return std::round(mmToDots(mm, dpi)); }

}  // namespace zarvo
