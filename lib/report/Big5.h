#pragma once
// Big5 (code page 950) bytes to Unicode and back, lossless: decoding any byte
// string and encoding the result gives back the same bytes, also for
// user-defined codes, codes without a Unicode mapping and stray bytes.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace zarvo {

// Decodes Big5 bytes into Unicode code points. Never fails: bytes that are not
// a mapped character decode to private code points that encode back to them.
std::u32string big5Decode(std::string_view bytes);

// Result of encoding Unicode text into Big5.
struct Big5Encoded {
    std::string bytes;                    // the Big5 bytes; when !ok(), those before badIndex
    std::optional<std::size_t> badIndex;  // index of the first code point Big5 cannot hold
    bool ok() const { return !badIndex; }
};

// Encodes Unicode code points into Big5 bytes; reports the first code point
// that has no Big5 code instead of writing anything for it.
Big5Encoded big5Encode(std::u32string_view text);

// The character to show for a decoded code point: the second code of a
// character that Big5 holds twice decodes to a private code point (so that it
// encodes back to itself) but looks like that character; anything else is
// returned as it is.
char32_t big5Glyph(char32_t decoded);

// Big5 bytes to UTF-8 text, for showing Big5 text to the user. Never fails.
std::string big5ToUtf8(std::string_view bytes);

// UTF-8 text to Big5 bytes; nullopt when a character cannot be held by Big5
// (or the UTF-8 is malformed).
std::optional<std::string> utf8ToBig5(std::string_view utf8);

// UTF-8 to code points; nullopt for malformed UTF-8 (truncated or overlong
// sequences, stray continuation bytes, surrogates, points above U+10FFFF).
std::optional<std::u32string> utf8Decode(std::string_view utf8);
// Code points to UTF-8; a value that is no Unicode scalar value (a surrogate,
// above U+10FFFF) is written as U+FFFD.
std::string utf8Encode(std::u32string_view text);

}  // namespace zarvo
