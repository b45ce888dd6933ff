// A value longer than its frame is found in the record that holds it, and
// a frame that may shrink its text holds it.

#include "compose/DataFit.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <QImage>

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
        dir.write("delivery_note_seal.svg", test::TempDir::read(std::string(ZARVO_SOURCE_DIR) +
                                                                "/examples/delivery_note_seal.svg"));
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

// A picture takes its frame whatever its size: a picture column is never
// listed, even when the data file's folder is not the report's.
TEST(DataFit, PicturesAreNeverListed) {
    test::TempDir dir;
    std::filesystem::create_directories(dir.path() / "report");
    std::filesystem::create_directories(dir.path() / "orders");
    const std::string report = dir.write("report/note.txt", example("txt"));
    dir.write("report/note.zarvo", "[Block remark]\nkind=image\n");
    QImage picture(400, 20, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    picture.save(QString::fromStdString((dir.path() / "orders/wide.png").string()));
    DataPages pages(report, dir.write("orders/orders.csv", "no,remark\nA1,wide.png\nA2,wide.png\n"));
    EXPECT_TRUE(valuesNotFitting(report, pages, 100, {}).empty());
}

}  // namespace
}  // namespace zarvo
