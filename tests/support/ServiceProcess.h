#pragma once
// zarvo-service run for real, for tests and benchmarks: its settings, its
// forms (the example delivery note) and its spool in a temporary directory
// of its own, on a free loopback port, spoken to over HTTP with its token.
// The print service of this process (CUPS_SERVER, CUPS_SERVERROOT, as
// PrivateCups sets them) is passed on at each start. No GoogleTest.

#include <sys/types.h>

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace zarvo::test {

// A TCP port on 127.0.0.1 nothing listens on just now.
int freePort();
// Whether something accepts connections on 127.0.0.1:port within timeoutMs.
bool waitForListener(int port, int timeoutMs);
// Starts argv[0] with argv and environment (entries "NAME=value"), its
// standard error appended to errFile; the process id, or -1.
pid_t spawnProgram(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                   const std::filesystem::path& errFile);
// Ends a process of spawnProgram with SIGTERM and waits for it; its exit
// status, -1 when it did not exit by itself or pid is no process.
int endProcess(pid_t pid);

class ServiceProcess {
public:
    // program: the zarvo-service executable; sourceDir: the project's
    // sources (for examples/delivery_note.*).
    ServiceProcess(std::string program, const std::filesystem::path& sourceDir);
    // Kills a running service and removes the directory.
    ~ServiceProcess();
    ServiceProcess(const ServiceProcess&) = delete;
    ServiceProcess& operator=(const ServiceProcess&) = delete;

    // Starts the service and waits until it answers; throws
    // std::runtime_error, with its standard error, when it does not within 10 s.
    void start();
    // Ends it at once with SIGKILL and waits for it; harmless when not running.
    void kill();
    // Ends it with SIGTERM; its exit status (-1 when it did not exit).
    int stop();

    struct Reply {
        bool connected = false;  // false: nothing was sent
        int status = 0;          // 0 when the connection failed or was cut
        std::string body;
    };
    // One request on a connection of its own (callable from any thread);
    // reads give up after 30 s.
    Reply request(const std::string& method, const std::string& target, const std::string& body = {}) const;

    // The resident memory of the running service, kilobytes (0 when not running).
    std::size_t residentKb() const;
    const std::filesystem::path& dir() const { return dir_; }
    int port() const { return port_; }
    // What the service is started with: its folders under dir() (XDG),
    // and the print service of this process.
    std::vector<std::string> environment() const;
    // Writes its settings file (service.conf), for the starts after.
    void writeSettings(const std::string& text) const;

private:
    std::string program_;
    std::filesystem::path dir_;
    int port_ = 0;
    pid_t pid_ = -1;
    std::string token_;
};

}  // namespace zarvo::test
