#include "compose/PageJump.h"

#include <charconv>

namespace zarvo {

std::optional<int> pageJumpTarget(std::string_view text, int pageCount) {
    if (text.empty() || text.front() == '0') return std::nullopt;
    int page = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), page);
    // A number too long for an int is above any page count.
    if (error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    if (page < 1 || page > pageCount) return std::nullopt;
    return page;
}

}  // namespace zarvo
