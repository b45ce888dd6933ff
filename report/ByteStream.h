#pragma once
// A buffered byte reader over a file with a little lookahead, for the
// readers of report and page data files: they peek before they consume, so
// a value never swallows the characters of the next field.

#include <cstddef>
#include <fstream>
#include <memory>
#include <optional>
#include <string>

namespace zarvo {

class ByteStream {
public:
    // Opens path for reading; ok() tells whether that worked.
    explicit ByteStream(const std::string& path);
    // Reads bytes held in memory; always ok().
    static ByteStream fromBytes(std::string bytes);

    bool ok() const { return ok_; }
    // True when a read from the file failed (not merely ended).
    bool failed() const { return failed_; }

    // The byte offset bytes ahead (0 = next), or -1 past the end.
    // offset < kLookahead.
    int peek(std::size_t offset = 0);
    // Consumes and returns the next byte, or -1 at the end.
    int get();

    static constexpr std::size_t kLookahead = 64;

private:
    bool fill(std::size_t needed);

    ByteStream() = default;

    std::unique_ptr<std::ifstream> in_;  // null when reading from memory
    std::string buffer_;
    std::size_t pos_ = 0;
    bool ok_ = false;
    bool failed_ = false;
};

// The length of the longest prefix of the stream that reads as a decimal
// number: optional sign, digits, optional fraction, optional exponent (only
// when digits follow it). 0 when no number starts here.
std::size_t decimalPrefixLength(ByteStream& in);

// Whether c separates fields: blank, TAB, CR, LF, VT or FF.
bool isFieldSpace(int c);

// The value of a decimal number's text (as decimalPrefixLength measures
// it) in single precision, by the "C" rules whatever locale the program runs
// in; nullopt when it lies beyond single precision.
std::optional<float> decimalValue(const std::string& text);

}  // namespace zarvo
