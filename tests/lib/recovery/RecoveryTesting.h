#pragma once
// What the recovery tests share: copies to write and a look at the files.

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "recovery/RecoveryCopy.h"

namespace zarvo::test {

inline RecoveryCopy copyOf(std::string text, std::int64_t savedAtMs = 1) {
    RecoveryCopy copy;
    copy.text = std::move(text);
    copy.testData = "customer,test";
    copy.fileName = "/home/user/form.txt";
    copy.savedAtMs = savedAtMs;
    return copy;
}

// The names of the files in dir ending in suffix, sorted.
inline std::vector<std::string> filesIn(const std::filesystem::path& dir, const std::string& suffix = "") {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        std::string name = entry.path().filename().string();
        if (name.ends_with(suffix)) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The permission bits of path, not following a symlink.
inline unsigned modeOf(const std::filesystem::path& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

}  // namespace zarvo::test
