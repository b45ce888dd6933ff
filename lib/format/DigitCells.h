#pragma once
// Digit cells: a frame divided into N equal cells, one character of the value
// in each, the value right-aligned, as the boxes of an amount on a cheque or
// a tax form. Pure geometry in the caller's integer units; the caller draws
// each character centred in its cell.

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

namespace zarvo {

// The most cells a block may have (the key `cells` takes 1..kMaxCells).
constexpr int kMaxCells = 100;

// One character of the value and the cell it goes in.
struct CellCharacter {
    std::size_t offset = 0;  // the character's first byte in the text
    std::size_t length = 0;  // its bytes: 2 for a Big5 lead byte and the byte after it, else 1
    int left = 0;            // the cell's left edge, in the frame's units
    int right = 0;           // the cell's right edge; the next cell's left edge

    bool operator==(const CellCharacter&) const = default;
};

// Divides [left, right] into `cells` equal cells (edge k at
// left + k * (right - left) / cells, rounded down, so the cells cover the
// frame exactly and differ by at most one unit) and puts the characters of
// the Big5 text in the rightmost cells, the last character in the last cell.
// Every character counts, "." and "," included; a lead byte at the very end
// counts as a character of one byte. Returns one entry per character, in
// text order (an empty text gives none); nullopt when the text has more
// characters than cells, or cells is not 1..kMaxCells. A frame with
// right < left is taken as empty (all edges at left).
std::optional<std::vector<CellCharacter>> digitCells(int left, int right, int cells, std::string_view big5Text);

}  // namespace zarvo
