#pragma once
// CSV data files: a header row of column names, then one record a row.
// Quoted cells may hold commas, doubled quotes and line breaks; rows end with
// CR LF, LF or CR; an empty line is no row. The text is UTF-8 (with or
// without a byte order mark) when the whole file is valid UTF-8, UTF-16 when
// it starts with that byte order mark, and Big5 otherwise.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "report/ByteStream.h"
#include "report/DataSource.h"

namespace zarvo {

class CsvRecords : public DataRecordSource {
public:
    // Opens path, settles its encoding and reads the header row; throws
    // ReportError when the file cannot be read or the header is damaged.
    explicit CsvRecords(const std::string& path);

    const std::vector<std::string>& columns() const override { return columns_.names(); }
    std::optional<DataRecord> next() override;
    DataFilePosition position() const override;
    void seek(const DataFilePosition& position) override;

private:
    enum class Encoding { Big5, Utf8, Utf16Le, Utf16Be };

    void readEncoding();
    void readHeader();
    int readUtf16Unit();
    int decodeCharacter();
    int peekCharacter();
    int getCharacter();
    void append(std::string& cell, int character);
    // The next row's cells as the file writes them: Big5 bytes for a Big5
    // file, UTF-8 otherwise; nullopt at the end.
    std::optional<std::vector<std::string>> readRow();
    void readCell(std::string& cell);
    void readQuotedCell(std::string& cell);
    std::string valueOf(std::string& cell, std::size_t column, std::int64_t number) const;

    static constexpr int kNothingPeeked = -2;

    ByteStream input_;
    Encoding encoding_ = Encoding::Big5;
    int peeked_ = kNothingPeeked;  // the character decoded ahead, -1 for the end
    std::uint64_t peekedAt_ = 0;   // its offset
    std::int64_t line_ = 1;
    std::int64_t number_ = 1;
    std::int64_t rowLine_ = 1;  // where the row being read starts
    std::size_t rowBytes_ = 0;  // the bytes of its cells so far
    ColumnNames columns_;
    std::vector<std::string> shownNames_;  // the header's names as UTF-8, for messages
};

}  // namespace zarvo
