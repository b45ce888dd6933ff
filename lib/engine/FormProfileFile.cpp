#include "engine/FormProfileFile.h"

#include <cstring>

#include "database/DatabaseSpec.h"
#include "detail/DetailSpec.h"
#include "engine/BlockStyle.h"
#include "platform/os/RegularFile.h"
#include "report/ReportError.h"

namespace zarvo {

FormProfile readFormProfileFile(const std::string& profilePath) {
    const RegularFileBytes file = readRegularFile(profilePath, kMaxProfileBytes);
    FormProfile profile;
    switch (file.status) {
    case RegularFileStatus::Missing: return profile;
    case RegularFileStatus::Opened: return profileFromText(file.bytes);
    case RegularFileStatus::NotRegular: profile.fileFault = "不是一般檔案"; break;
    case RegularFileStatus::TooLarge: profile.fileFault = "檔案太大, 不是表單設定檔"; break;
    case RegularFileStatus::Unreadable: profile.fileFault = std::string("無法讀取 (") + std::strerror(file.error) + ")"; break;
    }
    return profile;
}

FormProfile profileFromText(std::string_view text) {
    FormProfile profile = parseFormProfile(text);
    checkBlockSections(profile);
    checkDetailSection(profile);
    checkDatabaseSections(profile);
    return profile;
}

std::shared_ptr<const FormProfile> formProfileBeside(const std::string& reportPath) {
    const std::string path = formProfilePathFor(reportPath);
    auto profile = std::make_shared<const FormProfile>(path.empty() ? FormProfile() : readFormProfileFile(path));
    if (const std::optional<ProfileFault> fault = profile->stoppingFault()) {
        throw ReportError(profileFaultMessage(path, *fault));
    }
    return profile;
}

}  // namespace zarvo
