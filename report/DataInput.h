#pragma once
// A data file's bytes through a buffer, with the offset of the next byte and
// seeking, so that a reader can come back to where a record starts.

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace zarvo {

class DataInput {
public:
    // Opens path; throws ReportError when it cannot be opened.
    explicit DataInput(const std::string& path);

    // The path as given, for messages.
    const std::string& path() const { return path_; }

    // The next byte (0..255), or -1 at the end; throws ReportError when
    // reading fails.
    int peek() { return pos_ < end_ || fill() ? static_cast<unsigned char>(buffer_[pos_]) : -1; }
    // Consumes and returns the next byte, or -1 at the end.
    int get() {
        const int c = peek();
        if (c >= 0) ++pos_;
        return c;
    }
    // Consumes and returns up to the next buffer's worth of bytes (at least
    // one unless at the end); valid until the next call.
    std::string_view readChunk();

    // The offset of the next byte from the start of the file.
    std::uint64_t offset() const { return base_ + pos_; }
    // Makes offset the next byte's; an offset past the end reads as the end.
    void seek(std::uint64_t offset);

private:
    bool fill();

    std::string path_;
    std::ifstream in_;
    std::vector<char> buffer_;
    std::size_t pos_ = 0;     // next byte in buffer_
    std::size_t end_ = 0;     // bytes held in buffer_
    std::uint64_t base_ = 0;  // file offset of buffer_[0]
};

enum class ByteOrderMark { None, Utf8, Utf16Le, Utf16Be };

// Reads the byte order mark at the start of input, if any, and leaves input
// just after it.
ByteOrderMark readByteOrderMark(DataInput& input);

}  // namespace zarvo
