#include "layoutmodel/LayoutScene.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace zarvo {
namespace {

constexpr RowKind kTopmostFirst[] = {RowKind::Block, RowKind::Label, RowKind::Line};
constexpr RowKind kSceneOrder[] = {RowKind::Line, RowKind::Label, RowKind::Block};

bool hits(const RowShape& shape, PointMm p, double lineTolerance) {
    if (shape.kind == RowKind::Line) return distanceToSegment(p, shape.start, shape.end) <= lineTolerance;
    const RectMm& r = shape.frame;
    return p.x >= r.left && p.x <= r.right && p.y >= r.top && p.y <= r.bottom;
}

bool isInside(const RectMm& inner, const RectMm& outer) {
    return inner.left >= outer.left && inner.right <= outer.right && inner.top >= outer.top &&
           inner.bottom <= outer.bottom;
}

bool overlaps(const RectMm& a, const RectMm& b) {
    return a.left <= b.right && b.left <= a.right && a.top <= b.bottom && b.top <= a.bottom;
}

// Whether the segment a-b has a point in rect: the segment clipped to each
// of the rectangle's four half-planes in turn (Liang and Barsky) keeps some
// part of it.
bool crosses(PointMm a, PointMm b, const RectMm& rect) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    // For each edge: the segment's speed away from the inside and its
    // start's distance inside.
    const double away[] = {-dx, dx, -dy, dy};
    const double inside[] = {a.x - rect.left, rect.right - a.x, a.y - rect.top, rect.bottom - a.y};
    double enter = 0, leave = 1;
    for (int edge = 0; edge < 4; ++edge) {
        if (away[edge] == 0) {
            if (inside[edge] < 0) return false;
            continue;
        }
        const double t = inside[edge] / away[edge];
        if (away[edge] < 0) {
            enter = std::max(enter, t);
        } else {
            leave = std::min(leave, t);
        }
        if (enter > leave) return false;
    }
    return true;
}

bool touches(const RowShape& shape, const RectMm& rect) {
    if (shape.kind == RowKind::Line) return crosses(shape.start, shape.end, rect);
    return overlaps(shape.frame, rect);
}

// index must lie in [0, end).
void checkIndex(int index, std::size_t end) {
    if (index < 0 || static_cast<std::size_t>(index) >= end)
        throw std::out_of_range("row index " + std::to_string(index) + " not below " + std::to_string(end));
}

}  // namespace

LayoutScene::List& LayoutScene::list(RowKind kind) { return lists_.at(static_cast<std::size_t>(kind)); }

const LayoutScene::List& LayoutScene::list(RowKind kind) const { return lists_.at(static_cast<std::size_t>(kind)); }

void LayoutScene::setRows(RowKind kind, std::vector<RowText> rows) {
    List& target = list(kind);
    target.shapes.clear();
    target.shapes.reserve(rows.size());
    for (const RowText& row : rows) target.shapes.push_back(rowShape(kind, row));
    target.rows = std::move(rows);
}

const std::vector<RowText>& LayoutScene::rows(RowKind kind) const { return list(kind).rows; }

int LayoutScene::rowCount(RowKind kind) const { return static_cast<int>(list(kind).rows.size()); }

bool LayoutScene::contains(RowRef ref) const {
    return ref.kind != RowKind::Form && ref.index >= 0 && ref.index < rowCount(ref.kind);
}

const RowText& LayoutScene::row(RowRef ref) const {
    return list(ref.kind).rows.at(static_cast<std::size_t>(ref.index));
}

const std::optional<RowShape>& LayoutScene::shape(RowRef ref) const {
    return list(ref.kind).shapes.at(static_cast<std::size_t>(ref.index));
}

void LayoutScene::apply(const RowChange& change) {
    // The form's row is the document's alone: the scene has no shape for it.
    if (change.kind == RowKind::Form) return;
    List& target = list(change.kind);
    checkIndex(change.index, target.rows.size() + (change.before ? 0 : 1));
    auto at = static_cast<std::size_t>(change.index);
    if (change.before && change.after) {
        target.rows[at] = *change.after;
        target.shapes[at] = rowShape(change.kind, *change.after);
    } else if (change.after) {
        target.rows.insert(target.rows.begin() + change.index, *change.after);
        target.shapes.insert(target.shapes.begin() + change.index, rowShape(change.kind, *change.after));
    } else if (change.before) {
        target.rows.erase(target.rows.begin() + change.index);
        target.shapes.erase(target.shapes.begin() + change.index);
    }
}

void LayoutScene::apply(const EditStep& step) {
    for (const RowChange& change : step) apply(change);
}

std::optional<RowRef> LayoutScene::rowAt(PointMm p, double lineTolerance) const {
    for (RowKind kind : kTopmostFirst) {
        const auto& shapes = list(kind).shapes;
        for (std::size_t i = shapes.size(); i-- > 0;)
            if (shapes[i] && hits(*shapes[i], p, lineTolerance)) return RowRef{kind, static_cast<int>(i)};
    }
    return std::nullopt;
}

template <typename Keep>
std::vector<RowRef> LayoutScene::rowsWhere(Keep keep) const {
    std::vector<RowRef> kept;
    for (RowKind kind : kSceneOrder) {
        const auto& shapes = list(kind).shapes;
        for (std::size_t i = 0; i < shapes.size(); ++i)
            if (shapes[i] && keep(*shapes[i])) kept.push_back({kind, static_cast<int>(i)});
    }
    return kept;
}

std::vector<RowRef> LayoutScene::rowsInside(const RectMm& rect) const {
    const RectMm band = rectFromCorners({rect.left, rect.top}, {rect.right, rect.bottom});
    return rowsWhere([&](const RowShape& shape) { return isInside(shape.bounds(), band); });
}

std::vector<RowRef> LayoutScene::rowsTouching(const RectMm& rect) const {
    const RectMm band = rectFromCorners({rect.left, rect.top}, {rect.right, rect.bottom});
    return rowsWhere([&](const RowShape& shape) { return touches(shape, band); });
}

std::vector<RowRef> LayoutScene::rowsOutside(const RectMm& rect) const {
    const RectMm area = rectFromCorners({rect.left, rect.top}, {rect.right, rect.bottom});
    return rowsWhere([&](const RowShape& shape) { return !touches(shape, area); });
}

std::vector<RowRef> LayoutScene::allRows() const {
    std::vector<RowRef> all;
    for (RowKind kind : kSceneOrder)
        for (int i = 0; i < rowCount(kind); ++i) all.push_back({kind, i});
    return all;
}

}  // namespace zarvo
