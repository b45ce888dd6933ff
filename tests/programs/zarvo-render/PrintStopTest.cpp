// zarvo-render stopped by a signal in the middle of a long print.

#include <signal.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "report/PageDataFile.h"
#include "tests/common/TempDir.h"

namespace zarvo {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

// Starts program with args, its output and errors going to files.
pid_t start(const std::vector<std::string>& args, const std::string& out, const std::string& err) {
    const pid_t pid = fork();
    if (pid != 0) return pid;
    dup2(open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), STDOUT_FILENO);
    dup2(open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), STDERR_FILENO);
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
}

// Whether process pid holds a file open under dir.
bool writesUnder(pid_t pid, const fs::path& dir) {
    std::error_code error;
    for (const auto& fd : fs::directory_iterator("/proc/" + std::to_string(pid) + "/fd", error)) {
        if (fs::read_symlink(fd.path(), error).string().starts_with(dir.string() + "/")) return true;
    }
    return false;
}

std::vector<std::string> entries(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename().string());
    return names;
}

TEST(PrintStopTest, ASignalStopsThePrintWithNothingWritten) {
    struct Case {
        int signal;
        const char* existing;  // the output file's bytes before, nullptr: none
        int status;
    };
    const Case cases[] = {{SIGTERM, nullptr, 143}, {SIGINT, "%PDF- an older file", 130}};
    TempDir dir;
    const std::string page =
        dir.write("page.rpt", formatPageHeader(std::string(ZARVO_SOURCE_DIR) + "/examples/delivery_note.txt"));
    const fs::path output = dir.path() / "out";
    fs::create_directory(output);
    const std::string pdf = (output / "note.pdf").string();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.signal);
        if (c.existing) dir.write("out/note.pdf", c.existing);
        // Far more sheets than the test waits for.
        std::vector<std::string> args = {ZARVO_RENDER, "--data-dir", (dir.path() / "data").string(), "--print",
                                         "--pdf", pdf, "--pages"};
        args.insert(args.end(), 5000, page);
        const std::string err = (dir.path() / "stderr.txt").string();
        const pid_t pid = start(args, (dir.path() / "stdout.txt").string(), err);
        ASSERT_GT(pid, 0);
        // The job has begun once its file is open beside the output.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!writesUnder(pid, output) && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        kill(pid, c.signal);
        int raw = 0;
        ASSERT_EQ(waitpid(pid, &raw, 0), pid);
        ASSERT_TRUE(WIFEXITED(raw)) << "ended by signal " << WTERMSIG(raw);
        EXPECT_EQ(WEXITSTATUS(raw), c.status);
        EXPECT_EQ(TempDir::read(err), "已取消, 沒有列印也沒有寫入檔案\n");
        if (c.existing) {
            EXPECT_EQ(TempDir::read(pdf), c.existing);
            EXPECT_EQ(entries(output), std::vector<std::string>{"note.pdf"});
        } else {
            EXPECT_TRUE(entries(output).empty());
        }
        EXPECT_TRUE(!fs::exists(dir.path() / "data/QEL/Tmp") || fs::is_empty(dir.path() / "data/QEL/Tmp"));
    }
}

}  // namespace
}  // namespace zarvo
