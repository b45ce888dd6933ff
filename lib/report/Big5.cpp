// The Big5 (code page 950) codec.
//
// Decoding, byte by byte:
// - 0x00..0x7F is ASCII.
// - A lead byte 0x81..0xFE followed by a trail byte 0x40..0x7E or 0xA1..0xFE
//   is a two-byte code. It decodes to its code page 950 character (the
//   user-defined areas to U+E000..U+F848); a code with no character of its
//   own (unmapped, or the second code of a duplicated character) decodes to
//   the private code point U+F0000 + (lead << 8 | trail), U+F8140..U+FFEFE.
// - Any other byte 0x80..0xFF (0x80, 0xFF, a lead byte at the end of the input
//   or before a byte that cannot be a trail) is a stray byte and decodes alone
//   to U+F0000 + byte, U+F0080..U+F00FF; the byte after it is decoded afresh.
//
// Encoding accepts exactly what decoding gives: ASCII, the characters of the
// table, U+F0080..U+F00FF, and U+F0000 + code for the codes that decode that
// way. Everything else (U+0080..U+009F, characters Big5 lacks, surrogates,
// U+F0000 + code of a code that has a character) is refused.

#include "report/Big5.h"

#include <algorithm>
#include <utility>

#include "report/Big5Table.h"

namespace zarvo {

namespace {

using namespace big5table;

constexpr char32_t privateBase = 0xF0000;
constexpr char32_t strayFirst = privateBase + 0x80;
constexpr char32_t strayLast = privateBase + 0xFF;
constexpr char32_t privateCodeFirst = privateBase + (leadFirst << 8);
constexpr char32_t privateCodeLast = privateBase + (leadLast << 8 | 0xFE);
constexpr char32_t replacement = 0xFFFD;

char32_t decodeCode(std::size_t index)
{
    const char32_t point = decodeTable[index];
    return point != 0 ? point : privateBase + codeAt(index);
}

void appendCode(std::string& bytes, unsigned code)
{
    bytes += static_cast<char>(code >> 8);
    bytes += static_cast<char>(code & 0xFF);
}

// The code that the BMP character point encodes to, if any.
std::optional<unsigned> codeOfCharacter(char32_t point)
{
    const auto unicodeOf = [](std::uint16_t code) {
        return char32_t{decodeTable[*codeIndex(code >> 8, code & 0xFF)]};
    };
    const auto found = std::lower_bound(
        codesByUnicode.begin(), codesByUnicode.end(), point,
        [&](std::uint16_t code, char32_t wanted) { return unicodeOf(code) < wanted; });
    if (found == codesByUnicode.end() || unicodeOf(*found) != point) {
        return std::nullopt;
    }
    return *found;
}

// The code whose private code point is point, if decoding gives it.
std::optional<unsigned> codeOfPrivate(char32_t point)
{
    const unsigned code = point - privateBase;
    const auto index = codeIndex(code >> 8, code & 0xFF);
    if (!index || decodeTable[*index] != 0) {
        return std::nullopt;
    }
    return code;
}

// Appends the Big5 bytes of point; false when Big5 cannot hold it.
bool appendPoint(std::string& bytes, char32_t point)
{
    if (point < 0x80) {
        bytes += static_cast<char>(point);
        return true;
    }
    if (point >= strayFirst && point <= strayLast) {
        bytes += static_cast<char>(point - privateBase);
        return true;
    }
    std::optional<unsigned> code;
    if (point <= 0xFFFF) {
        code = codeOfCharacter(point);
    } else if (point >= privateCodeFirst && point <= privateCodeLast) {
        code = codeOfPrivate(point);
    }
    if (code) {
        appendCode(bytes, *code);
    }
    return code.has_value();
}

bool isScalarValue(char32_t point)
{
    return point <= 0x10FFFF && (point < 0xD800 || point > 0xDFFF);
}

// Length of the UTF-8 sequence that lead begins; 0 for a byte that begins none.
std::size_t utf8Length(unsigned char lead)
{
    if (lead < 0x80) {
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        return 2;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        return 4;
    }
    return 0;
}

// Decodes the sequence of length bytes at utf8[at]; nullopt when it is
// truncated, overlong, a surrogate or above U+10FFFF.
std::optional<char32_t> utf8Sequence(std::string_view utf8, std::size_t at, std::size_t length)
{
    static constexpr unsigned leadMasks[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    static constexpr char32_t shortest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (length == 0 || utf8.size() - at < length) {
        return std::nullopt;
    }
    char32_t point = static_cast<unsigned char>(utf8[at]) & leadMasks[length];
    for (std::size_t i = 1; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(utf8[at + i]);
        if ((byte & 0xC0) != 0x80) {
            return std::nullopt;
        }
        point = point << 6 | (byte & 0x3F);
    }
    if (point < shortest[length] || !isScalarValue(point)) {
        return std::nullopt;
    }
    return point;
}

void appendUtf8(std::string& utf8, char32_t point)
{
    if (!isScalarValue(point)) {
        point = replacement;
    }
    if (point < 0x80) {
        utf8 += static_cast<char>(point);
        return;
    }
    const int continuations = point < 0x800 ? 1 : point < 0x10000 ? 2 : 3;
    static constexpr unsigned leadMarks[] = {0, 0xC0, 0xE0, 0xF0};
    utf8 += static_cast<char>(leadMarks[continuations] | (point >> (6 * continuations)));
    for (int shift = 6 * (continuations - 1); shift >= 0; shift -= 6) {
        utf8 += static_cast<char>(0x80 | ((point >> shift) & 0x3F));
    }
}

}  // namespace

std::u32string big5Decode(std::string_view bytes)
{
    std::u32string text;
    text.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte < 0x80) {
            text += char32_t{byte};
            continue;
        }
        const auto index = i + 1 < bytes.size()
                               ? codeIndex(byte, static_cast<unsigned char>(bytes[i + 1]))
                               : std::nullopt;
        if (index) {
            text += decodeCode(*index);
            ++i;
        } else {
            text += privateBase + byte;
        }
    }
    return text;
}

