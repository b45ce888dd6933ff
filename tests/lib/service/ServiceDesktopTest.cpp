// What the service shows on a desktop, without widgets: whether a display
// is there, a job's line, the recent jobs kept up to date from changes that
// may arrive late, and the rows of the allowed web pages.

#include <gtest/gtest.h>

#include "service/ServiceDesktop.h"

namespace zarvo {
namespace {

TEST(ServiceDesktopTest, ADesktopIsADisplayThatQtWouldReach) {
    const std::pair<DisplayEnvironment, std::optional<std::string>> cases[] = {
        {{"", "", ""}, std::nullopt},
        {{":0", "", ""}, "xcb"},
        {{":0", "wayland-0", ""}, "wayland"},
        {{":0", "", "offscreen"}, std::nullopt},
        {{"", "", "xcb"}, std::nullopt},
        {{":0", "", "xcb:nomitshm"}, "xcb:nomitshm"},
        // Qt takes the first choice that starts; one without a display always does.
        {{":0", "", "wayland;xcb"}, "xcb"},
        {{":0", "wayland-1", "wayland-egl;xcb"}, "wayland-egl"},
        {{":0", "", "minimal;xcb"}, std::nullopt},
    };
    for (const auto& [environment, platform] : cases) {
        EXPECT_EQ(desktopPlatform(environment), platform)
            << environment.display << "|" << environment.waylandDisplay << "|" << environment.qpaPlatform;
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
    JobRecord anyPrinter = job("d", 1, JobState::Waiting);
    anyPrinter.printer.clear();
    const std::pair<JobRecord, std::string> cases[] = {
        {job("a", 1, JobState::Printing, "出貨單"), "出貨單 → Office — 列印中"},
        {job("a", 1, JobState::Unknown), "delivery_note → Office — 可能已送出"},
        {pdf, "delivery_note → PDF — 已完成"},
        {anyPrinter, "delivery_note → 預設印表機 — 等待印表機"},
        // Long names are cut at 40 characters, never inside one.
        {job("a", 1, JobState::Queued, "出貨單" + std::string(37, 'x') + "出貨單"),
         "出貨單" + std::string(37, 'x') + "… → Office — 排隊中"},
    };
    for (const auto& [record, line] : cases) EXPECT_EQ(trayJobLine(record), line);
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
        {"a failure is told once; a late record after it, or no change, changes nothing",
         {job("b", 2, JobState::Queued)},
         {{job("a", 1, JobState::Printing), true, false},
          {job("a", 1, JobState::Printing), false, false},
          {job("a", 1, JobState::Failed), true, true},
          {job("a", 1, JobState::Failed), false, false},
          {job("a", 1, JobState::Printing), false, false},
          {job("b", 2, JobState::Cancelled), true, false}},
         {"b", "a"},
         0},
        {"a job that failed before the start is not told",
         {job("a", 1, JobState::Failed)},
         {{job("a", 1, JobState::Failed), false, false}},
         {"a"},
         0},
        {"the ten most recent are shown, newest first; an older one only counts",
         twelve,
         {{job("j13", 13, JobState::Queued), true, false}, {job("j0", 0, JobState::Queued), true, false}},
         {"j13", "j12", "j11", "j10", "j9", "j8", "j7", "j6", "j5", "j4"},
         2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecentJobs jobs(c.known);
        for (std::size_t i = 0; i < c.steps.size(); ++i) {
            const RecentJobs::Change change = jobs.apply(c.steps[i].record);
            EXPECT_EQ(change.shownChanged, c.steps[i].shownChanged) << "step " << i;
            EXPECT_EQ(change.failedNow, c.steps[i].failedNow) << "step " << i;
        }
        std::vector<std::string> shown;
        for (const JobRecord& record : jobs.shown()) shown.push_back(record.id);
        EXPECT_EQ(shown, c.shown);
        EXPECT_EQ(jobs.waiting(), c.waiting);
    }
}

TEST(ServiceDesktopTest, OriginRowsListTheConfiguredFirstAndEachOriginOnce) {
    std::vector<std::string> rows;
    for (const OriginRow& row : originRows({"https://b.example", "https://a.example", "https://b.example"},
                                           {"https://z.example", "http://c.example:8080", "https://a.example"})) {
        rows.push_back(row.origin + " " + row.note + (row.configured ? " configured" : ""));
    }
    EXPECT_EQ(rows, (std::vector<std::string>{"https://b.example 設定檔 configured", "https://a.example 設定檔 configured",
                                              "http://c.example:8080 已允許", "https://z.example 已允許"}));
}

}  // namespace
}  // namespace zarvo
