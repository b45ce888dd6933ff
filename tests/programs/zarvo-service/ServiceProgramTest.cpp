// zarvo-service started for real on a free port with its own settings,
// forms and spool folders: a job made into a PDF and fetched back, a body
// too large refused before it is sent, jobs kept across a restart, and a
// port already in use.

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <QByteArray>
#include <chrono>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <poppler-qt6.h>
#include <thread>

#include "tests/common/TempDir.h"
#include "tests/programs/zarvo-service/ServiceProcess.h"
#include "tests/support/PrivateCups.h"

namespace zarvo {
namespace {

using nlohmann::json;
using test::HttpReply;
using test::sendRequest;

class ServiceProgramTest : public ::testing::Test {
protected:
    // Starts the service and waits until it answers.
    void startService() {
        ASSERT_TRUE(service.start()) << "the service did not start: " << service.error();
        port = service.port();
    }

    // Ends the service with SIGTERM; its exit status.
    int stop() { return service.stop(); }

    HttpReply request(const std::string& method, const std::string& target, const std::string& body = {}) {
        return service.request(method, target, body);
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
    test::ServiceProcess service{dir.path()};
    int port = service.port();
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
                             "\r\nAuthorization: Bearer " + service.token() + "\r\n";
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
    const pid_t second = service.spawn("second.err");
    int status = 0;
    ::waitpid(second, &status, 0);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    const std::string message = test::TempDir::read((dir.path() / "second.err").string());
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
    EXPECT_NE(message.find(std::to_string(port)), std::string::npos) << message;
}

}  // namespace
}  // namespace zarvo
