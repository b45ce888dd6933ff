#pragma once
// Printing by dropping a file into a folder: each data file FORM.csv or
// FORM.json put into a watched folder, once it is whole (moved in, or
// closed after writing), becomes a job for the form FORM on the folder's
// printer. An accepted file is moved to the folder's done/, a refused one
// to failed/ with FILE.txt beside it saying why; neither ever replaces a
// file already there. Files already in the folder at the start are taken
// too, unless another program still has one open. Dot-files, other names
// and subfolders are left alone.
//
// While a file is being taken it waits in done/ under a dot-name, so that
// it is never taken twice; one found there at the start may or may not
// have become a job, and goes to failed/ saying so.

#include <sys/inotify.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <variant>
#include <vector>

#include "platform/os/UniqueFd.h"
#include "service/JobQueue.h"
#include "service/WatchConfig.h"

namespace zarvo {

class FolderWatcher {
public:
    // Takes one line for the log (UTF-8, without its newline).
    using Log = std::function<void(const std::string& line)>;

    // jobs (not owned) takes the files as jobs; a file over maxBytes is
    // refused without being read. log is called from the watching thread.
    FolderWatcher(JobQueue& jobs, std::vector<WatchedFolder> folders, std::uint64_t maxBytes, Log log);
    // Stops watching.
    ~FolderWatcher();
    FolderWatcher(const FolderWatcher&) = delete;
    FolderWatcher& operator=(const FolderWatcher&) = delete;

    // Watches each folder that exists (one log line for each, and for each
    // that does not or cannot be watched, which is passed over), then, in a
    // thread of its own, takes the files already there and every new one.
    // Does nothing without folders, or when started already. Throws
    // ReportError when the system cannot watch folders at all.
    void start();
    // Stops after the file being taken, if any, and waits for the thread.
    void stop();

private:
    void watch(const WatchedFolder& watched);
    void run();
    bool waitForEvents();
    void readEvents();
    void handle(const inotify_event& event);
    void scan(const WatchedFolder& watched);
    void recoverTaken(const WatchedFolder& watched);
    // The names in folder, sorted; none (said in the log) when it cannot be read.
    std::vector<std::string> entryNames(const std::string& folder) const;
    // Takes folder/name if it is a data file; atStart: it was found there,
    // not told of, so it is passed over while another program has it open.
    void take(const WatchedFolder& watched, const std::string& name, bool atStart);
    std::variant<JobRecord, JobRefusal> submitFile(const WatchedFolder& watched, const std::string& name,
                                                   const std::string& taken);
    void settle(const WatchedFolder& watched, const std::string& name, const std::string& taken,
                const std::variant<JobRecord, JobRefusal>& result);
    void refuse(const std::string& source, const std::string& name, const std::string& taken,
                const std::string& failedFolder, const JobRefusal& refusal);

    JobQueue& jobs_;
    std::vector<WatchedFolder> folders_;
    std::uint64_t maxBytes_;
    Log log_;
    UniqueFd inotify_;
    UniqueFd wake_;  // written once by stop()
    std::atomic<bool> stopping_ = false;  // a scan of many files ends early
    std::map<int, WatchedFolder> watches_;  // by watch descriptor; used by the thread alone once it runs
    std::thread thread_;
};

}  // namespace zarvo
