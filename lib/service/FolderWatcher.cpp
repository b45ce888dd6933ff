#include "service/FolderWatcher.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <optional>

#include "platform/os/PrivateFile.h"
#include "platform/os/RegularFile.h"
#include "report/ReportError.h"
#include "service/ServiceFiles.h"

namespace zarvo {
namespace {

constexpr std::uint32_t kEvents = IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVE_SELF | IN_ONLYDIR;
// A file being taken is done/.taking-XXXXXXXX-NAME (eight hex digits).
constexpr std::string_view kTakingPrefix = ".taking-";
constexpr std::size_t kTakingTagSize = 8;
constexpr int kMaxSuffix = 10000;

struct DataFileName {
    std::string form;
    std::string extension;  // "csv" or "json"
};

// FORM and its extension when name is FORM.csv or FORM.json and no dot-file.
std::optional<DataFileName> dataFileName(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    if (name.empty() || name.front() == '.' || dot == std::string::npos) return std::nullopt;
    const std::string extension = name.substr(dot + 1);
    if (extension != "csv" && extension != "json") return std::nullopt;
    return DataFileName{name.substr(0, dot), extension};
}

// Makes folder (0700) unless it is there.
void ensureSubfolder(const std::string& folder) {
    if (::mkdir(folder.c_str(), 0700) == 0) return;
    const int error = errno;
    struct stat info {};
    if (error == EEXIST && ::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) return;
    throw ReportError("無法建立資料夾 " + folder + ": " + errorReason(error == EEXIST ? ENOTDIR : error));
}

// Renames from to to unless to exists; 0, or -1 with errno set.
int renameNoReplace(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL) return -1;
    // A file system without the flag: a new link cannot replace a file either.
    if (::link(from.c_str(), to.c_str()) != 0) return -1;
    ::unlink(from.c_str());
    return 0;
}

bool exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

// Moves from into folder as name, or as NAME-2.csv, NAME-3.csv, ... when
// that is taken (and, with reasonBeside, when its .txt is); the path it
// has now. Throws ReportError when it cannot be moved.
std::string moveUnique(const std::string& from, const std::string& folder, const std::string& name,
                       bool reasonBeside) {
    const std::size_t dot = std::min(name.rfind('.'), name.size());
    for (int n = 1; n <= kMaxSuffix; ++n) {
        const std::string candidate =
            folder + "/" + (n == 1 ? name : name.substr(0, dot) + "-" + std::to_string(n) + name.substr(dot));
        if (reasonBeside && exists(candidate + ".txt")) continue;
        if (renameNoReplace(from, candidate) == 0) return candidate;
        if (errno != EEXIST) throw ReportError("無法把 " + from + " 移到 " + folder + ": " + errorReason(errno));
    }
    throw ReportError("無法把 " + from + " 移到 " + folder + ": 同名的檔案太多");
}

// Whether another program has path open, as a file still being written
// has: the kernel grants a write lease only on a file that nobody else
// has open. A file system without leases says nobody has.
bool openElsewhere(const std::string& path) {
    const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY));
    if (!fd) return false;
    if (::fcntl(fd.get(), F_SETLEASE, F_WRLCK) == 0) {
        ::fcntl(fd.get(), F_SETLEASE, F_UNLCK);
        return false;
    }
    return errno == EAGAIN;
}

// bytes as "64 MiB", or "4096 位元組" when it is no whole number of MiB.
std::string sizeText(std::uint64_t bytes) {
    constexpr std::uint64_t mebibyte = 1024 * 1024;
    return bytes % mebibyte == 0 ? std::to_string(bytes / mebibyte) + " MiB" : std::to_string(bytes) + " 位元組";
}

// Why a data file could not be read, as a refusal.
JobRefusal unreadFile(const RegularFileBytes& file, std::uint64_t maxBytes) {
    switch (file.status) {
    case RegularFileStatus::TooLarge:
        return JobRefusal{413, "file_too_large", "資料檔超過 " + sizeText(maxBytes), {}, {}};
    case RegularFileStatus::NotRegular:
        return JobRefusal{400, "not_a_file", "不是一般檔案 (可能是連結或裝置)", {}, {}};
    case RegularFileStatus::Missing: return JobRefusal{404, "file_missing", "檔案在讀取前就被移走了", {}, {}};
    default: return JobRefusal{500, "file_unreadable", "無法讀取資料檔: " + errorReason(file.error), {}, {}};
    }
}

