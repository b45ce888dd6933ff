#pragma once
// The print service's jobs: accepted after their data has been checked as
// zarvo-render checks a data file, kept in the spool, and printed in the
// order accepted by a few workers, each drawing one job at a time. A job
// whose printer cannot take it (CUPS away, the printer paused or refusing
// jobs) waits and is tried again every few seconds, the jobs after it for
// that printer waiting behind it; a job handed to CUPS is followed there
// until CUPS has printed it or given it up.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <variant>
#include <vector>

#include "database/DatabaseConnection.h"
#include "platform/Spooler.h"
#include "service/FormCatalog.h"
#include "service/JobSpool.h"

namespace zarvo {

// Why a job was not accepted, as the caller is told it.
struct JobRefusal {
    int status = 400;
    std::string code;
    std::string message;                // UTF-8, Traditional Chinese
    std::optional<std::int64_t> record; // the record (from 1) at fault, when one is
    std::optional<std::string> field;   // its column, UTF-8
};

// What a caller asks to print.
struct JobRequest {
    std::string form;
    std::string printer;        // empty: the default printer (ignored for a PDF)
    int copies = 1;
    bool pdf = false;
    std::string data;           // the data file's bytes
    std::string dataExtension;  // "csv" or "json"
    // Given instead of data: the parameters of the form's [Database] query,
    // whose rows become the job's data file when it is accepted.
    std::optional<DatabaseParameters> params;
};

// Splits a data file check's message ("第 18 筆資料, 欄位「total」: ...")
// into the record and the field it names, when it names them.
void findRecordAndField(const std::string& message, JobRefusal& refusal);

class JobQueue {
public:
    // Makes the spooler a PDF job prints on, writing pdfPath.
    using PdfSpoolers = std::function<std::unique_ptr<Spooler>(const std::string& pdfPath)>;

    struct Settings {
        int workers = 4;
        std::size_t maxQueued = 1000;
        std::function<std::int64_t()> clock;  // seconds since the epoch; empty: the system's
        // How long a job waits before its printer is asked again.
        std::chrono::milliseconds retry{3000};
        // How often CUPS is asked about the jobs handed to it.
        std::chrono::milliseconds followEvery{1000};
    };

    // printers (not owned) prints the jobs for printers; forms and spool
    // are not owned either. Nothing runs before start().
    JobQueue(Spooler& printers, PdfSpoolers pdfSpoolers, const FormCatalog& forms, JobSpool& spool,
             Settings settings);
    // Stops the workers after the jobs they are drawing.
    ~JobQueue();
    JobQueue(const JobQueue&) = delete;
    JobQueue& operator=(const JobQueue&) = delete;

    // Reads the spool (old jobs removed; a job that was being handed to
    // CUPS settled with settleHandOver, any other with recoverJob) and
    // starts the workers, which print the queued jobs in order, and the
    // follower of the jobs in CUPS.
    void start();
    // Asks the workers to stop and waits for them.
    void stop();

    // Checks the request's data against its form and, when it is whole,
    // writes the job to the spool, queues it and returns it; the refusal
    // otherwise, with nothing kept.
    std::variant<JobRecord, JobRefusal> submit(const JobRequest& request);

    // The job of id, as it stands now.
    std::optional<JobRecord> find(const std::string& id) const;

    // Cancels the job of id if it has not reached the print service (queued
    // or waiting, or being drawn):
    // the job after it (cancelled or, when it had, unchanged); nullopt for
    // an unknown id.
    std::optional<JobRecord> cancel(const std::string& id);

    // Where the PDF of a PDF job is written.
    std::string pdfPath(const std::string& id) const { return spool_.pdfPath(id); }

    // Waits until no job is queued, waiting, being drawn or followed in
    // CUPS (for tests); false when timeoutMs passed first.
    bool waitIdle(int timeoutMs);

    // Called with a job each time it is accepted or its record changes
    // (drawn, handed over, ended, cancelled), from the thread that changed
    // it and outside the queue's lock. Added before start().
    using Listener = std::function<void(const JobRecord&)>;
    void addListener(Listener listener);

    // While paused, queued jobs wait and no new one is drawn; jobs being
    // drawn go on.
    void setPaused(bool paused);
    bool paused() const;

    // The jobs known, most recently accepted first, at most limit of them.
    std::vector<JobRecord> recent(std::size_t limit) const;

private:
    struct Running {
        bool cancel = false;
    };
    using Clock = std::chrono::steady_clock;

    std::int64_t now() const;
    void work();
    // The first queued job whose printer is not waiting; called locked.
    std::optional<std::string> nextToPrint();
    // When the first waiting printer is to be asked again; called locked.
    std::optional<Clock::time_point> nextRetry() const;
    void print(JobRecord job);
    // Draws the job and hands it over; it ends Printing while its CUPS
    // jobs are to be followed.
    void draw(JobRecord& job, Running& running);
    // Puts job back in its place to wait for its printer, which is asked
    // again after the retry time; the jobs queued for it (for every printer
    // when CUPS is away) wait with it.
    void holdBack(const JobRecord& job, PrinterReadiness readiness);
    // Gives every queued job for printer ("" any printer) in state from (any
    // when nullopt) the state to and message; saved and told.
    void restate(const std::string& printer, std::optional<JobState> from, JobState to, const std::string& message);
    // Asks CUPS about the followed jobs every followEvery, ending them as
    // their CUPS jobs end.
    void follow();
    void followOnce();
    // Stores job in memory and on disk; a failure to write is kept in its message.
    void update(const JobRecord& job);
    void tell(const JobRecord& job) const;
    void prune();

    Spooler& printers_;
    PdfSpoolers pdfSpoolers_;
    const FormCatalog& forms_;
    JobSpool& spool_;
    Settings settings_;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::map<std::string, JobRecord> jobs_;
    std::deque<std::string> queued_;
    std::map<std::string, std::shared_ptr<Running>> running_;
    std::set<std::string> followed_;  // handed to CUPS, not ended there
    // Printers ("" all of CUPS) that jobs wait for, and when to ask again.
    std::map<std::string, Clock::time_point> blockedUntil_;
    std::thread follower_;
    std::uint64_t nextSequence_ = 1;
    bool stopping_ = false;
    bool paused_ = false;
    std::vector<std::thread> workers_;
    std::vector<Listener> listeners_;
};

}  // namespace zarvo
