#pragma once
// A private PostgreSQL server for tests and benchmarks: initdb and pg_ctl
// of the system's PostgreSQL 15 in a temporary directory, the server
// listening on a unix socket there and on a free loopback TCP port. When
// the tests run as root the server runs as the unprivileged user nobody
// (PostgreSQL refuses root). The role "zarvo" (a superuser, trusted on the
// socket) owns the database "zarvo"; the role "reader" logs in over TCP with
// the password kReaderPassword and may only read.

#include <filesystem>
#include <string>

namespace zarvo::test {

class PrivatePostgres {
public:
    static constexpr const char* kReaderPassword = "s3cret-pw";

    // Starts the server and waits for it; throws std::runtime_error with its
    // log when it does not start.
    PrivatePostgres();
    // Stops the server and removes its directory.
    ~PrivatePostgres();
    PrivatePostgres(const PrivatePostgres&) = delete;
    PrivatePostgres& operator=(const PrivatePostgres&) = delete;

    // Whether the system has the server programs (tests skip without them).
    static bool available();

    // The socket's directory (a host name to libpq) and the TCP port.
    const std::string& socketDirectory() const { return socketDir_; }
    int port() const { return port_; }

    // Runs sql as "zarvo" in the database "zarvo" through psql; throws
    // std::runtime_error with psql's words when it fails. Answers psql's
    // unaligned, tuples-only output.
    std::string run(const std::string& sql) const;

private:
    std::string asServerUser(const std::string& command) const;

    std::filesystem::path dir_;
    std::string socketDir_;
    int port_ = 0;
    bool asNobody_ = false;
    bool started_ = false;
};

}  // namespace zarvo::test
