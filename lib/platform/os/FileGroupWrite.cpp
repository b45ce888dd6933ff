#include "platform/os/FileGroupWrite.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <random>

#include "platform/os/PrivateFile.h"
#include "platform/os/UniqueFd.h"

namespace zarvo {

namespace {

[[noreturn]] void fail(const std::string& path, int error) {
    throw FileGroupError(path, "無法寫入檔案:\n\n" + path + "\n\n" + errorReason(error) + ", 檔案都沒有改變.");
}

// path itself, or the file a symlink at path leads to, so that a link
// stays a link and its target gets the new content.
std::string resolved(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    char target[PATH_MAX];
    return ::realpath(path.c_str(), target) ? std::string(target) : path;
}

// A name beside path that nothing has, made by creating it (mode 0666 less
// the umask, as a new file gets); fd receives it open for writing.
std::string createBeside(const std::string& path, const char* mark, UniqueFd& fd) {
    static constexpr char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = path + mark;
        for (int i = 0; i < 6; ++i) name += letters[random() % (sizeof letters - 1)];
        fd = UniqueFd(::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
        if (fd) return name;
        if (errno != EEXIST) fail(path, errno);
    }
    fail(path, EEXIST);
}

// Writes all of bytes to fd and syncs it; 0 or errno.
int writeAll(int fd, std::string_view bytes) {
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t count = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) return errno;
        written += static_cast<std::size_t>(count);
    }
    return ::fsync(fd) == 0 ? 0 : errno;
}

}  // namespace

FileGroupWrite::FileGroupWrite(Rename rename) : rename_(std::move(rename)) {}

FileGroupWrite::~FileGroupWrite() { removeTemporaries(); }

void FileGroupWrite::add(const std::string& requested, std::string_view bytes) {
    const std::string path = resolved(requested);
    struct stat existing {};
    const bool replaces = ::stat(path.c_str(), &existing) == 0;
    // A directory cannot be renamed over; saying so now keeps the other
    // files of the group from being written for nothing.
    if (replaces && S_ISDIR(existing.st_mode)) {
        removeTemporaries();
        fail(requested, EISDIR);
    }
    UniqueFd fd;
    std::string temporary;
    try {
        temporary = createBeside(path, ".", fd);
    } catch (const FileGroupError&) {
        removeTemporaries();
        throw;
    }
    staged_.push_back({path, temporary, {}});
    int error = replaces && S_ISREG(existing.st_mode) && ::fchmod(fd.get(), existing.st_mode & 07777) != 0 ? errno : 0;
    if (error == 0) error = writeAll(fd.get(), bytes);
    if (error == 0 && ::close(fd.release()) != 0) error = errno;
    if (error != 0) {
        removeTemporaries();
        fail(requested, error);
    }
}

void FileGroupWrite::commit() {
    linkBackups();
    for (std::size_t i = 0; i < staged_.size(); ++i) {
        if (rename_(staged_[i].temporary.c_str(), staged_[i].path.c_str()) != 0) {
            const int error = errno;
            const std::string failed = staged_[i].path;
            undo(i);
            removeTemporaries();
            fail(failed, error);
        }
        staged_[i].temporary.clear();
    }
    for (const Staged& file : staged_) {
        if (!file.backup.empty()) ::unlink(file.backup.c_str());
    }
    staged_.clear();
}

// A second name for each file about to be replaced, so that it can be put
// back should a later file of the group fail. A file system without hard
// links gives none, and that file cannot be put back.
void FileGroupWrite::linkBackups() {
    for (Staged& file : staged_) {
        struct stat existing {};
        file.replaces = ::lstat(file.path.c_str(), &existing) == 0;
        if (!file.replaces || !S_ISREG(existing.st_mode)) continue;
        UniqueFd placeholder;
        std::string backup;
        try {
            backup = createBeside(file.path, ".old.", placeholder);
        } catch (const FileGroupError&) {
            continue;
        }
        placeholder.reset();
        // link() will not replace the placeholder; its name is ours, so drop
        // it and link in its place.
        ::unlink(backup.c_str());
        if (::link(file.path.c_str(), backup.c_str()) == 0) file.backup = backup;
    }
}

void FileGroupWrite::undo(std::size_t renamed) {
    for (std::size_t i = renamed; i-- > 0;) {
        Staged& file = staged_[i];
        if (!file.replaces) {
            ::unlink(file.path.c_str());
        } else if (!file.backup.empty() && ::rename(file.backup.c_str(), file.path.c_str()) == 0) {
            file.backup.clear();
        }
    }
}

void FileGroupWrite::removeTemporaries() {
    for (const Staged& file : staged_) {
        if (!file.temporary.empty()) ::unlink(file.temporary.c_str());
        if (!file.backup.empty()) ::unlink(file.backup.c_str());
    }
    staged_.clear();
}

}  // namespace zarvo
