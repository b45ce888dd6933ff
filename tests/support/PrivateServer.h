#pragma once
// What the private servers of the tests (cupsd, databases) share: a free loopback
// port, running a command and reading what it said, quoting for the shell,
// and a temporary directory the unprivileged server user may write to.

#include <filesystem>
#include <string>
#include <utility>

namespace zarvo::test {

// A TCP port on 127.0.0.1 that nothing listens on at this moment.
int freeLoopbackPort();

// The command's standard output and error and its exit status.
std::pair<std::string, int> captureCommand(const std::string& command);

// text as one single-quoted shell word.
std::string shellQuoted(const std::string& text);

// The whole of the file at path; empty when it cannot be read.
std::string fileText(const std::filesystem::path& path);

// A new directory made from pattern ("/tmp/zarvo-pg-XXXXXX", as mkdtemp
// takes it); given to the user nobody when asNobody (the servers refuse to
// run as root).
std::filesystem::path serverDirectory(const std::string& pattern, bool asNobody);

// command run as nobody when asNobody, else as it is.
std::string asServerUser(const std::string& command, bool asNobody);

}  // namespace zarvo::test
