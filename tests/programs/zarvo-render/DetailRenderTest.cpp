// zarvo-render --data with detail rows: an order longer than the form runs
// on to further sheets, the same whether it comes as grouped CSV or nested JSON.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

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

// The delivery note's own profile: 23 items make three sheets whose page
// data holds the items in order, the page numbers, the header on every
// sheet, "接下頁" where the subtotal goes until the last sheet, which has
// the exact sum and the order's totals.
TEST_F(DetailRenderTest, GroupedCsvAndNestedJsonGiveTheSameThreeSheets) {
    std::filesystem::copy_file(std::string(ZARVO_SOURCE_DIR) + "/examples/delivery_note.zarvo",
                               dir.path() / "note.zarvo", std::filesystem::copy_options::overwrite_existing);
    std::filesystem::copy_file(std::string(ZARVO_SOURCE_DIR) + "/examples/delivery_note_seal.svg",
                               dir.path() / "delivery_note_seal.svg");
    std::string csv = "no,customer,total,item,qty,amount\n";
    std::string json = "[{\"no\":\"A1\",\"customer\":\"Lin\",\"total\":\"300\",\"items\":[";
    for (int n = 1; n <= 23; ++n) {
        const std::string amount = std::to_string(n / 10) + "." + std::to_string(n % 10);
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
    ASSERT_EQ(render("--keep --trace --data '" + files[0] + "'").status, 0);
    std::vector<std::filesystem::path> pages;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.path() / "data")) {
        if (entry.is_regular_file()) pages.push_back(entry.path());
    }
    std::sort(pages.begin(), pages.end());
    ASSERT_EQ(pages.size(), 3u);
    const auto field = [](const std::string& name, const std::string& value) {
        return "\r\n" + name + "\t0.000000\t0.000000\t" + value + "\r\n";
    };
    const std::string continued = "\xB1\xB5\xA4\x55\xAD\xB6";  // 接下頁
    const struct {
        std::vector<std::string> holds;
        std::vector<std::string> lacks;
    } sheets[] = {
        {{field("item1", "P1"), field("item10", "P10"), field("amount3", "0.3"), field("page", "1"),
          field("pages", "3"), field("customer", "Lin"), field("no", "A1"), field("subtotal", continued)},
         {"\r\ntotal\t", "\r\nitem11\t"}},
        {{field("item1", "P11"), field("page", "2"), field("customer", "Lin"), field("subtotal", continued)},
         {"\r\ntotal\t"}},
        {{field("item1", "P21"), field("item3", "P23"), field("page", "3"), field("customer", "Lin"),
          field("subtotal", "27.6"), field("total", "300")},
         {"\r\nitem4\t"}},
    };
    for (std::size_t i = 0; i < pages.size(); ++i) {
        const std::string text = TempDir::read(pages[i].string());
        for (const std::string& held : sheets[i].holds) EXPECT_NE(text.find(held), std::string::npos) << i << held;
        for (const std::string& lacked : sheets[i].lacks) EXPECT_EQ(text.find(lacked), std::string::npos) << i << lacked;
    }
    const CommandResult printed = render("--print --trace --records 1-1 --data '" + files[0] + "'");
    EXPECT_EQ(printed.status, 0) << printed.err;
    EXPECT_EQ(occurrences(printed.out, "sheet "), 3u);
    EXPECT_EQ(render("--print --trace --records 2-2 --data '" + files[0] + "'").status, 1);
}

// 1,000 orders of 1 to 60 items go to one PDF, each order on as many
// sheets as its items fill.
TEST_F(DetailRenderTest, AThousandOrdersGiveOneSheetForEveryTenItemsOrFewer) {
    std::string csv = "no,item,amount\n";
    int sheets = 0;
    for (int order = 1; order <= 1000; ++order) {
        const int items = 1 + (order * 37) % 60;
        sheets += (items + 9) / 10;
        for (int n = 1; n <= items; ++n) csv += "A" + std::to_string(order) + ",P" + std::to_string(n) + ",1.5\n";
    }
    const std::string pdf = (dir.path() / "orders.pdf").string();
    const CommandResult result = render("--print --pdf '" + pdf + "' --data '" + dir.write("orders.csv", csv) + "'");
    ASSERT_EQ(result.status, 0) << result.err;
    const CommandResult info = test::runCommand("pdfinfo '" + pdf + "'", dir);
    const std::size_t pages = info.out.find("Pages:");
    ASSERT_NE(pages, std::string::npos) << info.out;
    EXPECT_EQ(std::stoi(info.out.substr(pages + 6)), sheets) << info.out;
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
