#include "format/DigitCells.h"

#include <algorithm>

namespace zarvo {

namespace {

// The same reading as the engine's frame layout: a byte 0x80..0xFF begins a
// two-byte character.
std::size_t charLengthAt(std::string_view text, std::size_t pos) {
    return static_cast<unsigned char>(text[pos]) >= 0x80 && pos + 1 < text.size() ? 2 : 1;
}

// Edge k of the cells, in 64 bits so that any int frame divides without overflow.
int cellEdge(int left, long long width, int cells, int k) {
    return static_cast<int>(left + width * k / cells);
}

}  // namespace

std::optional<std::vector<CellCharacter>> digitCells(int left, int right, int cells, std::string_view big5Text) {
    if (cells < 1 || cells > kMaxCells) return std::nullopt;
    std::vector<CellCharacter> characters;
    for (std::size_t pos = 0; pos < big5Text.size(); pos += characters.back().length) {
        if (characters.size() == static_cast<std::size_t>(cells)) return std::nullopt;
        characters.push_back({pos, charLengthAt(big5Text, pos), 0, 0});
    }
    const long long width = std::max(0LL, static_cast<long long>(right) - left);
    int cell = cells - static_cast<int>(characters.size());
    for (CellCharacter& character : characters) {
        character.left = cellEdge(left, width, cells, cell);
        character.right = cellEdge(left, width, cells, cell + 1);
        ++cell;
    }
    return characters;
}

}  // namespace zarvo
