#pragma once
// The values of a data file that their frames cannot hold whole: each page
// laid out as it prints, without drawing, so that a value cut off is found
// before the stationery is used rather than on it.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "compose/DataPages.h"

namespace zarvo {

struct ValueNotFitting {
    std::int64_t page = 0;  // 0-based, as the data preview numbers its pages
    std::string pageName;   // UTF-8: the record's number, or "A1 2/3" for the sheet of an order
    std::string block;      // UTF-8
    std::string value;      // UTF-8, as the data gives it

    bool operator==(const ValueNotFitting&) const = default;
};

// Told after each page how many of how many are done; false stops the check.
using FitProgress = std::function<bool(std::int64_t done, std::int64_t total)>;

// Every value of pages that its block's frame in the report at reportPath
// does not hold whole (a character cut off, a line or column left out),
// laid out as printing lays it out, page by page, at most limit of them.
// Throws ReportError as DataPages does when the data cannot be read.
std::vector<ValueNotFitting> valuesNotFitting(const std::string& reportPath, DataPages& pages, std::size_t limit,
                                              const FitProgress& progress = {});

}  // namespace zarvo
