#pragma once
// Found lines and boxes as a small text file, so that a picture's lines are
// worked out once and then read back from the user's cache.
//
//   zarvo-scan-lines 1
//   skew 0.4
//   h POSITION FROM TO THICKNESS      (one per horizontal line, mm)
//   v POSITION FROM TO THICKNESS      (one per vertical line, mm)
//   box LEFT TOP RIGHT BOTTOM INK     (INK 1 for a caption box, else 0)
//   end

#include <optional>
#include <string>
#include <string_view>

#include "stationery/ScanLines.h"

namespace zarvo {

// The most lines or boxes a file may list; more is a damaged file.
inline constexpr std::size_t kMaxScanLinesItems = 100000;

// lines written out as text (numbers to 0.0001 mm).
std::string scanLinesText(const ScanLines& lines);

// The lines in text; nullopt for anything that is not exactly such a file
// (an unknown version, a stray word, a number that is no finite number or out
// of its range, too many items, no closing "end").
std::optional<ScanLines> parseScanLines(std::string_view text);

}  // namespace zarvo
