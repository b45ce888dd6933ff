#include "report/DataInput.h"

#include <filesystem>

#include "report/ReportError.h"

namespace zarvo {

namespace {

constexpr std::size_t kChunk = 64 * 1024;

// A data file is read more than once, so only a regular file will do: a
// FIFO would hold the program at its opening and a device never ends.
std::ifstream openDataFile(const std::string& path) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (!error && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
        throw ReportError("資料檔不是一般的檔案, 無法讀取: " + path);
    }
    return std::ifstream(path, std::ios::binary);
}

}  // namespace

DataInput::DataInput(const std::string& path) : path_(path), in_(openDataFile(path)), buffer_(kChunk) {
    if (!in_) throw ReportError("無法開啟資料檔: " + path);
}

bool DataInput::fill() {
    if (pos_ < end_) return true;
    base_ += end_;
    pos_ = end_ = 0;
    in_.read(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
    if (in_.bad()) throw ReportError("無法讀取資料檔: " + path_);
    end_ = static_cast<std::size_t>(in_.gcount());
    return end_ > 0;
}

std::string_view DataInput::readChunk() {
    if (!fill()) return {};
    const std::string_view chunk(buffer_.data() + pos_, end_ - pos_);
    pos_ = end_;
    return chunk;
}

void DataInput::seek(std::uint64_t offset) {
    in_.clear();
    in_.seekg(static_cast<std::streamoff>(offset));
    if (!in_) throw ReportError("無法讀取資料檔: " + path_);
    base_ = offset;
    pos_ = end_ = 0;
}

ByteOrderMark readByteOrderMark(DataInput& input) {
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

}  // namespace zarvo
