#include "layoutmodel/RowEdits.h"

#include <algorithm>

#include "layoutmodel/Millimetres.h"
#include "report/RowSchema.h"

namespace zarvo {
namespace {


// Which edge of a frame a grip holds on each axis: -1 the low one (left or
// top), 1 the high one, 0 neither; in the order of Grip.
struct HeldEdges {
    int horizontal;
    int vertical;
};
constexpr HeldEdges kFrameGripEdges[] = {{-1, -1}, {0, -1}, {1, -1}, {1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}};

bool isFrameGrip(Grip grip) { return grip < Grip::Start; }

// The fields of a readable row hold decimals, so they parse.
double fieldValue(const RowText& row, int index) {
    return *parseMillimetres(row.values[static_cast<std::size_t>(index)]);
}

void shiftField(RowText& row, int index, double d) {
    if (d != 0) row.values[static_cast<std::size_t>(index)] = formatTenths(fieldValue(row, index) + d);
}

// Writes value unless the field holds it already, exactly or to 0.1 mm.
void setField(RowText& row, int index, double value) {
    double old = fieldValue(row, index);
    if (value != old && roundToTenth(value) != old) row.values[static_cast<std::size_t>(index)] = formatTenths(value);
}

// One axis of a frame spanning low..high with the held edge dragged to v,
// never past the other edge: its start and size fields.
void dragEdge(RowText& row, int startField, int sizeField, double low, double high, int held, double v) {
    if (held == 0) return;
    if (held < 0) {
        low = std::min(v, high);
    } else {
        high = std::max(v, low);
    }
    setField(row, startField, low);
    setField(row, sizeField, high - low);
}

std::vector<RowRef> sortedUnique(std::vector<RowRef> refs) {
    std::sort(refs.begin(), refs.end());
    refs.erase(std::unique(refs.begin(), refs.end()), refs.end());
    return refs;
}

}  // namespace

RowText movedRow(RowKind kind, const RowText& row, double dx, double dy) {
    if (!rowShape(kind, row)) return row;
    RowText moved = row;
    if (kind == RowKind::Line) {
        shiftField(moved, valueIndex(LineColumn::X1), dx);
        shiftField(moved, valueIndex(LineColumn::Y1), dy);
        shiftField(moved, valueIndex(LineColumn::X2), dx);
        shiftField(moved, valueIndex(LineColumn::Y2), dy);
    } else {
        shiftField(moved, valueIndex(FrameColumn::Left), dx);
        shiftField(moved, valueIndex(FrameColumn::Top), dy);
    }
    return moved;
}

RowText resizedRow(RowKind kind, const RowText& row, Grip grip, PointMm p) {
    std::optional<RowShape> shape = rowShape(kind, row);
    if (!shape || (kind == RowKind::Line) == isFrameGrip(grip)) return row;
    RowText resized = row;
    if (kind == RowKind::Line) {
        bool start = grip == Grip::Start;
        setField(resized, start ? valueIndex(LineColumn::X1) : valueIndex(LineColumn::X2), p.x);
        setField(resized, start ? valueIndex(LineColumn::Y1) : valueIndex(LineColumn::Y2), p.y);
        return resized;
    }
    const RectMm& r = shape->frame;
    HeldEdges held = kFrameGripEdges[static_cast<int>(grip)];
    dragEdge(resized, valueIndex(FrameColumn::Left), valueIndex(FrameColumn::Width), r.left, r.right,
             held.horizontal, p.x);
    dragEdge(resized, valueIndex(FrameColumn::Top), valueIndex(FrameColumn::Height), r.top, r.bottom,
             held.vertical, p.y);
    return resized;
}

EditStep moveStep(const LayoutScene& scene, const std::vector<RowRef>& refs, double dx, double dy) {
    EditStep step;
    for (RowRef ref : sortedUnique(refs)) {
        const RowText& before = scene.row(ref);
        RowText after = movedRow(ref.kind, before, dx, dy);
        if (after != before) step.push_back({ref.kind, ref.index, before, std::move(after)});
    }
    return step;
}

EditStep removeStep(const LayoutScene& scene, std::vector<RowRef> refs) {
    EditStep step;
    std::vector<RowRef> sorted = sortedUnique(std::move(refs));
    for (auto ref = sorted.rbegin(); ref != sorted.rend(); ++ref)
        step.push_back({ref->kind, ref->index, scene.row(*ref), std::nullopt});
    return step;
}

}  // namespace zarvo
