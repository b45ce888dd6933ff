#include "guide/GuidePages.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace zarvo {
namespace {

TEST(GuidePagesTest, TheInnermostWindowWithAPageOfItsOwnDecides) {
    const struct {
        std::vector<std::string_view> windows;
        const char* page;
    } cases[] = {
        {{"zarvo2_Form"}, "index.md"},
        {{"TabSheet6", "zarvo2_Form"}, "align-old-report.md"},
        {{"TabSheet2", "zarvo2_Form"}, "index.md"},
        {{"TFieldForm"}, "formats.md"},
        {{"CalibrationForm"}, "calibration.md"},
        {{"PreviewForm"}, "index.md"},
        {{}, "index.md"},
    };
    for (const auto& [windows, page] : cases) EXPECT_EQ(guidePageFor(windows), page) << windows.size();
}

// A page renamed in the guide would leave F1 on a page that is not there.
TEST(GuidePagesTest, EveryPageAWindowOpensIsInTheGuideWithAChineseTitle) {
    std::vector<std::string_view> pages{kGuideContents};
    for (const GuidePage& page : guidePages()) pages.push_back(page.page);
    for (std::string_view page : pages) {
        std::ifstream file(std::string(ZARVO_SOURCE_DIR) + "/docs/guide/" + std::string(page));
        std::string title;
        ASSERT_TRUE(std::getline(file, title)) << page;
        ASSERT_TRUE(title.starts_with("# ")) << page << ": " << title;
        // UTF-8 lead bytes of CJK characters (U+3000 to U+9FFF) are E3 to E9.
        EXPECT_NE(title.find_first_of("\xE3\xE4\xE5\xE6\xE7\xE8\xE9"), std::string::npos) << page << ": " << title;
    }
}

}  // namespace
}  // namespace zarvo
