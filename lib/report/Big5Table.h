#pragma once
// Internal to the Big5 codec: the code page 950 mapping tables that
// scripts/gen-big5-table writes into Big5Table.cpp, and the layout of the
// two-byte codes they are indexed by.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace zarvo::big5table {

// A two-byte code is a lead byte 0x81..0xFE followed by a trail byte
// 0x40..0x7E or 0xA1..0xFE: 126 leads of 157 trails each.
inline constexpr unsigned leadFirst = 0x81;
inline constexpr unsigned leadLast = 0xFE;
inline constexpr std::size_t trailsPerLead = 157;
inline constexpr std::size_t codeCount = (leadLast - leadFirst + 1) * trailsPerLead;

// Position of the code lead,trail (bytes) in decodeTable; nullopt when the
// two bytes are not a two-byte code.
constexpr std::optional<std::size_t> codeIndex(unsigned lead, unsigned trail)
{
    if (lead < leadFirst || lead > leadLast) {
        return std::nullopt;
    }
    const std::size_t row = (lead - leadFirst) * trailsPerLead;
    if (trail >= 0x40 && trail <= 0x7E) {
        return row + (trail - 0x40);
    }
    if (trail >= 0xA1 && trail <= 0xFE) {
        return row + 63 + (trail - 0xA1);
    }
    return std::nullopt;
}

// The code (lead << 8 | trail) at position index (< codeCount) of decodeTable.
constexpr std::uint16_t codeAt(std::size_t index)
{
    const std::size_t lead = leadFirst + index / trailsPerLead;
    const std::size_t column = index % trailsPerLead;
    const std::size_t trail = column < 63 ? 0x40 + column : 0xA1 + (column - 63);
    return static_cast<std::uint16_t>(lead << 8 | trail);
}

// The BMP code point each two-byte code decodes to, by codeIndex; 0 for a
// code that has no character of its own (unmapped, or the second code of a
// character that code page 950 gives two codes).
extern const std::array<std::uint16_t, codeCount> decodeTable;

// Every code with a nonzero decodeTable entry (lead << 8 | trail), sorted by
// the code point it decodes to, for encoding by binary search.
extern const std::span<const std::uint16_t> codesByUnicode;

}  // namespace zarvo::big5table
