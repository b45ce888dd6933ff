#include "tests/support/PrivatePostgres.h"

#include <unistd.h>

#include <fstream>
#include <stdexcept>

#include "tests/support/PrivateServer.h"

namespace zarvo::test {

namespace fs = std::filesystem;

namespace {

const fs::path kBin = "/usr/lib/postgresql/15/bin";

}  // namespace

bool PrivatePostgres::available() { return fs::exists(kBin / "initdb") && fs::exists(kBin / "pg_ctl"); }

PrivatePostgres::PrivatePostgres() : asNobody_(::geteuid() == 0) {
    dir_ = serverDirectory("/tmp/zarvo-pg-XXXXXX", asNobody_);
    socketDir_ = dir_.string();
    port_ = freeLoopbackPort();
    const fs::path data = dir_ / "data";
    const fs::path pwfile = dir_ / "pw";
    {
        std::ofstream(pwfile) << "zarvo-superuser\n";
    }
    if (asNobody_) fs::permissions(pwfile, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const auto [initOut, initStatus] =
        captureCommand(asServerUser(shellQuoted((kBin / "initdb").string()) + " -D " + shellQuoted(data.string()) +
                             " -U zarvo -E UTF8 --locale=C --auth-local=trust --auth-host=scram-sha-256 --pwfile=" +
                             shellQuoted(pwfile.string())));
    if (initStatus != 0) throw std::runtime_error("initdb failed: " + initOut);
    const std::string options = "-c listen_addresses=127.0.0.1 -c port=" + std::to_string(port_) +
                                " -c unix_socket_directories=" + socketDir_ + " -c fsync=off";
    const auto [startOut, startStatus] =
        captureCommand(asServerUser(shellQuoted((kBin / "pg_ctl").string()) + " -D " + shellQuoted(data.string()) + " -l " +
                             shellQuoted((dir_ / "log").string()) + " -w -t 60 -o " + shellQuoted(options) + " start"));
    if (startStatus != 0) throw std::runtime_error("pg_ctl start failed: " + startOut + fileText(dir_ / "log"));
    started_ = true;
    run("CREATE DATABASE zarvo");
}

PrivatePostgres::~PrivatePostgres() {
    if (started_) {
        captureCommand(asServerUser(shellQuoted((kBin / "pg_ctl").string()) + " -D " + shellQuoted((dir_ / "data").string()) +
                             " -m immediate -w stop"));
    }
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
}

std::string PrivatePostgres::asServerUser(const std::string& command) const {
    return test::asServerUser(command, asNobody_);
}

std::string PrivatePostgres::run(const std::string& sql) const {
    const fs::path file = dir_ / "statement.sql";
    {
        std::ofstream(file, std::ios::binary) << sql;
    }
    // The database "zarvo" exists only once the first statement made it.
    const std::string database = started_ && sql != "CREATE DATABASE zarvo" ? "zarvo" : "postgres";
    const auto [out, status] = captureCommand(shellQuoted((kBin / "psql").string()) + " -X -q -A -t -v ON_ERROR_STOP=1 -h " +
                                       shellQuoted(socketDir_) + " -p " + std::to_string(port_) + " -U zarvo -d " +
                                       database + " -f " + shellQuoted(file.string()));
    if (status != 0) throw std::runtime_error("psql failed: " + out);
    return out;
}

}  // namespace zarvo::test
