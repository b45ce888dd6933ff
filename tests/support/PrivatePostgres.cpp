#include "tests/support/PrivatePostgres.h"

#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace zarvo::test {

namespace fs = std::filesystem;

namespace {

const fs::path kBin = "/usr/lib/postgresql/15/bin";

// A TCP port on 127.0.0.1 that nothing listens on at this moment.
int freePort() {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (s < 0 || ::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (s >= 0) ::close(s);
        throw std::runtime_error("no free port");
    }
    const int port = ntohs(address.sin_port);
    ::close(s);
    return port;
}

// The command's standard output and error and its exit status.
std::pair<std::string, int> capture(const std::string& command) {
    std::string output;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (!pipe) throw std::runtime_error("cannot run " + command);
    std::array<char, 4096> buffer{};
    while (const std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe)) output.append(buffer.data(), n);
    const int status = ::pclose(pipe);
    return {output, status};
}

std::string quoted(const std::string& text) {
    std::string out = "'";
    for (const char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string readAll(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

bool PrivatePostgres::available() { return fs::exists(kBin / "initdb") && fs::exists(kBin / "pg_ctl"); }

PrivatePostgres::PrivatePostgres() : asNobody_(::geteuid() == 0) {
    char pattern[] = "/tmp/zarvo-pg-XXXXXX";
    if (!::mkdtemp(pattern)) throw std::runtime_error("mkdtemp failed");
    dir_ = pattern;
    socketDir_ = dir_.string();
    if (asNobody_) {
        const passwd* nobody = ::getpwnam("nobody");
        if (!nobody || ::chown(dir_.c_str(), nobody->pw_uid, nobody->pw_gid) != 0) {
            throw std::runtime_error("cannot give " + dir_.string() + " to nobody");
        }
    }
    port_ = freePort();
    const fs::path data = dir_ / "data";
    const fs::path pwfile = dir_ / "pw";
    {
        std::ofstream(pwfile) << "zarvo-superuser\n";
    }
    if (asNobody_) fs::permissions(pwfile, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const auto [initOut, initStatus] =
        capture(asServerUser(quoted((kBin / "initdb").string()) + " -D " + quoted(data.string()) +
                             " -U zarvo -E UTF8 --locale=C --auth-local=trust --auth-host=scram-sha-256 --pwfile=" +
                             quoted(pwfile.string())));
    if (initStatus != 0) throw std::runtime_error("initdb failed: " + initOut);
    const std::string options = "-c listen_addresses=127.0.0.1 -c port=" + std::to_string(port_) +
                                " -c unix_socket_directories=" + socketDir_ + " -c fsync=off";
    const auto [startOut, startStatus] =
        capture(asServerUser(quoted((kBin / "pg_ctl").string()) + " -D " + quoted(data.string()) + " -l " +
                             quoted((dir_ / "log").string()) + " -w -t 60 -o " + quoted(options) + " start"));
    if (startStatus != 0) throw std::runtime_error("pg_ctl start failed: " + startOut + readAll(dir_ / "log"));
    started_ = true;
    run("CREATE DATABASE zarvo");
}

PrivatePostgres::~PrivatePostgres() {
    if (started_) {
        capture(asServerUser(quoted((kBin / "pg_ctl").string()) + " -D " + quoted((dir_ / "data").string()) +
                             " -m immediate -w stop"));
    }
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
}

std::string PrivatePostgres::asServerUser(const std::string& command) const {
    return asNobody_ ? "runuser -u nobody -- " + command : command;
}

std::string PrivatePostgres::run(const std::string& sql) const {
    const fs::path file = dir_ / "statement.sql";
    {
        std::ofstream(file, std::ios::binary) << sql;
    }
    // The database "zarvo" exists only once the first statement made it.
    const std::string database = started_ && sql != "CREATE DATABASE zarvo" ? "zarvo" : "postgres";
    const auto [out, status] = capture(quoted((kBin / "psql").string()) + " -X -q -A -t -v ON_ERROR_STOP=1 -h " +
                                       quoted(socketDir_) + " -p " + std::to_string(port_) + " -U zarvo -d " +
                                       database + " -f " + quoted(file.string()));
    if (status != 0) throw std::runtime_error("psql failed: " + out);
    return out;
}

}  // namespace zarvo::test
