#include "guide/GuideLocation.h"

#include <system_error>

#include "guide/GuidePages.h"

namespace zarvo {

std::vector<std::filesystem::path> guideFolders(const std::filesystem::path& programDir) {
    std::vector<std::filesystem::path> folders;
    // ZARVO_GUIDE_FROM_BIN is the installed guide relative to the installed
    // programs ("../share/zarvo/guide"), so an installation moved to another
    // prefix still finds its own guide first.
    if (!programDir.empty()) folders.push_back((programDir / ZARVO_GUIDE_FROM_BIN).lexically_normal());
#ifdef ZARVO_GUIDE_SOURCE
    folders.emplace_back(ZARVO_GUIDE_SOURCE);
#endif
    folders.emplace_back(ZARVO_GUIDE_INSTALLED);
    return folders;
}

std::vector<std::filesystem::path> guideFoldersOfThisProgram() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    return guideFolders(error ? std::filesystem::path() : program.parent_path());
}

std::optional<std::filesystem::path> findGuide(std::span<const std::filesystem::path> folders) {
    for (const std::filesystem::path& folder : folders) {
        std::error_code error;
        if (std::filesystem::is_regular_file(folder / kGuideContents, error)) return folder;
    }
    return std::nullopt;
}

std::string guideMissingMessage(std::span<const std::filesystem::path> folders) {
    std::string message = "找不到使用手冊, 請重新安裝 Zarvo. 已找過:";
    for (const std::filesystem::path& folder : folders) message += "\n" + folder.string();
    return message;
}

}  // namespace zarvo
