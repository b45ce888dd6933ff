// What the service shows on a desktop, without widgets: whether a display
// is there, the tray's texts, the recent jobs kept up to date from changes
// that may arrive late, and the rows of the allowed web pages.

#include <gtest/gtest.h>

#include "service/ServiceDesktop.h"

namespace zarvo {
namespace {

TEST(ServiceDesktopTest, ADesktopIsADisplayThatQtWouldReach) {
    struct Case {
        DisplayEnvironment environment;
        std::optional<std::string> platform;
    };
    const Case cases[] = {
        {{"", "", ""}, std::nullopt},
        {{":0", "", ""}, "xcb"},
        {{"", "wayland-0", ""}, "wayland"},
        {{":0", "wayland-0", ""}, "wayland"},
        {{":0", "", "offscreen"}, std::nullopt},
        {{":0", "wayland-0", "minimal"}, std::nullopt},
        {{":0", "", "xcb"}, "xcb"},
        {{"", "", "xcb"}, std::nullopt},
        {{":0", "", "wayland"}, std::nullopt},
        {{":0", "", "xcb:nomitshm"}, "xcb:nomitshm"},
        // Qt takes the first choice that starts.
        {{":0", "", "wayland;xcb"}, "xcb"},
        {{":0", "wayland-1", "wayland-egl;xcb"}, "wayland-egl"},
        {{":0", "", "offscreen;xcb"}, std::nullopt},
        {{":0", "", ";xcb;"}, "xcb"},
        {{":0", "", "eglfs"}, std::nullopt},
    };
    for (const Case& c : cases) {
        const DisplayEnvironment& e = c.environment;
        EXPECT_EQ(desktopPlatform(e), c.platform)
            << "DISPLAY=" << e.display << " WAYLAND_DISPLAY=" << e.waylandDisplay << " QT_QPA_PLATFORM=" << e.qpaPlatform;
    }
}

JobRecord job(std::string id, std::uint64_t sequence, JobState state, std::string form = "delivery_note") {
    JobRecord record;
    record.id = std::move(id);
    record.sequence = sequence;
    record.state = state;
    record.form = std::move(form);
    record.printer = "Office";
    return record;
}

TEST(ServiceDesktopTest, AJobsLineNamesItsFormWhereItGoesAndItsStateInChinese) {
    JobRecord pdf = job("p", 1, JobState::Done);
    pdf.pdf = true;
    pdf.printer.clear();
    JobRecord anyPrinter = job("d", 1, JobState::Waiting);
    anyPrinter.printer.clear();
    const std::string longName(45, 'x');
    struct Case {
        JobRecord job;
        std::string line;
    };
    const Case cases[] = {
        {job("a", 1, JobState::Queued), "delivery_note → Office — 排隊中"},
        {job("a", 1, JobState::Printing, "出貨單"), "出貨單 → Office — 列印中"},
        {job("a", 1, JobState::Failed), "delivery_note → Office — 失敗"},
        {job("a", 1, JobState::Cancelled), "delivery_note → Office — 已取消"},
        {job("a", 1, JobState::Unknown), "delivery_note → Office — 可能已送出"},
        {pdf, "delivery_note → PDF — 已完成"},
        {anyPrinter, "delivery_note → 預設印表機 — 等待印表機"},
        {job("a", 1, JobState::Queued, longName), std::string(40, 'x') + "… → Office — 排隊中"},
        // Cut by characters, never inside one.
        {job("a", 1, JobState::Queued, "出貨單" + std::string(37, 'x') + "出貨單"),
         "出貨單" + std::string(37, 'x') + "… → Office — 排隊中"},
    };
    for (const Case& c : cases) EXPECT_EQ(trayJobLine(c.job), c.line) << c.job.form;
}

TEST(ServiceDesktopTest, TheTooltipGivesThePortTheJobsWaitingAndAPause) {
    struct Case {
        int port;
        std::size_t waiting;
        bool paused;
        std::string text;
    };
    const Case cases[] = {
        {8631, 0, false, "Zarvo 列印服務\n通訊埠 8631, 沒有等待中的工作"},
        {8700, 3, false, "Zarvo 列印服務\n通訊埠 8700, 等待中 3 件"},
        {8631, 1, true, "Zarvo 列印服務\n通訊埠 8631, 等待中 1 件\n列印已暫停"},
    };
    for (const Case& c : cases) EXPECT_EQ(trayToolTip(c.port, c.waiting, c.paused), c.text);
}

TEST(ServiceDesktopTest, TheMenuListsTheRecentJobsOrSaysThereIsNone) {
    const RecentJobs none({});
    const RecentJobs two({job("a", 1, JobState::Done), job("b", 2, JobState::Queued)});
    struct Case {
        const RecentJobs* jobs;
        bool paused;
        std::string folder;
        std::vector<std::string> lines;
        std::string pauseText;
        bool openForms;
    };
    const Case cases[] = {
        {&none, false, "/srv/forms", {}, "暫停列印", true},
        {&two, true, "/srv/forms", {"delivery_note → Office — 排隊中", "delivery_note → Office — 已完成"}, "繼續列印", true},
        {&none, false, "", {}, "暫停列印", false},
    };
    for (const Case& c : cases) {
        const TrayMenuState state = trayMenuState(*c.jobs, c.paused, c.folder);
        EXPECT_EQ(state.jobLines, c.lines);
        EXPECT_EQ(state.noJobsText, "沒有最近的工作");
        EXPECT_EQ(state.pauseText, c.pauseText);
        EXPECT_EQ(state.openFormsEnabled, c.openForms);
    }
}

// The ids shown, in order.
std::vector<std::string> shownIds(const RecentJobs& jobs) {
    std::vector<std::string> ids;
    for (const JobRecord& shown : jobs.shown()) ids.push_back(shown.id);
    return ids;
}

TEST(ServiceDesktopTest, RecentJobsFollowTheChangesAndTellAFailureOnce) {
    struct Step {
        JobRecord record;
        bool shownChanged;
        bool failedNow;
    };
    struct Case {
        const char* name;
        std::vector<JobRecord> known;
        std::vector<Step> steps;
        std::vector<std::string> shown;
        std::size_t waiting;
    };
    std::vector<JobRecord> twelve;
    for (int i = 1; i <= 12; ++i) twelve.push_back(job("j" + std::to_string(i), std::uint64_t(i), JobState::Done));
    const Case cases[] = {
        {"a job goes through its states",
         {},
         {{job("a", 1, JobState::Queued), true, false},
          {job("a", 1, JobState::Printing), true, false},
          {job("a", 1, JobState::Printing), false, false},
          {job("a", 1, JobState::Done), true, false}},
         {"a"},
         0},
        {"a failure is told once, a late record after it changes nothing",
         {},
         {{job("a", 1, JobState::Printing), true, false},
          {job("a", 1, JobState::Failed), true, true},
          {job("a", 1, JobState::Failed), false, false},
          {job("a", 1, JobState::Printing), false, false}},
         {"a"},
         0},
        {"a job that failed before the start is not told",
         {job("a", 1, JobState::Failed)},
         {{job("a", 1, JobState::Failed), false, false}},
         {"a"},
         0},
        {"only the ten most recent are shown, newest first",
         twelve,
         {{job("j13", 13, JobState::Queued), true, false}, {job("j0", 0, JobState::Queued), true, false}},
         {"j13", "j12", "j11", "j10", "j9", "j8", "j7", "j6", "j5", "j4"},
         2},
        {"a job accepted earlier than those shown finds its place",
         {job("a", 1, JobState::Done), job("c", 3, JobState::Queued)},
         {{job("b", 2, JobState::Waiting), true, false}},
         {"c", "b", "a"},
         2},
        {"a job leaves the waiting count when it prints or is cancelled",
         {job("a", 1, JobState::Queued), job("b", 2, JobState::Queued)},
         {{job("a", 1, JobState::Printing), true, false}, {job("b", 2, JobState::Cancelled), true, false}},
         {"b", "a"},
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecentJobs jobs(c.known);
        for (std::size_t i = 0; i < c.steps.size(); ++i) {
            const RecentJobs::Change change = jobs.apply(c.steps[i].record);
            EXPECT_EQ(change.shownChanged, c.steps[i].shownChanged) << "step " << i;
            EXPECT_EQ(change.failedNow, c.steps[i].failedNow) << "step " << i;
        }
        EXPECT_EQ(shownIds(jobs), c.shown);
        EXPECT_EQ(jobs.waiting(), c.waiting);
    }
}

TEST(ServiceDesktopTest, OriginRowsListTheConfiguredFirstAndEachOriginOnce) {
    struct Case {
        std::vector<std::string> configured;
        std::vector<std::string> paired;
        std::vector<std::string> rows;  // "origin note"
    };
    const Case cases[] = {
        {{}, {}, {}},
        {{"https://b.example", "https://a.example"},
         {"https://z.example", "http://c.example:8080"},
         {"https://b.example 設定檔", "https://a.example 設定檔", "http://c.example:8080 已允許",
          "https://z.example 已允許"}},
        {{"https://a.example", "https://a.example"}, {"https://a.example"}, {"https://a.example 設定檔"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> rows;
        for (const OriginRow& row : originRows(c.configured, c.paired)) {
            EXPECT_EQ(row.configured, row.note == "設定檔") << row.origin;
            rows.push_back(row.origin + " " + row.note);
        }
        EXPECT_EQ(rows, c.rows);
    }
}

}  // namespace
}  // namespace zarvo
