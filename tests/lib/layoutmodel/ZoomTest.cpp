#include "layoutmodel/Zoom.h"

#include <gtest/gtest.h>

namespace zarvo {
namespace {

TEST(ZoomTest, StepsFitsAndShowsWithinTheSteps) {
    const int steps[][3] = {
        {114, 171, 86}, {100, 114, 86}, {10, 29, 29}, {29, 57, 29}, {912, 912, 456}, {999, 912, 912}};
    for (const auto& [dpi, in, out] : steps) {
        SCOPED_TRACE(dpi);
        EXPECT_EQ(zoomIn(dpi), in);
        EXPECT_EQ(zoomOut(dpi), out);
    }
    EXPECT_EQ(fitDpi(254, 1140), 114);
    EXPECT_EQ(fitDpi(254, 1139), 113);
    EXPECT_EQ(fitDpi(297, 10), 29);
    EXPECT_EQ(fitDpi(1, 10000), 912);
    EXPECT_EQ(zoomText(29), "25 %");
    EXPECT_EQ(zoomText(86), "75 %");
    EXPECT_EQ(mmToPixels(10, 114), 45);
}

}  // namespace
}  // namespace zarvo
