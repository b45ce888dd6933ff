#include "platform/os/PrivateFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "report/ReportError.h"

namespace zarvo {

std::string errorReason(int error) {
    switch (error) {
    case ENOSPC: return "磁碟空間不足";
    case EDQUOT: return "超過磁碟配額";
    case EACCES:
    case EPERM: return "沒有存取權限";
    case ENOENT: return "目錄不存在";
    case ELOOP: return "它是符號連結, 為安全起見不寫入";
    case EROFS: return "磁碟為唯讀";
    case EISDIR: return "它是目錄";
    case EFBIG: return "檔案太大";
    case ENAMETOOLONG: return "檔名太長";
    case EIO: return "磁碟讀寫錯誤";
    default: return std::strerror(error);
    }
}

void writePrivateFile(const std::string& path, std::string_view bytes, WriteMode mode) {
    int flags = O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC;
    flags |= mode == WriteMode::Append ? O_APPEND : O_TRUNC;
    int fd = open(path.c_str(), flags, 0600);
    auto fail = [&path](int error) {
        throw ReportError("無法寫入資料檔 " + path + ": " + errorReason(error));
    };
    if (fd < 0) fail(errno);
    std::size_t written = 0;
    while (written < bytes.size()) {
        ssize_t n = write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            int error = errno;
            close(fd);
            fail(error);
        }
        written += static_cast<std::size_t>(n);
    }
    if (close(fd) != 0) fail(errno);
}

}  // namespace zarvo
