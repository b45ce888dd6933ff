#include "proposals/DetailTables.h"

#include <functional>
#include <optional>

#include <gtest/gtest.h>

namespace zarvo {
namespace {

GuideBox box(double left, double top, double right, double bottom, bool caption = false) {
    return GuideBox{{left, top, right, bottom}, caption};
}

// A table at top: captions 10 mm high over rows of 9 mm, the columns'
// edges at edges; each row's boxes taken from row(r, c), which may move
// or drop them.
std::vector<GuideBox> table(double top, const std::vector<double>& edges, int rows,
                            const std::function<std::optional<GuideBox>(int, int, GuideBox)>& row = {}) {
    std::vector<GuideBox> boxes;
    for (std::size_t c = 0; c + 1 < edges.size(); ++c) boxes.push_back(box(edges[c], top, edges[c + 1], top + 10, true));
    for (int r = 0; r < rows; ++r) {
        for (std::size_t c = 0; c + 1 < edges.size(); ++c) {
            const GuideBox plain = box(edges[c], top + 10 + 9 * r, edges[c + 1], top + 19 + 9 * r);
            const std::optional<GuideBox> found = row ? row(r, int(c), plain) : plain;
            if (found) boxes.push_back(*found);
        }
    }
    return boxes;
}

struct Shape {
    std::size_t columns;
    int rows;
};

std::vector<Shape> shapes(const std::vector<DetailTable>& tables) {
    std::vector<Shape> found;
    for (const DetailTable& t : tables) found.push_back({t.columns.size(), t.rows()});
    return found;
}

bool operator==(const Shape& a, const Shape& b) { return a.columns == b.columns && a.rows == b.rows; }
void PrintTo(const Shape& s, std::ostream* os) { *os << s.columns << "x" << s.rows; }

// Which boxes make a table: columns of at least three empty boxes of one
// height under a caption, their edges lined up within 0.5 mm, two or more
// side by side; a table has as many rows as its shortest column.
TEST(DetailTablesTest, FindsColumnsOfEqualBoxesUnderCaptions) {
    const std::vector<double> four = {20, 90, 115, 150, 190};
    // The second column's box in row at moved: its left edge by dx, its bottom by dh.
    const auto shifted = [](int at, double dx, double dh) {
        return [=](int r, int c, GuideBox b) -> std::optional<GuideBox> {
            if (r == at && c == 1) b.frame.left += dx, b.frame.bottom += dh;
            return b;
        };
    };
    std::vector<GuideBox> two = table(60, four, 6);
    const std::vector<GuideBox> lower = table(150, {20, 60, 100}, 3);
    two.insert(two.end(), lower.begin(), lower.end());
    struct Case {
        const char* name;
        std::vector<GuideBox> boxes;
        std::vector<Shape> want;
    };
    const Case cases[] = {
        {"nothing", {}, {}},
        {"four columns of six rows", table(60, four, 6), {{4, 6}}},
        {"three rows are enough", table(60, four, 3), {{4, 3}}},
        {"two rows are not", table(60, four, 2), {}},
        {"one column is no table", table(60, {20, 90}, 6), {}},
        {"an edge off by 0.4 mm still lines up", table(60, four, 6, shifted(2, 0.4, 0)), {{4, 6}}},
        {"an edge off by 0.8 mm in the third row: too short a column, the first stands alone",
         table(60, four, 6, shifted(2, 0.8, 0)), {{2, 6}}},
        {"a box 0.8 mm higher in the fourth row: the table is as short as its column",
         table(60, four, 6, shifted(3, 0, 0.8)), {{4, 3}}},
        {"a missing box ends its column",
         table(60, four, 6, [](int r, int c, GuideBox b) { return r == 4 && c == 3 ? std::nullopt : std::optional(b); }),
         {{4, 4}}},
        {"a box with ink ends its column",
         table(60, four, 6, [](int r, int c, GuideBox b) { return b.hasInk = r == 0 && c == 0, std::optional(b); }),
         {{3, 6}}},
        {"two tables, top first", two, {{4, 6}, {2, 3}}},
    };
    for (const Case& c : cases) EXPECT_EQ(shapes(findDetailTables(c.boxes)), c.want) << c.name;
}

}  // namespace
}  // namespace zarvo
