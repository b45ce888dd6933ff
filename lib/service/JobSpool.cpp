#include "service/JobSpool.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "platform/os/DataRoot.h"
#include "platform/os/PrivateFile.h"
#include "platform/os/UniqueFd.h"
#include "report/ReportError.h"
#include "service/ServiceFiles.h"

namespace zarvo {
namespace {

using nlohmann::json;

constexpr std::string_view kStateNames[] = {"queued", "waiting", "printing", "done",
                                            "failed", "cancelled", "unknown"};
constexpr std::string_view kRecordExtension = ".job";
constexpr std::size_t kMaxRecordBytes = 1024 * 1024;

std::optional<std::string> readSmallFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string text(kMaxRecordBytes + 1, '\0');
    in.read(text.data(), std::streamsize(text.size()));
    text.resize(std::size_t(in.gcount()));
    if (text.size() > kMaxRecordBytes) return std::nullopt;
    return text;
}

}  // namespace

std::string_view jobStateName(JobState state) { return kStateNames[int(state)]; }

std::optional<JobState> jobStateNamed(std::string_view name) {
    for (int i = 0; i < int(std::size(kStateNames)); ++i) {
        if (kStateNames[i] == name) return JobState(i);
    }
    return std::nullopt;
}

bool jobEnded(JobState state) {
    return state == JobState::Done || state == JobState::Failed || state == JobState::Cancelled ||
           state == JobState::Unknown;
}

bool jobIdShape(std::string_view id) {
    return id.size() == 16 && std::all_of(id.begin(), id.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
           });
}

std::string jobRecordText(const JobRecord& job) {
    const json record = {
        {"id", job.id},
        {"form", job.form},
        {"printer", job.printer},
        {"copies", job.copies},
        {"pdf", job.pdf},
        {"data", job.dataExtension},
        {"state", jobStateName(job.state)},
        {"handing_over", job.handingOver},
        {"hand_over_jobs", job.handOverJobs},
        {"attempt", job.attempt},
        {"sheets", job.sheets},
        {"cups_jobs", job.cupsJobs},
        {"message", job.message},
        {"created", job.created},
        {"sequence", job.sequence},
    };
    return record.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}

std::optional<JobRecord> parseJobRecord(std::string_view text) {
    try {
        const json record = json::parse(text);
        JobRecord job;
        job.id = record.at("id").get<std::string>();
        job.form = record.at("form").get<std::string>();
        job.printer = record.at("printer").get<std::string>();
        job.copies = record.at("copies").get<int>();
        job.pdf = record.at("pdf").get<bool>();
        job.dataExtension = record.at("data").get<std::string>();
        const std::optional<JobState> state = jobStateNamed(record.at("state").get<std::string>());
        if (!state) return std::nullopt;
        job.state = *state;
        job.handingOver = record.at("handing_over").get<bool>();
        // Records written before jobs were followed in CUPS have neither.
        job.handOverJobs = record.value("hand_over_jobs", 0);
        job.attempt = record.value("attempt", 0);
        job.sheets = record.at("sheets").get<std::int64_t>();
        job.cupsJobs = record.at("cups_jobs").get<std::vector<int>>();
        job.message = record.at("message").get<std::string>();
        job.created = record.at("created").get<std::int64_t>();
        job.sequence = record.at("sequence").get<std::uint64_t>();
        if (!jobIdShape(job.id) || (job.dataExtension != "csv" && job.dataExtension != "json")) return std::nullopt;
        return job;
    } catch (const json::exception&) {
        return std::nullopt;
    }
}

JobSpool::JobSpool(std::string folder) : folder_(std::move(folder)) { ensurePrivateDirectory(folder_); }

std::string JobSpool::recordPath(const std::string& id) const {
    return folder_ + "/" + id + std::string(kRecordExtension);
}

std::string JobSpool::dataPath(const JobRecord& job) const { return folder_ + "/" + job.id + "." + job.dataExtension; }

std::string JobSpool::pdfPath(const std::string& id) const { return folder_ + "/" + id + ".pdf"; }

void JobSpool::writeFile(const std::string& path, std::string_view bytes) const {
    replacePrivateFile(path, bytes, "工作檔");
}

std::vector<JobRecord> JobSpool::load(std::int64_t now) const {
    std::vector<JobRecord> jobs;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(folder_, error), end; !error && entry != end;
         entry.increment(error)) {
        const std::string file = entry->path().filename().string();
        if (file.find(".tmp-") != std::string::npos) {
            // A record or data file whose writing never ended.
            std::filesystem::remove(entry->path(), error);
            error.clear();
            continue;
        }
        if (!file.ends_with(kRecordExtension)) continue;
        const std::optional<std::string> text = readSmallFile(entry->path().string());
        if (!text) continue;
        std::optional<JobRecord> job = parseJobRecord(*text);
        if (!job || job->id + std::string(kRecordExtension) != file) continue;
        if (now - job->created > kJobKeepSeconds) {
            remove(*job);
            continue;
        }
        jobs.push_back(std::move(*job));
    }
    std::sort(jobs.begin(), jobs.end(),
              [](const JobRecord& a, const JobRecord& b) { return a.sequence < b.sequence; });
    return jobs;
}

void JobSpool::remove(const JobRecord& job) const {
    // The record goes last: a job whose files were half removed is found
    // again and removed again.
    ::unlink(dataPath(job).c_str());
    ::unlink(pdfPath(job.id).c_str());
    ::unlink(recordPath(job.id).c_str());
}

bool recoverJob(JobRecord& job) {
    if (job.state == JobState::Queued) return false;
    if (job.state != JobState::Printing && job.state != JobState::Waiting) return false;
    if (job.handingOver) {
        job.state = JobState::Unknown;
        job.message = kMaybeSentMessage;
    } else {
        job.state = JobState::Queued;
    }
    return true;
}

}  // namespace zarvo
