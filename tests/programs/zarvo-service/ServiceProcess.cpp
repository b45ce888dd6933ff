#include "tests/programs/zarvo-service/ServiceProcess.h"

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
#include <thread>

#include "tests/common/TempDir.h"

extern char** environ;

namespace zarvo::test {
namespace {

sockaddr_in loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(std::uint16_t(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

// A connection to 127.0.0.1:port, or -1; reads give up after 10 s.
int connectTo(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    const sockaddr_in address = loopback(port);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    timeval timeout{10, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    return fd;
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
        const int fd = connectTo(port);
        if (fd >= 0) {
            ::close(fd);
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

HttpReply sendRequest(int port, const std::string& bytes) {
    const int fd = connectTo(port);
    if (fd < 0) return {};
    ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    std::string reply;
    char buffer[65536];
    for (ssize_t n; (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0;) reply.append(buffer, std::size_t(n));
    ::close(fd);
    HttpReply result;
    if (reply.rfind("HTTP/1.1 ", 0) == 0) result.status = std::stoi(reply.substr(9, 3));
    const std::size_t body = reply.find("\r\n\r\n");
    if (body != std::string::npos) result.body = reply.substr(body + 4);
    return result;
}

pid_t spawnProgram(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                   const std::filesystem::path& errFile) {
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
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
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

ServiceProcess::ServiceProcess(std::filesystem::path dir) : dir_(std::move(dir)), port_(freePort()) {
    std::filesystem::create_directories(dir_ / "data/zarvo/forms");
    std::filesystem::create_directories(dir_ / "config/zarvo");
    for (const char* extension : {"txt", "zarvo"}) {
        const std::string name = std::string("delivery_note.") + extension;
        std::filesystem::copy_file(std::string(ZARVO_SOURCE_DIR) + "/examples/" + name,
                                   dir_ / "data/zarvo/forms" / name,
                                   std::filesystem::copy_options::overwrite_existing);
    }
    std::filesystem::create_directories(dir_ / "run");
    std::filesystem::permissions(dir_ / "run", std::filesystem::perms::owner_all);
}

ServiceProcess::~ServiceProcess() { stop(); }

void ServiceProcess::writeSettings(const std::string& text) const {
    std::ofstream(dir_ / "config/zarvo/service.conf", std::ios::binary) << text;
}

std::vector<std::string> ServiceProcess::environment() const {
    const std::string root = dir_.string();
    std::vector<std::string> environment = {"XDG_CONFIG_HOME=" + root + "/config",
                                            "XDG_DATA_HOME=" + root + "/data",
                                            "XDG_STATE_HOME=" + root + "/state",
                                            "XDG_RUNTIME_DIR=" + root + "/run",
                                            "HOME=" + root,
                                            "QT_QPA_PLATFORM=offscreen",
                                            "PATH=/usr/bin:/bin"};
    // The print service of the test, when it has one (PrivateCups sets these).
    for (const char* name : {"CUPS_SERVER", "CUPS_SERVERROOT"}) {
        if (const char* value = std::getenv(name)) environment.push_back(std::string(name) + "=" + value);
    }
    return environment;
}

pid_t ServiceProcess::spawn(const std::string& errName) const {
    return spawnProgram({ZARVO_SERVICE, "--port", std::to_string(port_)}, environment(), dir_ / errName);
}

bool ServiceProcess::start() {
    pid_ = spawn("service.err");
    if (pid_ <= 0 || !waitForListener(port_, 10000)) return false;
    token_ = TempDir::read((dir_ / "config/zarvo/service.token").string());
    if (!token_.empty() && token_.back() == '\n') token_.pop_back();
    return true;
}

int ServiceProcess::stop() {
    const int status = endProcess(pid_);
    pid_ = -1;
    return status;
}

std::string ServiceProcess::error() const { return TempDir::read((dir_ / "service.err").string()); }

HttpReply ServiceProcess::request(const std::string& method, const std::string& target,
                                  const std::string& body) const {
    return sendRequest(port_, method + " " + target + " HTTP/1.1\r\nHost: localhost:" + std::to_string(port_) +
                                  "\r\nAuthorization: Bearer " + token_ + "\r\nConnection: close\r\nContent-Length: " +
                                  std::to_string(body.size()) + "\r\n\r\n" + body);
}

}  // namespace zarvo::test
