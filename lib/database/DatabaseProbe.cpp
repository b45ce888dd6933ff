#include "database/DatabaseProbe.h"

#include <QSqlError>
#include <QSqlRecord>

#include <exception>

#include "database/DatabaseValues.h"

namespace zarvo {

DatabaseProbe probeDatabase(const DatabaseRequest& request, std::size_t previewRows) {
    DatabaseProbe probe;
    try {
        DatabaseConnection connection(request);
        QSqlQuery& query = connection.run(request.spec.query, request.spec.queryLine, request.params);
        const QSqlRecord record = query.record();
        for (int i = 0; i < record.count(); ++i) probe.columns.push_back(record.fieldName(i).toStdString());
        while (query.next()) {
            if (probe.rows.size() < previewRows) {
                std::vector<std::string> row;
                for (int i = 0; i < record.count(); ++i) row.push_back(databaseValueText(query.value(i)));
                probe.rows.push_back(std::move(row));
            }
            ++probe.rowCount;
        }
        if (query.lastError().isValid()) connection.fail(request.spec.queryLine, "查詢失敗", query.lastError());
        probe.connected = true;
    } catch (const std::exception& error) {
        probe.message = error.what();
    }
    return probe;
}

std::string probeSummary(const DatabaseProbe& probe) {
    if (!probe.connected) return probe.message;
    return "連線成功, 查詢有 " + std::to_string(probe.rowCount) + " 筆資料";
}

}  // namespace zarvo
