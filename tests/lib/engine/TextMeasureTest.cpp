#include <gtest/gtest.h>

#include <string>

#include "engine/TextMeasure.h"

namespace zarvo {
namespace {

// "\xa4\xa4" is the two-byte character 中 in Big5. Literals are split where a
// letter follows, so that it is not read as part of the hex escape.
constexpr char kZhong[] = "\xa4\xa4";

void expectCount(const TextCount& actual, int count, int D, int S) {
    EXPECT_EQ(actual.count, count);
    EXPECT_EQ(actual.D, D);
    EXPECT_EQ(actual.S, S);
}

TEST(CountTextLinesTest, NoRoomForAHalfCell) {
    expectCount(CountTextLines(0, 6, 7, "A", 0), kNoRoom, 0, 0);
}

TEST(CountTextLinesTest, NoRoomForATwoByteCharacterKeepsTheCountsSoFar) {
    // 10 units hold A (7) but not a 14-unit character: 999, with the counts
    // up to and including that character.
    expectCount(CountTextLines(0, 10, 7, std::string("A") + kZhong + "B", 0), kNoRoom, 1, 1);
}

TEST(CountTextLinesTest, EmptyTextIsOneLine) {
    expectCount(CountTextLines(0, 30, 7, "", 3), 1, 0, 0);
}

TEST(CountTextLinesTest, CharacterThatOverflowsFillsTheNextLineByItsOwnWidth) {
    // Width 30, H 7: A B C use 21, the first 中 would reach 35 and opens line
    // 2 holding 14, the second 中 brings it to 28.
    expectCount(CountTextLines(0, 30, 7, std::string("ABC") + kZhong + kZhong, 0), 2, 2, 3);
}

TEST(CountTextLinesTest, NoGapIsCountedBehindAWrappedCharacter) {
    // Width 14, gap 1: A 7, gap 8, B 15 wraps and the line holds 7; C then
    // reaches exactly 14. Counting a gap behind B would give a third line.
    expectCount(CountTextLines(0, 14, 7, "ABC", 1), 2, 0, 3);
}

TEST(CountTextLinesTest, GapThatOverflowsOpensAnEmptyLine) {
    // Width 20, gap 6: A 7, gap 13, B 20, gap 26 overflows: line 2 starts
    // empty and C uses 7 of it.
    expectCount(CountTextLines(0, 20, 7, "ABC", 6), 2, 0, 3);
}

TEST(CountTextLinesTest, NoGapBehindTheLastCharacter) {
    expectCount(CountTextLines(0, 20, 7, "AB", 6), 1, 0, 2);
}

struct BreakCase {
    const char* text;
    int count;
    int S;
};

class MeasureBreakTest : public ::testing::TestWithParam<BreakCase> {};

// Both routines count a break wherever "~~" stands, at the start and at the
// end included; the break itself is no character. After a break the next
// byte is read as a character, so "~~~~" holds one break and two tildes.
TEST_P(MeasureBreakTest, LinesAndColumnsCountEveryMarker) {
    const BreakCase& c = GetParam();
    expectCount(CountTextLines(0, 200, 7, c.text, 0), c.count, 0, c.S);
    expectCount(CountTextColumns(0, 200, 16, c.text), c.count, 0, c.S);
}

INSTANTIATE_TEST_SUITE_P(Markers, MeasureBreakTest,
                         ::testing::Values(BreakCase{"AB~~CD", 2, 4}, BreakCase{"~~A", 2, 1},
                                           BreakCase{"AB~~", 2, 2}, BreakCase{"A~~~~B", 2, 4},
                                           BreakCase{"~~", 2, 0}, BreakCase{"A~B", 1, 3}));

TEST(CountTextColumnsTest, NoRoomForACell) {
    expectCount(CountTextColumns(0, 10, 16, "A"), kNoRoom, 0, 0);
}

TEST(CountTextColumnsTest, FullColumnOpensTheNext) {
    // Height 40, cell 16: two characters a column.
    expectCount(CountTextColumns(0, 40, 16, std::string("ABC") + kZhong + "E"), 3, 1, 4);
}

TEST(TextMeasureTest, TextEndsAtItsFirstZeroByte) {
    const std::string text("AB\0CD", 5);
    expectCount(CountTextLines(0, 200, 7, text, 0), 1, 0, 2);
    expectCount(CountTextColumns(0, 200, 16, text), 1, 0, 2);
}

TEST(TextMeasureTest, LoneLeadByteAtTheEndIsNotCounted) {
    expectCount(CountTextLines(0, 200, 7, "AB\xa4", 0), 1, 0, 2);
    expectCount(CountTextColumns(0, 200, 16, "AB\xa4"), 1, 0, 2);
    // A lead byte whose trail would be the zero byte is alone too.
    expectCount(CountTextLines(0, 200, 7, std::string("A\xa4\0B", 4), 0), 1, 0, 1);
}

}  // namespace
}  // namespace zarvo
