#include "compose/DataFileStem.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "engine/PageFileName.h"
#include "report/ReportError.h"

namespace zarvo {

std::string reserveDataFileStem(std::time_t now) {
    for (std::time_t t = now;; ++t) {
        std::string stem = "/QEL/Tmp/" + std::to_string(t);
        std::string pageZero;
        try {
            pageZero = pageFileNameForWriting(stem, 0);
        } catch (const ReportError&) {
            return stem;
        }
        const int fd = ::open(pageZero.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0) {
            ::close(fd);
            return stem;
        }
        // Taken (a file, or a link someone left there): try the next second.
        // Any other failure is the first page's to report.
        if (errno != EEXIST) return stem;
    }
}

}  // namespace zarvo
