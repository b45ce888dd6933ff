#include "layoutmodel/RulerScale.h"

#include <gtest/gtest.h>

#include "layoutmodel/Zoom.h"
#include "report/Units.h"

namespace zarvo {
namespace {

using Mms = std::vector<int>;

Mms millimetres(const std::vector<RulerTick>& ticks) {
    Mms mms;
    for (const RulerTick& tick : ticks) mms.push_back(tick.mm);
    return mms;
}

TEST(RulerScaleTest, DensityFollowsTheZoomAndLabelsKeepTheirRoom) {
    struct Case { int dpi; int labelPixels; RulerScale scale; };
    const Case cases[] = {{29, 19, {5, 10, 50, 50}},    {57, 19, {5, 10, 50, 50}},  {86, 19, {1, 5, 10, 10}},
                          {114, 19, {1, 5, 10, 10}},    {912, 19, {1, 5, 10, 10}},  {86, 40, {1, 5, 10, 50}},
                          {40, 100, {5, 10, 50, 100}},   {29, 2000, {5, 10, 50, 500}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.dpi << " dpi, labels " << c.labelPixels);
        EXPECT_EQ(rulerScale(c.dpi, c.labelPixels), c.scale);
    }
}

// At every whole dpi of the zoom's range: the ticks are the engine's pixels
// of every step, none left out; they never merge, nor do labels overlap.
TEST(RulerScaleTest, TicksLieOnTheEnginesPixelsAndKeepApartAtEveryZoom) {
    constexpr int kLabelPixels = 19;
    for (int dpi = kZoomSteps.front(); dpi <= kZoomSteps.back(); ++dpi) {
        SCOPED_TRACE(dpi);
        const RulerScale scale = rulerScale(dpi, kLabelPixels);
        const std::vector<RulerTick> ticks = rulerTicks(scale, dpi, -200, 2000);
        ASSERT_GT(ticks.size(), 2u);
        EXPECT_GE(ticks.front().pixel, -200);
        EXPECT_LT(rulerPixel(ticks.front().mm - scale.smallMm, dpi), -200);
        EXPECT_GT(rulerPixel(ticks.back().mm + scale.smallMm, dpi), 2000);
        const RulerTick* lastLabel = nullptr;
        for (std::size_t i = 0; i < ticks.size(); ++i) {
            const RulerTick& tick = ticks[i];
            ASSERT_EQ(tick.pixel, mmToDevice(float(tick.mm), dpi)) << tick.mm;
            EXPECT_EQ(tick.labelled, tick.mm % scale.labelMm == 0) << tick.mm;
            if (tick.labelled) {
                if (lastLabel) {
                    EXPECT_GE(tick.pixel - lastLabel->pixel, kLabelPixels) << tick.mm;
                }
                lastLabel = &tick;
            }
            if (i == 0) continue;
            EXPECT_EQ(tick.mm - ticks[i - 1].mm, scale.smallMm);
            EXPECT_GE(tick.pixel - ticks[i - 1].pixel, kMinTickGap) << tick.mm;
        }
        for (const RulerTick& line : gridLines(scale, dpi, -200, 2000)) {
            EXPECT_EQ(line.pixel, mmToDevice(float(line.mm), dpi));
        }
    }
}

TEST(RulerScaleTest, TicksAndGridLinesAroundTheOrigin) {
    struct Case { int dpi; int from, to; Mms ticks; std::vector<int> pixels; Mms grid; };
    const Case cases[] = {
        {114, -10, 50, {-2, -1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11},
         {-8, -4, 0, 4, 8, 13, 17, 22, 26, 31, 35, 40, 44, 49}, {-2, -1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}},
        {114, 890, 900, {199, 200}, {893, 897}, {199, 200}},
        {86, -20, 40, {-6, -5, -4, -3, -2, -1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, {}, {-5, 0, 5, 10}},
        {29, -6, 12, {-5, 0, 5, 10}, {-5, 0, 5, 11}, {-5, 0, 5, 10}},
        {912, 300, 400, {9, 10, 11}, {323, 359, 394}, {9, 10, 11}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.dpi << " dpi from " << c.from);
        const RulerScale scale = rulerScale(c.dpi, 19);
        const std::vector<RulerTick> ticks = rulerTicks(scale, c.dpi, c.from, c.to);
        EXPECT_EQ(millimetres(ticks), c.ticks);
        if (!c.pixels.empty()) {
            std::vector<int> pixels;
            for (const RulerTick& tick : ticks) pixels.push_back(tick.pixel);
            EXPECT_EQ(pixels, c.pixels);
        }
        EXPECT_EQ(millimetres(gridLines(scale, c.dpi, c.from, c.to)), c.grid);
    }
    const std::vector<RulerTick> sizes = rulerTicks(rulerScale(114, 19), 114, 0, 45);
    ASSERT_EQ(sizes.size(), 11u);
    EXPECT_EQ(sizes[0], (RulerTick{0, 0, TickSize::Large, true}));
    EXPECT_EQ(sizes[1], (RulerTick{1, 4, TickSize::Small, false}));
    EXPECT_EQ(sizes[5], (RulerTick{5, 22, TickSize::Middle, false}));
    EXPECT_TRUE(rulerTicks(rulerScale(114, 19), 114, 10, 0).empty());
}

}  // namespace
}  // namespace zarvo
