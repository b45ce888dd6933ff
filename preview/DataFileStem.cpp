#include "preview/DataFileStem.h"

#include <filesystem>

#include "engine/PageFileName.h"
#include "report/ReportError.h"

namespace zarvo {

std::string newDataFileStem(std::time_t now) {
    for (std::time_t t = now;; ++t) {
        std::string stem = "/QEL/Tmp/" + std::to_string(t);
        std::string pageZero;
        try {
            pageZero = pageFileName(stem, 0);
        } catch (const ReportError&) {
            // An unusable data root is reported when a page is written; a
            // window (the one made at start-up among them) is still made.
            return stem;
        }
        std::error_code error;
        if (!std::filesystem::exists(std::filesystem::symlink_status(pageZero, error))) return stem;
    }
}

}  // namespace zarvo
