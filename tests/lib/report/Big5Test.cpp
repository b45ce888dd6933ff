#include "report/Big5.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <cstdint>
#include <random>
#include <set>

namespace zarvo {
namespace {

constexpr char32_t privateBase = 0xF0000;

std::string codeBytes(unsigned code)
{
    return {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
}

// Every two-byte code, lead << 8 | trail.
std::vector<unsigned> allCodes()
{
    std::vector<unsigned> codes;
    for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
        for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail <= 0x7E || trail >= 0xA1) {
                codes.push_back(lead << 8 | trail);
            }
        }
    }
    return codes;
}

// glibc's iconv from a Big5 charset to code points, one character at a time.
class SystemDecoder {
public:
    explicit SystemDecoder(const char* charset) : cd_(iconv_open("UTF-32LE", charset)) {}
    ~SystemDecoder() {
        if (valid()) iconv_close(cd_);
    }
    SystemDecoder(const SystemDecoder&) = delete;
    SystemDecoder& operator=(const SystemDecoder&) = delete;
    bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // The one code point iconv gives the bytes; nullopt when it refuses them.
    std::optional<char32_t> decode(std::string bytes)
    {
        unsigned char out[8] = {};
        char* in = bytes.data();
        std::size_t inLeft = bytes.size();
        char* outPtr = reinterpret_cast<char*>(out);
        std::size_t outLeft = sizeof out;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        if (iconv(cd_, &in, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1) ||
            sizeof out - outLeft != 4) {
            return std::nullopt;
        }
        return char32_t{out[0]} | char32_t{out[1]} << 8 | char32_t{out[2]} << 16 |
               char32_t{out[3]} << 24;
    }

private:
    iconv_t cd_;
};

std::string roundTrip(const std::string& bytes)
{
    const Big5Encoded encoded = big5Encode(big5Decode(bytes));
    EXPECT_TRUE(encoded.ok());
    return encoded.bytes;
}

TEST(Big5Codec, EveryTwoByteCodeDecodesToOnePointAndEncodesBack)
{
    for (const unsigned code : allCodes()) {
        const std::u32string text = big5Decode(codeBytes(code));
        ASSERT_EQ(text.size(), 1u) << std::hex << code;
        const Big5Encoded encoded = big5Encode(text);
        ASSERT_TRUE(encoded.ok()) << std::hex << code;
        EXPECT_EQ(encoded.bytes, codeBytes(code)) << std::hex << code;
    }
}

TEST(Big5Codec, RandomByteStringsRoundTripThroughCodePointsAndUtf8)
{
    std::mt19937 random(950);
    std::uniform_int_distribution<int> length(0, 64);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int n = 0; n < 4000; ++n) {
        std::string bytes(length(random), '\0');
        for (char& b : bytes) {
            b = static_cast<char>(byte(random));
        }
        ASSERT_EQ(roundTrip(bytes), bytes);
        ASSERT_EQ(utf8ToBig5(big5ToUtf8(bytes)), bytes);
    }
}

TEST(Big5Codec, StrayBytesDecodeAloneAndTheNextByteAfresh)
{
    EXPECT_EQ(big5Decode("\x80"), std::u32string{privateBase + 0x80});
    EXPECT_EQ(big5Decode("\xFF"), std::u32string{privateBase + 0xFF});
    EXPECT_EQ(big5Decode("A\xA4"), (std::u32string{U'A', privateBase + 0xA4}));
    // An invalid trail: ASCII digit, DEL, the gap 0x80..0xA0, 0xFF.
    EXPECT_EQ(big5Decode("\xA4" "0"), (std::u32string{privateBase + 0xA4, U'0'}));
    EXPECT_EQ(big5Decode("\xA4\x7F"), (std::u32string{privateBase + 0xA4, 0x7F}));
    EXPECT_EQ(big5Decode("\xA4\xA0"), (std::u32string{privateBase + 0xA4, privateBase + 0xA0}));
    EXPECT_EQ(big5Decode("\xA4\xFF"), (std::u32string{privateBase + 0xA4, privateBase + 0xFF}));
    // A stray lead does not swallow the code that follows it.
    EXPECT_EQ(big5Decode("\xA4\x80\xA4\xA4"), (std::u32string{privateBase + 0xA4, privateBase + 0x80, U'中'}));
    for (const std::string bytes : {"\x80", "\xFF", "\xA4", "\xA4" "0", "\x80\xA4\xA4\xFE", "\xFE\xFF\x81"}) {
        EXPECT_EQ(roundTrip(bytes), bytes);
    }
}

