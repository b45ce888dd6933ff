#pragma once
// How large a PDF file may grow. Qt's PDF writer notes the place of every
// object in the file in an int, so a file past 2 GiB would point its readers
// at wrong places: such a document is refused instead.

#include <cstdint>
#include <limits>

namespace zarvo {

// The most bytes a PDF file may hold.
constexpr std::int64_t kPdfByteLimit = std::numeric_limits<int>::max();

}  // namespace zarvo
