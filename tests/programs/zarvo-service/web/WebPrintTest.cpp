// examples/web/print.html in headless Chromium, served by a small static
// HTTP server of its own, against the real zarvo-service and a private
// cupsd: the page pairs (its origin listed in service.conf), lists the
// queues, prints two delivery notes and follows the job to its end; the
// sheets that reach the queue are the ones zarvo-render prints for the same
// data. The errors: copies out of range, a value the service refuses and
// an origin nobody allowed.
// A page left open while the service restarts follows it back.
// The program exits 77 (skipped) when Chromium is not installed.

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <QImage>
#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

#include "tests/common/Command.h"
#include "tests/common/TempDir.h"
#include "tests/support/PrivateCups.h"
#include "tests/support/RasterisedPages.h"
#include "tests/support/ServiceProcess.h"
#include "tests/support/StationeryProof.h"

namespace zarvo {
namespace {

using nlohmann::json;

constexpr const char* kChromium = "/usr/bin/chromium";
constexpr int kDpi = 100;
// How far examples/delivery_note.txt places its form from the printable
// corner (its header line), and so its leftmost rule.
constexpr double kFormLeftMm = 10;

// A detail row as typed on the page, with the amount the page must work out.
struct Item {
    std::string item, qty, unit, price, amount;
};

// A delivery note as typed on the page, with the tax (5%) and total the page
// must work out.
struct Note {
    std::string no, customer, date;
    std::vector<Item> items;
    std::string tax, total;
};

const std::vector<Note> kNotes = {
    {"SH1130614027", "永和建材行", "113年06月14日",
     {{"不鏽鋼六角螺栓 M8x30", "12", "盒", "480", "5760"}, {"平華司 M8", "6", "包", "12.5", "75"}}, "292", "6127"},
    {"SH1130614028", "王小明", "113年06月15日", {{"鍍鋅鐵線 #12", "3", "捲", "95", "285"}}, "14", "299"},
};

// The notes as the page is to type them.
json typedNotes() {
    json notes = json::array();
    for (const Note& note : kNotes) {
        json items = json::array();
        for (const Item& item : note.items) {
            items.push_back({{"item", item.item}, {"qty", item.qty}, {"unit", item.unit}, {"price", item.price}});
        }
        notes.push_back({{"no", note.no}, {"customer", note.customer}, {"date", note.date}, {"items", items}});
    }
    return notes;
}

// The notes as a data file of zarvo-render: one row per item, the rows of
// an order sharing its number, its other values on its first row.
std::string notesCsv() {
    std::string csv = "no,customer,date,item,qty,unit,price,amount,tax,total,total_words\n";
    for (const Note& note : kNotes) {
        for (std::size_t i = 0; i < note.items.size(); ++i) {
            const Item& item = note.items[i];
            const bool first = i == 0;
            for (const std::string& value :
                 {note.no, first ? note.customer : "", first ? note.date : "", item.item, item.qty, item.unit,
                  item.price, item.amount, first ? note.tax : "", first ? note.total : ""}) {
                csv += value + ",";
            }
            csv += (first ? note.total : "") + "\n";
        }
    }
    return csv;
}

// How many pixels of two gray pages of one size differ by more than a
// quarter of the scale; every pixel when their sizes differ.
long differingPixels(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) return long(a.width()) * a.height() + 1;
    long count = 0;
    for (int y = 0; y < a.height(); ++y) {
        const uchar* lineA = a.constScanLine(y);
        const uchar* lineB = b.constScanLine(y);
        for (int x = 0; x < a.width(); ++x) count += std::abs(int(lineA[x]) - int(lineB[x])) > 64;
    }
    return count;
}

class WebPrintTest : public ::testing::Test {
protected:
    WebPrintTest() {
        while (pagePort == service.port()) pagePort = test::freePort();
        cups.addQueue("Counter");
        cups.addQueue("Office");
        cups.setDefault("Counter");
        pageServer = test::spawnProgram({"/usr/bin/python3", "-m", "http.server", std::to_string(pagePort), "--bind",
                                         "127.0.0.1", "--directory", std::string(ZARVO_SOURCE_DIR) + "/examples/web"},
                                        {"PATH=/usr/bin:/bin"}, dir.path() / "pages.err");
        service.writeSettings("[Origins]\norigin=" + pageOrigin("127.0.0.1") + "\n");
    }
    ~WebPrintTest() override { test::endProcess(pageServer); }