namespace {

// Whether point stands for a stray lead byte.
bool isStrayLead(char32_t point)
{
    return point >= privateBase + leadFirst && point <= privateBase + leadLast;
}

}  // namespace

Big5Encoded big5Encode(std::u32string_view text)
{
    Big5Encoded encoded;
    encoded.bytes.reserve(text.size() * 2);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::size_t before = encoded.bytes.size();
        // A stray lead byte followed by a byte that can trail it would read
        // back as one two-byte character: the text would change on saving.
        const bool joinsStray =
            appendPoint(encoded.bytes, text[i]) && i > 0 && isStrayLead(text[i - 1]) &&
            codeIndex(static_cast<unsigned char>(encoded.bytes[before - 1]),
                      static_cast<unsigned char>(encoded.bytes[before]))
                .has_value();
        if (encoded.bytes.size() == before || joinsStray) {
            encoded.bytes.resize(before);
            encoded.badIndex = i;
            break;
        }
    }
    return encoded;
}

std::string big5ToUtf8(std::string_view bytes)
{
    return utf8Encode(big5Decode(bytes));
}

std::optional<std::string> utf8ToBig5(std::string_view utf8)
{
    const auto text = utf8Decode(utf8);
    if (!text) {
        return std::nullopt;
    }
    auto encoded = big5Encode(*text);
    if (!encoded.ok()) {
        return std::nullopt;
    }
    return std::move(encoded.bytes);
}

std::optional<std::u32string> utf8Decode(std::string_view utf8)
{
    std::u32string text;
    text.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const std::size_t length = utf8Length(static_cast<unsigned char>(utf8[i]));
        const auto point = utf8Sequence(utf8, i, length);
        if (!point) {
            return std::nullopt;
        }
        text += *point;
        i += length;
    }
    return text;
}

std::string utf8Encode(std::u32string_view text)
{
    std::string utf8;
    utf8.reserve(text.size() * 3);
    for (const char32_t point : text) {
        appendUtf8(utf8, point);
    }
    return utf8;
}

char32_t big5Glyph(char32_t decoded)
{
    // The box-drawing characters that code page 950 holds a second time.
    static constexpr std::pair<char32_t, char32_t> duplicates[] = {
        {privateBase + 0xF9E9, 0x255E}, {privateBase + 0xF9EA, 0x256A},
        {privateBase + 0xF9EB, 0x2561}, {privateBase + 0xF9F9, 0x2550},
        {privateBase + 0xF9FA, 0x256D}, {privateBase + 0xF9FB, 0x256E},
        {privateBase + 0xF9FC, 0x2570}, {privateBase + 0xF9FD, 0x256F},
    };
    for (auto [code, glyph] : duplicates) {
        if (code == decoded) return glyph;
    }
    return decoded;
}

}  // namespace zarvo
