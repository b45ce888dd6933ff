// Several files written as one: all replaced, or none, and no temporary
// file left behind.

#include "platform/os/FileGroupWrite.h"

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/common/TempDir.h"

namespace zarvo {
namespace {

namespace fs = std::filesystem;

std::set<std::string> names(const fs::path& dir) {
    std::set<std::string> found;
    for (const auto& entry : fs::directory_iterator(dir)) found.insert(entry.path().filename().string());
    return found;
}

TEST(FileGroupWriteTest, EveryFileIsReplacedOrNoneAndTheOneThatFailedIsNamed) {
    struct Case {
        const char* name;
        bool reportExists;    // form.txt holds "old report" before
        bool settingsExist;   // form.zarvo holds "old settings" before
        bool settingsIsDir;   // form.zarvo is a directory
        int failingRename;    // the rename (from 1) that fails with EACCES; 0 none
        bool written;         // both files hold the new content afterwards
        const char* failed;   // the file the error names
    };
    const Case cases[] = {
        {"both new", false, false, false, 0, true, ""},
        {"both replaced", true, true, false, 0, true, ""},
        {"settings a directory", true, false, true, 0, false, "form.zarvo"},
        {"settings a directory, no report yet", false, false, true, 0, false, "form.zarvo"},
        {"second rename fails over old files", true, true, false, 2, false, "form.zarvo"},
        {"second rename fails, report was new", false, true, false, 2, false, "form.zarvo"},
        {"first rename fails", true, true, false, 1, false, "form.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempDir dir;
        const std::string report = (dir.path() / "form.txt").string();
        const std::string settings = (dir.path() / "form.zarvo").string();
        if (c.reportExists) dir.write("form.txt", "old report");
        if (c.settingsExist) dir.write("form.zarvo", "old settings");
        if (c.settingsIsDir) fs::create_directory(settings);
        const std::set<std::string> before = names(dir.path());

        int renames = 0;
        std::string failedPath;
        try {
            FileGroupWrite files([&](const char* from, const char* to) {
                if (++renames == c.failingRename) {
                    errno = EACCES;
                    return -1;
                }
                return ::rename(from, to);
            });
            files.add(report, "new report");
            files.add(settings, "new settings");
            files.commit();
        } catch (const FileGroupError& error) {
            failedPath = error.path();
            EXPECT_NE(std::string(error.what()).find(error.path()), std::string::npos);
        }

        EXPECT_EQ(failedPath, *c.failed ? (dir.path() / c.failed).string() : "");
        if (c.written) {
            EXPECT_EQ(test::TempDir::read(report), "new report");
            EXPECT_EQ(test::TempDir::read(settings), "new settings");
            EXPECT_EQ(names(dir.path()), (std::set<std::string>{"form.txt", "form.zarvo"}));
        } else {
            // Every file as it was, and nothing beside them.
            EXPECT_EQ(names(dir.path()), before);
            if (c.reportExists) {
                EXPECT_EQ(test::TempDir::read(report), "old report");
            }
            if (c.settingsExist) {
                EXPECT_EQ(test::TempDir::read(settings), "old settings");
            }
        }
    }
}

TEST(FileGroupWriteTest, AReplacedFileKeepsItsModeAndALinkKeepsLeadingToIt) {
    test::TempDir dir;
    const std::string target = dir.write("target.txt", "old");
    ::chmod(target.c_str(), 0640);
    const std::string link = (dir.path() / "link.txt").string();
    fs::create_symlink(target, link);
    {
        FileGroupWrite files;
        files.add(link, "new");
        files.commit();
    }
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(test::TempDir::read(target), "new");
    struct stat info {};
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}

TEST(FileGroupWriteTest, AGroupNeverCommittedLeavesNoTrace) {
    test::TempDir dir;
    {
        FileGroupWrite files;
        files.add((dir.path() / "a").string(), "a");
        files.add((dir.path() / "b").string(), "b");
    }
    EXPECT_TRUE(names(dir.path()).empty());
}

}  // namespace
}  // namespace zarvo
