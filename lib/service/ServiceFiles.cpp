#include "service/ServiceFiles.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/os/ConfigFile.h"
#include "platform/os/DataRoot.h"
#include "platform/os/PrivateFile.h"
#include "platform/os/UniqueFd.h"
#include "report/IniDocument.h"
#include "report/ReportError.h"
#include "service/OriginAccess.h"

namespace zarvo {
namespace {

// $NAME when it is an absolute path, else ~/fallback.
std::string xdgFolder(const char* name, const char* fallback) {
    const char* value = std::getenv(name);
    if (value && value[0] == '/') return value;
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/" + fallback;
}

// "stem", or stem followed by digits ("folder", "folder2").
bool numberedKey(std::string_view key, std::string_view stem) {
    if (!key.starts_with(stem)) return false;
    for (char c : key.substr(stem.size())) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

constexpr std::size_t kMaxConfigBytes = 64 * 1024;
constexpr std::size_t kTokenBytes = 32;

}  // namespace

std::optional<int> parsePort(std::string_view text) {
    if (text.empty() || text.size() > 5) return std::nullopt;
    int port = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        port = port * 10 + (c - '0');
    }
    if (port < 1 || port > 65535) return std::nullopt;
    return port;
}

ReportError serviceConfigError(const std::string& path, int line, const std::string& reason) {
    return ReportError("設定檔 " + path + " 第 " + std::to_string(line) + " 行: " + reason);
}

ServiceConfig parseServiceConfig(std::string_view text, const std::string& path) {
    const IniDocument document = parseIni(text);
    if (const IniFault* fault = document.firstFault()) {
        throw ReportError("設定檔 " + path + " 第 " + std::to_string(fault->line) + " 行: " + fault->reason);
    }
    ServiceConfig config;
    if (const IniSection* general = document.section("General")) {
        if (const IniEntry* entry = general->find("port")) {
            config.port = parsePort(entry->value);
            if (!config.port) {
                throw ReportError("設定檔 " + path + " 第 " + std::to_string(entry->line) +
                                  " 行: port 必須是 1 到 65535 的整數, 而不是「" + entry->value + "」");
            }
        }
    }
    if (const IniSection* forms = document.section("Forms")) {
        for (const IniEntry& entry : forms->entries) {
            if (!numberedKey(entry.key, "folder")) continue;
            if (entry.value.empty() || entry.value.front() != '/') {
                throw ReportError("設定檔 " + path + " 第 " + std::to_string(entry.line) +
                                  " 行: 表單資料夾必須是完整路徑 (以 / 開頭), 而不是「" + entry.value + "」");
            }
            config.formFolders.push_back(entry.value);
        }
    }
    if (const IniSection* origins = document.section("Origins")) {
        for (const IniEntry& entry : origins->entries) {
            if (!numberedKey(entry.key, "origin")) continue;
            const std::optional<std::string> origin = canonicalOrigin(entry.value);
            if (!origin) {
                throw ReportError("設定檔 " + path + " 第 " + std::to_string(entry.line) +
                                  " 行: 「" + entry.value + "」不是網頁的來源 (例如 https://erp.example.com)");
            }
            config.origins.push_back(*origin);
        }
    }
    config.watchedFolders = parseWatchedFolders(document, path);
    return config;
}

ServiceConfig readServiceConfig() {
    const std::string path = userConfigFile("service.conf");
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (errno == ENOENT) return {};
        throw ReportError("無法開啟設定檔 " + path + ": " + errorReason(errno));
    }
    std::string text(kMaxConfigBytes + 1, '\0');
    in.read(text.data(), std::streamsize(text.size()));
    text.resize(std::size_t(in.gcount()));
    if (text.size() > kMaxConfigBytes) throw ReportError("設定檔 " + path + " 太大");
    return parseServiceConfig(text, path);
}

std::string defaultFormsFolder() { return xdgFolder("XDG_DATA_HOME", ".local/share") + "/zarvo/forms"; }

std::string defaultSpoolFolder() { return xdgFolder("XDG_STATE_HOME", ".local/state") + "/zarvo/jobs"; }

std::string randomHex(std::size_t n) {
    std::string bytes(n, '\0');
    std::size_t got = 0;
    while (got < n) {
        const ssize_t r = getrandom(bytes.data() + got, n - got, 0);
        if (r < 0) {
            if (errno == EINTR) continue;
            throw ReportError("無法取得亂數: " + errorReason(errno));
        }
        got += std::size_t(r);
    }
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char c : bytes) {
        hex += digits[c >> 4];
        hex += digits[c & 15];
    }
    return hex;
}

std::optional<std::string> readPrivateText(const std::string& path, std::size_t maxBytes, const std::string& what) {
    const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (fd.get() < 0) {
        if (errno == ENOENT) return std::nullopt;
        throw ReportError("無法開啟" + what + " " + path + ": " + errorReason(errno));
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        throw ReportError(what + " " + path + " 不是一般檔案");
    }
    if (info.st_mode & 077) {
        throw ReportError(what + " " + path + " 其他使用者也能讀取, 請執行 chmod 600 " + path);
    }
    std::string text(maxBytes + 1, '\0');
    std::size_t got = 0;
    while (got < text.size()) {
        const ssize_t n = ::read(fd.get(), text.data() + got, text.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw ReportError("無法讀取" + what + " " + path + ": " + errorReason(errno));
        if (n == 0) break;
        got += std::size_t(n);
    }
    if (got > maxBytes) throw ReportError(what + " " + path + " 太大");
    text.resize(got);
    return text;
}

std::string loadServiceToken(const std::string& path, bool renew) {
    if (!renew) {
        if (std::optional<std::string> token = readPrivateText(path, 256, "權杖檔")) {
            while (!token->empty() && (token->back() == '\n' || token->back() == '\r')) token->pop_back();
            if (token->size() < 16 || token->size() > 128 || token->find_first_of(" \t\r\n") != std::string::npos) {
                throw ReportError("權杖檔 " + path + " 的內容無法使用, 請以 --new-token 重新產生");
            }
            return *token;
        }
    }
    const std::string folder = path.substr(0, path.rfind('/'));
    if (!folder.empty()) ensurePrivateDirectory(folder);
    const std::string token = randomHex(kTokenBytes);
    replacePrivateFile(path, token + "\n", "權杖檔");
    return token;
}

bool sameSecret(std::string_view a, std::string_view b) {
    // Every byte of b is compared, whatever a holds and however long it is.
    unsigned char difference = a.size() == b.size() ? 0 : 1;
    for (std::size_t i = 0; i < b.size(); ++i) {
        const unsigned char left = i < a.size() ? static_cast<unsigned char>(a[i]) : 0;
        difference |= static_cast<unsigned char>(left ^ static_cast<unsigned char>(b[i]));
    }
    return difference == 0;
}

}  // namespace zarvo
