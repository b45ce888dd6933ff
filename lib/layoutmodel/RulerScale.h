#pragma once
// The Layout page's rulers and millimetre grid: which millimetres get a
// tick or a grid line, how long a tick is, which ticks are labelled, and
// the pixel each lies on. The pixel of m mm is where the engine draws a
// line m mm from the printer origin, so the rulers measure the drawing
// itself at every zoom.

#include <vector>

namespace zarvo {

// The lengths of ticks, shortest first.
enum class TickSize { Small = 0, Middle = 1, Large = 2 };

// The millimetre steps of the three tick sizes and of the labels; every
// step is a multiple of the one before.
struct RulerScale {
    int smallMm = 1;
    int middleMm = 5;
    int largeMm = 10;
    int labelMm = 10;
    bool operator==(const RulerScale&) const = default;
};

struct RulerTick {
    int mm = 0;
    // Pixels from the printer origin's pixel.
    int pixel = 0;
    TickSize size = TickSize::Small;
    bool labelled = false;
    bool operator==(const RulerTick&) const = default;
};

// The fewest pixels from one tick to the next, wherever whole pixels fall:
// a blank pixel between ticks; grid lines are kept further apart.
inline constexpr int kMinTickGap = 2;
inline constexpr int kMinGridGap = 3;
// The grid lines drawn stronger, every so many millimetres.
inline constexpr int kGridEmphasisMm = 10;

// Pixels from the printer origin's pixel of m mm from it at dpi, as the
// engine converts a line's place (truncated toward zero).
int rulerPixel(int mm, int dpi);

// The fewest pixels between lines stepMm apart at dpi, wherever the
// truncation to whole pixels falls (across the origin too).
int smallestGap(int stepMm, int dpi);

// The scale at dpi: 1, 5 and 10 mm ticks where 1 mm leaves kMinTickGap,
// else 5, 10 and 50 mm; labels on the large ticks, or on every 50, 100 or
// 500 mm, the first step whose labels lie at least labelPixels apart.
RulerScale rulerScale(int dpi, int labelPixels);

// The ticks of scale at dpi whose pixels lie in [fromPixel, toPixel], in
// order.
std::vector<RulerTick> rulerTicks(const RulerScale& scale, int dpi, int fromPixel, int toPixel);

// The grid lines of scale at dpi in [fromPixel, toPixel], in order: the
// ticks of the smallest size whose step leaves kMinGridGap, and those
// larger.
std::vector<RulerTick> gridLines(const RulerScale& scale, int dpi, int fromPixel, int toPixel);

}  // namespace zarvo
