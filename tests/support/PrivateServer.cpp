#include "tests/support/PrivateServer.h"

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
#include <vector>

namespace zarvo::test {

int freeLoopbackPort() {
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

std::pair<std::string, int> captureCommand(const std::string& command) {
    std::string output;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (!pipe) throw std::runtime_error("cannot run " + command);
    std::array<char, 4096> buffer{};
    while (const std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe)) output.append(buffer.data(), n);
    const int status = ::pclose(pipe);
    return {output, status};
}

std::string shellQuoted(const std::string& text) {
    std::string out = "'";
    for (const char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string fileText(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::filesystem::path serverDirectory(const std::string& pattern, bool asNobody) {
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (!::mkdtemp(name.data())) throw std::runtime_error("mkdtemp failed");
    const std::filesystem::path dir = name.data();
    if (asNobody) {
        const passwd* nobody = ::getpwnam("nobody");
        if (!nobody || ::chown(dir.c_str(), nobody->pw_uid, nobody->pw_gid) != 0) {
            throw std::runtime_error("cannot give " + dir.string() + " to nobody");
        }
    }
    return dir;
}

std::string asServerUser(const std::string& command, bool asNobody) {
    return asNobody ? "runuser -u nobody -- " + command : command;
}

}  // namespace zarvo::test
