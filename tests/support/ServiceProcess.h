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

namespace zarvo::test {

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

private:
    std::string program_;
    std::filesystem::path dir_;
    int port_ = 0;
    pid_t pid_ = -1;
    std::string token_;
};

}  // namespace zarvo::test