    void SetUp() override {
        ASSERT_TRUE(test::waitForListener(pagePort, 10000)) << test::TempDir::read((dir.path() / "pages.err").string());
        ASSERT_NO_THROW(service.start());
    }

    std::string pageOrigin(const std::string& host) const {
        return "http://" + host + ":" + std::to_string(pagePort);
    }
    // print.html under host's origin, speaking to the service of the test.
    std::string page(const std::string& host) const {
        return pageOrigin(host) + "/print.html?port=" + std::to_string(service.port());
    }

    // Starts the page driver with plan, in the background.
    pid_t startDriver(const json& plan) {
        const std::string planFile = dir.write("plan.json", plan.dump());
        const std::string command = "/usr/bin/python3 '" + std::string(ZARVO_SOURCE_DIR) +
                                    "/tests/programs/zarvo-service/web/print_page.py' < '" + planFile + "' > '" +
                                    (dir.path() / "seen.json").string() + "'";
        return test::spawnProgram({"/bin/sh", "-c", command}, {"PATH=/usr/bin:/bin", "HOME=" + dir.path().string()},
                                  dir.path() / "driver.err");
    }

    // What the page driver saw, once it has ended; null (with why as a test
    // failure) when it did not finish.
    json driverResult(pid_t driver) {
        int status = -1;
        ::waitpid(driver, &status, 0);
        const bool finished = WIFEXITED(status) && WEXITSTATUS(status) == 0;
        EXPECT_TRUE(finished) << test::TempDir::read((dir.path() / "driver.err").string()) << "\nservice:\n"
                              << test::TempDir::read((service.dir() / "service.err").string());
        const json seen = json::parse(test::TempDir::read((dir.path() / "seen.json").string()), nullptr, false);
        return finished && !seen.is_discarded() ? seen : json();
    }

    json drivePage(const json& plan) { return driverResult(startDriver(plan)); }

    // The sheets of a cupsd job rasterised.
    std::vector<QImage> sheets(const std::filesystem::path& job) {
        return test::rasterisedPages(job, kDpi, dir.path());
    }

