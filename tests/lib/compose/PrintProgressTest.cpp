// A print told of its progress sheet by sheet, and stopped by it.

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "platform/recording/RecordingSpooler.h"
#include "engine/RenderContext.h"
#include "compose/PageComposer.h"
#include "report/PageDataFile.h"
#include "tests/common/TempDir.h"

namespace zarvo {
namespace {

// Records the sheets of its jobs and how many of them were handed over.
class HandOverSpooler : public Spooler {
public:
    std::vector<PrinterInfo> printers() override { return recording_.printers(); }
    std::unique_ptr<PrintJob> startJob(const std::string& printer, const std::string& document,
                                       const SheetPaper& paper) override {
        return std::make_unique<Job>(recording_.startJob(printer, document, paper), finished);
    }
    // The sheets begun, one "sheet N ..." line each.
    int sheetsBegun() const {
        const std::string text = trace_.str();
        int count = 0;
        for (std::size_t at = text.find("sheet "); at != std::string::npos; at = text.find("sheet ", at + 1)) ++count;
        return count;
    }

    int finished = 0;

private:
    class Job : public PrintJob {
    public:
        Job(std::unique_ptr<PrintJob> inner, int& finished) : inner_(std::move(inner)), finished_(finished) {}
        Surface& surface() override { return inner_->surface(); }
        int dotsPerInch() const override { return inner_->dotsPerInch(); }
        void nextSheet(const SheetPaper& paper) override { inner_->nextSheet(paper); }
        void finish() override {
            inner_->finish();
            ++finished_;
        }

    private:
        std::unique_ptr<PrintJob> inner_;
        int& finished_;
    };

    std::ostringstream trace_;
    RecordingSpooler recording_{trace_, 300, {{"Office", true}}};
};

TEST(PrintProgressTest, TheHookHearsEverySheetAndStoppingHandsNothingOver) {
    struct Case {
        int sheets;
        int stopAfter;  // 0: never
    };
    const Case cases[] = {{5, 0}, {5, 1}, {5, 3}, {5, 5}, {1, 1}};
    test::TempDir dir;
    const std::string form = dir.write("form.txt", "0\t0\t0\r\nLINE_INFO\t1\r\n0\t1\t10\t0\t10\t50\t\r\nLABEL_STRING\t0\r\nBLOCK_INFO\t0\r\n");
    const std::string page = dir.write("page.rpt", formatPageHeader(form));
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.sheets << " sheets, stop after " << c.stopAfter);
        HandOverSpooler spooler;
        std::vector<std::int64_t> told;
        const auto progress = [&](std::int64_t done, std::int64_t total) {
            EXPECT_EQ(total, c.sheets);
            told.push_back(done);
            return done != c.stopAfter;
        };
        CompositionProblems problems;
        bool cancelled = false;
        try {
            printSheets(paperContext(spooler, "Office"), c.sheets, [&](std::int64_t) { return page; }, problems,
                        progress);
        } catch (const PrintCancelled&) {
            cancelled = true;
        }
        const int drawn = c.stopAfter ? c.stopAfter : c.sheets;
        std::vector<std::int64_t> expected;
        for (int sheet = 1; sheet <= drawn; ++sheet) expected.push_back(sheet);
        EXPECT_EQ(told, expected);
        EXPECT_EQ(cancelled, c.stopAfter != 0);
        EXPECT_EQ(spooler.sheetsBegun(), drawn);
        EXPECT_EQ(spooler.finished, c.stopAfter ? 0 : 1);
    }
}

}  // namespace
}  // namespace zarvo
