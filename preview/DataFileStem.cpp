#include "preview/DataFileStem.h"

#include <filesystem>

#include "engine/PageFileName.h"

namespace zarvo {

std::string newDataFileStem(std::time_t now) {
    for (std::time_t t = now;; ++t) {
        std::string stem = "/QEL/Tmp/" + std::to_string(t);
        std::error_code error;
        if (!std::filesystem::exists(std::filesystem::symlink_status(pageFileName(stem, 0), error))) {
            return stem;
        }
    }
}

}  // namespace zarvo
