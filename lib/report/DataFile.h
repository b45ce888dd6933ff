#pragma once
// Data files that fill one form per record: CSV (.csv) or JSON (.json, an
// array of objects; .jsonl, one object a line). Read forward one record at a
// time, so memory holds one record however long the file is.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zarvo {

enum class DataFormat { Csv, Json, JsonLines };

// The format that path's extension names (.csv, .json, .jsonl in any case);
// throws ReportError naming the file for any other extension.
DataFormat dataFormatOf(const std::string& path);

// One value of a record: the column (block) name and the value, Big5 bytes.
// The value is never empty; its line breaks are as the file holds them.
struct DataField {
    std::string name;
    std::string value;

    bool operator==(const DataField&) const = default;
};

// One record: its number (from 1, in file order) and its values in column
// order. Empty CSV cells, empty JSON strings, JSON nulls and missing keys
// have no field.
struct DataRecord {
    std::int64_t number = 0;
    std::vector<DataField> fields;
    // JSON read with an item member: whether the object held that member
    // as an array, and its objects' values (their keys, Big5, are no columns).
    bool hasItems = false;
    std::vector<std::vector<DataField>> items = {};
};

// Where a record starts in a data file; meaningful only to a reader of the
// same file.
struct DataFilePosition {
    std::uint64_t offset = 0;  // byte offset
    std::int64_t line = 1;     // line number there, from 1
    std::int64_t number = 1;   // number of the record that starts there

    bool operator==(const DataFilePosition&) const = default;
};

class DataRecordSource;

// Where records come from: a data file by its path, or another source (a
// database) that opens its records afresh from the first each time asked.
struct DataOrigin {
    DataOrigin(std::string filePath) : path(std::move(filePath)) {}
    DataOrigin(const char* filePath) : path(filePath) {}

    // The data file; for another source the words that name it in messages.
    std::string path;
    // Opens another source's records from the first; empty for a data file.
    // Its records carry their items (DataRecord::items) unless itemRows.
    std::function<std::unique_ptr<DataRecordSource>()> open = {};
    // Another source whose records are item rows to be grouped by the
    // [Detail] group column, as a CSV file's are.
    bool itemRows = true;
};

// "資料檔 PATH" for a data file, the source's own words for another: what
// messages put before the place of a fault.
std::string dataPlaceOf(const DataOrigin& origin);

// Reads the records of a data file in order. Every error is a ReportError
// whose message (UTF-8) says where the file is damaged.
class DataFileReader {
public:
    // Opens path and reads up to the first record (a CSV file's header row,
    // a JSON array's opening); throws ReportError when the file cannot be
    // opened or read, its extension is none of the three or its start is
    // damaged.
    // Another origin's records are opened as it opens them.
    explicit DataFileReader(const DataOrigin& origin);
    // The same, a JSON object's member itemMember (UTF-8) being read as an
    // array of item objects into DataRecord::items instead of refused.
    DataFileReader(const DataOrigin& origin, const std::string& itemMember);
    ~DataFileReader();

    // The distinct column names (Big5) in order of first appearance: a CSV
    // file's header row; for JSON the keys of the records read so far.
    const std::vector<std::string>& columns() const;

    // The next record, nullopt after the last; throws ReportError for a
    // damaged record.
    std::optional<DataRecord> next();

    // Where the next record starts.
    DataFilePosition position() const;
    // Goes back (or forward) to a position that position() gave.
    void seek(const DataFilePosition& position);

private:
    std::unique_ptr<DataRecordSource> source_;
};

// What a whole data file holds: its record count and every column name
// (Big5) in order of first appearance.
struct DataFileSummary {
    std::int64_t records = 0;
    std::vector<std::string> columns;
};

// Reads the whole file (or other origin) once and summarises it; throws the
// first ReportError that reading it raises.
DataFileSummary checkDataFile(const DataOrigin& origin);

// The field records that write record on a page: each value with every line
// break in it (CR LF, LF or CR) as the break marker "~~" and one break at its
// very end dropped. A value that was nothing but that break is left out.
std::vector<DataField> fieldsOf(const DataRecord& record);

}  // namespace zarvo
