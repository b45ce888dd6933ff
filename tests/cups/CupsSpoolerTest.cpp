// Printing through CUPS to queues of a private cupsd, then reading the
// sheets back: where the form lands, on which paper, in how many jobs.

#include "platform/cups/CupsSpooler.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <fstream>
#include <string>
#include <vector>

#include <QImage>
#include <QImageReader>

#include "engine/Units.h"
#include "platform/Paper.h"
#include "platform/cups/FormPlacement.h"
#include "platform/cups/JobOptions.h"
#include "report/ReportError.h"
#include "tests/common/Command.h"
#include "tests/common/TempDir.h"
#include "tests/support/PrivateCups.h"

namespace zarvo {
namespace {

namespace fs = std::filesystem;
using test::PrivateCups;
using test::TempDir;
using testing::HasSubstr;
using testing::Not;

constexpr int kQueueDpi = 600;  // the private queues' DefaultResolution

// A form with an L mark: a line from (10, 20) to (110, 20) mm and one from
// (10, 20) down to (10, 40) mm.
std::string markedReport(int paperCode) {
    return std::to_string(paperCode) +
           "\t0\t0\r\nLINE_INFO\t2\r\n0\t1\t10\t20\t110\t20\r\n0\t1\t10\t20\t10\t40\r\n"
           "LABEL_STRING\t0\r\nBLOCK_INFO\t0\r\n";
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

class CupsSpoolerTest : public testing::Test {
protected:
    void SetUp() override {
        // An A3 sheet at 600 dpi is larger than Qt reads by default.
        QImageReader::setAllocationLimit(0);
        cups.addQueue("alpha");
        cups.addQueue("beta");
        cups.addQueue("gamma");
        cups.setDefault("beta");
    }

    // Prints one page of the marked form per paper code through zarvo-render.
    test::CommandResult print(const std::string& printer, const std::vector<int>& paperCodes) {
        std::string pages;
        for (std::size_t i = 0; i < paperCodes.size(); ++i) {
            const std::string report =
                dir.write("form" + std::to_string(i) + ".txt", markedReport(paperCodes[i]));
            pages += " '" + dir.write("page" + std::to_string(i) + ".rpt", report + "\n") + "'";
        }
        return render("--print --printer '" + printer + "' --pages" + pages);
    }

    test::CommandResult render(const std::string& args) {
        return test::runCommand(std::string(ZARVO_RENDER) + " --data-dir '" +
                                    (dir.path() / "data").string() + "' " + args,
                                dir);
    }

    // The pages of a job's output, as gray images at the queue's resolution.
    std::vector<QImage> sheets(const fs::path& job) {
        const fs::path pattern = dir.path() / (job.stem().string() + "-%d.png");
        std::system(("gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=pnggray -r" +
                     std::to_string(kQueueDpi) + " -sOutputFile='" + pattern.string() + "' '" +
                     job.string() + "'")
                        .c_str());
        std::vector<QImage> images;
        for (int page = 1;; ++page) {
            QImage image(QString::fromStdString(dir.path() / (job.stem().string() + "-" +
                                                               std::to_string(page) + ".png")));
            if (image.isNull()) return images;
            images.push_back(image.convertToFormat(QImage::Format_Grayscale8));
        }
    }

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

TEST(FormPlacement, PortraitAtTheTopLeftCornerLandscapeTurnedToTheBottomLeft) {
    const SheetMargins margins{6, 8, 4, 12};
    struct Case {
        bool landscape;
        int dpi;
        double x, y;
    };
    for (const Case& c : {Case{false, 254, 60, 80}, Case{true, 254, 60, 2970 - 120},
                          Case{false, 600, 6 * 600 / 25.4, 8 * 600 / 25.4},
                          Case{true, 600, 6 * 600 / 25.4, 285 * 600 / 25.4}}) {
        const FormPlacement place = placeForm(c.landscape, margins, 297, c.dpi);
        EXPECT_NEAR(place.x, c.x, 1e-9) << c.landscape << " " << c.dpi;
        EXPECT_NEAR(place.y, c.y, 1e-9) << c.landscape << " " << c.dpi;
        EXPECT_EQ(place.turned, c.landscape);
    }
}

// Every paper code, and one outside the table (the queue's default, A4):
// each sheet portrait on its own paper, the form unscaled at the printable
// corner, a landscape form turned counter-clockwise.
TEST_F(CupsSpoolerTest, EveryFormLandsAtThePrintableCornerOnItsPaperUnscaled) {
    const std::vector<int> codes = {0, 1, 2, 3, 4, 5, 9};
    const test::CommandResult result = print("alpha", codes);
    ASSERT_EQ(result.status, 0) << result.err;
    // Runs of one paper: A4 (0, 1), B4 (2, 3), A3 (4, 5), the default (9).
    const std::vector<fs::path> jobs = cups.waitForJobs(4);
    std::vector<QImage> pages;
    for (const fs::path& job : jobs) {
        for (QImage& page : sheets(job)) pages.push_back(std::move(page));
    }
    ASSERT_EQ(pages.size(), codes.size());
    const test::QueueMargins m = PrivateCups::kMargins;
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
            EXPECT_NEAR(ink.left, left + mm(10), 1);
            EXPECT_NEAR(ink.right, left + mm(110), 1);
            EXPECT_NEAR(ink.top, top + mm(20), 1);
            EXPECT_NEAR(ink.bottom, top + mm(40), 1);
            EXPECT_TRUE(dark(page, left + mm(10), top + mm(20)));
        } else {
            // The form's x axis runs up the sheet from its bottom margin,
            // its y axis right from the left margin.
            EXPECT_NEAR(ink.left, left + mm(20), 1);
            EXPECT_NEAR(ink.right, left + mm(40), 1);
            EXPECT_NEAR(ink.top, bottomEdge - mm(110), 1);
            EXPECT_NEAR(ink.bottom, bottomEdge - mm(10), 1);
            EXPECT_TRUE(dark(page, left + mm(20), bottomEdge - mm(10) - 1));
        }
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
    const std::vector<PrinterInfo> expected = {{"alpha", false}, {"beta", true}, {"gamma", false}};
    std::vector<PrinterInfo> listed = CupsSpooler().printers();
    ASSERT_EQ(listed.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(listed[i].name, expected[i].name);
        EXPECT_EQ(listed[i].isDefault, expected[i].isDefault);
    }
    test::CommandResult list = render("--list-printers");
    EXPECT_EQ(list.status, 0);
    EXPECT_EQ(list.out, "alpha\nbeta *\ngamma\n");

    cups.stop();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(CupsSpooler().printers().empty());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
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

}  // namespace
}  // namespace zarvo
