// A value longer than its frame is found in the record that holds it, and
// a frame that may shrink its text holds it.

#include "compose/DataFit.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/common/TempDir.h"

namespace zarvo {
namespace {

std::string example(const std::string& extension) {
    return test::TempDir::read(std::string(ZARVO_SOURCE_DIR) + "/examples/delivery_note." + extension);
}

TEST(DataFit, ValuesTheirFramesCannotHoldAreFoundWhereTheyAre) {
    std::string longName;
    for (int i = 0; i < 15; ++i) longName += "台北市信義區";
    std::string csv = "no,customer\n";
    for (int record = 1; record <= 8; ++record) {
        csv += "A" + std::to_string(record) + "," + (record == 7 ? longName : "王小明") + "\n";
    }
    struct Case {
        const char* what;
        std::string profileExtra;
        std::size_t found;
    } cases[] = {
        {"as designed", "", 1},
        {"shrinking to fit", "\n[Block customer]\nshrink=yes\nmin=1.5\n", 0},
    };
    for (const Case& c : cases) {
        test::TempDir dir;
        const std::string report = dir.write("note.txt", example("txt"));
        dir.write("note.zarvo", example("zarvo") + c.profileExtra);
        DataPages pages(report, dir.write("orders.csv", csv));
        std::int64_t told = 0;
        const std::vector<ValueNotFitting> found =
            valuesNotFitting(report, pages, 100, [&](std::int64_t done, std::int64_t) { return (told = done), true; });
        EXPECT_EQ(told, 8) << c.what;
        ASSERT_EQ(found.size(), c.found) << c.what;
        if (c.found) {
            EXPECT_EQ(found.front(), (ValueNotFitting{6, "7", "customer", longName})) << c.what;
        }
    }
}

}  // namespace
}  // namespace zarvo
