#include "platform/os/PrivateFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
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

void replacePrivateFile(const std::string& path, std::string_view bytes, const std::string& what) {
    std::string temporary = path + ".tmp-XXXXXX";
    auto fail = [&](int error) {
        throw ReportError("無法寫入" + what + " " + path + ": " + errorReason(error));
    };
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) fail(errno);
    auto abandon = [&](int error) {
        ::close(fd);
        ::unlink(temporary.c_str());
        fail(error);
    };
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) abandon(n < 0 ? errno : ENOSPC);
        written += std::size_t(n);
    }
    if (::fsync(fd) != 0) abandon(errno);
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        fail(error);
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        fail(error);
    }
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        ::fsync(folderFd);
        ::close(folderFd);
    }
}

}  // namespace zarvo
