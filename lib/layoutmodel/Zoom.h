#pragma once
// The Layout page's zoom: the engine's resolution in whole dots per inch,
// 114 being 100 %.

#include <array>
#include <string>

#include "report/Units.h"

namespace zarvo {

inline constexpr int kLayoutBaseDpi = kPreviewDpi;
// 25 %, 50 %, 75 %, 100 %, 150 %, 200 %, 400 % and 800 %.
inline constexpr std::array<int, 8> kZoomSteps{29, 57, 86, 114, 171, 228, 456, 912};

// The first step above dpi, or the last step; the last step below dpi, or
// the first step.
int zoomIn(int dpi);
int zoomOut(int dpi);

// The largest whole dpi at which lengthMm spans at most pixels, held to the
// steps' range (a fit never zooms beyond 800 % or below 25 %).
int fitDpi(double lengthMm, int pixels);

// The zoom as the combo box shows it: dpi * 100 / 114 rounded, "25 %".
std::string zoomText(int dpi);

// Millimetres to the nearest whole pixel at dpi.
double mmToPixels(double mm, int dpi);

}  // namespace zarvo
