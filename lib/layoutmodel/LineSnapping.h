#pragma once
// Dragged edges snapping to the stationery's ruled lines, found in its scan,
// before the 0.5 mm grid: a frame's edge dropped near a printed line lands
// on it.

#include <cstddef>
#include <optional>
#include <vector>

namespace zarvo {

// How near a dragged edge must come to a printed line to land on it, mm.
inline constexpr double kLineSnapReachMm = 1.0;

// A printed line in the report's row coordinates (mm from the form's
// origin): horizontal lines at y = position from x = from to x = to,
// vertical ones at x = position from y = from to y = to.
struct GuideLine {
    double position = 0;
    double from = 0;
    double to = 0;
};

// Where a point of the stationery picture lies in row coordinates: picture
// is mm from the picture's top-left corner, shift the picture's shift on the
// sheet (the profile's dx or dy), formOrigin where the form's origin lies on
// the sheet (the printer's printable corner plus the header's offset).
double pictureToRow(double picture, double shift, double formOrigin);

// A found line (position, from, to in picture mm) in row coordinates, given
// the shifts across and along it (pictureToRow's shift minus formOrigin).
GuideLine guideLine(double position, double from, double to, double acrossShift, double alongShift);

// Where a dragged edge lands, and on which line.
struct EdgeSnap {
    double value = 0;                // the edge's coordinate after snapping, mm
    std::optional<std::size_t> line;  // the index in guides of the line it landed on; nullopt: grid or none
};

// The edge at v (mm, row coordinates) that runs from alongFrom to alongTo,
// snapped to the nearest guide within reach whose extent overlaps the edge's
// (ties: the first in guides); else, with grid, to the grid counted from
// gridOrigin (snapToGrid); else kept as it is.
EdgeSnap snapEdge(double v, double alongFrom, double alongTo, const std::vector<GuideLine>& guides, bool grid,
                  double gridOrigin, double reach = kLineSnapReachMm);

}  // namespace zarvo
