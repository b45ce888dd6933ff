#include "format/DigitCells.h"

#include <gtest/gtest.h>

#include <climits>
#include <utility>

namespace zarvo {
namespace {

using Edges = std::vector<std::pair<int, int>>;

Edges edgesOf(int left, int right, int cells, std::string_view text) {
    const auto characters = digitCells(left, right, cells, text);
    if (!characters) return {{-1, -1}};
    Edges edges;
    for (const CellCharacter& character : *characters) edges.emplace_back(character.left, character.right);
    return edges;
}

TEST(DigitCellsTest, PutsCharactersRightAlignedOnePerCell) {
    const Edges noFit = {{-1, -1}};
    const struct {
        int left, right, cells;
        std::string_view text;
        Edges expected;
    } cases[] = {
        {0, 100, 10, "12", {{80, 90}, {90, 100}}},
        {0, 100, 4, "1.5", {{25, 50}, {50, 75}, {75, 100}}},
        {100, 110, 3, "123", {{100, 103}, {103, 106}, {106, 110}}},
        {0, 100, 3, "1,234", noFit},
        {0, 100, 2, "\xa4\xa4\xa4\xe5", {{0, 50}, {50, 100}}},
        {0, 100, 2, "\xa4\xa4\xa4", {{0, 50}, {50, 100}}},
        {0, 100, 1, "\xa4\xa4\xa4", noFit},
        {0, 100, 3, "", {}},
        {50, 10, 2, "1", {{50, 50}}},
        {-100, -40, 3, "7", {{-60, -40}}},
        {INT_MIN, INT_MAX, 2, "12", {{INT_MIN, -1}, {-1, INT_MAX}}},
        {0, 100, 0, "", noFit},
        {0, 100, 101, "1", noFit},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.left << ".." << c.right << " / " << c.cells << " " << c.text);
        EXPECT_EQ(edgesOf(c.left, c.right, c.cells, c.text), c.expected);
    }
}

TEST(DigitCellsTest, NamesEachCharactersBytes) {
    const auto characters = digitCells(0, 60, 6, "\xa4\xa4.5\xa4");
    ASSERT_TRUE(characters);
    const std::vector<CellCharacter> expected = {{0, 2, 20, 30}, {2, 1, 30, 40}, {3, 1, 40, 50}, {4, 1, 50, 60}};
    EXPECT_EQ(*characters, expected);
}

}  // namespace
}  // namespace zarvo
