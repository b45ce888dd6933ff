#include "report/ReportReader.h"

#include <algorithm>
#include <array>
#include <charconv>

#include "report/ConversionError.h"
#include "report/ReportError.h"

namespace zarvo {

namespace {

constexpr int kEnd = -1;  // what ByteStream gives at the end of the input

bool isDigit(int c) { return c >= '0' && c <= '9'; }
bool isSign(int c) { return c == '+' || c == '-'; }

std::string unreadableMessage(std::int64_t line) {
    return "報表檔第 " + std::to_string(line) + " 行的資料無法讀取";
}
std::string endedEarlyMessage(std::int64_t line) {
    return "報表檔在第 " + std::to_string(line) + " 行提早結束，缺少資料列";
}
std::string negativeCountMessage(std::int64_t line, int count) {
    return "報表檔第 " + std::to_string(line) + " 行的筆數 " + std::to_string(count) +
           " 不正確，筆數不可為負數";
}
std::string textTooLongMessage(std::int64_t line) {
    return "報表檔第 " + std::to_string(line) + " 行的文字超過 " +
           std::to_string(ReportReader::kMaxTextBytes) + " 個位元組";
}
std::string readErrorMessage(std::int64_t line) {
    return "報表檔讀到第 " + std::to_string(line) + " 行時發生讀取錯誤";
}

// Cuts the text before the next TAB off rest; all of rest when it holds none.
std::string_view cutField(std::string_view& rest) {
    const auto tab = rest.find('\t');
    const auto field = rest.substr(0, tab);
    rest = tab == std::string_view::npos ? std::string_view{} : rest.substr(tab + 1);
    return field;
}

}  // namespace

int strictToInt(std::string_view field) {
    const auto bad = [&] { return ConversionError(std::string(field)); };
    std::string_view digits = field.substr(std::min(field.find_first_not_of(' '), field.size()));
    // from_chars takes a minus but no plus; a plus must be followed by a digit.
    if (!digits.empty() && digits.front() == '+') {
        digits.remove_prefix(1);
        if (digits.empty() || !isDigit(digits.front())) throw bad();
    }
    int value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc{} || end != digits.data() + digits.size()) throw bad();
    return value;
}

std::optional<std::int64_t> reportLineOf(std::string_view text) {
    for (const std::string_view opening : {"報表檔第 ", "報表檔在第 "}) {
        const auto at = text.find(opening);
        if (at == std::string_view::npos) continue;
        const std::string_view rest = text.substr(at + opening.size());
        std::int64_t line = 0;
        const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), line);
        if (error == std::errc{} && std::string_view(end, std::size_t(rest.data() + rest.size() - end)).starts_with(" 行"))
            return line;
    }
    return std::nullopt;
}

ReportHeader parseHeader(std::string_view line) {
    ReportHeader header;
    const auto size = cutField(line);
    const auto xoffset = cutField(line);
    const auto yoffset = cutField(line);
    header.size = strictToInt(size);
    header.xoffset = strictToInt(xoffset);
    header.yoffset = strictToInt(yoffset);
    // line now holds what follows a third TAB. Fields 4 and 5 count only
    // together: a lone fourth field is ignored, and field 5 is all the rest.
    if (const auto tab = line.find('\t'); tab != std::string_view::npos) {
        header.pxoffset = strictToInt(line.substr(0, tab));
        header.pyoffset = strictToInt(line.substr(tab + 1));
    }
    return header;
}

ReportReader::ReportReader(const std::string& path)
    : in_(path), path_(path) {
    if (!in_.ok()) throw ReportError("無法開啟報表檔: " + path);
}

ReportReader::ReportReader(std::string bytes, std::string name)
    : in_(ByteStream::fromBytes(std::move(bytes))), path_(std::move(name)) {}

bool ReportReader::readsAsNumber(std::string_view field, bool integer) {
    ReportReader reader{std::string(field), std::string()};
    int whole = 0;
    float decimal = 0;
    if (!(integer ? reader.readField(whole) : reader.readField(decimal))) return false;
    reader.skipWhitespace();
    return reader.peekChar() == kEnd && !reader.failed();
}

ReportHeader ReportReader::readHeader() {
    std::string line;
    for (int c = getChar(); c != kEnd && c != '\n'; c = getChar()) {
        // Text-mode reading: CR LF is a line end. A CR that ends the file is one too.
        const bool lineEnd = c == '\r' && (peekChar() == '\n' || peekChar() == kEnd);
        if (lineEnd) continue;
        // Refusing beats truncating: a cut header could convert to a wrong offset.
        if (line.size() == kMaxHeaderBytes) {
            throw ReportError("報表檔第一行超過 " + std::to_string(kMaxHeaderBytes) +
                              " 個位元組，無法讀取: " + path_);
        }
        line.push_back(static_cast<char>(c));
    }
    if (in_.failed()) throw ReportError("無法讀取報表檔: " + path_);
    return parseHeader(line);
}

std::optional<int> ReportReader::readKeywordLine() {
    if (failed()) return std::nullopt;
    skipWhitespace();
    int count = 0;
    if (peekChar() != kEnd) {
        skipToken();
        skipWhitespace();
        // A keyword line without a count (as a new report has) is an empty
        // section; the next field then starts the next keyword line.
        if (const int c = peekChar(); isSign(c) || isDigit(c)) {
            const auto line = line_;
            if (!readField(count)) return std::nullopt;
            if (count < 0) fail(negativeCountMessage(line, count));
        }
    }
    if (failed()) return std::nullopt;
    return count;
}

