#pragma once
// The print service's jobs on disk: one folder (mode 0700) holding, for
// each job, its record ID.job (JSON), its data file (ID.csv or ID.json) and,
// for a PDF job, the PDF made (ID.pdf); every file 0600, each record
// replaced whole and synced to disk before it counts.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zarvo {

enum class JobState { Queued, Waiting, Printing, Done, Failed, Cancelled, Unknown };

// "queued", "waiting", ... as callers see it.
std::string_view jobStateName(JobState state);
std::optional<JobState> jobStateNamed(std::string_view name);

// Whether a job in state will change no more.
bool jobEnded(JobState state);

struct JobRecord {
    std::string id;       // 16 lower-case hex digits
    std::string form;     // UTF-8
    std::string printer;  // UTF-8; empty for a PDF job
    int copies = 1;
    bool pdf = false;
    std::string dataExtension;  // "csv" or "json"
    JobState state = JobState::Queued;
    // The print was being given to the print service: set, and synced,
    // before the first job is submitted, so that a job that was under way
    // when the service stopped is never printed again unasked.
    bool handingOver = false;
    // How many CUPS jobs the hand-over makes, added up before each is
    // submitted; cupsJobs is whole when it holds that many.
    int handOverJobs = 0;
    // How many times the job has been drawn for a printer; its CUPS jobs
    // are named after it (see cupsJobName).
    int attempt = 0;
    std::int64_t sheets = 0;
    std::vector<int> cupsJobs;
    std::string message;        // UTF-8, why it failed or what the printer leaves out
    std::int64_t created = 0;   // seconds since the epoch
    std::uint64_t sequence = 0; // the order jobs were accepted in

    bool operator==(const JobRecord&) const = default;
};

// The record's text, and the record read back from it (nullopt for a text
// that is no such record).
std::string jobRecordText(const JobRecord& job);
std::optional<JobRecord> parseJobRecord(std::string_view text);

// Whether id could be a job's id (16 lower-case hex digits).
bool jobIdShape(std::string_view id);

// What the service says of a job that was being handed to the print
// service when it stopped.
inline constexpr const char* kMaybeSentMessage = "可能已送出, 請查看印表機";

// How long a job and its files are kept, seconds.
inline constexpr std::int64_t kJobKeepSeconds = 7 * 24 * 60 * 60;

class JobSpool {
public:
    // The spool in folder, created (0700) when missing. Throws ReportError
    // when it cannot be made or is not the user's own.
    explicit JobSpool(std::string folder);

    const std::string& folder() const { return folder_; }
    std::string recordPath(const std::string& id) const;
    std::string dataPath(const JobRecord& job) const;
    std::string pdfPath(const std::string& id) const;

    // Writes bytes as path, replacing it whole: a temporary file (0600)
    // written, synced, renamed into place, the folder synced. Throws
    // ReportError when it cannot; nothing half-written remains.
    void writeFile(const std::string& path, std::string_view bytes) const;

    // Writes the job's record.
    void save(const JobRecord& job) const { writeFile(recordPath(job.id), jobRecordText(job)); }

    // Every job record in the folder, in sequence order; a record that
    // cannot be read is passed over. Jobs created more than kJobKeepSeconds
    // before now are removed with their files instead.
    std::vector<JobRecord> load(std::int64_t now) const;

    // Removes the job's files.
    void remove(const JobRecord& job) const;

private:
    std::string folder_;
};

// A job as the service finds it again on starting: a queued job, or one
// that was drawn but not handed over, is queued (again); one that was
// being handed over is unknown, with kMaybeSentMessage; others as they
// were. Returns whether anything changed.
bool recoverJob(JobRecord& job);

}  // namespace zarvo
