#include "layoutmodel/RowShape.h"

#include <algorithm>
#include <cmath>

#include "layoutmodel/Millimetres.h"
#include "report/RowSchema.h"

namespace zarvo {
namespace {

std::optional<double> field(const RowText& row, int index) {
    if (index >= static_cast<int>(row.values.size())) return std::nullopt;
    return parseMillimetres(row.values[static_cast<std::size_t>(index)]);
}

double chebyshevDistance(PointMm a, PointMm b) { return std::max(std::abs(a.x - b.x), std::abs(a.y - b.y)); }

}  // namespace

RectMm RowShape::bounds() const { return kind == RowKind::Line ? rectFromCorners(start, end) : frame; }

std::optional<RowShape> rowShape(RowKind kind, const RowText& row) {
    if (kind == RowKind::Line) {
        const auto x1 = field(row, valueIndex(LineColumn::X1)), y1 = field(row, valueIndex(LineColumn::Y1));
        const auto x2 = field(row, valueIndex(LineColumn::X2)), y2 = field(row, valueIndex(LineColumn::Y2));
        if (!x1 || !y1 || !x2 || !y2) return std::nullopt;
        return RowShape{kind, {}, {*x1, *y1}, {*x2, *y2}};
    }
    const auto left = field(row, valueIndex(FrameColumn::Left)), top = field(row, valueIndex(FrameColumn::Top));
    const auto width = field(row, valueIndex(FrameColumn::Width));
    const auto height = field(row, valueIndex(FrameColumn::Height));
    if (!left || !top || !width || !height) return std::nullopt;
    return RowShape{kind, rectFromCorners({*left, *top}, {*left + *width, *top + *height}), {}, {}};
}

double distanceToSegment(PointMm p, PointMm a, PointMm b) {
    double dx = b.x - a.x;
    double dy = b.y - a.y;
    double lengthSquared = dx * dx + dy * dy;
    double t = lengthSquared > 0 ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / lengthSquared, 0.0, 1.0) : 0.0;
    return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

std::vector<GripPoint> grips(const RowShape& shape) {
    if (shape.kind == RowKind::Line) return {{Grip::Start, shape.start}, {Grip::End, shape.end}};
    const RectMm& r = shape.frame;
    double middleX = (r.left + r.right) / 2;
    double middleY = (r.top + r.bottom) / 2;
    return {
        {Grip::TopLeft, {r.left, r.top}},         {Grip::Top, {middleX, r.top}},
        {Grip::TopRight, {r.right, r.top}},       {Grip::Right, {r.right, middleY}},
        {Grip::BottomRight, {r.right, r.bottom}}, {Grip::Bottom, {middleX, r.bottom}},
        {Grip::BottomLeft, {r.left, r.bottom}},   {Grip::Left, {r.left, middleY}},
    };
}

std::optional<Grip> gripAt(const RowShape& shape, PointMm p, double radius) {
    std::optional<Grip> nearest;
    double nearestDistance = radius;
    for (const GripPoint& grip : grips(shape)) {
        double distance = chebyshevDistance(grip.at, p);
        if (distance < nearestDistance || (!nearest && distance <= nearestDistance)) {
            nearest = grip.grip;
            nearestDistance = distance;
        }
    }
    return nearest;
}

}  // namespace zarvo
