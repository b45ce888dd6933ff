// Reading test data lines.

#include "report/TestDataLine.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace zarvo {
namespace {

using ::testing::ElementsAre;

void expectField(std::string_view line, const std::string& name, const std::string& value) {
    TestDataField field = readTestDataLine(line);
    EXPECT_EQ(field.name, name) << "line '" << line << "'";
    EXPECT_EQ(field.value, value) << "line '" << line << "'";
}

TEST(TestDataLine, NameAndValueAroundTheLastSeparator) {
    expectField("total,120", "total", "120");
    expectField("  total \t,  120 \r", "total", "120");
    expectField("a b,c", "b", "c");                  // the last word before a separator is the name
    expectField("word", "", "word");
    expectField("total,", "total", "");              // as the BLOCKS list adds a name
    expectField("", "", "");
    expectField("\xa6\x57\xba\xd9,\xa4\xfd\xa4\x6a", "\xa6\x57\xba\xd9", "\xa4\xfd\xa4\x6a");
}

TEST(TestDataLines, SplitAtAnyLineEnd) {
    EXPECT_THAT(splitTestDataLines("a,1\r\n\r\nb,2\r\n"), ElementsAre("a,1", "", "b,2"));
    EXPECT_THAT(splitTestDataLines("a,1\nb,2"), ElementsAre("a,1", "b,2"));
    EXPECT_THAT(splitTestDataLines("a\rb\r\n\n"), ElementsAre("a", "b", ""));
    EXPECT_TRUE(splitTestDataLines("").empty());
}

}  // namespace
}  // namespace zarvo
