#include "database/DatabaseRecords.h"

#include <QSqlError>
#include <QSqlField>
#include <QSqlRecord>

#include <algorithm>

#include "database/DatabaseValues.h"
#include "report/ReportError.h"

namespace zarvo {

namespace {

// MySQL's MYSQL_TYPE_BIT, the type QSqlField::typeID() gives for BIT(n)
// columns from the QMYSQL driver.
constexpr int kMysqlBitType = 16;

std::vector<std::string> recordColumns(const QSqlRecord& record) {
    std::vector<std::string> names;
    for (int i = 0; i < record.count(); ++i) names.push_back(record.fieldName(i).toStdString());
    return names;
}

}  // namespace

DatabaseRecords::DatabaseRecords(const DatabaseRequest& request) : request_(request), orders_(request_) {
    const DatabaseSpec& spec = request_.spec;
    query_ = &orders_.run(spec.query, spec.queryLine, request_.params);
    utf8Columns_ = recordColumns(query_->record());
    for (const std::string& name : utf8Columns_) {
        const std::string big5 = big5Of(name, databaseMessage(request_, spec.queryLine, "欄位名稱「" + name + "」"));
        columnIndex_.push_back(columns_.add(big5, request_.profilePath, spec.queryLine));
    }
    checkColumns(utf8Columns_, request_.orderColumns, spec.queryLine);
    if (!request_.readItems) return;
    // Each items parameter is an order's column or a parameter given.
    for (const std::string& name : parameterNames(spec.items)) {
        const bool column = std::find(utf8Columns_.begin(), utf8Columns_.end(), name) != utf8Columns_.end();
        if (!column && !request_.params.contains(name)) {
            throw ReportError(databaseMessage(request_, spec.itemsLine,
                                              "items 用到的參數 :" + name + " 不是 query 的欄位, 也沒有給值"));
        }
    }
    items_ = std::make_unique<DatabaseConnection>(request_);
}

DatabaseRecords::~DatabaseRecords() = default;

void DatabaseRecords::checkColumns(const std::vector<std::string>& have, const std::vector<std::string>& want,
                                   int line) const {
    std::string missing;
    for (const std::string& name : want) {
        if (std::find(have.begin(), have.end(), name) == have.end()) missing += (missing.empty() ? "" : ", ") + name;
    }
    if (!missing.empty()) throw ReportError(databaseMessage(request_, line, "查詢結果沒有表單需要的欄位: " + missing));
}

std::vector<std::string> DatabaseRecords::rowValues(QSqlQuery& query) const {
    std::vector<std::string> values;
    const QSqlRecord record = query.record();
    for (int i = 0; i < record.count(); ++i) {
        const bool bits = request_.spec.driver == DatabaseDriver::Mysql && record.field(i).typeID() == kMysqlBitType;
        values.push_back(bits ? bitValueText(query.value(i)) : databaseValueText(query.value(i)));
    }
    return values;
}

std::optional<DataRecord> DatabaseRecords::next() {
    if (!query_->next()) {
        if (query_->lastError().isValid()) orders_.fail(request_.spec.queryLine, "查詢失敗", query_->lastError());
        return std::nullopt;
    }
    DataRecord record;
    record.number = ++read_;
    const std::vector<std::string> values = rowValues(*query_);
    DatabaseParameters byName = request_.params;
    for (std::size_t i = 0; i < values.size() && i < utf8Columns_.size(); ++i) {
        byName[utf8Columns_[i]] = values[i];
        if (values[i].empty()) continue;
        const std::string& name = columns_.names()[columnIndex_[i]];
        record.fields.push_back({name, big5Of(values[i], valuePlace(record.number, utf8Columns_[i]))});
    }
    if (request_.readItems) {
        record.hasItems = true;
        record.items = itemsOf(record, byName);
    }
    return record;
}

std::vector<std::vector<DataField>> DatabaseRecords::itemsOf(const DataRecord& record, const DatabaseParameters& values) {
    const int line = request_.spec.itemsLine;
    QSqlQuery& query = items_->run(request_.spec.items, line, values);
    if (!itemsChecked_) {
        const std::vector<std::string> names = recordColumns(query.record());
        checkColumns(names, request_.itemColumns, line);
        for (const std::string& name : names) {
            itemColumns_.push_back(big5Of(name, databaseMessage(request_, line, "欄位名稱「" + name + "」")));
        }
        itemsChecked_ = true;
    }
    std::vector<std::vector<DataField>> items;
    std::int64_t itemNumber = 0;
    while (query.next()) {
        ++itemNumber;
        std::vector<DataField> item;
        const std::vector<std::string> row = rowValues(query);
        for (std::size_t i = 0; i < row.size() && i < itemColumns_.size(); ++i) {
            if (row[i].empty()) continue;
            const std::string place = valuePlace(record.number, query.record().fieldName(int(i)).toStdString()) +
                                      " (第 " + std::to_string(itemNumber) + " 筆明細)";
            item.push_back({itemColumns_[i], big5Of(row[i], place)});
        }
        items.push_back(std::move(item));
    }
    if (query.lastError().isValid()) items_->fail(line, "查詢失敗", query.lastError());
    return items;
}

DataFilePosition DatabaseRecords::position() const { return {std::uint64_t(read_), 0, read_ + 1}; }

void DatabaseRecords::seek(const DataFilePosition& position) {
    query_ = &orders_.rerun(request_.spec.queryLine);
    // The rows before the place are passed over without their items.
    for (read_ = 0; std::uint64_t(read_) < position.offset; ++read_) {
        if (!query_->next()) break;
    }
}

}  // namespace zarvo
