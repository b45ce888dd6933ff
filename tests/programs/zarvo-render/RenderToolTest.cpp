// zarvo-render as a user runs it: invocation, outputs, exit status.

#include <filesystem>

#include <gtest/gtest.h>

#include "report/PageDataFile.h"
#include "tests/common/Command.h"
#include "tests/common/TempDir.h"

namespace zarvo {
namespace {

using test::CommandResult;
using test::TempDir;

std::string report(const std::string& header, const std::string& blocks = "0\r\n") {
    return header + "\r\nLINE_INFO\t1\r\n0\t1\t10\t0\t10\t50\t\r\nLABEL_STRING\t0\r\nBLOCK_INFO\t" +
           blocks;
}

// The width and height stored in a PNG file's header.
std::pair<int, int> pngSize(const std::string& file) {
    std::string bytes = TempDir::read(file);
    if (bytes.size() < 24 || bytes.compare(1, 3, "PNG") != 0) return {0, 0};
    auto word = [&](std::size_t at) {
        auto b = [&](std::size_t i) { return static_cast<unsigned char>(bytes[at + i]); };
        return (b(0) << 24) | (b(1) << 16) | (b(2) << 8) | b(3);
    };
    return {word(16), word(20)};
}

class RenderToolTest : public ::testing::Test {
protected:
    CommandResult render(const std::string& args) {
        return test::runCommand(std::string(ZARVO_RENDER) + " --data-dir '" + data() + "' " + args,
                                   dir);
    }
    std::string data() const { return (dir.path() / "data").string(); }
    std::string path(const std::string& name) const { return (dir.path() / name).string(); }

    TempDir dir;
};

TEST_F(RenderToolTest, PreviewTraceIsExact) {
    std::string form = dir.write("form.txt", report("0\t0\t0"));
    CommandResult result = render("--trace " + form);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "image 1633 1633\nline 44 0 44 224 pen=0,1,ff0000\n");
}

TEST_F(RenderToolTest, PrintTraceStartsEverySheetAtTheGivenResolution) {
    std::string form = dir.write("form.txt", report("3\t0\t0"));
    CommandResult result = render("--print --trace --dpi 600 " + form);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "sheet 0 paper=3 dpi=600\nline 236 0 236 1181 pen=0,1,000000\n");
}

TEST_F(RenderToolTest, TestDataFillsBlocksAndUnknownNamesAreReported) {
    std::string form = dir.write(
        "form.txt", report("0\t0\t0", "1\r\n0\t0\t0\t40\t10\t0\t0\t0\t0\t5\t0\t0\ttotal\r\n"));
    std::string data = dir.write("data.txt", "total,7\r\nnone,1\r\n");
    CommandResult result = render("--trace " + form + " " + data);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out,
              "image 1633 1633\nline 44 0 44 224 pen=0,1,ff0000\n"
              "text 0 0 37 face=ming h=22.42 turned=0 color=000000\n"
              "info 欄位(none)不存在,請檢查報表檔或原始程式.\n");
}

TEST_F(RenderToolTest, PageFilesAreDeletedUnlessKept) {
    std::string form = dir.write("form.txt", report("0\t0\t0"));
    ASSERT_EQ(render("--trace " + form).status, 0);
    EXPECT_TRUE(std::filesystem::is_empty(data() + "/QEL/Tmp"));
    ASSERT_EQ(render("--trace --keep " + form).status, 0);
    EXPECT_FALSE(std::filesystem::is_empty(data() + "/QEL/Tmp"));
}

