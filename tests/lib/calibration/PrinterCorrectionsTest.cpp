#include "printing/PrinterCorrections.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <filesystem>
#include <fstream>
#include <optional>

#include "report/ReportError.h"
#include "tests/common/ScopedEnv.h"
#include "tests/common/FifoWatchdog.h"
#include "tests/common/TempDir.h"

namespace zarvo {
namespace {

using test::ScopedEnv;
using test::TempDir;
using namespace std::string_literals;

const std::string kSocket = "/run/cups/cups.sock";
const std::string kPort = "127.0.0.1:8631";

// Makes a directory refuse new files until destroyed: by its mode, or for
// root by the immutable flag; works() is false where neither can be had.
class ReadOnlyDirectory {
public:
    explicit ReadOnlyDirectory(const std::string& dir) : dir_(dir) {
        if (geteuid() != 0) {
            works_ = chmod(dir.c_str(), 0555) == 0;
        } else {
            works_ = setImmutable(true);
        }
    }
    ~ReadOnlyDirectory() {
        if (geteuid() != 0) chmod(dir_.c_str(), 0755);
        else if (works_) setImmutable(false);
    }
    ReadOnlyDirectory(const ReadOnlyDirectory&) = delete;
    ReadOnlyDirectory& operator=(const ReadOnlyDirectory&) = delete;
    bool works() const { return works_; }

private:
    bool setImmutable(bool on) {
        const int fd = open(dir_.c_str(), O_RDONLY | O_DIRECTORY);
        if (fd < 0) return false;
        int flags = 0;
        bool done = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        done = done && ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        close(fd);
        return done;
    }
    std::string dir_;
    bool works_ = false;
};

// What the file says about printer on server, and the problem it reports.
struct Read {
    PrinterCorrection correction;
    std::string problem;
};
Read readBack(const std::string& path, const std::string& server, const std::string& printer) {
    Read read;
    read.correction = PrinterCorrections(path).correction(server, printer, &read.problem);
    return read;
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

TEST(PrinterCorrections, ValuesAreKeptToTheirStepsFormattedShortestAndCheckedForRange) {
    struct Case {
        PrinterCorrection given;
        const char* kept;  // formatted after rounding
        bool inRange;
    };
    const Case cases[] = {
        {{1.54, -0.66, 100.404, 99.796}, "1.5 -0.7 100.4 99.8", true},
        {{}, "0 0 100 100", true},
        {{-0.04, -0.0, 100.001, 99.999}, "0 0 100 100", true},
        {{50.04, -50.04, 95, 105}, "50 -50 95 105", true},
        {{50.06, 0, 100, 100}, "50.1 0 100 100", false},
        {{0, -50.06, 100, 100}, "0 -50.1 100 100", false},
        {{0, 0, 94.994, 100}, "0 0 94.99 100", false},
        {{0, 0, 100, 105.006}, "0 0 100 105.01", false},
        {{123456789.0, 0, 100, 100}, "123456789 0 100 100", false},
        {{0, 0, NAN, 100}, "0 0 nan 100", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kept);
        const PrinterCorrection kept = roundedCorrection(c.given);
        EXPECT_EQ(formatCorrection(kept), c.kept);
        EXPECT_EQ(correctionInRange(kept), c.inRange);
    }
    EXPECT_EQ(formatCorrection({0.00001, -0.0, 100, 100}), "0.00001 0 100 100");
}

TEST(PrinterCorrections, TheFileLiesInTheUsersConfigDirectory) {
    struct Case {
        std::optional<std::string> config;
        const char* path;
    };
    const Case cases[] = {
        {"/srv/cfg", "/srv/cfg/zarvo/printers.conf"},
        {std::nullopt, "/home/ann/.config/zarvo/printers.conf"},
        {"", "/home/ann/.config/zarvo/printers.conf"},
        {"relative/cfg", "/home/ann/.config/zarvo/printers.conf"},
    };
    const ScopedEnv home("HOME", "/home/ann");
    for (const Case& c : cases) {
        const ScopedEnv config("XDG_CONFIG_HOME", c.config);
        EXPECT_EQ(printerCorrectionsPath(), c.path);
        EXPECT_EQ(PrinterCorrections().path(), c.path);
    }
}

TEST(PrinterCorrections, EachServersQueueKeepsItsOwnEntry) {
    const TempDir dir;
    const std::string path = (dir.path() / "new" / "zarvo" / "printers.conf").string();
    struct Entry {
        std::string server;
        std::string printer;
        PrinterCorrection correction;
    };
    const Entry entries[] = {
        {kSocket, "Office", {1.5, -0.7, 100.4, 99.8}},
        {kPort, "Office", {-2, 3, 99, 101}},
        {kSocket, "Office/draft", {0.1, 0.2, 100.01, 99.99}},
        {kSocket, "辦公室 2F", {-50, 50, 95, 105}},
        {"a|b", "c", {4, 4, 100, 100}},
        {"a", "b|c", {5, 5, 100, 100}},
        {"a", "b%7Cc", {6, 6, 100, 100}},
    };
    for (const Entry& e : entries) PrinterCorrections(path).setCorrection(e.server, e.printer, e.correction);
    for (const Entry& e : entries) {
        SCOPED_TRACE(e.server + " " + e.printer);
        const Read read = readBack(path, e.server, e.printer);
        EXPECT_EQ(read.correction, e.correction);
        EXPECT_EQ(read.problem, "");
    }
    const Read unknown = readBack(path, kPort, "Office/draft");
    EXPECT_TRUE(unknown.correction.isNone());
    EXPECT_EQ(unknown.problem, "");

    PrinterCorrections(path).setCorrection(kSocket, "Office", {0.04, 0, 100.004, 100});
    PrinterCorrections(path).removeCorrection(kPort, "Office");
    PrinterCorrections(path).removeCorrection(kPort, "Gone");
    EXPECT_TRUE(readBack(path, kSocket, "Office").correction.isNone());
    EXPECT_TRUE(readBack(path, kPort, "Office").correction.isNone());
    for (std::size_t i = 2; i < std::size(entries); ++i) {
        EXPECT_EQ(readBack(path, entries[i].server, entries[i].printer).correction, entries[i].correction) << i;
    }
}

TEST(PrinterCorrections, AFileWrittenThroughQSettingsIsReadAndKeepsItsOtherLines) {
    // As the build before this one wrote it: group names percent-encoded
    // once by us and once more by QSettings, groups and keys sorted.
    const std::string written =
        "[%252Frun%252Fcups%252Fcups.sock%7COffice_Laser]\ndx=1.5\ndy=-0.7\nsx=100.4\nsy=99.8\n\n"
        "[localhost%253A8631%7CTractor%257Ex%257Cy]\ndx=-50\ndy=0.1\nsx=95\nsy=105\n\n"
        "[print.example%253A631%7C%25E5%2589%258D%25E5%258F%25B0%2520A%252F1]\ndx=0\ndy=0\nsx=100\nsy=100\n";
    const TempDir dir;
    const std::string path = dir.write("printers.conf", "; kept by hand\n" + written);
    const struct {
        std::string server;
        std::string printer;
        PrinterCorrection correction;
    } entries[] = {
        {kSocket, "Office_Laser", {1.5, -0.7, 100.4, 99.8}},
        {"localhost:8631", "Tractor~x|y", {-50, 0.1, 95, 105}},
        {"print.example:631", "前台 A/1", {}},
    };
    for (const auto& e : entries) {
        const Read read = readBack(path, e.server, e.printer);
        EXPECT_EQ(read.correction, e.correction) << e.printer;
        EXPECT_EQ(read.problem, "") << e.printer;
    }
    PrinterCorrections(path).setCorrection("localhost:8631", "Tractor~x|y", {-49, 0.1, 95, 105});
    PrinterCorrections(path).removeCorrection(kSocket, "Office_Laser");
    PrinterCorrections(path).setCorrection(kSocket, "New", {1, 1, 100, 100});
    EXPECT_EQ(TempDir::read(path),
              "; kept by hand\n\n"
              "[localhost%253A8631%7CTractor%257Ex%257Cy]\ndx=-49\ndy=0.1\nsx=95\nsy=105\n\n"
              "[print.example%253A631%7C%25E5%2589%258D%25E5%258F%25B0%2520A%252F1]\ndx=0\ndy=0\nsx=100\nsy=100\n\n"
              "[%252Frun%252Fcups%252Fcups.sock%7CNew]\ndx=1\ndy=1\nsx=100\nsy=100\n");
}

TEST(PrinterCorrections, EveryReaderSeesTheLatestWriteOfAnyWriter) {
    const TempDir dir;
    const std::string path = (dir.path() / "printers.conf").string();
    PrinterCorrections(path).setCorrection(kSocket, "Office", {1.5, 0, 100, 100});
    const std::string written = TempDir::read(path);
    for (int round = 0; round < 40; ++round) {
        // The same size each time, faster than the file system's clock moves.
        const double dx = round % 2 ? 2.5 : 3.5;
        PrinterCorrections(path).setCorrection(kSocket, "Office", {dx, 0, 100, 100});
        ASSERT_EQ(readBack(path, kSocket, "Office").correction.dx, dx) << round;
        dir.write("printers.conf", replaced(written, "dx=1.5", round % 2 ? "dx=4.5" : "dx=5.5"));
        ASSERT_EQ(readBack(path, kSocket, "Office").correction.dx, round % 2 ? 4.5 : 5.5) << round;
    }
}

TEST(PrinterCorrections, ADamagedFileOrEntryReadsAsNoneWithTheProblemAndADamagedFileIsNotWritten) {
    struct Case {
        const char* name;
        std::string from;  // replaced in a sound file; empty: the whole file
        std::string to;
        bool refused;  // the file is beyond repair by writing an entry
    };
    const Case cases[] = {
        {"binary", "", "\x89PNG\r\n\x1a\n\0\0\0\rIHDR=\xff"s, true},
        {"bytes that are not UTF-8", "", "a=\xff\xfe\x80\n", true},
        {"control characters", "", "[x]\nk=\x01\x02\n", true},
        {"a group left open", "", "[group\ndx=1\n", true},
        {"a line that is no setting", "dx=1.5", "dx=1.5\nnonsense", true},
        {"dx not a number", "dx=1.5", "dx=abc", false},
        {"dx with a unit", "dx=1.5", "dx=1.5mm", false},
        {"dx empty", "dx=1.5", "dx=", false},
        {"dx missing", "dx=1.5\n", "", false},
        {"sx out of range", "sx=100", "sx=200", false},
        {"dy out of range", "dy=0", "dy=-50.1", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TempDir dir;
        const std::string path = (dir.path() / "printers.conf").string();
        PrinterCorrections(path).setCorrection(kSocket, "Office", {1.5, 0, 100, 100});
        const std::string damaged = c.from.empty() ? c.to : replaced(TempDir::read(path), c.from, c.to);
        ASSERT_NE(damaged, TempDir::read(path));
        dir.write("printers.conf", damaged);

        const Read read = readBack(path, kSocket, "Office");
        EXPECT_TRUE(read.correction.isNone());
        EXPECT_EQ(read.problem, "印表機校正檔 " + path + " 無法讀取, 以未校正的位置列印");

        const PrinterCorrection next{1, 1, 100, 100};
        try {
            PrinterCorrections(path).setCorrection(kSocket, "Office", next);
            EXPECT_FALSE(c.refused);
            EXPECT_EQ(readBack(path, kSocket, "Office").correction, next);
        } catch (const ReportError& error) {
            EXPECT_TRUE(c.refused);
            EXPECT_NE(std::string(error.what()).find(path), std::string::npos) << error.what();
            EXPECT_EQ(TempDir::read(path), damaged);
        }
        EXPECT_EQ(c.refused, std::filesystem::exists(path) && TempDir::read(path) == damaged);
    }
}

// Whatever stands in the file's place that is no regular file of sane size
// is a damaged file: read as none at once, never replaced by a write.
TEST(PrinterCorrections, AFileThatIsNoRegularFileIsDamagedAndNothingWaitsOnIt) {
    struct Case {
        const char* name;
        void (*make)(const std::string& path);  // null: a FIFO
    };
    const Case cases[] = {
        {"fifo", nullptr},
        {"directory", [](const std::string& path) { std::filesystem::create_directory(path); }},
        {"link to a device", [](const std::string& path) { std::filesystem::create_symlink("/dev/zero", path); }},
        {"over a megabyte", [](const std::string& path) {
             std::ofstream(path) << "[a]\n";
             std::filesystem::resize_file(path, (1 << 20) + 1);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TempDir dir;
        const std::string path = (dir.path() / "printers.conf").string();
        std::optional<test::FifoWatchdog> watchdog;
        if (c.make) {
            c.make(path);
        } else {
            watchdog.emplace(path);
        }
        const auto type = std::filesystem::symlink_status(path).type();
        const auto start = std::chrono::steady_clock::now();
        const Read read = readBack(path, kSocket, "Office");
        EXPECT_TRUE(read.correction.isNone());
        EXPECT_EQ(read.problem, "印表機校正檔 " + path + " 無法讀取, 以未校正的位置列印");
        EXPECT_THROW(PrinterCorrections(path).setCorrection(kSocket, "Office", {1, 1, 100, 100}), ReportError);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
        EXPECT_EQ(std::filesystem::symlink_status(path).type(), type);
        EXPECT_FALSE(watchdog && watchdog->fired());
    }
}

TEST(PrinterCorrections, AFileThatCannotBeWrittenKeepsWhatItHeld) {
    struct Case {
        const char* name;
        std::string path;      // inside the test's directory
        bool readOnlyDir;      // the file's directory refuses new files
        bool unreadable;       // reading reports the problem
    };
    const Case cases[] = {
        {"a file where the directory should be", "blocker/printers.conf", false, false},
        {"a directory where the file should be", "printers.conf", false, true},
        {"a directory that refuses new files", "locked/printers.conf", true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TempDir dir;
        dir.write("blocker", "");
        std::filesystem::create_directories(dir.path() / "printers.conf");
        std::filesystem::create_directories(dir.path() / "locked");
        const std::string path = (dir.path() / c.path).string();
        const PrinterCorrection old{2, 2, 100, 100};
        if (c.readOnlyDir) PrinterCorrections(path).setCorrection(kSocket, "Office", old);
        const ReadOnlyDirectory locked((dir.path() / "locked").string());
        if (c.readOnlyDir && !locked.works()) GTEST_SKIP() << "no way to make a directory refuse files here";

        for (int attempt = 0; attempt < 2; ++attempt) {
            try {
                PrinterCorrections(path).setCorrection(kSocket, "Office", {3, 3, 100, 100});
                ADD_FAILURE() << "written";
            } catch (const ReportError& error) {
                EXPECT_NE(std::string(error.what()).find(path), std::string::npos) << error.what();
            }
            EXPECT_THROW(PrinterCorrections(path).removeCorrection(kSocket, "Office"), ReportError);
            const Read read = readBack(path, kSocket, "Office");
            EXPECT_EQ(read.correction, c.readOnlyDir ? old : PrinterCorrection{});
            EXPECT_EQ(read.problem.empty(), !c.unreadable);
        }
    }
}

}  // namespace
}  // namespace zarvo