    test::TempDir dir;
    test::PrivateCups cups;
    test::ServiceProcess service{ZARVO_SERVICE, ZARVO_SOURCE_DIR};
    int pagePort = test::freePort();
    pid_t pageServer = -1;
};

TEST_F(WebPrintTest, APagePrintsTwoNotesOnTheChosenQueueAsZarvoRenderDoes) {
    const json seen = drivePage({{"page", page("127.0.0.1")}, {"printer", "Office"}, {"notes", typedNotes()}});
    ASSERT_TRUE(seen.is_object());
    EXPECT_EQ(seen["pairing"], "");
    EXPECT_EQ(seen["printers"], json({"Counter", "Office"}));
    EXPECT_EQ(seen["default"], "Counter");
    EXPECT_EQ(seen["connection"], "已連線");
    const json& job = seen["job"];
    ASSERT_EQ(job["state"], "done") << seen;
    // The job's changes came as events: queued first, handed over last.
    const std::string progress = job["text"];
    EXPECT_NE(progress.find("排隊中 → "), std::string::npos) << progress;
    EXPECT_NE(progress.find("已送到印表機, 共 2 張"), std::string::npos) << progress;
    EXPECT_EQ(seen["waiting"], 0);

    const json record = json::parse(service.request("GET", "/v1/jobs/" + job["id"].get<std::string>()).body);
    EXPECT_EQ(record["printer"], "Office");
    EXPECT_EQ(record["sheets"], 2);
    const std::filesystem::path printed = cups.waitForJobs(1).front();
    EXPECT_EQ(cups.jobCount("Office"), 1u);

    const std::string data = dir.write("notes.csv", notesCsv());
    std::string environment;
    for (const std::string& entry : service.environment()) environment += "'" + entry + "' ";
    const test::CommandResult render =
        test::runCommand("env " + environment + "'" + std::string(ZARVO_RENDER) + "' --print --printer Office --data '" +
                             data + "' '" + (service.dir() / "data/zarvo/forms/delivery_note.txt").string() + "'",
                         dir);
    ASSERT_EQ(render.status, 0) << render.err;
    const std::filesystem::path expected = cups.waitForJobs(2).back();

    const std::vector<QImage> got = sheets(printed);
    const std::vector<QImage> want = sheets(expected);
    ASSERT_EQ(got.size(), 2u);
    ASSERT_EQ(want.size(), 2u);
    // The form is placed from the queue's printable corner: its left rule
    // lies the form's own offset (10 mm) right of it, half a heavy rule
    // wide either way.
    const QRect ink = test::formInkBounds(got[0]);
    EXPECT_NEAR(ink.left(), (test::PrivateCups::kMargins.left / 72 + kFormLeftMm / 25.4) * kDpi, 3);
    for (std::size_t sheet = 0; sheet < got.size(); ++sheet) {
        EXPECT_LE(differingPixels(got[sheet], want[sheet]), 20) << "sheet " << sheet + 1;
    }
}

TEST_F(WebPrintTest, CopiesOutOfRangeARefusedValueAndAnOriginNobodyAllowedPrintNothing) {
    const json seen = drivePage({{"page", page("127.0.0.1")},
                                 {"printer", "Office"},
                                 {"notes", typedNotes()},
                                 {"copies", "0"},
                                 {"bad_records", json::parse(R"([{"no": "A1"}, {"no": "A2", "total_words": "12a"}])")},
                                 {"refused_page", page("localhost")}});
    ASSERT_TRUE(seen.is_object());
    // Nothing is sent, and the notes stay on the list.
    EXPECT_EQ(seen["job"], json({{"error", "份數必須是 1 到 99 之間的整數"}}));
    EXPECT_EQ(seen["waiting"], 2);
    const json& refused = seen["refused"];
    EXPECT_EQ(refused["name"], "ZarvoError") << refused;
    EXPECT_EQ(refused["status"], 422);
    EXPECT_EQ(refused["code"], "bad_data");
    EXPECT_EQ(refused["record"], 2);
    EXPECT_EQ(refused["field"], "total_words");
    EXPECT_NE(refused["message"].get<std::string>().find("12a"), std::string::npos) << refused;
    EXPECT_EQ(cups.jobCount(), 0u);
    const std::string pairing = seen["refused_pairing"];
    EXPECT_EQ(pairing.rfind("未獲允許使用本機印表機", 0), 0u) << pairing;
}

TEST_F(WebPrintTest, APageOpenWhileTheServiceRestartsFollowsAndPrintsAgain) {
    const std::filesystem::path paired = dir.path() / "paired";
    const pid_t driver = startDriver({{"page", page("127.0.0.1")},
                                      {"restart_file", paired.string()},
                                      {"printer", "Counter"},
                                      {"notes", json::array({typedNotes().at(1)})}});
    for (int i = 0; i < 1200 && !std::filesystem::exists(paired); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_TRUE(std::filesystem::exists(paired));
    // The token the page keeps was made by the service that stops here.
    EXPECT_EQ(service.stop(), 0);
    ASSERT_NO_THROW(service.start());
    const json seen = driverResult(driver);
    ASSERT_TRUE(seen.is_object());
    EXPECT_EQ(seen["reconnected"], json({"與本機列印服務的連線中斷, 正在重新連線…", "已連線"}));
    EXPECT_EQ(seen["job"]["state"], "done") << seen;
    EXPECT_EQ(test::PrivateCups::sheetCount(cups.waitForJobs(1).front()), 1);
    EXPECT_EQ(cups.jobCount("Counter"), 1u);
}

}  // namespace
}  // namespace zarvo

int main(int argc, char** argv) {
    if (!std::filesystem::exists(zarvo::kChromium)) {
        std::puts("Chromium (/usr/bin/chromium) is not installed: the page is not tested");
        return 77;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
