#include "compose/DataFileStem.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/os/DataRoot.h"
#include "compose/DataPages.h"
#include "compose/PageFiles.h"
#include "compose/StreamedPages.h"
#include "tests/common/TempDir.h"

namespace zarvo {
namespace {

TEST(DataFileStemTest, ReservesTheNextFreeSecondAndFreesItWithThePages) {
    test::TempDir dir;
    setDataRootOverride(dir.path().string());
    std::filesystem::create_directories(dir.path() / "QEL/Tmp");
    dir.write("QEL/Tmp/10000.rpt", "taken\r\n");
    EXPECT_EQ(reserveDataFileStem(1000), "/QEL/Tmp/1001");
    EXPECT_EQ(reserveDataFileStem(1001), "/QEL/Tmp/1002");
    EXPECT_EQ(test::TempDir::read((dir.path() / "QEL/Tmp/10000.rpt").string()), "taken\r\n");
    // A job that wrote no page still gives its second back.
    removePageFiles("/QEL/Tmp/1001", -1);
    EXPECT_EQ(reserveDataFileStem(1000), "/QEL/Tmp/1001");
    setDataRootOverride("");
}

// Jobs started in the same second on several threads never share a stem.
TEST(DataFileStemTest, JobsStartedTogetherGetStemsOfTheirOwn) {
    test::TempDir dir;
    setDataRootOverride(dir.path().string());
    constexpr int kThreads = 8, kEach = 25;
    std::vector<std::vector<std::string>> stems(kThreads);
    std::vector<std::thread> threads;
    for (auto& mine : stems) {
        threads.emplace_back([&mine] {
            for (int i = 0; i < kEach; ++i) mine.push_back(reserveDataFileStem(5000));
        });
    }
    for (std::thread& thread : threads) thread.join();
    std::set<std::string> distinct;
    for (const auto& mine : stems) distinct.insert(mine.begin(), mine.end());
    EXPECT_EQ(distinct.size(), std::size_t(kThreads * kEach));
    setDataRootOverride("");
}

// A streamed print holds its stem until it ends: its page 0 stays until
// its WrittenPages goes, so a job started in the same second meanwhile
// takes the next second instead of a stem whose files this print removes.
TEST(DataFileStemTest, AStreamedPrintHoldsItsStemUntilItEnds) {
    test::TempDir dir;
    setDataRootOverride((dir.path() / "data").string());
    const std::string note =
        dir.write("note.txt", test::TempDir::read(std::string(ZARVO_SOURCE_DIR) + "/examples/delivery_note.txt"));
    DataPages data(note, dir.write("records.csv", "customer\nA\nB\n"));
    {
        PageSequence written(reserveDataFileStem(7000));
        const WrittenPages removal(written, false);
        {
            StreamedPages pages(data, written.stem(), 0, data.recordCount(), false);
            const PageSource source = pages.source();
            for (std::int64_t page = 0; page < source.count; ++page) source.file(page);
        }
        EXPECT_EQ(reserveDataFileStem(7000), "/QEL/Tmp/7001");
    }
    EXPECT_EQ(reserveDataFileStem(7000), "/QEL/Tmp/7000");
    setDataRootOverride("");
}

// A data root that cannot be used must not keep a window from being made:
// the error belongs to the first page written.
TEST(DataFileStemTest, UnusableDataRootStillGivesAStem) {
    test::TempDir dir;
    std::filesystem::create_directory_symlink("/", dir.path() / "zarvo");
    const char* saved = std::getenv("XDG_RUNTIME_DIR");
    std::string previous = saved ? saved : "";
    setenv("XDG_RUNTIME_DIR", dir.path().c_str(), 1);
    EXPECT_ANY_THROW(dataRoot());
    EXPECT_EQ(reserveDataFileStem(42), "/QEL/Tmp/42");
    if (saved) setenv("XDG_RUNTIME_DIR", previous.c_str(), 1); else unsetenv("XDG_RUNTIME_DIR");
}

}  // namespace
}  // namespace zarvo
