#include "service/ServiceLog.h"

#include <sys/stat.h>

#include <cstdio>
#include <ctime>

#include "platform/os/DataRoot.h"
#include "platform/os/PrivateFile.h"
#include "report/ReportError.h"
#include "service/ServiceFiles.h"

namespace zarvo {
namespace {

// text with what stands between 「 and 」 left out: messages quote the
// values of records there.
std::string withoutQuotedValues(const std::string& text) {
    static const std::string open = "「";
    static const std::string close = "」";
    std::string result;
    std::size_t at = 0;
    for (std::size_t start; (start = text.find(open, at)) != std::string::npos;) {
        const std::size_t end = text.find(close, start + open.size());
        if (end == std::string::npos) break;
        result += text.substr(at, start - at) + open + "…" + close;
        at = end + close.size();
    }
    result += text.substr(at);
    for (char& c : result) {
        if (c == '\n' || c == '\r') c = ' ';
    }
    return result;
}

std::string timestamp() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

}  // namespace

ServiceLog::ServiceLog(std::string path, std::uint64_t maxBytes, int keep)
    : path_(std::move(path)), maxBytes_(maxBytes), keep_(keep) {}

std::string ServiceLog::defaultPath() {
    return defaultSpoolFolder().substr(0, defaultSpoolFolder().rfind('/')) + "/service.log";
}

void ServiceLog::request(const ApiRequest& request, int status) {
    const std::string path = request.target.substr(0, request.target.find('?'));
    std::string line = request.method + " " + path + " " + std::to_string(status);
    if (const auto origin = request.headers.find("origin"); origin != request.headers.end()) {
        line += " " + origin->second.substr(0, 256);
    }
    write(line);
}

void ServiceLog::job(const JobRecord& job) {
    std::string line = "job " + job.id + " " + job.form + " " + (job.pdf ? "PDF" : job.printer) + " " +
                       std::string(jobStateName(job.state));
    if (job.state == JobState::Failed || job.state == JobState::Unknown || job.state == JobState::Waiting) {
        line += " " + withoutQuotedValues(job.message);
    }
    write(line);
}

void ServiceLog::note(const std::string& text) { write(withoutQuotedValues(text)); }

void ServiceLog::write(const std::string& line) {
    std::lock_guard lock(mutex_);
    try {
        struct stat info {};
        if (::stat(path_.c_str(), &info) == 0 && std::uint64_t(info.st_size) >= maxBytes_) rotate();
        ensurePrivateDirectory(path_.substr(0, path_.rfind('/')));
        writePrivateFile(path_, timestamp() + " " + line + "\n", WriteMode::Append);
    } catch (const ReportError&) {
        // A log that cannot be written never stops printing.
    }
}

void ServiceLog::rotate() {
    for (int i = keep_; i > 1; --i) {
        std::rename((path_ + "." + std::to_string(i - 1)).c_str(), (path_ + "." + std::to_string(i)).c_str());
    }
    std::rename(path_.c_str(), (path_ + ".1").c_str());
}

}  // namespace zarvo
