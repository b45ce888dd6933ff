// Watched folders: a data file put into one is printed once it is whole and
// lands in done/, or, refused, in failed/ with the reason beside it.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <sstream>
#include <thread>

#include "platform/os/DataRoot.h"
#include "platform/recording/RecordingSpooler.h"
#include "service/FolderWatcher.h"
#include "tests/common/TempDir.h"

namespace zarvo {
namespace {

namespace fs = std::filesystem;

constexpr const char* kGoodCsv = "no,customer\nA1,王小明\n";

// Waits up to five seconds for path to exist.
bool appears(const fs::path& path) {
    for (int i = 0; i < 500 && !fs::exists(path); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return fs::exists(path);
}

class FolderWatcherTest : public ::testing::Test {
protected:
    FolderWatcherTest() {
        fs::create_directories(inbox);
        fs::create_directories(dir.path() / "forms");
        for (const char* extension : {".txt", ".zarvo", "_seal.svg"}) {
            dir.write(std::string("forms/delivery_note") + extension,
                      test::TempDir::read(std::string(ZARVO_SOURCE_DIR) + "/examples/delivery_note" + extension));
        }
        setDataRootOverride((dir.path() / "data").string());
        jobs.start();
    }
    ~FolderWatcherTest() override {
        watcher.stop();
        jobs.stop();
        setDataRootOverride({});
    }

    // Puts bytes into the folder as a careful program does: written beside it, then moved in.
    void moveIn(const std::string& name, const std::string& bytes) { fs::rename(dir.write(name, bytes), inbox / name); }

    test::TempDir dir;
    fs::path inbox = dir.path() / "inbox";
    JobSpool spool{(dir.path() / "jobs").string()};
    std::ostringstream trace;
    RecordingSpooler printers{trace, 300, {{"Office", true}, {"Back", false}}};
    FormCatalog forms{{(dir.path() / "forms").string()}};
    JobQueue jobs{printers, {}, forms, spool, JobQueue::Settings{1, 1000, {}}};
    FolderWatcher watcher{jobs,
                          {{"back", inbox.string(), "Back"}, {"gone", (dir.path() / "missing").string(), ""}},
                          4096,
                          [](const std::string&) {}};
};

TEST_F(FolderWatcherTest, AWholeFileIsPrintedOnceOnItsPrinterAndOtherNamesAreLeftAlone) {
    moveIn("delivery_note.json", R"([{"no": "J1"}])");  // there before the start
    watcher.start();
    ASSERT_TRUE(appears(inbox / "done/delivery_note.json"));
    const std::string ignored[] = {".delivery_note.csv", "delivery_note.txt", "delivery_note.CSV"};
    for (const std::string& name : ignored) moveIn(name, kGoodCsv);
    fs::create_directory(inbox / "sub.csv");
    // Events are taken in order: once this file is done, so are those before it.
    moveIn("delivery_note.csv", kGoodCsv);
    ASSERT_TRUE(appears(inbox / "done/delivery_note.csv"));
    moveIn("delivery_note.csv", "no\nA2\n");
    ASSERT_TRUE(appears(inbox / "done/delivery_note-2.csv"));
    ASSERT_TRUE(jobs.waitIdle(20000));

    EXPECT_EQ(printers.jobsStarted(), 3);
    for (const JobRecord& job : jobs.recent(10)) EXPECT_EQ(job.printer, "Back");
    EXPECT_EQ(test::TempDir::read((inbox / "done/delivery_note.csv").string()), kGoodCsv);
    EXPECT_EQ(std::distance(fs::directory_iterator(inbox / "done"), fs::directory_iterator()), 3);
    EXPECT_EQ(fs::status(inbox / "done").permissions(), fs::perms::owner_all);
    for (const std::string& name : ignored) EXPECT_TRUE(fs::exists(inbox / name)) << name;
    EXPECT_TRUE(fs::is_directory(inbox / "sub.csv"));
}

TEST_F(FolderWatcherTest, AFileBeingWrittenWaitsUntilItIsClosed) {
    // One opened before the start, one after: neither is taken while open.
    const int early = ::open((inbox / "delivery_note.csv").c_str(), O_WRONLY | O_CREAT, 0600);
    ASSERT_EQ(::write(early, "no\n", 3), 3);
    watcher.start();
    const int late = ::open((inbox / "delivery_note.json").c_str(), O_WRONLY | O_CREAT, 0600);
    ASSERT_EQ(::write(late, "[{\"no\": ", 8), 8);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_TRUE(fs::exists(inbox / "delivery_note.csv"));
    EXPECT_TRUE(fs::exists(inbox / "delivery_note.json"));

    ASSERT_EQ(::write(early, "E1\n", 3), 3);
    ASSERT_EQ(::write(late, "\"L1\"}]", 6), 6);
    ::close(early);
    ::close(late);
    EXPECT_TRUE(appears(inbox / "done/delivery_note.csv"));
    EXPECT_TRUE(appears(inbox / "done/delivery_note.json"));
    ASSERT_TRUE(jobs.waitIdle(20000));
    EXPECT_EQ(printers.jobsStarted(), 2);
}

TEST_F(FolderWatcherTest, ARefusedFileLandsInFailedWithWhyBesideIt) {
    struct Case {
        std::string name;
        std::string bytes;
        std::vector<std::string> said;  // in FILE.txt
        bool leftHalfTaken;             // found in done/ under its dot-name at the start
    } cases[] = {
        {"delivery_note.csv", "no,total_words\nA1,3\nA2,x\n", {"不是金額", "資料: 第 2 筆", "欄位: total_words"}, false},
        {"no_such_form.csv", kGoodCsv, {"原因: 找不到表單「no_such_form」"}, false},
        {"delivery_note.json", "[" + std::string(5000, ' ') + "]", {"原因: 資料檔超過 4096 位元組"}, false},
        {"left.csv", kGoodCsv, {"不知道它是否已成為列印工作"}, true},
    };
    fs::create_directories(inbox / "done");
    for (const Case& c : cases) {
        if (c.leftHalfTaken) dir.write("inbox/done/.taking-0123abcd-" + c.name, c.bytes);
    }
    watcher.start();
    for (const Case& c : cases) {
        if (!c.leftHalfTaken) moveIn(c.name, c.bytes);
        const std::string failed = (inbox / "failed" / c.name).string();
        ASSERT_TRUE(appears(failed + ".txt")) << c.name;
        EXPECT_EQ(test::TempDir::read(failed), c.bytes) << c.name;
        const std::string why = test::TempDir::read(failed + ".txt");
        for (const std::string& part : c.said) EXPECT_NE(why.find(part), std::string::npos) << c.name << why;
    }
    EXPECT_TRUE(fs::is_empty(inbox / "done"));
    EXPECT_EQ(printers.jobsStarted(), 0);
    EXPECT_TRUE(jobs.recent(10).empty());
}

}  // namespace
}  // namespace zarvo