// Runs started in the same second each reserve page files of their own.
TEST_F(RenderToolTest, TwoRendersStartedTogetherNeverShareTheirPages) {
    const std::string form = dir.write(
        "form.txt", report("0\t0\t0", "1\r\n0\t0\t0\t40\t10\t0\t0\t0\t0\t5\t0\t0\ttotal\r\n"));
    const std::string one = dir.write("one.txt", "total,1\r\n"), two = dir.write("two.txt", "total,22\r\n");
    const CommandResult first = render("--trace " + form + " " + one);
    const CommandResult second = render("--trace " + form + " " + two);
    ASSERT_NE(first.out, second.out);
    dir.write("first.trace", first.out);
    dir.write("second.trace", second.out);
    const std::string run = std::string(ZARVO_RENDER) + " --data-dir '" + data() + "' --trace '" + form + "' ";
    const std::string path = dir.path().string();
    // Counts the pairs in which either run failed or drew the other's page.
    const CommandResult pairs = test::runCommand(
        "cd '" + path + "' && bad=0; for i in $(seq 100); do " + run + "'" + one + "' > a.out 2>&1 & a=$!; " +
            run + "'" + two + "' > b.out 2>&1 & b=$!; wait $a; sa=$?; wait $b; sb=$?; " +
            "if [ $sa -ne 0 ] || [ $sb -ne 0 ] || ! cmp -s a.out first.trace || ! cmp -s b.out second.trace; " +
            "then bad=$((bad+1)); fi; done; echo $bad",
        dir);
    EXPECT_EQ(pairs.out, "0\n") << pairs.err;
    EXPECT_TRUE(std::filesystem::is_empty(data() + "/QEL/Tmp"));
}

TEST_F(RenderToolTest, AHeaderWithBlanksFailsWithTheConversionMessage) {
    std::string form = dir.write("form.txt", report("0 10 20"));
    CommandResult result = render("--trace " + form);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "'0 10 20' is not a valid integer value\n");
    EXPECT_EQ(result.out, "");
}

TEST_F(RenderToolTest, MissingFilesAndBadUsageAreTold) {
    CommandResult missing = render("--trace " + path("none.txt"));
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("none.txt"), std::string::npos);

    EXPECT_EQ(render("").status, 2);
    EXPECT_EQ(render("--trace").status, 2);
    EXPECT_EQ(render("--png").status, 2);
    EXPECT_EQ(render("--dpi 0 --print --trace x.txt").status, 2);
    EXPECT_EQ(render("--print --png a.png x.txt").status, 2);
    EXPECT_EQ(render("--pdf a.pdf x.txt").status, 2);
    EXPECT_EQ(render("--bogus --trace x.txt").status, 2);
}

TEST_F(RenderToolTest, PngImagesAreSizedByPaperCode) {
    std::string a4 = dir.write("a4.txt", report("0\t0\t0"));
    std::string a3 = dir.write("a3.txt", report("4\t0\t0"));
    ASSERT_EQ(render("--png " + path("a4.png") + " " + a4).status, 0);
    ASSERT_EQ(render("--png " + path("a3.png") + " " + a3).status, 0);
    EXPECT_EQ(pngSize(path("a4.png")), std::make_pair(1633, 1633));
    EXPECT_EQ(pngSize(path("a3.png")), std::make_pair(2000, 2000));
}

TEST_F(RenderToolTest, PagesWriteNumberedImagesAndOnePdfWithEachSheetsPaper) {
    std::vector<std::string> pages;
    const char* headers[] = {"0\t0\t0", "1\t0\t0", "2\t0\t0", "3\t0\t0", "4\t0\t0", "5\t0\t0"};
    std::string list;
    for (int i = 0; i < 6; ++i) {
        std::string form = dir.write("form" + std::to_string(i) + ".txt", report(headers[i]));
        list += " " + dir.write("page" + std::to_string(i) + ".rpt", formatPageHeader(form));
    }
    ASSERT_EQ(render("--png " + path("p.png") + " --pages" + list).status, 0);
    EXPECT_EQ(pngSize(path("p-1.png")), std::make_pair(1633, 1633));
    EXPECT_EQ(pngSize(path("p-6.png")), std::make_pair(2000, 2000));

    CommandResult printed = render("--print --pdf " + path("job.pdf") + " --pages" + list);
    ASSERT_EQ(printed.status, 0) << printed.err;
    CommandResult info = test::runCommand("pdfinfo -f 1 -l 6 '" + path("job.pdf") + "'", dir);
    ASSERT_EQ(info.status, 0) << info.err;
    // JIS B4 is 257 x 364 mm: 729 x 1032 pt.
    const char* sizes[] = {"595 x 842 pts (A4)",  "842 x 595 pts (A4)",   "1032 x 729 pts",
                           "729 x 1032 pts",      "842 x 1191 pts (A3)",  "1191 x 842 pts (A3)"};
    for (int i = 0; i < 6; ++i) {
        std::string line = "Page    " + std::to_string(i + 1) + " size:  " + sizes[i];
        EXPECT_NE(info.out.find(line), std::string::npos) << line << "\n" << info.out;
    }
}

