// zarvo-render --data with detail rows: an order longer than the form runs
// on to further sheets, the same whether it comes as grouped CSV or nested JSON.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/common/Command.h"
#include "tests/common/TempDir.h"

namespace zarvo {
namespace {

using test::CommandResult;
using test::TempDir;

std::size_t occurrences(const std::string& text, const std::string& what) {
    std::size_t count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
    return count;
}

class DetailRenderTest : public ::testing::Test {
protected:
    DetailRenderTest() {
        std::filesystem::copy_file(std::string(ZARVO_SOURCE_DIR) + "/examples/delivery_note.txt",
                                   dir.path() / "note.txt");
        dir.write("note.zarvo",
                  "[Detail]\nrows=10\nfields=item qty unit price amount\nsum.amount=subtotal\n"
                  "last=tax total total_words\ngroup=no\n");
    }
    CommandResult render(const std::string& args) {
        return test::runCommand(std::string(ZARVO_RENDER) + " --data-dir '" + (dir.path() / "data").string() +
                                    "' " + args + " '" + (dir.path() / "note.txt").string() + "'",
                                dir);
    }
    TempDir dir;
};

TEST_F(DetailRenderTest, GroupedCsvAndNestedJsonGiveTheSameThreeSheets) {
    std::string csv = "no,customer,total,item,qty,amount\n";
    std::string json = "[{\"no\":\"A1\",\"customer\":\"Lin\",\"total\":\"300\",\"items\":[";
    for (int n = 1; n <= 23; ++n) {
        const std::string amount = std::to_string(n) + ".1";
        csv += (n == 1 ? "A1,Lin,300," : "A1,,,") + ("P" + std::to_string(n)) + ",1," + amount + "\n";
        json += std::string(n == 1 ? "" : ",") + "{\"item\":\"P" + std::to_string(n) + "\",\"qty\":1,\"amount\":" +
                amount + "}";
    }
    json += "]}]";
    const std::string files[] = {dir.write("orders.csv", csv), dir.write("orders.json", json)};
    std::string first;
    for (const std::string& file : files) {
        const CommandResult result = render("--trace --data '" + file + "'");
        EXPECT_EQ(result.status, 0) << file << result.err;
        EXPECT_EQ(occurrences(result.out, "image "), 3u) << file;
        EXPECT_EQ(result.out.find("info "), std::string::npos) << result.out.substr(0, 300);
        if (first.empty()) first = result.out;
        EXPECT_EQ(result.out, first) << file;
    }
    const CommandResult printed = render("--print --trace --records 1-1 --data '" + files[0] + "'");
    EXPECT_EQ(printed.status, 0) << printed.err;
    EXPECT_EQ(occurrences(printed.out, "sheet "), 3u);
    EXPECT_EQ(render("--print --trace --records 2-2 --data '" + files[0] + "'").status, 1);
}

TEST_F(DetailRenderTest, RefusedBeforeAnythingIsDrawn) {
    const std::string bad = dir.write("bad.csv", "no,item,amount\nA1,P1,1\nA1,P2,x\n");
    CommandResult result = render("--trace --data '" + bad + "'");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err.find("第 1 筆訂單 (A1) 第 2 項, 欄位「amount」:「x」不是數字"), std::string::npos) << result.err;

    dir.write("note.zarvo", "[Detail]\nrows=11\nfields=item\ngroup=no\n");
    result = render("--trace --data '" + dir.write("ok.csv", "no,item\nA1,P1\n") + "'");
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("[Detail] 用到報表中沒有的區塊: item11"), std::string::npos) << result.err;
}

}  // namespace
}  // namespace zarvo
