#include "compose/PrintRange.h"

#include <algorithm>

#include "report/ReportReader.h"

namespace zarvo {

PrintCall choosePrintCall(const PrintChoice& choice, int currentPage, int lastPage) {
    const int pageCount = lastPage + 1;
    int from = 0;
    int to = 0;
    if (choice.range == PageRange::FromTo) {
        from = strictToInt(choice.from);
        to = strictToInt(choice.to);
        // The order matters: the last page is settled first, and a first
        // page beyond it follows it down.
        to = std::max(to, 1);
        from = std::max(from, 1);
        to = std::min(to, pageCount);
        from = std::min(from, to);
    }
    const int copies = choice.copies ? strictToInt(choice.copyCount) : 1;

    PrintCall call;
    switch (choice.range) {
        case PageRange::ThisPage:
            call.first = call.last = currentPage;
            break;
        case PageRange::FromTo:
            call.first = from - 1;
            call.last = to - 1;
            break;
        case PageRange::All:
            if (!choice.copies) {
                call.allOnce = true;
                return call;
            }
            call.first = 0;
            call.last = lastPage;
            break;
    }
    // The page on show always prints its copies as passes; a range or every
    // page prints collated copies as passes, uncollated as repeats.
    if (choice.range != PageRange::ThisPage && !choice.collate) {
        call.repeats = copies;
    } else {
        call.passes = copies;
    }
    return call;
}

}  // namespace zarvo
