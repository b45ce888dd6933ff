#include "database/Credentials.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "database/DatabaseSpec.h"
#include "report/IniDocument.h"
#include "report/ReportError.h"

namespace zarvo {

namespace {

std::string octal(unsigned mode) {
    char text[8];
    std::snprintf(text, sizeof text, "%04o", mode & 07777u);
    return text;
}

std::string passwordFromFile(const std::string& key) {
    const std::string path = credentialsPath();
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        throw ReportError("找不到密碼檔 " + path + " (" + std::strerror(errno) + ")");
    }
    if (!S_ISREG(info.st_mode)) throw ReportError("密碼檔 " + path + " 不是一般檔案");
    // A password others can read is no longer the user's alone.
    if ((info.st_mode & 077u) != 0) {
        throw ReportError("密碼檔 " + path + " 的權限是 " + octal(info.st_mode) +
                          ", 其他人也能讀取; 請用 chmod 600 改成只有自己能讀取");
    }
    if (info.st_size > 1024 * 1024) throw ReportError("密碼檔 " + path + " 太大");
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    if (!file) throw ReportError("無法讀取密碼檔 " + path);
    const IniDocument document = parseIni(text.str());
    const IniSection* section = document.section(key);
    const std::string* password = section ? section->value("password") : nullptr;
    if (!password) throw ReportError("密碼檔 " + path + " 沒有 [" + key + "] 的 password");
    return *password;
}

}  // namespace

std::string credentialsPath() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    std::string base;
    if (config && *config) {
        base = config;
    } else {
        const char* home = std::getenv("HOME");
        base = std::string(home ? home : "") + "/.config";
    }
    return base + "/zarvo/credentials";
}

std::optional<std::string> databasePassword(const DatabaseSpec& spec) {
    if (!spec.passwordEnv.empty()) {
        const char* value = std::getenv(spec.passwordEnv.c_str());
        if (!value) throw ReportError("環境變數 " + spec.passwordEnv + " 沒有設定 (password-env)");
        return std::string(value);
    }
    if (!spec.credentials.empty()) return passwordFromFile(spec.credentials);
    return std::nullopt;
}

}  // namespace zarvo
