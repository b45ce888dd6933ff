#include "layoutmodel/LineSnapping.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zarvo {
namespace {

// Where a dragged edge lands: on the nearest printed line within 1 mm whose
// extent it overlaps, else on the grid when the grid is on, else where it is.
TEST(LineSnappingTest, SnapsEdgesToPrintedLinesBeforeTheGrid) {
    // Horizontal printed lines in row coordinates: y 30 across 20..190, y 31.6
    // across 20..190, y 50 only across 120..190.
    const std::vector<GuideLine> guides = {{30, 20, 190}, {31.6, 20, 190}, {50, 120, 190}};
    struct Case {
        const char* name;
        double v, from, to;
        bool grid;
        double want;
        std::optional<std::size_t> line;
    };
    const Case cases[] = {
        {"on a line", 30, 40, 60, true, 30, 0},
        {"just within reach above", 29.0, 40, 60, true, 30, 0},
        {"within reach below, grid off", 30.6, 40, 60, false, 30, 0},
        {"out of reach: the grid", 28.8, 40, 60, true, 29, std::nullopt},
        {"out of reach, grid off: as it is", 28.83, 40, 60, false, 28.83, std::nullopt},
        {"out of reach below", 32.7, 40, 60, false, 32.7, std::nullopt},
        {"the nearer of two lines", 31.2, 40, 60, true, 31.6, 1},
        {"halfway between two lines: the first", 30.8, 40, 60, true, 30, 0},
        {"a line beside the edge is not its line", 50.3, 20, 100, true, 50.5, std::nullopt},
        {"an edge reaching the line's end within reach", 50.3, 20, 119.5, true, 50, 2},
        {"edge given right to left", 50.3, 150, 130, false, 50, 2},
        {"the grid counts from its origin", 40.1, 20, 100, true, 40.2, std::nullopt},
    };
    for (const Case& c : cases) {
        const double origin = c.name == std::string("the grid counts from its origin") ? 0.2 : 0;
        const EdgeSnap snap = snapEdge(c.v, c.from, c.to, guides, c.grid, origin);
        EXPECT_DOUBLE_EQ(snap.value, c.want) << c.name;
        EXPECT_EQ(snap.line, c.line) << c.name;
    }
    EXPECT_EQ(snapEdge(30.5, 0, 10, {}, false, 0).value, 30.5) << "no lines";
}

// A found line's place in the picture becomes its place among the rows: the
// picture's shift on the sheet added, the form's origin on the sheet taken off.
TEST(LineSnappingTest, PlacesFoundLinesInRowCoordinates) {
    struct Case {
        double picture, shift, formOrigin, want;
    };
    const Case cases[] = {{38, 0, 8, 30}, {38, 1.5, 8, 31.5}, {10, -2, 13.2, -5.2}, {0, 0, 0, 0}};
    for (const Case& c : cases) EXPECT_DOUBLE_EQ(pictureToRow(c.picture, c.shift, c.formOrigin), c.want);
    const GuideLine guide = guideLine(38, 20, 200, 1.5 - 8, 2 - 10);
    EXPECT_DOUBLE_EQ(guide.position, 31.5);
    EXPECT_DOUBLE_EQ(guide.from, 12);
    EXPECT_DOUBLE_EQ(guide.to, 192);
}

}  // namespace
}  // namespace zarvo
