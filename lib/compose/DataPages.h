#pragma once
// The pages of a data file (CSV or JSON, one record a page) for a report:
// the whole file checked first, the report's block names to leave out the
// columns that name none, and each page's data file written when it is
// wanted, with the engine's own field records.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "report/DataFile.h"

namespace zarvo {

class DataFileReader;
class DetailPages;
class FormProfile;


class DataPages {
public:
    // Reads the report's block table and checks the whole data file (or a
    // database's rows, read again for the pages), every value of a block
    // with a format or symbol included.
    // Throws ReportError for a data file that cannot be read or is damaged
    // anywhere (its message says where: "第 18 筆資料, 欄位「total」:
    // 「12a」不是金額"), ConversionError for a bad header.
    DataPages(const std::string& reportPath, const DataOrigin& data);
    ~DataPages();
    DataPages(const DataPages&) = delete;
    DataPages& operator=(const DataPages&) = delete;

    // The pages: one a record, or with detail rows ([Detail] in the
    // report's profile) one a sheet of each order.
    std::int64_t recordCount() const { return recordCount_; }
    // The records, or with detail rows the orders.
    std::int64_t orderCount() const;
    // The first page (0-based) of record or order (0-based); orderCount()
    // gives recordCount().
    std::int64_t firstPageOf(std::int64_t order) const;
    // A page's name in a page list: "A1 2/3" (the order's first value, the
    // sheet within it and its sheets) with detail rows, else the record's
    // number.
    std::string pageName(std::int64_t page);
    // Whether the pages are the sheets of orders with detail rows.
    bool hasDetailRows() const { return detail_ != nullptr; }
    // The data file's column names (UTF-8) that name no block, in file order.
    const std::vector<std::string>& unmatchedColumns() const { return unmatched_; }

    // The folder (UTF-8) that picture file names in the data file's values
    // are relative to: the data file's own.
    std::string pictureFolder() const;

    // Writes the data file of page (0-based) under stem from record (0-based,
    // < recordCount; with detail rows the sheet): the report path, then a
    // field record for each value that is not empty and whose column names
    // a block. Records are read
    // forward from the last one written; a record before it is found again
    // from the start of the file. Throws ReportError when the file cannot be
    // read or written.
    void writePage(const std::string& stem, int page, std::int64_t record);

    // The fields that page's data file holds for record, as writePage
    // reads them (Big5 names and values).
    std::vector<DataField> pageFields(std::int64_t record);

private:
    std::vector<DataField> recordFields(std::int64_t record);
    // Throws for the first value that its block's section cannot take.
    void checkValues(const FormProfile& profile) const;

    std::string reportPath_;
    DataOrigin data_;
    std::vector<std::string> blocks_;  // Big5 names
    std::vector<std::string> unmatched_;
    std::int64_t recordCount_ = 0;
    std::unique_ptr<DataFileReader> reader_;
    std::int64_t nextRecord_ = 0;
    std::unique_ptr<DetailPages> detail_;  // with detail rows
};

// "資料檔的欄位 X, Y 在報表中不存在" for the names (UTF-8).
std::string unmatchedColumnsMessage(const std::vector<std::string>& names);

}  // namespace zarvo
