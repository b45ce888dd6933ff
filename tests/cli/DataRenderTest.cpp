// zarvo-render --data: one page per record, the same whatever the file's
// format and encoding, and nothing drawn when any record is bad.

#include <gtest/gtest.h>

#include "report/Big5.h"
#include "tests/common/Command.h"
#include "tests/common/TempDir.h"

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
