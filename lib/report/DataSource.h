#pragma once
// What the CSV and JSON readers share: the interface DataFileReader drives,
// the bounds on a record, the column names and the messages they raise.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "report/DataFile.h"
#include "report/ReportError.h"

namespace zarvo {

// Bounds that keep a damaged file from taking memory without end; real
// records, names and tables are far smaller.
constexpr std::size_t kMaxRecordBytes = 16 * 1024 * 1024;
constexpr std::size_t kMaxNameBytes = 1024;
constexpr std::size_t kMaxColumns = 10000;

// The records of one data file, in one format; each function does what
// DataFileReader's of the same name promises.
class DataRecordSource {
public:
    virtual ~DataRecordSource() = default;
    virtual const std::vector<std::string>& columns() const = 0;
    virtual std::optional<DataRecord> next() = 0;
    virtual DataFilePosition position() const = 0;
    virtual void seek(const DataFilePosition& position) = 0;
};

// "資料檔 PATH 第 LINE 行": a place in a file, for messages.
std::string linePlace(const std::string& path, std::int64_t line);
// The error "資料檔 PATH 第 LINE 行: what".
ReportError lineError(const std::string& path, std::int64_t line, std::string_view what);
// "第 NUMBER 筆資料, 欄位「name」": a value's place, name as the file writes it (UTF-8).
std::string valuePlace(std::int64_t number, std::string_view name);

// UTF-8 text as Big5 bytes. Throws ReportError "place: Big5 無法表示的字元「c」(U+XXXX)"
// for the first character Big5 lacks, "place: 不是有效的 UTF-8" for malformed text.
std::string big5Of(std::string_view utf8, std::string_view place);
// A column name written in UTF-8 at line of path, as Big5 bytes; throws as big5Of does.
std::string big5Name(std::string_view utf8, const std::string& path, std::int64_t line);
// The error for a record that starts at line of path and is longer than kMaxRecordBytes.
ReportError recordTooLarge(const std::string& path, std::int64_t line);

// The distinct column names of a file (Big5) in order of first appearance.
class ColumnNames {
public:
    // The index of name, added at the end when new. Throws ReportError at
    // line of path for an empty or over-long name or one column too many.
    std::size_t add(const std::string& name, const std::string& path, std::int64_t line);
    const std::vector<std::string>& names() const { return names_; }

private:
    std::vector<std::string> names_;
    std::unordered_map<std::string, std::size_t> indices_;
};

}  // namespace zarvo
