#pragma once
// A buffered byte reader over a file or bytes in memory. The readers of
// report and page data files peek a little ahead before they consume, so a
// value never swallows the characters of the next field; the readers of
// data files take it in chunks and come back to where a record starts.

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace zarvo {

class ByteStream {
public:
    // Opens path for reading; ok() tells whether that worked.
    explicit ByteStream(const std::string& path);
    // Reads bytes held in memory; always ok().
    static ByteStream fromBytes(std::string bytes);
    // Opens the data file at path, which is read more than once and so must
    // be a regular file (a FIFO would hold the program at its opening, a
    // device never ends); throws ReportError when it is none or cannot be
    // opened, and from then on when a read or a seek fails.
    static ByteStream openDataFile(const std::string& path);

    bool ok() const { return ok_; }
    // True when a read from the file failed (not merely ended).
    bool failed() const { return failed_; }
    // The path as given (empty for bytes in memory), for messages.
    const std::string& path() const { return path_; }

    // The byte offset bytes ahead (0 = next) as 0..255, or -1 past the end.
    // offset < kLookahead.
    int peek(std::size_t offset = 0) {
        return pos_ + offset < buffer_.size() ? static_cast<unsigned char>(buffer_[pos_ + offset])
                                              : peekBeyondBuffer(offset);
    }
    // Consumes and returns the next byte, or -1 at the end.
    int get() {
        const int c = peek();
        if (c >= 0) ++pos_;
        return c;
    }
    // Consumes and returns the bytes held and the next chunk's (at least one
    // unless at the end); valid until the next call.
    std::string_view readChunk();

    // The offset of the next byte from the start of the input.
    std::uint64_t offset() const { return base_ + pos_; }
    // Makes offset the next byte's; an offset past the end reads as the end.
    void seek(std::uint64_t offset);

    static constexpr std::size_t kLookahead = 64;

private:
    ByteStream() = default;

    bool fill(std::size_t needed);
    int peekBeyondBuffer(std::size_t offset);
    // Notes a failed read or seek; throws readFailure_ when it is set.
    void readFailed();

    std::string path_;
    std::unique_ptr<std::ifstream> in_;  // null when reading from memory
    std::string buffer_;
    std::size_t pos_ = 0;      // next byte in buffer_
    std::uint64_t base_ = 0;   // input offset of buffer_[0]
    std::string readFailure_;  // what a failed read throws; empty: failed() tells
    bool ok_ = false;
    bool failed_ = false;
};

enum class ByteOrderMark { None, Utf8, Utf16Le, Utf16Be };

// Reads the byte order mark at the start of input, if any, and leaves input
// just after it.
ByteOrderMark readByteOrderMark(ByteStream& input);

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
