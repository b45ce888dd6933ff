#pragma once
// The sheets of one print: passes over a range of pages, each page repeated
// within a pass. Sheets are computed, never listed, so a large count costs
// no memory.

#include <cstdint>

namespace zarvo {

class SheetOrder {
public:
    // first, last: 0-based page indexes; passes: runs over the range;
    // repeats: sheets of each page per run. Any of them out of order or
    // below 1 (passes, repeats) gives no sheets.
    SheetOrder(int first, int last, int passes, int repeats);

    // Number of sheets (0 or more).
    std::int64_t count() const { return count_; }

    // The 0-based page of sheet (0 <= sheet < count()), pass-major: the
    // whole range once per pass, each page repeats times in a row.
    int pageOf(std::int64_t sheet) const;

private:
    int first_;
    std::int64_t repeats_;
    std::int64_t sheetsPerPass_ = 0;
    std::int64_t count_ = 0;
};

}  // namespace zarvo
