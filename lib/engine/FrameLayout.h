#pragma once
// How the frame layout reads a Big5 text, shared by the drawing passes and
// the measuring routines so that both see the same characters: every byte
// 0x80..0xFF begins a two-byte character, every other byte is a one-byte
// character, and "~~" may break a line or column.

#include <cstddef>
#include <string_view>

namespace zarvo::frametext {

// Whether byte begins a two-byte character.
inline bool isLeadByte(char byte) {
    return static_cast<unsigned char>(byte) >= 0x80;
}

// The part of text that is laid out: up to its first zero byte, less a last
// lead byte that has no byte after it (nothing is drawn or counted for it).
inline std::string_view layoutText(std::string_view text) {
    text = text.substr(0, text.find('\0'));
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t length = isLeadByte(text[pos]) ? 2 : 1;
        if (pos + length > text.size()) return text.substr(0, pos);
        pos += length;
    }
    return text;
}

// Bytes of the character at pos of a layout text (pos before its end): 2 or 1.
inline std::size_t charLength(std::string_view text, std::size_t pos) {
    return isLeadByte(text[pos]) ? 2 : 1;
}

// Width in half cells of the character at pos: 2 or 1, and 1 at the end.
inline int charWidth(std::string_view text, std::size_t pos) {
    return pos < text.size() && isLeadByte(text[pos]) ? 2 : 1;
}

// Whether the text continues with the break marker "~~" at pos.
inline bool breakAt(std::string_view text, std::size_t pos) {
    return pos + 1 < text.size() && text[pos] == '~' && text[pos + 1] == '~';
}

}  // namespace zarvo::frametext
