#include "preview/PageJump.h"

#include <gtest/gtest.h>

namespace zarvo {
namespace {

TEST(PageJumpTest, OnlyANumberWithinThePagesWithoutLeadingZeroIsAJump) {
    struct Case {
        const char* text;
        std::optional<int> page;
    };
    const Case cases[] = {
        {"", std::nullopt},      {"0", std::nullopt},   {"05", std::nullopt},
        {"13", std::nullopt},    {"1", 1},              {"12", 12},
        {"99999999999999999999", std::nullopt},         {"1a", std::nullopt},
        {"-1", std::nullopt},    {" 3", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(pageJumpTarget(c.text, 12), c.page);
    }
}

}  // namespace
}  // namespace zarvo
