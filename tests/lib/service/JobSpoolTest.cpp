// The spool across restarts: what was queued is printed in the order it was
// accepted, what may have reached the printer is never printed again
// unasked, and old jobs go with their files.

#include <gtest/gtest.h>

#include <filesystem>
#include <mutex>
#include <sstream>
#include <thread>

#include "platform/os/DataRoot.h"
#include "platform/recording/RecordingSpooler.h"
#include "service/JobQueue.h"
#include "service/JobSpool.h"
#include "tests/common/TempDir.h"

namespace zarvo {
namespace {

constexpr std::int64_t kNow = 1'800'000'000;

JobRecord record(const std::string& id, JobState state, std::uint64_t sequence, std::int64_t age = 0) {
    JobRecord job;
    job.id = id;
    job.form = "delivery_note";
    job.printer = "Office";
    job.dataExtension = "json";
    job.state = state;
    job.sequence = sequence;
    job.created = kNow - age;
    return job;
}

// The delivery note as the form of dir's forms folder, page data under dir.
void useDeliveryNoteForm(test::TempDir& dir) {
    std::filesystem::create_directories(dir.path() / "forms");
    for (const char* extension : {".txt", ".zarvo", "_seal.svg"}) {
        dir.write(std::string("forms/delivery_note") + extension,
                  test::TempDir::read(std::string(ZARVO_SOURCE_DIR) + "/examples/delivery_note" + extension));
    }
    setDataRootOverride((dir.path() / "data").string());
}

TEST(JobRecordText, ReadsBackWhatItWrites) {
    JobRecord job = record("00000000000000aa", JobState::Done, 7);
    job.handingOver = true;
    job.cupsJobs = {12, 13};
    job.sheets = 4;
    job.copies = 2;
    job.message = "印表機「甲」: 第 1 頁超出可列印範圍";
    EXPECT_EQ(parseJobRecord(jobRecordText(job)), job);
    std::string unknownState = jobRecordText(job);
    unknownState.replace(unknownState.find("\"done\""), 6, "\"gone\"");
    const std::string damaged[] = {"", "{}", "[1]", jobRecordText(job).substr(0, 40),
                                   jobRecordText(record("../../etc/passwd", JobState::Done, 1)), unknownState};
    for (const std::string& text : damaged) EXPECT_FALSE(parseJobRecord(text)) << text;
}

TEST(RecoverJob, OnlyWhatNeverReachedThePrinterIsPrintedAgain) {
    struct Case {
        JobState state;
        bool handingOver;
        JobState after;
        bool changed;
        std::string message;
    } cases[] = {
        {JobState::Queued, false, JobState::Queued, false, ""},
        {JobState::Printing, false, JobState::Queued, true, ""},
        {JobState::Printing, true, JobState::Unknown, true, kMaybeSentMessage},
        {JobState::Waiting, true, JobState::Unknown, true, kMaybeSentMessage},
        {JobState::Done, true, JobState::Done, false, ""},
        {JobState::Failed, false, JobState::Failed, false, ""},
        {JobState::Cancelled, false, JobState::Cancelled, false, ""},
    };
    for (const Case& c : cases) {
        JobRecord job = record("00000000000000aa", c.state, 1);
        job.handingOver = c.handingOver;
        EXPECT_EQ(recoverJob(job), c.changed) << jobStateName(c.state);
        EXPECT_EQ(job.state, c.after) << jobStateName(c.state);
        EXPECT_EQ(job.message, c.message) << jobStateName(c.state);
    }
}

TEST(JobQueueRestart, QueuedJobsPrintInOrderAndTheUncertainOneIsNot) {
    test::TempDir dir;
    useDeliveryNoteForm(dir);
    JobSpool spool((dir.path() / "jobs").string());
    // As the service left them: accepted in the order of their sequence.
    struct Left {
        JobRecord job;
        const char* data;
    } left[] = {
        {record("000000000000000b", JobState::Queued, 2), R"([{"no": "B1"}, {"no": "B2"}])"},
        {record("000000000000000a", JobState::Printing, 1), R"([{"no": "A1"}])"},
        {record("000000000000000c", JobState::Printing, 3), R"([{"no": "C1"}])"},
        {record("000000000000000d", JobState::Done, 0, kJobKeepSeconds + 1), R"([{"no": "D1"}])"},
        {record("000000000000000e", JobState::Queued, 4, kJobKeepSeconds - 60), R"([{"no": "E1"}])"},
    };
    left[2].job.handingOver = true;
    for (const Left& job : left) {
        spool.save(job.job);
        spool.writeFile(spool.dataPath(job.job), job.data);
    }
    spool.writeFile(spool.folder() + "/000000000000000f.job.tmp-1234", "half");

    std::ostringstream trace;
    RecordingSpooler printers(trace, 300, {{"Office", true}});
    const FormCatalog forms({(dir.path() / "forms").string()});
    JobQueue jobs(printers, {}, forms, spool, JobQueue::Settings{1, 1000, [] { return kNow; }});
    jobs.start();
    ASSERT_TRUE(jobs.waitIdle(20000));

    EXPECT_EQ(jobs.find("000000000000000a")->state, JobState::Done);
    EXPECT_EQ(jobs.find("000000000000000b")->state, JobState::Done);
    EXPECT_EQ(jobs.find("000000000000000e")->state, JobState::Done);
    const JobRecord uncertain = *jobs.find("000000000000000c");
    EXPECT_EQ(uncertain.state, JobState::Unknown);
    EXPECT_EQ(uncertain.message, "可能已送出, 請查看印表機");
    EXPECT_EQ(parseJobRecord(test::TempDir::read(spool.recordPath(uncertain.id)))->state, JobState::Unknown);
    EXPECT_EQ(printers.jobsStarted(), 3);
    // A (one sheet), then B (two), then E (one).
    std::vector<std::string> sheets;
    std::istringstream lines(trace.str());
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("sheet ", 0) == 0) sheets.push_back(line.substr(0, line.find(' ', 6)));
    }
    EXPECT_EQ(sheets, (std::vector<std::string>{"sheet 0", "sheet 0", "sheet 1", "sheet 0"}));
    // The old job and its data are gone, and so is the half-written file.
    EXPECT_FALSE(jobs.find("000000000000000d"));
    EXPECT_FALSE(std::filesystem::exists(spool.recordPath("000000000000000d")));
    EXPECT_FALSE(std::filesystem::exists(spool.dataPath(left[3].job)));
    EXPECT_FALSE(std::filesystem::exists(spool.folder() + "/000000000000000f.job.tmp-1234"));
    // Each printed job says so on disk, with the hand-over recorded.
    const std::optional<JobRecord> done = parseJobRecord(test::TempDir::read(spool.recordPath("000000000000000b")));
    EXPECT_EQ(done->state, JobState::Done);
    EXPECT_TRUE(done->handingOver);
    EXPECT_EQ(done->sheets, 2);
    jobs.stop();
    setDataRootOverride({});
}

