#include "report/PageDataFile.h"

#include <charconv>

#include "report/ReportError.h"

namespace zarvo {

namespace {

constexpr std::string_view kFullWidthSpace = "\xa1\x40";
constexpr std::string_view kLineEnd = "\r\n";
// Bounds that keep a damaged file from making the reader allocate without
// limit; real paths, names and values are far shorter.
constexpr std::size_t kMaxPathBytes = 64 * 1024;
constexpr std::size_t kMaxNameBytes = 64 * 1024;
constexpr std::size_t kMaxTextBytes = 1024 * 1024;


// Drops the line break that ends a text: CR LF or a lone LF.
std::string_view withoutFinalBreak(std::string_view text) {
    if (text.ends_with("\r\n")) return text.substr(0, text.size() - 2);
    if (text.ends_with('\n')) return text.substr(0, text.size() - 1);
    return text;
}

}  // namespace

std::string encodeFieldText(std::string_view text) {
    if (text.empty()) return std::string(kFullWidthSpace);
    std::string encoded;
    encoded.reserve(text.size());
    std::string_view body = withoutFinalBreak(text);
    for (std::size_t i = 0; i < body.size(); ++i) {
        if (body[i] == '\r' && i + 1 < body.size() && body[i + 1] == '\n') {
            encoded += "~~";
            ++i;
        } else if (body[i] == '\n') {
            // A lone line feed would end the record early and turn the rest
            // of the text into a record of its own; it is a break as well.
            encoded += "~~";
        } else {
            encoded += body[i];
        }
    }
    if (text.front() == ' ') encoded[0] = '\x01';
    return encoded;
}

std::string formatPageHeader(std::string_view reportPath) {
    return std::string(reportPath) + std::string(kLineEnd);
}

std::string formatFieldRecord(std::string_view name, float dx, float dy, std::string_view text) {
    // "%f" without the C library, so that no locale can change the point.
    auto fixed = [](float value) {
        char buffer[400];
        auto result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(value),
                                    std::chars_format::fixed, 6);
        return std::string(buffer, result.ptr);
    };
    std::string line(name);
    line += '\t';
    line += fixed(dx);
    line += '\t';
    line += fixed(dy);
    line += '\t';
    line += encodeFieldText(text);
    line += kLineEnd;
    return line;
}

PageDataReader::PageDataReader(const std::string& path) : in_(path) {
    if (!in_.ok()) throw ReportError("無法開啟資料檔: " + path);
    reportPath_ = readRestOfLine(kMaxPathBytes);
    if (in_.failed()) throw ReportError("無法讀取資料檔: " + path);
}

void PageDataReader::skipWhitespace() {
    while (isFieldSpace(in_.peek())) in_.get();
}

std::string PageDataReader::readToken(std::size_t limit) {
    std::string token;
    for (int c = in_.peek(); c >= 0 && !isFieldSpace(c); c = in_.peek()) {
        in_.get();
        if (token.size() < limit) token += static_cast<char>(c);
    }
    return token;
}

std::optional<float> PageDataReader::readShift() {
    skipWhitespace();
    std::size_t length = decimalPrefixLength(in_);
    if (length == 0) return std::nullopt;
    std::string chars;
    for (std::size_t i = 0; i < length; ++i) chars += static_cast<char>(in_.get());
    // Out of range for a float: the shift is not usable.
    return decimalValue(chars);
}

std::string PageDataReader::readRestOfLine(std::size_t limit) {
    std::string line;
    for (int c = in_.get(); c >= 0 && c != '\n'; c = in_.get()) {
        if (line.size() < limit) line += static_cast<char>(c);
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

std::optional<FieldRecord> PageDataReader::next() {
    skipWhitespace();
    if (in_.peek() < 0) return std::nullopt;
    FieldRecord record;
    record.name = readToken(kMaxNameBytes);
    std::optional<float> dx = readShift();
    std::optional<float> dy = dx ? readShift() : std::nullopt;
    record.dx = dx.value_or(0);
    record.dy = dy.value_or(0);
    if (dy) skipWhitespace();
    record.text = readRestOfLine(kMaxTextBytes);
    if (!record.text.empty() && record.text.front() == '\x01') record.text.front() = ' ';
    return record;
}

}  // namespace zarvo