bool ReportReader::readNumbers(std::span<const RowColumn> columns, double* numbers) {
    for (const RowColumn& column : columns) {
        int whole = 0;
        float decimal = 0;
        if (!(column.whole ? readField(whole) : readField(decimal))) return false;
        // Both fit a double exactly, so the row gets them back as read.
        *numbers++ = column.whole ? double(whole) : double(decimal);
    }
    return true;
}

std::optional<LineRow> ReportReader::readLineRow() {
    std::array<double, kLineColumns.size()> n{};
    if (!readNumbers(kLineColumns, n.data()) || failed()) return std::nullopt;
    const auto at = [&n](LineColumn c) { return n[std::size_t(column(c))]; };
    return LineRow{int(at(LineColumn::Style)), int(at(LineColumn::Width)), float(at(LineColumn::X1)),
                   float(at(LineColumn::Y1)),  float(at(LineColumn::X2)),   float(at(LineColumn::Y2))};
}

std::optional<FrameRow> ReportReader::readFrameRow() {
    std::array<double, kFrameValueCount> n{};
    FrameRow row;
    if (!readNumbers(std::span(kFrameColumns).first(n.size()), n.data()) || !readField(row.label) || failed()) {
        return std::nullopt;
    }
    const auto at = [&n](FrameColumn c) { return n[std::size_t(column(c))]; };
    row.style = int(at(FrameColumn::Style));
    row.left = float(at(FrameColumn::Left));
    row.top = float(at(FrameColumn::Top));
    row.width = float(at(FrameColumn::Width));
    row.height = float(at(FrameColumn::Height));
    row.rowgap = float(at(FrameColumn::RowGap));
    row.colgap = float(at(FrameColumn::ColGap));
    row.distributed = int(at(FrameColumn::Distributed));
    row.font = int(at(FrameColumn::Font));
    row.ychar = float(at(FrameColumn::YChar));
    row.xmargin = float(at(FrameColumn::XMargin));
    row.ymargin = float(at(FrameColumn::YMargin));
    return row;
}

int ReportReader::peekChar() {
    const int c = in_.peek();
    if (in_.failed()) fail(readErrorMessage(line_));
    return c;
}

int ReportReader::getChar() {
    const int c = in_.get();
    if (in_.failed()) fail(readErrorMessage(line_));
    if (c == '\n') {
        ++line_;
    } else if (c != kEnd && !isFieldSpace(c)) {
        contentLine_ = line_;
    }
    return c;
}

void ReportReader::skipWhitespace() {
    while (isFieldSpace(peekChar())) getChar();
}

void ReportReader::skipToken() {
    for (int c = peekChar(); c != kEnd && !isFieldSpace(c); c = peekChar()) getChar();
}

bool ReportReader::beginField() {
    if (failed()) return false;
    skipWhitespace();
    if (peekChar() != kEnd) return true;
    fail(endedEarlyMessage(contentLine_));
    return false;
}

bool ReportReader::readField(int& value) {
    if (!beginField()) return false;
    const auto line = line_;
    bool negative = false;
    if (isSign(peekChar())) negative = getChar() == '-';
    if (!isDigit(peekChar())) {
        fail(unreadableMessage(line));
        return false;
    }
    const std::int64_t limit = negative ? -static_cast<std::int64_t>(INT32_MIN) : INT32_MAX;
    std::int64_t magnitude = 0;
    while (isDigit(peekChar())) {
        magnitude = magnitude * 10 + (getChar() - '0');
        if (magnitude > limit) {
            fail(unreadableMessage(line));
            return false;
        }
    }
    value = static_cast<int>(negative ? -magnitude : magnitude);
    return true;
}

bool ReportReader::readField(float& value) {
    if (!beginField()) return false;
    const auto line = line_;
    // The longest prefix that reads as a decimal number; what follows it stays
    // for the next field. A prefix that reaches the last bytes of the
    // lookahead window may have been cut short (an exponent there cannot be
    // seen whole), and no length anyone writes is that long.
    const std::size_t length = decimalPrefixLength(in_);
    if (length == 0 || length + 2 >= ByteStream::kLookahead) {
        fail(unreadableMessage(line));
        return false;
    }
    std::string text;
    while (text.size() < length) text.push_back(static_cast<char>(getChar()));
    const std::optional<float> number = decimalValue(text);
    if (!number) {
        fail(unreadableMessage(line));
        return false;
    }
    value = *number;
    return true;
}

bool ReportReader::readField(std::string& value) {
    if (!beginField()) return false;
    const auto line = line_;
    std::string text;
    for (int c = peekChar(); c != kEnd && !isFieldSpace(c); c = peekChar()) {
        if (text.size() == kMaxTextBytes) {
            fail(textTooLongMessage(line));
            return false;
        }
        text.push_back(static_cast<char>(getChar()));
    }
    value = std::move(text);
    return true;
}

void ReportReader::fail(std::string message) {
    if (problem_.empty()) problem_ = std::move(message);
}

}  // namespace zarvo
