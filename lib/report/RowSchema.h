#pragma once
// The columns of a report file's rows, in the order a row holds them: the
// one description of a row that the report reader, the designer's lists and
// editors and the Layout page share.

#include <array>
#include <string_view>

namespace zarvo {

// A column: its name, as messages name it, and whether the reader takes
// it as a whole number (a code) rather than a decimal (millimetres).
struct RowColumn {
    std::string_view name;
    bool whole;
};

// LINE_INFO rows: the style and width codes, then the two ends in mm.
enum class LineColumn { Style, Width, X1, Y1, X2, Y2 };
inline constexpr std::array<RowColumn, 6> kLineColumns = {{
    {"style", true}, {"width", true}, {"x1", false}, {"y1", false}, {"x2", false}, {"y2", false}}};

// LABEL_STRING and BLOCK_INFO rows: twelve numbers, then the caption or
// block name (one field of Big5 text).
enum class FrameColumn { Style, Left, Top, Width, Height, RowGap, ColGap, Distributed, Font, YChar, XMargin, YMargin, Label };
inline constexpr std::array<RowColumn, 13> kFrameColumns = {{{"style", true},
                                                              {"left", false},
                                                              {"top", false},
                                                              {"width", false},
                                                              {"height", false},
                                                              {"rowgap", false},
                                                              {"colgap", false},
                                                              {"distributed", true},
                                                              {"font", true},
                                                              {"ychar", false},
                                                              {"xmargin", false},
                                                              {"ymargin", false},
                                                              {"label", false}}};

constexpr int column(LineColumn c) { return static_cast<int>(c); }
constexpr int column(FrameColumn c) { return static_cast<int>(c); }

// A row in the designer's lists is its caption and its other columns'
// texts, the values: a line row's caption is its first column (the style),
// a frame row's its last (the label).
inline constexpr int kLineValueCount = int(kLineColumns.size()) - 1;
inline constexpr int kFrameValueCount = int(kFrameColumns.size()) - 1;
// Where a column's text stands among a list row's values.
constexpr int valueIndex(LineColumn c) { return column(c) - 1; }
constexpr int valueIndex(FrameColumn c) { return column(c); }

}  // namespace zarvo
