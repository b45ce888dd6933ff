#pragma once
// The measuring routines of the text layout: how many lines or columns a
// Big5 text needs in a frame, and how many two-byte (D) and one-byte (S)
// characters it holds.

#include <string_view>

namespace zarvo {

// Returned by the measuring routines when the space cannot hold a character.
inline constexpr int kNoRoom = 999;

struct TextCount {
    int count = 0;  // lines or columns
    int D = 0;      // two-byte characters
    int S = 0;      // one-byte characters
};

// Lines the text needs between left and right (device units), half cell H,
// colGap between characters; "~~" breaks a line.
TextCount CountTextLines(int left, int right, int halfCell, std::string_view text, int colGap);

// Columns the text needs between top and bottom, each character cell high;
// "~~" breaks a column.
TextCount CountTextColumns(int top, int bottom, int cell, std::string_view text);

}  // namespace zarvo
