// Printing through CUPS to queues of a private cupsd, then reading the
// sheets back: where the form lands, on which paper, in how many jobs.

#include "printing/CupsSpooler.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <QImage>

#include "report/Units.h"
#include "platform/Paper.h"
#include "printing/PrinterCorrections.h"
#include "printing/JobOptions.h"
#include "report/ReportError.h"
#include "tests/common/Command.h"
#include "tests/common/TempDir.h"
#include "tests/support/PrivateCups.h"
#include "tests/support/RasterisedPages.h"

namespace zarvo {
namespace {

namespace fs = std::filesystem;
using test::PrivateCups;
using test::TempDir;
using testing::HasSubstr;
using testing::Not;
using Transport = PrivateCups::Transport;

constexpr int kQueueDpi = 600;  // the private queues' DefaultResolution

// A form with an L mark: a line from (10, 20) to (110, 20) mm and one from
// (10, 20) down to (10, 40) mm.
std::string markedReport(int paperCode) {
    return std::to_string(paperCode) +
           "\t0\t0\r\nLINE_INFO\t2\r\n0\t1\t10\t20\t110\t20\r\n0\t1\t10\t20\t10\t40\r\n"
           "LABEL_STRING\t0\r\nBLOCK_INFO\t0\r\n";
}

// A form with two corner marks, so that its ink spans from one to the other:
// one opening right and down from (10, 20) mm, one opening left and up from
// (farX, farY) mm.
std::string twoCornersReport(int paperCode, int farX, int farY) {
    const auto line = [](int x1, int y1, int x2, int y2) {
        return "0\t1\t" + std::to_string(x1) + "\t" + std::to_string(y1) + "\t" +
               std::to_string(x2) + "\t" + std::to_string(y2) + "\r\n";
    };
    return std::to_string(paperCode) + "\t0\t0\r\nLINE_INFO\t4\r\n" + line(10, 20, 30, 20) +
           line(10, 20, 10, 40) + line(farX - 20, farY, farX, farY) +
           line(farX, farY - 20, farX, farY) + "LABEL_STRING\t0\r\nBLOCK_INFO\t0\r\n";
}

double points(double pt) { return pt * kQueueDpi / 72.0; }
double mm(float value) { return mmToDevice(value, kQueueDpi); }

// The first and last dark pixel of a page image along each axis.
struct Ink {
    int left = -1;
    int top = -1;
    int right = -1;
    int bottom = -1;
};

Ink inkOf(const QImage& image) {
    Ink ink;
    for (int y = 0; y < image.height(); ++y) {
        const uchar* row = image.constScanLine(y);
        for (int x = 0; x < image.width(); ++x) {
            if (row[x] >= 128) continue;
            if (ink.left < 0 || x < ink.left) ink.left = x;
            if (x > ink.right) ink.right = x;
            if (ink.top < 0) ink.top = y;
            ink.bottom = y;
        }
    }
    return ink;
}

bool dark(const QImage& image, double x, double y) {
    return qGray(image.pixel(static_cast<int>(x), static_cast<int>(y))) < 128;
}

// The printers as --list-printers shows them: one a line, the default starred.
std::string listing(const std::vector<PrinterInfo>& printers) {
    std::string text;
    for (const PrinterInfo& printer : printers) {
        text += printer.name + (printer.isDefault ? " *\n" : "\n");
    }
    return text;
}

// Each page of the marked form (one per paper code) on a portrait sheet of
// its paper, the form at the printable corner, a landscape form turned
// counter-clockwise; unscaled, or moved and scaled by the printer's
// correction about that corner.
void expectAtThePrintableCorner(const std::vector<int>& codes, const std::vector<QImage>& pages,
                                const PrinterCorrection& correction = {}) {
    ASSERT_EQ(pages.size(), codes.size());
    const test::QueueMargins m = PrivateCups::kMargins;
    // Where the correction moves a page position (pixels) on each axis.
    const auto across = [&](double x) {
        return points(m.left) + mm(float(correction.dx)) + (x - points(m.left)) * correction.sx / 100;
    };
    const auto along = [&](double y) {
        return points(m.top) + mm(float(correction.dy)) + (y - points(m.top)) * correction.sy / 100;
    };
    // Within a pixel, or 0.1 mm when corrected.
    const double near = correction.isNone() ? 1 : 0.1 * kQueueDpi / 25.4;
    for (std::size_t i = 0; i < codes.size(); ++i) {
        SCOPED_TRACE("paper code " + std::to_string(codes[i]));
        const Paper paper = paperForCode(codes[i]).value_or(Paper{});
        const QImage& page = pages[i];
        // The sheet: the paper's portrait size (the PPD's whole points).
        EXPECT_NEAR(page.width(), paper.size == PaperSize::A4 ? points(595)
                                  : paper.size == PaperSize::JisB4 ? points(729) : points(842), 1);
        EXPECT_NEAR(page.height() * 25.4 / kQueueDpi, std::max(paper.widthMm(), paper.heightMm()), 0.5);
        const double left = points(m.left);
        const double top = points(m.top);
        const double bottomEdge = page.height() - points(m.bottom);
        const Ink ink = inkOf(page);
        if (!paper.landscape) {
            EXPECT_NEAR(ink.left, across(left + mm(10)), near);
            EXPECT_NEAR(ink.right, across(left + mm(110)), near);
            EXPECT_NEAR(ink.top, along(top + mm(20)), near);
            EXPECT_NEAR(ink.bottom, along(top + mm(40)), near);
            EXPECT_TRUE(dark(page, across(left + mm(10)), along(top + mm(20))));
        } else {
            // The form's x axis runs up the sheet from its bottom margin,
            // its y axis right from the left margin.
            EXPECT_NEAR(ink.left, across(left + mm(20)), near);
            EXPECT_NEAR(ink.right, across(left + mm(40)), near);
            EXPECT_NEAR(ink.top, along(bottomEdge - mm(110)), near);
            EXPECT_NEAR(ink.bottom, along(bottomEdge - mm(10)), near);
            EXPECT_TRUE(dark(page, across(left + mm(20)), along(bottomEdge - mm(10)) - 1));
        }
    }
}

class CupsSpoolerTest : public testing::Test {
protected:
    void SetUp() override {
        addQueues(cups);
    }

