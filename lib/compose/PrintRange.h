#pragma once
// What the print range dialog's choices print: the page on show, a range or
// every page, optionally several copies, collated or not.

#include <string>

namespace zarvo {

enum class PageRange { ThisPage, All, FromTo };

// The dialog's entries as the user left them; texts as typed (digits).
struct PrintChoice {
    PageRange range = PageRange::ThisPage;
    std::string from;  // first page number, read only for FromTo
    std::string to;    // last page number, read only for FromTo
    bool copies = false;
    std::string copyCount;  // read only when copies is set
    bool collate = true;
};

// One print call: every page once in print mode (allOnce), or the sheets of
// PrintPages(first, last, passes, repeats), 0-based pages.
struct PrintCall {
    bool allOnce = false;
    int first = 0;
    int last = 0;
    int passes = 1;
    int repeats = 1;
};

// The call for choice with the page on show currentPage and the last page
// lastPage (both 0-based). A range is corrected into 1..lastPage + 1 (the
// last page first, a first page beyond it lowered to it). Throws
// ConversionError for a field that is read and is empty or not an integer.
PrintCall choosePrintCall(const PrintChoice& choice, int currentPage, int lastPage);

}  // namespace zarvo
