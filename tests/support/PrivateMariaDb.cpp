#include "tests/support/PrivateMariaDb.h"

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <stdexcept>
#include <thread>

#include "tests/support/PrivateServer.h"

namespace zarvo::test {

namespace fs = std::filesystem;

namespace {

const fs::path kInstallDb = "/usr/bin/mariadb-install-db";
const fs::path kServer = "/usr/sbin/mariadbd";
const fs::path kClient = "/usr/bin/mariadb";

}  // namespace

bool PrivateMariaDb::available() {
    return fs::exists(kInstallDb) && fs::exists(kServer) && fs::exists(kClient);
}

PrivateMariaDb::PrivateMariaDb() : asNobody_(::geteuid() == 0) {
    dir_ = serverDirectory("/tmp/zarvo-mariadb-XXXXXX", asNobody_);
    try {
        port_ = freeLoopbackPort();
        const std::string data = (dir_ / "data").string();
        const std::string user = asNobody_ ? " --user=nobody" : "";
        // --no-defaults: the system's my.cnf (its socket, its data directory)
        // must not reach this server.
        const auto [installOut, installStatus] = captureCommand(asServerUser(
            shellQuoted(kInstallDb.string()) + " --no-defaults --datadir=" + shellQuoted(data) +
                " --auth-root-authentication-method=normal --skip-test-db --skip-name-resolve" + user,
            asNobody_));
        if (installStatus != 0) throw std::runtime_error("mariadb-install-db failed: " + installOut);
        // A small buffer pool and log and no binary log start it in a moment;
        // only loopback is listened on.
        const std::string command =
            shellQuoted(kServer.string()) + " --no-defaults --datadir=" + shellQuoted(data) +
            " --socket=" + shellQuoted(socketPath()) + " --port=" + std::to_string(port_) +
            " --bind-address=127.0.0.1 --skip-name-resolve --skip-log-bin --innodb-buffer-pool-size=8M"
            " --innodb-log-file-size=4M --innodb-flush-log-at-trx-commit=0 --character-set-server=utf8mb4"
            " --collation-server=utf8mb4_unicode_ci --pid-file=" + shellQuoted((dir_ / "pid").string()) +
            " --log-error=" + shellQuoted((dir_ / "log").string()) + user;
        if (std::system((asServerUser(command, asNobody_) + " >/dev/null 2>&1 &").c_str()) != 0) {
            throw std::runtime_error("cannot start mariadbd");
        }
        started_ = true;
        for (int tries = 0;; ++tries) {
            const auto [out, status] = captureCommand(shellQuoted(kClient.string()) + " --no-defaults -S " +
                                                      shellQuoted(socketPath()) + " -u root -e 'SELECT 1'");
            if (status == 0) break;
            if (tries == 300) throw std::runtime_error("mariadbd did not start: " + out + fileText(dir_ / "log"));
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        run(std::string("CREATE DATABASE zarvo CHARACTER SET utf8mb4; CREATE USER reader@'127.0.0.1' IDENTIFIED BY '") +
            kReaderPassword + "'; GRANT SELECT ON zarvo.* TO reader@'127.0.0.1';");
    } catch (...) {
        // No destructor runs for a constructor that throws.
        stop();
        throw;
    }
}

PrivateMariaDb::~PrivateMariaDb() { stop(); }

void PrivateMariaDb::stop() {
    if (started_) {
        // The server removes its pid file as it ends; one that hangs is killed.
        const std::string text = fileText(dir_ / "pid");
        const pid_t pid = text.empty() ? 0 : std::stoi(text);
        if (pid > 0) ::kill(pid, SIGTERM);
        for (int tries = 0; tries < 300 && fs::exists(dir_ / "pid"); ++tries) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        if (pid > 0 && fs::exists(dir_ / "pid")) ::kill(pid, SIGKILL);
        started_ = false;
    }
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
}

std::string PrivateMariaDb::run(const std::string& sql) const {
    const fs::path file = dir_ / "statement.sql";
    {
        std::ofstream(file, std::ios::binary) << sql;
    }
    // The database "zarvo" exists only once the first statement made it.
    const std::string database = fs::exists(dir_ / "data" / "zarvo") ? " zarvo" : "";
    const auto [out, status] =
        captureCommand(shellQuoted(kClient.string()) + " --no-defaults --default-character-set=utf8mb4 -N -B -S " +
                       shellQuoted(socketPath()) + " -u root" + database + " < " + shellQuoted(file.string()));
    if (status != 0) throw std::runtime_error("mariadb failed: " + out);
    return out;
}

}  // namespace zarvo::test
