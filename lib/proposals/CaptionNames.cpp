#include "proposals/CaptionNames.h"

#include <cctype>

namespace zarvo {

namespace {

// Punctuation and symbol blocks of Unicode that a caption's name leaves out.
bool punctuationOrBlank(char32_t c) {
    if (c < 0x80) return std::isspace(int(c)) || std::ispunct(int(c));
    return (c >= 0x00A0 && c <= 0x00BF) || c == 0x00D7 || c == 0x00F7 ||  // Latin-1 signs, ×, ÷
           (c >= 0x2000 && c <= 0x206F) ||                                 // general punctuation, blanks
           (c >= 0x3000 && c <= 0x303F) ||                                 // CJK punctuation, ideographic space
           (c >= 0xFE10 && c <= 0xFE1F) || (c >= 0xFE30 && c <= 0xFE6F) ||  // vertical, compatibility, small forms
           (c >= 0xFF01 && c <= 0xFF0F) || (c >= 0xFF1A && c <= 0xFF20) ||  // full-width ASCII punctuation
           (c >= 0xFF3B && c <= 0xFF40) || (c >= 0xFF5B && c <= 0xFF65);
}

// The length of the UTF-8 sequence that lead starts, 1 for a byte that
// starts none (kept alone).
std::size_t sequenceLength(unsigned char lead) {
    if (lead >= 0xF0 && lead < 0xF8) return 4;
    if (lead >= 0xE0) return lead < 0xF0 ? 3 : 1;
    if (lead >= 0xC2) return 2;
    return 1;
}

}  // namespace

std::string captionKey(std::string_view text) {
    std::string kept;
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        std::size_t length = sequenceLength(lead);
        if (i + length > text.size()) length = 1;
        char32_t c = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        // A lone byte of 0x80 and above is no punctuation: kept.
        if (!(length == 1 && lead >= 0x80) && punctuationOrBlank(c)) {
            i += length;
            continue;
        }
        kept.append(text.substr(i, length));
        i += length;
    }
    return kept;
}

std::string nameFromCaption(std::string_view caption, const std::vector<DataColumn>& columns) {
    std::string key = captionKey(caption);
    if (key.empty()) return key;
    for (const DataColumn& column : columns)
        if (captionKey(column.name) == key) return column.name;
    return key;
}

}  // namespace zarvo
