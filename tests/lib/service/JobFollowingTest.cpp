// Jobs followed in CUPS: what their CUPS jobs add up to, what a restart
// makes of a job that was being handed over, and a queue that waits for
// its printer and follows what it handed over until CUPS ends it.

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <thread>

#include "platform/os/DataRoot.h"
#include "platform/recording/RecordingSpooler.h"
#include "service/JobFollowing.h"
#include "service/JobQueue.h"
#include "tests/common/TempDir.h"

namespace zarvo {
namespace {

using Q = QueuedJobState;

QueuedJob queued(int id, Q state, std::string name = {}, int kilobytes = 4, std::int64_t created = 100) {
    QueuedJob job;
    job.id = id;
    job.state = state;
    job.name = std::move(name);
    job.kilobytes = kilobytes;
    job.created = created;
    job.reason = state == Q::Aborted ? "printer-stopped" : "";
    return job;
}

TEST(FollowedOutcome, EndsOnlyWhenEveryCupsJobHasEnded) {
    struct Case {
        std::vector<Q> states;
        std::optional<JobState> after;
        std::string message;
    } cases[] = {
        {{Q::Completed, Q::Completed}, JobState::Done, ""},
        {{Q::Completed, Q::Processing}, std::nullopt, ""},
        {{Q::Pending, Q::Held, Q::Stopped}, std::nullopt, ""},
        {{Q::Completed, Q::Aborted}, JobState::Failed, "CUPS 中止了列印 (printer-stopped)"},
        {{Q::Pending, Q::Cancelled}, JobState::Failed, "列印工作在 CUPS 中被取消"},
        {{Q::Completed, Q::Missing}, JobState::Unknown, "CUPS 已沒有這件工作的紀錄, 請查看印表機"},
    };
    for (const Case& c : cases) {
        std::vector<QueuedJob> jobs;
        for (Q state : c.states) jobs.push_back(queued(int(jobs.size()) + 1, state));
        const std::optional<FollowedOutcome> outcome = followedOutcome(jobs);
        ASSERT_EQ(outcome.has_value(), c.after.has_value()) << c.message;
        if (!outcome) continue;
        EXPECT_EQ(outcome->state, *c.after);
        EXPECT_EQ(outcome->message, c.message);
    }
}

TEST(SettleHandOver, SendsAgainOnlyWhatSurelyNeverReachedCups) {
    std::ostringstream trace;
    JobRecord job;
    job.id = "00000000000000aa";
    job.form = "delivery_note";
    job.printer = "Office";
    job.state = JobState::Printing;
    job.handingOver = true;
    job.handOverJobs = 1;
    job.attempt = 2;
    job.created = 200;
    const std::string name = cupsJobName(job);
    EXPECT_EQ(name, "zarvo 00000000000000aa.2 delivery_note");
    struct Case {
        const char* what;
        bool reachable;
        std::vector<QueuedJob> inCups;
        std::vector<int> recorded;
        JobState after;
        std::vector<int> followed;
        std::vector<int> withdrawn;
        int handOverJobs = 1;
    } cases[] = {
        {"ids recorded", false, {}, {7}, JobState::Printing, {7}, {}},
        {"cups away", false, {}, {}, JobState::Unknown, {}, {}},
        {"found by name", true, {queued(3, Q::Completed, name)}, {}, JobState::Printing, {3}, {}},
        {"another attempt's job", true, {queued(1, Q::Completed, "zarvo 00000000000000aa.1 delivery_note")}, {},
         JobState::Queued, {}, {}},
        {"cut off while sending", true, {queued(1, Q::Completed, "x"), queued(4, Q::Held, name, 0, 201)}, {},
         JobState::Queued, {}, {4}},
        {"no history", true, {queued(5, Q::Completed, "x", 4, 300)}, {}, JobState::Unknown, {}, {}},
        {"some of it", true, {queued(1, Q::Completed, "x"), queued(6, Q::Completed, name)}, {}, JobState::Unknown, {},
         {}, 2},
    };
    for (const Case& c : cases) {
        RecordingSpooler printers(trace, 300, {{"Office", true}});
        printers.keepQueuedJobs();
        printers.setReachable(c.reachable);
        for (const QueuedJob& q : c.inCups) printers.addQueuedJob(q);
        JobRecord settled = job;
        settled.cupsJobs = c.recorded;
        settled.handOverJobs = c.handOverJobs;
        settleHandOver(settled, printers);
        EXPECT_EQ(settled.state, c.after) << c.what;
        EXPECT_EQ(settled.cupsJobs, c.followed) << c.what;
        EXPECT_EQ(settled.handingOver, c.after != JobState::Queued) << c.what;
        EXPECT_EQ(settled.message, c.after == JobState::Unknown ? kMaybeSentMessage : "") << c.what;
        for (int id : c.withdrawn) EXPECT_EQ(printers.queuedJobs({id})->front().state, Q::Cancelled) << c.what;
    }
}

class JobQueueFollowing : public ::testing::Test {
protected:
    JobQueueFollowing() {
        std::filesystem::create_directories(dir.path() / "forms");
        for (const char* extension : {".txt", ".zarvo", "_seal.svg"}) {
            dir.write(std::string("forms/delivery_note") + extension,
                      test::TempDir::read(std::string(ZARVO_SOURCE_DIR) + "/examples/delivery_note" + extension));
        }
        setDataRootOverride((dir.path() / "data").string());
        printers.keepQueuedJobs();
    }
    ~JobQueueFollowing() override { setDataRootOverride({}); }

