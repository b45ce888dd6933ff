#pragma once
// Runs a command line through the shell and captures what it printed.

#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "tests/common/TempDir.h"

namespace zarvo::test {

struct CommandResult {
    int status = -1;  // exit status
    std::string out;  // standard output
    std::string err;  // standard error
};

// Runs command (a shell command line) with its standard output and error
// captured in files of dir.
inline CommandResult runCommand(const std::string& command, const TempDir& dir) {
    std::string out = (dir.path() / "stdout.txt").string();
    std::string err = (dir.path() / "stderr.txt").string();
    int raw = std::system((command + " >'" + out + "' 2>'" + err + "'").c_str());
    CommandResult result;
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    result.out = TempDir::read(out);
    result.err = TempDir::read(err);
    return result;
}

}  // namespace zarvo::test
