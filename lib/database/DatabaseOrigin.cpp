#include "database/DatabaseOrigin.h"

#include <filesystem>

#include "database/DatabaseRecords.h"
#include "detail/DetailSpec.h"
#include "report/Big5.h"
#include "report/FormProfile.h"
#include "report/ReportError.h"

namespace zarvo {

namespace {

void addNames(std::vector<std::string>& into, const std::vector<std::string>& big5Names) {
    for (const std::string& name : big5Names) into.push_back(big5ToUtf8(name));
}

}  // namespace

DatabaseRequest databaseRequest(const std::string& reportPath, const FormProfile& profile, std::string_view name,
                                const DatabaseParameters& params) {
    const std::string section = databaseSectionName(name);
    const std::string profilePath = formProfilePathFor(reportPath);
    const std::optional<DatabaseSpec> spec = databaseSpecOf(profile, name);
    if (!spec) {
        if (const ProfileSection* found = profile.section(section); found && !found->faults.empty()) {
            throw ReportError(profileFaultMessage(profilePath, found->faults.front()));
        }
        throw ReportError("表單設定檔 " + profilePath + " 沒有 [" + section + "]");
    }
    DatabaseRequest request;
    request.spec = *spec;
    request.profilePath = profilePath;
    request.reportFolder = std::filesystem::absolute(reportPath).parent_path().string();
    request.params = params;
    const std::optional<DetailSpec> detail = detailSpecOf(profile);
    if (!detail) return request;
    request.readItems = !spec->items.empty();
    if (request.readItems) {
        addNames(request.itemColumns, detail->fields);
    } else {
        addNames(request.orderColumns, detail->fields);
        if (!detail->group.empty()) request.orderColumns.push_back(big5ToUtf8(detail->group));
    }
    addNames(request.orderColumns, detail->last);
    return request;
}

DataOrigin databaseOrigin(const DatabaseRequest& request) {
    DataOrigin origin("資料庫 [" + request.spec.section + "]");
    origin.open = [request]() -> std::unique_ptr<DataRecordSource> { return std::make_unique<DatabaseRecords>(request); };
    origin.itemRows = !request.readItems;
    return origin;
}

std::optional<std::pair<std::string, std::string>> parameterArgument(std::string_view text) {
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    std::string_view name = text.substr(0, equals);
    if (name.starts_with(':')) name.remove_prefix(1);
    if (name.empty()) return std::nullopt;
    return std::make_pair(std::string(name), std::string(text.substr(equals + 1)));
}

DatabaseParameters parametersOf(std::string_view text) {
    DatabaseParameters params;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find(';'), text.size());
        std::string_view pair = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        while (!pair.empty() && (pair.front() == ' ' || pair.front() == '\t')) pair.remove_prefix(1);
        while (!pair.empty() && (pair.back() == ' ' || pair.back() == '\t')) pair.remove_suffix(1);
        if (const auto parameter = parameterArgument(pair)) params[parameter->first] = parameter->second;
    }
    return params;
}

}  // namespace zarvo
