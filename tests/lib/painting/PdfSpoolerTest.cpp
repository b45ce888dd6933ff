#include "painting/PdfSpooler.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include <QDir>
#include <QImage>
#include <QTemporaryDir>

#include "platform/Paper.h"
#include "report/ReportError.h"
#include "tests/common/FileSizeLimit.h"

namespace zarvo {
namespace {

namespace fs = std::filesystem;

// The standard output of a shell command.
std::string run(const std::string& command) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return out;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
    pclose(pipe);
    return out;
}

struct PageSize {
    long width = 0;  // points, rounded
    long height = 0;
    bool operator==(const PageSize&) const = default;
};

std::ostream& operator<<(std::ostream& out, const PageSize& size) {
    return out << size.width << "x" << size.height;
}

// The page sizes of a PDF file, as pdfinfo reads them.
std::vector<PageSize> pageSizes(const std::string& path, int pages) {
    std::istringstream lines(run("pdfinfo -f 1 -l " + std::to_string(pages) + " '" + path + "'"));
    std::vector<PageSize> sizes;
    for (std::string line; std::getline(lines, line);) {
        int page = 0;
        double width = 0;
        double height = 0;
        if (std::sscanf(line.c_str(), "Page %d size: %lf x %lf", &page, &width, &height) == 3) {
            sizes.push_back({std::lround(width), std::lround(height)});
        }
    }
    return sizes;
}

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void writeFile(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

std::size_t entryCount(const std::string& dir) {
    const auto count = std::distance(fs::directory_iterator(dir), fs::directory_iterator());
    return static_cast<std::size_t>(count);
}

class PdfSpoolerTest : public testing::Test {
protected:
    std::string path(const std::string& name) const {
        return dir.filePath(QString::fromStdString(name)).toStdString();
    }
    QTemporaryDir dir;
};

TEST(Paper, CodesGiveTheirSheetsAndOtherCodesNone) {
    struct Expected {
        int code;
        PaperSize size;
        double width;
        double height;
    };
    const Expected table[] = {{0, PaperSize::A4, 210, 297},    {1, PaperSize::A4, 297, 210},
                              {2, PaperSize::JisB4, 364, 257}, {3, PaperSize::JisB4, 257, 364},
                              {4, PaperSize::A3, 297, 420},    {5, PaperSize::A3, 420, 297}};
    for (const Expected& row : table) {
        const auto paper = paperForCode(row.code);
        ASSERT_TRUE(paper) << row.code;
        EXPECT_EQ(paper->size, row.size) << row.code;
        EXPECT_EQ(paper->widthMm(), row.width) << row.code;
        EXPECT_EQ(paper->heightMm(), row.height) << row.code;
    }
    for (int code : {-1, 6, 12, 9999}) EXPECT_FALSE(paperForCode(code)) << code;
}

TEST_F(PdfSpoolerTest, OffersOneDefaultPrinterAndRefusesOthers) {
    PdfSpooler spooler(path("out.pdf"), "檔案");
    const std::vector<PrinterInfo> printers = spooler.printers();
    ASSERT_EQ(printers.size(), 1u);
    EXPECT_EQ(printers[0].name, "檔案");
    EXPECT_TRUE(printers[0].isDefault);
    try {
        spooler.startJob("HP LaserJet", "doc", 0);
        FAIL() << "a job on an unknown printer started";
    } catch (const ReportError& error) {
        EXPECT_NE(std::string(error.what()).find("HP LaserJet"), std::string::npos);
    }
    EXPECT_EQ(entryCount(dir.path().toStdString()), 0u);
}

TEST_F(PdfSpoolerTest, EverySheetKeepsItsOwnPaperAndOrientation) {
    const std::string out = path("job.pdf");
    PdfSpooler spooler(out);
    auto job = spooler.startJob("PDF", "C:/報表/invoice.txt", 0);
    EXPECT_EQ(job->dotsPerInch(), 300);
    EXPECT_EQ(job->surface().dotsPerInch(), 300);
    const int codes[] = {0, 1, 2, 4, 5, 3, 9};
    for (std::size_t i = 0; i < std::size(codes); ++i) {
        if (i > 0) job->nextSheet(codes[i]);
        Surface& surface = job->surface();
        surface.drawLine(0, 15, 300, 15, Pen{PenSolid, 30, kBlack});
        surface.drawText(400, 400, "\xa4\xa4", Font{FontFace::Kai, 100, false});
    }
    // The near and far corners of the A4 landscape sheet, 3508 x 2480 dots.
    job->nextSheet(1);
    job->surface().drawLine(0, 15, 300, 15, Pen{PenSolid, 30, kBlack});
    job->surface().drawLine(3208, 2465, 3508, 2465, Pen{PenSolid, 30, kBlack});
    job->finish();

    const std::vector<PageSize> expected = {{595, 842},  {842, 595},  {1032, 729}, {842, 1191},
                                            {1191, 842}, {729, 1032}, {595, 842},  {842, 595}};
    EXPECT_EQ(pageSizes(out, 8), expected);
    const std::string info = run("pdfinfo '" + out + "'");
    EXPECT_NE(info.find("C:/報表/invoice.txt"), std::string::npos) << info;
    EXPECT_NE(info.find("Creator:         Zarvo"), std::string::npos) << info;

    // No margins: the sheet's top-left corner is the origin, and the last
    // sheet reaches its bottom-right corner (100 dpi: about 1169 x 827 pixels).
    const std::string stem = path("page");
    run("pdftoppm -r 100 -gray -f 8 -l 8 -singlefile '" + out + "' '" + stem + "'");
    const QImage page(QString::fromStdString(stem + ".pgm"));
    ASSERT_FALSE(page.isNull());
    EXPECT_NEAR(page.width(), 1169, 1);
    EXPECT_NEAR(page.height(), 827, 1);
    EXPECT_LT(qGray(page.pixel(2, 2)), 64);
    EXPECT_LT(qGray(page.pixel(1165, 822)), 64);
    EXPECT_GT(qGray(page.pixel(1165, 805)), 192);
    EXPECT_GT(qGray(page.pixel(2, 20)), 192);
}

TEST_F(PdfSpoolerTest, AnUnfinishedJobLeavesNothingAndTheOldFileUntouched) {
    const std::string out = path("report.pdf");
    PdfSpooler spooler(out);
    spooler.startJob("PDF", "doc", 0)->surface().drawLine(0, 0, 100, 100, Pen{});
    EXPECT_EQ(entryCount(dir.path().toStdString()), 0u);

    writeFile(out, "old");
    {
        auto job = spooler.startJob("PDF", "doc", 4);
        job->nextSheet(0);
    }
    EXPECT_EQ(readAll(out), "old");
    EXPECT_EQ(entryCount(dir.path().toStdString()), 1u);

    spooler.startJob("PDF", "doc", 0)->finish();
    EXPECT_EQ(readAll(out).substr(0, 5), "%PDF-");
}

TEST_F(PdfSpoolerTest, AFileThatCannotBeWrittenIsReportedAndLeavesNothing) {
    const std::string missing = path("no such dir/out.pdf");
    PdfSpooler nowhere(missing);
    try {
        nowhere.startJob("PDF", "doc", 0);
        FAIL() << "a job started in a missing directory";
    } catch (const ReportError& error) {
        EXPECT_NE(std::string(error.what()).find(missing), std::string::npos) << error.what();
    }

    // The directory goes away while the job runs.
    const std::string sub = path("sub");
    ASSERT_TRUE(QDir().mkdir(QString::fromStdString(sub)));
    PdfSpooler vanishing(sub + "/out.pdf");
    auto job = vanishing.startJob("PDF", "doc", 0);
    ASSERT_TRUE(QDir(QString::fromStdString(sub)).removeRecursively());
    EXPECT_THROW(job->finish(), ReportError);
    EXPECT_FALSE(fs::exists(sub));
}

TEST_F(PdfSpoolerTest, AFullDiskFailsTheJobAndKeepsTheOldFile) {
    const std::string out = path("full.pdf");
    writeFile(out, "old");
    PdfSpooler spooler(out);
    {
        test::FileSizeLimit limit(2000);
        auto job = spooler.startJob("PDF", "doc", 0);
        for (int sheet = 0; sheet < 20; ++sheet) {
            job->nextSheet(sheet % 6);
            job->surface().drawText(100, 100, "\xa4\xa4", Font{FontFace::Ming, 200, false});
        }
        try {
            job->finish();
            FAIL() << "a job beyond the disk's space finished";
        } catch (const ReportError& error) {
            EXPECT_NE(std::string(error.what()).find(out), std::string::npos) << error.what();
        }
    }
    EXPECT_EQ(readAll(out), "old");
    EXPECT_EQ(entryCount(dir.path().toStdString()), 1u);
}

TEST_F(PdfSpoolerTest, AFileThatWouldPassItsLimitStopsTheJobAndLeavesNothing) {
    const std::string out = path("large.pdf");
    writeFile(out, "old");
    // How many sheets are drawn, and the bytes the file may hold.
    const struct {
        int sheets;
        std::int64_t limit;
    } cases[] = {{1, 3000}, {200, 30000}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sheets);
        PdfSpooler spooler(out, "PDF", {}, c.limit);
        int drawn = 0;
        try {
            auto job = spooler.startJob("PDF", "doc", 0);
            for (; drawn < c.sheets; ++drawn) {
                if (drawn > 0) job->nextSheet(drawn % 6);
                job->surface().drawText(100, 100, "page" + std::to_string(drawn), Font{FontFace::Ming, 200, false});
            }
            job->finish();
            FAIL() << "a job past its limit finished";
        } catch (const ReportError& error) {
            EXPECT_EQ(std::string(error.what()), "PDF 檔案「" + out + "」超過 2 GB, 無法寫入");
        }
        if (c.sheets > 1) {
            EXPECT_LT(drawn, c.sheets) << "the job went on past its limit";
        }
        EXPECT_EQ(readAll(out), "old");
        EXPECT_EQ(entryCount(dir.path().toStdString()), 1u);
    }
}

}  // namespace
}  // namespace zarvo
