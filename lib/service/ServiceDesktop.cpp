#include "service/ServiceDesktop.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>

namespace zarvo {

namespace {

constexpr std::size_t kFormNameShown = 40;

std::string variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// The platform's name without its options ("xcb:foo" is "xcb").
std::string_view platformName(std::string_view choice) { return choice.substr(0, choice.find(':')); }

// Whether choice reaches a display of environment's: nullopt when it is a
// platform without one, false when its display is not set.
std::optional<bool> reachesDisplay(std::string_view choice, const DisplayEnvironment& environment) {
    const std::string_view name = platformName(choice);
    if (name == "xcb") return !environment.display.empty();
    if (name.starts_with("wayland")) return !environment.waylandDisplay.empty();
    return std::nullopt;
}

// text cut to at most limit characters (UTF-8 code points), "…" marking the cut.
std::string shortened(const std::string& text, std::size_t limit) {
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;
        if (characters++ == limit) return text.substr(0, i) + "…";
    }
    return text;
}

// "delivery_note → Office", the form shortened.
std::string jobTarget(const JobRecord& job) {
    const std::string target = job.pdf ? "PDF" : job.printer.empty() ? "預設印表機" : job.printer;
    return shortened(job.form, kFormNameShown) + " → " + target;
}

bool waitingState(JobState state) { return state == JobState::Queued || state == JobState::Waiting; }

}  // namespace

DisplayEnvironment currentDisplayEnvironment() {
    return {variable("DISPLAY"), variable("WAYLAND_DISPLAY"), variable("QT_QPA_PLATFORM")};
}

std::optional<std::string> desktopPlatform(const DisplayEnvironment& environment) {
    if (environment.qpaPlatform.empty()) {
        if (!environment.waylandDisplay.empty()) return "wayland";
        if (!environment.display.empty()) return "xcb";
        return std::nullopt;
    }
    std::string_view choices = environment.qpaPlatform;
    while (!choices.empty()) {
        const std::size_t end = std::min(choices.find(';'), choices.size());
        const std::string_view choice = choices.substr(0, end);
        choices.remove_prefix(std::min(end + 1, choices.size()));
        if (choice.empty()) continue;
        const std::optional<bool> reaches = reachesDisplay(choice, environment);
        // Qt takes the first platform that starts; one without a display always does.
        if (!reaches) return std::nullopt;
        if (*reaches) return std::string(choice);
    }
    return std::nullopt;
}

std::string jobStateText(JobState state) {
    switch (state) {
    case JobState::Queued: return "排隊中";
    case JobState::Waiting: return "等待印表機";
    case JobState::Printing: return "列印中";
    case JobState::Done: return "已完成";
    case JobState::Failed: return "失敗";
    case JobState::Cancelled: return "已取消";
    case JobState::Unknown: return "可能已送出";
    }
    return "不明";
}

std::string trayJobLine(const JobRecord& job) { return jobTarget(job) + " — " + jobStateText(job.state); }

std::string trayToolTip(int port, std::size_t waiting, bool paused) {
    std::string text = "Zarvo 列印服務\n通訊埠 " + std::to_string(port) + ", " +
                       (waiting == 0 ? std::string("沒有等待中的工作") : "等待中 " + std::to_string(waiting) + " 件");
    if (paused) text += "\n列印已暫停";
    return text;
}

std::string pauseActionText(bool paused) { return paused ? "繼續列印" : "暫停列印"; }

TrayMessage failedJobMessage(const JobRecord& job) {
    return {"列印失敗", jobTarget(job) + (job.message.empty() ? " 沒有印出" : ": " + job.message)};
}

RecentJobs::RecentJobs(const std::vector<JobRecord>& known) {
    for (const JobRecord& job : known) count(job);
    shown_ = known;
    std::sort(shown_.begin(), shown_.end(),
              [](const JobRecord& a, const JobRecord& b) { return a.sequence > b.sequence; });
    if (shown_.size() > kShown) shown_.resize(kShown);
}

void RecentJobs::count(const JobRecord& job) {
    if (waitingState(job.state)) waiting_.insert(job.id);
    else waiting_.erase(job.id);
    if (jobEnded(job.state)) ended_.insert(job.id);
}

RecentJobs::Change RecentJobs::apply(const JobRecord& job) {
    if (ended_.contains(job.id)) return {};
    const std::size_t waitingBefore = waiting_.size();
    count(job);
    Change change;
    change.failedNow = job.state == JobState::Failed;
    change.shownChanged = waiting_.size() != waitingBefore;
    const auto same = std::find_if(shown_.begin(), shown_.end(), [&](const JobRecord& shown) { return shown.id == job.id; });
    if (same != shown_.end()) {
        change.shownChanged = change.shownChanged || *same != job;
        *same = job;
    } else if (shown_.size() < kShown || job.sequence > shown_.back().sequence) {
        const auto place = std::find_if(shown_.begin(), shown_.end(),
                                        [&](const JobRecord& shown) { return shown.sequence < job.sequence; });
        shown_.insert(place, job);
        if (shown_.size() > kShown) shown_.pop_back();
        change.shownChanged = true;
    }
    return change;
}

TrayMenuState trayMenuState(const RecentJobs& jobs, bool paused, const std::string& formsFolder) {
    TrayMenuState state;
    for (const JobRecord& job : jobs.shown()) state.jobLines.push_back(trayJobLine(job));
    state.noJobsText = "沒有最近的工作";
    state.pauseText = pauseActionText(paused);
    state.openFormsEnabled = !formsFolder.empty();
    return state;
}

std::vector<OriginRow> originRows(const std::vector<std::string>& configured, std::vector<std::string> paired) {
    std::vector<OriginRow> rows;
    const auto listed = [&](const std::string& origin) {
        return std::any_of(rows.begin(), rows.end(), [&](const OriginRow& row) { return row.origin == origin; });
    };
    for (const std::string& origin : configured) {
        if (!listed(origin)) rows.push_back({origin, true, "設定檔"});
    }
    std::sort(paired.begin(), paired.end());
    for (const std::string& origin : paired) {
        if (!listed(origin)) rows.push_back({origin, false, "已允許"});
    }
    return rows;
}

}  // namespace zarvo
