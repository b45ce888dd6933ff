// Jobs drawn side by side: two PDFs written on two threads at the same time
// are byte for byte the ones written one after the other, apart from their
// dates and identifiers.

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <functional>
#include <regex>
#include <string>
#include <thread>

#include "engine/PageFileName.h"
#include "platform/os/DataRoot.h"
#include "painting/PdfSpooler.h"
#include "compose/DataFileStem.h"
#include "compose/DataPages.h"
#include "compose/PageComposer.h"
#include "compose/PageFiles.h"
#include "compose/TestPage.h"
#include "report/TestDataLine.h"
#include "tests/common/TempDir.h"

namespace zarvo {
namespace {

using test::TempDir;

const std::string kExamples = std::string(ZARVO_SOURCE_DIR) + "/examples/";

// The PDF at path with what differs from run to run blanked out.
std::string comparable(const std::filesystem::path& path) {
    static const std::regex varying(R"(/(CreationDate|ModDate) ?\([^)]*\)|/ID ?\[[^\]]*\])");
    return std::regex_replace(TempDir::read(path.string()), varying, "");
}

// Prints count pages, page(i) writing page i's data file into stem, to the PDF file pdf.
void printToPdf(const std::filesystem::path& pdf, std::int64_t count,
                const std::function<std::string(const std::string& stem, std::int64_t)>& page) {
    const std::string stem = reserveDataFileStem(std::time(nullptr));
    PdfSpooler spooler(pdf.string());
    CompositionProblems problems;
    printSheets(paperContext(spooler, spooler.printers().front().name), count, [&](std::int64_t i) { return page(stem, i); }, problems);
    removePageFiles(stem, int(count) - 1);
    EXPECT_TRUE(problems.empty());
}

class ParallelJobsTest : public ::testing::Test {
protected:
    ParallelJobsTest() {
        setDataRootOverride((dir.path() / "data").string());
        // The delivery note without its detail rows: one page a record.
        note = dir.write("note.txt", TempDir::read(kExamples + "delivery_note.txt"));
        std::string csv = "customer,address,qty1\n";
        for (int r = 0; r < 1000; ++r) {
            csv += "客戶 " + std::to_string(r) + ",臺北市信義區市府路 " + std::to_string(r % 97) + " 號," +
                   std::to_string(r % 90) + ".5\n";
        }
        records = dir.write("records.csv", csv);
    }
    ~ParallelJobsTest() override { setDataRootOverride(""); }

    // The delivery note filled from every record.
    void printRecords(const std::filesystem::path& pdf) {
        DataPages pages(note, records);
        printToPdf(pdf, pages.recordCount(), [&](const std::string& stem, std::int64_t i) {
            pages.writePage(stem, int(i), i);
            return pageFileName(stem, int(i));
        });
    }
    // The e-invoice proof filled from its test data.
    void printProof(const std::filesystem::path& pdf) {
        const std::vector<std::string> lines =
            splitTestDataLines(TempDir::read(kExamples + "einvoice_proof_data.txt"));
        printToPdf(pdf, 1, [&](const std::string& stem, std::int64_t) {
            PageSequence written(stem);
            writeTestPage(written, kExamples + "einvoice_proof.txt", lines);
            return pageFileName(stem, 0);
        });
    }

    TempDir dir;
    std::string note;
    std::string records;
};

TEST_F(ParallelJobsTest, TwoPdfsDrawnTogetherAreTheOnesDrawnInTurn) {
    printRecords(dir.path() / "records-alone.pdf");
    printProof(dir.path() / "proof-alone.pdf");

    std::thread records([&] { printRecords(dir.path() / "records-together.pdf"); });
    std::thread proof([&] { printProof(dir.path() / "proof-together.pdf"); });
    records.join();
    proof.join();

    const std::string alone = comparable(dir.path() / "records-alone.pdf");
    EXPECT_GT(alone.size(), 100'000u);
    EXPECT_TRUE(comparable(dir.path() / "records-together.pdf") == alone);
    EXPECT_EQ(comparable(dir.path() / "proof-together.pdf"), comparable(dir.path() / "proof-alone.pdf"));
}

}  // namespace
}  // namespace zarvo
