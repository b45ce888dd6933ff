#pragma once
// The options of a CUPS job: the paper's media name, and what is sent so
// that every sheet comes out once, unscaled and unturned.

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/Paper.h"

namespace zarvo {

using JobOption = std::pair<std::string, std::string>;  // name, value

// The IPP media name of a paper size, e.g. "iso_a4_210x297mm".
const char* mediaName(PaperSize size);

// The destination's own options (its instance's and the user's defaults)
// without those that would move, scale, turn, repeat or drop sheets, then
// media (when given), print-scaling=none, copies=1 and number-up=1.
std::vector<JobOption> jobOptions(const std::vector<JobOption>& destinationOptions,
                                  const std::optional<std::string>& media);

}  // namespace zarvo
