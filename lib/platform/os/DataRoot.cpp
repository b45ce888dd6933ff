#include "platform/os/DataRoot.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "platform/os/PrivateFile.h"
#include "report/ReportError.h"

namespace zarvo {

namespace {

std::string& rootOverride() {
    static std::string dir;
    return dir;
}

[[noreturn]] void refuse(const std::string& dir, const std::string& reason) {
    throw ReportError("無法使用資料目錄 " + dir + ": " + reason);
}

// Checks that an existing directory is a real directory of ours.
void checkOwnDirectory(const std::string& dir) {
    struct stat info {};
    if (lstat(dir.c_str(), &info) != 0) refuse(dir, errorReason(errno));
    if (S_ISLNK(info.st_mode)) refuse(dir, "它是符號連結");
    if (!S_ISDIR(info.st_mode)) refuse(dir, "它不是目錄");
    if (info.st_uid != geteuid()) refuse(dir, "它屬於其他使用者");
}

std::string defaultRoot() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime) return std::string(runtime) + "/zarvo";
    std::error_code error;
    std::filesystem::path temp = std::filesystem::temp_directory_path(error);
    if (error) temp = "/tmp";
    return (temp / ("zarvo-" + std::to_string(geteuid()))).string();
}

}  // namespace

void setDataRootOverride(const std::string& dir) { rootOverride() = dir; }

void ensurePrivateDirectory(const std::string& dir) {
    if (mkdir(dir.c_str(), 0700) == 0) return;
    if (errno == ENOENT) {
        std::string parent = std::filesystem::path(dir).parent_path().string();
        if (parent.empty() || parent == dir) refuse(dir, errorReason(ENOENT));
        ensurePrivateDirectory(parent);
        if (mkdir(dir.c_str(), 0700) == 0) return;
    }
    if (errno != EEXIST) refuse(dir, errorReason(errno));
    checkOwnDirectory(dir);
}

std::string dataRoot() {
    if (!rootOverride().empty()) return rootOverride();
    std::string root = defaultRoot();
    ensurePrivateDirectory(root);
    return root;
}

}  // namespace zarvo
