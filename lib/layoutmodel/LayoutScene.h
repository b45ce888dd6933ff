#pragma once
// The rows of the three lists as the Layout page holds them, with each row's
// shape kept current, and the questions asked of them: which row lies under
// the pointer, which rows a rubber band holds.

#include <array>
#include <optional>
#include <vector>

#include "layoutmodel/RowShape.h"
#include "layoutmodel/SceneTypes.h"

namespace zarvo {

class LayoutScene {
public:
    // Replaces the rows of kind's list.
    void setRows(RowKind kind, std::vector<RowText> rows);
    const std::vector<RowText>& rows(RowKind kind) const;
    int rowCount(RowKind kind) const;
    bool contains(RowRef ref) const;
    // The row and its shape (nullopt: not readable); ref must be contained.
    const RowText& row(RowRef ref) const;
    const std::optional<RowShape>& shape(RowRef ref) const;

    // Applies a change or every change of a step in order; each change's
    // index must be valid for the lists as they are when it is applied
    // (insertions up to the row count). Throws std::out_of_range otherwise,
    // leaving the scene as the changes before it left it.
    void apply(const RowChange& change);
    void apply(const EditStep& step);

    // The topmost row at p: blocks over labels over lines, within a list
    // the later row over the earlier. A frame is hit inside its rectangle,
    // edges included; a line within lineTolerance mm of its segment.
    std::optional<RowRef> rowAt(PointMm p, double lineTolerance) const;

    // Every row whose shape lies wholly inside rect, lines first, then
    // labels, then blocks, each in list order.
    std::vector<RowRef> rowsInside(const RectMm& rect) const;
    // Every row whose shape has a point in rect (edges included), in the
    // same order: a frame that overlaps or touches it, a line that crosses
    // or ends in it.
    std::vector<RowRef> rowsTouching(const RectMm& rect) const;
    // Every row whose shape has no point in rect, in the same order: what
    // lies wholly off the sheet when rect is the sheet.
    std::vector<RowRef> rowsOutside(const RectMm& rect) const;
    // Every row, in the same order.
    std::vector<RowRef> allRows() const;

private:
    struct List {
        std::vector<RowText> rows;
        std::vector<std::optional<RowShape>> shapes;
    };
    // The rows with a shape that satisfies keep, in scene order.
    template <typename Keep>
    std::vector<RowRef> rowsWhere(Keep keep) const;
    List& list(RowKind kind);
    const List& list(RowKind kind) const;

    std::array<List, kRowKindCount> lists_;
};

}  // namespace zarvo