    // Adds the queues alpha, beta (the default) and gamma.
    static void addQueues(PrivateCups& service) {
        service.addQueue("alpha");
        service.addQueue("beta");
        service.addQueue("gamma");
        service.setDefault("beta");
    }

    // Prints one page of the marked form per paper code through zarvo-render.
    test::CommandResult print(const std::string& printer, const std::vector<int>& paperCodes) {
        std::vector<std::string> forms(paperCodes.size());
        std::transform(paperCodes.begin(), paperCodes.end(), forms.begin(), markedReport);
        return printForms(printer, forms);
    }

    // Prints one page of each form (a report's text) through zarvo-render.
    test::CommandResult printForms(const std::string& printer,
                                   const std::vector<std::string>& forms) {
        std::string pages;
        for (std::size_t i = 0; i < forms.size(); ++i) {
            const std::string report = dir.write("form" + std::to_string(i) + ".txt", forms[i]);
            pages += " '" + dir.write("page" + std::to_string(i) + ".rpt", report + "\n") + "'";
        }
        return render("--print --printer '" + printer + "' --pages" + pages);
    }

    test::CommandResult render(const std::string& args) {
        return test::runCommand(std::string(ZARVO_RENDER) + " --data-dir '" +
                                    (dir.path() / "data").string() + "' " + args,
                                dir);
    }

    // The pages of the service's first jobCount jobs, in order.
    std::vector<QImage> printedSheets(const PrivateCups& service, std::size_t jobCount) {
        std::vector<QImage> pages;
        for (const fs::path& job : service.waitForJobs(jobCount)) {
            for (QImage& page : sheets(job)) pages.push_back(std::move(page));
        }
        return pages;
    }

    // The pages of a job's output, as gray images at the queue's resolution.
    std::vector<QImage> sheets(const fs::path& job) { return test::rasterisedPages(job, kQueueDpi, dir.path()); }

