#include "recovery/RecoveryStore.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <set>
#include <string_view>

#include "platform/os/DataRoot.h"
#include "platform/os/PrivateFile.h"
#include "platform/os/RegularFile.h"
#include "recovery/RecoveryFormat.h"
#include "report/ReportError.h"

namespace zarvo {

namespace {

namespace fs = std::filesystem;

const std::string copySuffix = ".copy";
const std::string lockSuffix = ".lock";
const std::string tempSuffix = ".tmp";
// A lock file before it is locked, so never taken for a slot's: one left
// by a crash at that instant is an empty file of no use to anyone.
const std::string freshLockSuffix = ".newlock";

[[noreturn]] void fail(const std::string& what, const fs::path& path, int error) {
    throw ReportError(what + " " + path.string() + ": " + errorReason(error));
}

[[noreturn]] void failWriting(const fs::path& path, int error) {
    fail("無法寫入恢復用的副本", path, error);
}

// Unique to this run even when a later run gets the same pid.
std::string newSlotId() {
    std::random_device random;
    std::uint64_t bits = (std::uint64_t{random()} << 32) | random();
    auto now = std::chrono::system_clock::now().time_since_epoch();
    long long ms = std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
    char id[64];
    std::snprintf(id, sizeof id, "%d-%lld-%016llx", static_cast<int>(getpid()), ms,
                  static_cast<unsigned long long>(bits));
    return id;
}

bool isSlotId(std::string_view id) {
    return !id.empty() && id.find_first_not_of("0123456789abcdef-") == std::string_view::npos;
}

fs::path homeDirectory() {
    const char* home = std::getenv("HOME");
    if (home && fs::path(home).is_absolute()) return home;
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
        fs::path(found->pw_dir).is_absolute()) {
        return found->pw_dir;
    }
    throw ReportError("找不到使用者的家目錄, 無法保存恢復用的副本");
}

[[noreturn]] void refuseDirectory(const fs::path& dir, int error) {
    struct stat info {};
    // O_NOFOLLOW with O_DIRECTORY says ENOTDIR or ELOOP for a symlink; say which it is.
    if ((error == ENOTDIR || error == ELOOP) && lstat(dir.c_str(), &info) == 0) {
        std::string reason = S_ISLNK(info.st_mode) ? "它是符號連結" : "它不是目錄";
        throw ReportError("無法使用恢復副本目錄 " + dir.string() + ": " + reason);
    }
    fail("無法使用恢復副本目錄", dir, error);
}

// Refuses a directory of another user and narrows a wider mode to 0700.
void makePrivate(int fd, const fs::path& dir) {
    struct stat info {};
    if (fstat(fd, &info) != 0) fail("無法使用恢復副本目錄", dir, errno);
    if (info.st_uid != geteuid()) {
        throw ReportError("無法使用恢復副本目錄 " + dir.string() + ": 它屬於其他使用者");
    }
    if ((info.st_mode & 07777) != 0700 && fchmod(fd, 0700) != 0) {
        fail("無法使用恢復副本目錄", dir, errno);
    }
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// Unlinks name in dir; 0 when done or already gone, else errno.
int unlinkIn(int dir, const std::string& name) {
    return unlinkat(dir, name.c_str(), 0) == 0 || errno == ENOENT ? 0 : errno;
}

// Deletes every file of slot id, its lock last, so that the copy never
// stands without its lock while the slot's owner lives.
void dropSlot(int dir, const fs::path& dirPath, const std::string& id) {
    auto unlinkOrFail = [&](const std::string& name) {
        if (int error = unlinkIn(dir, name)) fail("無法刪除恢復用的副本", dirPath / name, error);
    };
    unlinkOrFail(id + copySuffix);
    unlinkOrFail(id + tempSuffix);
    // A copy deleted before a power cut must stay deleted, or it comes back
    // to be offered.
    if (fsync(dir) != 0) fail("無法刪除恢復用的副本", dirPath, errno);
    unlinkOrFail(id + lockSuffix);
}

// The slot ids that have a copy, a lock or a temporary file in dir.
std::set<std::string> slotIds(int dir, const fs::path& dirPath) {
    // A descriptor of its own, so that reading the entries moves no shared offset.
    UniqueFd listing(openat(dir, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    DIR* stream = listing ? fdopendir(listing.get()) : nullptr;
    if (!stream) fail("無法讀取恢復副本目錄", dirPath, errno);
    listing.release();  // closedir closes it
    std::set<std::string> ids;
    while (dirent* entry = readdir(stream)) {
        std::string_view name = entry->d_name;
        std::size_t dot = name.find('.');
        if (dot == std::string_view::npos) continue;
        std::string_view suffix = name.substr(dot);
        bool ofASlot = suffix == copySuffix || suffix == lockSuffix || suffix == tempSuffix;
        if (ofASlot && isSlotId(name.substr(0, dot))) ids.emplace(name.substr(0, dot));
    }
    closedir(stream);
    return ids;
}

// The lock of slot id when no running program holds it (created when the
// slot lost its lock file); empty when one does, or when the lock file is
// not a plain file.
UniqueFd claimSlot(int dir, const std::string& id) {
    const std::string name = id + lockSuffix;
    // O_NONBLOCK: a FIFO in the place of a lock must not hang the start.
    UniqueFd lock(openat(dir, name.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC,
                         0600));
    if (!lock || flock(lock.get(), LOCK_EX | LOCK_NB) != 0) return {};
    // The lock counts only while the name still leads to it: whoever dropped
    // the slot meanwhile has unlinked the file we locked.
    struct stat held {}, named {};
    if (fstat(lock.get(), &held) != 0 || fstatat(dir, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISREG(held.st_mode) || held.st_ino != named.st_ino || held.st_dev != named.st_dev) {
        return {};
    }
    return lock;
}

enum class CopyState { Read, Unusable, Unreadable };

// Reads a copy file whole. Unusable: gone, not a plain file, truncated or
// damaged. Unreadable: it could not be read, and may be readable later.
CopyState readCopyFile(int dir, const std::string& name, RecoveryCopy& copy) {
    // A FIFO in the place of a copy must not hang the start.
    const RegularFileBytes file =
        readRegularFile(name, maxRecoveryHeaderBytes + maxRecoveryTextBytes, {dir, false});
    if (file.status == RegularFileStatus::Unreadable) return CopyState::Unreadable;
    if (!file.read()) return CopyState::Unusable;
    std::optional<RecoveryCopy> parsed = parseRecoveryCopy(file.bytes);
    if (!parsed) return CopyState::Unusable;
    copy = std::move(*parsed);
    return CopyState::Read;
}

}  // namespace

fs::path RecoveryStore::defaultDirectory() {
    const char* state = std::getenv("XDG_STATE_HOME");
    fs::path base =
        state && fs::path(state).is_absolute() ? fs::path(state) : homeDirectory() / ".local" / "state";
    return base / "zarvo" / "recovery";
}

RecoveryStore::RecoveryStore(fs::path directory) : directory_(std::move(directory)) {}

RecoveryStore::~RecoveryStore() = default;

int RecoveryStore::directoryFd(bool create) {
    std::lock_guard guard(directoryMutex_);
    if (directoryFd_) return directoryFd_.get();
    if (create) ensurePrivateDirectory(directory_.string());
    // Opened without following a symlink, then used only through this
    // descriptor, so that the directory cannot be swapped for a link later.
    UniqueFd fd(open(directory_.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd) {
        if (errno == ENOENT && !create) return -1;
        refuseDirectory(directory_, errno);
    }
    makePrivate(fd.get(), directory_);
    directoryFd_ = std::move(fd);
    return directoryFd_.get();
}

void RecoveryStore::takeSlot(int dir) {
    const std::string id = newSlotId();
    const std::string fresh = id + freshLockSuffix;
    UniqueFd lock(openat(dir, fresh.c_str(), O_RDONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!lock) failWriting(directory_ / fresh, errno);
    // Locked before it gets the name others look for, so that no other
    // program ever finds this slot's lock free.
    if (flock(lock.get(), LOCK_EX | LOCK_NB) != 0 ||
        renameat(dir, fresh.c_str(), dir, (id + lockSuffix).c_str()) != 0) {
        int error = errno;
        unlinkat(dir, fresh.c_str(), 0);
        failWriting(directory_ / fresh, error);
    }
    slotId_ = id;
    slotLock_ = std::move(lock);
}

void RecoveryStore::writeCopyFile(int dir, const RecoveryCopy& copy) {
    const std::string temp = slotId_ + tempSuffix;
    const std::string name = slotId_ + copySuffix;
    auto failWith = [&](int error) {
        unlinkat(dir, temp.c_str(), 0);
        failWriting(directory_ / name, error);
    };
    unlinkat(dir, temp.c_str(), 0);  // left by a write that failed
    UniqueFd file(openat(dir, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!file) failWith(errno);
    const std::string header = recoveryHeader(copy);
    const std::string_view profile = copy.profile ? std::string_view(*copy.profile) : std::string_view();
    for (std::string_view part : {std::string_view(header), std::string_view(copy.text),
                                  std::string_view(copy.testData), std::string_view(copy.fileName), profile}) {
        if (!writeAll(file.get(), part)) failWith(errno);
    }
    // The bytes must be on disk before the name leads to them, and the new
    // name on disk before the copy counts as kept.
    if (fsync(file.get()) != 0) failWith(errno);
    file.reset();
    if (renameat(dir, temp.c_str(), dir, name.c_str()) != 0) failWith(errno);
    if (fsync(dir) != 0) failWriting(directory_, errno);
}

void RecoveryStore::write(const RecoveryCopy& copy) {
    if (copy.text.size() + copy.testData.size() + copy.fileName.size() > maxRecoveryTextBytes) {
        throw ReportError("報表超過 256 MiB, 無法保存恢復用的副本");
    }
    std::lock_guard guard(slotMutex_);
    const int dir = directoryFd(true);
    if (!slotLock_) takeSlot(dir);
    writeCopyFile(dir, copy);
}

void RecoveryStore::remove() {
    std::lock_guard guard(slotMutex_);
    if (!slotLock_) return;
    dropSlot(directoryFd(false), directory_, slotId_);
    // The next write takes a new slot, so that a name once dropped is never
    // reused while another program may still be looking at it.
    slotLock_.reset();
    slotId_.clear();
}

std::vector<RecoveryCopy> RecoveryStore::orphans() {
    std::lock_guard guard(offeredMutex_);
    const int dir = directoryFd(false);
    if (dir < 0) return {};
    std::vector<RecoveryCopy> found;
    for (const std::string& id : slotIds(dir, directory_)) {
        if (offered_.count(id)) continue;
        UniqueFd lock = claimSlot(dir, id);
        if (!lock) continue;
        RecoveryCopy copy;
        switch (readCopyFile(dir, id + copySuffix, copy)) {
        case CopyState::Read:
            unlinkIn(dir, id + tempSuffix);  // a write its program did not finish
            copy.path = directory_ / (id + copySuffix);
            offered_.emplace(id, std::move(lock));
            found.push_back(std::move(copy));
            break;
        case CopyState::Unusable:
            // It can never be offered; what cannot be deleted now is tried
            // again at the next start.
            try {
                dropSlot(dir, directory_, id);
            } catch (const ReportError&) {
            }
            break;
        case CopyState::Unreadable:
            break;
        }
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const RecoveryCopy& a, const RecoveryCopy& b) { return a.savedAtMs > b.savedAtMs; });
    return found;
}

void RecoveryStore::discard(const RecoveryCopy& copy) {
    std::lock_guard guard(offeredMutex_);
    auto held = offered_.find(copy.path.stem().string());
    if (held == offered_.end()) return;
    dropSlot(directoryFd(false), directory_, held->first);
    offered_.erase(held);
}

void RecoveryStore::keep(const RecoveryCopy& copy) {
    std::lock_guard guard(offeredMutex_);
    offered_.erase(copy.path.stem().string());
}

}  // namespace zarvo
