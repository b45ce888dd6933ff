#include "service/WatchConfig.h"

#include <filesystem>

#include "report/ReportError.h"
#include "service/ServiceFiles.h"

namespace zarvo {
namespace {

constexpr std::string_view kWatchPrefix = "Watch";

// Whether section is one of ours: "Watch", alone or followed by a space.
bool watchSection(const IniSection& section) {
    const std::string_view name = section.name;
    return name.substr(0, kWatchPrefix.size()) == kWatchPrefix &&
           (name.size() == kWatchPrefix.size() || name[kWatchPrefix.size()] == ' ');
}

// path made plain ("/a/./b/" is "/a/b"), so that one folder is known by one name.
std::string plainFolder(const std::string& path) {
    std::string plain = std::filesystem::path(path).lexically_normal().string();
    while (plain.size() > 1 && plain.back() == '/') plain.pop_back();
    return plain;
}

WatchedFolder readSection(const IniSection& section, const std::string& path) {
    WatchedFolder watched;
    watched.name = percentDecoded(std::string_view(section.name).substr(kWatchPrefix.size()));
    while (!watched.name.empty() && watched.name.front() == ' ') watched.name.erase(0, 1);
    if (watched.name.empty()) {
        throw serviceConfigError(path, section.line, "監看資料夾的段落需要名稱, 例如 [Watch 出貨單]");
    }
    const IniEntry* folder = nullptr;
    for (const IniEntry& entry : section.entries) {
        if (entry.verbatim) {
            throw serviceConfigError(path, entry.line, "[Watch " + watched.name + "] 的 " + entry.key + "= 值無法讀取");
        }
        if (entry.key == "folder") {
            folder = &entry;
        } else if (entry.key == "printer") {
            watched.printer = entry.value;
        } else {
            throw serviceConfigError(path, entry.line,
                                     "[Watch " + watched.name + "] 不認得「" + entry.key + "」, 只能有 folder= 與 printer=");
        }
    }
    if (!folder || folder->value.empty()) {
        throw serviceConfigError(path, folder ? folder->line : section.line,
                                 "[Watch " + watched.name + "] 缺少要監看的資料夾 (folder=)");
    }
    if (folder->value.front() != '/') {
        throw serviceConfigError(path, folder->line,
                                 "監看的資料夾必須是完整路徑 (以 / 開頭), 而不是「" + folder->value + "」");
    }
    watched.folder = plainFolder(folder->value);
    return watched;
}

}  // namespace

std::vector<WatchedFolder> parseWatchedFolders(const IniDocument& document, const std::string& path) {
    std::vector<WatchedFolder> folders;
    std::vector<int> folderLines;
    for (const IniSection& section : document.sections) {
        if (!watchSection(section)) continue;
        WatchedFolder watched = readSection(section, path);
        const int line = section.find("folder")->line;
        for (std::size_t i = 0; i < folders.size(); ++i) {
            if (folders[i].folder != watched.folder) continue;
            throw serviceConfigError(path, line,
                                     "資料夾 " + watched.folder + " 已由第 " + std::to_string(folderLines[i]) +
                                         " 行的 [Watch " + folders[i].name + "] 監看");
        }
        folders.push_back(std::move(watched));
        folderLines.push_back(line);
    }
    return folders;
}

}  // namespace zarvo