    PrivateCups cups;
    TempDir dir;
};

TEST(JobOptions, KeepOnlyWhatLeavesPagesWhereTheyAreAndAddTheFixedOnes) {
    const std::vector<JobOption> queue = {
        {"orientation-requested", "4"}, {"number-up", "2"}, {"copies", "3"}, {"fit-to-page", "true"},
        {"media", "na_letter_8.5x11in"}, {"PageSize", "Letter"}, {"print-scaling", "fit"},
        {"job-sheets", "none,none"}, {"print-color-mode", "monochrome"}};
    struct Case {
        std::optional<std::string> media;
        std::vector<JobOption> expected;
    };
    const std::vector<JobOption> kept = {{"job-sheets", "none,none"},
                                         {"print-color-mode", "monochrome"}};
    const std::vector<JobOption> fixed = {{"print-scaling", "none"}, {"copies", "1"}, {"number-up", "1"}};
    for (const Case& c : {Case{"jis_b4_257x364mm", {}}, Case{std::nullopt, {}}}) {
        std::vector<JobOption> expected = kept;
        if (c.media) expected.emplace_back("media", *c.media);
        expected.insert(expected.end(), fixed.begin(), fixed.end());
        EXPECT_EQ(jobOptions(queue, c.media), expected);
    }
    EXPECT_STREQ(mediaName(PaperSize::A4), "iso_a4_210x297mm");
    EXPECT_STREQ(mediaName(PaperSize::JisB4), "jis_b4_257x364mm");
    EXPECT_STREQ(mediaName(PaperSize::A3), "iso_a3_297x420mm");
}

// Every paper code, and one outside the table (the queue's default, A4).
TEST_F(CupsSpoolerTest, EveryFormLandsAtThePrintableCornerOnItsPaperUnscaled) {
    const std::vector<int> codes = {0, 1, 2, 3, 4, 5, 9};
    const test::CommandResult result = print("alpha", codes);
    ASSERT_EQ(result.status, 0) << result.err;
    // Runs of one paper: A4 (0, 1), B4 (2, 3), A3 (4, 5), the default (9).
    expectAtThePrintableCorner(codes, printedSheets(cups, 4));
}

// A printer's correction moves and scales every sheet on that printer
// alone, landscape forms turned with the sheet; other queues and PDF files
// keep the form where it belongs.
TEST_F(CupsSpoolerTest, APrintersCorrectionMovesAndScalesItsSheetsOnly) {
    const TempDir config;
    setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
    const test::CommandResult kept = render("--calibrate alpha 1.5 -0.7 101 99");
    ASSERT_EQ(kept.status, 0) << kept.err;
    EXPECT_EQ(render("--calibration alpha").out, "1.5 -0.7 101 99\n");
    const std::vector<int> codes = {0, 1, 2, 3, 4, 5};
    ASSERT_EQ(print("alpha", codes).status, 0);
    ASSERT_EQ(print("gamma", codes).status, 0);
    std::vector<QImage> pages = printedSheets(cups, 6);
    expectAtThePrintableCorner(codes, {pages.begin(), pages.begin() + 6}, {1.5, -0.7, 101, 99});
    expectAtThePrintableCorner(codes, {pages.begin() + 6, pages.end()});

    const std::string pdf = (dir.path() / "form.pdf").string();
    ASSERT_EQ(render("--print --pdf '" + pdf + "' '" + dir.write("a4.txt", markedReport(0)) + "'").status, 0);
    const Ink ink = inkOf(sheets(pdf).front());
    EXPECT_NEAR(ink.left, mm(10), 1);
    EXPECT_NEAR(ink.top, mm(20), 1);
    unsetenv("XDG_CONFIG_HOME");
}

// What the command line keeps: a correction for a known printer within the
// ranges, removed with reset also for a printer that is gone; a damaged
// file prints uncorrected and says so once.
TEST_F(CupsSpoolerTest, CorrectionsAreKeptShownAndResetFromTheCommandLine) {
    const TempDir config;
    setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
    struct Case {
        const char* args;
        int status;
        const char* shown;  // --calibration alpha afterwards
    };
    const Case cases[] = {
        {"--calibration alpha", 0, "0 0 100 100"},
        {"--calibrate alpha -0.04 0.06 100.004 99.996", 0, "0 0.1 100 100"},
        {"--calibrate alpha 50.1 0 100 100", 1, "0 0.1 100 100"},
        {"--calibrate alpha 0 0 94 100", 1, "0 0.1 100 100"},
        {"--calibrate nosuch 1 1 100 100", 1, "0 0.1 100 100"},
        {"--calibrate alpha 1 x 100 100", 1, "0 0.1 100 100"},
        {"--calibrate alpha reset", 0, "0 0 100 100"},
        {"--calibrate nosuch reset", 0, "0 0 100 100"},
        {"--calibrate alpha 1 1 100", 2, "0 0 100 100"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(render(c.args).status, c.status) << c.args;
        EXPECT_EQ(render("--calibration alpha").out, std::string(c.shown) + "\n") << c.args;
    }
    EXPECT_EQ(render("--calibration nosuch").status, 1);

    fs::create_directories(config.path() / "zarvo");
    config.write("zarvo/printers.conf", "[\x01garbage\ndx=");
    const test::CommandResult printed = print("alpha", {0});
    EXPECT_EQ(printed.status, 0);
    EXPECT_THAT(printed.err, HasSubstr("無法讀取, 以未校正的位置列印"));
    expectAtThePrintableCorner({0}, printedSheets(cups, 1));
    unsetenv("XDG_CONFIG_HOME");
}

// A form that reaches beyond the printable area still prints; the sheets
// that lose ink are named with how far.
TEST_F(CupsSpoolerTest, InkBeyondThePrintableAreaIsToldSheetBySheet) {
    const test::CommandResult result = printForms("alpha", {markedReport(0), twoCornersReport(0, 205, 100)});
    EXPECT_EQ(result.status, 0);
    // 205 mm from the printable corner of an A4 page 595 pt wide with 17 pt
    // and 11 pt margins.
    const double beyond = 205 + (17 - (595 - 11)) * 25.4 / 72;
    char expected[80];
    std::snprintf(expected, sizeof expected, "第 2 頁超出印表機可列印範圍: 右 %.1f mm", beyond);
    EXPECT_EQ(result.err, std::string(expected) + "\n");
    EXPECT_EQ(printedSheets(cups, 1).size(), 2u);
}

// A service reached at host:port, as a company's shared print server is,
// lists the same queues as one reached through its unix socket, and the
// same sheets come out of it pixel for pixel.
TEST_F(CupsSpoolerTest, ThroughATcpPortTheQueuesAndSheetsAreThoseOfTheUnixSocket) {
    const std::vector<int> codes = {0, 1};  // A4 portrait and landscape: one job
    std::vector<std::vector<QImage>> printed;
    for (const Transport transport : {Transport::UnixSocket, Transport::LoopbackTcp}) {
        PrivateCups service(transport);
        SCOPED_TRACE(service.server());
        EXPECT_EQ(service.server() == service.socket(), transport == Transport::UnixSocket);
        EXPECT_STREQ(std::getenv("CUPS_SERVER"), service.server().c_str());
        // Only the port is left to reach it by, from here and from the programs started.
        if (transport == Transport::LoopbackTcp) fs::remove(service.socket());
        addQueues(service);
        EXPECT_EQ(listing(CupsSpooler().printers()), "alpha\nbeta *\ngamma\n");
        const test::CommandResult result = print("alpha", codes);
        ASSERT_EQ(result.status, 0) << result.err;
        printed.push_back(printedSheets(service, 1));
        expectAtThePrintableCorner(codes, printed.back());
    }
    ASSERT_EQ(printed[0].size(), printed[1].size());
    for (std::size_t i = 0; i < printed[0].size(); ++i) {
        EXPECT_TRUE(printed[0][i] == printed[1][i]) << "page " << i;
    }
}

// A device that is off shifts and stretches each page about its printable
// corner: a mark printed at x mm from the sheet's left edge lands at
// L + ex + (x - L) * kx, and likewise down the sheet. Both marks of a form
// on two papers of different heights, to 0.1 mm.
TEST_F(CupsSpoolerTest, ADistortingQueueMovesEachMarkByItsShiftAndStretch) {
    const double ex = 1.2, ey = -0.8, kx = 1.004, ky = 0.996;
    cups.addDistortingQueue("skewed", ex, ey, kx, ky);
    const int farX = 180, farY = 260;
    const std::vector<int> codes = {0, 3};  // A4 and B4, portrait: two jobs
    const test::CommandResult result = printForms(
        "skewed", {twoCornersReport(codes[0], farX, farY), twoCornersReport(codes[1], farX, farY)});
    ASSERT_EQ(result.status, 0) << result.err;
    const std::vector<QImage> pages = printedSheets(cups, 2);
    ASSERT_EQ(pages.size(), codes.size());
    const double pointsPerMm = 72 / 25.4;
    // Where a form coordinate (mm from the printable corner) lands, in dots.
    const auto landed = [&](double marginPt, double e, double k, int form) {
        return points(marginPt + e * pointsPerMm) + mm(static_cast<float>(form)) * k;
    };
    const test::QueueMargins m = PrivateCups::kMargins;
    const double tolerance = kQueueDpi * 0.1 / 25.4;
    for (std::size_t i = 0; i < codes.size(); ++i) {
        SCOPED_TRACE("paper code " + std::to_string(codes[i]));
        const Ink ink = inkOf(pages[i]);
        EXPECT_NEAR(ink.left, landed(m.left, ex, kx, 10), tolerance);
        EXPECT_NEAR(ink.top, landed(m.top, ey, ky, 20), tolerance);
        EXPECT_NEAR(ink.right, landed(m.left, ex, kx, farX), tolerance);
        EXPECT_NEAR(ink.bottom, landed(m.top, ey, ky, farY), tolerance);
    }
}

TEST_F(CupsSpoolerTest, RunsOfOnePaperGoOutAsConsecutiveJobs) {
    struct Case {
        std::vector<int> codes;
        std::vector<int> sheetsPerJob;
        std::vector<std::string> boxes;  // each job's page size, points
    };
    const std::vector<Case> cases = {
        {{0, 1, 0}, {3}, {"595.00 842.00"}},
        {{0, 2, 3, 0, 4}, {1, 2, 1, 1},
         {"595.00 842.00", "729.00 1032.00", "595.00 842.00", "842.00 1191.00"}}};
    std::size_t done = 0;
    for (const Case& c : cases) {
        const test::CommandResult result = print("gamma", c.codes);
        ASSERT_EQ(result.status, 0) << result.err;
        const std::vector<fs::path> jobs = cups.waitForJobs(done + c.sheetsPerJob.size());
        ASSERT_EQ(jobs.size() - done, c.sheetsPerJob.size());
        for (std::size_t j = 0; j < c.sheetsPerJob.size(); ++j) {
            const fs::path& job = jobs[done + j];
            EXPECT_EQ(test::PrivateCups::sheetCount(job), c.sheetsPerJob[j]) << job;
            EXPECT_NE(TempDir::read(job).find("%%HiResBoundingBox: 0 0 " + c.boxes[j]),
                      std::string::npos)
                << job;
        }
        done = jobs.size();
    }
}

TEST_F(CupsSpoolerTest, AnUnknownPrinterOrAStoppedServiceIsReportedAndPrintsNothing) {
    test::CommandResult unknown = print("delta", {0});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_EQ(unknown.err, "找不到印表機「delta」, 無法列印\n");
    // A name with an instance is never taken for the plain destination.
    EXPECT_EQ(print("alpha/draft", {0}).status, 1);
    EXPECT_EQ(cups.jobCount(), 0u);

    cups.stop();
    const test::CommandResult stopped = print("alpha", {0});
    EXPECT_EQ(stopped.status, 1);
    EXPECT_EQ(stopped.err, "印表機「alpha」無法列印: 列印服務 (CUPS) 沒有執行\n");
}

TEST_F(CupsSpoolerTest, ListsTheQueuesWithTheDefaultMarkedAndNothingWithoutAService) {
    EXPECT_EQ(listing(CupsSpooler().printers()), "alpha\nbeta *\ngamma\n");
    const std::vector<std::string> media = CupsSpooler().mediaNames("alpha");
    EXPECT_NE(std::find(media.begin(), media.end(), "iso_a4_210x297mm"), media.end()) << media.size();
    EXPECT_TRUE(CupsSpooler().mediaNames("nobody").empty());
    test::CommandResult list = render("--list-printers");
    EXPECT_EQ(list.status, 0);
    EXPECT_EQ(list.out, "alpha\nbeta *\ngamma\n");

    cups.stop();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(CupsSpooler().printers().empty());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
    EXPECT_TRUE(CupsSpooler().mediaNames("alpha").empty());
    list = render("--list-printers");
    EXPECT_EQ(list.status, 0);
    EXPECT_EQ(list.out, "");
}

// The job's resolution is the queue's default, its horizontal value, or 300
// dots per inch; an unfinished job hands nothing to CUPS.
TEST_F(CupsSpoolerTest, TheJobRunsAtTheQueuesResolution) {
    struct Case {
        const char* queue;
        const char* resolution;
        int dpi;
    };
    for (const Case& c : {Case{"square", "600dpi", 600}, Case{"wide", "720x360dpi", 720},
                          Case{"plain", "", 300}}) {
        cups.addQueue(c.queue, c.resolution);
        CupsSpooler spooler;
        std::unique_ptr<PrintJob> job = spooler.startJob(c.queue, "form.txt", 1);
        EXPECT_EQ(job->dotsPerInch(), c.dpi) << c.queue;
        job->nextSheet(3);
    }
    EXPECT_EQ(cups.jobCount(), 0u);
}

// A later run that CUPS refuses (a queue that takes only so many jobs, held
// so that none of them prints) withdraws the runs this print already
// handed over, and the failure names the printer.
TEST(CupsSpoolerAllOrNothing, ARefusedLaterRunCancelsTheJobsAlreadySubmitted) {
    struct Case {
        int jobsTaken;
        std::vector<int> paperCodes;
    };
    for (const Case& c : {Case{1, {0, 3}}, Case{2, {0, 1, 3, 4, 0}}}) {
        SCOPED_TRACE(c.jobsTaken);
        PrivateCups cups("MaxJobsPerPrinter " + std::to_string(c.jobsTaken));
        cups.addQueue("alpha");
        cups.holdPrinting("alpha");
        CupsSpooler spooler;
        std::unique_ptr<PrintJob> job = spooler.startJob("alpha", "form.txt", c.paperCodes[0]);
        for (std::size_t i = 1; i < c.paperCodes.size(); ++i) job->nextSheet(c.paperCodes[i]);
        try {
            job->finish();
            ADD_FAILURE() << "finish() succeeded";
        } catch (const ReportError& error) {
            EXPECT_THAT(error.what(), testing::StartsWith("印表機「alpha」無法列印: 列印服務拒絕了列印工作"));
        }
        EXPECT_EQ(cups.jobCount(), static_cast<std::size_t>(c.jobsTaken));
        EXPECT_EQ(cups.activeJobCount(), 0u);
    }
}

// An instance is a destination of its own, printed on its queue with its
// options, less those that would move, scale, turn or repeat the form.
TEST_F(CupsSpoolerTest, AnInstanceIsListedAndPrintsOnItsQueueWithItsOwnOptions) {
    cups.addInstance("alpha", "draft",
                     {"print-quality=3", "number-up=2", "fit-to-page=true", "orientation-requested=4",
                      "copies=2"});
    const test::CommandResult list = render("--list-printers");
    EXPECT_EQ(list.status, 0);
    EXPECT_EQ(list.out, "alpha\nalpha/draft\nbeta *\ngamma\n");

    const test::CommandResult result = print("alpha/draft", {0, 0});
    ASSERT_EQ(result.status, 0) << result.err;
    const fs::path job = cups.waitForJobs(1).front();
    EXPECT_EQ(cups.jobCount("alpha"), 1u);
    EXPECT_EQ(cups.jobCount(), 1u);
    const std::string options = PrivateCups::jobOptions(job);
    EXPECT_THAT(options, HasSubstr("print-quality=3"));
    for (const char* dropped : {"number-up=2", "fit-to-page", "orientation-requested=4", "copies=2"}) {
        EXPECT_THAT(options, Not(HasSubstr(dropped)));
    }
    const std::vector<QImage> pages = sheets(job);
    ASSERT_EQ(pages.size(), 2u);
    const Ink ink = inkOf(pages[0]);
    EXPECT_NEAR(ink.left, points(PrivateCups::kMargins.left) + mm(10), 1);
    EXPECT_NEAR(ink.top, points(PrivateCups::kMargins.top) + mm(20), 1);
    EXPECT_NEAR(ink.right - ink.left, mm(110) - mm(10), 1);
}

// A driverless queue has no PPD: the margins of its paper come from the IPP
// printer's media-col, and so does its resolution. The form lands at that
// printable corner of the page the printer receives.
TEST_F(CupsSpoolerTest, ADriverlessQueueTakesItsMarginsAndResolutionFromIpp) {
    cups.addEverywhereQueue("delta");
    // What the IPP printer reports for A4: 3.4 mm left and right, 6.35 mm
    // top and bottom, at 600 dots per inch.
    const double left = 600 * 3.40 / 25.4;
    const double top = 600 * 6.35 / 25.4;
    EXPECT_EQ(CupsSpooler().startJob("delta", "form.txt", 0)->dotsPerInch(), 600);

    const test::CommandResult result = print("delta", {0, 1});
    ASSERT_EQ(result.status, 0) << result.err;
    const std::vector<fs::path> documents = cups.waitForIppDocuments("delta", 1);
    ASSERT_EQ(documents.size(), 1u);
    const std::vector<QImage> pages = sheets(documents[0]);
    ASSERT_EQ(pages.size(), 2u);
    const Ink portrait = inkOf(pages[0]);
    EXPECT_NEAR(portrait.left, left + mm(10), 1);
    EXPECT_NEAR(portrait.top, top + mm(20), 1);
    EXPECT_NEAR(portrait.right, left + mm(110), 1);
    const Ink landscape = inkOf(pages[1]);
    const double bottomEdge = pages[1].height() - top;
    EXPECT_NEAR(landscape.left, left + mm(20), 1);
    EXPECT_NEAR(landscape.bottom, bottomEdge - mm(10), 1);
    EXPECT_NEAR(landscape.top, bottomEdge - mm(110), 1);
}

// A sheet on the form profile's own paper of width x height mm.
SheetPaper customPaper(double width, double height) { return SheetPaper(90, CustomPaper{width, height, "", ""}); }

// Prints one sheet per paper through the spooler, each with the L mark of
// markedReport drawn from the device's origin.
void printMarked(const std::string& printer, const std::vector<SheetPaper>& papers) {
    CupsSpooler spooler;
    std::unique_ptr<PrintJob> job = spooler.startJob(printer, "form.txt", papers.front());
    for (std::size_t i = 0; i < papers.size(); ++i) {
        if (i > 0) job->nextSheet(papers[i]);
        const auto at = [&](float value) { return mmToDevice(value, job->dotsPerInch()); };
        job->surface().drawLine(at(10), at(20), at(110), at(20), Pen{});
        job->surface().drawLine(at(10), at(20), at(10), at(40), Pen{});
    }
    job->finish();
}

// CUPS's own 24-pin dot-matrix driver feeds continuous forms of 9.5 x 5.5
// inches as a custom size, and those of 14 7/8 x 11 inches as its own US
// fanfold: one page per form, each as many lines of 1/6 inch long as the
// form (ESC C n, which the driver sends before any image).
TEST_F(CupsSpoolerTest, AContinuousFormPrintsOnePageOfItsLengthPerSheetOnADotMatrixPrinter) {
    struct Case {
        int dpi;
        SheetPaper paper;
        int sheets;
        int lines;
    };
    const Case cases[] = {{180, customPaper(241.3, 139.7), 5, 33},
                          {360, customPaper(241.3, 139.7), 5, 33},
                          {180, customPaper(377.8, 279.4), 2, 66}};
    std::size_t done = 0;
    for (const Case& c : cases) {
        const std::string queue = "epson" + std::to_string(c.dpi);
        SCOPED_TRACE(queue + " " + std::to_string(c.lines));
        if (c.lines == 33) cups.addEpson24Queue(queue, std::to_string(c.dpi) + "dpi");
        EXPECT_EQ(CupsSpooler().startJob(queue, "form.txt", c.paper)->dotsPerInch(), c.dpi);
        printMarked(queue, std::vector<SheetPaper>(c.sheets, c.paper));
        const fs::path job = cups.waitForJobs(++done).back();
        EXPECT_EQ(cups.loggedPages(job), c.sheets);
        const std::string stream = TempDir::read(job);
        const std::size_t length = stream.find("\x1b" "C");
        ASSERT_NE(length, std::string::npos);
        EXPECT_EQ(static_cast<unsigned char>(stream.at(length + 2)), c.lines);
    }
}

// A queue whose PPD takes custom sizes prints a paper it does not list at
// its exact size, the form at the printable corner of the PPD's hardware
// margins; the margins and default paper are those the spooler reports.
TEST_F(CupsSpoolerTest, ACustomSizeLandsAtThePrintableCornerOfTheHardwareMargins) {
    cups.addCustomSizeQueue("roll");
    const test::QueueMargins m = PrivateCups::kCustomMargins;
    const double pointMm = 25.4 / 72;
    CupsSpooler spooler;
    const std::optional<SheetMargins> margins = spooler.sheetMargins("roll", customPaper(241.3, 139.7));
    ASSERT_TRUE(margins);
    EXPECT_NEAR(margins->left, m.left * pointMm, 0.01);
    EXPECT_NEAR(margins->top, m.top * pointMm, 0.01);
    EXPECT_NEAR(margins->right, m.right * pointMm, 0.01);
    EXPECT_NEAR(margins->bottom, m.bottom * pointMm, 0.01);
    const auto defaultPaper = spooler.defaultPaperMm("roll");
    ASSERT_TRUE(defaultPaper);
    EXPECT_NEAR(defaultPaper->first, 209.9, 0.1);
    EXPECT_NEAR(defaultPaper->second, 297.0, 0.1);

    printMarked("roll", {customPaper(241.3, 139.7)});
    const std::vector<QImage> pages = printedSheets(cups, 1);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_NEAR(pages[0].width(), points(684), 1);  // 9.5 x 5.5 inches
    EXPECT_NEAR(pages[0].height(), points(396), 1);
    const double tolerance = 0.25 * kQueueDpi / 25.4;
    const Ink ink = inkOf(pages[0]);
    EXPECT_NEAR(ink.left, points(m.left) + mm(10), tolerance);
    EXPECT_NEAR(ink.top, points(m.top) + mm(20), tolerance);
    EXPECT_NEAR(ink.right, points(m.left) + mm(110), tolerance);
    EXPECT_NEAR(ink.bottom, points(m.top) + mm(40), tolerance);
}

// A queue with neither the size nor custom sizes refuses the job before
// anything reaches the print service, on its first sheet or a later one.
TEST_F(CupsSpoolerTest, AQueueWithoutTheCustomPaperRefusesTheJob) {
    CupsSpooler spooler;
    const std::string expected = "印表機 alpha 沒有 241.3 x 139.7 mm 的紙張";
    try {
        spooler.startJob("alpha", "form.txt", customPaper(241.3, 139.7));
        ADD_FAILURE() << "startJob succeeded";
    } catch (const ReportError& error) {
        EXPECT_EQ(error.what(), expected);
    }
    std::unique_ptr<PrintJob> job = spooler.startJob("alpha", "form.txt", 0);
    try {
        job->nextSheet(customPaper(241.3, 139.7));
        ADD_FAILURE() << "nextSheet succeeded";
    } catch (const ReportError& error) {
        EXPECT_EQ(error.what(), expected);
    }
    job.reset();
    EXPECT_FALSE(spooler.sheetMargins("alpha", customPaper(241.3, 139.7)));
    EXPECT_EQ(cups.jobCount(), 0u);
}

// Sheets on papers of different sizes go out as jobs of one size each.
TEST_F(CupsSpoolerTest, MixedPapersGoOutAsOneJobPerSize) {
    cups.addCustomSizeQueue("roll");
    struct Case {
        std::vector<SheetPaper> papers;
        std::vector<std::string> boxes;  // each job's page size, points
    };
    const std::vector<Case> cases = {
        {{0, customPaper(241.3, 139.7)}, {"595.00 842.00", "684.00 396.00"}},
        {{customPaper(241.3, 139.7), customPaper(241.3, 139.7), customPaper(241.3, 279.4)},
         {"684.00 396.00", "684.00 792.00"}}};
    std::size_t done = 0;
    for (const Case& c : cases) {
        printMarked("roll", c.papers);
        const std::vector<fs::path> jobs = cups.waitForJobs(done + c.boxes.size());
        for (std::size_t j = 0; j < c.boxes.size(); ++j) {
            const fs::path& job = jobs[done + j];
            EXPECT_NE(TempDir::read(job).find("%%HiResBoundingBox: 0 0 " + c.boxes[j]), std::string::npos) << job;
        }
        done = jobs.size();
    }
    EXPECT_EQ(cups.jobCount(), done);
}

}  // namespace
}  // namespace zarvo
