// zarvo-render --data: one page per record, the same whatever the file's
// format and encoding, and nothing drawn when any record is bad.

#include <gtest/gtest.h>

#include <vector>

#include "report/Big5.h"
#include "report/PageDataFile.h"
#include "tests/common/Command.h"
#include "tests/common/TempDir.h"
#include "tests/support/PrivateCups.h"

namespace zarvo {
namespace {

using test::CommandResult;
using test::TempDir;

class DataRenderTest : public ::testing::Test {
protected:
    CommandResult render(const std::string& args) {
        return test::runCommand(std::string(ZARVO_RENDER) + " --data-dir '" + (dir.path() / "data").string() +
                                    "' " + args,
                                dir);
    }
    std::string note() const { return std::string(ZARVO_SOURCE_DIR) + "/examples/delivery_note.txt"; }
    TempDir dir;
};

TEST_F(DataRenderTest, CsvInEitherEncodingAndJsonLinesGiveTheSamePages) {
    const std::string csv = "customer,remark,qty1\r\n\"祥和, \"\"國際\"\"\",\"第一行\r\n第二行\r\n\", 12\r\n\r\n王,,7\r\n";
    const std::string files[] = {
        dir.write("utf8.csv", "\xEF\xBB\xBF" + csv),
        dir.write("big5.csv", *utf8ToBig5(csv)),
        dir.write("lines.jsonl", "{\"customer\":\"祥和, \\\"國際\\\"\",\"remark\":\"第一行\\n第二行\\n\",\"qty1\":\" 12\"}\n"
                                 "{\"customer\":\"王\",\"remark\":null,\"qty1\":7}\n"),
    };
    std::string first;
    for (const std::string& file : files) {
        const CommandResult result = render("--print --trace --data '" + file + "' '" + note() + "'");
        EXPECT_EQ(result.status, 0) << file << result.err;
        EXPECT_NE(result.out.find("sheet 1 "), std::string::npos) << file;
        EXPECT_EQ(result.out.find("sheet 2 "), std::string::npos) << file;
        if (first.empty()) first = result.out;
        EXPECT_EQ(result.out, first) << file;
    }
    const CommandResult one = render("--print --trace --records 2 --data '" + files[0] + "' '" + note() + "'");
    EXPECT_EQ(one.out.find("sheet 1 "), std::string::npos);
    EXPECT_EQ(render("--trace --records 2-3 --data '" + files[0] + "' '" + note() + "'").status, 1);
}

// One record of the long file: its values by column, "" for an empty one.
struct Record {
    std::string customer, address, remark, qty1;
};

// Record r: quotes, commas, leading blanks, Chinese, line breaks of either
// kind (one at the end of some values), empty values and numbers.
Record longFileRecord(int r) {
    const std::string lineBreak = r % 2 ? "\r\n" : "\n";
    Record record;
    record.customer = r % 4 == 0 ? " 王小明 " + std::to_string(r) : "祥和, \"國際\" 第 " + std::to_string(r) + " 家";
    record.address = r % 3 ? "臺北市信義區市府路" + std::to_string(r) + "號, 3 樓" : "";
    record.remark = "第一行" + lineBreak + "  第二行 " + std::to_string(r) + (r % 5 == 0 ? lineBreak : "");
    record.qty1 = r % 7 ? std::to_string(r % 90) + ".50" : "";
    return record;
}

// Quoted when it must be, or when asked.
std::string csvValue(const std::string& value, bool quoted) {
    if (!quoted && value.find_first_of(",\"\r\n") == std::string::npos) return value;
    std::string out = "\"";
    for (char c : value) out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

std::string jsonString(const std::string& value) {
    std::string out = "\"";
    for (char c : value) {
        if (c == '"' || c == '\\') out += '\\';
        if (c == '\r') out += "\\r";
        else if (c == '\n') out += "\\n";
        else out += c;
    }
    return out + "\"";
}

TEST_F(DataRenderTest, AThousandRecordsDrawAsTheSamePagesAsPageFilesOfTheirFieldRecords) {
    const std::string names[] = {"customer", "address", "remark", "qty1"};
    std::string csv = "customer,address,remark,qty1\r\n";
    std::string jsonl;
    std::string pages;
    for (int r = 0; r < 1000; ++r) {
        const Record rec = longFileRecord(r);
        const std::string values[] = {rec.customer, rec.address, rec.remark, rec.qty1};
        std::string page = formatPageHeader(note());
        jsonl += "{";
        for (int c = 0; c < 4; ++c) {
            csv += (c ? "," : "") + csvValue(values[c], c == 1 && r % 2);
            jsonl += (c ? ",\"" : "\"") + names[c] + "\":" +
                     (c == 3 ? (values[c].empty() ? "null" : values[c]) : jsonString(values[c]));
            if (!values[c].empty()) page += formatFieldRecord(names[c], 0, 0, *utf8ToBig5(values[c]));
        }
        csv += r % 100 == 99 ? "\r\n\r\n" : "\r\n";
        jsonl += "}\n";
        pages += " '" + dir.write("page" + std::to_string(r) + ".rpt", page) + "'";
    }
    const CommandResult expected = render("--trace --pages" + pages);
    ASSERT_EQ(expected.status, 0) << expected.err;
    for (const std::string& file : {dir.write("long.csv", "\xEF\xBB\xBF" + csv), dir.write("long_big5.csv", *utf8ToBig5(csv)),
                                    dir.write("long.jsonl", jsonl)}) {
        const CommandResult result = render("--trace --data '" + file + "' '" + note() + "'");
        EXPECT_EQ(result.status, 0) << file << result.err;
        EXPECT_TRUE(result.out == expected.out) << file;
    }
}

TEST_F(DataRenderTest, ABadRecordAnywhereStopsEverythingBeforeTheFirstPage) {
    const std::string file = dir.write("bad.csv", "customer\r\nA\r\nB\r\nʃ\r\n");
    const CommandResult result = render("--print --trace --records 1 --data '" + file + "' '" + note() + "'");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err.find("第 3 筆資料, 欄位「customer」: Big5 無法表示的字元「ʃ」(U+0283)"), std::string::npos)
        << result.err;
    const std::string open = dir.write("open.csv", "customer\r\nA\r\n\"B\r\n");
    EXPECT_NE(render("--trace --data '" + open + "' '" + note() + "'").err.find("第 3 行開始的引號沒有結束"),
              std::string::npos);
}

}  // namespace
}  // namespace zarvo

