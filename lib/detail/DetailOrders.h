#pragma once
// The orders of a data file for a form with detail rows. JSON: each object
// is one order, its member `source` (an array of objects) its items. CSV:
// consecutive records with the same value in column `group` are one order;
// its fields come from its first record (a later one may leave them empty
// or repeat them), each record's detail fields are one item.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "detail/DetailSheets.h"
#include "detail/DetailSpec.h"
#include "report/DataFile.h"

namespace zarvo {

// Whether a CSV file whose header is columns holds detail fields of spec
// while spec names no grouping column: its rows cannot be formed into
// orders until one is chosen.
bool needsGroupColumn(const DetailSpec& spec, const std::vector<std::string>& columns);

class DetailOrderReader {
public:
    // Opens path (CSV or JSON) for spec; throws ReportError as
    // DataFileReader does, and for a CSV file with detail columns when spec
    // has no group column.
    // Another origin's records are grouped as a CSV file's when it says
    // they are item rows, else taken as a JSON file's orders.
    DetailOrderReader(const DetailSpec& spec, const DataOrigin& origin);

    // Whether the file holds detail rows: a CSV file's header names a detail
    // field; a JSON record read so far held the item member.
    bool detailed() const { return detailed_; }
    // The column names read so far (Big5), as DataFileReader gives them.
    const std::vector<std::string>& columns() const { return reader_.columns(); }

    // The next order, numbered from 1 in file order; nullopt after the last.
    // Throws ReportError for a damaged record, a record without a group
    // value, or an order field two records of one order disagree on.
    std::optional<DetailOrder> next();

    // Where the next order starts, and going back there; number is the
    // number that order gets.
    DataFilePosition position() const;
    void seek(const DataFilePosition& position, std::int64_t number);

private:
    std::optional<DataRecord> nextRecord();
    const std::string* groupOf(const DataRecord& record) const;
    void addRecord(DetailOrder& order, std::int64_t firstRecord, const DataRecord& record) const;
    bool isDetailField(const std::string& name) const;

    const DetailSpec& spec_;
    std::string place_;  // "資料檔 PATH", for messages
    bool csv_;
    DataFileReader reader_;
    bool detailed_ = false;
    std::optional<DataRecord> pending_;  // the CSV record read ahead: the next order's first
    DataFilePosition pendingAt_;
    std::int64_t number_ = 1;
};

}  // namespace zarvo
