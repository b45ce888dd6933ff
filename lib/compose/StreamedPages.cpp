#include "compose/StreamedPages.h"

#include <filesystem>

#include "compose/DataPages.h"
#include "compose/PageFiles.h"
#include "engine/PageFileName.h"

namespace zarvo {

PageSource listedPages(const std::vector<std::string>& files) {
    return {std::int64_t(files.size()), [&files](std::int64_t i) { return files[std::size_t(i)]; }, {}};
}

StreamedPages::StreamedPages(DataPages& pages, std::string stem, std::int64_t first, std::int64_t count, bool keep)
    : pages_(pages), stem_(std::move(stem)), first_(first), count_(count), keep_(keep) {}

StreamedPages::~StreamedPages() { removeLast(); }

PageSource StreamedPages::source() {
    return {count_, [this](std::int64_t i) {
                removeLast();
                written_ = int(i);
                pages_.writePage(stem_, written_, first_ + i);
                return pageFileName(stem_, written_);
            },
            pages_.pictureFolder()};
}

void StreamedPages::removeLast() {
    // Page 0 holds the stem's reservation: were it removed while the print
    // goes on, a job starting in the same second would take the stem, and
    // the WrittenPages of this print would delete that job's page 0.
    // WrittenPages removes it last.
    std::error_code ignored;
    if (written_ > 0 && !keep_) std::filesystem::remove(pageFileName(stem_, written_), ignored);
}

WrittenPages::~WrittenPages() {
    if (!keep_) removePageFiles(pages_.stem(), pages_.lastPage());
}

}  // namespace zarvo
