#pragma once
// One order spread over the sheets of a form with detail rows: which items
// each sheet takes, and the field records that fill each sheet, with page
// numbers, column sums, last-sheet fields and carried totals applied.
//
// Without carry a sheet takes `rows` items. With carry=yes an order that
// fits on one sheet takes all `rows` rows; a longer one gives up the last
// row of every sheet but its last ("過次頁" and the running sums) and the
// first row of every sheet but its first ("承上頁" and the sums carried in),
// so its first sheet takes rows-1 items, each middle sheet rows-2 and its
// last sheet up to rows-1.

#include <cstdint>
#include <string>
#include <vector>

#include "detail/DetailSpec.h"
#include "report/DataFile.h"

namespace zarvo {

// One order: its own fields (Big5 names and values) and its items, each the
// values of the detail fields it has.
struct DetailOrder {
    std::int64_t number = 1;  // from 1, in file order, for messages
    std::vector<DataField> fields;
    std::vector<std::vector<DataField>> items;
};

// The items each sheet takes, in order: [first, first + count).
struct SheetSpan {
    std::int64_t first = 0;
    std::int64_t count = 0;
    bool operator==(const SheetSpan&) const = default;
};

// How itemCount items lie on the sheets of spec's form (at least one sheet).
std::vector<SheetSpan> detailSpans(const DetailSpec& spec, std::int64_t itemCount);

// The field records of each sheet of order, in drawing order: the order's
// fields (those in `last` on the last sheet only; those named like a
// detail, page or sum block left out), then the rows, then page and pages,
// then the sum blocks. Throws ReportError when a summed value is not a
// number, naming the order, the item and the field.
std::vector<std::vector<DataField>> detailSheets(const DetailSpec& spec, const DetailOrder& order);

// What names an order in a page list, UTF-8: its first value, or its number
// when it has no value.
std::string orderLabel(const DetailOrder& order);
// The name of sheet (from 1) of an order's sheets: "A1 2/3".
std::string detailSheetName(const std::string& orderLabel, std::int64_t sheet, std::int64_t sheets);

}  // namespace zarvo