// What FILE.txt says of a refused file.
std::string reasonText(const JobRefusal& refused) {
    std::string text = "原因: " + refused.message + "\n";
    if (refused.record) text += "資料: 第 " + std::to_string(*refused.record) + " 筆\n";
    if (refused.field) text += "欄位: " + *refused.field + "\n";
    return text + "代碼: " + refused.code + "\n";
}

std::string printerText(const std::string& printer) {
    return printer.empty() ? "預設印表機" : "印表機「" + printer + "」";
}

}  // namespace

FolderWatcher::FolderWatcher(JobQueue& jobs, std::vector<WatchedFolder> folders, std::uint64_t maxBytes, Log log)
    : jobs_(jobs), folders_(std::move(folders)), maxBytes_(maxBytes), log_(std::move(log)) {}

FolderWatcher::~FolderWatcher() { stop(); }

void FolderWatcher::start() {
    if (folders_.empty() || inotify_) return;
    inotify_ = UniqueFd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
    if (!inotify_) throw ReportError("無法監看資料夾: " + errorReason(errno));
    wake_ = UniqueFd(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC));
    if (!wake_) throw ReportError("無法監看資料夾: " + errorReason(errno));
    for (const WatchedFolder& watched : folders_) watch(watched);
    thread_ = std::thread([this] { run(); });
}

void FolderWatcher::stop() {
    if (!thread_.joinable()) return;
    stopping_ = true;
    const std::uint64_t one = 1;
    while (::write(wake_.get(), &one, sizeof one) < 0 && errno == EINTR) {
    }
    thread_.join();
}

void FolderWatcher::watch(const WatchedFolder& watched) {
    const int descriptor = ::inotify_add_watch(inotify_.get(), watched.folder.c_str(), kEvents);
    if (descriptor < 0) {
        const std::string why = errno == ENOENT ? "不存在" : errno == ENOTDIR ? "不是資料夾" : errorReason(errno);
        log_("無法監看資料夾 " + watched.folder + " ([Watch " + watched.name + "]): " + why + ", 略過");
        return;
    }
    watches_[descriptor] = watched;
    log_("監看資料夾 " + watched.folder + ", 放入的資料檔印在" + printerText(watched.printer));
}

void FolderWatcher::run() {
    for (const auto& [descriptor, watched] : watches_) {
        recoverTaken(watched);
        scan(watched);
    }
    while (waitForEvents()) readEvents();
}

bool FolderWatcher::waitForEvents() {
    pollfd fds[] = {{inotify_.get(), POLLIN, 0}, {wake_.get(), POLLIN, 0}};
    for (;;) {
        if (::poll(fds, 2, -1) >= 0) return !(fds[1].revents & POLLIN);
        if (errno != EINTR) {
            log_("無法監看資料夾: " + errorReason(errno));
            return false;
        }
    }
}

void FolderWatcher::readEvents() {
    alignas(inotify_event) char buffer[64 * 1024];
    for (;;) {
        const ssize_t count = ::read(inotify_.get(), buffer, sizeof buffer);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) return;  // all read (EAGAIN)
        for (const char* at = buffer; at < buffer + count;) {
            const auto* event = reinterpret_cast<const inotify_event*>(at);
            at += sizeof(inotify_event) + event->len;
            handle(*event);
        }
    }
}

void FolderWatcher::handle(const inotify_event& event) {
    if (event.mask & IN_Q_OVERFLOW) {
        // Events were lost: whatever is in the folders now is looked at.
        for (const auto& [descriptor, watched] : watches_) scan(watched);
        return;
    }
    const auto found = watches_.find(event.wd);
    if (found == watches_.end()) return;
    if (event.mask & IN_MOVE_SELF) {
        // Its path no longer leads to it; IN_IGNORED follows.
        ::inotify_rm_watch(inotify_.get(), event.wd);
    } else if (event.mask & IN_IGNORED) {
        log_("不再監看資料夾 " + found->second.folder + ": 它已被刪除或移走");
        watches_.erase(found);
    } else if (event.len > 0 && !(event.mask & IN_ISDIR)) {
        take(found->second, event.name, false);
    }
}

void FolderWatcher::scan(const WatchedFolder& watched) {
    for (const std::string& name : entryNames(watched.folder)) {
        if (stopping_) return;
        take(watched, name, true);
    }
}

