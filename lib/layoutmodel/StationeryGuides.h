#pragma once
// The stationery's ruled lines and boxes, found in its scan, placed in the
// report's row coordinates: what dragged edges snap to and what a frame is
// fitted to.

#include <optional>
#include <vector>

#include "layoutmodel/FoundLines.h"
#include "layoutmodel/LayoutScene.h"
#include "layoutmodel/LineSnapping.h"
#include "layoutmodel/SceneTypes.h"

namespace zarvo {

// A box closed by ruled lines, in row coordinates, the middles of its lines.
struct GuideBox {
    RectMm frame;
    bool hasInk = false;  // printed ink inside it (a caption box)
    bool operator==(const GuideBox&) const = default;
};

struct StationeryGuides {
    std::vector<GuideLine> horizontal;  // at y = position, from x = from to x = to
    std::vector<GuideLine> vertical;    // at x = position, from y = from to y = to
    std::vector<GuideBox> boxes;
    bool empty() const { return horizontal.empty() && vertical.empty(); }
};

// The lines and boxes of found (picture mm, after straightening) in row
// coordinates: the picture's top-left lies at pictureShift on the sheet (the
// profile's dx, dy), the form's origin at formOrigin (the printer's
// printable corner plus the header's offset).
StationeryGuides stationeryGuides(const ScanLines& found, PointMm pictureShift, PointMm formOrigin);

// The smallest box of guides without printed ink that holds p (mm, row
// coordinates, its lines included); nullopt when none does.
std::optional<RectMm> emptyBoxAt(const StationeryGuides& guides, PointMm p);

// box less margin mm on every side; a box too small for the margin gives
// its centre line rather than a frame turned inside out.
RectMm insetFrame(const RectMm& box, double margin);

// The step that gives the frame row ref (a label or block) of scene the
// rectangle frame, to 0.1 mm; empty when ref is no frame or nothing changes.
EditStep fitFrameStep(const LayoutScene& scene, RowRef ref, const RectMm& frame);

// One step that fits every frame of refs to the empty box its middle lies
// in, less margin mm; rows in no box, and lines, stay as they are.
EditStep fitFramesStep(const LayoutScene& scene, const std::vector<RowRef>& refs, const StationeryGuides& guides,
                       double margin);

}  // namespace zarvo
