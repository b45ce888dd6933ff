#include "compose/PageFiles.h"

#include <algorithm>
#include <exception>
#include <filesystem>

#include "engine/PageFileName.h"

namespace zarvo {

void removePageFiles(const std::string& stem, int lastPage) {
    // Page 0 was created when the stem was reserved, written or not.
    for (int page = 0; page <= std::max(lastPage, 0); ++page) {
        try {
            std::error_code error;
            std::filesystem::remove(pageFileName(stem, page), error);
        } catch (const std::exception&) {
            // The data root itself is unusable now: nothing of ours can be
            // deleted there, and destruction must go on.
        }
    }
}

}  // namespace zarvo