TEST(Big5Codec, CommonCharactersMatchTheSystemBig5Charmap)
{
    SystemDecoder system("BIG5");
    ASSERT_TRUE(system.valid());
    // 0xC94A and 0xDDFC: the older Big5 table (and charmaps built from it)
    // gives them U+5140 and U+55C0, the characters of 0xA461 and 0xDCD1;
    // code page 950 gives them the compatibility ideographs U+FA0C, U+FA0D.
    const std::set<unsigned> differ = {0xC94A, 0xDDFC};
    int compared = 0;
    for (const unsigned code : allCodes()) {
        const bool common = (code >= 0xA440 && code <= 0xC67E) || (code >= 0xC940 && code <= 0xF9D5);
        if (!common || differ.contains(code)) {
            continue;
        }
        const auto expected = system.decode(codeBytes(code));
        ASSERT_TRUE(expected) << std::hex << code;
        EXPECT_EQ(big5Decode(codeBytes(code)), std::u32string{*expected}) << std::hex << code;
        ++compared;
    }
    EXPECT_EQ(compared, 13051);
}

TEST(Big5Codec, FollowsCodePage950IncludingUserDefinedAreas)
{
    // glibc's CP950 maps the 0xC6A1..0xC8FE user-defined area but not the
    // others, which follow on from it in code page 950's order.
    EXPECT_EQ(big5Decode("\xFA\x40"), U"\uE000");
    EXPECT_EQ(big5Decode("\xFE\xFE"), U"\uE310");
    EXPECT_EQ(big5Decode("\x8E\x40"), U"\uE311");
    EXPECT_EQ(big5Decode("\xA0\xFE"), U"\uEEB7");
    EXPECT_EQ(big5Decode("\x81\x40"), U"\uEEB8");
    EXPECT_EQ(big5Decode("\x8D\xFE"), U"\uF6B0");
    EXPECT_EQ(big5Decode("\xC6\xA1"), U"\uF6B1");
    EXPECT_EQ(big5Decode("\xC8\xFE"), U"\uF848");
    EXPECT_EQ(big5Decode("\xA3\xE1"), U"€");

    SystemDecoder system("CP950");
    ASSERT_TRUE(system.valid());
    // The second codes of duplicated characters decode to a point of their own.
    const std::set<unsigned> secondCodes = {0xA2CC, 0xA2CE, 0xF9E9, 0xF9EA, 0xF9EB,
                                            0xF9F9, 0xF9FA, 0xF9FB, 0xF9FC, 0xF9FD};
    for (const unsigned code : allCodes()) {
        const auto expected = system.decode(codeBytes(code));
        if (expected && !secondCodes.contains(code)) {
            EXPECT_EQ(big5Decode(codeBytes(code)), std::u32string{*expected}) << std::hex << code;
        }
    }
}

TEST(Big5Codec, DuplicatedAndUnmappedCodesStayDistinct)
{
    // 十 and 卅 keep their main codes; the codes in the numeral row decode to
    // the Hangzhou numerals.
    EXPECT_EQ(big5Decode("\xA4\x51\xA2\xCC\xA4\xCA\xA2\xCE"), U"十〸卅〺");
    EXPECT_EQ(big5Encode(U"十卅").bytes, "\xA4\x51\xA4\xCA");
    // The second box-drawing codes have no character of their own.
    EXPECT_EQ(big5Decode("\xA2\xA4\xF9\xF9"), (std::u32string{U'═', privateBase + 0xF9F9}));
    EXPECT_EQ(big5Encode(U"═").bytes, "\xA2\xA4");
    EXPECT_EQ(big5Decode("\xA3\xC0"), std::u32string{privateBase + 0xA3C0});
    // Both codes of a box-drawing character look the same when drawn.
    EXPECT_EQ(big5Glyph(privateBase + 0xF9F9), U'═');
    EXPECT_EQ(big5Glyph(privateBase + 0xF9FD), U'╯');
    EXPECT_EQ(big5Glyph(privateBase + 0xA3C0), privateBase + 0xA3C0);
}

