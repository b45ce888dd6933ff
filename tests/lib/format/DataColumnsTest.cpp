// A data file's columns: their names from the header or the first record,
// which hold only numbers among the records read, and none for a file that
// cannot be read.

#include "format/DataColumns.h"

#include <gtest/gtest.h>

#include "tests/common/TempDir.h"

namespace zarvo {
namespace {

using test::TempDir;

TEST(DataColumnsTest, NamesAndNumberColumnsComeFromTheFirstRecords) {
    TempDir dir;
    const struct {
        const char* name;
        std::string bytes;
        int records;
        std::vector<DataColumn> columns;
    } cases[] = {
        {"orders.csv", "no,\xab\x7e\xa6\x57,qty,price\r\nA1,x,1,12.50\r\nA1,y,,-3\r\n", 100,
         {{"no", false}, {"品名", false}, {"qty", true}, {"price", true}}},
        {"late.csv", "no,qty\r\n1,2\r\n2,x\r\n", 100, {{"no", true}, {"qty", false}}},
        {"late.csv", "no,qty\r\n1,2\r\n2,x\r\n", 1, {{"no", true}, {"qty", true}}},
        {"orders.json", "[{\"no\": \"A1\", \"qty\": 2}, {\"other\": 1}]", 100,
         {{"no", false}, {"qty", true}, {"other", true}}},
        {"empty.csv", "", 100, {}},
    };
    for (const auto& c : cases) EXPECT_EQ(dataColumns(dir.write(c.name, c.bytes), c.records), c.columns) << c.name;
    EXPECT_TRUE(dataColumns((dir.path() / "missing.csv").string()).empty());
}

}  // namespace
}  // namespace zarvo
