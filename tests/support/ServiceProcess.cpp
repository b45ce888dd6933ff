#include "tests/support/ServiceProcess.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <vector>

extern char** environ;

namespace zarvo::test {

namespace fs = std::filesystem;

namespace {

sockaddr_in loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(std::uint16_t(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

// A connection to 127.0.0.1:port, or -1.
int connectTo(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in address = loopback(port);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    timeval timeout{30, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    return fd;
}

std::string readAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void copyFile(const fs::path& from, const fs::path& to) {
    fs::copy_file(from, to, fs::copy_options::overwrite_existing);
}

}  // namespace

int freePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = loopback(0);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t size = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    ::close(fd);
    return ntohs(address.sin_port);
}

bool waitForListener(int port, int timeoutMs) {
    for (int waited = 0; waited <= timeoutMs; waited += 50) {
        if (const int fd = connectTo(port); fd >= 0) {
            ::close(fd);
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

pid_t spawnProgram(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                   const fs::path& errFile) {
    std::vector<std::string> args = argv;
    std::vector<std::string> entries = environment;
    std::vector<char*> argPointers;
    for (std::string& arg : args) argPointers.push_back(arg.data());
    argPointers.push_back(nullptr);
    std::vector<char*> envPointers;
    for (std::string& entry : entries) envPointers.push_back(entry.data());
    envPointers.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errFile.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    pid_t pid = -1;
    if (posix_spawn(&pid, args[0].c_str(), &actions, nullptr, argPointers.data(), envPointers.data()) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

int endProcess(pid_t pid) {
    if (pid <= 0) return -1;
    ::kill(pid, SIGTERM);
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

ServiceProcess::ServiceProcess(std::string program, const fs::path& sourceDir)
    : program_(std::move(program)), port_(freePort()) {
    std::string pattern = (fs::temp_directory_path() / "zarvo-service-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("no temporary directory");
    dir_ = pattern;
    fs::create_directories(dir_ / "data/zarvo/forms");
    fs::create_directories(dir_ / "run");
    fs::permissions(dir_ / "run", fs::perms::owner_all);
    for (const char* extension : {".txt", ".zarvo", "_seal.svg"}) {
        copyFile(sourceDir / ("examples/delivery_note" + std::string(extension)),
                 dir_ / ("data/zarvo/forms/delivery_note" + std::string(extension)));
    }
}

ServiceProcess::~ServiceProcess() {
    kill();
    std::error_code error;
    fs::remove_all(dir_, error);
}

std::vector<std::string> ServiceProcess::environment() const {
    const std::string root = dir_.string();
    std::vector<std::string> environment = {"XDG_CONFIG_HOME=" + root + "/config", "XDG_DATA_HOME=" + root + "/data",
                                            "XDG_STATE_HOME=" + root + "/state",   "XDG_RUNTIME_DIR=" + root + "/run",
                                            "HOME=" + root,                        "QT_QPA_PLATFORM=offscreen",
                                            "PATH=/usr/bin:/bin"};
    for (const char* name : {"CUPS_SERVER", "CUPS_SERVERROOT"}) {
        if (const char* value = std::getenv(name)) environment.push_back(std::string(name) + "=" + value);
    }
    return environment;
}

void ServiceProcess::writeSettings(const std::string& text) const {
    fs::create_directories(dir_ / "config/zarvo");
    std::ofstream(dir_ / "config/zarvo/service.conf", std::ios::binary) << text;
}

void ServiceProcess::start() {
    pid_ = spawnProgram({program_, "--port", std::to_string(port_)}, environment(), dir_ / "service.err");
    if (pid_ > 0 && waitForListener(port_, 10000)) {
        token_ = readAll(dir_ / "config/zarvo/service.token");
        if (!token_.empty()) token_.pop_back();
        return;
    }
    throw std::runtime_error("zarvo-service did not start: " + readAll(dir_ / "service.err"));
}

void ServiceProcess::kill() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

int ServiceProcess::stop() {
    if (pid_ <= 0) return -1;
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

ServiceProcess::Reply ServiceProcess::request(const std::string& method, const std::string& target,
                                              const std::string& body) const {
    const int fd = connectTo(port_);
    if (fd < 0) return {};
    const std::string bytes = method + " " + target + " HTTP/1.1\r\nHost: localhost:" + std::to_string(port_) +
                              "\r\nAuthorization: Bearer " + token_ + "\r\nConnection: close\r\nContent-Length: " +
                              std::to_string(body.size()) + "\r\n\r\n" + body;
    ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    std::string reply;
    char buffer[65536];
    for (ssize_t n; (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0;) reply.append(buffer, std::size_t(n));
    ::close(fd);
    Reply result;
    result.connected = true;
    if (reply.rfind("HTTP/1.1 ", 0) == 0) result.status = std::atoi(reply.substr(9, 3).c_str());
    const std::size_t start = reply.find("\r\n\r\n");
    if (start != std::string::npos) result.body = reply.substr(start + 4);
    return result;
}

std::size_t ServiceProcess::residentKb() const {
    if (pid_ <= 0) return 0;
    std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) return std::size_t(std::atoll(line.c_str() + 6));
    }
    return 0;
}

}  // namespace zarvo::test
