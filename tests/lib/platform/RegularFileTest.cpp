// Reading files the program finds by itself: nothing but a regular file of
// a sane size is read, and nothing waits.

#include "platform/os/RegularFile.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "tests/common/TempDir.h"

namespace zarvo {
namespace {

namespace fs = std::filesystem;

// A socket bound at path, closed when the test ends.
struct BoundSocket {
    explicit BoundSocket(const std::string& path) : fd(::socket(AF_UNIX, SOCK_STREAM, 0)) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        ::bind(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address);
    }
    UniqueFd fd;
};

TEST(RegularFileTest, OnlyARegularFileOfSaneSizeIsReadAndNothingWaits) {
    test::TempDir dir;
    const std::string base = dir.path().string();
    const BoundSocket socket(base + "/socket");
    struct Case {
        const char* name;
        std::function<std::string()> make;  // makes the file, returns its path
        RegularFileOptions options;
        RegularFileStatus status;
        std::string bytes;
    };
    const Case cases[] = {
        {"regular", [&] { return dir.write("plain", "abc"); }, {}, RegularFileStatus::Opened, "abc"},
        {"empty", [&] { return dir.write("empty", ""); }, {}, RegularFileStatus::Opened, ""},
        {"at the limit", [&] { return dir.write("eight", "12345678"); }, {}, RegularFileStatus::Opened, "12345678"},
        {"over the limit", [&] { return dir.write("nine", "123456789"); }, {}, RegularFileStatus::TooLarge, ""},
        {"missing", [&] { return base + "/none"; }, {}, RegularFileStatus::Missing, ""},
        {"in a missing folder", [&] { return base + "/none/x"; }, {}, RegularFileStatus::Missing, ""},
        {"fifo", [&] { ::mkfifo((base + "/fifo").c_str(), 0600); return base + "/fifo"; }, {},
         RegularFileStatus::NotRegular, ""},
        {"directory", [&] { fs::create_directory(base + "/dir"); return base + "/dir"; }, {},
         RegularFileStatus::NotRegular, ""},
        {"device", [] { return std::string("/dev/zero"); }, {}, RegularFileStatus::NotRegular, ""},
        {"socket", [&] { return base + "/socket"; }, {}, RegularFileStatus::NotRegular, ""},
        {"followed link", [&] { fs::create_symlink(dir.write("target", "t"), base + "/link"); return base + "/link"; },
         {}, RegularFileStatus::Opened, "t"},
        {"link not followed", [&] { return base + "/link"; }, {AT_FDCWD, false}, RegularFileStatus::NotRegular, ""},
        {"link to a fifo", [&] { fs::create_symlink(base + "/fifo", base + "/fifolink"); return base + "/fifolink"; },
         {}, RegularFileStatus::NotRegular, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = c.make();
        const auto start = std::chrono::steady_clock::now();
        const RegularFileBytes read = readRegularFile(path, 8, c.options);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
        EXPECT_EQ(read.status, c.status);
        EXPECT_EQ(read.bytes, c.bytes);
    }
}

TEST(RegularFileTest, AnUnreadableFileSaysWhyAndARelativePathIsTakenFromTheFolderGiven) {
    test::TempDir dir;
    dir.write("inside", "in");
    const UniqueFd folder(::open(dir.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    const RegularFileBytes inside = readRegularFile("inside", 100, {folder.get(), false});
    EXPECT_EQ(inside.status, RegularFileStatus::Opened);
    EXPECT_EQ(inside.bytes, "in");

    const std::string locked = dir.write("locked", "x");
    ::chmod(locked.c_str(), 0);
    // Root reads it all the same.
    if (::geteuid() == 0) GTEST_SKIP() << "root reads every file";
    const RegularFileBytes refused = readRegularFile(locked, 100);
    EXPECT_EQ(refused.status, RegularFileStatus::Unreadable);
    EXPECT_EQ(refused.error, EACCES);
}

TEST(RegularFileTest, TheOpenedDescriptorBlocksAgainAndKnowsItsSize) {
    test::TempDir dir;
    const OpenedRegularFile file = openRegularFile(dir.write("f", "hello"), 10);
    ASSERT_EQ(file.status, RegularFileStatus::Opened);
    EXPECT_EQ(file.size, 5u);
    EXPECT_EQ(::fcntl(file.fd.get(), F_GETFL) & O_NONBLOCK, 0);
}

}  // namespace
}  // namespace zarvo