// A printer that takes its time to start each job.
class SlowSpooler : public RecordingSpooler {
public:
    using RecordingSpooler::RecordingSpooler;
    std::unique_ptr<PrintJob> startJob(const std::string& printerName, const std::string& documentName,
                                       const SheetPaper& paper) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        return RecordingSpooler::startJob(printerName, documentName, paper);
    }
};

TEST(JobQueueCancel, AJobBeingDrawnStopsAndNothingIsHandedOver) {
    test::TempDir dir;
    useDeliveryNoteForm(dir);
    JobSpool spool((dir.path() / "jobs").string());
    std::ostringstream trace;
    SlowSpooler printers(trace, 300, {{"Office", true}});
    const FormCatalog forms({(dir.path() / "forms").string()});
    JobQueue jobs(printers, {}, forms, spool, JobQueue::Settings{1, 1000, {}});
    jobs.start();
    const auto accepted = jobs.submit({"delivery_note", "", 1, false, R"([{"no": "A1"}, {"no": "A2"}])", "json"});
    const std::string id = std::get<JobRecord>(accepted).id;
    for (int i = 0; i < 200 && jobs.find(id)->state != JobState::Printing; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    const std::optional<JobRecord> cancelled = jobs.cancel(id);
    EXPECT_EQ(cancelled->state, JobState::Cancelled);
    EXPECT_FALSE(cancelled->handingOver);
    EXPECT_EQ(parseJobRecord(test::TempDir::read(spool.recordPath(id)))->state, JobState::Cancelled);
    EXPECT_EQ(trace.str().find("sheet 1"), std::string::npos);
    // A PDF job on a queue that makes no PDF files fails, saying so.
    const auto pdf = jobs.submit({"delivery_note", "", 1, true, R"([{"no": "A1"}])", "json"});
    ASSERT_TRUE(jobs.waitIdle(20000));
    EXPECT_EQ(jobs.find(std::get<JobRecord>(pdf).id)->state, JobState::Failed);
    jobs.stop();
    setDataRootOverride({});
}

TEST(JobQueuePause, NothingIsDrawnWhilePausedAndListenersSeeEveryChange) {
    test::TempDir dir;
    useDeliveryNoteForm(dir);
    JobSpool spool((dir.path() / "jobs").string());
    std::ostringstream trace;
    RecordingSpooler printers(trace, 300, {{"Office", true}});
    const FormCatalog forms({(dir.path() / "forms").string()});
    JobQueue jobs(printers, {}, forms, spool, JobQueue::Settings{1, 1000, {}});
    std::mutex seenMutex;
    std::vector<std::string> seen;
    jobs.addListener([&](const JobRecord& job) {
        std::lock_guard lock(seenMutex);
        seen.push_back(job.form + ":" + std::string(jobStateName(job.state)));
    });
    jobs.setPaused(true);
    jobs.start();
    const auto first = jobs.submit({"delivery_note", "", 1, false, R"([{"no": "A1"}])", "json"});
    const auto second = jobs.submit({"delivery_note", "", 1, false, R"([{"no": "B1"}])", "json"});
    EXPECT_FALSE(jobs.waitIdle(200));
    EXPECT_EQ(trace.str(), "");
    EXPECT_EQ(jobs.recent(1).front().id, std::get<JobRecord>(second).id);
    jobs.setPaused(false);
    ASSERT_TRUE(jobs.waitIdle(20000));
    EXPECT_EQ(jobs.find(std::get<JobRecord>(first).id)->state, JobState::Done);
    jobs.stop();
    std::lock_guard lock(seenMutex);
    EXPECT_EQ(seen, (std::vector<std::string>{"delivery_note:queued", "delivery_note:queued", "delivery_note:printing",
                                              "delivery_note:printing", "delivery_note:done", "delivery_note:printing",
                                              "delivery_note:printing", "delivery_note:done"}));
    setDataRootOverride({});
}

}  // namespace
}  // namespace zarvo
