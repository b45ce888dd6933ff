// zarvo-service started for real on a free port with its own settings,
// forms and spool folders: a job made into a PDF and fetched back, a body
// too large refused before it is sent, jobs kept across a restart, and a
// port already in use.

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QByteArray>
#include <chrono>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <poppler-qt6.h>
#include <thread>

#include "tests/common/TempDir.h"
#include "tests/support/PrivateCups.h"

extern char** environ;

namespace zarvo {
namespace {

using nlohmann::json;

// A port nothing listens on just now.
int freePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t size = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    ::close(fd);
    return ntohs(address.sin_port);
}

// A connection to 127.0.0.1:port, or -1; reads give up after 10 s.
int connectTo(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(std::uint16_t(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    timeval timeout{10, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    return fd;
}

struct HttpReply {
    int status = 0;
    std::string body;
};

// Sends bytes and reads the reply until the server closes the connection
// (every request here asks it to).
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

class ServiceProgramTest : public ::testing::Test {
protected:
    ServiceProgramTest() {
        std::filesystem::create_directories(dir.path() / "data/zarvo/forms");
        for (const char* extension : {".txt", ".zarvo", "_seal.svg"}) {
            dir.write(std::string("data/zarvo/forms/delivery_note") + extension,
                      test::TempDir::read(std::string(ZARVO_SOURCE_DIR) + "/examples/delivery_note" + extension));
        }
    }
    ~ServiceProgramTest() override { stop(); }

    // Starts the service on port; its standard error goes to name.
    pid_t start(const std::string& name) {
        const std::string root = dir.path().string();
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
        std::filesystem::create_directories(dir.path() / "run");
        std::filesystem::permissions(dir.path() / "run", std::filesystem::perms::owner_all);
        std::vector<char*> env;
        for (std::string& entry : environment) env.push_back(entry.data());
        env.push_back(nullptr);
        std::string program = ZARVO_SERVICE;
        std::string portArg = std::to_string(port);
        std::string portFlag = "--port";
        char* argv[] = {program.data(), portFlag.data(), portArg.data(), nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, (dir.path() / name).c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        pid_t pid = -1;
        posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, env.data());
        posix_spawn_file_actions_destroy(&actions);
        return pid;
    }

    // Starts the service and waits until it answers.
    void startService() {
        service = start("service.err");
        for (int i = 0; i < 200; ++i) {
            const int fd = connectTo(port);
            if (fd >= 0) {
                ::close(fd);
                token = test::TempDir::read((dir.path() / "config/zarvo/service.token").string());
                token.pop_back();
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        FAIL() << "the service did not start: " << test::TempDir::read((dir.path() / "service.err").string());
    }

    // Ends the service with SIGTERM; its exit status.
    int stop() {
        if (service <= 0) return -1;
        ::kill(service, SIGTERM);
        int status = 0;
        ::waitpid(service, &status, 0);
        service = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    HttpReply request(const std::string& method, const std::string& target, const std::string& body = {}) {
        return sendRequest(port, method + " " + target + " HTTP/1.1\r\nHost: localhost:" + std::to_string(port) +
                                  "\r\nAuthorization: Bearer " + token + "\r\nConnection: close\r\nContent-Length: " +
                                  std::to_string(body.size()) + "\r\n\r\n" + body);
    }

    // The job's state once it has ended (or after 20 s).
    json finished(const std::string& id) {
        json job;
        for (int i = 0; i < 400; ++i) {
            job = json::parse(request("GET", "/v1/jobs/" + id).body);
            if (job["state"] != "queued" && job["state"] != "printing") break;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return job;
    }

    test::TempDir dir;
    int port = freePort();
    pid_t service = -1;
    std::string token;
};

TEST_F(ServiceProgramTest, RecordsBecomeAPdfOfOnePageEachKeptAcrossARestart) {
    startService();
    const HttpReply accepted = request("POST", "/v1/jobs",
                                       R"({"form": "delivery_note", "pdf": true, "records": [)"
                                       R"({"no": "A1", "customer": "王小明"}, {"no": "A2", "customer": "李"},)"
                                       R"({"no": "A3", "total_words": "1200"}]})");
    ASSERT_EQ(accepted.status, 202) << accepted.body;
    const std::string id = json::parse(accepted.body)["id"];
    const json job = finished(id);
    EXPECT_EQ(job["state"], "done") << job;
    EXPECT_EQ(job["sheets"], 3);
    const HttpReply pdf = request("GET", "/v1/jobs/" + id + "/pdf");
    ASSERT_EQ(pdf.status, 200);
    const std::unique_ptr<Poppler::Document> document =
        Poppler::Document::loadFromData(QByteArray(pdf.body.data(), qsizetype(pdf.body.size())));
    ASSERT_TRUE(document);
    EXPECT_EQ(document->numPages(), 3);

    const HttpReply refused = request("POST", "/v1/jobs", R"({"form": "delivery_note", "pdf": true, "records": [)"
                                                          R"({"no": "A1"}, {"no": "A2", "total_words": "12a"}]})");
    EXPECT_EQ(refused.status, 422);
    EXPECT_EQ(json::parse(refused.body)["error"]["record"], 2);

    EXPECT_EQ(stop(), 0);
    startService();
    EXPECT_EQ(json::parse(request("GET", "/v1/jobs/" + id).body)["state"], "done");
    EXPECT_EQ(request("GET", "/v1/jobs/" + id + "/pdf").status, 200);
}

TEST_F(ServiceProgramTest, AJobForAPrinterGoesToItsCupsQueue) {
    test::PrivateCups cups;
    cups.addQueue("alpha");
    cups.addQueue("beta");
    cups.setDefault("beta");
    startService();
    const json printers = json::parse(request("GET", "/v1/printers").body)["printers"];
    ASSERT_EQ(printers.size(), 2u) << printers;
    EXPECT_EQ(printers[1]["name"], "beta");
    EXPECT_EQ(printers[1]["default"], true);
    const std::vector<std::string> media = printers[0]["media"];
    EXPECT_NE(std::find(media.begin(), media.end(), "iso_a4_210x297mm"), media.end()) << printers;

    const HttpReply accepted = request("POST", "/v1/jobs",
                                       R"({"form": "delivery_note", "format": "csv", "data": "no,customer\nA1,王\nA2,李\n"})");
    ASSERT_EQ(accepted.status, 202) << accepted.body;
    const std::string id = json::parse(accepted.body)["id"];
    const json job = finished(id);
    EXPECT_EQ(job["state"], "done") << job;
    EXPECT_EQ(job["printer"], "beta");
    EXPECT_EQ(job["sheets"], 2);
    ASSERT_EQ(job["cups_jobs"].size(), 1u) << job;
    const std::vector<std::filesystem::path> output = cups.waitForJobs(1);
    EXPECT_EQ(test::PrivateCups::sheetCount(output[0]), 2);
    EXPECT_EQ(cups.jobCount("beta"), 1u);
    EXPECT_EQ(request("DELETE", "/v1/jobs/" + id).status, 409);
    EXPECT_EQ(request("POST", "/v1/jobs", R"({"form": "delivery_note", "printer": "gamma", "records": [{}]})").status,
              404);
}

TEST_F(ServiceProgramTest, OversizedRequestsAreRefusedBeforeTheirBody) {
    startService();
    const std::string head = "POST /v1/jobs HTTP/1.1\r\nHost: localhost:" + std::to_string(port) +
                             "\r\nAuthorization: Bearer " + token + "\r\n";
    // Only the header is sent: the answer comes without waiting for the body.
    const HttpReply large = sendRequest(port, head + "Content-Length: 67108865\r\n\r\n");
    EXPECT_EQ(large.status, 413);
    EXPECT_EQ(json::parse(large.body)["error"]["code"], "body_too_large");
    const HttpReply header = sendRequest(port, head + "X-Filler: " + std::string(17 * 1024, 'x') + "\r\n\r\n");
    EXPECT_EQ(header.status, 413);
    // The service still serves.
    EXPECT_EQ(request("GET", "/v1/forms").status, 200);
}

TEST_F(ServiceProgramTest, APortInUseEndsWithOneLine) {
    startService();
    const pid_t second = start("second.err");
    int status = 0;
    ::waitpid(second, &status, 0);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    const std::string message = test::TempDir::read((dir.path() / "second.err").string());
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
    EXPECT_NE(message.find(std::to_string(port)), std::string::npos) << message;
}

TEST_F(ServiceProgramTest, AFileMovedIntoAWatchedFolderIsPrintedOnItsPrinter) {
    test::PrivateCups cups;
    cups.addQueue("alpha");
    cups.addQueue("beta");
    cups.setDefault("beta");
    const std::filesystem::path inbox = dir.path() / "出貨單";
    std::filesystem::create_directories(inbox);
    std::filesystem::create_directories(dir.path() / "config/zarvo");
    dir.write("config/zarvo/service.conf", "[Watch 出貨單]\nfolder=" + inbox.string() + "\nprinter=alpha\n\n" +
                                               "[Watch gone]\nfolder=" + (dir.path() / "missing").string() + "\n");
    startService();
    dir.write("delivery_note.csv", "no,customer\nA1,王\n");
    std::filesystem::rename(dir.path() / "delivery_note.csv", inbox / "delivery_note.csv");
    EXPECT_EQ(cups.waitForJobs(1).size(), 1u);
    EXPECT_EQ(cups.jobCount("alpha"), 1u);
    EXPECT_TRUE(std::filesystem::exists(inbox / "done/delivery_note.csv"));
    EXPECT_EQ(stop(), 0);
    const std::string said = test::TempDir::read((dir.path() / "service.err").string());
    EXPECT_NE(said.find("missing ([Watch gone]): 不存在, 略過"), std::string::npos) << said;
}

}  // namespace
}  // namespace zarvo