TEST_F(RenderToolTest, APdfThatCannotBeWrittenIsAnError) {
    std::string form = dir.write("form.txt", report("0\t0\t0"));
    CommandResult result = render("--print --pdf " + path("no/such/dir/out.pdf") + " " + form);
    EXPECT_EQ(result.status, 1);
    EXPECT_FALSE(result.err.empty());
}

}  // namespace
}  // namespace zarvo

namespace zarvo {
namespace {

TEST_F(RenderToolTest, TheProfilesPaperSizesThePreviewTheTraceAndThePdf) {
    const std::string continuous = dir.write("continuous.txt", report("9\t0\t0"));
    dir.write("continuous.zarvo", "[Paper]\nwidth=241.3\nheight=139.7\n");
    const std::string ledger = dir.write("ledger.txt", report("9\t0\t0"));
    dir.write("ledger.zarvo", "[Paper]\nwidth=400\nheight=120\n");
    const std::string a4 = dir.write("a4.txt", report("0\t0\t0"));
    const std::string bare = dir.write("bare.txt", report("7\t0\t0"));

    // The preview image is square: 1633 when the longer side fits, else
    // the side that holds it (400 mm at 114 dpi: 1795.3 pixels).
    EXPECT_EQ(render("--trace " + continuous).out.substr(0, 16), "image 1633 1633\n");
    EXPECT_EQ(render("--trace " + ledger).out.substr(0, 16), "image 1796 1796\n");
    EXPECT_EQ(render("--trace " + bare).out.substr(0, 16), "image 1633 1633\n");

    std::string list;
    for (const std::string& form : {a4, continuous, ledger, bare}) {
        list += " " + dir.write("page" + std::to_string(list.size()) + ".rpt", formatPageHeader(form));
    }
    const CommandResult trace = render("--print --trace --pages" + list);
    ASSERT_EQ(trace.status, 0) << trace.err;
    for (const char* sheet : {"sheet 0 paper=0 dpi=300\n", "sheet 1 paper=9 dpi=300 size=241.3x139.7\n",
                              "sheet 2 paper=9 dpi=300 size=400x120\n", "sheet 3 paper=7 dpi=300\n"}) {
        EXPECT_NE(trace.out.find(sheet), std::string::npos) << sheet << trace.out;
    }
    ASSERT_EQ(render("--print --pdf " + path("job.pdf") + " --pages" + list).status, 0);
    const CommandResult info = test::runCommand("pdfinfo -f 1 -l 4 '" + path("job.pdf") + "'", dir);
    for (const char* size : {"Page    2 size:  684 x 396 pts", "Page    3 size:  1134 x 340 pts"}) {
        EXPECT_NE(info.out.find(size), std::string::npos) << size << "\n" << info.out;
    }
}

TEST_F(RenderToolTest, AProfileFaultOutsideTheStationeryStopsWithItsLine) {
    const std::string form = dir.write("form.txt", report("9\t0\t0"));
    dir.write("form.zarvo", "[General]\npicture=a.png\n[Paper]\nwidth=241.3\nheight=abc\n");
    for (const char* mode : {"--trace ", "--print --trace "}) {
        const CommandResult result = render(mode + form);
        EXPECT_EQ(result.status, 1) << mode;
        EXPECT_EQ(result.out, "") << mode;
        EXPECT_NE(result.err.find("表單設定檔 " + path("form.zarvo") + " 第 5 行: height"), std::string::npos)
            << result.err;
    }
    // A fault in the stationery keys alone leaves the traces as they were.
    dir.write("form.zarvo", "[General]\npicture=a.png\ndpi=abc\n");
    EXPECT_EQ(render("--print --trace " + form).out, "sheet 0 paper=9 dpi=300\nline 118 0 118 590 pen=0,1,000000\n");
}

}  // namespace
}  // namespace zarvo
