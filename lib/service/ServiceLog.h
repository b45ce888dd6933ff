#pragma once
// The print service's log: one line per request and per change of a job,
// with the time, appended to a file of the user's alone and rotated by
// size. Lines say what happened, never a token, a request's body or a
// record's values.

#include <cstdint>
#include <mutex>
#include <string>

#include "service/JobSpool.h"
#include "service/ServiceApi.h"

namespace zarvo {

class ServiceLog {
public:
    // Logs to path; when it grows past maxBytes it becomes path.1 (the
    // older ones path.2 ... path.keep), and a new file is begun.
    explicit ServiceLog(std::string path, std::uint64_t maxBytes = 1 << 20, int keep = 3);

    // "GET /v1/printers 200 https://erp.example.com": the path without its
    // query, the status, the origin when there is one.
    void request(const ApiRequest& request, int status);
    // "job ID form printer state", with the message of a failed or
    // uncertain job.
    void job(const JobRecord& job);
    // Any other line.
    void note(const std::string& text);

    // $XDG_STATE_HOME/zarvo/service.log.
    static std::string defaultPath();

private:
    void write(const std::string& line);
    void rotate();

    std::string path_;
    std::uint64_t maxBytes_;
    int keep_;
    std::mutex mutex_;
};

}  // namespace zarvo
