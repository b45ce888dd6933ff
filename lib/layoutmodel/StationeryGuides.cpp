#include "layoutmodel/StationeryGuides.h"

#include <algorithm>

#include "layoutmodel/RowEdits.h"

namespace zarvo {

StationeryGuides stationeryGuides(const ScanLines& found, PointMm pictureShift, PointMm formOrigin) {
    const double dx = pictureToRow(0, pictureShift.x, formOrigin.x);
    const double dy = pictureToRow(0, pictureShift.y, formOrigin.y);
    StationeryGuides guides;
    for (const ScanLine& line : found.horizontal) {
        guides.horizontal.push_back(guideLine(line.position, line.from, line.to, dy, dx));
    }
    for (const ScanLine& line : found.vertical) {
        guides.vertical.push_back(guideLine(line.position, line.from, line.to, dx, dy));
    }
    for (const ScanBox& box : found.boxes) {
        guides.boxes.push_back({RectMm{box.left + dx, box.top + dy, box.right + dx, box.bottom + dy}, box.hasInk});
    }
    return guides;
}

std::optional<RectMm> emptyBoxAt(const StationeryGuides& guides, PointMm p) {
    std::optional<RectMm> smallest;
    const auto area = [](const RectMm& r) { return (r.right - r.left) * (r.bottom - r.top); };
    for (const GuideBox& box : guides.boxes) {
        const RectMm& r = box.frame;
        if (box.hasInk || p.x < r.left || p.x > r.right || p.y < r.top || p.y > r.bottom) continue;
        if (!smallest || area(r) < area(*smallest)) smallest = r;
    }
    return smallest;
}

RectMm insetFrame(const RectMm& box, double margin) {
    const double across = std::min(margin, (box.right - box.left) / 2);
    const double down = std::min(margin, (box.bottom - box.top) / 2);
    return {box.left + across, box.top + down, box.right - across, box.bottom - down};
}

EditStep fitFrameStep(const LayoutScene& scene, RowRef ref, const RectMm& frame) {
    if (ref.kind != RowKind::Block && ref.kind != RowKind::Label) return {};
    const std::optional<RowShape>& shape = scene.shape(ref);
    if (!shape) return {};
    const RowText& before = scene.row(ref);
    // Moved first, so that the far corner is never dragged past the near one.
    const RowText moved = movedRow(ref.kind, before, frame.left - shape->frame.left, frame.top - shape->frame.top);
    RowText after = resizedRow(ref.kind, moved, Grip::BottomRight, {frame.right, frame.bottom});
    if (after == before) return {};
    return {RowChange{ref.kind, ref.index, before, std::move(after)}};
}

EditStep fitFramesStep(const LayoutScene& scene, const std::vector<RowRef>& refs, const StationeryGuides& guides,
                       double margin) {
    EditStep step;
    for (RowRef ref : refs) {
        const std::optional<RowShape>& shape = scene.shape(ref);
        if (!shape) continue;
        const RectMm& frame = shape->frame;
        const std::optional<RectMm> box =
            emptyBoxAt(guides, PointMm{(frame.left + frame.right) / 2, (frame.top + frame.bottom) / 2});
        if (!box) continue;
        const EditStep fitted = fitFrameStep(scene, ref, insetFrame(*box, margin));
        step.insert(step.end(), fitted.begin(), fitted.end());
    }
    return step;
}

}  // namespace zarvo
