#pragma once
// Tables of empty boxes under a row of caption boxes on a scanned form: the
// numbered rows of a form's items (品名, 數量, 單價 ...), to become detail
// rows rather than one field per box. No Qt; millimetres, row coordinates.

#include <vector>

#include "layoutmodel/SceneTypes.h"
#include "layoutmodel/StationeryGuides.h"

namespace zarvo {

// The least number of rows a table has.
inline constexpr int kMinTableRows = 3;
// How far the boxes of one row may differ in height, and their columns'
// edges from each other (mm).
inline constexpr double kTableToleranceMm = 0.5;

struct DetailTable {
    std::vector<RectMm> headers;               // the caption box of each column, left to right
    std::vector<std::vector<RectMm>> columns;  // each column's empty boxes, first row first
    int rows() const { return columns.empty() ? 0 : int(columns.front().size()); }
    bool operator==(const DetailTable&) const = default;
};

// The tables among boxes: two or more columns side by side, each a caption
// box over at least kMinTableRows empty boxes stacked edge to edge, all of
// one height and with their left and right edges lined up with the
// caption's, each within kTableToleranceMm; the rows of the columns start
// level and a table has as many rows as its shortest column. In reading
// order, the columns left to right.
std::vector<DetailTable> findDetailTables(const std::vector<GuideBox>& boxes);

}  // namespace zarvo
