#pragma once
// The page number typed into the preview window and confirmed with Enter.

#include <optional>
#include <string_view>

namespace zarvo {

// The 1-based page to show for the typed text, or nullopt to do nothing:
// empty text, a leading 0, anything but digits, or a number outside
// 1..pageCount (however many digits it has).
std::optional<int> pageJumpTarget(std::string_view text, int pageCount);

}  // namespace zarvo
