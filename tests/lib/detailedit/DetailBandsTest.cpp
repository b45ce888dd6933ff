#include "detailedit/DetailBands.h"

#include <gtest/gtest.h>

namespace zarvo {
namespace {

// A block row named name with its frame at left, top, width, height (mm).
RowText block(const std::string& name, const std::string& left, const std::string& top, const std::string& width,
              const std::string& height) {
    return RowText{name, {"0", left, top, width, height, "0", "0", "0", "0", "4", "0", "0"}};
}

TEST(DetailBandsTest, EachRowSpansItsBlocks) {
    LayoutScene scene;
    scene.setRows(RowKind::Block, {
                                      block("customer", "10", "10", "80", "6"),
                                      block("item1", "10", "40", "60", "6"),
                                      block("qty1", "70", "40", "20", "6"),
                                      block("item2", "10", "46", "60", "6"),
                                      block("qty2", "70", "46.5", "20", "7"),
                                      block("item3", "10", "52", "60", "6"),
                                      block("qty3", "70", "x", "20", "6"),
                                      block("item1", "0", "0", "1", "1"),
                                  });
    const struct {
        const char* what;
        std::string profile;
        std::vector<RectMm> bands;
    } cases[] = {
        {"two fields", "[Detail]\nrows=3\nfields=item qty\n",
         {{10, 40, 90, 46}, {10, 46, 90, 53.5}, {10, 52, 70, 58}}},
        {"rows beyond the blocks", "[Detail]\nrows=5\nfields=qty\n", {{70, 40, 90, 46}, {70, 46.5, 90, 53.5}}},
        {"no section", "[Block item1]\nkind=qr\n", {}},
        {"a section with a fault", "[Detail]\nrows=many\nfields=item\n", {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(detailBands(parseFormProfile(c.profile), scene), c.bands) << c.what;
    }
}

}  // namespace
}  // namespace zarvo
