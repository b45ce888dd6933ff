#include "engine/PageFileName.h"

#include <filesystem>

#include "platform/os/DataRoot.h"

namespace zarvo {

std::string pageFileName(const std::string& stem, int page) {
    return dataRoot() + stem + std::to_string(page) + ".rpt";
}

std::string pageFileNameForWriting(const std::string& stem, int page) {
    std::string name = pageFileName(stem, page);
    ensurePrivateDirectory(std::filesystem::path(name).parent_path().string());
    return name;
}

}  // namespace zarvo
