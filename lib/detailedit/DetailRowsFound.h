#pragma once
// Which detail rows a report's blocks make: the field names that the blocks
// selected on the Layout page propose (item3, qty3 -> item, qty), and how
// many rows of those fields the numbered blocks give (item1 ... item10).
// Names are Big5 bytes as the report holds them. No widgets.

#include <string>
#include <vector>

namespace zarvo {

// The names of selectedNames less their trailing digits, each once, in
// order; a name without a trailing number, or nothing but digits, proposes
// none.
std::vector<std::string> proposedDetailFields(const std::vector<std::string>& selectedNames);

struct DetailRowsFound {
    // How many rows n, from 1 up, have the block Fn of every field F.
    int rows = 0;
    // The blocks that rows after those lack, up to the last row any field
    // reaches (item11 there, qty11 not: qty11), in row and field order.
    std::vector<std::string> missing;
    // The fields without even a first row (no F1), in order.
    std::vector<std::string> fieldsWithoutRows;
    bool operator==(const DetailRowsFound&) const = default;
};

// The rows that the blocks named blockNames give fields.
DetailRowsFound findDetailRows(const std::vector<std::string>& fields, const std::vector<std::string>& blockNames);

// The rows found as the dialog shows them (UTF-8): "10 列: item1 … item10",
// then what is missing; a hint when there are no fields.
std::string detailRowsText(const std::vector<std::string>& fields, const DetailRowsFound& found);

// The names of a text typed in the dialog, in order: detailWords with a
// full-width blank taken as a blank.
std::vector<std::string> typedDetailWords(const std::string& text);

}  // namespace zarvo
