#pragma once
// The pages of a print, asked for one at a time: a list of page data files,
// or the records of a data file whose page data files are written only
// when wanted, so nothing grows with the number of records.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/PageSequence.h"

namespace zarvo {

class DataPages;

// The pages to compose, by index: count of them, file(i) naming the data
// file of page i (asked for in order, once each).
struct PageSource {
    std::int64_t count = 0;
    std::function<std::string(std::int64_t)> file;
    // The folder (UTF-8) picture names in the pages' values are relative
    // to: the data file's; empty: each report's own.
    std::string pictureFolder;
};

// The given page data files, in order (files must outlive the source).
PageSource listedPages(const std::vector<std::string>& files);

// One page a record of a data file: each page's data file is written when
// it is wanted and the one before it removed (unless keep is set), except
// page 0, the stem's reservation, which the print's WrittenPages removes.
class StreamedPages {
public:
    // count pages from page first of pages, written under stem.
    StreamedPages(DataPages& pages, std::string stem, std::int64_t first, std::int64_t count, bool keep);
    ~StreamedPages();
    StreamedPages(const StreamedPages&) = delete;
    StreamedPages& operator=(const StreamedPages&) = delete;

    // Valid while this object lives.
    PageSource source();

private:
    void removeLast();

    DataPages& pages_;
    std::string stem_;
    std::int64_t first_;
    std::int64_t count_;
    bool keep_;
    int written_ = -1;
};

// Deletes the page data files a sequence wrote (its reserved page 0
// included) when it goes, unless they are to be kept.
class WrittenPages {
public:
    WrittenPages(const PageSequence& pages, bool keep) : pages_(pages), keep_(keep) {}
    ~WrittenPages();
    WrittenPages(const WrittenPages&) = delete;
    WrittenPages& operator=(const WrittenPages&) = delete;

private:
    const PageSequence& pages_;
    bool keep_;
};

}  // namespace zarvo
