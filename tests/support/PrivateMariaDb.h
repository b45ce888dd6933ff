#pragma once
// A private MariaDB server for tests: mariadb-install-db and mariadbd of the
// system in a temporary directory, listening on a unix socket there and on
// a free loopback TCP port, with grant tables (so passwords are checked).
// When the tests run as root the server runs as the unprivileged user
// nobody. The account "root" (no password, on the socket) owns the database
// "zarvo"; the account "reader" logs in over TCP with the password
// kReaderPassword and may only read.

#include <filesystem>
#include <string>

namespace zarvo::test {

class PrivateMariaDb {
public:
    static constexpr const char* kReaderPassword = "m4ria-pw";

    // Starts the server and waits for it; throws std::runtime_error with its
    // log when it does not start.
    PrivateMariaDb();
    // Stops the server and removes its directory.
    ~PrivateMariaDb();
    PrivateMariaDb(const PrivateMariaDb&) = delete;
    PrivateMariaDb& operator=(const PrivateMariaDb&) = delete;

    // Whether the system has the server programs (tests skip without them).
    static bool available();

    // The server's socket file and TCP port.
    std::string socketPath() const { return (dir_ / "socket").string(); }
    int port() const { return port_; }

    // Runs sql as root in the database "zarvo" through the mariadb client;
    // throws std::runtime_error with its words when it fails. Answers the
    // client's tab-separated output without column names.
    std::string run(const std::string& sql) const;

private:
    void stop();

    std::filesystem::path dir_;
    int port_ = 0;
    bool asNobody_ = false;
    bool started_ = false;
};

}  // namespace zarvo::test
