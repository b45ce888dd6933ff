// zarvo-service under load: 1,000 one-sheet jobs of the delivery note from
// eight clients at once, against the real program and a private cupsd
// whose queue prints them. Reports the 99th percentile time to the 202
// answer, jobs printed a second (first request to last output), the
// median time from the request to CUPS taking the job (its record on disk
// naming its CUPS job), and the service's resident memory before (after a
// first load of 200 jobs) and after. Every job must come out of the queue
// exactly once.
//
// A second pass posts one job at a time to an idle service and queue and
// reports the median time from the request to CUPS taking the job: the
// latency a clerk pressing "print" meets.

#include <benchmark/benchmark.h>

#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <nlohmann/json.hpp>
#include <thread>

#include "tests/support/PrivateCups.h"
#include "tests/support/ServiceProcess.h"

namespace {

using nlohmann::json;
using Clock = std::chrono::steady_clock;

constexpr int kJobs = 1000;
constexpr int kClients = 8;

double millis(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, std::size_t(p * double(values.size())))];
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Whether every job record in folder is of an ended job.
bool allEnded(const std::filesystem::path& folder) {
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() != ".job") continue;
        const json record = json::parse(readFile(entry.path().string()), nullptr, false);
        const std::string state = record.is_discarded() ? "" : record.value("state", "");
        if (state == "queued" || state == "waiting" || state == "printing") return false;
    }
    return true;
}

// When each job's record first named a CUPS job: the spool's records are
// renamed into place, so each rename is one whole record to read.
class HandOverWatch {
public:
    explicit HandOverWatch(std::string folder) : folder_(std::move(folder)) {
        fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        inotify_add_watch(fd_, folder_.c_str(), IN_MOVED_TO);
        thread_ = std::thread([this] { run(); });
    }
    ~HandOverWatch() {
        stop_ = true;
        thread_.join();
        ::close(fd_);
    }
    std::map<std::string, Clock::time_point> handedOver() {
        std::lock_guard lock(mutex_);
        return seen_;
    }

private:
    void run() {
        alignas(inotify_event) char buffer[64 * 1024];
        while (!stop_) {
            const ssize_t n = ::read(fd_, buffer, sizeof buffer);
            if (n <= 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
                continue;
            }
            const Clock::time_point now = Clock::now();
            for (char* p = buffer; p < buffer + n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(p);
                const std::string name = event->len ? event->name : "";
                if (name.ends_with(".job")) note(name.substr(0, name.size() - 4), now);
                p += sizeof(inotify_event) + event->len;
            }
        }
    }
    void note(const std::string& id, Clock::time_point now) {
        {
            std::lock_guard lock(mutex_);
            if (seen_.count(id)) return;
        }
        const json record = json::parse(readFile(folder_ + "/" + id + ".job"), nullptr, false);
        if (record.is_discarded() || record.value("cups_jobs", json::array()).empty()) return;
        std::lock_guard lock(mutex_);
        seen_.emplace(id, now);
    }

    std::string folder_;
    int fd_ = -1;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    std::mutex mutex_;
    std::map<std::string, Clock::time_point> seen_;
};

// What kClients clients posting jobs one-sheet jobs at once were answered.
struct Load {
    std::vector<double> answerMs;
    std::map<std::string, Clock::time_point> posted;  // accepted job id, when it was sent
};

Load postJobs(const zarvo::test::ServiceProcess& service, int jobs) {
    const std::string body = R"({"form": "delivery_note", "records": [{"no": "N1", "customer": "王小明"}]})";
    Load load;
    std::mutex mutex;
    std::vector<std::thread> clients;
    for (int c = 0; c < kClients; ++c) {
        clients.emplace_back([&] {
            for (int i = 0; i < jobs / kClients; ++i) {
                const Clock::time_point sent = Clock::now();
                const zarvo::test::ServiceProcess::Reply reply = service.request("POST", "/v1/jobs", body);
                const Clock::time_point answered = Clock::now();
                std::lock_guard lock(mutex);
                load.answerMs.push_back(millis(answered - sent));
                if (reply.status == 202) load.posted.emplace(json::parse(reply.body)["id"], sent);
            }
        });
    }
    for (std::thread& client : clients) client.join();
    return load;
}

