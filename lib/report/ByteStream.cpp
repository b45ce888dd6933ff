#include "report/ByteStream.h"

#include <locale.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "report/ReportError.h"

namespace zarvo {

namespace {

constexpr std::size_t kChunk = 64 * 1024;

bool isDigit(int c) { return c >= '0' && c <= '9'; }

// Digits from offset on, at most up to the lookahead window.
std::size_t digitsAt(ByteStream& in, std::size_t offset) {
    std::size_t n = 0;
    while (offset + n < ByteStream::kLookahead && isDigit(in.peek(offset + n))) ++n;
    return n;
}

std::size_t signAt(ByteStream& in, std::size_t offset) {
    int c = in.peek(offset);
    return c == '+' || c == '-' ? 1 : 0;
}

}  // namespace

ByteStream::ByteStream(const std::string& path)
    : path_(path), in_(std::make_unique<std::ifstream>(path, std::ios::binary)) {
    ok_ = bool(*in_);
}

ByteStream ByteStream::fromBytes(std::string bytes) {
    ByteStream stream;
    stream.buffer_ = std::move(bytes);
    stream.ok_ = true;
    return stream;
}

ByteStream ByteStream::openDataFile(const std::string& path) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (!error && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
        throw ReportError("資料檔不是一般的檔案, 無法讀取: " + path);
    }
    ByteStream stream(path);
    if (!stream.ok()) throw ReportError("無法開啟資料檔: " + path);
    stream.readFailure_ = "無法讀取資料檔: " + path;
    return stream;
}

void ByteStream::readFailed() {
    failed_ = true;
    if (!readFailure_.empty()) throw ReportError(readFailure_);
}

bool ByteStream::fill(std::size_t needed) {
    if (buffer_.size() - pos_ >= needed) return true;
    if (!in_ || !*in_) return false;
    // Keep the unread tail, then append the next chunk.
    buffer_.erase(0, pos_);
    base_ += pos_;
    pos_ = 0;
    const std::size_t old = buffer_.size();
    buffer_.resize(old + kChunk);
    in_->read(buffer_.data() + old, static_cast<std::streamsize>(kChunk));
    buffer_.resize(old + static_cast<std::size_t>(in_->gcount()));
    if (in_->bad()) readFailed();
    return buffer_.size() - pos_ >= needed;
}

int ByteStream::peekBeyondBuffer(std::size_t offset) {
    if (!fill(offset + 1)) return -1;
    return static_cast<unsigned char>(buffer_[pos_ + offset]);
}

std::string_view ByteStream::readChunk() {
    if (!fill(1)) return {};
    const std::string_view chunk(buffer_.data() + pos_, buffer_.size() - pos_);
    pos_ = buffer_.size();
    return chunk;
}

void ByteStream::seek(std::uint64_t offset) {
    if (!in_) {
        pos_ = static_cast<std::size_t>(std::min<std::uint64_t>(offset, buffer_.size()));
        return;
    }
    buffer_.clear();
    pos_ = 0;
    base_ = offset;
    in_->clear();
    in_->seekg(static_cast<std::streamoff>(offset));
    if (!*in_) readFailed();
}

ByteOrderMark readByteOrderMark(ByteStream& input) {
    input.seek(0);
    const int first = input.get();
    const int second = input.get();
    const int third = input.get();
    ByteOrderMark mark = ByteOrderMark::None;
    if (first == 0xFF && second == 0xFE) {
        mark = ByteOrderMark::Utf16Le;
    } else if (first == 0xFE && second == 0xFF) {
        mark = ByteOrderMark::Utf16Be;
    } else if (first == 0xEF && second == 0xBB && third == 0xBF) {
        mark = ByteOrderMark::Utf8;
    }
    static constexpr std::uint64_t lengths[] = {0, 3, 2, 2};
    input.seek(lengths[static_cast<int>(mark)]);
    return mark;
}

bool isFieldSpace(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::optional<float> decimalValue(const std::string& text) {
    // The desktop's locale may use a decimal comma; files never do.
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t{});
    // Underflow gives 0 or a subnormal, which is a fine length; overflow is not.
    const float value = strtof_l(text.c_str(), nullptr, cLocale);
    if (!std::isfinite(value)) return std::nullopt;
    return value;
}

std::size_t decimalPrefixLength(ByteStream& in) {
    std::size_t n = signAt(in, 0);
    std::size_t whole = digitsAt(in, n);
    n += whole;
    std::size_t fraction = 0;
    if (in.peek(n) == '.') {
        fraction = digitsAt(in, n + 1);
        if (whole || fraction) n += 1 + fraction;
    }
    if (!whole && !fraction) return 0;
    int e = in.peek(n);
    if (e == 'e' || e == 'E') {
        std::size_t sign = signAt(in, n + 1);
        std::size_t exponent = digitsAt(in, n + 1 + sign);
        if (exponent) n += 1 + sign + exponent;
    }
    return n;
}

}  // namespace zarvo