namespace zarvo {
namespace {

// Five delivery notes of 9½ x 5½ in from a data file on CUPS's own 24-pin
// dot-matrix driver: five pages, each 33 lines of 1/6 in, and no more.
TEST_F(DataRenderTest, ContinuousFormsFromADataFileFeedOnePageEachOnADotMatrixPrinter) {
    test::PrivateCups cups;
    cups.addEpson24Queue("epson", "180dpi");
    std::string csv = "customer,no,total\r\n";
    for (int i = 1; i <= 5; ++i) csv += "客戶" + std::to_string(i) + ",SH" + std::to_string(i) + "," + std::to_string(i * 100) + "\r\n";
    const std::string report = std::string(ZARVO_SOURCE_DIR) + "/examples/continuous_delivery.txt";
    const CommandResult result = render("--print --printer epson --data '" + dir.write("notes.csv", csv) + "' '" + report + "'");
    ASSERT_EQ(result.status, 0) << result.err;
    const std::filesystem::path job = cups.waitForJobs(1).back();
    EXPECT_EQ(cups.loggedPages(job), 5);
    const std::string stream = TempDir::read(job.string());
    const std::size_t length = stream.find("\x1b" "C");
    ASSERT_NE(length, std::string::npos);
    EXPECT_EQ(static_cast<unsigned char>(stream.at(length + 2)), 33);
}

}  // namespace
}  // namespace zarvo
