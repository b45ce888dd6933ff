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

// Counts the character at pos as two-byte (D) or one-byte (S) and moves past
// it; true for a two-byte character.
bool passCharacter(std::string_view text, std::size_t& pos, TextCount& result) {
    if (isLeadByte(text[pos])) {
        ++result.D;
        pos += 2;
        return true;
    }
    ++result.S;
    pos += 1;
    return false;
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
        const std::int64_t width = passCharacter(text, pos, result) ? 2 * half : half;
        if (room < width) {
            result.count = kNoRoom;
            return result;
        }
        used += width;
        if (used > room) {
            ++result.count;
            used = width;
            continue;
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
        passCharacter(text, pos, result);
        used += cell;
        if (used > room) {
            ++result.count;
            used = cell;
        }
    }
    return result;
}

}  // namespace zarvo
