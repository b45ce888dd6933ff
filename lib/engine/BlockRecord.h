#pragma once
// One BLOCK_INFO row as the engine keeps it: the row's values in millimetres
// as read, converted only when drawn; label is the block's field name.

#include <cstddef>

#include "report/ReportReader.h"

namespace zarvo {

using BlockRecord = FrameRow;

// Longest block name, in bytes, that a field record can match.
inline constexpr std::size_t kMaxBlockName = 31;

}  // namespace zarvo
