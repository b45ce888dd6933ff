#include "service/DatabaseJobData.h"

#include <nlohmann/json.hpp>

#include "database/DatabaseOrigin.h"
#include "detail/DetailSpec.h"
#include "engine/FormProfileFile.h"
#include "report/Big5.h"
#include "report/DataFile.h"

namespace zarvo {

namespace {

using json = nlohmann::ordered_json;

std::string csvCell(const std::string& utf8) {
    std::string cell = "\"";
    for (const char c : utf8) cell += c == '"' ? std::string("\"\"") : std::string(1, c);
    return cell + "\"";
}

json objectOf(const std::vector<DataField>& fields) {
    json object = json::object();
    for (const DataField& field : fields) object[big5ToUtf8(field.name)] = big5ToUtf8(field.value);
    return object;
}

}  // namespace

JobData databaseJobData(const std::string& reportPath, const DatabaseParameters& params) {
    const std::shared_ptr<const FormProfile> profile = formProfileBeside(reportPath);
    const DatabaseRequest request = databaseRequest(reportPath, *profile, "", params);
    const std::optional<DetailSpec> detail = detailSpecOf(*profile);
    const std::string itemMember = detail ? detail->source : std::string("items");
    DataFileReader reader(databaseOrigin(request), itemMember);
    if (request.readItems) {
        json orders = json::array();
        while (const std::optional<DataRecord> record = reader.next()) {
            json order = objectOf(record->fields);
            json items = json::array();
            for (const std::vector<DataField>& item : record->items) items.push_back(objectOf(item));
            order[itemMember] = std::move(items);
            orders.push_back(std::move(order));
        }
        return {orders.dump(), "json"};
    }
    std::string rows;
    const std::vector<std::string>& columns = reader.columns();
    while (const std::optional<DataRecord> record = reader.next()) {
        std::string row;
        for (std::size_t i = 0; i < columns.size(); ++i) {
            std::string value;
            for (const DataField& field : record->fields) {
                if (field.name == columns[i]) value = big5ToUtf8(field.value);
            }
            row += (i ? "," : "") + csvCell(value);
        }
        rows += row + "\r\n";
    }
    std::string header;
    for (std::size_t i = 0; i < columns.size(); ++i) header += (i ? "," : "") + csvCell(big5ToUtf8(columns[i]));
    return {header + "\r\n" + rows, "csv"};
}

}  // namespace zarvo
