#pragma once
// The Layout page's rows as its model sees them: the texts of a list row,
// which list it belongs to, and points and rectangles in millimetres of the
// report's row coordinates (x to the right, y down).

#include <compare>
#include <optional>
#include <string>
#include <vector>

namespace zarvo {

// The three lists the Layout page edits, in their stacking order, lowest
// first: blocks lie over labels, labels over lines. Form stands for the form
// as a whole, one row that no list holds: its caption is the header's paper
// code and its one value the form profile's text, so that a change of the
// paper or of a block's profile section is a step like any other.
enum class RowKind { Line = 0, Label = 1, Block = 2, Form = 3 };
inline constexpr int kRowKindCount = 3;

// A list row as text (UTF-8), exactly as the list holds it. A line's caption
// is its style and its values are width, x1, y1, x2, y2; a frame's (label's
// or block's) caption is its name and its values style, left, top, width,
// height, rowgap, colgap, distribution, font, ychar, xmargin, ymargin.
struct RowText {
    std::string caption;
    std::vector<std::string> values;
    bool operator==(const RowText&) const = default;
};

// A row of one list by its index in that list.
struct RowRef {
    RowKind kind = RowKind::Line;
    int index = 0;
    auto operator<=>(const RowRef&) const = default;
};

struct PointMm {
    double x = 0;
    double y = 0;
    bool operator==(const PointMm&) const = default;
};

// A rectangle; normalised ones have left <= right and top <= bottom.
struct RectMm {
    double left = 0;
    double top = 0;
    double right = 0;
    double bottom = 0;
    bool operator==(const RectMm&) const = default;
};

// The rectangle spanned by two corners, normalised.
RectMm rectFromCorners(PointMm a, PointMm b);

// One change of a list, applied in a step's order: a row replaced (before
// and after), inserted at index (no before) or removed from index (no after).
struct RowChange {
    RowKind kind = RowKind::Line;
    int index = 0;
    std::optional<RowText> before;
    std::optional<RowText> after;
    bool operator==(const RowChange&) const = default;
};

// What one edit did, in order; one undo step.
using EditStep = std::vector<RowChange>;

// The step that undoes step: each change inverted, in reverse order.
EditStep invertedStep(const EditStep& step);

}  // namespace zarvo
