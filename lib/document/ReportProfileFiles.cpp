#include "document/ReportProfileFiles.h"

#include <filesystem>
#include <optional>
#include <system_error>
#include <utility>

#include "engine/FormProfileFile.h"

namespace zarvo {

OpenedProfile openProfileBeside(const std::string& reportPath) {
    const std::string path = formProfilePathFor(reportPath);
    OpenedProfile opened{path.empty() ? FormProfile() : readFormProfileFile(path), {}};
    const std::optional<ProfileFault> fault = opened.profile.stoppingFault();
    if (!fault) return opened;
    const std::string aside = path + ".damaged";
    std::error_code error;
    std::filesystem::copy_file(path, aside, std::filesystem::copy_options::overwrite_existing, error);
    const std::string kept = error ? "無法另存損壞的檔案 (" + error.message() + ")" : "損壞的檔案已另存為 " + aside;
    opened.warning = profileFaultMessage(path, *fault) + "\n報表照常開啟, 存檔時會寫入新的表單設定檔; " + kept + ".";
    opened.profile = opened.profile.withoutStoppingFaults();
    return opened;
}

ProfileSave profileSaveFor(const std::string& reportPath, const FormProfile& stored) {
    const std::string path = formProfilePathFor(reportPath);
    if (path.empty()) {
        return {{}, stored.empty() ? std::string() : "報表檔名與表單設定檔同名, 表單設定 (紙張、底圖) 沒有存檔"};
    }
    if (stored.empty() && !std::filesystem::exists(path)) return {};
    return {path, {}};
}

}  // namespace zarvo
