#include "platform/os/RegularFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace zarvo {

namespace {

OpenedRegularFile refused(RegularFileStatus status, int error = 0) { return {UniqueFd(), status, error, 0}; }

RegularFileStatus openFailure(int error, bool followLinks) {
    switch (error) {
    case ENOENT:
    case ENOTDIR: return RegularFileStatus::Missing;
    case ELOOP: return followLinks ? RegularFileStatus::Unreadable : RegularFileStatus::NotRegular;
    case ENXIO:  // a socket, or a device without its driver
    case ENODEV:
    case EISDIR: return RegularFileStatus::NotRegular;
    default: return RegularFileStatus::Unreadable;
    }
}

}  // namespace

OpenedRegularFile openRegularFile(const std::string& path, std::uint64_t maxBytes,
                                  const RegularFileOptions& options) {
    int flags = O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY;
    if (!options.followLinks) flags |= O_NOFOLLOW;
    UniqueFd fd(::openat(options.directoryFd, path.c_str(), flags));
    if (!fd) {
        const int error = errno;
        return refused(openFailure(error, options.followLinks), error);
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) return refused(RegularFileStatus::Unreadable, errno);
    if (!S_ISREG(info.st_mode)) return refused(RegularFileStatus::NotRegular);
    const auto size = static_cast<std::uint64_t>(info.st_size);
    if (size > maxBytes) return refused(RegularFileStatus::TooLarge);
    // A regular file never blocks; readers that hand the descriptor on (to
    // an image decoder, say) expect the ordinary mode.
    const int status = ::fcntl(fd.get(), F_GETFL);
    if (status < 0 || ::fcntl(fd.get(), F_SETFL, status & ~O_NONBLOCK) != 0) {
        return refused(RegularFileStatus::Unreadable, errno);
    }
    return {std::move(fd), RegularFileStatus::Opened, 0, size};
}

RegularFileBytes readRegularFile(const std::string& path, std::uint64_t maxBytes, const RegularFileOptions& options) {
    OpenedRegularFile file = openRegularFile(path, maxBytes, options);
    if (file.status != RegularFileStatus::Opened) return {file.status, file.error, {}};
    RegularFileBytes result{RegularFileStatus::Opened, 0, {}};
    result.bytes.reserve(static_cast<std::size_t>(file.size));
    char buffer[65536];
    for (;;) {
        const ssize_t count = ::read(file.fd.get(), buffer, sizeof buffer);
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) return {RegularFileStatus::Unreadable, errno, {}};
        if (count == 0) return result;
        result.bytes.append(buffer, static_cast<std::size_t>(count));
        if (result.bytes.size() > maxBytes) return {RegularFileStatus::TooLarge, 0, {}};
    }
}

}  // namespace zarvo
