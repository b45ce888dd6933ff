// Writing and reading page data files.

#include "report/PageDataFile.h"

#include <gtest/gtest.h>

#include "report/ReportError.h"
#include "tests/common/TempDir.h"

namespace zarvo {
namespace {

using test::TempDir;

TEST(FieldTextEncoding, KeepsWhatTheReaderWouldLose) {
    EXPECT_EQ(encodeFieldText(""), "\xa1\x40");           // an empty text would take the next line
    EXPECT_EQ(encodeFieldText("  x"), "\x01 x");          // the reader skips leading blanks
    EXPECT_EQ(encodeFieldText("a\r\nb\r\n"), "a~~b");     // breaks become markers, the last is dropped
    EXPECT_EQ(encodeFieldText("a\nb\n"), "a~~b");         // a lone LF would split the record
    EXPECT_EQ(encodeFieldText("a\rb"), "a\rb");           // a lone CR is harmless
    EXPECT_EQ(encodeFieldText("\r\n"), "");
}

TEST(FieldRecordFormat, WritesTheFixedLayout) {
    EXPECT_EQ(formatFieldRecord("total", 0, 0, ""), "total\t0.000000\t0.000000\t\xa1\x40\r\n");
    EXPECT_EQ(formatFieldRecord("qty", 12.5f, -3, "7"), "qty\t12.500000\t-3.000000\t7\r\n");
    EXPECT_EQ(formatFieldRecord("", 0, 8.5f, "x"), "\t0.000000\t8.500000\tx\r\n");
}

class PageDataReaderTest : public ::testing::Test {
protected:
    std::vector<FieldRecord> readAll(const std::string& bytes, std::string* path = nullptr) {
        PageDataReader reader(dir.write("0.rpt", bytes));
        if (path) *path = reader.reportPath();
        std::vector<FieldRecord> records;
        while (auto record = reader.next()) records.push_back(*record);
        return records;
    }
    TempDir dir;
};

TEST_F(PageDataReaderTest, ReadsBackWhatWasWritten) {
    std::string path;
    auto records = readAll(formatPageHeader("/home/a b/報表 1.txt") +
                               formatFieldRecord("total", 0, 0, "") +
                               formatFieldRecord("name", 0, 8.5f, "  two blanks") +
                               formatFieldRecord("\xa6\x57", 1, 2, "a\r\nb"),
                           &path);
    EXPECT_EQ(path, "/home/a b/報表 1.txt");
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].name, "total");
    EXPECT_EQ(records[0].text, "\xa1\x40");
    EXPECT_EQ(records[1].text, "  two blanks");
    EXPECT_EQ(records[1].dy, 8.5f);
    EXPECT_EQ(records[2].name, "\xa6\x57");
    EXPECT_EQ(records[2].text, "a~~b");
    EXPECT_EQ(records[2].dx, 1.0f);
}

TEST_F(PageDataReaderTest, AnEmptyNameReadsTheShiftAsTheName) {
    auto records = readAll(formatPageHeader("r.txt") + formatFieldRecord("", 0, 0, ""));
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].name, "0.000000");
    EXPECT_EQ(records[0].dx, 0.0f);
    EXPECT_EQ(records[0].dy, 0.0f);  // not read: counts as 0
    EXPECT_EQ(records[0].text, "\xa1\x40");
}

TEST_F(PageDataReaderTest, ToleratesLineFeedsAndDamagedShifts) {
    auto records = readAll("r.txt\nx\t1.5\t2\tone\nbad\tnot a number\ny\t3\t4\tlast");
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].dx, 1.5f);
    EXPECT_EQ(records[0].text, "one");
    EXPECT_EQ(records[1].name, "bad");
    EXPECT_EQ(records[1].dx, 0.0f);
    EXPECT_EQ(records[1].text, "not a number");
    EXPECT_EQ(records[2].text, "last");
}

TEST_F(PageDataReaderTest, ShiftsBeyondSinglePrecisionCountAsZero) {
    // The number is consumed; the rest of the line, TABs and all, is the text.
    auto records = readAll("r.txt\nx\t1e39\t2\tover\ny\t1\t-1e39\tunder\n");
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].dx, 0.0f);
    EXPECT_EQ(records[0].dy, 0.0f);
    EXPECT_EQ(records[0].text, "\t2\tover");
    EXPECT_EQ(records[1].dx, 1.0f);
    EXPECT_EQ(records[1].dy, 0.0f);
    EXPECT_EQ(records[1].text, "\tunder");
}

TEST_F(PageDataReaderTest, LongValuesAreKeptWholeUpToOneMebibyte) {
    const std::string value(5000, 'v');
    const std::string endless(std::size_t{1} << 20, 'w');
    auto records = readAll(formatPageHeader("r.txt") + formatFieldRecord("a", 0, 0, value) +
                           formatFieldRecord("b", 0, 0, endless + "cut off") +
                           formatFieldRecord("c", 0, 0, "next"));
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].text, value);
    EXPECT_EQ(records[1].text, endless);  // the rest of that line is skipped
    EXPECT_EQ(records[2].name, "c");
    EXPECT_EQ(records[2].text, "next");
}

TEST_F(PageDataReaderTest, OnlyTheReportPathMeansNoRecords) {
    EXPECT_TRUE(readAll("r.txt\r\n").empty());
    EXPECT_TRUE(readAll("r.txt").empty());
}

TEST_F(PageDataReaderTest, AMissingFileIsAnError) {
    EXPECT_THROW(PageDataReader((dir.path() / "none.rpt").string()), ReportError);
}

}  // namespace
}  // namespace zarvo