    std::string submit(const std::string& printer) {
        return std::get<JobRecord>(jobs.submit({"delivery_note", printer, 1, false, R"([{"no": "A1"}])", "json"})).id;
    }
    // The job once it is not in from (or after 5 s).
    JobRecord after(const std::string& id, JobState from) {
        return until(id, [&](const JobRecord& job) { return job.state != from; });
    }
    // The job once done says so (or after 5 s).
    JobRecord until(const std::string& id, const std::function<bool(const JobRecord&)>& done) {
        for (int i = 0; i < 500 && !done(*jobs.find(id)); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return *jobs.find(id);
    }

    test::TempDir dir;
    std::ostringstream trace;
    RecordingSpooler printers{trace, 300, {{"Office", true}, {"Back", false}}};
    JobSpool spool{(dir.path() / "jobs").string()};
    FormCatalog forms{{(dir.path() / "forms").string()}};
    JobQueue jobs{printers, {}, forms, spool,
                  JobQueue::Settings{1, 1000, {}, std::chrono::milliseconds(50), std::chrono::milliseconds(20)}};
};

TEST_F(JobQueueFollowing, JobsWaitForTheirPrinterInOrderAndEndAsCupsEndsThem) {
    printers.setReadiness("Office", PrinterReadiness::Stopped);
    jobs.start();
    const std::string first = submit("Office");
    const std::string second = submit("Office");
    const std::string other = submit("Back");
    // The other printer's job goes ahead; Office's wait, saying why.
    EXPECT_EQ(after(other, JobState::Queued).state, JobState::Printing);
    EXPECT_EQ(after(second, JobState::Queued).message, "印表機「Office」已暫停");
    EXPECT_EQ(parseJobRecord(test::TempDir::read(spool.recordPath(first)))->state, JobState::Waiting);
    printers.setReadiness("Office", PrinterReadiness::Ready);
    // Queued again, or already drawn when the worker was quicker than the look.
    EXPECT_NE(after(second, JobState::Waiting).state, JobState::Waiting);
    // Printed in the order accepted: the other first, then first and second.
    const JobRecord handed = until(second, [](const JobRecord& job) { return !job.cupsJobs.empty(); });
    EXPECT_EQ(handed.cupsJobs, std::vector<int>{3});
    EXPECT_EQ(handed.state, JobState::Printing);
    EXPECT_EQ(jobs.find(first)->cupsJobs, std::vector<int>{2});
    EXPECT_EQ(printers.lastDocumentName(), cupsJobName(handed));

    // Nothing ends while CUPS does not answer.
    printers.setReachable(false);
    printers.setQueuedState(1, Q::Completed);
    printers.setQueuedState(2, Q::Aborted, "printer-stopped");
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(jobs.find(other)->state, JobState::Printing);
    printers.setReachable(true);
    printers.setQueuedState(3, Q::Completed);
    ASSERT_TRUE(jobs.waitIdle(5000));
    EXPECT_EQ(jobs.find(other)->state, JobState::Done);
    EXPECT_EQ(jobs.find(first)->state, JobState::Failed);
    EXPECT_EQ(jobs.find(first)->message, "CUPS 中止了列印 (printer-stopped)");
    EXPECT_EQ(parseJobRecord(test::TempDir::read(spool.recordPath(second)))->state, JobState::Done);

    // CUPS away: the job waits for it; a printer gone: its job fails.
    printers.setReadiness("Office", PrinterReadiness::ServiceDown);
    const std::string away = submit("Office");
    EXPECT_EQ(after(away, JobState::Queued).message, "等待 CUPS 列印服務");
    printers.setReadiness("Office", PrinterReadiness::Missing);
    ASSERT_TRUE(jobs.waitIdle(5000));
    EXPECT_EQ(jobs.find(away)->state, JobState::Failed);
    EXPECT_EQ(jobs.find(away)->message, "找不到印表機「Office」");
    jobs.stop();
}

}  // namespace
}  // namespace zarvo
