// Which media a job on a custom paper asks a queue for.

#include "printing/MediaChoice.h"

#include <gtest/gtest.h>

namespace zarvo {
namespace {

TEST(MediaChoice, TheQueuesOwnSizeWithinHalfAMillimetreElseACustomSizeInRange) {
    const SheetMargins listedMargins{6.35, 6.35, 6.35, 6.35};
    const SheetMargins customMargins{4.94, 2.82, 3.53, 7.06};
    const std::vector<QueueMedia> listed = {
        {"iso_a4_210x297mm", 209.9, 297.04, listedMargins},
        {"custom_377.83x279.4mm_377.83x279.4mm", 377.83, 279.4, listedMargins},
        {"na_letter_8.5x11in", 215.9, 279.4, listedMargins}};
    const CustomSizeRange range{50.8, 50.8, 431.8, 914.4, customMargins};
    struct Case {
        double width, height;
        bool takesCustom;
        std::optional<std::string> expected;  // the media's name; nullopt: none
    };
    const Case cases[] = {
        {215.9, 279.4, true, "na_letter_8.5x11in"},                    // exact
        {377.8, 279.4, false, "custom_377.83x279.4mm_377.83x279.4mm"},  // 0.03 mm off
        {210, 297, false, "iso_a4_210x297mm"},                          // 0.1 mm off
        {216.4, 278.9, false, "na_letter_8.5x11in"},                    // 0.5 mm off each way
        {216.5, 279.4, true, "Custom.216.5x279.4mm"},                   // 0.6 mm off: custom
        {216.5, 279.4, false, std::nullopt},
        {241.3, 139.7, true, "Custom.241.3x139.7mm"},
        {241.3, 139.7, false, std::nullopt},
        {50.8, 914.4, true, "Custom.50.8x914.4mm"},  // the range's corners
        {50.7, 139.7, true, std::nullopt},           // out of range
        {241.3, 914.5, true, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        const std::optional<QueueMedia> chosen =
            chooseMedia(c.width, c.height, listed, c.takesCustom ? std::optional(range) : std::nullopt);
        ASSERT_EQ(chosen.has_value(), c.expected.has_value());
        if (!chosen) continue;
        EXPECT_EQ(chosen->name, *c.expected);
        const bool custom = chosen->name.starts_with("Custom.");
        EXPECT_EQ(chosen->margins.top, custom ? customMargins.top : listedMargins.top);
        if (custom) {
            EXPECT_EQ(chosen->widthMm, c.width);
            EXPECT_EQ(chosen->heightMm, c.height);
        }
    }
    EXPECT_FALSE(chooseMedia(241.3, 139.7, {}, std::nullopt));
    EXPECT_EQ(customMediaName(241.25, 1000), "Custom.241.25x1000mm");
}

}  // namespace
}  // namespace zarvo