TEST(Big5Codec, EncodingReportsTheFirstPointBig5CannotHold)
{
    const struct {
        std::u32string text;
        std::size_t badIndex;
        std::string before;
    } cases[] = {
        {U"中文😀字", 2, "\xA4\xA4\xA4\xE5"},
        {U"A国", 1, "A"},
        {std::u32string{0x80}, 0, ""},                        // C1 control
        {std::u32string{U'A', 0xD800}, 1, "A"},               // surrogate
        {std::u32string{0x110000}, 0, ""},                    // beyond Unicode
        {std::u32string{privateBase + 0xA4A4}, 0, ""},        // private point of a mapped code
        {std::u32string{privateBase + 0xA430}, 0, ""},        // no such code
        {std::u32string{privateBase + 0x7F}, 0, ""},          // ASCII is never private
        // A stray lead byte before a byte that can trail it would read back
        // as one character.
        {std::u32string{privateBase + 0x81, U'A'}, 1, "\x81"},
        {std::u32string{U'x', privateBase + 0xA4, U'中'}, 2, "x\xA4"},
    };
    for (const auto& c : cases) {
        const Big5Encoded encoded = big5Encode(c.text);
        EXPECT_FALSE(encoded.ok());
        EXPECT_EQ(encoded.badIndex, c.badIndex);
        EXPECT_EQ(encoded.bytes, c.before);
    }
    // Before a byte that cannot trail it, a stray lead byte stays as it was.
    EXPECT_EQ(big5Encode(std::u32string{privateBase + 0x81, U' '}).bytes, "\x81 ");
    EXPECT_EQ(utf8ToBig5("國国"), std::nullopt);
    EXPECT_EQ(utf8ToBig5("國"), "\xB0\xEA");
}

TEST(Big5Utf8, RoundTripsEveryLengthOfSequence)
{
    const std::u32string text = {0x00, 0x7F, 0x80, 0x7FF, 0x800, 0xD7FF, 0xE000,
                                 0xFFFF, 0x10000, 0x1F600, 0x10FFFF, U'中'};
    const std::string utf8 = utf8Encode(text);
    EXPECT_EQ(utf8.substr(1, 3), "\x7F\xC2\x80");
    EXPECT_EQ(utf8Decode(utf8), text);
    EXPECT_EQ(big5ToUtf8("\xA4\xA4\xA4\xE5 A"), "中文 A");
    EXPECT_EQ(utf8ToBig5("中文 A"), "\xA4\xA4\xA4\xE5 A");
    EXPECT_EQ(utf8Decode(""), std::u32string{});
}

TEST(Big5Utf8, RejectsMalformedInput)
{
    for (const std::string bad : {
             "\x80",              // continuation without a lead
             "\xC0\x80",          // overlong NUL
             "\xC1\xBF",          // overlong U+7F
             "\xE0\x9F\xBF",      // overlong U+7FF
             "\xF0\x8F\xBF\xBF",  // overlong U+FFFF
             "\xED\xA0\x80",      // surrogate U+D800
             "\xED\xBF\xBF",      // surrogate U+DFFF
             "\xF4\x90\x80\x80",  // U+110000
             "\xF5\x80\x80\x80", "\xFE", "\xFF",
             "\xE4\xB8",          // truncated at the end
             "\xE4" "A" "\xAD",   // continuation missing in the middle
             "ok\xA4\xA4",        // Big5 bytes are not UTF-8
         }) {
        EXPECT_EQ(utf8Decode(bad), std::nullopt) << bad;
        EXPECT_EQ(utf8ToBig5(bad), std::nullopt) << bad;
    }
}

TEST(Big5Utf8, WritesReplacementForNonScalarValues)
{
    EXPECT_EQ(utf8Encode(std::u32string{U'a', 0xD800, 0x110000}), "a\xEF\xBF\xBD\xEF\xBF\xBD");
}

}  // namespace
}  // namespace zarvo