// Until count jobs are out of the queue, or the service has ended them all
// and CUPS holds none (at most 15 minutes).
void waitPrinted(const zarvo::test::PrivateCups& cups, const zarvo::test::ServiceProcess& service,
                 std::size_t count) {
    const auto deadline = Clock::now() + std::chrono::minutes(15);
    while (cups.printedTitles().size() < count && Clock::now() < deadline &&
           (cups.activeJobCount() > 0 || !allEnded(service.dir() / "state/zarvo/jobs"))) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

void serviceUnderLoad(benchmark::State& state) {
    zarvo::test::PrivateCups cups;
    cups.addQueue("office");
    cups.setDefault("office");
    zarvo::test::ServiceProcess service(ZARVO_SERVICE, ZARVO_SOURCE_DIR);
    service.start();
    // A first load, so that the memory before is that of a service that has
    // already drawn and followed jobs on all its threads.
    constexpr int kWarmUp = 200;
    waitPrinted(cups, service, postJobs(service, kWarmUp).posted.size());
    const std::size_t rssBefore = service.residentKb();
    HandOverWatch watch((service.dir() / "state/zarvo/jobs").string());

    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        const Load load = postJobs(service, kJobs);
        waitPrinted(cups, service, kWarmUp + load.posted.size());
        const double seconds = millis(Clock::now() - start) / 1000;

        std::map<std::string, int> printed;
        for (const std::string& title : cups.printedTitles()) ++printed[title.substr(6, 16)];
        int once = 0;
        const auto handedOver = watch.handedOver();
        std::vector<double> toCups;
        for (const auto& [id, sent] : load.posted) {
            once += printed[id] == 1;
            if (const auto found = handedOver.find(id); found != handedOver.end()) {
                toCups.push_back(millis(found->second - sent));
            }
        }
        state.counters["accepted"] = double(load.posted.size());
        state.counters["printed_once"] = once;
        state.counters["answer_p99_ms"] = percentile(load.answerMs, 0.99);
        state.counters["jobs_per_s"] = double(load.posted.size()) / seconds;
        state.counters["to_cups_median_ms"] = percentile(toCups, 0.5);
        state.counters["rss_before_kb"] = double(rssBefore);
        state.counters["rss_after_kb"] = double(service.residentKb());
        if (int(load.posted.size()) != kJobs || once != kJobs) {
            state.SkipWithError("a job was refused, lost or printed twice");
        }
    }
}

// Posts one job, waits until CUPS has taken it and printed it, then the next.
void serviceSingleJob(benchmark::State& state) {
    constexpr int kSingles = 40;
    zarvo::test::PrivateCups cups;
    cups.addQueue("office");
    cups.setDefault("office");
    zarvo::test::ServiceProcess service(ZARVO_SERVICE, ZARVO_SOURCE_DIR);
    service.start();
    waitPrinted(cups, service, postJobs(service, kClients).posted.size());
    HandOverWatch watch((service.dir() / "state/zarvo/jobs").string());
    const std::string body = R"({"form": "delivery_note", "records": [{"no": "N1", "customer": "王小明"}]})";

    for (auto _ : state) {
        std::vector<double> toCups;
        for (int i = 0; i < kSingles; ++i) {
            const Clock::time_point sent = Clock::now();
            const zarvo::test::ServiceProcess::Reply reply = service.request("POST", "/v1/jobs", body);
            if (reply.status != 202) break;
            const std::string id = json::parse(reply.body)["id"];
            const auto deadline = sent + std::chrono::seconds(30);
            while (!watch.handedOver().count(id) && Clock::now() < deadline) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            if (const auto handedOver = watch.handedOver(); handedOver.count(id)) {
                toCups.push_back(millis(handedOver.at(id) - sent));
            }
            waitPrinted(cups, service, std::size_t(kClients + i + 1));
        }
        state.counters["to_cups_median_ms"] = percentile(toCups, 0.5);
        state.counters["to_cups_p90_ms"] = percentile(toCups, 0.9);
        if (int(toCups.size()) != kSingles) state.SkipWithError("a job was refused or never reached CUPS");
    }
}

BENCHMARK(serviceSingleJob)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(serviceUnderLoad)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace
