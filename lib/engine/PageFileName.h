#pragma once
// Names of the page data files of a preview.

#include <string>

namespace zarvo {

// The data file of page (0-based) for the preview whose DataFileStem is
// stem: the data root, the stem, the page index, ".rpt". The root is
// resolved afresh at every call.
std::string pageFileName(const std::string& stem, int page);

// Like pageFileName, and makes sure the file's directory exists as a
// private directory (mode 0700), for writing.
std::string pageFileNameForWriting(const std::string& stem, int page);

}  // namespace zarvo
