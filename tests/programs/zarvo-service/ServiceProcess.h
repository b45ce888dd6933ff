#pragma once
// zarvo-service started for real, as its users meet it: on a free port of
// 127.0.0.1, with its settings, forms and spool folders (XDG) inside a
// directory of the test and the example delivery note among its forms,
// spoken to over plain HTTP. Also the small pieces of process and socket
// handling the service's tests share.

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace zarvo::test {

// A TCP port on 127.0.0.1 nothing listens on just now.
int freePort();

// Whether something accepts connections on 127.0.0.1:port within timeoutMs.
bool waitForListener(int port, int timeoutMs);

struct HttpReply {
    int status = 0;  // 0 when nothing came back
    std::string body;
};

// Sends bytes to 127.0.0.1:port and reads the reply until the server closes
// the connection (every request here asks it to); reads give up after 10 s.
HttpReply sendRequest(int port, const std::string& bytes);

// Starts argv[0] with argv and environment (entries "NAME=value"), its
// standard error to errFile; the process id, or -1.
pid_t spawnProgram(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                   const std::filesystem::path& errFile);

// Ends a process started by spawnProgram with SIGTERM; its exit status, -1
// when it did not exit by itself or pid is not a process.
int endProcess(pid_t pid);

class ServiceProcess {
public:
    // The service's folders under dir (config, data, state, run), the
    // example delivery_note copied into its forms folder; not started.
    explicit ServiceProcess(std::filesystem::path dir);
    // Stops the service when it runs.
    ~ServiceProcess();
    ServiceProcess(const ServiceProcess&) = delete;
    ServiceProcess& operator=(const ServiceProcess&) = delete;

    // Writes the service's settings file (service.conf).
    void writeSettings(const std::string& text) const;
    // Starts the program on port() without waiting; its standard error goes
    // to errName in the directory. CUPS_SERVER and CUPS_SERVERROOT are
    // passed on when set (a private cupsd of the test).
    pid_t spawn(const std::string& errName) const;
    // Starts the service and waits until it answers; false (with what it
    // said in error()) when it does not within 10 s.
    bool start();
    // Ends the service with SIGTERM; its exit status (-1 when not running).
    int stop();

    // A request with the service's token and a Host header it accepts.
    HttpReply request(const std::string& method, const std::string& target, const std::string& body = {}) const;

    int port() const { return port_; }
    const std::string& token() const { return token_; }
    // What the service wrote on its standard error.
    std::string error() const;
    // The folders the service was given, as environment entries.
    std::vector<std::string> environment() const;

private:
    std::filesystem::path dir_;
    int port_;
    pid_t pid_ = -1;
    std::string token_;
};

}  // namespace zarvo::test
