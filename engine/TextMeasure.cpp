#include "engine/TextMeasure.h"

#include <cstdint>

#include "engine/FrameLayout.h"

namespace zarvo {

using frametext::breakAt;
using frametext::isLeadByte;

namespace {

// Moves past a "~~" at pos, which starts a new line or column; true when
// that ends the text.
bool passBreak(std::string_view text, std::size_t& pos, TextCount& result, std::int64_t& used) {
    if (!breakAt(text, pos)) return false;
    pos += 2;
    ++result.count;
    used = 0;
    return pos == text.size();
}

}  // namespace

// Sums are 64-bit so that no gap or cell size can overflow them.
TextCount CountTextLines(int left, int right, int halfCell, std::string_view text, int colGap) {
    text = frametext::layoutText(text);
    TextCount result;
    const std::int64_t room = std::int64_t{right} - left;
    const std::int64_t half = halfCell;
    if (room < half) {
        result.count = kNoRoom;
        return result;
    }
    std::int64_t used = 0;
    result.count = 1;
    std::size_t pos = 0;
    while (pos < text.size()) {
        if (passBreak(text, pos, result, used)) return result;
        // A character that overflows the line opens the next one and fills it
        // by its own width; no gap is counted behind it.
        if (isLeadByte(text[pos])) {
            ++result.D;
            pos += 2;
            if (room < 2 * half) {
                result.count = kNoRoom;
                return result;
            }
            used += 2 * half;
            if (used > room) {
                ++result.count;
                used = 2 * half;
                continue;
            }
        } else {
            ++result.S;
            pos += 1;
            used += half;
            if (used > room) {
                ++result.count;
                used = half;
                continue;
            }
        }
        if (pos < text.size()) {
            used += colGap;
            if (used > room) {
                ++result.count;
                used = 0;
            }
        }
    }
    return result;
}

TextCount CountTextColumns(int top, int bottom, int cell, std::string_view text) {
    text = frametext::layoutText(text);
    TextCount result;
    const std::int64_t room = std::int64_t{bottom} - top;
    if (room < cell) {
        result.count = kNoRoom;
        return result;
    }
    std::int64_t used = 0;
    result.count = 1;
    std::size_t pos = 0;
    while (pos < text.size()) {
        if (passBreak(text, pos, result, used)) return result;
        if (isLeadByte(text[pos])) {
            ++result.D;
            pos += 2;
        } else {
            ++result.S;
            pos += 1;
        }
        used += cell;
        if (used > room) {
            ++result.count;
            used = cell;
        }
    }
    return result;
}

}  // namespace zarvo
