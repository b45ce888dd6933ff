#pragma once
// The ruled lines and boxes printed on the stationery (solid or dotted, in any
// dark ink), found in a scan of it.

#include <optional>

#include "layoutmodel/FoundLines.h"

class QImage;

namespace zarvo {

// The largest skew the search looks for, degrees either way.
inline constexpr double kMaxScanSkewDegrees = 1.5;

// The lines and boxes in scan (any format; colour counts as its darkest
// channel, so red and blue print are ink) at dpi dots per inch. skewDegrees
// fixes the skew instead of measuring it. An empty scan or a dpi outside
// isPlausibleDpi gives no lines.
ScanLines detectScanLines(const QImage& scan, double dpi, std::optional<double> skewDegrees = std::nullopt);

}  // namespace zarvo
