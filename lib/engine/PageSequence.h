#pragma once
// The page data files of one preview or print: the stem they are named by
// and the last page started.

#include <functional>
#include <string>

namespace zarvo {

class PageSequence {
public:
    // stem: the files' stem below the data root ("/QEL/Tmp/1733812345"); no page started.
    explicit PageSequence(std::string stem = {}) : stem_(std::move(stem)) {}

    const std::string& stem() const { return stem_; }
    // The last page started (0-based); -1 when none.
    int lastPage() const { return lastPage_; }
    // Takes pages 0 to page as started (written elsewhere, or on demand).
    void setLastPage(int page) { lastPage_ = page; }
    // Starts the next page, tells onPageStarted, and returns its index.
    int startPage();

    // Told the index of every page startPage starts; may be empty.
    std::function<void(int page)> onPageStarted;

private:
    std::string stem_;
    int lastPage_ = -1;
};

}  // namespace zarvo
