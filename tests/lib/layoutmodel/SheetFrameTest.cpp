#include "layoutmodel/SheetFrame.h"

#include <gtest/gtest.h>

namespace zarvo {
namespace {

struct FrameCase {
    int paperCode;
    std::optional<SheetMargins> margins;
    double width, height;
    RectMm printable;
};

TEST(SheetFrameTest, ALandscapeFormTurnsThePortraitMarginsWithIt) {
    const SheetMargins m{3, 4, 5, 6};  // left, top, right, bottom of the portrait sheet
    const FrameCase cases[] = {
        {0, std::nullopt, 210, 297, {0, 0, 210, 297}},
        {0, m, 210, 297, {3, 4, 205, 291}},
        {1, m, 297, 210, {6, 3, 293, 205}},
        {3, m, 257, 364, {3, 4, 252, 358}},
        {2, m, 364, 257, {6, 3, 360, 252}},
        {9, std::nullopt, 210, 297, {0, 0, 210, 297}},
    };
    for (const FrameCase& c : cases) {
        const SheetFrame frame = sheetFrame(c.paperCode, c.margins);
        EXPECT_EQ(frame.widthMm, c.width) << c.paperCode;
        EXPECT_EQ(frame.heightMm, c.height) << c.paperCode;
        EXPECT_EQ(frame.printable, c.printable) << c.paperCode;
        EXPECT_EQ(frame.origin(), (PointMm{c.printable.left, c.printable.top})) << c.paperCode;
    }
}

}  // namespace
}  // namespace zarvo