void FolderWatcher::recoverTaken(const WatchedFolder& watched) {
    const std::string done = watched.folder + "/done";
    const std::size_t prefix = kTakingPrefix.size() + kTakingTagSize + 1;
    for (const std::string& taken : entryNames(done)) {
        if (taken.rfind(kTakingPrefix, 0) != 0 || taken.size() <= prefix) continue;
        const std::string name = taken.substr(prefix);
        try {
            ensureSubfolder(watched.folder + "/failed");
        } catch (const ReportError& error) {
            log_(std::string(error.what()) + "; " + done + "/" + taken + " 留在原處");
            return;
        }
        refuse(watched.folder + "/" + name, name, done + "/" + taken, watched.folder + "/failed",
               JobRefusal{0, "uncertain",
                          "服務在收下這個檔案時停止, 不知道它是否已成為列印工作; 請先查看印表機與工作, 需要時再放回 " +
                              watched.folder,
                          {}, {}});
    }
}

std::vector<std::string> FolderWatcher::entryNames(const std::string& folder) const {
    std::vector<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        names.push_back(it->path().filename().string());
    }
    // A folder not made yet (done/ before the first file) holds nothing.
    if (error && error != std::errc::no_such_file_or_directory) {
        log_("無法讀取資料夾 " + folder + ": " + errorReason(error.value()));
    }
    // In name order, so that files put in together print in a known order.
    std::sort(names.begin(), names.end());
    return names;
}

void FolderWatcher::take(const WatchedFolder& watched, const std::string& name, bool atStart) {
    if (!dataFileName(name)) return;
    const std::string source = watched.folder + "/" + name;
    struct stat info {};
    if (::lstat(source.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) return;
    if (atStart && S_ISREG(info.st_mode) && openElsewhere(source)) {
        log_(source + " 仍在寫入, 寫完關閉後再收");
        return;
    }
    std::string taken;
    try {
        ensureSubfolder(watched.folder + "/done");
        ensureSubfolder(watched.folder + "/failed");
        taken = watched.folder + "/done/" + std::string(kTakingPrefix) + randomHex(kTakingTagSize / 2) + "-" + name;
        if (renameNoReplace(source, taken) != 0) {
            if (errno == ENOENT) return;  // gone already
            throw ReportError("無法移動 " + source + ": " + errorReason(errno));
        }
    } catch (const ReportError& error) {
        log_(std::string(error.what()) + "; " + source + " 留在原處");
        return;
    }
    try {
        settle(watched, name, taken, submitFile(watched, name, taken));
    } catch (const std::exception& error) {
        // Whether it became a job is not known: it stays under its dot-name,
        // and the next start puts it in failed/ saying so.
        log_(source + " 無法處理: " + error.what() + "; 檔案留在 " + taken);
    }
}

std::variant<JobRecord, JobRefusal> FolderWatcher::submitFile(const WatchedFolder& watched, const std::string& name,
                                                              const std::string& taken) {
    RegularFileBytes file = readRegularFile(taken, maxBytes_, {AT_FDCWD, false});
    if (!file.read()) return unreadFile(file, maxBytes_);
    const DataFileName data = *dataFileName(name);
    JobRequest request;
    request.form = data.form;
    request.printer = watched.printer;
    request.data = std::move(file.bytes);
    request.dataExtension = data.extension;
    return jobs_.submit(request);
}

void FolderWatcher::settle(const WatchedFolder& watched, const std::string& name, const std::string& taken,
                           const std::variant<JobRecord, JobRefusal>& result) {
    const std::string source = watched.folder + "/" + name;
    if (const JobRefusal* refused = std::get_if<JobRefusal>(&result)) {
        refuse(source, name, taken, watched.folder + "/failed", *refused);
        return;
    }
    const std::string line = source + " 已收為列印工作 " + std::get<JobRecord>(result).id;
    try {
        log_(line + ", 檔案移到 " + moveUnique(taken, watched.folder + "/done", name, false));
    } catch (const ReportError& error) {
        // Left under its dot-name, so it is not taken again.
        log_(line + ", 但 " + error.what());
    }
}

void FolderWatcher::refuse(const std::string& source, const std::string& name, const std::string& taken,
                           const std::string& failedFolder, const JobRefusal& refused) {
    std::string line = source + " 無法列印: " + refused.message;
    try {
        const std::string moved = moveUnique(taken, failedFolder, name, true);
        line += "; 檔案移到 " + moved;
        try {
            writePrivateFile(moved + ".txt", reasonText(refused), WriteMode::Truncate);
        } catch (const ReportError& error) {
            ::unlink((moved + ".txt").c_str());
            line += ", 但 " + std::string(error.what());
        }
    } catch (const ReportError& error) {
        line += "; " + std::string(error.what());
    }
    log_(line);
}

}  // namespace zarvo
