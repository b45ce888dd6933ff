#pragma once
// Recovery copies of unsaved work, kept in a private directory so that they
// outlive a crash or a power cut, and found again at the next start.
//
// Every running program has its own slot: <id>.copy, the copy, and
// <id>.lock, a lock file it holds with flock for as long as it runs, <id>
// being a name of its own (pid, time and random bits). A copy whose lock can
// be taken belongs to a program that did not end normally (an orphan); a
// copy whose lock is held belongs to a running program and is never
// offered. A copy file that is truncated, damaged or not a plain file is
// deleted when found, since it can never be offered; one that cannot be
// read (say, for want of permission) is left alone.
//
// Thread-safe: write() and remove() may run on a worker thread while
// orphans(), discard() and keep() run on another.

#include <filesystem>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "recovery/RecoveryCopy.h"
#include "platform/os/UniqueFd.h"

namespace zarvo {

class RecoveryStore {
public:
    // $XDG_STATE_HOME/zarvo/recovery, or ~/.local/state/zarvo/recovery when
    // XDG_STATE_HOME is unset or not absolute. Throws ReportError when the
    // home directory is not known.
    static std::filesystem::path defaultDirectory();

    // This program's slot in directory. Creates nothing until write().
    explicit RecoveryStore(std::filesystem::path directory);
    // Releases every lock: this program's copy stays for the next start, as
    // after a crash, and so do offered copies, as after keep().
    virtual ~RecoveryStore();
    RecoveryStore(const RecoveryStore&) = delete;
    RecoveryStore& operator=(const RecoveryStore&) = delete;

    // Replaces this program's copy with copy (its path is not used) and
    // returns once it is on disk: written to a temporary file, synced,
    // renamed into place, the directory synced. Creates the directory (0700)
    // when missing; files are 0600; symlinks are never followed. Throws
    // ReportError, in Chinese, when it fails; the previous copy stays whole.
    // Virtual so that tests can watch what a keeper writes.
    virtual void write(const RecoveryCopy& copy);

    // Deletes this program's copy and releases its slot; nothing to do when
    // none was written. Throws ReportError when a file cannot be deleted.
    virtual void remove();

    // The copies left by programs that are no longer running, read whole,
    // newest first (by savedAtMs). Each stays locked by this store, so that
    // no other program offers it too, until discard() or keep(); a copy
    // already offered by this store is not returned again. Nothing when the
    // directory does not exist. Throws ReportError when the directory is a
    // symlink, not a directory or not ours.
    std::vector<RecoveryCopy> orphans();

    // Deletes an offered copy and releases it. Ignores a copy this store
    // does not hold. Throws ReportError when it cannot be deleted.
    void discard(const RecoveryCopy& copy);

    // Releases an offered copy, leaving it for the next start.
    void keep(const RecoveryCopy& copy);

private:
    int directoryFd(bool create);
    void takeSlot(int directory);
    void writeCopyFile(int directory, const RecoveryCopy& copy);

    const std::filesystem::path directory_;

    std::mutex directoryMutex_;
    UniqueFd directoryFd_;  // opened on first use, kept for the store's life

    std::mutex slotMutex_;
    std::string slotId_;  // this program's slot while it holds one
    UniqueFd slotLock_;

    std::mutex offeredMutex_;
    std::map<std::string, UniqueFd> offered_;  // slot id -> its lock, held while offered
};

}  // namespace zarvo
