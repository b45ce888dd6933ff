#include "report/CsvRecords.h"

#include <algorithm>

#include "report/Big5.h"

namespace zarvo {

namespace {

bool endsCell(int character) {
    return character < 0 || character == ',' || character == '\r' || character == '\n';
}

// The length of text less a UTF-8 sequence cut off at its end.
std::size_t completeUtf8Length(std::string_view text) {
    for (std::size_t back = 1; back <= std::min<std::size_t>(3, text.size()); ++back) {
        const auto byte = static_cast<unsigned char>(text[text.size() - back]);
        if (byte < 0x80) return text.size();
        if (byte >= 0xC0) {
            const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : 2;
            return length > back ? text.size() - back : text.size();
        }
    }
    return text.size();
}

// Whether the rest of input is valid UTF-8; reads it to its end, a chunk at
// a time, carrying a sequence cut at a chunk's end over to the next.
bool restIsUtf8(ByteStream& input) {
    std::string pending;
    for (std::string_view chunk = input.readChunk(); !chunk.empty(); chunk = input.readChunk()) {
        pending += chunk;
        const std::size_t complete = completeUtf8Length(pending);
        if (!utf8Decode(std::string_view(pending).substr(0, complete))) return false;
        pending.erase(0, complete);
    }
    return pending.empty();
}

bool isHighSurrogate(int unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool isLowSurrogate(int unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

CsvRecords::CsvRecords(const std::string& path) : input_(ByteStream::openDataFile(path)) {
    readEncoding();
    readHeader();
}

void CsvRecords::readEncoding() {
    const ByteOrderMark mark = readByteOrderMark(input_);
    if (mark == ByteOrderMark::Utf16Le || mark == ByteOrderMark::Utf16Be) {
        encoding_ = mark == ByteOrderMark::Utf16Le ? Encoding::Utf16Le : Encoding::Utf16Be;
        return;
    }
    const std::uint64_t start = input_.offset();
    encoding_ = restIsUtf8(input_) ? Encoding::Utf8 : Encoding::Big5;
    input_.seek(start);
}

void CsvRecords::readHeader() {
    const std::optional<std::vector<std::string>> cells = readRow();
    if (!cells) return;
    for (std::size_t i = 0; i < cells->size(); ++i) {
        const std::string& cell = (*cells)[i];
        const std::string shown = encoding_ == Encoding::Big5 ? big5ToUtf8(cell) : cell;
        const std::string name = encoding_ == Encoding::Big5 ? cell : big5Name(cell, input_.path(), rowLine_);
        // Header names are added in order: a name seen before keeps its earlier index.
        if (columns_.add(name, input_.path(), rowLine_) != i) {
            throw lineError(input_.path(), rowLine_, "欄位名稱「" + shown + "」重複");
        }
        shownNames_.push_back(shown);
    }
}

int CsvRecords::readUtf16Unit() {
    const int first = input_.get();
    if (first < 0) return -1;
    const int second = input_.get();
    if (second < 0) throw lineError(input_.path(), line_, "UTF-16 的位元組數不是偶數");
    return encoding_ == Encoding::Utf16Le ? second << 8 | first : first << 8 | second;
}

// The next character: a byte of a Big5 or UTF-8 file (the separators are
// single bytes in both), a code point of a UTF-16 file; -1 at the end.
int CsvRecords::decodeCharacter() {
    if (encoding_ == Encoding::Big5 || encoding_ == Encoding::Utf8) return input_.get();
    const int unit = readUtf16Unit();
    if (!isHighSurrogate(unit)) {
        if (isLowSurrogate(unit)) throw lineError(input_.path(), line_, "UTF-16 的代理字元不成對");
        return unit;
    }
    const int low = readUtf16Unit();
    if (!isLowSurrogate(low)) throw lineError(input_.path(), line_, "UTF-16 的代理字元不成對");
    return 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
}

int CsvRecords::peekCharacter() {
    if (peeked_ == kNothingPeeked) {
        peekedAt_ = input_.offset();
        peeked_ = decodeCharacter();
    }
    return peeked_;
}

// Consumes the next character, counting lines: CR LF, LF and a lone CR end one.
int CsvRecords::getCharacter() {
    const int character = peekCharacter();
    peeked_ = kNothingPeeked;
    if (character == '\n' || (character == '\r' && peekCharacter() != '\n')) ++line_;
    return character;
}

void CsvRecords::append(std::string& cell, int character) {
    const std::size_t before = cell.size();
    if (encoding_ == Encoding::Big5 || encoding_ == Encoding::Utf8) {
        cell += static_cast<char>(character);
    } else {
        const char32_t point = static_cast<char32_t>(character);
        cell += utf8Encode(std::u32string_view(&point, 1));
    }
    rowBytes_ += cell.size() - before;
    if (rowBytes_ > kMaxRecordBytes) throw recordTooLarge(input_.path(), rowLine_);
}

std::optional<std::vector<std::string>> CsvRecords::readRow() {
    for (int c = peekCharacter(); c == '\r' || c == '\n'; c = peekCharacter()) getCharacter();
    if (peekCharacter() < 0) return std::nullopt;
    // Before the header every row may have up to kMaxColumns cells; after it,
    // no more than the header has.
    const std::size_t header = columns_.names().size();
    const std::size_t maxCells = header == 0 ? kMaxColumns : header;
    rowLine_ = line_;
    rowBytes_ = 0;
    std::vector<std::string> cells;
    int end = ',';
    while (end == ',') {
        if (cells.size() == maxCells) {
            throw lineError(input_.path(), rowLine_,
                            header == 0 ? "欄位超過 " + std::to_string(kMaxColumns) + " 個"
                                        : "欄位比標題列的 " + std::to_string(header) + " 個多");
        }
        readCell(cells.emplace_back());
        end = getCharacter();
    }
    if (end == '\r' && peekCharacter() == '\n') getCharacter();
    return cells;
}

void CsvRecords::readCell(std::string& cell) {
    if (peekCharacter() == '"') return readQuotedCell(cell);
    // A quote inside an unquoted cell is taken as it is.
    while (!endsCell(peekCharacter())) append(cell, getCharacter());
}

void CsvRecords::readQuotedCell(std::string& cell) {
    const std::int64_t opened = line_;
    getCharacter();
    for (int c = getCharacter();; c = getCharacter()) {
        if (c < 0) throw ReportError("第 " + std::to_string(opened) + " 行開始的引號沒有結束");
        if (c == '"') {
            if (peekCharacter() != '"') break;
            getCharacter();
        }
        append(cell, c);
    }
    if (!endsCell(peekCharacter())) throw lineError(input_.path(), line_, "引號結束後應該是逗號或行尾");
}

std::string CsvRecords::valueOf(std::string& cell, std::size_t column, std::int64_t number) const {
    if (encoding_ == Encoding::Big5) return std::move(cell);
    return big5Of(cell, valuePlace(number, shownNames_[column]));
}

std::optional<DataRecord> CsvRecords::next() {
    std::optional<std::vector<std::string>> cells = readRow();
    if (!cells) return std::nullopt;
    DataRecord record{number_, {}};
    for (std::size_t i = 0; i < cells->size(); ++i) {
        if ((*cells)[i].empty()) continue;
        record.fields.push_back({columns_.names()[i], valueOf((*cells)[i], i, record.number)});
    }
    ++number_;
    return record;
}

DataFilePosition CsvRecords::position() const {
    return {peeked_ == kNothingPeeked ? input_.offset() : peekedAt_, line_, number_};
}

void CsvRecords::seek(const DataFilePosition& position) {
    input_.seek(position.offset);
    peeked_ = kNothingPeeked;
    line_ = position.line;
    number_ = position.number;
}

}  // namespace zarvo
