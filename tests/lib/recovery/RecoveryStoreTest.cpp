// The recovery store: private files that survive, live programs' copies
// never offered, the dead programs' copies offered once, newest first.

#include "recovery/RecoveryStore.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "recovery/RecoveryFormat.h"
#include "report/ReportError.h"
#include "tests/common/TempDir.h"
#include "tests/lib/recovery/RecoveryTesting.h"

namespace zarvo {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using test::copyOf;
using test::filesIn;
using test::modeOf;

std::vector<std::string> textsOf(const std::vector<RecoveryCopy>& copies) {
    std::vector<std::string> texts;
    for (const RecoveryCopy& copy : copies) texts.push_back(copy.text);
    return texts;
}

// Leaves copy behind as a program that ended without removing it would:
// the store goes and its lock with it.
void leaveOrphan(const fs::path& dir, const RecoveryCopy& copy) {
    RecoveryStore(dir).write(copy);
}

// A copy file written by hand, as a program that lost its lock file left it.
void writeCopyFile(const test::TempDir& temp, const std::string& name, const RecoveryCopy& copy) {
    temp.write(name, recoveryHeader(copy) + copy.text + copy.testData + copy.fileName);
}

enum class ChildEnd { StaysAlive, Exits };

// A program in a child process that writes one copy into dir and then
// either stays alive until killed or exits at once without removing it.
pid_t startWritingChild(const fs::path& dir, const std::string& text, ChildEnd end) {
    int ready[2];
    if (pipe(ready) != 0) return -1;
    pid_t pid = fork();
    if (pid == 0) {
        close(ready[0]);
        RecoveryStore store(dir);
        try {
            store.write(copyOf(text));
        } catch (...) {
            _exit(1);
        }
        char done = 'w';
        if (::write(ready[1], &done, 1) != 1) _exit(1);
        while (end == ChildEnd::StaysAlive) pause();
        _exit(0);  // no destructors: the kernel closes the lock
    }
    close(ready[1]);
    char done = 0;
    bool wrote = pid > 0 && read(ready[0], &done, 1) == 1;
    close(ready[0]);
    return wrote ? pid : -1;
}

TEST(RecoveryStoreTest, CopiesComeBackByteForByte) {
    RecoveryCopy everyByte{"", "", "/home/使用者/報表 1.txt", 1700000000123, {}};
    for (int byte = 0; byte < 256; ++byte) everyByte.text += static_cast<char>(byte);
    everyByte.testData = "customer,祥和\r\n" + everyByte.text;
    const std::vector<RecoveryCopy> cases = {
        {},
        {"\0\r\n\r\r\n\n\0"s, "\n,\0"s, "\r"s, -5, {}},
        {"ZARVO-RECOVERY 1 0 0 0 0 0000000000000000\n", "", "", 7, {}, std::nullopt},
        {"text", "", "/a.txt", 8, {}, "[Paper]\nwidth=241.3\nname=\"連續\"\n"},
        everyByte,
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        test::TempDir temp;
        leaveOrphan(temp.path(), cases[i]);
        std::vector<RecoveryCopy> found = RecoveryStore(temp.path()).orphans();
        ASSERT_EQ(found.size(), 1u) << "case " << i;
        EXPECT_EQ(found[0].text, cases[i].text) << "case " << i;
        EXPECT_EQ(found[0].testData, cases[i].testData) << "case " << i;
        EXPECT_EQ(found[0].fileName, cases[i].fileName) << "case " << i;
        EXPECT_EQ(found[0].savedAtMs, cases[i].savedAtMs) << "case " << i;
        EXPECT_EQ(found[0].profile.value_or(""), cases[i].profile.value_or("")) << "case " << i;
        EXPECT_EQ(found[0].path.parent_path(), temp.path()) << "case " << i;
    }
}

TEST(RecoveryStoreTest, DirectoryAndFilesArePrivateAndMadeOnlyByWriting) {
    struct Case {
        const char* name;
        std::optional<unsigned> existingMode;  // nothing: the directory and its parent are missing
    };
    for (const Case& c : {Case{"created", std::nullopt}, Case{"existing, too open", 0755u}}) {
        test::TempDir temp;
        const fs::path dir = temp.path() / "state" / "recovery";
        if (c.existingMode) {
            fs::create_directories(dir);
            chmod(dir.c_str(), *c.existingMode);
        }
        RecoveryStore store(dir);
        EXPECT_TRUE(store.orphans().empty()) << c.name;
        store.remove();
        EXPECT_EQ(fs::exists(dir), c.existingMode.has_value()) << c.name;
        store.write(copyOf("form"));
        EXPECT_EQ(modeOf(dir), 0700u) << c.name;
        std::vector<std::string> files = filesIn(dir);
        ASSERT_EQ(files.size(), 2u) << c.name;  // the copy and its lock, no temporary file
        for (const std::string& file : files) EXPECT_EQ(modeOf(dir / file), 0600u) << c.name << " " << file;
    }
}

TEST(RecoveryStoreTest, ASymlinkedDirectoryIsRefused) {
    test::TempDir temp;
    fs::create_directory(temp.path() / "elsewhere");
    fs::create_directory_symlink(temp.path() / "elsewhere", temp.path() / "recovery");
    RecoveryStore store(temp.path() / "recovery");
    EXPECT_THROW(store.write(copyOf("form")), ReportError);
    EXPECT_THROW(store.orphans(), ReportError);
    EXPECT_TRUE(fs::is_empty(temp.path() / "elsewhere"));
}

TEST(RecoveryStoreTest, ACopyPathThatIsASymlinkIsNeverFollowed) {
    test::TempDir temp;
    const fs::path dir = temp.path() / "recovery";
    const std::string outside = temp.write("outside.txt", "not ours");
    RecoveryStore store(dir);
    store.write(copyOf("first"));
    // The program's own copy replaced by a link: the next write replaces the link.
    const fs::path own = dir / filesIn(dir, ".copy").at(0);
    fs::remove(own);
    fs::create_symlink(outside, own);
    store.write(copyOf("second"));
    EXPECT_FALSE(fs::is_symlink(own));
    EXPECT_EQ(test::TempDir::read(outside), "not ours");
    // A link in the place of a dead program's copy or lock is not offered.
    leaveOrphan(temp.path() / "source", copyOf("linked"));
    const std::string linkedCopy = filesIn(temp.path() / "source", ".copy").at(0);
    fs::create_symlink(temp.path() / "source" / linkedCopy, dir / "1-1-a.copy");
    writeCopyFile(temp, "recovery/1-1-b.copy", copyOf("lock linked"));
    fs::create_symlink(outside, dir / "1-1-b.lock");
    RecoveryStore next(dir);
    EXPECT_TRUE(next.orphans().empty());
    EXPECT_EQ(test::TempDir::read(outside), "not ours");
    EXPECT_EQ(RecoveryStore(temp.path() / "source").orphans().size(), 1u);
}

TEST(RecoveryStoreTest, DamagedCopiesAreSkippedAndDeleted) {
    const RecoveryCopy good = copyOf("good");
    const std::string whole = recoveryHeader(good) + good.text + good.testData + good.fileName;
    struct Case {
        const char* name;
        std::string bytes;
    };
    const std::vector<Case> cases = {
        {"empty", ""},
        {"not a copy", "0 0 0\r\n[LINES]\r\n"},
        {"truncated", whole.substr(0, whole.size() - 3)},
        {"altered", whole.substr(0, whole.size() - 1) + "?"},
        {"a huge size with no data", "ZARVO-RECOVERY 1 0 268435456 0 0 0000000000000000\n"},
        {"sizes that wrap around", "ZARVO-RECOVERY 1 0 18446744073709551615 1 0 0000000000000000\nx"},
    };
    test::TempDir temp;
    fs::create_directory(temp.path() / "recovery");
    for (std::size_t i = 0; i < cases.size(); ++i) {
        temp.write("recovery/1-1-" + std::to_string(i) + ".copy", cases[i].bytes);
    }
    const fs::path dir = temp.path() / "recovery";
    mkfifo((dir / "1-2-0.copy").c_str(), 0600);
    leaveOrphan(dir, good);
    RecoveryStore store(dir);
    EXPECT_EQ(textsOf(store.orphans()), std::vector<std::string>{"good"});
    for (std::size_t i = 0; i < cases.size(); ++i) {
        EXPECT_FALSE(fs::exists(dir / ("1-1-" + std::to_string(i) + ".copy"))) << cases[i].name;
        EXPECT_FALSE(fs::exists(dir / ("1-1-" + std::to_string(i) + ".lock"))) << cases[i].name;
    }
    EXPECT_FALSE(fs::exists(dir / "1-2-0.copy"));
}

TEST(RecoveryStoreTest, ALiveStoresCopyIsNotAnOrphanUntilTheStoreGoes) {
    test::TempDir temp;
    auto live = std::make_unique<RecoveryStore>(temp.path());
    live->write(copyOf("live"));
    RecoveryStore other(temp.path());
    EXPECT_TRUE(other.orphans().empty());
    EXPECT_TRUE(live->orphans().empty());  // nor to itself
    live.reset();  // gone without remove(), as in a crash
    EXPECT_EQ(textsOf(other.orphans()), std::vector<std::string>{"live"});
}

TEST(RecoveryStoreTest, ACopyOfAProcessThatEndedAbnormallyIsAnOrphan) {
    struct Case {
        const char* name;
        ChildEnd end;
    };
    const std::vector<Case> cases = {{"killed", ChildEnd::StaysAlive}, {"exited without removing", ChildEnd::Exits}};
    for (const Case& c : cases) {
        test::TempDir temp;
        pid_t child = startWritingChild(temp.path(), "child's form", c.end);
        ASSERT_GT(child, 0) << c.name;
        if (c.end == ChildEnd::StaysAlive) {
            EXPECT_TRUE(RecoveryStore(temp.path()).orphans().empty()) << c.name;
            kill(child, SIGKILL);
        }
        waitpid(child, nullptr, 0);
        EXPECT_EQ(textsOf(RecoveryStore(temp.path()).orphans()), std::vector<std::string>{"child's form"})
            << c.name;
    }
}

TEST(RecoveryStoreTest, ACopyWithoutALockFileIsAnOrphan) {
    test::TempDir temp;
    writeCopyFile(temp, "1-1-a.copy", copyOf("lockless"));
    RecoveryStore store(temp.path());
    EXPECT_EQ(textsOf(store.orphans()), std::vector<std::string>{"lockless"});
}

TEST(RecoveryStoreTest, OrphansComeNewestFirst) {
    test::TempDir temp;
    leaveOrphan(temp.path(), copyOf("middle", 2000));
    leaveOrphan(temp.path(), copyOf("oldest", 1000));
    leaveOrphan(temp.path(), copyOf("newest", 3000));
    RecoveryStore store(temp.path());
    EXPECT_EQ(textsOf(store.orphans()), (std::vector<std::string>{"newest", "middle", "oldest"}));
}

TEST(RecoveryStoreTest, AnOfferedCopyIsOfferedByOneStoreUntilKeptOrDiscarded) {
    test::TempDir temp;
    leaveOrphan(temp.path(), copyOf("form"));
    RecoveryStore first(temp.path());
    RecoveryStore second(temp.path());
    std::vector<RecoveryCopy> offered = first.orphans();
    ASSERT_EQ(offered.size(), 1u);
    EXPECT_TRUE(second.orphans().empty());
    EXPECT_TRUE(first.orphans().empty());  // not twice by the same store either

    first.keep(offered[0]);
    EXPECT_TRUE(fs::exists(offered[0].path));
    std::vector<RecoveryCopy> again = second.orphans();
    ASSERT_EQ(textsOf(again), std::vector<std::string>{"form"});

    second.discard(again[0]);
    EXPECT_TRUE(filesIn(temp.path()).empty());
    EXPECT_TRUE(RecoveryStore(temp.path()).orphans().empty());
}

TEST(RecoveryStoreTest, RemoveDeletesTheCopyAndItsLock) {
    test::TempDir temp;
    RecoveryStore store(temp.path());
    store.write(copyOf("first"));
    store.remove();
    EXPECT_TRUE(filesIn(temp.path()).empty());
    store.remove();
    store.write(copyOf("again"));  // a new slot, as live as the first
    EXPECT_EQ(filesIn(temp.path()).size(), 2u);
    EXPECT_TRUE(RecoveryStore(temp.path()).orphans().empty());
}

TEST(RecoveryStoreTest, TheDefaultDirectoryFollowsTheEnvironment) {
    struct Case {
        const char* stateHome;  // null: unset
        fs::path expected;
    };
    const std::vector<Case> cases = {
        {"/var/state", "/var/state/zarvo/recovery"},
        {nullptr, "/home/user/.local/state/zarvo/recovery"},
        {"", "/home/user/.local/state/zarvo/recovery"},
        {"state", "/home/user/.local/state/zarvo/recovery"},  // not absolute
    };
    // No other test reads these variables, so they are not restored.
    setenv("HOME", "/home/user", 1);
    for (const Case& c : cases) {
        c.stateHome ? setenv("XDG_STATE_HOME", c.stateHome, 1) : unsetenv("XDG_STATE_HOME");
        EXPECT_EQ(RecoveryStore::defaultDirectory(), c.expected) << (c.stateHome ? c.stateHome : "unset");
    }
}

}  // namespace
}  // namespace zarvo
