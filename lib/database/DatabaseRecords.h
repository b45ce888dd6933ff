#pragma once
// A form's database read as a data file's records: the query's columns are
// the fields, each row one record, read forward only so that memory holds
// one row however many there are. With an items query each record carries
// its order's items, read on a second connection (one query streams at a
// time on a connection).

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "database/DatabaseConnection.h"
#include "report/DataSource.h"

namespace zarvo {

class DatabaseRecords : public DataRecordSource {
public:
    // Connects and runs the query; throws ReportError (databaseMessage)
    // when it cannot, a parameter is missing or a column the form needs is
    // not among the query's.
    explicit DatabaseRecords(const DatabaseRequest& request);
    ~DatabaseRecords() override;

    const std::vector<std::string>& columns() const override { return columns_.names(); }
    std::optional<DataRecord> next() override;
    // The place is the number of rows read; going back runs the query again.
    DataFilePosition position() const override;
    void seek(const DataFilePosition& position) override;

private:
    void checkColumns(const std::vector<std::string>& have, const std::vector<std::string>& want, int line) const;
    std::vector<std::vector<DataField>> itemsOf(const DataRecord& record, const DatabaseParameters& values);
    // The values of the query's current row (UTF-8, in column order).
    std::vector<std::string> rowValues(QSqlQuery& query) const;

    DatabaseRequest request_;
    DatabaseConnection orders_;
    std::unique_ptr<DatabaseConnection> items_;
    QSqlQuery* query_ = nullptr;
    std::vector<std::string> utf8Columns_;
    ColumnNames columns_;
    std::vector<std::size_t> columnIndex_;  // of each query column among columns_
    std::vector<std::string> itemColumns_;  // Big5, of the items query
    bool itemsChecked_ = false;
    std::int64_t read_ = 0;
};

}  // namespace zarvo
