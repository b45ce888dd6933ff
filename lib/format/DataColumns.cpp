#include "format/DataColumns.h"

#include <map>

#include "format/Decimal.h"
#include "report/Big5.h"
#include "report/DataFile.h"

namespace zarvo {

std::vector<DataColumn> dataColumns(const std::string& path, int records) {
    try {
        DataFileReader reader(path);
        // Per column (Big5): whether a value was seen, and whether all were numbers.
        std::map<std::string, std::pair<bool, bool>> seen;
        for (int read = 0; read < records; ++read) {
            const std::optional<DataRecord> record = reader.next();
            if (!record) break;
            for (const DataField& field : record->fields) {
                if (field.value.empty()) continue;
                auto& [any, numbers] = seen.try_emplace(field.name, false, true).first->second;
                any = true;
                numbers = numbers && Decimal::parse(field.value).has_value();
            }
        }
        std::vector<DataColumn> columns;
        for (const std::string& name : reader.columns()) {
            const auto found = seen.find(name);
            const bool number = found != seen.end() && found->second.first && found->second.second;
            columns.push_back(DataColumn{big5ToUtf8(name), number});
        }
        return columns;
    } catch (const std::exception&) {
        return {};
    }
}

}  // namespace zarvo
