#include "preview/PageFiles.h"

#include <exception>
#include <filesystem>

#include "engine/PageFileName.h"

namespace zarvo {

void removePageFiles(const std::string& stem, int lastPage) {
    for (int page = 0; page <= lastPage; ++page) {
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
